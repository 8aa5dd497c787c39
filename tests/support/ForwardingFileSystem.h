// A file system that hands every call to a real one; tests derive from it and
// override only the calls whose failures they want to show.
#pragma once
#include "platform/FileSystem.h"

namespace kastrell::test {

class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& real) : real_(real) {}
  FileError Stat(const std::string& p, FileInfo& i) override { return real_.Stat(p, i); }
  FileError OpenRead(const std::string& p, std::unique_ptr<File>& f) override { return real_.OpenRead(p, f); }
  FileError CheckWritable(const std::string& p) override { return real_.CheckWritable(p); }
  FileError CreateUnique(const std::string& d, const std::string& pre, std::string& p,
                         std::unique_ptr<File>& f) override {
    return real_.CreateUnique(d, pre, p, f);
  }
  FileError OpenWrite(const std::string& p, std::unique_ptr<File>& f) override { return real_.OpenWrite(p, f); }
  FileError OpenExisting(const std::string& p, std::unique_ptr<File>& f) override {
    return real_.OpenExisting(p, f);
  }
  FileError RemoveUnused(const std::string& p) override { return real_.RemoveUnused(p); }
  FileError Rename(const std::string& a, const std::string& b) override { return real_.Rename(a, b); }
  FileError Remove(const std::string& p) override { return real_.Remove(p); }
  FileError SetMode(const std::string& p, std::uint32_t m) override { return real_.SetMode(p, m); }
  FileError SetOwner(const std::string& p, std::uint32_t u, std::uint32_t g) override {
    return real_.SetOwner(p, u, g);
  }
  FileError MakeDirectories(const std::string& p) override { return real_.MakeDirectories(p); }
  FileError ListDirectory(const std::string& p, std::vector<DirEntry>& e) override {
    return real_.ListDirectory(p, e);
  }
  FileError CheckDirectoryAccess(const std::string& p) override { return real_.CheckDirectoryAccess(p); }
  std::string ResolveLinks(const std::string& p) override { return real_.ResolveLinks(p); }
  std::string TempDirectory() override { return real_.TempDirectory(); }
  std::uint32_t NewFileMode() override { return real_.NewFileMode(); }

 protected:
  FileSystem& real_;
};

}  // namespace kastrell::test
