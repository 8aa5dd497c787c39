// type: the file type the editor gives each path (its index and description).
// syntax: a syntax file as the editor parses it, as one JSON object.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Directories.h"
#include "app/UserValues.h"
#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/LoadOptions.h"
#include "lang/DescriptionFile.h"
#include "lang/FileTypes.h"
#include "platform/FileSystem.h"
#include "platform/Utf.h"
#include "text/CMyEditDoc.h"
#include "text/FileLoader.h"

namespace kastrell::cli {

namespace {

// The first line is read from at most this many bytes of a file.
constexpr std::size_t kFirstLineBytes = 64 * 1024;

// The INI and syntax directories as the editor would find them, without
// creating anything.
void FindDirectories(PosixPlatform& posix) {
  SystemInfo& system = *posix.platform.system;
  FileSystem& fs = *posix.platform.files;
  AppUserValues().SetPath(UserValues::DefaultPath(system));
  Directories& d = AppDirectories();
  d.install = DefaultInstallDirectory(system, fs);
  std::string fallback = StripTrailingSeparator(d.install);
  auto value = [&](std::u16string_view name, const std::string& def) {
    std::u16string v = AppUserValues().GetString(user_values::kInstall, name, u"");
    std::string chosen = v.empty() ? def : Utf16ToUtf8(v);
    return CheckDirectory(chosen, system, fs, false).value_or(fallback);
  };
  d.ini = value(user_values::kIniDirectory, DefaultIniDirectory(system));
  d.syntax = value(user_values::kSyntaxDirectory, fallback);
}

// The first line of a file as loading would decode it; empty when the file
// cannot be read.
std::u16string FileFirstLine(const std::string& path, const LoadSession& session) {
  FileSystem& fs = *CurrentPlatform().files;
  FileInfo info;
  if (fs.Stat(path, info) || info.kind != FileKind::Regular) return {};
  std::unique_ptr<File> file;
  if (fs.OpenRead(path, file)) return {};
  std::size_t size = std::size_t(std::min<std::uint64_t>(info.size, kFirstLineBytes));
  char* bytes = AllocateDecodeBuffer(size);
  if (!bytes) return {};
  std::size_t have = 0;
  while (have < size) {
    std::size_t got = 0;
    if (file->Read(bytes + have, size - have, got) || got == 0) break;
    have += got;
  }
  file->Close();
  // A cut in the middle of a line ends that line; the first line is what counts.
  CMyEditDoc doc;
  LoadEnvironment env = session.Environment();
  if (!DecodeText(doc, bytes, have, path, env) || doc.Buffer().LineCount() == 0) return {};
  return std::u16string(doc.Buffer().LineView(0));
}

const char* Bool(bool b) { return b ? "true" : "false"; }

std::string Json16(std::u16string_view s) { return JsonString(Utf16ToUtf8(s)); }

std::string JsonUnit(char16_t c) { return c ? Json16(std::u16string(1, c)) : "null"; }

}  // namespace

const char* const kTypeUsage =
    "usage: kastrell-cli type [--first-line TEXT] [--] PATH...\n"
    "Prints, per PATH, the index and description of the file type the editor gives it and the path,\n"
    "separated by tabs. The first line is TEXT, or read from the file when it exists.\n";
const char* const kSyntaxUsage =
    "usage: kastrell-cli syntax [--] FILE.stx\n"
    "Prints the syntax file as the editor parses it (groups with their keyword counts, markers,\n"
    "switches) as one JSON object.\n";

int RunType(int argc, char** argv) {
  std::optional<std::u16string> firstLine;
  std::vector<std::string> paths;
  for (int i = 0; i < argc; ++i) {
    std::string_view a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kTypeUsage, stdout);
      return FinishOutput("type") ? 0 : 1;
    }
    if (a == "--first-line") {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "kastrell-cli type: --first-line needs TEXT\n%s", kTypeUsage);
        return 2;
      }
      firstLine = Utf8ToUtf16(argv[++i]);
    } else if (a == "--") {
      for (++i; i < argc; ++i) paths.push_back(argv[i]);
    } else if (a.size() > 1 && a[0] == '-') {
      std::fprintf(stderr, "kastrell-cli type: unknown option '%s'\n%s", argv[i], kTypeUsage);
      return 2;
    } else {
      paths.push_back(argv[i]);
    }
  }
  if (paths.empty()) {
    std::fprintf(stderr, "kastrell-cli type: no PATH given\n%s", kTypeUsage);
    return 2;
  }
  LoadOptions options;
  LoadSession session(options);
  FindDirectories(session.posix);
  LoadFileTypes();
  const FileTypeTable& table = AppFileTypes();
  for (const std::string& p : paths) {
    std::u16string line = firstLine ? *firstLine : FileFirstLine(p, session);
    TypeMatch m = MatchFileType(table, p, line);
    std::printf("%d\t%s\t%s\n", m.type, Utf16ToUtf8(table.types[m.type].description).c_str(), p.c_str());
  }
  return FinishOutput("type") ? 0 : 1;
}

int RunSyntax(int argc, char** argv) {
  std::vector<std::string> files;
  for (int i = 0; i < argc; ++i) {
    std::string_view a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kSyntaxUsage, stdout);
      return FinishOutput("syntax") ? 0 : 1;
    }
    if (a == "--") {
      for (++i; i < argc; ++i) files.push_back(argv[i]);
    } else if (a.size() > 1 && a[0] == '-') {
      std::fprintf(stderr, "kastrell-cli syntax: unknown option '%s'\n%s", argv[i], kSyntaxUsage);
      return 2;
    } else {
      files.push_back(argv[i]);
    }
  }
  if (files.size() != 1) {
    std::fprintf(stderr, "kastrell-cli syntax: %s\n%s", files.empty() ? "no FILE given" : "more than one FILE given",
                 kSyntaxUsage);
    return 2;
  }
  LoadOptions options;
  LoadSession session(options);
  std::string bytes;
  if (!ReadDescriptionFile(files[0], *CurrentPlatform().files, bytes)) {
    std::fprintf(stderr, "kastrell-cli syntax: cannot read '%s' (a regular file of at most 64 MiB)\n",
                 files[0].c_str());
    return 1;
  }
  SyntaxDef d;
  ParseSyntaxBytes(d, bytes);
  static const char* const kModes[] = {"none", "html", "cpp", "perl"};
  std::string out = "{\"groups\":[";
  for (int g = 0; g < d.groupCount; ++g) {
    if (g) out += ',';
    out += "{\"name\":" + Json16(d.groupNames[g]) + ",\"keywords\":" + std::to_string(d.keywords[g].size()) + "}";
  }
  out += "],\"delimiters\":" + (d.delimiters ? Json16(*d.delimiters) : std::string("null"));
  out += ",\"lineComment\":[" + Json16(d.lineComment[0]) + "," + Json16(d.lineComment[1]) + "]";
  out += ",\"lineCommentAtLineStart\":[" + std::string(Bool(d.lineStartOnly & kLineComment1AtLineStart)) + "," +
         Bool(d.lineStartOnly & kLineComment2AtLineStart) + "]";
  out += ",\"commentOn\":[" + Json16(d.commentOn[0]) + "," + Json16(d.commentOn[1]) + "]";
  out += ",\"commentOff\":[" + Json16(d.commentOff[0]) + "," + Json16(d.commentOff[1]) + "]";
  out += ",\"quotes\":[" + JsonUnit(d.quote[0]) + "," + JsonUnit(d.quote[1]) + "]";
  out += ",\"escape\":" + JsonUnit(d.escape);
  for (auto [name, chars] : {std::pair{"prefix", &d.prefix}, std::pair{"suffix", &d.suffix}}) {
    out += std::string(",\"") + name + "\":[";
    for (int i = 0; i < kMaxAffixes; ++i) out += (i ? "," : "") + JsonUnit((*chars)[i]);
    out += "]";
  }
  out += ",\"scriptBegin\":" + Json16(d.scriptBegin) + ",\"scriptEnd\":" + Json16(d.scriptEnd);
  out += ",\"heredoc\":" + Json16(d.heredoc);
  out += std::string(",\"case\":") + Bool(d.caseSensitive) + ",\"autoCase\":" + Bool(d.autoCase) +
         ",\"continueQuote\":" + Bool(d.continueQuote) + ",\"htmlEmbedded\":" + Bool(d.htmlEmbedded) +
         ",\"skipQuote\":" + Bool(d.skipQuote) + ",\"autoCompleteQuote\":" + Bool(d.completeInQuotes);
  out += std::string(",\"specialMode\":\"") + kModes[d.specialMode] + "\"";
  out += std::string(",\"numberPattern\":") + (d.numberPattern ? "\"cpp\"" : "null") + "}\n";
  std::fputs(out.c_str(), stdout);
  return FinishOutput("syntax") ? 0 : 1;
}

}  // namespace kastrell::cli
