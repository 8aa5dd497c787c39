// Files and folders on POSIX systems.
#pragma once
#include "platform/FileSystem.h"

namespace kastrell {

class PosixFileSystem final : public FileSystem {
 public:
  FileError Stat(const std::string& path, FileInfo& info) override;
  FileError OpenRead(const std::string& path, std::unique_ptr<File>& file) override;
  FileError OpenLocked(const std::string& path, std::unique_ptr<File>& file) override;
  FileError CheckWritable(const std::string& path) override;
  FileError CreateUnique(const std::string& dir, const std::string& prefix, std::string& path,
                         std::unique_ptr<File>& file) override;
  FileError OpenWrite(const std::string& path, std::unique_ptr<File>& file) override;
  FileError OpenExisting(const std::string& path, std::unique_ptr<File>& file) override;
  FileError RemoveUnused(const std::string& path) override;
  FileError Rename(const std::string& from, const std::string& to) override;
  std::uint32_t NewFileMode() override;
  FileError SetOwner(const std::string& path, std::uint32_t uid, std::uint32_t gid) override;
  FileError Remove(const std::string& path) override;
  FileError SetMode(const std::string& path, std::uint32_t mode) override;
  FileError MakeDirectories(const std::string& path) override;
  FileError ListDirectory(const std::string& path, std::vector<DirEntry>& entries) override;
  FileError CheckDirectoryAccess(const std::string& path) override;
  std::string ResolveLinks(const std::string& path) override;
  std::string TempDirectory() override;
};

// The FileError for the current errno.
FileError LastFileError();

}  // namespace kastrell
