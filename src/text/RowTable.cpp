#include "text/RowTable.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/Memory.h"

namespace kastrell {

RowTable::~RowTable() { std::free(rows_); }

void RowTable::Clear() {
  std::free(rows_);
  rows_ = nullptr;
  size_ = capacity_ = gapStart_ = afterOffset_ = 0;
}

void RowTable::MoveGap(std::int32_t at) {
  const std::int32_t gap = Gap();
  if (at < gapStart_) {
    std::memmove(rows_ + at + gap, rows_ + at, std::size_t(gapStart_ - at) * sizeof(RowEntry));
    for (std::int32_t i = at + gap; i < gapStart_ + gap; ++i) rows_[i].line -= afterOffset_;
  } else if (at > gapStart_) {
    std::memmove(rows_ + gapStart_, rows_ + gapStart_ + gap, std::size_t(at - gapStart_) * sizeof(RowEntry));
    for (std::int32_t i = gapStart_; i < at; ++i) rows_[i].line += afterOffset_;
  }
  gapStart_ = at;
  if (gapStart_ == size_) afterOffset_ = 0;  // no row after the gap: start afresh
}

bool RowTable::Reserve(std::int64_t needed) {
  if (needed <= capacity_) return true;
  if (needed > INT32_MAX) return false;
  std::int64_t capacity = capacity_;
  std::int64_t step = fixedStep_ > 0 ? fixedStep_ : std::clamp<std::int64_t>(size_ / 8, 4, 1024);
  // One step, or exactly what is needed when that is more.
  capacity = std::max(capacity + step, needed);
  auto* grown = static_cast<RowEntry*>(ReallocateBytes(rows_, std::size_t(capacity) * sizeof(RowEntry)));
  if (!grown) return false;
  // The rows after the gap move to the new end; the gap takes the new room.
  const std::int32_t after = size_ - gapStart_;
  std::memmove(grown + capacity - after, grown + capacity_ - after, std::size_t(after) * sizeof(RowEntry));
  rows_ = grown;
  capacity_ = std::int32_t(capacity);
  return true;
}

bool RowTable::Append(const RowEntry& row) {
  if (!Reserve(std::int64_t(size_) + 1)) return false;
  MoveGap(size_);
  rows_[gapStart_++] = row;
  ++size_;
  return true;
}

bool RowTable::Replace(std::int32_t first, std::int32_t count, const RowEntry* rows, std::int32_t n) {
  first = std::clamp(first, 0, size_);
  count = std::clamp(count, 0, size_ - first);
  n = std::max(n, 0);
  std::int64_t newSize = std::int64_t(size_) - count + n;
  if (!Reserve(newSize)) return false;
  // With the gap right after the replaced rows, dropping them widens the gap
  // and the new rows fill it from its start.
  MoveGap(first + count);
  gapStart_ = first;
  size_ -= count;
  if (n > 0) std::memcpy(rows_ + gapStart_, rows, std::size_t(n) * sizeof(RowEntry));
  gapStart_ += n;
  size_ += n;
  return true;
}

void RowTable::ShiftLines(std::int32_t first, std::int32_t delta) {
  first = std::clamp(first, 0, size_);
  if (first == size_ || delta == 0) return;
  MoveGap(first);
  afterOffset_ += delta;
}

std::int32_t RowTable::FirstRowOfLine(std::int32_t line) const {
  // Binary search over the logical order, across the gap.
  std::int32_t lo = 0, hi = size_;
  while (lo < hi) {
    std::int32_t mid = lo + (hi - lo) / 2;
    if ((*this)[mid].line < line) lo = mid + 1;
    else hi = mid;
  }
  return lo;
}

}  // namespace kastrell
