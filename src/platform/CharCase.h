// The system's case mapping of single UTF-16 units, the counterpart of the
// Windows calls that upper-case or lower-case one character in place.
#pragma once

namespace kastrell {

// Simple (one unit to one unit) upper and lower case of u. Units without such a
// mapping, surrogates included, come back unchanged.
char16_t PlatformCharUpper(char16_t u);
char16_t PlatformCharLower(char16_t u);

}  // namespace kastrell
