// kastrell-cli: the editor's core without a window, for scripts, tests and benchmarks.
#include <cstdio>
#include <cstring>
#include <string_view>

#include "cli/Commands.h"
#include "cli/LoadOptions.h"
#include "cli/MatchCommand.h"
#include "platform/posix/PosixPlatform.h"

namespace {

constexpr const char* kUsage =
    "usage: kastrell-cli [--version] [--help] COMMAND [ARGS]\n"
    "\n"
    "Commands (each takes --help, and -- to end its options):\n"
    "  decode [options] FILE   print the text as the editor loads it (UTF-8, lines joined by LF)\n"
    "  info [options] FILE     print the encoding, line style and line count as JSON\n"
    "  match [-i] [--replace TEMPLATE] [--pattern-file FILE | PATTERN] [FILE]   run a regular expression\n"
    "  convert --encoding N --line-style 0|1|2 [--bom 0|1] [--lossy] IN OUT\n"
    "                          load IN as the editor does and save it as OUT\n"
    "  type [--first-line TEXT] PATH...   print the file type of each path (index, description)\n"
    "  syntax FILE.stx         print a syntax file as the editor parses it, as JSON\n"
    "\n"
    "Options:\n"
    "  --version   print the version and exit\n"
    "  --help      print this help and exit\n"
    "\n"
    "Environment:\n"
    "  KASTRELL_ACP   the system ANSI code page (default: from the locale); UTF-16 and numbers\n"
    "                 without a converter are refused\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace kastrell::cli;
  // Before any platform reads it: an impossible ANSI code page is refused, not ignored.
  if (!CheckAnsiCodePageEnvironment()) return 2;
  kastrell::PosixPlatform posix;
  kastrell::ScopedPlatform installed(posix.platform);
  if (argc < 2) {
    std::fprintf(stderr, "kastrell-cli: no COMMAND given\n\n%s", kUsage);
    return 2;
  }
  std::string_view command = argv[1];
  if (command == "--version") {
    std::printf("kastrell-cli %s\n", KASTRELL_VERSION);
    return FinishOutput("--version") ? 0 : 1;
  }
  if (command == "--help" || command == "-h") {
    std::printf("%s\n%s\n%s\n%s\n%s\n%s\n%s\nOptions of decode, info and convert:\n%s", kUsage, kDecodeUsage,
                kInfoUsage, kMatchUsage, kConvertUsage, kTypeUsage, kSyntaxUsage, kLoadOptionsHelp);
    return FinishOutput("--help") ? 0 : 1;
  }
  if (command == "decode") return RunDecode(argc - 2, argv + 2);
  if (command == "info") return RunInfo(argc - 2, argv + 2);
  if (command == "match") return RunMatchCommand(argc - 2, argv + 2);
  if (command == "convert") return RunConvert(argc - 2, argv + 2);
  if (command == "type") return RunType(argc - 2, argv + 2);
  if (command == "syntax") return RunSyntax(argc - 2, argv + 2);
  std::fprintf(stderr, "kastrell-cli: unknown command '%s'\n\n%s", argv[1], kUsage);
  return 2;
}
