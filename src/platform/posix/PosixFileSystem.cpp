#include "platform/posix/PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Path.h"

namespace kastrell {

FileError LastFileError() {
  int e = errno;
  return FileError{e ? e : EIO, std::strerror(e ? e : EIO)};
}

namespace {

class PosixFile final : public File {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  FileError Read(void* buffer, std::size_t size, std::size_t& got) override {
    for (;;) {
      ssize_t n = ::read(fd_, buffer, size);
      if (n >= 0) { got = std::size_t(n); return {}; }
      if (errno != EINTR) return LastFileError();
    }
  }
  FileError Write(const void* buffer, std::size_t size) override {
    const char* p = static_cast<const char*>(buffer);
    while (size > 0) {
      ssize_t n = ::write(fd_, p, size);
      if (n < 0) {
        if (errno == EINTR) continue;
        return LastFileError();
      }
      p += n;
      size -= std::size_t(n);
    }
    return {};
  }
  FileError Sync() override { return ::fsync(fd_) == 0 ? FileError{} : LastFileError(); }
  FileError Truncate(std::uint64_t size) override {
    return ::ftruncate(fd_, off_t(size)) == 0 ? FileError{} : LastFileError();
  }
  FileError Reserve(std::uint64_t size) override {
    if (size == 0) return {};
    int r = ::posix_fallocate(fd_, 0, off_t(size));
    // File systems that cannot reserve space are written without the reservation.
    if (r == 0 || r == EOPNOTSUPP || r == EINVAL || r == ENOSYS) return {};
    return FileError{r, std::strerror(r)};
  }
  FileError Close() override {
    int fd = fd_;
    fd_ = -1;
    return fd < 0 || ::close(fd) == 0 ? FileError{} : LastFileError();
  }

 private:
  int fd_;
};

FileKind KindOf(mode_t m) {
  if (S_ISREG(m)) return FileKind::Regular;
  if (S_ISDIR(m)) return FileKind::Directory;
  return FileKind::Other;
}

}  // namespace

FileError PosixFileSystem::Stat(const std::string& path, FileInfo& info) {
  info = FileInfo{};
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return {};
    return LastFileError();
  }
  info.kind = KindOf(st.st_mode);
  info.size = std::uint64_t(st.st_size);
  info.mtimeNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  info.mode = st.st_mode & 07777;
  info.uid = st.st_uid;
  info.gid = st.st_gid;
  info.links = std::uint32_t(st.st_nlink);
  info.inode = std::uint64_t(st.st_ino);
  info.device = std::uint64_t(st.st_dev);
  return {};
}

FileError PosixFileSystem::OpenLocked(const std::string& path, std::unique_ptr<File>& file) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return LastFileError();
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
    FileError e = LastFileError();
    ::close(fd);
    return e;
  }
  file = std::make_unique<PosixFile>(fd);
  return {};
}

FileError PosixFileSystem::OpenRead(const std::string& path, std::unique_ptr<File>& file) {
  // O_NONBLOCK keeps a FIFO from blocking the open; callers refuse non-regular files.
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return LastFileError();
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  file = std::make_unique<PosixFile>(fd);
  return {};
}

FileError PosixFileSystem::CheckWritable(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return LastFileError();
  ::close(fd);
  return {};
}

FileError PosixFileSystem::CreateUnique(const std::string& dir, const std::string& prefix, std::string& path,
                                        std::unique_ptr<File>& file) {
  std::string templ = path::Join(dir, prefix + "XXXXXX");
  int fd = ::mkostemp(templ.data(), O_CLOEXEC);
  if (fd < 0) return LastFileError();
  // Held while the file is open, so RemoveUnused can tell a live file from a leftover.
  ::flock(fd, LOCK_EX | LOCK_NB);
  path = templ;
  file = std::make_unique<PosixFile>(fd);
  return {};
}

FileError PosixFileSystem::OpenWrite(const std::string& path, std::unique_ptr<File>& file) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return LastFileError();
  file = std::make_unique<PosixFile>(fd);
  return {};
}

FileError PosixFileSystem::OpenExisting(const std::string& path, std::unique_ptr<File>& file) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return LastFileError();
  file = std::make_unique<PosixFile>(fd);
  return {};
}

FileError PosixFileSystem::RemoveUnused(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return LastFileError();
  FileError e;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) e = LastFileError();
  else if (::unlink(path.c_str()) != 0) e = LastFileError();
  ::close(fd);
  return e;
}

FileError PosixFileSystem::Rename(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return LastFileError();
  // Make the new directory entry durable, so a crash cannot bring back the old one.
  std::string dir = path::DirName(to);
  int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
  return {};
}

FileError PosixFileSystem::SetOwner(const std::string& path, std::uint32_t uid, std::uint32_t gid) {
  return ::chown(path.c_str(), uid_t(uid), gid_t(gid)) == 0 ? FileError{} : LastFileError();
}

std::uint32_t PosixFileSystem::NewFileMode() {
  // The umask is read from /proc, because umask() can only be read by changing it.
  std::FILE* f = std::fopen("/proc/self/status", "r");
  unsigned mask = 022;
  if (f) {
    char line[256];
    while (std::fgets(line, sizeof line, f))
      if (std::sscanf(line, "Umask: %o", &mask) == 1) break;
    std::fclose(f);
  }
  return 0666u & ~mask;
}


FileError PosixFileSystem::Remove(const std::string& path) {
  return ::unlink(path.c_str()) == 0 ? FileError{} : LastFileError();
}

FileError PosixFileSystem::SetMode(const std::string& path, std::uint32_t mode) {
  return ::chmod(path.c_str(), mode_t(mode)) == 0 ? FileError{} : LastFileError();
}

FileError PosixFileSystem::MakeDirectories(const std::string& path) {
  if (path.empty()) return FileError{ENOENT, std::strerror(ENOENT)};
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    return S_ISDIR(st.st_mode) ? FileError{} : FileError{ENOTDIR, std::strerror(ENOTDIR)};
  }
  std::string parent = path::DirName(path);
  if (!parent.empty() && parent != path) {
    if (FileError e = MakeDirectories(parent)) return e;
  }
  if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) return LastFileError();
  return {};
}

FileError PosixFileSystem::ListDirectory(const std::string& path, std::vector<DirEntry>& entries) {
  entries.clear();
  DIR* d = ::opendir(path.c_str());
  if (!d) return LastFileError();
  // Closed on every way out, a failed allocation of an entry included.
  std::unique_ptr<DIR, int (*)(DIR*)> open(d, ::closedir);
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    FileKind kind = FileKind::Other;
    if (e->d_type == DT_REG) kind = FileKind::Regular;
    else if (e->d_type == DT_DIR) kind = FileKind::Directory;
    else if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
      struct stat st;
      if (::stat(path::Join(path, name).c_str(), &st) == 0) kind = KindOf(st.st_mode);
    }
    entries.push_back({name, kind});
  }
  return {};
}

FileError PosixFileSystem::CheckDirectoryAccess(const std::string& path) {
  struct stat st;
  if (path.empty()) return FileError{ENOENT, std::strerror(ENOENT)};
  if (::stat(path.c_str(), &st) != 0) return LastFileError();
  if (!S_ISDIR(st.st_mode)) return FileError{ENOTDIR, std::strerror(ENOTDIR)};
  if (::access(path.c_str(), X_OK) != 0) return LastFileError();
  return {};
}

std::string PosixFileSystem::ResolveLinks(const std::string& path) {
  // Follows the chain one link at a time so that a link to a file not yet
  // created still names that file. Each target is read relative to the real
  // folder of its link (realpath of the folder), so ".." after another link
  // goes where the system would go. A loop gives path back, and a chain into a
  // missing folder gives the name where it broke off (a save there fails).
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  std::string p = path;
  for (int hop = 0; hop < 40; ++hop) {
    std::string dir = path::DirName(p);
    char* real = ::realpath(dir.empty() ? "." : dir.c_str(), nullptr);
    if (!real) return p;
    std::string here = path::Join(real, path::FileName(p));
    std::free(real);
    if (::lstat(here.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return here;
    char buf[4096];
    ssize_t n = ::readlink(here.c_str(), buf, sizeof buf - 1);
    if (n <= 0) return path;
    std::string target(buf, std::size_t(n));
    p = path::IsAbsolute(target) ? target : path::Join(path::DirName(here), target);
  }
  return path;
}

std::string PosixFileSystem::TempDirectory() {
  const char* t = std::getenv("TMPDIR");
  return t && *t ? t : "/tmp";
}

}  // namespace kastrell
