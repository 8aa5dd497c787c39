#include "text/EditHooks.h"

#include <algorithm>

#include "text/TextBuffer.h"

namespace kastrell {

void EditHooks::CutRows(const TextBuffer& buffer, std::int32_t line, std::vector<RowEntry>& out) {
  out.push_back(RowEntry{line, 0, buffer.LineLength(line)});
}

std::int32_t EditHooks::FoldHiding(const TextBuffer& buffer, std::int32_t line) {
  std::int32_t header = -1;
  for (std::int32_t l = line - 1; l >= 0; --l) {
    std::int32_t fold = buffer.Line(l).fold;
    if (fold > 0 && std::int64_t(l) + fold >= line) header = l;
  }
  return header;
}

std::int32_t EditHooks::ExpandFold(TextBuffer& buffer, std::int32_t header) {
  LineRecord& rec = buffer.MutableLine(header);
  std::int32_t hidden = rec.fold;
  if (hidden <= 0) return 0;
  rec.fold = -1;
  return std::min(hidden, buffer.LineCount() - 1 - header);
}

void CutRowsOfLines(EditHooks& hooks, const TextBuffer& buffer, std::int32_t first, std::int32_t last,
                    std::vector<RowEntry>& out) {
  for (std::int32_t l = first; l <= last; ++l) {
    if (buffer.WordWrap()) {
      hooks.CutRows(buffer, l, out);
    } else {
      out.push_back(RowEntry{l, 0, buffer.LineLength(l)});
    }
    if (buffer.Folding() && buffer.Line(l).fold > 0) l += buffer.Line(l).fold;
  }
}

}  // namespace kastrell
