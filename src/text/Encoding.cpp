#include "text/Encoding.h"

#include "platform/Memory.h"

#include "platform/Utf.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cstdlib>

namespace kastrell {

namespace {
bool Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Set bits of a 16-bit mask, without relying on a popcount instruction that
// the baseline x86-64 target does not have.
inline int Bits16(unsigned x) {
  x = x - ((x >> 1) & 0x5555u);
  x = (x & 0x3333u) + ((x >> 2) & 0x3333u);
  x = (x + (x >> 4)) & 0x0F0Fu;
  return int((x + (x >> 8)) & 0x1Fu);
}
}  // namespace

Utf8Detection DetectUtf8(const char* data, std::size_t size, bool utf8Supported) {
  Utf8Detection r;
  if (!utf8Supported) return r;
  const auto* b = reinterpret_cast<const unsigned char*>(data);
  if (size > 2 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
    r.isUtf8 = true;
    r.hasSignature = true;
    return r;
  }
  bool sawSequence = false;
  std::size_t i = 0;
  // The last byte is never the start of a sequence; only well-formed
  // sequences count (no overlong forms, no surrogates, nothing above U+10FFFF).
  while (size > 0 && i < size - 1) {
    unsigned char c = b[i];
    if (c < 0x80) {
      i += AsciiPrefixLength(data + i, size - 1 - i);
      continue;
    }
    if (c >= 0xC2 && c <= 0xDF) {
      if (!Continuation(b[i + 1])) return r;
      i += 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      if (i + 2 >= size || !Continuation(b[i + 1]) || !Continuation(b[i + 2])) return r;
      if (c == 0xE0 && b[i + 1] < 0xA0) return r;   // overlong
      if (c == 0xED && b[i + 1] >= 0xA0) return r;  // surrogate
      i += 3;
    } else if (c >= 0xF0 && c <= 0xF4) {
      if (i + 3 >= size || !Continuation(b[i + 1]) || !Continuation(b[i + 2]) || !Continuation(b[i + 3]))
        return r;
      if (c == 0xF0 && b[i + 1] < 0x90) return r;   // overlong
      if (c == 0xF4 && b[i + 1] >= 0x90) return r;  // above U+10FFFF
      i += 4;
    } else {
      // C0, C1, F5..FF or a continuation byte out of place.
      return r;
    }
    sawSequence = true;
  }
  r.isUtf8 = sawSequence;
  return r;
}

LineSeparatorDetection DetectLineSeparator(const char16_t* u, std::size_t count, LineStyle noBreakStyle) {
  LineSeparatorDetection d;
  // Count every CR, every LF and every CR directly followed by an LF; the
  // lone ones are the differences. A CR LF pair is the only way a unit takes
  // part in two counts, so CR CR LF is one lone CR and one pair.
  std::int64_t cr = 0, lf = 0;
  bool prevCr = false;
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i vcr = _mm_set1_epi16('\r'), vlf = _mm_set1_epi16('\n'), vnul = _mm_setzero_si128();
  for (; i + 16 <= count; i += 16) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u + i + 8));
    unsigned crm = unsigned(_mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(a, vcr), _mm_cmpeq_epi16(b, vcr))));
    unsigned lfm = unsigned(_mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(a, vlf), _mm_cmpeq_epi16(b, vlf))));
    unsigned nulm =
        unsigned(_mm_movemask_epi8(_mm_packs_epi16(_mm_cmpeq_epi16(a, vnul), _mm_cmpeq_epi16(b, vnul))));
    if ((crm | lfm | nulm) == 0) {
      prevCr = false;
      continue;
    }
    cr += Bits16(crm);
    lf += Bits16(lfm);
    d.nul += Bits16(nulm);
    d.crlf += Bits16(crm & (lfm >> 1)) + ((prevCr && (lfm & 1)) ? 1 : 0);
    prevCr = (crm >> 15) & 1;
  }
#endif
  for (; i < count; ++i) {
    char16_t c = u[i];
    if (c == u'\r') {
      ++cr;
    } else if (c == u'\n') {
      ++lf;
      if (prevCr) ++d.crlf;
    } else if (c == 0) {
      ++d.nul;
    }
    prevCr = c == u'\r';
  }
  d.cr = cr - d.crlf;
  d.lf = lf - d.crlf;
  if (d.crlf == 0 && d.lf == 0 && d.cr == 0) {
    d.style = noBreakStyle;
    d.mixed = false;
  } else if (d.crlf >= d.lf && d.crlf >= d.cr) {
    d.style = LineStyle::Pc;
    d.mixed = d.lf > 0 || d.cr > 0;
  } else if (d.lf > d.crlf && d.lf >= d.cr) {
    d.style = LineStyle::Unix;
    d.mixed = d.crlf > 0 || d.cr > 0;
  } else {
    d.style = LineStyle::Mac;
    d.mixed = d.crlf > 0 || d.lf > 0;
  }
  if (d.nul > 0) d.mixed = true;
  return d;
}

std::int64_t BreaksOfStyle(const LineSeparatorDetection& d, LineStyle style) {
  if (style == LineStyle::Pc) return d.crlf;
  return style == LineStyle::Unix ? d.lf + d.crlf : d.cr + d.crlf;
}

bool RepairLineBreaks(const char16_t* u, std::size_t count, RepairResult& out) {
  out = {};
  std::size_t changes = 0;
  for (std::size_t i = 0; i < count; ++i) {
    char16_t c = u[i];
    if (c == 0) {
      ++changes;
    } else if (c == u'\r') {
      if (i + 1 < count && u[i + 1] == u'\n') {
        ++i;
      } else if (i + 2 < count && u[i + 1] == u'\r' && u[i + 2] == u'\n') {
        ++changes;
        i += 2;
      } else {
        ++changes;
      }
    } else if (c == u'\n') {
      ++changes;
    }
  }
  if (changes == 0) return false;
  auto* dst = static_cast<char16_t*>(AllocateBytes((count + changes + 1) * sizeof(char16_t)));
  if (!dst) {
    out.outOfMemory = true;
    return false;
  }
  std::size_t n = 0;
  for (std::size_t i = 0; i < count; ++i) {
    char16_t c = u[i];
    if (c == 0) {
      dst[n++] = u' ';
    } else if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < count && u[i + 1] == u'\n') {
        ++i;
      } else if (c == u'\r' && i + 2 < count && u[i + 1] == u'\r' && u[i + 2] == u'\n') {
        i += 2;
      }
      dst[n++] = u'\r';
      dst[n++] = u'\n';
    } else {
      dst[n++] = c;
    }
  }
  dst[n] = 0;
  out.units = dst;
  out.count = n;
  return true;
}

std::string EncodingName(std::int32_t id, std::int32_t ansiCodePage) {
  if (id == kEncodingAnsi || id == ansiCodePage) return "ANSI";
  if (id == kEncodingUtf16Le) return "Unicode";
  if (id == kEncodingUtf16Be) return "U BE";
  if (id == kEncodingUtf8) return "UTF-8";
  return "cp" + std::to_string(id);
}

const char* LineStyleName(LineStyle style) {
  switch (style) {
    case LineStyle::Unix: return "UNIX";
    case LineStyle::Mac: return "MAC";
    case LineStyle::Pc: break;
  }
  return "PC";
}

}  // namespace kastrell
