// Helpers shared by the edit and undo tests: a document filled from lines,
// hooks that wrap at a fixed width, and the row table a fresh layout would cut.
#pragma once
#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "text/CMyEditDoc.h"
#include "text/DocWatchers.h"
#include "text/TextBufferTestUtil.h"

namespace kastrell {
inline void PrintTo(const RowEntry& r, std::ostream* os) { *os << "(" << r.line << "," << r.start << "," << r.count << ")"; }
inline void PrintTo(const TextPos& p, std::ostream* os) { *os << "(" << p.line << "," << p.column << ")"; }
}  // namespace kastrell

namespace kastrell::test {

inline void LayOut(TextBuffer& b);

// Cuts rows of at most `width` units, like a fixed-width word wrap, and lays
// the whole document out again when an edit could not update its rows.
class FixedWrapHooks : public DocWatcher {
 public:
  explicit FixedWrapHooks(std::int32_t width) : width_(width) {}
  void RebuildRows(TextBuffer& b) override { LayOut(b); }
  bool CutRows(const TextBuffer& b, std::int32_t line, std::vector<RowEntry>& out) override {
    std::int32_t len = b.LineLength(line), start = 0;
    do {
      std::int32_t n = std::min(width_, len - start);
      out.push_back(RowEntry{line, start, n});
      start += n;
    } while (start < len);
    return true;
  }

 private:
  std::int32_t width_;
};

// The row table a full layout of the document gives, cut by its parties.
inline std::vector<RowEntry> FreshRows(const TextBuffer& b) {
  std::vector<RowEntry> rows;
  b.Watchers().CutRowsOfLines(b, 0, b.LineCount() - 1, rows);
  return rows;
}

inline void LayOut(TextBuffer& b) {
  b.Rows().Clear();
  for (const RowEntry& r : FreshRows(b)) b.Rows().Append(r);
}

inline std::vector<RowEntry> RowsOf(const TextBuffer& b) {
  std::vector<RowEntry> out;
  for (std::int32_t i = 0; i < b.Rows().Size(); ++i) out.push_back(b.Rows()[i]);
  return out;
}

}  // namespace kastrell::test
