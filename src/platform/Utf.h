// Conversions between UTF-8 (paths, messages, settings) and UTF-16 (document text).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace kastrell {

// Ill-formed input becomes U+FFFD; never fails.
std::u16string Utf8ToUtf16(std::string_view in);
// Decodes n bytes into dest, which must hold n units (UTF-16 never needs more
// units than UTF-8 has bytes). Ill-formed input (overlong forms, surrogates,
// values above U+10FFFF, cut sequences) fails when strict, else becomes one
// U+FFFD per offending byte. written is the number of units produced.
bool Utf8ToUtf16(const char* bytes, std::size_t n, char16_t* dest, bool strict, std::size_t& written);
// The number of leading bytes below 0x80.
std::size_t AsciiPrefixLength(const char* bytes, std::size_t n);
// Unpaired surrogates become U+FFFD; never fails.
std::string Utf16ToUtf8(std::u16string_view in);
// The same, appended to out.
void AppendUtf8(std::string& out, std::u16string_view in);

}  // namespace kastrell
