// Encoding identifiers, line separator styles and the detectors that loading
// and saving share.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "text/TextBuffer.h"

namespace kastrell {

// Code page numbers with a meaning of their own.
constexpr std::int32_t kEncodingAnsi = 0;  // the system ANSI code page
constexpr std::int32_t kEncodingUtf16Le = 1200;
constexpr std::int32_t kEncodingUtf16Be = 1201;
constexpr std::int32_t kEncodingUtf8 = 65001;
constexpr std::int32_t kEncodingWestern = 1252;

struct Utf8Detection {
  bool isUtf8 = false;
  bool hasSignature = false;
};

// Whether bytes read as UTF-8: a signature EF BB BF, or at least one well-formed
// multi-byte sequence and nothing ill-formed. Pure ASCII is not UTF-8. The last
// byte is never examined as the start of a sequence, so a file whose only
// non-ASCII byte is its last one is not UTF-8. utf8Supported false (the
// platform cannot convert 65001) gives not-UTF-8 at once.
Utf8Detection DetectUtf8(const char* bytes, std::size_t size, bool utf8Supported = true);

struct LineSeparatorDetection {
  LineStyle style = LineStyle::Pc;
  bool mixed = false;
  // The counts behind the decision; lines = breaks of the chosen style + 1.
  std::int64_t crlf = 0, lf = 0, cr = 0, nul = 0;
};

// Counts CR LF, lone LF and lone CR (a final CR counts as lone) and picks the
// style; any U+0000 unit makes the text mixed. Text without a break gets
// noBreakStyle (the "PC format" setting).
LineSeparatorDetection DetectLineSeparator(const char16_t* units, std::size_t count,
                                           LineStyle noBreakStyle);

// The line breaks of style in counts d: CR LF (PC), every LF (UNIX, an LF
// of a CR LF too) or every CR (MAC); the text has that many lines plus one.
std::int64_t BreaksOfStyle(const LineSeparatorDetection& d, LineStyle style);

// Rewrites every lone LF, lone CR and CR CR LF as CR LF and every U+0000 as a
// space, into a new malloc'ed block (count + changes + 1 units, terminated by
// 0). Returns false when there is nothing to repair (out stays null) or when
// memory ran out (outOfMemory set).
struct RepairResult {
  char16_t* units = nullptr;  // free() it
  std::size_t count = 0;
  bool outOfMemory = false;
};
bool RepairLineBreaks(const char16_t* units, std::size_t count, RepairResult& out);

// The status bar name of an encoding: "ANSI" for 0 and for the system code
// page, "Unicode", "U BE", "UTF-8", otherwise "cp<number>".
std::string EncodingName(std::int32_t id, std::int32_t ansiCodePage);
// "UNIX", "PC" or "MAC".
const char* LineStyleName(LineStyle style);

}  // namespace kastrell
