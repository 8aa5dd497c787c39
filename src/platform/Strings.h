// Lookup of the program's numbered user-interface strings.
#pragma once
#include <string>
#include <string_view>

namespace kastrell {

// The UTF-8 text of string `id`, or an empty view when the table has none.
std::string_view LoadString(unsigned id);

// Whether the table holds string `id`.
bool HasString(unsigned id);

// The text of string `id` as UTF-16.
std::u16string LoadStringU16(unsigned id);

// printf-style substitution of %s and %d (and %%) into a table text. Arguments
// are consumed in order; a missing argument leaves the directive as it stands.
std::string FormatString(std::string_view format, std::initializer_list<std::string_view> args);

}  // namespace kastrell
