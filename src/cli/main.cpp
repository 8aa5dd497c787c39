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
    "Commands:\n"
    "  decode [options] FILE   print the text as the editor loads it (UTF-8, lines joined by LF)\n"
    "  info [options] FILE     print the encoding, line style and line count as JSON\n"
    "  match [-i] [--replace TEMPLATE] PATTERN [FILE]   run a regular expression\n"
    "  convert --encoding N --line-style 0|1|2 [--bom 0|1] IN OUT\n"
    "                          load IN as the editor does and save it as OUT\n"
    "\n"
    "Options:\n"
    "  --version   print the version and exit\n"
    "  --help      print this help and exit\n";

}  // namespace

int main(int argc, char** argv) {
  kastrell::PosixPlatform posix;
  kastrell::ScopedPlatform installed(posix.platform);
  if (argc < 2) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string_view command = argv[1];
  if (command == "--version") {
    std::printf("kastrell-cli %s\n", KASTRELL_VERSION);
    return 0;
  }
  if (command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    std::printf("\nOptions of decode and info:\n%s", kastrell::cli::kLoadOptionsHelp);
    return 0;
  }
  if (command == "decode") return kastrell::cli::RunDecode(argc - 2, argv + 2);
  if (command == "info") return kastrell::cli::RunInfo(argc - 2, argv + 2);
  if (command == "match") return kastrell::cli::RunMatchCommand(argc - 2, argv + 2);
  if (command == "convert") return kastrell::cli::RunConvert(argc - 2, argv + 2);
  std::fprintf(stderr, "kastrell-cli: unknown command '%s'\n\n%s", argv[1], kUsage);
  return 2;
}
