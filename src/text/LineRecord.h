// One line of a document and the per-line attributes other subsystems hang on it.
#pragma once
#include <cstdint>

namespace kastrell {

// One run of one colour in a line, as cached by the painter.
struct ColourRun {
  std::uint32_t colour;  // 0x00BBGGRR; 0xFFFFFF is the default text colour
  std::int32_t start;    // first unit of the run
};

struct LineRecord {
  // Units stored, including the terminating NUL; 0 when the store was released.
  std::int32_t length = 0;
  std::int32_t capacity = 0;
  char16_t* text = nullptr;
  std::int32_t scanState = 0;
  // 0: no fold; n > 0: heads a collapsed fold hiding the next n lines; -1: heads an expanded fold.
  std::int32_t fold = 0;
  std::int32_t displayCacheCount = -1;  // -1: stale or absent
  std::int8_t marked = 0;
  // The store is part of a block shared by many lines (filled by a load) and
  // must not be freed on its own; the block lives as long as the buffer.
  std::uint8_t storeInBlock = 0;
  ColourRun* displayCache = nullptr;

  std::int32_t VisibleLength() const { return length > 0 ? length - 1 : 0; }
};

// Frees the text store and the display cache and resets the record to a
// released line (length 0).
void ReleaseLineStore(LineRecord& rec);
// Frees the display cache only (every change to a line's units does this).
void ClearDisplayCache(LineRecord& rec);
// Resizes the unit store to n units by the growth and shrink rules. Returns
// false, leaving the record unchanged, if memory ran out.
bool SetLineStoreLength(LineRecord& rec, std::int32_t n);
// A new record holding the given units plus the terminating NUL.
LineRecord MakeLineRecord(const char16_t* units, std::int32_t n);

// A load of millions of lines allocates one record per line: keep it small.
static_assert(sizeof(LineRecord) <= 40);

}  // namespace kastrell
