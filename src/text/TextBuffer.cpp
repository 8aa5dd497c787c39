#include "text/TextBuffer.h"

#include <algorithm>
#include <cstring>

#include "platform/Diagnostics.h"
#include "platform/Memory.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/Strings.h"

namespace kastrell {

namespace {
testing_hooks::UnitAllocator g_extractAlloc = nullptr;

std::int32_t SeparatorLength(LineStyle separator) { return separator == LineStyle::Pc ? 2 : 1; }

char16_t* WriteSeparator(char16_t* p, LineStyle separator) {
  if (separator == LineStyle::Pc) {
    *p++ = u'\r';
    *p++ = u'\n';
  } else {
    *p++ = separator == LineStyle::Unix ? u'\n' : u'\r';
  }
  return p;
}
}  // namespace

void testing_hooks::SetExtractAllocator(UnitAllocator alloc) { g_extractAlloc = alloc; }

TextBuffer::TextBuffer() {
  LineRecord empty;
  AppendLine(std::move(empty));
  AppendUnit(0, 0);
}

TextBuffer::~TextBuffer() {
  watchers_.Clear();  // parties hear nothing of a buffer that is going away
  SetLineCount(0);
}

void TextBuffer::ReportUnexpected(std::string_view text) const {
  CurrentPlatform().diagnostics->UnexpectedError(text);
}

// ---------------------------------------------------------------- line array

bool TextBuffer::ReserveLines(std::int64_t n) {
  LargeBuffer none;
  return ReserveLines(n, none);
}

bool TextBuffer::ReserveLines(std::int64_t n, LargeBuffer& spare) {
  if (n <= allocation_) return true;
  if (n > INT32_MAX) return false;
  std::int64_t allocation = allocation_;
  if (!lines_) {
    allocation = n;
  } else {
    std::int64_t step = std::max<std::int64_t>(allocation / 4, 1024);
    while (allocation < n) allocation += step;
    allocation = std::min<std::int64_t>(allocation, INT32_MAX);
  }
  const std::size_t bytes = std::size_t(allocation) * sizeof(LineRecord);
  const bool fromSpare = !lines_ && !spare.Empty();
  if (fromSpare) linesBlock_ = std::move(spare);
  if (!linesBlock_.Resize(bytes)) {
    if (fromSpare) spare = std::move(linesBlock_);
    return false;
  }
  LineRecord* grown = linesBlock_.As<LineRecord>();
  // The lines after the gap move to the new end; the gap takes the new room.
  // Free records are written by whoever makes them lines (SetLineCount,
  // AppendLine, InsertLines), so the new room is left as it is: a load of
  // millions of lines does not write its line array twice.
  const std::int32_t after = count_ - gapStart_;
  if (after > 0) {
    std::memmove(static_cast<void*>(grown + allocation - after), grown + allocation_ - after,
                 std::size_t(after) * sizeof(LineRecord));
  }
  lines_ = grown;
  allocation_ = std::int32_t(allocation);
  return true;
}

void TextBuffer::MoveGap(std::int32_t at) {
  const std::int32_t gap = allocation_ - count_;
  if (gap > 0 && at < gapStart_) {
    std::memmove(static_cast<void*>(lines_ + at + gap), lines_ + at, std::size_t(gapStart_ - at) * sizeof(LineRecord));
  } else if (gap > 0 && at > gapStart_) {
    std::memmove(static_cast<void*>(lines_ + gapStart_), lines_ + gapStart_ + gap,
                 std::size_t(at - gapStart_) * sizeof(LineRecord));
  }
  gapStart_ = at;
}

bool TextBuffer::SetLineCount(std::int32_t n) {
  if (n <= 0) {
    for (std::int32_t i = 0; i < count_; ++i) ReleaseLineStore(MutableLine(i));
    linesBlock_.Release();
    lines_ = nullptr;
    bool changed = count_ != 0;
    count_ = allocation_ = gapStart_ = 0;
    markedCount_ = 0;
    blocks_.clear();
    if (changed) LinesChanged();
    return true;
  }
  if (n > count_ && !ReserveLines(n)) return false;
  MoveGap(count_);
  if (n > count_) {
    for (std::int32_t i = count_; i < n; ++i) lines_[i] = LineRecord();
  } else {
    for (std::int32_t i = n; i < count_; ++i) {
      markedCount_ -= lines_[i].marked ? 1 : 0;
      ReleaseLineStore(lines_[i]);
    }
  }
  bool changed = count_ != n;
  count_ = gapStart_ = n;
  if (changed) LinesChanged();
  return true;
}

void TextBuffer::SwapLines(TextBuffer& other) {
  std::swap(linesBlock_, other.linesBlock_);
  std::swap(lines_, other.lines_);
  std::swap(count_, other.count_);
  std::swap(allocation_, other.allocation_);
  std::swap(gapStart_, other.gapStart_);
  std::swap(blocks_, other.blocks_);
  std::swap(markedCount_, other.markedCount_);
  for (TextBuffer* b : {this, &other}) {
    b->rows_.Clear();
    b->printRows_.Clear();
    if (b->wordWrap_ || b->folding_) b->watchers_.RebuildRows(*b);
    b->LinesChanged();
  }
}

bool TextBuffer::AppendLine(LineRecord&& rec) {
  if (!ReserveLines(std::int64_t(count_) + 1)) return false;
  MoveGap(count_);
  markedCount_ += rec.marked ? 1 : 0;
  lines_[gapStart_++] = rec;
  ++count_;
  rec = LineRecord();
  LinesChanged();
  return true;
}

bool TextBuffer::InsertLines(std::int32_t index, LineRecord* recs, std::int32_t n) {
  if (n <= 0) return true;
  index = std::clamp(index, 0, count_);
  if (!ReserveLines(std::int64_t(count_) + n)) return false;
  MoveGap(index);
  for (std::int32_t i = 0; i < n; ++i) {
    markedCount_ += recs[i].marked ? 1 : 0;
    lines_[index + i] = recs[i];
    recs[i] = LineRecord();
  }
  gapStart_ += n;
  count_ += n;
  LinesChanged();
  return true;
}

void TextBuffer::RemoveLines(std::int32_t index, std::int32_t n) {
  if (n <= 0 || index < 0 || index >= count_) return;
  n = std::min(n, count_ - index);
  bool anyMarked = false;
  MoveGap(index + n);
  for (std::int32_t i = index; i < index + n; ++i) {
    if (lines_[i].marked) {
      anyMarked = true;
      --markedCount_;
    }
    ReleaseLineStore(lines_[i]);
  }
  // The removed records join the gap.
  gapStart_ = index;
  count_ -= n;
  if (anyMarked) {
    std::int32_t target = index > 0 ? index - 1 : 0;
    if (target < count_ && !Line(target).marked) {
      MutableLine(target).marked = 1;
      ++markedCount_;
    }
  }
  LinesChanged();
}

// ---------------------------------------------------------------- line units

bool TextBuffer::SetLineLength(std::int32_t line, std::int32_t n) {
  if (line < 0 || line >= count_) return false;
  ClearCache(line);
  return SetLineStoreLength(MutableLine(line), n);
}

bool TextBuffer::InsertUnits(std::int32_t line, std::int32_t at, const char16_t* units, std::int32_t n) {
  if (n <= 0) return true;
  if (line < 0 || line >= count_) return false;
  LineRecord& rec = MutableLine(line);
  std::int32_t oldLength = rec.length;
  at = std::clamp(at, 0, rec.VisibleLength());
  // The units may come from this very line, whose store may move.
  std::unique_ptr<void, void (*)(void*)> copy(nullptr, std::free);
  if (rec.text && units >= rec.text && units < rec.text + rec.capacity) {
    copy.reset(AllocateBytes(std::size_t(n) * sizeof(char16_t)));
    if (!copy) return false;
    std::memcpy(copy.get(), units, std::size_t(n) * sizeof(char16_t));
    units = static_cast<const char16_t*>(copy.get());
  }
  ClearCache(line);
  if (!SetLineStoreLength(rec, oldLength + n)) return false;
  if (oldLength > at) {
    std::memmove(rec.text + at + n, rec.text + at, std::size_t(oldLength - at) * sizeof(char16_t));
  }
  std::memcpy(rec.text + at, units, std::size_t(n) * sizeof(char16_t));
  return true;
}

void TextBuffer::DeleteUnits(std::int32_t line, std::int32_t at, std::int32_t n) {
  if (n <= 0 || line < 0 || line >= count_) return;
  LineRecord& rec = MutableLine(line);
  std::int32_t visible = rec.VisibleLength();
  at = std::clamp(at, 0, visible);
  n = std::min(n, visible - at);
  if (n <= 0) return;
  ClearCache(line);
  std::memmove(rec.text + at, rec.text + at + n, std::size_t(rec.length - at - n) * sizeof(char16_t));
  SetLineStoreLength(rec, rec.length - n);  // shrinking in place cannot fail
}

bool TextBuffer::AppendUnit(std::int32_t line, char16_t unit) {
  if (line < 0 || line >= count_) return false;
  LineRecord& rec = MutableLine(line);
  std::int32_t at = rec.length;
  ClearCache(line);
  if (!SetLineStoreLength(rec, at + 1)) return false;
  rec.text[at] = unit;
  return true;
}

void TextBuffer::SetUnit(std::int32_t line, std::int32_t column, char16_t unit) {
  if (line < 0 || line >= count_ || column < 0 || column >= LineLength(line)) return;
  ClearCache(line);
  MutableLine(line).text[column] = unit;
  change_.first = change_.end = TextPos{line, column};
  change_.repaintEnd = TextPos{line, column + 1};
}

// ---------------------------------------------------------------- extraction

std::int64_t TextBuffer::CountRowBreaks(TextPos start, TextPos end) const {
  std::int64_t breaks = 0;
  for (std::int32_t i = rows_.FirstRowOfLine(start.line); i < rows_.Size() && rows_[i].line <= end.line; ++i) {
    TextPos at{rows_[i].line, rows_[i].start};
    if (rows_[i].start > 0 && start < at && at < end) ++breaks;
  }
  return breaks;
}

std::int64_t TextBuffer::GetText(char16_t* dest, TextPos start, TextPos end, LineStyle separator,
                                 bool asDisplayed) const {
  auto clampPos = [this](TextPos p) {
    p.line = std::clamp(p.line, 0, count_ - 1);
    p.column = std::clamp(p.column, 0, LineLength(p.line));
    return p;
  };
  if (count_ == 0 || end < start) {
    if (dest) dest[0] = 0;
    return 1;
  }
  start = clampPos(start);
  end = clampPos(end);
  if (end < start) end = start;
  bool rowBreaks = asDisplayed && wordWrap_ && !rows_.Empty();
  std::int32_t sepLength = SeparatorLength(separator);

  if (!dest) {
    std::int64_t total;
    if (start.line == end.line) {
      total = end.column - start.column;
    } else {
      total = LineLength(start.line) - start.column + end.column;
      for (std::int32_t l = start.line + 1; l < end.line; ++l) total += LineLength(l);
      total += std::int64_t(sepLength) * (end.line - start.line);
    }
    if (rowBreaks) total += sepLength * CountRowBreaks(start, end);
    return total + 1;
  }

  char16_t* p = dest;
  for (std::int32_t l = start.line; l <= end.line; ++l) {
    std::int32_t from = l == start.line ? start.column : 0;
    std::int32_t to = l == end.line ? end.column : LineLength(l);
    const char16_t* text = Line(l).text;
    if (rowBreaks) {
      for (std::int32_t i = rows_.FirstRowOfLine(l); i < rows_.Size() && rows_[i].line == l; ++i) {
        std::int32_t s = rows_[i].start;
        TextPos at{l, s};
        if (s > 0 && start < at && at < end) {
          std::memcpy(p, text + from, std::size_t(s - from) * sizeof(char16_t));
          p += s - from;
          p = WriteSeparator(p, separator);
          from = s;
        }
      }
    }
    if (to > from) {
      std::memcpy(p, text + from, std::size_t(to - from) * sizeof(char16_t));
      p += to - from;
    }
    if (l != end.line) p = WriteSeparator(p, separator);
  }
  *p++ = 0;
  return p - dest;
}

std::u16string TextBuffer::GetTextString(TextPos start, TextPos end, LineStyle separator,
                                         bool asDisplayed) const {
  std::int64_t n = GetText(nullptr, start, end, separator, asDisplayed);
  std::u16string out(std::size_t(n), u'\0');
  GetText(out.data(), start, end, separator, asDisplayed);
  out.resize(std::size_t(n - 1));
  return out;
}

ExtractedText TextBuffer::GetAllText(LineStyle separator, bool asDisplayed) const {
  ExtractedText result;
  ExtractText(result, TextPos{}, count_ > 0 ? EndPos() : TextPos{}, separator, asDisplayed);
  return result;
}

bool TextBuffer::ExtractText(ExtractedText& into, TextPos start, TextPos end, LineStyle separator,
                             bool asDisplayed) const {
  into.ok = false;
  into.length = 0;
  std::int64_t n = GetText(nullptr, start, end, separator, asDisplayed);
  if (std::uint64_t(n) > SIZE_MAX / sizeof(char16_t)) return false;
  const std::size_t bytes = std::size_t(n) * sizeof(char16_t);
  if (into.units.block.Size() < bytes) {
    into.units.block.Release();
    if (!AllocationAllowed(g_extractAlloc, bytes) || !into.units.block.Allocate(bytes)) return false;
  }
  GetText(into.units.get(), start, end, separator, asDisplayed);
  into.length = n - 1;
  into.ok = true;
  return true;
}

bool TextBuffer::HasFormFeed() const {
  for (std::int32_t l = 0; l < count_; ++l) {
    if (LineView(l).find(u'\f') != std::u16string_view::npos) return true;
  }
  return false;
}

// ---------------------------------------------------------------- measures

void TextBuffer::SetTabMetrics(std::int32_t tabColumns, std::int32_t spacePixels, std::int32_t tabPixels) {
  tabColumns_ = std::max(tabColumns, 1);
  spacePixels_ = std::max(spacePixels, 0);
  tabPixels_ = std::max(tabPixels, 1);
}

std::int32_t TextBuffer::LeadingWidth(std::int32_t line, bool inColumns) const {
  if (line < 0 || line >= count_ || !Line(line).text) {
    ReportUnexpected(FormatString(unexpected::kLineWithoutStore, {std::to_string(line)}));
    return 0;
  }
  std::int32_t width = 0;
  for (char16_t c : LineView(line)) {
    if (c == u' ') {
      width += inColumns ? 1 : spacePixels_;
    } else if (c == u'\t') {
      std::int32_t stop = inColumns ? tabColumns_ : tabPixels_;
      width = (width / stop + 1) * stop;
    } else {
      break;
    }
  }
  return width;
}

// ---------------------------------------------------------------- rows

void TextBuffer::SetWordWrap(bool on) {
  wordWrap_ = on;
  if (!wordWrap_ && !folding_) rows_.Clear();
}

void TextBuffer::SetFolding(bool on) {
  folding_ = on;
  if (!wordWrap_ && !folding_) rows_.Clear();
}

std::int32_t TextBuffer::RowCount() const {
  if (printing_) return printRows_.Size();
  if (wordWrap_ || folding_) return rows_.Size();
  return count_;
}

RowEntry TextBuffer::RowToLine(std::int32_t row) const {
  if (printing_) {
    if (row >= 0 && row < printRows_.Size()) return printRows_[row];
    return RowEntry{0, 0, count_ > 0 ? LineLength(0) : 0};
  }
  if (wordWrap_ || folding_) {
    if (row >= 0 && row < rows_.Size()) return rows_[row];
  } else if (row >= 0 && row < count_) {
    return RowEntry{row, 0, LineLength(row)};
  }
  ReportUnexpected(unexpected::kRowPastEnd);
  if ((wordWrap_ || folding_) && !rows_.Empty()) return rows_[0];
  return RowEntry{0, 0, count_ > 0 ? LineLength(0) : 0};
}

RowLookup TextBuffer::LineToRow(std::int32_t line, std::int32_t column) {
  if (!printing_ && !wordWrap_ && !folding_) return RowLookup{line, column, true};
  RowTable& table = printing_ ? printRows_ : rows_;
  if (table.Empty()) {
    if (!printing_) {
      ReportUnexpected(unexpected::kEmptyRowTable);
      watchers_.RebuildRows(*this);
    }
    if (table.Empty()) return RowLookup{0, 0, false};
  }
  // The rows of a line are contiguous and ordered by start, so the walk of the
  // row table reduces to two binary searches.
  std::int32_t last = table.Size() - 1;
  std::int32_t first = table.FirstRowOfLine(line);
  if (first > last || table[first].line != line) {
    return RowLookup{std::clamp(first - 1, 0, last), 0, false};
  }
  std::int32_t endOfLine = table.FirstRowOfLine(line + 1);
  // The last row of the line that starts at or before column.
  std::int32_t lo = first + 1, hi = endOfLine;
  while (lo < hi) {
    std::int32_t mid = lo + (hi - lo) / 2;
    if (table[mid].start <= column) lo = mid + 1;
    else hi = mid;
  }
  std::int32_t row = lo - 1;
  return RowLookup{row, column - table[row].start, true};
}

// ---------------------------------------------------------------- marks, guard

void TextBuffer::ToggleMark(std::int32_t line) {
  if (line < 0 || line >= count_) return;
  LineRecord& rec = MutableLine(line);
  rec.marked = rec.marked ? 0 : 1;
  markedCount_ += rec.marked ? 1 : -1;
  watchers_.RepaintLine(*this, line);
}

void TextBuffer::SetMark(std::int32_t line, bool on) {
  if (line < 0 || line >= count_ || bool(lines_[line].marked) == on) return;
  ToggleMark(line);
}

bool TextBuffer::CheckEditable() const {
  if (!editingPrevented_) return false;
  CurrentPlatform().boxes->Beep(BeepKind::Information);
  return true;
}

}  // namespace kastrell
