#include "text/LineRecord.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/Memory.h"

namespace kastrell {

void ClearDisplayCache(LineRecord& rec) {
  std::free(rec.displayCache);
  rec.displayCache = nullptr;
  rec.displayCacheCount = -1;
}

void ReleaseLineStore(LineRecord& rec) {
  if (!rec.storeInBlock) std::free(rec.text);
  rec.text = nullptr;
  rec.storeInBlock = 0;
  rec.capacity = 0;
  rec.length = 0;
  ClearDisplayCache(rec);
}

namespace {
// Moves the units into a new private store of exactly capacity units.
bool MoveStore(LineRecord& rec, std::int32_t capacity) {
  auto* fresh = static_cast<char16_t*>(AllocateBytes(std::size_t(capacity) * sizeof(char16_t)));
  if (!fresh) return false;
  std::int32_t keep = std::min(rec.length, capacity);
  if (keep > 0) std::memcpy(fresh, rec.text, std::size_t(keep) * sizeof(char16_t));
  if (!rec.storeInBlock) std::free(rec.text);
  rec.text = fresh;
  rec.storeInBlock = 0;
  rec.capacity = capacity;
  return true;
}
}  // namespace

bool SetLineStoreLength(LineRecord& rec, std::int32_t n) {
  if (n <= 0) {
    ReleaseLineStore(rec);
    return true;
  }
  if (!rec.text) {
    auto* fresh = static_cast<char16_t*>(AllocateBytes(std::size_t(n) * sizeof(char16_t)));
    if (!fresh) return false;
    rec.text = fresh;
    rec.storeInBlock = 0;
    rec.capacity = rec.length = n;
    return true;
  }
  if (n > rec.capacity) {
    std::int64_t capacity = rec.capacity;
    std::int64_t step = std::max<std::int64_t>(capacity / 4, 16);
    while (capacity < n) capacity += step;
    if (capacity > INT32_MAX) capacity = n;
    if (!MoveStore(rec, std::int32_t(capacity))) return false;
    rec.length = n;
    return true;
  }
  // Shrinking to a smaller store is an economy; when memory is short the
  // larger store simply stays, so a shrink never fails.
  if (n < rec.capacity - std::max(rec.capacity / 2, 32)) MoveStore(rec, n);
  rec.length = n;
  return true;
}

LineRecord MakeLineRecord(const char16_t* units, std::int32_t n) {
  LineRecord rec;
  if (!SetLineStoreLength(rec, n + 1)) return rec;
  if (n > 0) std::memcpy(rec.text, units, std::size_t(n) * sizeof(char16_t));
  rec.text[n] = 0;
  return rec;
}

}  // namespace kastrell
