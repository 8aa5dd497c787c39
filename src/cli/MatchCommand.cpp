#include "cli/MatchCommand.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "cli/Json.h"
#include "cli/LoadOptions.h"
#include "platform/FileSystem.h"
#include "platform/posix/PosixPlatform.h"
#include "text/FileLoader.h"
#include "platform/Platform.h"
#include "platform/Strings.h"
#include "platform/Utf.h"
#include "search/RegexProgram.h"

namespace kastrell::cli {

namespace {

constexpr const char* kMatchUsage =
    "usage: kastrell-cli match [-i] [--replace TEMPLATE] PATTERN [FILE]\n"
    "Prints one JSON line per match: start and end in UTF-16 units and the ten\n"
    "captures, or the replacement text with --replace. Reads standard input\n"
    "without FILE.\n";

bool ReadAll(std::FILE* f, std::string& out) {
  char buf[65536];
  std::size_t got;
  while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, got);
  return !std::ferror(f);
}


}  // namespace

bool LoadTextForMatch(const char* path, std::u16string& text) {
  // Decoded as the editor loads a file, with the questions answered as
  // kastrell-cli decode answers them by default.
  LoadSession session{LoadOptions{}};
  CMyEditDoc doc;
  if (path) {
    if (!session.Load(doc, path)) return false;
  } else {
    std::string bytes;
    if (!ReadAll(stdin, bytes)) {
      std::fprintf(stderr, "kastrell-cli match: cannot read standard input\n");
      return false;
    }
    char* buffer = AllocateDecodeBuffer(bytes.size());
    if (!buffer) return false;
    std::memcpy(buffer, bytes.data(), bytes.size());
    if (!DecodeText(doc, buffer, bytes.size(), "-", session.Environment())) return false;
  }
  ExtractedText all = doc.Buffer().GetAllText(kLineStylePc, false);
  if (!all.ok) return false;
  text.assign(all.units.get(), std::size_t(all.length));
  return true;
}

int RunMatchCommand(int argc, char** argv) {
  bool ignoreCase = false;
  const char* templ = nullptr;
  const char* pattern = nullptr;
  const char* path = nullptr;
  for (int i = 0; i < argc; ++i) {
    std::string_view a = argv[i];
    if (!pattern && a == "-i") {
      ignoreCase = true;
    } else if (!pattern && a == "--replace" && i + 1 < argc) {
      templ = argv[++i];
    } else if (!pattern && (a == "--help" || a == "-h")) {
      std::fputs(kMatchUsage, stdout);
      return 0;
    } else if (!pattern && a == "--") {
      if (i + 1 < argc) pattern = argv[++i];
    } else if (!pattern) {
      pattern = argv[i];
    } else if (!path) {
      path = argv[i];
    } else {
      std::fputs(kMatchUsage, stderr);
      return 2;
    }
  }
  if (!pattern) {
    std::fputs(kMatchUsage, stderr);
    return 2;
  }

  std::u16string text;
  if (!LoadTextForMatch(path, text)) return 2;
  std::u16string pat = Utf8ToUtf16(pattern);
  std::u16string tmpl = templ ? Utf8ToUtf16(templ) : std::u16string();

  RegexProgram prog;
  if (!pat.empty() && !RegexCompile(prog, pat, true)) {
    std::fprintf(stderr, "kastrell-cli match: the pattern does not compile\n");
    return 2;
  }
  std::string out;
  int matches = 0;
  for (std::size_t from = 0; from < text.size();) {
    RegexResult r = RegexFind(prog, text, from, pat, !ignoreCase, true);
    if (r.status == RegexStatus::TooComplex) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      std::fprintf(stderr, "kastrell-cli match: %s\n", std::string(LoadString(kRegexTooComplexString)).c_str());
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
  return matches > 0 ? 0 : 1;
}

}  // namespace kastrell::cli
