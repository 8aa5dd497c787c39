// A file system for fault-injection tests: it passes everything to a real one
// and makes the n-th writing operation fail with EIO, as a full or failing
// disk would. Writing operations are the ones that change the disk: creating
// or opening a file for writing, each write, sync, truncation, reservation
// and close of such a file, rename, remove, mode and owner changes, making
// folders.
#pragma once
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace kastrell::test {

class FaultyFileSystem final : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& real) : real_(real) {}

  // From now on the n-th writing operation fails; 0 disarms.
  void FailNthWrite(long n) {
    countdown_ = n;
    failed_ = false;
  }
  bool WriteFailed() const { return failed_; }

  FileError Stat(const std::string& path, FileInfo& info) override { return real_.Stat(path, info); }
  FileError OpenRead(const std::string& path, std::unique_ptr<File>& file) override {
    return real_.OpenRead(path, file);
  }
  FileError CheckWritable(const std::string& path) override { return real_.CheckWritable(path); }
  FileError CreateUnique(const std::string& dir, const std::string& prefix, std::string& path,
                         std::unique_ptr<File>& file) override {
    if (Fails()) return Eio();
    FileError e = real_.CreateUnique(dir, prefix, path, file);
    if (!e) file = std::make_unique<FaultyFile>(*this, std::move(file));
    return e;
  }
  FileError OpenWrite(const std::string& path, std::unique_ptr<File>& file) override {
    if (Fails()) return Eio();
    FileError e = real_.OpenWrite(path, file);
    if (!e) file = std::make_unique<FaultyFile>(*this, std::move(file));
    return e;
  }
  FileError OpenExisting(const std::string& path, std::unique_ptr<File>& file) override {
    if (Fails()) return Eio();
    FileError e = real_.OpenExisting(path, file);
    if (!e) file = std::make_unique<FaultyFile>(*this, std::move(file));
    return e;
  }
  FileError RemoveUnused(const std::string& path) override { return Fails() ? Eio() : real_.RemoveUnused(path); }
  FileError Rename(const std::string& from, const std::string& to) override {
    return Fails() ? Eio() : real_.Rename(from, to);
  }
  FileError Remove(const std::string& path) override { return Fails() ? Eio() : real_.Remove(path); }
  FileError SetMode(const std::string& path, std::uint32_t mode) override {
    return Fails() ? Eio() : real_.SetMode(path, mode);
  }
  FileError MakeDirectories(const std::string& path) override {
    return Fails() ? Eio() : real_.MakeDirectories(path);
  }
  FileError ListDirectory(const std::string& path, std::vector<DirEntry>& entries) override {
    return real_.ListDirectory(path, entries);
  }
  FileError CheckDirectoryAccess(const std::string& path) override { return real_.CheckDirectoryAccess(path); }
  std::string ResolveLinks(const std::string& path) override { return real_.ResolveLinks(path); }
  std::string TempDirectory() override { return real_.TempDirectory(); }
  FileError SetOwner(const std::string& path, std::uint32_t uid, std::uint32_t gid) override {
    return Fails() ? Eio() : real_.SetOwner(path, uid, gid);
  }
  std::uint32_t NewFileMode() override { return real_.NewFileMode(); }

 private:
  class FaultyFile final : public File {
   public:
    FaultyFile(FaultyFileSystem& fs, std::unique_ptr<File> real) : fs_(fs), real_(std::move(real)) {}
    FileError Read(void* buffer, std::size_t size, std::size_t& got) override { return real_->Read(buffer, size, got); }
    FileError Write(const void* buffer, std::size_t size) override {
      return fs_.Fails() ? Eio() : real_->Write(buffer, size);
    }
    FileError Sync() override { return fs_.Fails() ? Eio() : real_->Sync(); }
    FileError Truncate(std::uint64_t size) override { return fs_.Fails() ? Eio() : real_->Truncate(size); }
    FileError Reserve(std::uint64_t size) override { return fs_.Fails() ? Eio() : real_->Reserve(size); }
    FileError WriteAt(std::uint64_t offset, const void* buffer, std::size_t size) override {
      return fs_.Fails() ? Eio() : real_->WriteAt(offset, buffer, size);
    }
    FileError Close() override {
      // A failed close still releases the descriptor, as close(2) does.
      bool fail = fs_.Fails();
      FileError e = real_->Close();
      return fail ? Eio() : e;
    }

   private:
    FaultyFileSystem& fs_;
    std::unique_ptr<File> real_;
  };

  static FileError Eio() { return FileError{EIO, "Input/output error"}; }
  bool Fails() {
    if (countdown_ == 0 || --countdown_ != 0) return false;
    failed_ = true;
    return true;
  }

  FileSystem& real_;
  long countdown_ = 0;
  bool failed_ = false;
};

}  // namespace kastrell::test
