#include "platform/posix/FreedesktopTrash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/Path.h"

namespace kastrell {

namespace {

FileError ErrorOf(int code) { return {code, std::strerror(code)}; }
FileError LastError() { return ErrorOf(errno); }

FileError MakePrivateDir(const std::string& dir) {
  if (::mkdir(dir.c_str(), 0700) == 0) return {};
  if (errno != EEXIST) return LastError();
  struct stat st;
  if (::lstat(dir.c_str(), &st) != 0) return LastError();
  if (!S_ISDIR(st.st_mode)) return ErrorOf(ENOTDIR);
  return {};
}

FileError MakePrivateDirs(const std::string& dir) {
  std::string parent = path::DirName(dir);
  struct stat st;
  if (!parent.empty() && parent != dir && ::stat(parent.c_str(), &st) != 0) {
    if (FileError e = MakePrivateDirs(parent)) return e;
  }
  return MakePrivateDir(dir);
}

// The nearest existing folder at or above p.
std::string ExistingAncestor(std::string p) {
  struct stat st;
  while (!p.empty() && p != "/" && ::stat(p.c_str(), &st) != 0) p = path::DirName(p);
  return p.empty() ? "/" : p;
}

// The mount point of the file system holding path: the highest folder above
// it on the same device.
std::string TopDirectory(const std::string& path, dev_t device) {
  std::string top = path::DirName(path);
  for (;;) {
    if (top == "/" || top.empty()) return "/";
    std::string up = path::DirName(top);
    struct stat st;
    if (up.empty() || ::stat(up.c_str(), &st) != 0 || st.st_dev != device) return top;
    top = up;
  }
}

FileError WriteAll(int fd, const std::string& data) {
  const char* p = data.data();
  std::size_t left = data.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    p += n;
    left -= std::size_t(n);
  }
  return {};
}

// Copies a regular file with its permission bits, flushed to disk.
FileError CopyFile(const std::string& from, const std::string& to, mode_t mode) {
  int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return LastError();
  int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 07777);
  if (out < 0) {
    FileError e = LastError();
    ::close(in);
    return e;
  }
  FileError e;
  char buf[65536];
  for (;;) {
    ssize_t n = ::read(in, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) { e = LastError(); break; }
    if (n == 0) break;
    if ((e = WriteAll(out, std::string(buf, std::size_t(n))))) break;
  }
  if (!e && ::fsync(out) != 0) e = LastError();
  if (::close(out) != 0 && !e) e = LastError();
  ::close(in);
  if (e) ::unlink(to.c_str());
  return e;
}

std::string DeletionDate() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&now, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
  return buf;
}

}  // namespace

std::string FreedesktopTrash::HomeTrashFromEnvironment() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data && *data == '/') return std::string(data) + "/Trash";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/") + "/.local/share/Trash";
}

std::string FreedesktopTrash::EncodePath(const std::string& p) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : p) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' || c == '-' ||
        c == '_' || c == '.' || c == '~') {
      out += char(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

FileError FreedesktopTrash::MoveToTrash(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return LastError();
  if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) return ErrorOf(EISDIR);

  struct stat homeSt;
  const std::string homeBase = ExistingAncestor(home_);
  const bool homeSameDevice = ::stat(homeBase.c_str(), &homeSt) == 0 && homeSt.st_dev == st.st_dev;
  if (homeSameDevice) return MoveInto(home_, path, path, true);

  // Another file system: its own trash at the top, so nothing is copied.
  const std::string top = TopDirectory(path, st.st_dev);
  std::string relative = path.substr(top == "/" ? 1 : top.size() + 1);
  const std::string uid = std::to_string(::getuid());
  struct stat shared;
  const std::string sharedDir = path::Join(top, ".Trash");
  if (::lstat(sharedDir.c_str(), &shared) == 0 && S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX)) {
    if (!MoveInto(path::Join(sharedDir, uid), path, relative, true)) return {};
  }
  if (!MoveInto(path::Join(top, ".Trash-" + uid), path, relative, true)) return {};
  return MoveInto(home_, path, path, false);
}

FileError FreedesktopTrash::MoveInto(const std::string& trashDir, const std::string& path,
                                     const std::string& recordedPath, bool sameDevice) {
  const std::string filesDir = path::Join(trashDir, "files");
  const std::string infoDir = path::Join(trashDir, "info");
  if (FileError e = MakePrivateDirs(trashDir)) return e;
  if (FileError e = MakePrivateDir(filesDir)) return e;
  if (FileError e = MakePrivateDir(infoDir)) return e;

  const std::string base = path::FileName(path);
  std::string name, info;
  int fd = -1;
  for (int n = 1; n < 10000 && fd < 0; ++n) {
    name = n == 1 ? base : base + "." + std::to_string(n);
    info = path::Join(infoDir, name + ".trashinfo");
    struct stat st;
    if (::lstat(path::Join(filesDir, name).c_str(), &st) == 0) continue;
    fd = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) return LastError();
  }
  if (fd < 0) return ErrorOf(EEXIST);
  std::string record = "[Trash Info]\nPath=" + EncodePath(recordedPath) + "\nDeletionDate=" + DeletionDate() + "\n";
  FileError e = WriteAll(fd, record);
  if (!e && ::fsync(fd) != 0) e = LastError();
  if (::close(fd) != 0 && !e) e = LastError();

  const std::string target = path::Join(filesDir, name);
  if (!e && ::rename(path.c_str(), target.c_str()) != 0) {
    e = LastError();
    if (e.code == EXDEV && !sameDevice) {
      struct stat st;
      e = ::lstat(path.c_str(), &st) != 0 ? LastError()
          : S_ISREG(st.st_mode)           ? CopyFile(path, target, st.st_mode)
                                          : ErrorOf(EXDEV);
      if (!e && ::unlink(path.c_str()) != 0) {
        e = LastError();
        ::unlink(target.c_str());
      }
    }
  }
  if (e) {
    ::unlink(info.c_str());
    return e;
  }
  trashedFile_ = target;
  infoFile_ = info;
  return {};
}

}  // namespace kastrell
