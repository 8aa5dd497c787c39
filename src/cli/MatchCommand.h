// `kastrell-cli match`: runs a regular expression over a file or standard input.
#pragma once
#include <string>
#include <string_view>

namespace kastrell::cli {

// The text of a file (standard input when path is null) as the editor holds it
// for searching: loaded as the editor loads it, lines joined with CR LF.
// Failures are reported on standard error.
bool LoadTextForMatch(const char* path, std::u16string& text);

// argv holds the arguments after "match". Returns the exit status: 0 when
// something matched, 1 when nothing did, 2 on a usage, file or pattern error.
int RunMatchCommand(int argc, char** argv);

}  // namespace kastrell::cli
