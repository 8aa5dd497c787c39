#include "lang/DescriptionFile.h"

#include <cerrno>

#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/AnsiText.h"
#include "platform/Utf.h"

namespace kastrell {

std::u16string DecodeDescriptionFile(std::string_view bytes) {
  std::u16string text;
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::size_t units = (bytes.size() - 2) / 2;
    text.resize(units);
    for (std::size_t i = 0; i < units; ++i)
      text[i] = char16_t(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                         static_cast<unsigned char>(bytes[3 + 2 * i]) << 8);
  } else {
    text = AnsiToUtf16(bytes.substr(0, bytes.find('\0')));
  }
  std::size_t nul = text.find(u'\0');
  if (nul != text.npos) text.resize(nul);
  return text;
}

bool IsDescriptionBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' || c == 0x85 ||
         c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
         c == 0x202F || c == 0x205F || c == 0x3000;
}

std::string ResolveSyntaxPath(std::u16string_view name, const std::string& syntaxDir, FileSystem& fs) {
  if (name.empty()) return {};
  std::string utf8 = Utf16ToUtf8(name);
  if (!path::IsAbsolute(utf8)) return path::Join(syntaxDir, utf8);
  FileInfo info;
  if (!fs.Stat(utf8, info) && info.kind != FileKind::Missing) return utf8;
  std::string local = path::Join(syntaxDir, path::FileName(utf8));
  if (!path::FileName(utf8).empty() && !fs.Stat(local, info) && info.kind == FileKind::Regular) return local;
  return utf8;
}

bool ReadDescriptionFile(const std::string& path, FileSystem& fs, std::string& bytes, std::int64_t* mtimeNs,
                         std::uint64_t* size) {
  FileInfo info;
  if (fs.Stat(path, info) || info.kind != FileKind::Regular || info.size > kMaxDescriptionFileBytes) return false;
  bytes.clear();
  FileError err = ReadInChunks(fs, path, [&](const char* data, std::size_t n) {
    // The file may have grown since the check.
    if (bytes.size() + n > kMaxDescriptionFileBytes) return FileError{EFBIG, "too large"};
    bytes.append(data, n);
    return FileError{};
  });
  if (err) return false;
  if (mtimeNs) *mtimeNs = info.mtimeNs;
  if (size) *size = info.size;
  return true;
}

}  // namespace kastrell
