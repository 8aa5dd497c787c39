// `kastrell-cli match`: runs a regular expression over a file or standard input.
#pragma once
#include <string>
#include <string_view>

namespace kastrell::cli {

// The text of a file as the editor holds it for searching: decoded, with every
// line break (CR LF, LF or CR) written as CR LF.
std::u16string LoadTextForMatch(std::string_view bytes);

// argv holds the arguments after "match". Returns the exit status: 0 when
// something matched, 1 when nothing did, 2 on a usage, file or pattern error.
int RunMatchCommand(int argc, char** argv);

}  // namespace kastrell::cli
