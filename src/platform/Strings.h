// Lookup of the program's numbered user-interface strings.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kastrell {

// The UTF-8 text of string `id` in the interface language, or an empty view
// when the table has none. The view stays valid until the language changes.
std::string_view LoadString(unsigned id);

// Whether the built-in table holds string `id`.
bool HasString(unsigned id);

// The texts of a language other than the built-in one, sorted by number.
struct LanguageStrings {
  std::vector<std::pair<unsigned, std::string>> texts;
};
// Makes `strings` the source of LoadString; a number it lacks gives the
// built-in text. nullptr returns to the built-in texts.
void SetLanguageStrings(std::unique_ptr<const LanguageStrings> strings);

// The text of string `id` as UTF-16.
std::u16string LoadStringU16(unsigned id);

// printf-style substitution of %s and %d (and %%) into a table text. Arguments
// are consumed in order; a missing argument leaves the directive as it stands.
std::string FormatString(std::string_view format, std::initializer_list<std::string_view> args);

}  // namespace kastrell
