// Text in the system ANSI code page of the installed platform.
#pragma once
#include <string>
#include <string_view>

namespace kastrell {

// Bytes in the ANSI code page, leniently (bad bytes become U+FFFD); as
// Latin-1 when no converter backend is installed.
std::u16string AnsiToUtf16(std::string_view bytes);

}  // namespace kastrell
