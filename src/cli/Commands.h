// The subcommands of kastrell-cli. Each takes the arguments after its name and
// returns the process exit code.
#pragma once

namespace kastrell::cli {

int RunDecode(int argc, char** argv);  // decode [options] FILE
int RunInfo(int argc, char** argv);    // info [options] FILE
int RunConvert(int argc, char** argv); // convert --encoding N --line-style S [--bom 0|1] IN OUT
int RunType(int argc, char** argv);    // type [--first-line TEXT] PATH...
int RunSyntax(int argc, char** argv);  // syntax FILE.stx

// The usage texts, for the command's --help and the main --help.
extern const char* const kDecodeUsage;
extern const char* const kInfoUsage;
extern const char* const kConvertUsage;
extern const char* const kMatchUsage;
extern const char* const kTypeUsage;
extern const char* const kSyntaxUsage;

}  // namespace kastrell::cli
