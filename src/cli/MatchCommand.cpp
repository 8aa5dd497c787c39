#include "cli/MatchCommand.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/LoadOptions.h"
#include "platform/FileSystem.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixPlatform.h"
#include "text/FileLoader.h"
#include "platform/Platform.h"
#include "platform/Strings.h"
#include "platform/Utf.h"
#include "search/RegexProgram.h"

namespace kastrell::cli {

namespace {

// Standard input as a File, for the bounded whole-stream read of the loader.
class StandardInput final : public File {
 public:
  FileError Read(void* buffer, std::size_t size, std::size_t& got) override {
    for (;;) {
      ssize_t n = ::read(0, buffer, size);
      if (n >= 0) {
        got = std::size_t(n);
        return {};
      }
      if (errno != EINTR) return LastFileError();
    }
  }
  FileError Write(const void*, std::size_t) override { return {EBADF, std::strerror(EBADF)}; }
  FileError Sync() override { return {}; }
  FileError Close() override { return {}; }
};

// The pattern in a file: UTF-8, one final line break (LF or CR LF) dropped.
bool ReadPatternFile(const char* path, std::string& pattern) {
  PosixFileSystem fs;
  FileInfo info;
  if (FileError e = fs.Stat(path, info); e || info.kind != FileKind::Regular) {
    std::fprintf(stderr, "kastrell-cli match: --pattern-file %s: %s\n", path,
                 e ? e.message.c_str() : info.kind == FileKind::Missing ? "No such file or directory" : "not a regular file");
    return false;
  }
  if (FileError e = ReadWholeFile(fs, path, pattern)) {
    std::fprintf(stderr, "kastrell-cli match: --pattern-file %s: %s\n", path, e.message.c_str());
    return false;
  }
  if (!pattern.empty() && pattern.back() == '\n') pattern.pop_back();
  if (!pattern.empty() && pattern.back() == '\r') pattern.pop_back();
  return true;
}

}  // namespace

const char* const kMatchUsage =
    "usage: kastrell-cli match [-i] [--replace TEMPLATE] [--pattern-file FILE | [--] PATTERN] [FILE]\n"
    "Prints one JSON line per match: start and end in UTF-16 units and the ten\n"
    "captures, or the replacement text with --replace. Reads standard input\n"
    "without FILE (at most 2 GB). Exit 0 when something matched, 1 when nothing\n"
    "did, 2 on an error.\n"
    "  -i                   ignore case\n"
    "  --replace TEMPLATE   print the replacement for each match (& or \\0 the match, \\1..\\9 the groups)\n"
    "  --pattern-file FILE  read the pattern from FILE (UTF-8; one final line break is dropped)\n"
    "  --help, -h           print this help\n"
    "  --                   end of the options: the next argument is the pattern even if it starts with '-'\n";

bool LoadTextForMatch(const char* path, std::u16string& text) {
  // Decoded as the editor loads a file, with the questions answered as
  // kastrell-cli decode answers them by default.
  LoadSession session{LoadOptions{}};
  CMyEditDoc doc;
  if (path) {
    if (!session.Load(doc, path)) return false;
  } else {
    // The same limit and the same messages as for a file.
    StandardInput in;
    LargeBuffer bytes;
    std::size_t size = 0;
    if (!ReadWholeStream(in, 0, "-", bytes, size)) return false;
    if (!DecodeText(doc, std::move(bytes), size, "-", session.Environment())) return false;
  }
  ExtractedText all = doc.Buffer().GetAllText(LineStyle::Pc, false);
  if (!all.ok) return false;
  text.assign(all.units.get(), std::size_t(all.length));
  return true;
}

int RunMatchCommand(int argc, char** argv) {
  bool ignoreCase = false;
  const char* templ = nullptr;
  const char* patternFile = nullptr;
  std::vector<const char*> operands;
  for (int i = 0; i < argc; ++i) {
    std::string_view a = argv[i];
    auto needs = [&](const char* what) {
      if (i + 1 < argc) return true;
      std::fprintf(stderr, "kastrell-cli match: %s needs %s\n", argv[i], what);
      return false;
    };
    if (a == "--") {
      for (++i; i < argc; ++i) operands.push_back(argv[i]);
    } else if (a == "-i") {
      ignoreCase = true;
    } else if (a == "--replace") {
      if (!needs("a TEMPLATE")) return 2;
      templ = argv[++i];
    } else if (a == "--pattern-file") {
      if (!needs("a FILE")) return 2;
      patternFile = argv[++i];
    } else if (a == "--help" || a == "-h") {
      std::fputs(kMatchUsage, stdout);
      return FinishOutput("match") ? 0 : 2;
    } else if (a.size() > 1 && a[0] == '-') {
      std::fprintf(stderr,
                   "kastrell-cli match: unknown option '%s' (a pattern that starts with '-' goes after --, or "
                   "into --pattern-file)\n",
                   argv[i]);
      return 2;
    } else {
      operands.push_back(argv[i]);
    }
  }
  std::string patternBytes;
  if (patternFile) {
    if (!ReadPatternFile(patternFile, patternBytes)) return 2;
  } else if (!operands.empty()) {
    patternBytes = operands.front();
    operands.erase(operands.begin());
  } else {
    std::fprintf(stderr, "kastrell-cli match: no PATTERN given\n%s", kMatchUsage);
    return 2;
  }
  if (operands.size() > 1) {
    std::fprintf(stderr, "kastrell-cli match: more than one FILE given ('%s', '%s')\n%s", operands[0], operands[1],
                 kMatchUsage);
    return 2;
  }
  if (patternBytes.empty()) {
    std::fprintf(stderr, "kastrell-cli match: the pattern is empty; the editor's search finds nothing for an empty "
                         "pattern, so there is nothing to run\n");
    return 2;
  }
  const char* path = operands.empty() ? nullptr : operands.front();
  const char* pattern = patternBytes.c_str();

  std::u16string pat = Utf8ToUtf16(pattern);
  std::u16string tmpl = templ ? Utf8ToUtf16(templ) : std::u16string();
  RegexProgram prog;
  if (!RegexCompile(prog, pat, true)) {
    std::fprintf(stderr, "kastrell-cli match: the pattern '%s' does not compile (unbalanced ( ) or [ ], more than "
                         "nine groups, a trailing \\, a repeat of nothing or a reversed range)\n", pattern);
    return 2;
  }
  std::u16string text;
  if (!LoadTextForMatch(path, text)) return 2;
  std::string out;
  int matches = 0;
  // All matches are one search operation with one step budget.
  RegexBudget budget(prog, text.size());
  for (std::size_t from = 0; from < text.size();) {
    RegexResult r = RegexFind(prog, text, from, pat, !ignoreCase, true, &budget);
    if (r.status == RegexStatus::TooComplex) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      std::fprintf(stderr, "kastrell-cli match: %s\n", std::string(LoadString(kRegexTooComplexString)).c_str());
      FinishOutput("match");
      return 2;
    }
    if (!r.found()) break;
    ++matches;
    out += "{\"start\":";
    out += std::to_string(r.start);
    out += ",\"end\":";
    out += std::to_string(r.start + r.length);
    if (r.lineEnd) out += ",\"lineEnd\":true";
    if (templ) {
      out += ",\"replacement\":";
      AppendJsonString(out, Utf16ToUtf8(RegexExpand(prog, tmpl).value_or(std::u16string())));
    } else {
      out += ",\"captures\":[";
      for (int i = 0; i < kRegexCaptures; ++i) {
        if (i) out += ',';
        if (prog.captureSet(i)) {
          out += '[';
          out += std::to_string(prog.captureStart(i));
          out += ',';
          out += std::to_string(prog.captureEnd(i));
          out += ']';
        } else {
          out += "null";
        }
      }
      out += ']';
    }
    out += "}\n";
    if (out.size() > (1u << 16)) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
    from = r.length == 0 ? r.start + 1 : r.start + r.length;
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  if (!FinishOutput("match")) return 2;
  return matches > 0 ? 0 : 1;
}

}  // namespace kastrell::cli
