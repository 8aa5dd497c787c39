// The compiled-in string table: user-interface texts looked up by number.
#pragma once
#include <cstddef>

namespace kastrell {

struct StringEntry {
  unsigned id;
  const char* text;  // UTF-8
};

// Sorted by id; generated from data/strings.txt at build time.
extern const StringEntry kStringEntries[];
extern const std::size_t kStringEntryCount;

}  // namespace kastrell
