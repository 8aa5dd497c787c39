#include "text/FileWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/CodePages.h"
#include "platform/FileSystem.h"
#include "platform/LargeBuffer.h"
#include "platform/MessageBoxes.h"
#include "platform/Path.h"
#include "platform/Platform.h"
#include "platform/Strings.h"
#include "platform/SystemInfo.h"
#include "text/Encoding.h"
#include "text/FileErrors.h"

namespace kastrell {

namespace {


void PlainFileOperationFailed() {
  CurrentPlatform().boxes->Show({std::string(LoadString(23547)), Buttons::Ok, Icon::None, {}});
}

void ShowTooLarge() {
  CurrentPlatform().boxes->Show({std::string(LoadString(21696)), Buttons::Ok, Icon::Stop, {}});
}

// UTF-16 units encoded at a time: the pieces stay in the caches and no copy
// of the whole text is made.
constexpr std::size_t kPieceUnits = std::size_t(1) << 20;
// Bytes a unit may need at most in any code page (GB18030 writes four).
constexpr std::size_t kMaxBytesPerUnit = 4;

}  // namespace

Encoded EncodeText(const TextBuffer& buf, LineStyle separator, bool asDisplayed, std::int32_t encoding,
                   EncodedText& out, bool& usedDefault, const std::function<bool(EncodedText&)>& drain) {
  CodePages& pages = *CurrentPlatform().codePages;
  const bool inPieces = pages.EncodesInPieces(encoding);
  const std::int32_t lines = buf.LineCount();
  const TextPos end = buf.EndPos();
  ExtractedText piece;
  out.size = 0;
  usedDefault = false;
  std::int32_t line = 0;
  while (true) {
    // The next piece: whole lines up to kPieceUnits (at least one line).
    std::int32_t next = lines;
    if (inPieces) {
      std::size_t units = 0;
      next = line;
      do units += std::size_t(buf.LineLength(next++)) + 2;
      while (next < lines && units + std::size_t(buf.LineLength(next)) <= kPieceUnits);
    }
    const TextPos to = next >= lines ? end : TextPos{next, 0};
    if (!buf.ExtractText(piece, TextPos{line, 0}, to, separator, asDisplayed)) return Encoded::NoText;
    const std::size_t count = std::size_t(piece.length);
    // Room for the worst case of this piece; room never touched costs no memory.
    if (out.block.Size() - out.size < count * kMaxBytesPerUnit) {
      if (out.size + count * kMaxBytesPerUnit >= 2 * kMaxEncodedSize) return Encoded::TooLarge;
      std::size_t want = std::max(out.size + count * kMaxBytesPerUnit, out.block.Size() + out.block.Size() / 2);
      if (!out.block.Resize(want)) return Encoded::OutOfMemory;
    }
    if (count > 0) {
      ConvertResult r = pages.FromUtf16(encoding, piece.units.get(), count, out.block.Data() + out.size,
                                        out.block.Size() - out.size);
      if (!r.ok) return Encoded::Failed;
      usedDefault |= r.usedDefault;
      out.size += r.length;
      if (out.size >= kMaxEncodedSize) return Encoded::TooLarge;
      if (drain && !drain(out)) return Encoded::Failed;
    }
    if (next >= lines) break;
    line = next;
  }
  return Encoded::Ok;
}

namespace {

// The text in a code page other than UTF-16. Returns false with the reason
// shown (unless silent) when it cannot be converted.
enum class Converted { Ok, Failed, Cancelled };
Converted ConvertText(CMyEditDoc& doc, const std::string& path, bool silent, const WriteEnvironment& env,
                      std::int32_t& encoding, EncodedText& out) {
  CodePages& pages = *CurrentPlatform().codePages;
  // Code pages that lacked a character: choosing one again would only bring
  // the same question back, so it counts as cancelling.
  std::vector<std::int32_t> lacking;
  while (true) {
    if (encoding == kEncodingUtf16Le || encoding == kEncodingUtf16Be) return Converted::Ok;  // chosen below
    bool usedDefault = false;
    Encoded e = EncodeText(doc.Buffer(), doc.lineStyle, env.hardBreak, encoding, out, usedDefault);
    if (e == Encoded::Failed || e == Encoded::NoText) {
      // Never write an empty file because the text could not be taken out.
      if (!silent) PlainFileOperationFailed();
      return Converted::Failed;
    }
    if (e == Encoded::OutOfMemory) {
      if (!silent) ReportOutOfMemory();
      return Converted::Failed;
    }
    if (e == Encoded::TooLarge) {
      ShowTooLarge();
      return Converted::Failed;
    }
    // A character without an exact mapping was written as '?': ask before
    // anything is written. UTF-8 counts too: a lone surrogate has no UTF-8 form.
    if (!silent && usedDefault) {
      lacking.push_back(encoding);
      std::string q = FormatString(LoadString(21685), {path});
      Answer a = CurrentPlatform().boxes->Show({q, Buttons::YesNoCancel, Icon::Question, {}}).answer;
      if (a == Answer::Yes) {
        std::optional<std::int32_t> chosen = env.chooser ? env.chooser->ChooseEncoding(encoding) : std::nullopt;
        if (!chosen) {
          doc.saveCancelled = true;
          return Converted::Cancelled;
        }
        encoding = *chosen == 0 ? pages.AnsiCodePage() : *chosen;
        if (std::find(lacking.begin(), lacking.end(), encoding) != lacking.end()) {
          doc.saveCancelled = true;
          return Converted::Cancelled;
        }
        continue;
      }
      if (a != Answer::No) {
        doc.saveCancelled = true;
        return Converted::Cancelled;
      }
    }
    if (out.size == 0) {
      if (!silent) PlainFileOperationFailed();
      return Converted::Failed;
    }
    return Converted::Ok;
  }
}

// Copies a file to a new name, atomically.
FileError CopyFile(const std::string& from, const std::string& to) {
  FileSystem& fs = *CurrentPlatform().files;
  std::string bytes;
  if (FileError e = ReadWholeFile(fs, from, bytes)) return e;
  return ReplaceFileContents(fs, to, bytes.data(), bytes.size(), {{}, fs.NewFileMode()});
}

// Makes a name safe to use as one path component: no separators, no "." or
// "..", no control characters (a remote server name comes from outside).
std::string SafeComponent(std::string s) {
  for (char& c : s)
    if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20) c = '_';
  if (s.empty() || s == "." || s == "..") return std::string(1, '_');
  return s;
}


}  // namespace

bool WriteDocumentFile(CMyEditDoc& doc, const std::string& path, bool silent, const WriteEnvironment& env) {
  // Memory that runs out on the way is reported and fails the call.
  return ReportingShortage([&]() -> bool {
    doc.saveCancelled = false;
    const TextBuffer& buf = doc.Buffer();
    std::int32_t encoding = doc.encoding == kEncodingAnsi ? CurrentPlatform().codePages->AnsiCodePage() : doc.encoding;
    EncodedText converted;
    const char* data = nullptr;
    std::size_t size = 0;
    const bool empty = buf.LineCount() == 1 && buf.LineLength(0) == 0;
    if (encoding != kEncodingUtf16Le && encoding != kEncodingUtf16Be && !empty) {
      Converted c = ConvertText(doc, path, silent, env, encoding, converted);
      if (c != Converted::Ok) return false;
      data = converted.block.Data();
      size = converted.size;
    }
    std::string head;
    ExtractedText text;
    if (encoding == kEncodingUtf16Le || encoding == kEncodingUtf16Be) {
      // The UTF-16 text is the file: one copy out of the lines, swapped in
      // place for big-endian.
      converted.block.Release();  // bytes of an encoding the user changed from
      text = buf.GetAllText(doc.lineStyle, env.hardBreak);
      if (!text.ok) {
        // Never write an empty file because the text could not be taken out.
        if (!silent) PlainFileOperationFailed();
        return false;
      }
      const std::size_t count = std::size_t(text.length);
      if (std::uint64_t(count) * 2 >= kMaxEncodedSize) {
        ShowTooLarge();
        return false;
      }
      char16_t* u = text.units.get();
      if (encoding == kEncodingUtf16Be) {
        for (std::size_t i = 0; i < count; ++i) u[i] = char16_t((u[i] >> 8) | (u[i] << 8));
        head = "\xFE\xFF";
      } else {
        head = "\xFF\xFE";
      }
      data = reinterpret_cast<const char*>(u);
      size = count * 2;
    } else if (encoding == kEncodingUtf8) {
      bool sign = false;
      switch (env.bom) {
        case BomPolicy::WhenNeeded: sign = !DetectUtf8(data ? data : "", size).isUtf8; break;
        case BomPolicy::Always: sign = true; break;
        case BomPolicy::Never: sign = false; break;
        case BomPolicy::Keep: sign = doc.utf8Signature; break;
      }
      if (sign) head = "\xEF\xBB\xBF";
    }
    FileSystem& fs = *CurrentPlatform().files;
    // A new document gets the usual permissions of the user's files.
    if (FileError e = ReplaceFileContents(fs, path, data, size, {head, fs.NewFileMode()})) {
      ReportFileError(path, e);
      return false;
    }
    if (encoding != doc.encoding) {
      doc.encoding = encoding;
      if (env.activeDocument && env.status) env.status->Refresh(doc);
    }
    return true;
  });
}

std::string NamePart(const std::string& name) {
  std::size_t cut = name.find_last_of("\\/:");
  return cut == std::string::npos ? name : name.substr(cut + 1);
}

std::string BackupDirectory(const SaveSettings& settings) {
  std::string dir = ExpandEnvironmentReferences(settings.backupDir, *CurrentPlatform().system);
  while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
  return dir;
}

std::string BackupFileName(const SaveSettings& settings, const std::string& fileName, const std::string& displayPath,
                           const std::string& extension, const LocalTime& now, bool createDirs) {
  std::string dir = BackupDirectory(settings);
  if (settings.backupDirname) {
    std::size_t cut = displayPath.find_last_of('\\');
    if (cut == std::string::npos) cut = displayPath.find_last_of('/');
    std::string sub = cut == std::string::npos ? std::string() : displayPath.substr(0, cut);
    dir = path::Join(dir, SafeComponent(sub));
    if (createDirs) CurrentPlatform().files->MakeDirectories(dir);
  }
  std::string name = path::Join(dir, SafeComponent(fileName));
  if (settings.backupDatetime) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, ".%04d%02d%02d_ %02d%02d%02d", now.year % 10000, now.month % 100,
                  now.day % 100, now.hour % 100, now.minute % 100, now.second % 100);
    name.append(stamp);
  }
  return name + extension;
}

bool MakeBackup(const SaveSettings& settings, const std::string& sourceFile, std::string fileName,
                std::string extension, const std::string& displayPath, bool remote, bool interactive) {
  if (sourceFile.empty()) return false;
  Platform& platform = CurrentPlatform();
  FileSystem& fs = *platform.files;
  FileInfo info;
  if (fs.Stat(sourceFile, info) || info.kind != FileKind::Regular) return false;  // nothing to back up
  if (fileName.empty()) fileName = NamePart(sourceFile);
  if (extension.empty()) extension = settings.backupExtension;
  const bool haveDir = !BackupDirectory(settings).empty();
  std::string target;
  bool ok = false;
  if (!haveDir && !remote) {
    target = sourceFile + extension;
    return !CopyFile(sourceFile, target);  // silent
  }
  if (haveDir) {
    target = BackupFileName(settings, fileName, displayPath, extension, platform.clock->Now(), true);
    ok = !CopyFile(sourceFile, target);
    std::string dir = path::DirName(target);
    FileInfo d;
    if (!ok && interactive && !fs.Stat(dir, d) && d.kind == FileKind::Missing) {
      std::string q = FormatString(LoadString(21686), {dir});
      if (platform.boxes->Show({q, Buttons::YesNo, Icon::Stop, {}}).answer == Answer::Yes) {
        fs.MakeDirectories(dir);
        ok = !CopyFile(sourceFile, target);
      }
    }
    if (!remote) return ok;
  }
  if (!ok && interactive) {
    // A remote file has no other copy on this machine: tell the user.
    std::string q = FormatString(LoadString(21687), {displayPath, target});
    platform.boxes->Show({q, Buttons::YesNo, Icon::Stop, {}});
  }
  return ok;
}

std::string TempFileName(const CMyEditDoc& doc, const SaveSettings& settings) {
  std::string base;
  if (!doc.PathName().empty() && !doc.remote) {
    base = doc.PathName();
  } else if (doc.PathName().empty()) {
    std::string dir = BackupDirectory(settings);
    if (dir.empty()) return {};
    base = path::Join(dir, SafeComponent(TitleWithoutMarker(doc.Title())));
  } else {
    return {};
  }
  // The copy this document already writes to stays its name.
  if (!doc.tempCopyPath.empty() && doc.tempCopyPath.rfind(base, 0) == 0) return doc.tempCopyPath;
  FileSystem& fs = *CurrentPlatform().files;
  for (int n = 0; n < 1000; ++n) {
    std::string name = base;
    if (n > 0) name.append(".").append(std::to_string(n));
    name.append(".tmp");
    FileInfo info;
    if (!fs.Stat(name, info) && info.kind == FileKind::Missing) return name;
  }
  return {};
}

std::int32_t AutoSaveIntervalTenths(std::int32_t autoSave, std::int32_t autoSaveDec) {
  autoSave = std::clamp(autoSave, 0, 100);
  autoSaveDec = std::clamp(autoSaveDec, 0, 9);
  return autoSave * 10 + autoSaveDec;
}

void ParseAutoSaveText(const std::string& input, std::int32_t& autoSave, std::int32_t& autoSaveDec) {
  std::string text = input.substr(0, 9);
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  std::int64_t whole = 0;
  bool negative = i < text.size() && text[i] == '-';
  if (negative || (i < text.size() && text[i] == '+')) ++i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') whole = std::min<std::int64_t>(whole * 10 + (text[i++] - '0'), 1000);
  std::int32_t tenths = 0;
  if (i < text.size() && (text[i] == '.' || text[i] == ',') && i + 1 < text.size() && text[i + 1] >= '0' &&
      text[i + 1] <= '9')
    tenths = text[i + 1] - '0';  // later digits are cut off, not rounded
  if (negative) {
    whole = 0;
    tenths = 0;
  }
  if (whole >= 100) {
    whole = 100;
    tenths = 0;
  }
  autoSave = std::int32_t(whole);
  autoSaveDec = tenths;
}

}  // namespace kastrell
