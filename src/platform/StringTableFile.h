// The text form of a string table (data/strings.txt and the language tables
// under data/lang/<code page>/strings.txt), read by the build-time generator
// and by the language loader, so both accept exactly the same files.
//
//   <number> TAB <text>            a string
//   <number> TAB <name> TAB <text> a string with a name for the code (kName)
//   #version <version>             the program version a language table is for
//   # ...                          a comment; blank lines are ignored
//
// Texts use C escapes (\n, \r, \t, \", \\); a raw tab inside a text is refused.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace kastrell {

struct StringTableRow {
  unsigned id = 0;
  std::string name;  // empty, or an identifier starting with 'k' and a capital
  std::string text;  // UTF-8, escapes resolved
  int line = 0;      // 1-based line in the file
};

struct StringTableFile {
  std::string version;  // from "#version"; empty when the file has none
  std::vector<StringTableRow> rows;  // in file order
};

// Parses a whole table. On failure returns false and sets error to
// "line N: what is wrong"; out is then incomplete.
bool ParseStringTable(std::string_view content, StringTableFile& out, std::string& error);

// The printf directives of a text in order ("%s", "%d", "%.50s"...), "%%" left
// out; twins of one string must have the same list.
std::vector<std::string> FormatDirectives(std::string_view text);

}  // namespace kastrell
