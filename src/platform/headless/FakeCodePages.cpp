#include "platform/headless/FakeCodePages.h"

#include <string>

#include "platform/Utf.h"

namespace kastrell {

namespace {
int Resolve(int cp, int ansi) { return cp == 0 ? ansi : cp; }

bool ValidUtf8(const char* bytes, std::size_t size) {
  std::u16string u = Utf8ToUtf16(std::string_view(bytes, size));
  // A round trip that changes the bytes means something was replaced.
  return Utf16ToUtf8(u) == std::string_view(bytes, size);
}
}  // namespace

bool FakeCodePages::IsValidCodePage(int codePage) const {
  int cp = Resolve(codePage, ansi_);
  return cp == 65001 || cp == 28591 || cp == 20127;
}

std::vector<int> FakeCodePages::AvailableCodePages() const { return {20127, 28591, 65001}; }

ConvertResult FakeCodePages::ToUtf16(int codePage, const char* bytes, std::size_t size, DecodeMode mode,
                                     char16_t* dest, std::size_t destCapacity) {
  int cp = Resolve(codePage, ansi_);
  std::u16string out;
  if (cp == 65001) {
    if (mode == DecodeMode::Strict && !ValidUtf8(bytes, size)) return {};
    out = Utf8ToUtf16(std::string_view(bytes, size));
  } else if (cp == 28591 || cp == 20127) {
    out.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
      unsigned char c = static_cast<unsigned char>(bytes[i]);
      if (cp == 20127 && c >= 0x80) {
        if (mode == DecodeMode::Strict) return {};
        out += u'\uFFFD';
      } else {
        out += char16_t(c);
      }
    }
  } else {
    return {};
  }
  if (dest) {
    if (out.size() > destCapacity) return {};
    out.copy(dest, out.size());
  }
  return ConvertResult{true, out.size(), false};
}

ConvertResult FakeCodePages::FromUtf16(int codePage, const char16_t* units, std::size_t count, char* dest,
                                       std::size_t destCapacity) {
  int cp = Resolve(codePage, ansi_);
  std::string out;
  bool usedDefault = false;
  if (cp == 65001) {
    out = Utf16ToUtf8(std::u16string_view(units, count));
  } else if (cp == 28591 || cp == 20127) {
    unsigned limit = cp == 28591 ? 0x100 : 0x80;
    for (std::size_t i = 0; i < count; ++i) {
      if (units[i] < limit) {
        out += char(units[i]);
      } else {
        out += '?';
        usedDefault = true;
      }
    }
  } else {
    return {};
  }
  if (dest) {
    if (out.size() > destCapacity) return {};
    out.copy(dest, out.size());
  }
  return ConvertResult{true, out.size(), usedDefault};
}

}  // namespace kastrell
