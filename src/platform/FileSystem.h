// Files and folders. Paths are UTF-8 strings with '/' separators (see Path.h).
// Every operation reports failure by value, with the system's error number and
// text, so callers can show "file operation failed" with the reason appended.
#pragma once
#include <cerrno>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kastrell {

struct FileError {
  int code = 0;          // errno-style number; 0 means success
  std::string message;   // the system's text for code
  explicit operator bool() const { return code != 0; }  // true when failed
  static FileError Ok() { return {}; }
};

enum class FileKind { Missing, Regular, Directory, Other };

struct FileInfo {
  FileKind kind = FileKind::Missing;
  std::uint64_t size = 0;
  std::int64_t mtimeNs = 0;  // last write, nanoseconds since the epoch
  std::uint32_t mode = 0;    // permission bits
  std::uint32_t uid = 0, gid = 0;  // owner and group
  std::uint32_t links = 1;         // hard links: names of the same file
  std::uint64_t inode = 0, device = 0;  // identity: a file replaced by rename has a new inode
};

struct DirEntry {
  std::string name;
  FileKind kind = FileKind::Regular;
};

class File {
 public:
  virtual ~File() = default;
  // Reads up to size bytes; got = 0 at end of file.
  virtual FileError Read(void* buffer, std::size_t size, std::size_t& got) = 0;
  // Writes all size bytes or fails.
  virtual FileError Write(const void* buffer, std::size_t size) = 0;
  // Flushes the data to the disk.
  virtual FileError Sync() = 0;
  // Cuts or extends the file to size bytes.
  virtual FileError Truncate(std::uint64_t /*size*/) { return FileError{ENOSYS, "not supported"}; }
  // Reserves disk space for size bytes, so that writing them cannot run out
  // of space; success where the file system cannot reserve.
  virtual FileError Reserve(std::uint64_t /*size*/) { return {}; }
  // Writes at a position, without moving the current one.
  virtual FileError WriteAt(std::uint64_t /*offset*/, const void* /*buffer*/, std::size_t /*size*/) {
    return FileError{ENOSYS, "not supported"};
  }
  virtual FileError Close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // A missing path is not an error: info.kind is Missing.
  virtual FileError Stat(const std::string& path, FileInfo& info) = 0;
  virtual FileError OpenRead(const std::string& path, std::unique_ptr<File>& file) = 0;
  // Opens path for reading and takes a shared advisory lock on it (flock), so
  // cooperating programs cannot take a writer's lock while the handle lives.
  // The default only opens the file.
  virtual FileError OpenLocked(const std::string& path, std::unique_ptr<File>& file) { return OpenRead(path, file); }
  // Opens an existing file for writing and closes it at once (the read-only test).
  virtual FileError CheckWritable(const std::string& path) = 0;
  // Creates a new file that did not exist, in directory dir, with a unique name
  // starting with prefix; the name is returned in path.
  virtual FileError CreateUnique(const std::string& dir, const std::string& prefix, std::string& path,
                                 std::unique_ptr<File>& file) = 0;
  // Opens path for writing, creating or truncating it.
  virtual FileError OpenWrite(const std::string& path, std::unique_ptr<File>& file) = 0;
  // Opens an existing file for writing without truncating it (a write in
  // place keeps the file's identity: its links, owner and mode).
  virtual FileError OpenExisting(const std::string& /*path*/, std::unique_ptr<File>& /*file*/) {
    return FileError{ENOSYS, "not supported"};
  }
  // Removes a file that CreateUnique made, unless a live process still holds
  // it (a save in progress): the leftovers of a killed save go, nothing else.
  virtual FileError RemoveUnused(const std::string& path) { return Remove(path); }
  // Renames from over to, replacing it atomically; the rename is flushed to
  // disk with the directory.
  virtual FileError Rename(const std::string& from, const std::string& to) = 0;
  virtual FileError Remove(const std::string& path) = 0;
  virtual FileError SetMode(const std::string& path, std::uint32_t mode) = 0;
  // Creates the directory and any missing parents; an existing directory is success.
  virtual FileError MakeDirectories(const std::string& path) = 0;
  virtual FileError ListDirectory(const std::string& path, std::vector<DirEntry>& entries) = 0;
  // Whether the process could make path its current directory: it exists, is a
  // directory and may be searched. Nothing is changed.
  virtual FileError CheckDirectoryAccess(const std::string& path) = 0;
  // The file a chain of symbolic links finally names, which need not exist
  // yet; path itself when it is not a link or the chain cannot be followed.
  // Each link's target is taken relative to the real folder of the link, as
  // the system resolves it ("sub/../x" behind a linked "sub" leaves the
  // folder "sub" points to), never by editing the path text.
  virtual std::string ResolveLinks(const std::string& path) = 0;
  virtual std::string TempDirectory() = 0;
  // Gives path this owner and group where the process may (root may; others
  // can usually only change the group). The default changes nothing.
  virtual FileError SetOwner(const std::string& /*path*/, std::uint32_t /*uid*/, std::uint32_t /*gid*/) {
    return {};
  }
  // The permission bits a newly created file gets (0666 less the umask).
  virtual std::uint32_t NewFileMode() { return 0644; }
};

// Reads a whole file into bytes.
FileError ReadWholeFile(FileSystem& fs, const std::string& path, std::string& bytes);
// Reads a whole file and hands it to take piece by piece; an error of take ends the read.
FileError ReadInChunks(FileSystem& fs, const std::string& path,
                       const std::function<FileError(const char* data, std::size_t size)>& take);

// Replaces the contents of path with head + data so that nothing is lost on
// any failure (a full disk, a killed process, a file one may not write):
// - the target's write permission is checked first, as a write in place would;
// - a symbolic link is followed through the file system, the link stays;
// - a file with one link whose owner and group can be kept is replaced by
//   renaming a complete, flushed copy over it (readers see the old file or the
//   new one, never a torn one); the permission bits are kept;
// - a file with other hard links, or whose owner or group the new copy could
//   not take, is written in place after a complete copy of its old contents
//   was flushed next to it, so the links and the owner survive; a failed write
//   puts the old contents back;
// - a new file gets options.newFileMode;
// - leftovers of a killed save of the same file (".name.tmp-XXXXXX") are
//   removed after a successful one.
// A directory, device or FIFO at path is refused (EISDIR / EINVAL).
struct FileReplaceOptions {
  std::string_view head;             // bytes written before data (a signature)
  std::uint32_t newFileMode = 0600;  // the permission bits of a file that did not exist
};
FileError ReplaceFileContents(FileSystem& fs, const std::string& path, const void* data, std::size_t size,
                              const FileReplaceOptions& options = {});

// The prefix of the temporary files a save of path creates next to it.
std::string SaveTemporaryPrefix(const std::string& path);

}  // namespace kastrell
