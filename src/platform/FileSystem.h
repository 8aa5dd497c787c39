// Files and folders. Paths are UTF-8 strings with '/' separators (see Path.h).
// Every operation reports failure by value, with the system's error number and
// text, so callers can show "file operation failed" with the reason appended.
#pragma once
#include <cstdint>
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
  virtual FileError Close() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // A missing path is not an error: info.kind is Missing.
  virtual FileError Stat(const std::string& path, FileInfo& info) = 0;
  virtual FileError OpenRead(const std::string& path, std::unique_ptr<File>& file) = 0;
  // Opens an existing file for writing and closes it at once (the read-only test).
  virtual FileError CheckWritable(const std::string& path) = 0;
  // Creates a new file that did not exist, in directory dir, with a unique name
  // starting with prefix; the name is returned in path.
  virtual FileError CreateUnique(const std::string& dir, const std::string& prefix, std::string& path,
                                 std::unique_ptr<File>& file) = 0;
  // Opens path for writing, creating or truncating it.
  virtual FileError OpenWrite(const std::string& path, std::unique_ptr<File>& file) = 0;
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

// Replaces the contents of path with size bytes so that a reader sees either
// the old file or the new one, never a torn one: the bytes go to a temporary
// file in the same directory, are flushed, and the temporary file is renamed
// over path. An existing file's permission bits are kept; a new file is
// private to the user (0600). On failure the temporary file is removed and
// path is untouched. When path is a symbolic link the file it names is
// replaced and the link stays.
// A directory, device or FIFO at path is refused (EISDIR / EINVAL).
struct AtomicWriteOptions {
  std::string_view head;            // bytes written before data (a signature)
  std::uint32_t newFileMode = 0600;  // the permission bits of a file that did not exist
};
FileError WriteFileAtomically(FileSystem& fs, const std::string& path, const void* data, std::size_t size,
                              const AtomicWriteOptions& options = {});

}  // namespace kastrell
