#include "platform/Utf.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kastrell {

namespace {

// Bytes at the start of s, up to n, that are all below 0x80.
std::size_t AsciiRun(const unsigned char* s, std::size_t n) {
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= n; i += 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    if (_mm_movemask_epi8(v) != 0) break;
  }
#endif
  while (i < n && s[i] < 0x80) ++i;
  return i;
}

}  // namespace

std::size_t AsciiPrefixLength(const char* bytes, std::size_t n) {
  return AsciiRun(reinterpret_cast<const unsigned char*>(bytes), n);
}

bool Utf8ToUtf16(const char* bytes, std::size_t n, char16_t* dest, bool strict, std::size_t& written) {
  const auto* s = reinterpret_cast<const unsigned char*>(bytes);
  std::size_t o = 0;
  for (std::size_t i = 0; i < n;) {
    if (s[i] < 0x80) {
#if defined(__SSE2__)
      // Sixteen ASCII bytes at a time, widened as they are tested.
      const __m128i zero = _mm_setzero_si128();
      while (i + 16 <= n) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        if (_mm_movemask_epi8(v) != 0) break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + o), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + o + 8), _mm_unpackhi_epi8(v, zero));
        i += 16;
        o += 16;
      }
#endif
      while (i < n && s[i] < 0x80) dest[o++] = char16_t(s[i++]);
      continue;
    }
    unsigned c = s[i];
    int len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
    char32_t cp = len == 4 ? c & 0x07 : len == 3 ? c & 0x0F : c & 0x1F;
    bool ok = len > 0 && i + std::size_t(len) <= n;
    for (int k = 1; ok && k < len; ++k) {
      if ((s[i + k] & 0xC0) != 0x80) ok = false;
      else cp = (cp << 6) | (s[i + k] & 0x3F);
    }
    if (ok) {
      static const char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
      ok = cp >= kMin[len] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
    }
    if (!ok) {
      if (strict) {
        written = o;
        return false;
      }
      dest[o++] = u'\uFFFD';
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      dest[o++] = char16_t(0xD800 + (cp >> 10));
      dest[o++] = char16_t(0xDC00 + (cp & 0x3FF));
    } else {
      dest[o++] = char16_t(cp);
    }
    i += std::size_t(len);
  }
  written = o;
  return true;
}

std::u16string Utf8ToUtf16(std::string_view in) {
  std::u16string out(in.size(), u'\0');
  std::size_t n = 0;
  Utf8ToUtf16(in.data(), in.size(), out.data(), false, n);
  out.resize(n);
  return out;
}

void AppendUtf8(std::string& out, std::u16string_view in) {
  for (size_t i = 0; i < in.size(); ++i) {
    char32_t c = in[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (in[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += char(c);
    } else if (c < 0x800) {
      out += char(0xC0 | (c >> 6));
      out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += char(0xE0 | (c >> 12));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    } else {
      out += char(0xF0 | (c >> 18));
      out += char(0x80 | ((c >> 12) & 0x3F));
      out += char(0x80 | ((c >> 6) & 0x3F));
      out += char(0x80 | (c & 0x3F));
    }
  }
}

std::string Utf16ToUtf8(std::u16string_view in) {
  std::string out;
  out.reserve(in.size());
  AppendUtf8(out, in);
  return out;
}

}  // namespace kastrell
