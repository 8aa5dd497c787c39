// Code page conversion between byte encodings and UTF-16.
// Code pages are identified by their Windows numbers (1252, 936, 65001 ...),
// because settings, dialogs and file histories store those numbers.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kastrell {

enum class DecodeMode {
  Strict,   // invalid or unmapped input makes the conversion fail
  Lenient,  // invalid input becomes the replacement character
};

struct ConvertResult {
  bool ok = false;
  std::size_t length = 0;  // units (or bytes) written, or needed when dest is null
  bool usedDefault = false;  // encoding only: a unit had no mapping
  bool overflow = false;     // dest was too small; length is what was needed (or at least written)
};

class CodePages {
 public:
  virtual ~CodePages() = default;
  // The fixed number standing for the system's ANSI code page.
  virtual int AnsiCodePage() const = 0;
  virtual bool IsValidCodePage(int codePage) const = 0;
  // The Windows code page numbers this platform can convert, ascending.
  virtual std::vector<int> AvailableCodePages() const = 0;
  // Bytes to UTF-16. With dest null only the needed length is computed.
  virtual ConvertResult ToUtf16(int codePage, const char* bytes, std::size_t size, DecodeMode mode,
                                char16_t* dest, std::size_t destCapacity) = 0;
  // UTF-16 to bytes; unmappable units become the code page's default character
  // and set usedDefault. With dest null only the needed length is computed.
  virtual ConvertResult FromUtf16(int codePage, const char16_t* units, std::size_t count, char* dest,
                                  std::size_t destCapacity) = 0;
  // Whether FromUtf16 of consecutive pieces (none ending inside a surrogate
  // pair) gives the same bytes as one call over the whole text: the encoder
  // carries no state (no shift sequences) from one character to the next.
  virtual bool EncodesInPieces(int /*codePage*/) const { return false; }
};

}  // namespace kastrell
