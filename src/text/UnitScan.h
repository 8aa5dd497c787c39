// Fast searches over UTF-16 units, for the passes of a load over a whole file.
#pragma once
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kastrell {

// Index of the first unit from p[0] equal to a, b or c; n when none.
inline std::size_t FindAnyOf(const char16_t* p, std::size_t n, char16_t a, char16_t b, char16_t c) {
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i va = _mm_set1_epi16(short(a)), vb = _mm_set1_epi16(short(b)), vc = _mm_set1_epi16(short(c));
  for (; i + 8 <= n; i += 8) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, va), _mm_cmpeq_epi16(v, vb)), _mm_cmpeq_epi16(v, vc));
    if (int mask = _mm_movemask_epi8(hit)) return i + std::size_t(__builtin_ctz(unsigned(mask))) / 2;
  }
#endif
  for (; i < n; ++i)
    if (p[i] == a || p[i] == b || p[i] == c) return i;
  return n;
}

// Index of the first unit from p[0] equal to u; n when none.
inline std::size_t FindUnit(const char16_t* p, std::size_t n, char16_t u) { return FindAnyOf(p, n, u, u, u); }

}  // namespace kastrell
