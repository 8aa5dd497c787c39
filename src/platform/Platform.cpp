#include "platform/Platform.h"

#include "platform/SystemInfo.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <cstdlib>

#include "platform/Diagnostics.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/Path.h"

namespace kastrell {

namespace {
Platform* g_platform = nullptr;
}

Platform& CurrentPlatform() {
  if (!g_platform) {
    std::fputs("kastrell: no platform installed\n", stderr);
    std::abort();
  }
  return *g_platform;
}

Platform* SetPlatform(Platform* p) {
  Platform* old = g_platform;
  g_platform = p;
  return old;
}

Answer DefaultAnswer(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::OkCancel: return Answer::Cancel;
    case Buttons::YesNo: return Answer::No;
    case Buttons::YesNoCancel: return Answer::Cancel;
    case Buttons::RetryCancel: return Answer::Cancel;
    case Buttons::AbortRetryIgnore: return Answer::Abort;
  }
  return Answer::Cancel;
}

void MessageBoxDiagnostics::UnexpectedError(std::string_view text) {
  boxes_.Show(MessageRequest{std::string(text), Buttons::Ok, Icon::None, {}});
}

FileError ReadWholeFile(FileSystem& fs, const std::string& path, std::string& bytes) {
  bytes.clear();
  std::unique_ptr<File> file;
  if (FileError e = fs.OpenRead(path, file)) return e;
  char chunk[65536];
  for (;;) {
    std::size_t got = 0;
    if (FileError e = file->Read(chunk, sizeof chunk, got)) return e;
    if (got == 0) break;
    bytes.append(chunk, got);
  }
  return file->Close();
}

FileError WriteFileAtomically(FileSystem& fs, const std::string& linkOrPath, const void* data, std::size_t size,
                              const AtomicWriteOptions& options) {
  if (linkOrPath.empty()) return FileError{ENOENT, std::strerror(ENOENT)};
  // Renaming over a link would replace the link, not the file it names.
  const std::string path = fs.ResolveLinks(linkOrPath);
  FileInfo old;
  if (FileError e = fs.Stat(path, old)) return e;
  if (old.kind == FileKind::Directory) return FileError{EISDIR, std::strerror(EISDIR)};
  if (old.kind == FileKind::Other) return FileError{EINVAL, std::strerror(EINVAL)};
  std::string dir = path::DirName(path);
  if (dir.empty()) dir.push_back('.');
  std::string temp;
  std::unique_ptr<File> file;
  std::string prefix(1, '.');
  prefix += path::FileName(path);
  prefix += ".tmp-";
  // A new, exclusively created file next to the target: nothing else can have
  // its name, and the rename below stays on one file system.
  if (FileError e = fs.CreateUnique(dir, prefix, temp, file)) return e;
  FileError e;
  if (!options.head.empty()) e = file->Write(options.head.data(), options.head.size());
  if (!e && size > 0) e = file->Write(data, size);
  if (!e) e = file->Sync();
  FileError closed = file->Close();
  if (!e) e = closed;
  // The replacement keeps the old file's owner where that is allowed (before
  // the mode, because a change of owner clears set-id bits) and its mode.
  if (!e && old.kind == FileKind::Regular) fs.SetOwner(temp, old.uid, old.gid);
  if (!e) e = fs.SetMode(temp, old.kind == FileKind::Regular ? old.mode & 07777 : options.newFileMode);
  if (!e) e = fs.Rename(temp, path);
  if (e) fs.Remove(temp);
  return e;
}

std::string ExpandEnvironmentReferences(std::string_view value, SystemInfo& system) {
  std::string out;
  std::size_t i = 0;
  while (i < value.size()) {
    std::size_t open = value.find('%', i);
    std::size_t close = open == value.npos ? value.npos : value.find('%', open + 1);
    if (close == value.npos) {
      out.append(value.substr(i));
      break;
    }
    out.append(value.substr(i, open - i));
    std::string name(value.substr(open + 1, close - open - 1));
    std::optional<std::string> v = name.empty() ? std::nullopt : system.GetEnv(name);
    if (v) {
      out += *v;
    } else {
      out.append(value.substr(open, close - open + 1));
    }
    i = close + 1;
  }
  return out;
}

}  // namespace kastrell
