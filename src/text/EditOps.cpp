#include "text/EditOps.h"

#include <algorithm>
#include <new>

#include "platform/Diagnostics.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "text/CMyEditDoc.h"
#include "text/FileErrors.h"
#include "text/TextBuffer.h"

namespace kastrell {

namespace {
constexpr std::u16string_view kCrLf = u"\r\n";
constexpr TextPos kToEnd{kRepaintToEnd, 0};

// The list an operation in this mode records its step in.
HistoryList ListOf(UndoMode mode) { return mode == kUndoIntoRedo ? HistoryList::Redo : HistoryList::Undo; }

void InformationBeep() { CurrentPlatform().boxes->Beep(BeepKind::Information); }

// The union of two change reports: the earlier first change, the later
// repaint end (to-the-end wins), and the end of the later change.
void MergeReport(ChangeReport& into, const ChangeReport& next) {
  into.first = std::min(into.first, next.first);
  if (into.repaintEnd.line == kRepaintToEnd || next.repaintEnd.line == kRepaintToEnd) {
    into.repaintEnd = kToEnd;
  } else {
    into.repaintEnd = std::max(into.repaintEnd, next.repaintEnd);
  }
  into.end = next.end;
}

// Splits text at every CR LF except those listed in unitCrLf (ascending).
std::vector<std::u16string_view> SplitAtCrLf(std::u16string_view text, const std::vector<std::int64_t>& unitCrLf) {
  std::vector<std::u16string_view> pieces;
  auto unit = unitCrLf.begin();
  std::size_t from = 0;
  for (std::size_t at = text.find(kCrLf); at != std::u16string_view::npos; at = text.find(kCrLf, at + 1)) {
    while (unit != unitCrLf.end() && *unit < std::int64_t(at)) ++unit;
    if (unit != unitCrLf.end() && *unit == std::int64_t(at)) continue;
    pieces.push_back(text.substr(from, at - from));
    from = at + kCrLf.size();
  }
  pieces.push_back(text.substr(from));
  return pieces;
}

bool HasLineBreak(std::u16string_view text, const std::vector<std::int64_t>& unitCrLf) {
  for (std::size_t at = text.find(kCrLf); at != std::u16string_view::npos; at = text.find(kCrLf, at + 1)) {
    if (!std::binary_search(unitCrLf.begin(), unitCrLf.end(), std::int64_t(at))) return true;
  }
  return false;
}

const std::vector<std::int64_t> kNoUnitCrLf;
}  // namespace

TextBuffer& EditOps::Buf() { return doc_.Buffer(); }

bool EditOps::Valid(TextPos p) {
  TextBuffer& b = Buf();
  return p.line >= 0 && p.line < b.LineCount() && p.column >= 0 && p.column <= b.LineLength(p.line);
}

bool EditOps::RowsOn() { return Buf().WordWrap() || Buf().Folding(); }

// ---------------------------------------------------------------- folds and rows

bool EditOps::HeadsCollapsedFold(std::int32_t line) { return Buf().Folding() && Buf().Line(line).fold > 0; }

std::int32_t EditOps::LeadingBlanks(std::int32_t line) {
  std::u16string_view text = Buf().LineView(line);
  std::size_t n = text.find_first_not_of(u" \t");
  return std::int32_t(n == std::u16string_view::npos ? text.size() : n);
}

bool EditOps::ExpandHeader(std::int32_t line) {
  std::int32_t hidden = Buf().Watchers().ExpandFold(Buf(), line);
  if (hidden <= 0) return false;
  UpdateRows(line + 1, line + hidden, line + hidden);
  return true;
}

bool EditOps::RevealLine(std::int32_t line, ChangeReport& report) {
  if (!Buf().Folding()) return false;
  // A line that has a row is visible; outside a batch the table is current,
  // so the common case costs one binary search instead of a walk over folds.
  const RowTable& rows = Buf().Rows();
  std::int32_t row = rows.FirstRowOfLine(line);
  if (batchDepth_ == 0 && row < rows.Size() && rows[row].line == line) return false;
  bool expanded = false;
  // Each pass opens the outermost fold that still hides the line; a fold
  // nested in it may hide the line too. Each pass opens one fold, so the
  // number of lines bounds the loop.
  for (std::int32_t pass = 0; pass < Buf().LineCount(); ++pass) {
    std::int32_t header = Buf().Watchers().FoldHiding(Buf(), line);
    if (header < 0 || header >= line || !ExpandHeader(header)) break;
    report.first = std::min(report.first, TextPos{header + 1, 0});
    expanded = true;
  }
  return expanded;
}

void EditOps::CheckRowOf(std::int32_t line) {
  if (!RowsOn() || batchDepth_ > 0) return;
  const RowTable& rows = Buf().Rows();
  if (rows.FirstRowOfLine(line) >= rows.Size()) CurrentPlatform().diagnostics->UnexpectedError(unexpected::kRowPastEnd);
}

bool EditOps::UpdateRows(std::int32_t first, std::int32_t lastOld, std::int32_t lastNew) {
  if (!RowsOn()) return false;
  if (batchDepth_ > 0) {
    if (!batchPending_) {
      batchPending_ = true;
      batchFirst_ = first;
      batchLast_ = lastNew;
      batchLastOld_ = lastOld;
    } else {
      // A current line after batchLast_ has the rows of table line
      // (line - (batchLast_ - batchLastOld_)).
      batchFirst_ = std::min(batchFirst_, first);
      if (lastOld > batchLast_) {
        batchLastOld_ = lastOld - (batchLast_ - batchLastOld_);
        batchLast_ = lastNew;
      } else {
        batchLast_ += lastNew - lastOld;
      }
    }
    return true;
  }
  return ApplyRows(first, lastOld, lastNew);
}

bool EditOps::ApplyRows(std::int32_t first, std::int32_t lastOld, std::int32_t lastNew) {
  TextBuffer& b = Buf();
  RowTable& rows = b.Rows();
  std::int32_t begin = rows.FirstRowOfLine(first);
  // The rows being replaced are walked once anyway; finding their end by the
  // walk spares a second search of a large table on every keystroke.
  std::int32_t stop = begin;
  while (stop < rows.Size() && rows[stop].line <= lastOld) ++stop;
  std::vector<RowEntry>& fresh = rowScratch_;
  fresh.clear();
  bool cut = true;
  try {
    b.Watchers().CutRowsOfLines(b, first, std::min(lastNew, b.LineCount() - 1), fresh);
  } catch (const std::bad_alloc&) {
    cut = false;
  }
  std::int32_t n = std::int32_t(fresh.size());
  if (!cut || !rows.Replace(begin, stop - begin, fresh.data(), n)) {
    // Out of memory: the table no longer matches; let the layout rebuild it.
    b.NotifyRowsInvalid();
    return true;
  }
  if (lastNew != lastOld) rows.ShiftLines(begin + n, lastNew - lastOld);
  return n != stop - begin;
}

void EditOps::EndRowBatch() {
  if (batchDepth_ == 0 || --batchDepth_ > 0 || !batchPending_) return;
  batchPending_ = false;
  if (RowsOn()) ApplyRows(batchFirst_, batchLastOld_, batchLast_);
}

// ---------------------------------------------------------------- buffer changes

bool EditOps::CopyRange(TextPos start, TextPos end, std::u16string& text, Offsets& unitCrLf) {
  return Allocated([&] {
    unitCrLf.clear();
    text = CopyRangeText(start, end, unitCrLf);
  });
}

std::u16string EditOps::CopyRangeText(TextPos start, TextPos end, Offsets& unitCrLf) {
  TextBuffer& b = Buf();
  std::int64_t offset = 0;
  for (std::int32_t l = start.line; l <= end.line; ++l) {
    std::size_t from = l == start.line ? std::size_t(start.column) : 0;
    std::size_t to = l == end.line ? std::size_t(end.column) : std::size_t(b.LineLength(l));
    std::u16string_view piece = b.LineView(l).substr(from, to - from);
    for (std::size_t k = piece.find(kCrLf); k != std::u16string_view::npos; k = piece.find(kCrLf, k + 1)) {
      unitCrLf.push_back(offset + std::int64_t(k));
    }
    offset += std::int64_t(piece.size()) + std::int64_t(kCrLf.size());
  }
  return b.GetTextString(start, end, LineStyle::Pc, false);
}

bool EditOps::ApplyInsert(TextPos at, std::u16string_view text, const Offsets& unitCrLf, TextPos& end) {
  TextBuffer& b = Buf();
  if (text.find(kCrLf) == std::u16string_view::npos) {  // typing: one piece, nothing to split
    if (std::int64_t(text.size()) + b.LineLength(at.line) >= INT32_MAX - 1) return false;
    if (!b.InsertUnits(at.line, at.column, text.data(), std::int32_t(text.size()))) return NoMemory();
    end = TextPos{at.line, at.column + std::int32_t(text.size())};
    return true;
  }
  std::vector<std::u16string_view> pieces;
  if (!Allocated([&] { pieces = SplitAtCrLf(text, unitCrLf); })) return false;
  std::u16string_view first = pieces.front(), last = pieces.back();
  std::u16string_view tail = b.LineView(at.line).substr(std::size_t(at.column));
  std::int64_t lastLength = std::int64_t(last.size()) + (pieces.size() == 1 ? b.LineLength(at.line) : tail.size());
  if (std::int64_t(first.size()) + b.LineLength(at.line) >= INT32_MAX - 1 || lastLength >= INT32_MAX - 1 ||
      std::int64_t(pieces.size()) + b.LineCount() >= INT32_MAX) {
    return false;
  }
  if (pieces.size() == 1) {  // every CR LF was a pair of units
    if (!b.InsertUnits(at.line, at.column, first.data(), std::int32_t(first.size()))) return NoMemory();
    end = TextPos{at.line, at.column + std::int32_t(first.size())};
    return true;
  }

  // The new lines are built whole before the buffer changes, so a failed
  // allocation leaves the document as it was.
  std::int32_t added = std::int32_t(pieces.size() - 1);
  std::vector<LineRecord> records;
  if (!Allocated([&] { records.resize(static_cast<std::size_t>(added)); })) return false;
  bool ok = true;
  for (std::int32_t i = 0; i < added && ok; ++i) {
    std::u16string_view piece = pieces[std::size_t(i) + 1];
    if (i + 1 < added) {
      records[std::size_t(i)] = MakeLineRecord(piece.data(), std::int32_t(piece.size()));
    } else {
      // The last new line is the last piece followed by the rest of the line.
      LineRecord& rec = records[std::size_t(i)];
      if (SetLineStoreLength(rec, std::int32_t(piece.size() + tail.size()) + 1)) {
        std::copy(piece.begin(), piece.end(), rec.text);
        std::copy(tail.begin(), tail.end(), rec.text + piece.size());
        rec.text[piece.size() + tail.size()] = 0;
      }
    }
    ok = records[std::size_t(i)].text != nullptr;
  }
  if (!ok || !b.InsertLines(at.line + 1, records.data(), added)) {
    for (LineRecord& r : records) ReleaseLineStore(r);
    return NoMemory();
  }
  std::int32_t oldLength = b.LineLength(at.line);
  if (!b.InsertUnits(at.line, at.column, first.data(), std::int32_t(first.size()))) {
    b.RemoveLines(at.line + 1, added);
    return NoMemory();
  }
  b.DeleteUnits(at.line, at.column + std::int32_t(first.size()), oldLength - at.column);
  end = TextPos{at.line + added, std::int32_t(last.size())};
  return true;
}

bool EditOps::ApplyDelete(TextPos start, TextPos end) {
  TextBuffer& b = Buf();
  if (start.line == end.line) {
    b.DeleteUnits(start.line, start.column, end.column - start.column);
    return true;
  }
  std::u16string_view rest = b.LineView(end.line).substr(std::size_t(end.column));
  std::int32_t startLength = b.LineLength(start.line);
  if (std::int64_t(start.column) + std::int64_t(rest.size()) >= INT32_MAX - 1) return false;
  if (!b.InsertUnits(start.line, startLength, rest.data(), std::int32_t(rest.size()))) return NoMemory();
  b.DeleteUnits(start.line, start.column, startLength - start.column);
  if (start.column == 0 && end.column == 0) b.MutableLine(start.line).fold = b.Line(end.line).fold;
  b.RemoveLines(start.line + 1, end.line - start.line);
  return true;
}

// ---------------------------------------------------------------- recording

void EditOps::Record(UndoStep step, UndoMode mode) {
  if (mode == kUndoNone) return;
  // Steps recorded by Undo and Redo are never extended by typing.
  step.open = mode == kUndoUser;
  if (!modified_) {
    step.cleanBefore = true;
    SetModified(true);
  }
  history_.Steps(ListOf(mode)).push_back(std::move(step));
  if (mode == kUndoUser) history_.Steps(HistoryList::Redo).clear();
}

// ---------------------------------------------------------------- operations

template <typename Op>
bool EditOps::Reported(Op&& op) {
  if (opDepth_ == 0) outOfMemory_ = false;
  ++opDepth_;
  bool ok = false;
  try {
    ok = op();
  } catch (const std::bad_alloc&) {
    // The operations take their memory before they change anything; this
    // only keeps a shortage elsewhere from ending the program.
    outOfMemory_ = true;
  }
  if (--opDepth_ == 0) {
    if (outOfMemory_) ReportOutOfMemory();
    if (ok) Buf().Watchers().TextChanged(doc_, Buf().LastChange());
  }
  return ok;
}

template <typename F>
bool EditOps::Allocated(F&& f) {
  try {
    f();
    return true;
  } catch (const std::bad_alloc&) {
    outOfMemory_ = true;
    return false;
  }
}

bool EditOps::ReserveStep(UndoMode mode) {
  if (mode == kUndoNone) return true;
  UndoHistory::List& list = history_.Steps(ListOf(mode));
  if (list.size() < list.capacity()) return true;
  return Allocated([&] { list.reserve(std::max<std::size_t>(16, list.capacity() * 2)); });
}

bool EditOps::InsertText(TextPos at, std::u16string_view text, UndoMode mode) {
  return Reported([&] { return Insert(at, text, kNoUnitCrLf, mode); });
}

bool EditOps::Insert(TextPos at, std::u16string_view text, const Offsets& unitCrLf, UndoMode mode) {
  if (text.empty() || !Valid(at)) return false;
  TextBuffer& b = Buf();
  ChangeReport report{at, at, at};
  bool expanded = RevealLine(at.line, report);
  if (HeadsCollapsedFold(at.line) && at.column <= LeadingBlanks(at.line)) expanded |= ExpandHeader(at.line);
  bool splits = HasLineBreak(text, unitCrLf);
  if (splits && HeadsCollapsedFold(at.line)) expanded |= ExpandHeader(at.line);
  CheckRowOf(at.line);

  TextPos end;
  if (!ReserveStep(mode) || !ApplyInsert(at, text, unitCrLf, end)) return false;
  splits = end.line != at.line;
  report.end = end;
  report.repaintEnd = splits || expanded ? kToEnd : TextPos{at.line, b.LineLength(at.line)};
  b.Watchers().RescanLines(b, at.line, end.line);
  if (b.Folding() && b.Watchers().UpdateFoldsAfterEdit(b, at, end.line, splits)) report.first.column = 0;
  if (UpdateRows(at.line, at.line, end.line)) report.repaintEnd = kToEnd;

  UndoStep* typing = mode == kUndoUser && modified_ ? history_.OpenTypingStepEndingAt(at) : nullptr;
  if (typing) {
    typing->end = end;
    history_.Steps(HistoryList::Redo).clear();
  } else {
    UndoStep step;
    step.kind = StepKind::Insert;
    step.start = at;
    step.end = end;
    Record(std::move(step), mode);
  }
  b.LastChange() = report;
  return true;
}

bool EditOps::DeleteRange(TextPos start, TextPos end, UndoMode mode) {
  return Reported([&] { return Delete(start, end, mode); });
}

bool EditOps::Delete(TextPos start, TextPos end, UndoMode mode) {
  if (!Valid(start) || !Valid(end)) return false;
  TextBuffer& b = Buf();
  b.LastChange() = ChangeReport{start, start, start};
  if (end <= start) return false;
  ChangeReport report{start, start, start};
  bool spans = end.line > start.line;
  bool expanded = RevealLine(start.line, report);
  // A hidden end line is opened too: the lines its fold hides after it would
  // otherwise lose their header and stay without rows.
  if (spans) expanded |= RevealLine(end.line, report);
  if (HeadsCollapsedFold(start.line) && (spans || start.column <= LeadingBlanks(start.line))) {
    expanded |= ExpandHeader(start.line);
  }
  if (spans && HeadsCollapsedFold(end.line) && (start.column > 0 || end.column > 0)) {
    expanded |= ExpandHeader(end.line);
  }
  CheckRowOf(start.line);

  std::u16string removed;
  Offsets unitCrLf;
  if (mode != kUndoNone && !CopyRange(start, end, removed, unitCrLf)) return false;
  if (!ReserveStep(mode) || !ApplyDelete(start, end)) return false;
  report.repaintEnd = spans || expanded ? kToEnd : TextPos{start.line, b.LineLength(start.line)};
  b.Watchers().RescanLines(b, start.line, start.line);
  if (b.Folding() && b.Watchers().UpdateFoldsAfterEdit(b, start, start.line, spans)) report.first.column = 0;
  if (UpdateRows(start.line, end.line, start.line)) report.repaintEnd = kToEnd;

  UndoStep step;
  step.kind = StepKind::Delete;
  step.text = std::move(removed);
  step.unitCrLf = std::move(unitCrLf);
  step.from = step.start = step.end = start;
  Record(std::move(step), mode);
  b.LastChange() = report;
  return true;
}

bool EditOps::ReplaceRange(TextPos start, TextPos end, std::u16string_view text, UndoMode mode) {
  return Reported([&] { return Replace(start, end, text, kNoUnitCrLf, mode); });
}

bool EditOps::Replace(TextPos start, TextPos end, std::u16string_view text, const Offsets& unitCrLf, UndoMode mode) {
  if (!Valid(start) || !Valid(end) || end < start || (start == end && text.empty())) return false;
  TextBuffer& b = Buf();
  // The old text is kept even without undo: a replace whose insertion fails
  // puts it back.
  std::u16string old;
  Offsets oldUnitCrLf;
  if (!CopyRange(start, end, old, oldUnitCrLf)) return false;

  // Marks inside the range would all move to its first line; put them back on
  // the lines that still exist after the replacement instead.
  std::vector<std::int32_t> marked;
  if (!Allocated([&] {
        for (std::int32_t l = start.line; l <= end.line; ++l) {
          if (b.Line(l).marked) marked.push_back(l);
        }
      }) ||
      !ReserveStep(mode)) {
    return false;
  }
  for (std::int32_t l : marked) b.ToggleMark(l);
  auto restoreMarks = [&](std::int32_t lastLine) {
    for (std::int32_t l : marked) {
      if (l <= lastLine && l < b.LineCount() && !b.Line(l).marked) b.ToggleMark(l);
    }
  };

  ChangeReport report{start, start, start};
  if (start < end) {
    if (!Delete(start, end, kUndoNone)) {
      restoreMarks(end.line);
      return false;
    }
    report = b.LastChange();
  }
  TextPos insertedEnd = start;
  if (!text.empty()) {
    if (Insert(start, text, unitCrLf, kUndoNone)) {
      MergeReport(report, b.LastChange());
      insertedEnd = b.LastChange().end;
    } else if (start == end || Insert(start, old, oldUnitCrLf, kUndoNone)) {
      // Nothing was deleted, or the deleted text is back: the document is as it was.
      restoreMarks(end.line);
      return false;
    }
    // Otherwise the deletion stays, recorded below so that Undo restores it.
  }
  report.end = insertedEnd;
  restoreMarks(insertedEnd.line);

  UndoStep step;
  step.kind = StepKind::Replace;
  step.text = std::move(old);
  step.unitCrLf = std::move(oldUnitCrLf);
  step.start = start;
  step.end = insertedEnd;
  Record(std::move(step), mode);
  b.LastChange() = report;
  return true;
}

bool EditOps::MoveText(TextPos start, TextPos end, TextPos dest, UndoMode mode) {
  return Reported([&] { return Move(start, end, dest, mode); });
}

bool EditOps::Move(TextPos start, TextPos end, TextPos dest, UndoMode mode) {
  if (!Valid(start) || !Valid(end) || !Valid(dest) || end <= start) return false;
  if (start < dest && dest < end) {
    InformationBeep();
    return false;
  }
  TextBuffer& b = Buf();
  Offsets unitCrLf;
  std::u16string moved;
  if (!CopyRange(start, end, moved, unitCrLf) || !ReserveStep(mode) || !Delete(start, end, kUndoNone)) return false;
  ChangeReport report = b.LastChange();

  if (end.line < dest.line) {
    dest.line -= end.line - start.line;
  } else if (end.line == dest.line && dest.column >= end.column) {
    dest = TextPos{start.line, dest.column + start.column - end.column};
  }
  if (!Insert(dest, moved, unitCrLf, kUndoNone)) {
    Insert(start, moved, unitCrLf, kUndoNone);  // put the text back where it was
    return false;
  }
  MergeReport(report, b.LastChange());
  TextPos insertedEnd = b.LastChange().end;

  TextPos source = start;
  if (dest.line < source.line) {
    source.line += insertedEnd.line - dest.line;
  } else if (dest.line == source.line && source.column >= dest.column) {
    source = TextPos{insertedEnd.line, insertedEnd.column + source.column - dest.column};
  }
  UndoStep step;
  step.kind = StepKind::Move;
  step.from = source;
  step.start = dest;
  step.end = insertedEnd;
  Record(std::move(step), mode);
  b.LastChange() = report;
  return true;
}

bool EditOps::DeleteChar(TextPos at, UndoMode mode) {
  if (!Valid(at)) return false;
  TextBuffer& b = Buf();
  if (at.column < b.LineLength(at.line)) return DeleteRange(at, TextPos{at.line, at.column + 1}, mode);
  if (at.line + 1 < b.LineCount()) return DeleteRange(at, TextPos{at.line + 1, 0}, mode);
  return false;
}

bool EditOps::Backspace(TextPos at, UndoMode mode) {
  if (!Valid(at)) return false;
  if (at.column > 0) return DeleteRange(TextPos{at.line, at.column - 1}, at, mode);
  if (at.line > 0) return DeleteRange(TextPos{at.line - 1, Buf().LineLength(at.line - 1)}, at, mode);
  return false;
}

AdvanceResult EditOps::AdvancePosition(TextPos at, std::int64_t n) const {
  TextBuffer& b = doc_.Buffer();
  AdvanceResult r{at, 0};
  if (at.line < 0 || at.line >= b.LineCount() || at.column < 0 || at.column > b.LineLength(at.line)) return r;
  TextPos& p = r.pos;
  if (n > 0) {
    while (n > 0) {
      std::int64_t room = b.LineLength(p.line) - p.column;
      std::int64_t step = std::min(n, room);
      p.column += std::int32_t(step);
      r.moved += step;
      n -= step;
      if (n < 2 || p.line + 1 >= b.LineCount()) break;
      ++p.line;
      p.column = 0;
      r.moved += 2;
      n -= 2;
    }
  } else {
    n = -n;
    while (n > 0) {
      std::int64_t step = std::min<std::int64_t>(n, p.column);
      p.column -= std::int32_t(step);
      r.moved += step;
      n -= step;
      if (n < 2 || p.line == 0) break;
      --p.line;
      p.column = b.LineLength(p.line);
      r.moved += 2;
      n -= 2;
    }
  }
  return r;
}

// ---------------------------------------------------------------- undo

StepKind EditOps::UndoOne(HistoryList from) {
  StepKind kind = StepKind::None;
  Reported([&] {
    kind = UndoStepBack(from);
    return kind != StepKind::None;
  });
  return kind;
}

StepKind EditOps::UndoStepBack(HistoryList from) {
  UndoHistory::List& list = history_.Steps(from);
  if (list.empty()) {
    InformationBeep();
    return StepKind::None;
  }
  UndoStep step = std::move(list.back());
  list.pop_back();
  UndoMode mode = from == HistoryList::Undo ? kUndoIntoRedo : kUndoFromRedo;
  bool ok = false;
  switch (step.kind) {
    case StepKind::Insert: ok = Delete(step.start, step.end, mode); break;
    case StepKind::Delete: ok = Insert(step.from, step.text, step.unitCrLf, mode); break;
    case StepKind::Replace: ok = Replace(step.start, step.end, step.text, step.unitCrLf, mode); break;
    case StepKind::Move: ok = Move(step.start, step.end, step.from, mode); break;
    case StepKind::None: break;
  }
  if (!ok) {
    // The step no longer fits the text (it was changed without recording):
    // keep it rather than lose it, and refuse.
    list.push_back(std::move(step));
    InformationBeep();
    return StepKind::None;
  }
  if (step.cleanBefore) SetModified(false);
  return step.kind;
}

bool EditOps::UndoCommand(HistoryList from) {
  return Reported([&] { return UndoGroup(from); });
}

bool EditOps::UndoGroup(HistoryList from) {
  if (history_.Steps(from).empty()) {
    InformationBeep();
    return false;
  }
  std::int32_t n = history_.LastGroupCount(from);
  if (n <= 1) return UndoOne(from) != StepKind::None;
  ChangeReport total;
  std::int32_t done = 0;
  while (done < n && !history_.Steps(from).empty()) {
    history_.CloseTypingStep(TypingStep::Closed, OtherList(from));
    if (UndoOne(from) == StepKind::None) break;
    if (done == 0) {
      total = Buf().LastChange();
    } else {
      MergeReport(total, Buf().LastChange());
    }
    ++done;
  }
  history_.GroupLastSteps(done, OtherList(from));
  if (done > 0) Buf().LastChange() = total;
  return done > 0;
}

// ---------------------------------------------------------------- modified flag

void EditOps::SetModified(bool modified) {
  if (modified == modified_) return;
  modified_ = modified;
  if (!titleSuspended_) {
    bool changed = false;
    std::string title;
    // Without memory for the new title the old one stays; the flag still changes.
    try {
      title = doc_.Title();
      if (modified) {
        title += kTitleMarker;
        titleMarked_ = changed = true;
      } else if (titleMarked_ && title.ends_with(kTitleMarker)) {
        title = TitleWithoutMarker(std::move(title));
        titleMarked_ = false;
        changed = true;
      }
    } catch (const std::bad_alloc&) {
      changed = false;
    }
    if (changed) {
      doc_.SetTitle(std::move(title));
      Buf().Watchers().TitleChanged(doc_);
    }
  }
  Buf().Watchers().DocumentStateChanged(doc_, modified ? DocState::Modified : doc_.readOnly ? DocState::ReadOnly : DocState::Plain);
}

void EditOps::MarkSaved() {
  SetModified(false);
  history_.ClearCleanFlags();
}

void EditOps::ResetHistory() {
  SetModified(false);
  history_.Clear();
}

}  // namespace kastrell
