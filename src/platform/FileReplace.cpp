// Replacing a file's contents so that nothing is lost: the rename of a
// complete copy, or, when a rename would split hard links or change the
// owner, a write in place after a flushed copy of the old contents.
#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Path.h"

namespace kastrell {

namespace {

FileError ErrorOf(int code) { return FileError{code, std::strerror(code)}; }

FileError WriteContents(File& file, std::string_view head, const void* data, std::size_t size) {
  if (!head.empty())
    if (FileError e = file.Write(head.data(), head.size())) return e;
  if (size > 0) return file.Write(data, size);
  return {};
}

// Copies the whole of the file at from into to.
FileError CopyInto(FileSystem& fs, const std::string& from, File& to) {
  return ReadInChunks(fs, from, [&](const char* data, std::size_t size) { return to.Write(data, size); });
}

// Overwrites path with the contents of the file at source (its own old
// contents, kept in the copy), then cuts it to that size.
FileError WriteBack(FileSystem& fs, const std::string& path, const std::string& source, std::uint64_t size) {
  std::unique_ptr<File> out;
  if (FileError e = fs.OpenExisting(path, out)) return e;
  if (FileError e = CopyInto(fs, source, *out)) return e;
  if (FileError e = out->Truncate(size)) return e;
  if (FileError e = out->Sync()) return e;
  return out->Close();
}

// The write in place: copy holds a new, flushed copy of the old contents
// before the first byte of path changes; a failed write is undone from it.
// The copy is removed when the file is whole again (new or old contents),
// and kept, named in the error, when even putting the old contents back failed.
FileError WriteInPlace(FileSystem& fs, const std::string& path, const FileInfo& old, const std::string& copyPath,
                       File& copy, std::string_view head, const void* data, std::size_t size) {
  FileError e = CopyInto(fs, path, copy);
  if (!e) e = copy.Sync();
  if (e) {
    copy.Close();
    fs.Remove(copyPath);
    return e;
  }
  std::unique_ptr<File> out;
  e = fs.OpenExisting(path, out);
  const std::uint64_t total = head.size() + std::uint64_t(size);
  // Space reserved up front means a full disk is found before anything changes.
  if (!e) e = out->Reserve(total);
  bool touched = false;
  if (!e) {
    touched = true;
    e = WriteContents(*out, head, data, size);
    if (!e) e = out->Truncate(total);
    if (!e) e = out->Sync();
    FileError closed = out->Close();
    if (!e) e = closed;
  }
  if (e && touched) {
    out.reset();
    if (FileError restore = WriteBack(fs, path, copyPath, old.size)) {
      copy.Close();
      e.message += "; the old contents are kept in " + copyPath;
      return e;
    }
  }
  copy.Close();
  fs.Remove(copyPath);
  return e;
}

// Removes the temporary files that killed saves of the same file left behind.
void RemoveLeftovers(FileSystem& fs, const std::string& dir, const std::string& prefix) {
  constexpr std::size_t kUniqueChars = 6;  // the XXXXXX of CreateUnique
  std::vector<DirEntry> entries;
  if (fs.ListDirectory(dir, entries)) return;
  for (const DirEntry& entry : entries) {
    if (entry.kind != FileKind::Regular || entry.name.size() != prefix.size() + kUniqueChars ||
        entry.name.compare(0, prefix.size(), prefix) != 0)
      continue;
    fs.RemoveUnused(path::Join(dir, entry.name));
  }
}

}  // namespace

std::string SaveTemporaryPrefix(const std::string& path) { return "." + path::FileName(path) + ".tmp-"; }

FileError ReplaceFileContents(FileSystem& fs, const std::string& linkOrPath, const void* data, std::size_t size,
                              const FileReplaceOptions& options) {
  if (linkOrPath.empty()) return ErrorOf(ENOENT);
  // Renaming over a link would replace the link, not the file it names.
  const std::string path = fs.ResolveLinks(linkOrPath);
  FileInfo old;
  if (FileError e = fs.Stat(path, old)) return e;
  if (old.kind == FileKind::Directory) return ErrorOf(EISDIR);
  if (old.kind == FileKind::Other) return ErrorOf(EINVAL);
  const bool exists = old.kind == FileKind::Regular;
  // A rename needs only the folder's permission; the file's own must agree too.
  if (exists)
    if (FileError e = fs.CheckWritable(path)) return e;
  std::string dir = path::DirName(path);
  if (dir.empty()) dir.push_back('.');
  const std::string prefix = SaveTemporaryPrefix(path);
  std::string temp;
  std::unique_ptr<File> file;
  // A new, exclusively created file next to the target: nothing else can have
  // its name, and the rename below stays on one file system.
  if (FileError e = fs.CreateUnique(dir, prefix, temp, file)) return e;

  bool inPlace = exists && old.links > 1;
  if (exists && !inPlace) {
    FileInfo mine;
    if (fs.Stat(temp, mine) || mine.uid != old.uid || mine.gid != old.gid) {
      // Before the mode, because a change of owner clears set-id bits.
      if (fs.SetOwner(temp, old.uid, old.gid)) inPlace = true;
    }
  }
  FileError e;
  if (inPlace) {
    e = WriteInPlace(fs, path, old, temp, *file, options.head, data, size);
  } else {
    e = WriteContents(*file, options.head, data, size);
    if (!e) e = file->Sync();
    if (!e) e = fs.SetMode(temp, exists ? old.mode & 07777 : options.newFileMode);
    // Renamed while still open, so that no cleanup of leftovers takes it for one.
    if (!e) e = fs.Rename(temp, path);
    file->Close();  // the data was flushed: a close cannot lose it any more
    if (e) fs.Remove(temp);
  }
  if (!e) RemoveLeftovers(fs, dir, prefix);
  return e;
}

}  // namespace kastrell
