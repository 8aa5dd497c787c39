// Conversions between UTF-8 (paths, messages, settings) and UTF-16 (document text).
#pragma once
#include <string>
#include <string_view>

namespace kastrell {

// Ill-formed input becomes U+FFFD; never fails.
std::u16string Utf8ToUtf16(std::string_view in);
// Unpaired surrogates become U+FFFD; never fails.
std::string Utf16ToUtf8(std::u16string_view in);

}  // namespace kastrell
