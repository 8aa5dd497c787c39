// The freedesktop.org trash: files/ holds the moved file, info/ a .trashinfo
// record with its original path (percent-encoded) and the deletion date.
// A file on the home trash's file system goes to the home trash with an
// absolute Path; a file on another file system goes to $topdir/.Trash/$uid
// (only when .Trash is a sticky directory and not a link) or else to
// $topdir/.Trash-$uid, with Path relative to $topdir; when neither can be
// used, to the home trash by copying. The record is created first with
// O_EXCL, so two deletions never share a name; a failed move removes it again.
#pragma once
#include <string>

#include "platform/Trash.h"

namespace kastrell {

class FreedesktopTrash final : public Trash {
 public:
  // homeTrash: "$XDG_DATA_HOME/Trash" (by default ~/.local/share/Trash).
  explicit FreedesktopTrash(std::string homeTrash) : home_(std::move(homeTrash)) {}
  FileError MoveToTrash(const std::string& path) override;

  // Where the last successful move put the file and its record.
  const std::string& TrashedFile() const { return trashedFile_; }
  const std::string& InfoFile() const { return infoFile_; }

  // The home trash of the environment ($XDG_DATA_HOME or $HOME/.local/share).
  static std::string HomeTrashFromEnvironment();
  // The Path value of a record: '/' and unreserved characters kept, every
  // other byte as %XX.
  static std::string EncodePath(const std::string& path);

 private:
  FileError MoveInto(const std::string& trashDir, const std::string& path, const std::string& recordedPath,
                     bool sameDevice);
  std::string home_;
  std::string trashedFile_;
  std::string infoFile_;
};

}  // namespace kastrell
