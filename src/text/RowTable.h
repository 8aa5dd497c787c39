// The display rows of a document while word wrap or folding is on: one entry
// per row, in document order. Rows of one line cover its units without gaps.
#pragma once
#include <cstdint>

namespace kastrell {

struct RowEntry {
  std::int32_t line = 0;
  std::int32_t start = 0;  // first unit of the row within the line
  std::int32_t count = 0;  // units in the row
  friend bool operator==(const RowEntry&, const RowEntry&) = default;
};

// A dynamic array that grows by one step of count / 8 entries (4 to 1024), or
// a fixed step when one is set, or straight to the needed size when a single
// insertion needs more. Entries are plain records, so growing reallocates in
// place where the allocator can.
//
// The free space is kept as a gap at the place of the last change, so that
// typing, which replaces the rows of one line again and again, moves no other
// rows: only moving the gap to a new place costs the rows in between. The rows
// after the gap store their line less a common offset, so that shifting the
// line numbers of all rows after an edit (a line added or removed) is one
// addition; rows take or drop the offset as the gap moves past them.
class RowTable {
 public:
  RowTable() = default;
  ~RowTable();
  RowTable(const RowTable&) = delete;
  RowTable& operator=(const RowTable&) = delete;

  std::int32_t Size() const { return size_; }
  std::int32_t Capacity() const { return capacity_; }
  bool Empty() const { return size_ == 0; }
  RowEntry operator[](std::int32_t i) const {
    if (i < gapStart_) return rows_[i];
    RowEntry r = rows_[i + Gap()];
    r.line += afterOffset_;
    return r;
  }

  void SetFixedStep(std::int32_t step) { fixedStep_ = step; }
  void Clear();  // empties the table and frees its storage
  bool Append(const RowEntry& row);
  // Replaces the rows [first, first + count) by n new rows in one move.
  bool Replace(std::int32_t first, std::int32_t count, const RowEntry* rows, std::int32_t n);
  // Adds delta to the line of every row from index first on (moving the gap
  // there, so right after a Replace it costs nothing).
  void ShiftLines(std::int32_t first, std::int32_t delta);

  // Index of the first row whose line is not below line (Size() when none).
  std::int32_t FirstRowOfLine(std::int32_t line) const;

 private:
  bool Reserve(std::int64_t needed);
  std::int32_t Gap() const { return capacity_ - size_; }
  // Moves the gap so that it starts before the row at index at.
  void MoveGap(std::int32_t at);

  RowEntry* rows_ = nullptr;
  std::int32_t size_ = 0;
  std::int32_t capacity_ = 0;
  std::int32_t gapStart_ = 0;  // rows [0, gapStart_) come first, the rest after the gap
  std::int32_t fixedStep_ = 0;
  std::int32_t afterOffset_ = 0;  // added to the stored line of every row after the gap
};

}  // namespace kastrell
