// The line store behind every document: lines of UTF-16 units with their
// per-line attributes, the row tables used under word wrap, folding and
// printing, text extraction, and the two mappings between lines and rows.
// Line breaks are not stored; text that spans lines is joined with a separator.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/LargeBuffer.h"
#include "text/ChangeReport.h"
#include "text/DocWatchers.h"
#include "text/LineRecord.h"
#include "text/RowTable.h"
#include "text/TextPos.h"

namespace kastrell {

// UTF-16 units in a LargeBuffer (a whole document's text is a large block).
class UnitBuffer {
 public:
  char16_t* get() const { return block.As<char16_t>(); }
  char16_t& operator[](std::size_t i) const { return get()[i]; }
  explicit operator bool() const { return !block.Empty(); }
  friend bool operator==(const UnitBuffer& b, std::nullptr_t) { return b.block.Empty(); }

  LargeBuffer block;
};

// Text extracted from the buffer. ok is false when memory ran out; then units is
// null and length 0, and the caller must not treat the result as an empty text.
struct ExtractedText {
  UnitBuffer units;          // length units followed by a NUL
  std::int64_t length = 0;  // without the NUL
  bool ok = false;
};

struct RowLookup {
  std::int32_t row = 0;
  std::int32_t columnInRow = 0;
  bool found = false;
};

// Line separator codes used for extraction and saving.
// The numbers are the ones settings and the CLI store.
enum class LineStyle : std::int32_t { Unix = 0, Pc = 1, Mac = 2 };

class TextBuffer {
 public:
  // A new buffer holds one empty line.
  TextBuffer();
  ~TextBuffer();
  TextBuffer(const TextBuffer&) = delete;
  TextBuffer& operator=(const TextBuffer&) = delete;

  // The parties that follow this buffer's changes (text/DocWatchers.h).
  DocWatchers& Watchers() { return watchers_; }
  const DocWatchers& Watchers() const { return watchers_; }

  // ---- Line store
  std::int32_t LineCount() const { return count_; }
  std::int32_t LineAllocation() const { return allocation_; }
  const LineRecord& Line(std::int32_t i) const { return lines_[Slot(i)]; }
  // Write access for the edit operations; everybody else reads.
  LineRecord& MutableLine(std::int32_t i) { return lines_[Slot(i)]; }
  std::int32_t LineLength(std::int32_t i) const { return Line(i).VisibleLength(); }
  std::u16string_view LineView(std::int32_t i) const {
    const LineRecord& r = Line(i);
    return r.text ? std::u16string_view(r.text, std::size_t(r.VisibleLength())) : std::u16string_view();
  }

  // The line array asked to hold n lines, by the growth rules: new records are
  // released lines (length 0); n = 0 frees everything, including store blocks.
  bool SetLineCount(std::int32_t n);
  // Moves rec (and the store it owns) into a new last line.
  bool AppendLine(LineRecord&& rec);
  // Moves n records into the array at index; later lines move up.
  bool InsertLines(std::int32_t index, LineRecord* recs, std::int32_t n);
  // Frees n lines from index on and closes the gap. A mark on a removed line
  // moves to the line they were joined into.
  void RemoveLines(std::int32_t index, std::int32_t n);
  // Makes room for n lines at once (a load knows its line count in advance).
  // When the buffer has no line array yet, a block that its owner no longer
  // needs may be passed as spare: the array is made from it, which keeps its
  // pages instead of faulting in fresh ones. On success spare is empty when
  // it was used; otherwise it stays the caller's.
  bool ReserveLineCapacity(std::int64_t n, LargeBuffer& spare) { return ReserveLines(n, spare); }
  // Exchanges the lines (and the store blocks they point into) with other's,
  // then rebuilds the row tables of both. A load builds its lines in a fresh
  // buffer and swaps them in only when everything succeeded.
  void SwapLines(TextBuffer& other);
  // Keeps a block of memory alive that line stores with storeInBlock point into.
  void AdoptStoreBlock(std::shared_ptr<void> block) { blocks_.push_back(std::move(block)); }

  // ---- Line units (each frees the line's display cache)
  bool SetLineLength(std::int32_t line, std::int32_t n);
  bool InsertUnits(std::int32_t line, std::int32_t at, const char16_t* units, std::int32_t n);
  void DeleteUnits(std::int32_t line, std::int32_t at, std::int32_t n);
  // Raw append: grows the line by one and writes unit into the last slot. A line
  // is built by appending its units and then the terminating 0.
  bool AppendUnit(std::int32_t line, char16_t unit);
  // Overwrites one unit in place without undo; reports the change.
  void SetUnit(std::int32_t line, std::int32_t column, char16_t unit);

  ChangeReport& LastChange() { return change_; }
  const ChangeReport& LastChange() const { return change_; }

  // ---- Extraction
  // With dest null returns the number of units needed including the terminating
  // NUL; otherwise copies [start, end) into dest (which must hold that many),
  // joining lines with the separator, and returns the same count. Positions are
  // clamped into the document; an end before the start gives an empty text.
  // asDisplayed (under word wrap) also writes a separator at every row boundary.
  std::int64_t GetText(char16_t* dest, TextPos start, TextPos end, LineStyle separator,
                       bool asDisplayed) const;
  std::u16string GetTextString(TextPos start, TextPos end, LineStyle separator, bool asDisplayed) const;
  ExtractedText GetAllText(LineStyle separator, bool asDisplayed) const;
  // Extracts [start, end) as GetText does into into.units, whose block is
  // kept when it is large enough (a save takes the text out piece by piece).
  // False, with into.ok false, when memory ran out.
  bool ExtractText(ExtractedText& into, TextPos start, TextPos end, LineStyle separator, bool asDisplayed) const;
  TextPos EndPos() const { return {count_ - 1, LineLength(count_ - 1)}; }
  bool HasFormFeed() const;

  // ---- Measures
  // Tab size in columns, and the pixel widths of a space and of a tab stop.
  void SetTabMetrics(std::int32_t tabColumns, std::int32_t spacePixels, std::int32_t tabPixels);
  std::int32_t TabSize() const { return tabColumns_; }
  std::int32_t LeadingWidth(std::int32_t line, bool inColumns) const;

  // ---- Rows
  void SetWordWrap(bool on);
  void SetFolding(bool on);
  void SetPrintingLayout(bool on) { printing_ = on; }
  bool WordWrap() const { return wordWrap_; }
  bool Folding() const { return folding_; }
  bool PrintingLayout() const { return printing_; }
  RowTable& Rows() { return rows_; }
  const RowTable& Rows() const { return rows_; }
  RowTable& PrintRows() { return printRows_; }
  const RowTable& PrintRows() const { return printRows_; }

  // The row table no longer matches the lines; the layout must rebuild it.
  void NotifyRowsInvalid() { watchers_.RebuildRows(*this); }
  std::int32_t RowCount() const;
  RowEntry RowToLine(std::int32_t row) const;
  RowLookup LineToRow(std::int32_t line, std::int32_t column);

  // ---- Marks
  void ToggleMark(std::int32_t line);
  // Sets or clears the mark of a line; lines outside the text are ignored.
  void SetMark(std::int32_t line, bool on);
  bool IsMarked(std::int32_t line) const { return line >= 0 && line < count_ && lines_[line].marked; }
  std::int32_t MarkedLineCount() const { return markedCount_; }

  // ---- Editing guard
  void SetEditingPrevented(bool on) { editingPrevented_ = on; }
  bool EditingPrevented() const { return editingPrevented_; }
  // True (after the information beep) when editing is prevented.
  bool CheckEditable() const;

 private:
  bool ReserveLines(std::int64_t n);
  bool ReserveLines(std::int64_t n, LargeBuffer& spare);
  void LinesChanged() { watchers_.LineCountChanged(*this); }
  void ClearCache(std::int32_t line) { ClearDisplayCache(MutableLine(line)); }
  // Where line i is stored: lines after the gap sit past it.
  std::int32_t Slot(std::int32_t i) const { return i < gapStart_ ? i : i + (allocation_ - count_); }
  // Moves the gap so that it starts before line at.
  void MoveGap(std::int32_t at);
  void ReportUnexpected(std::string_view text) const;
  // Separators written by asDisplayed extraction inside [start, end).
  std::int64_t CountRowBreaks(TextPos start, TextPos end) const;

  // The line array: allocation_ records in linesBlock_ (a mapping of its own
  // once large, so growth moves no records and faults no small pages).
  LargeBuffer linesBlock_;
  LineRecord* lines_ = nullptr;
  std::int32_t count_ = 0;
  std::int32_t allocation_ = 0;
  // The free records form a gap at the place of the last insertion or removal,
  // so that adding or removing lines there moves no other record.
  std::int32_t gapStart_ = 0;
  std::vector<std::shared_ptr<void>> blocks_;
  std::int32_t markedCount_ = 0;

  RowTable rows_;
  RowTable printRows_;
  bool wordWrap_ = false;
  bool folding_ = false;
  bool printing_ = false;
  bool editingPrevented_ = false;

  std::int32_t tabColumns_ = 4;
  std::int32_t spacePixels_ = 8;
  std::int32_t tabPixels_ = 32;

  ChangeReport change_;
  DocWatchers watchers_;
};

namespace testing_hooks {
// Decides whether extracted text may be allocated: a hook that gives null
// makes the extraction fail (null: no hook).
using UnitAllocator = void* (*)(std::size_t bytes);
void SetExtractAllocator(UnitAllocator alloc);
}  // namespace testing_hooks

}  // namespace kastrell
