#include "platform/CharCase.h"

#include <unicode/uchar.h>

namespace kastrell {

namespace {

// A mapping that leaves the Basic Multilingual Plane (none does today) or
// lands on a surrogate cannot be stored in one unit; the unit stays as it is.
char16_t OneUnit(char16_t u, UChar32 mapped) {
  if (mapped < 0 || mapped > 0xFFFF || (mapped >= 0xD800 && mapped <= 0xDFFF)) return u;
  return char16_t(mapped);
}

}  // namespace

char16_t PlatformCharUpper(char16_t u) {
  if (u >= 0xD800 && u <= 0xDFFF) return u;
  return OneUnit(u, u_toupper(UChar32(u)));
}

char16_t PlatformCharLower(char16_t u) {
  if (u >= 0xD800 && u <= 0xDFFF) return u;
  return OneUnit(u, u_tolower(UChar32(u)));
}

}  // namespace kastrell
