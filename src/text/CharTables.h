// Case tables and the delimiter set shared by highlighting, keyword lookup,
// whole-word search, auto-completion and the regular expression engine.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kastrell {

// Upper-case and lower-case form of one unit: units below 256 through tables
// built once from the platform mapping, the others through the mapping itself.
char16_t UpperUnit(char16_t u);
char16_t LowerUnit(char16_t u);

// The 256-entry tables behind UpperUnit and LowerUnit.
const char16_t* UpperTable();
const char16_t* LowerTable();

// h = h * 31 + upper(unit) over the word, in 32-bit unsigned arithmetic.
std::uint32_t KeywordHash(std::u16string_view word);

// The characters that end a word when the "Delimiters" option is not set.
inline constexpr std::u16string_view kDefaultDelimiters = u",.?!;:/<>(){}[]\"'=";
// At most this many characters of the "Delimiters" option are kept.
inline constexpr std::size_t kMaxDelimiters = 32;

// 1 for tab, LF, CR and space; 2 for a unit up to 255 that occurs in `set`;
// 0 otherwise. Units above 255 are never delimiters.
int DelimiterKind(char16_t u, std::u16string_view set);

}  // namespace kastrell
