#include "cli/LoadOptions.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Strings.h"
#include "platform/posix/IcuCodePages.h"
#include "platform/posix/PosixPlatform.h"
#include "text/Encoding.h"

namespace kastrell::cli {

const char* const kLoadOptionsHelp =
    "  --encoding N          decode with code page N (1200/1201 UTF-16, 65001 UTF-8) instead of detecting\n"
    "  --acp N               the system ANSI code page (default: KASTRELL_ACP or the locale)\n"
    "  --default-encoding N  the \"Encoding\" setting: code page for undetected files (default 0, ANSI)\n"
    "  --pc-format N         the \"PC format\" setting: style of text without breaks (0 UNIX, 1 PC, 2 MAC)\n"
    "  --check-crlf          the \"Check invalid CR/LF\" setting: ask about mixed line breaks\n"
    "  --repair              answer Yes to that question (repair to CR LF); the default is No\n"
    "  --invalid no|cancel|N answer to \"characters may be lost\": decode with replacement characters\n"
    "                        (no, the default of decode and info), fail (cancel, the default of\n"
    "                        convert without --lossy), or decode with code page N\n"
    "  --no-big-file         answer No to the low-memory question (the default is Yes)\n"
    "  --help, -h            print the usage of the command\n"
    "  --                    end of the options: every later argument is a file\n"
    "Questions are answered as above; their text goes to standard error.\n";

bool ParseInt(const char* s, long lo, long hi, long& v) {
  char* end = nullptr;
  v = std::strtol(s, &end, 10);
  return end != s && *end == 0 && v >= lo && v <= hi;
}

bool ParseLoadOptions(int argc, char** argv, LoadOptions& out, const char* command) {
  for (int i = 0; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](long lo, long hi, long& v) {
      if (i + 1 >= argc || !ParseInt(argv[i + 1], lo, hi, v)) {
        std::fprintf(stderr, "kastrell-cli %s: %s needs a number from %ld to %ld%s%s%s\n", command, a.c_str(), lo,
                     hi, i + 1 < argc ? " (got '" : "", i + 1 < argc ? argv[i + 1] : "", i + 1 < argc ? "')" : "");
        return false;
      }
      ++i;
      return true;
    };
    auto codePage = [&](bool ansi, long& v) {
      if (!value(0, 99999, v)) return false;
      if (v == 0 && !ansi) return true;  // 0: the ANSI code page, or no choice
      std::string why = ansi ? AnsiCodePageRefusal(std::to_string(v)) : CodePageRefusal(v);
      if (why.empty()) return true;
      std::fprintf(stderr, "kastrell-cli %s: %s %ld: %s\n", command, a.c_str(), v, why.c_str());
      return false;
    };
    long v = 0;
    if (a == "--") {
      for (++i; i < argc; ++i) out.files.push_back(argv[i]);
      break;
    } else if (a == "--help" || a == "-h") {
      out.help = true;
    } else if (a == "--encoding") {
      if (!codePage(false, v)) return false;
      out.encoding = std::int32_t(v);
    } else if (a == "--acp") {
      if (!codePage(true, v)) return false;
      out.acp = int(v);
    } else if (a == "--default-encoding") {
      if (!codePage(false, v)) return false;
      out.settings.encoding = std::int32_t(v);
    } else if (a == "--pc-format") {
      if (!value(0, 2, v)) return false;
      out.settings.pcFormat = static_cast<LineStyle>(v);
    } else if (a == "--check-crlf") {
      out.settings.checkInvalidCrLf = true;
    } else if (a == "--repair") {
      out.repair = true;
    } else if (a == "--no-big-file") {
      out.bigFile = false;
    } else if (a == "--invalid") {
      out.invalid = i + 1 < argc ? argv[++i] : "";
      if (out.invalid != "no" && out.invalid != "cancel" && !ParseInt(out.invalid.c_str(), 0, 99999, v)) {
        std::fprintf(stderr, "kastrell-cli %s: --invalid needs no, cancel or a code page (got '%s')\n", command,
                     out.invalid.c_str());
        return false;
      }
      if (out.invalid != "no" && out.invalid != "cancel" && v != 0 && !CodePageRefusal(v).empty()) {
        std::fprintf(stderr, "kastrell-cli %s: --invalid %ld: %s\n", command, v, CodePageRefusal(v).c_str());
        return false;
      }
    } else if (a.size() > 1 && a[0] == '-') {
      std::fprintf(stderr, "kastrell-cli %s: unknown option '%s' (a file whose name starts with '-' goes after --)\n",
                   command, a.c_str());
      return false;
    } else {
      out.files.push_back(a);
    }
  }
  return true;
}

bool CheckAnsiCodePageEnvironment() {
  const char* value = std::getenv("KASTRELL_ACP");
  if (!value || !*value) return true;
  std::string why = AnsiCodePageRefusal(value);
  if (why.empty()) return true;
  std::fprintf(stderr, "kastrell-cli: KASTRELL_ACP=%s: %s\n", value, why.c_str());
  return false;
}

bool FinishOutput(const char* command) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
  std::fprintf(stderr, "kastrell-cli %s: cannot write the output: %s\n", command,
               std::strerror(errno ? errno : EIO));
  return false;
}

std::string QuestionKey(unsigned id) {
  std::string text(LoadString(id));
  // Skip a leading "%s\n" (the file name), keep the fixed words after it.
  if (text.rfind("%s\n", 0) == 0) text.erase(0, 3);
  return text.substr(0, 24);
}

LoadEnvironment ApplyLoadOptions(const LoadOptions& options, PosixPlatform& platform, FixedChooser& chooser) {
  if (options.acp) platform.codePages.SetAnsiCodePage(*options.acp);
  ConsoleMessageBoxes& boxes = platform.boxes;
  // The questions are told apart by a piece of their text.
  const std::string decodeQuestion = QuestionKey(21685);
  const std::string lineQuestion = QuestionKey(21632);
  if (options.invalid == "cancel") {
    boxes.AddAnswer(decodeQuestion, Answer::Cancel);
  } else if (options.invalid == "no" || options.invalid.empty()) {
    boxes.AddAnswer(decodeQuestion, Answer::No);
  } else {
    boxes.AddAnswer(decodeQuestion, Answer::Yes);
    chooser.chosen = std::int32_t(std::strtol(options.invalid.c_str(), nullptr, 10));
  }
  boxes.AddAnswer(lineQuestion, options.repair ? Answer::Yes : Answer::No);
  boxes.SetAnswer(Buttons::YesNo, options.bigFile ? Answer::Yes : Answer::No);
  LoadEnvironment env;
  env.settings = options.settings;
  env.chooser = &chooser;
  return env;
}

}  // namespace kastrell::cli
