// The recent file and recent directory lists: most recent first, at most 16
// entries each, kept in the per-user values ("Recent File List" / "File%d",
// "Recent Dir List" / "Dir%d") and shown in menus with access keys.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/UserValues.h"

namespace kastrell {

inline constexpr std::size_t kRecentListSize = 16;

class RecentList {
 public:
  // entryPrefix is the value name before the number ("File" for File1..File16).
  RecentList(std::u16string section, std::u16string entryPrefix, std::size_t capacity = kRecentListSize);

  // Puts path at the top: an equal entry moves up, otherwise the others move
  // down and the last falls off. Paths compare exactly (case-sensitively).
  void Add(const std::string& path);
  void Remove(std::size_t index);
  void Clear() { entries_.clear(); }
  const std::vector<std::string>& Entries() const { return entries_; }

  // Reads the numbered values (missing and empty ones are skipped).
  void Load(const IniBuffer* values);
  // Writes the entries as values 1..n and removes the values after them.
  bool Save(IniBuffer* values) const;

  // "&%x " with the access key of the index (1-9, 0, a-f), then the path
  // shortened to maxChars characters with every '&' doubled.
  std::string MenuLabel(std::size_t index, std::size_t maxChars) const;

 private:
  std::u16string ValueName(std::size_t number) const;
  std::u16string section_;
  std::u16string prefix_;
  std::size_t capacity_;
  std::vector<std::string> entries_;
};

// Both lists, as the application keeps them.
struct RecentLists {
  RecentList files{std::u16string(user_values::kRecentFiles), u"File"};
  RecentList dirs{std::u16string(user_values::kRecentDirs), u"Dir"};

  // A remote name ("ftp(...)" or "login@server:path") is kept as given; a local
  // path is made full against baseDir. The path goes to the file list (unless
  // directoryOnly) and its directory to the directory list.
  void Add(const std::string& path, const std::string& baseDir, bool directoryOnly = false);
  void Load(const UserValues& values);
  bool Save(UserValues& values) const;
};

// Whether a document name is a remote one rather than a local path.
bool IsRemoteName(std::string_view name);
// The directory a recent path belongs to: the path cut before its last '/';
// a root ("/", "ftp(1):/") keeps its separator.
std::string RecentDirectoryOf(std::string_view path);
// path with '&' doubled and, when longer than maxChars characters, shortened
// to its first folder, "...", and as many of its last components as fit.
std::string ShortenForMenu(std::string_view path, std::size_t maxChars);

}  // namespace kastrell
