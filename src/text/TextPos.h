// A position in a document: zero-based line and a column counted in UTF-16 units.
#pragma once
#include <compare>
#include <cstdint>

namespace kastrell {

struct TextPos {
  std::int32_t line = 0;
  std::int32_t column = 0;
  friend constexpr auto operator<=>(const TextPos&, const TextPos&) = default;
};

}  // namespace kastrell
