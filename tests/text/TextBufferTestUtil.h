// Helpers shared by the buffer tests: filling a buffer from strings and
// cutting rows the way a fixed-width word wrap would.
#pragma once
#include <algorithm>
#include <string>
#include <vector>

#include "text/TextBuffer.h"

namespace kastrell::test {

inline void Fill(TextBuffer& b, const std::vector<std::u16string>& lines) {
  b.SetLineCount(0);
  for (const std::u16string& l : lines) b.AppendLine(MakeLineRecord(l.data(), std::int32_t(l.size())));
}

inline std::vector<std::u16string> Lines(const TextBuffer& b) {
  std::vector<std::u16string> out;
  for (std::int32_t i = 0; i < b.LineCount(); ++i) out.emplace_back(b.LineView(i));
  return out;
}

// Rows of at most width units for every line that is not hidden.
inline void WrapRows(TextBuffer& b, std::int32_t width, const std::vector<bool>& hidden = {}) {
  b.SetWordWrap(true);
  b.Rows().Clear();
  for (std::int32_t l = 0; l < b.LineCount(); ++l) {
    if (l < std::int32_t(hidden.size()) && hidden[l]) continue;
    std::int32_t len = b.LineLength(l);
    std::int32_t start = 0;
    do {
      std::int32_t n = std::min(width, len - start);
      b.Rows().Append(RowEntry{l, start, n});
      start += n;
    } while (start < len);
  }
}

}  // namespace kastrell::test
