#include "text/RowTable.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace kastrell {

RowTable::~RowTable() { std::free(rows_); }

void RowTable::Clear() {
  std::free(rows_);
  rows_ = nullptr;
  size_ = capacity_ = 0;
}

bool RowTable::Reserve(std::int64_t needed) {
  if (needed <= capacity_) return true;
  if (needed > INT32_MAX) return false;
  std::int64_t capacity = capacity_;
  std::int64_t step = fixedStep_ > 0 ? fixedStep_ : std::clamp<std::int64_t>(size_ / 8, 4, 1024);
  // One step, or exactly what is needed when that is more.
  capacity = std::max(capacity + step, needed);
  auto* grown = static_cast<RowEntry*>(std::realloc(rows_, std::size_t(capacity) * sizeof(RowEntry)));
  if (!grown) return false;
  rows_ = grown;
  capacity_ = std::int32_t(capacity);
  return true;
}

bool RowTable::Append(const RowEntry& row) {
  if (!Reserve(std::int64_t(size_) + 1)) return false;
  rows_[size_++] = row;
  return true;
}

bool RowTable::Replace(std::int32_t first, std::int32_t count, const RowEntry* rows, std::int32_t n) {
  first = std::clamp(first, 0, size_);
  count = std::clamp(count, 0, size_ - first);
  n = std::max(n, 0);
  std::int64_t newSize = std::int64_t(size_) - count + n;
  if (!Reserve(newSize)) return false;
  std::int32_t tail = size_ - first - count;
  if (tail > 0 && n != count) {
    std::memmove(rows_ + first + n, rows_ + first + count, std::size_t(tail) * sizeof(RowEntry));
  }
  if (n > 0) std::memcpy(rows_ + first, rows, std::size_t(n) * sizeof(RowEntry));
  size_ = std::int32_t(newSize);
  return true;
}

void RowTable::ShiftLines(std::int32_t first, std::int32_t delta) {
  for (std::int32_t i = std::max(first, 0); i < size_; ++i) rows_[i].line += delta;
}

std::int32_t RowTable::FirstRowOfLine(std::int32_t line) const {
  const RowEntry* it =
      std::lower_bound(rows_, rows_ + size_, line, [](const RowEntry& r, std::int32_t l) { return r.line < l; });
  return std::int32_t(it - rows_);
}

}  // namespace kastrell
