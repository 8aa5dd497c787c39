// convert: loads a file as the editor loads it and writes it as the editor
// saves it, in another encoding or line separator style.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/LoadOptions.h"
#include "platform/Platform.h"
#include "platform/posix/PosixPlatform.h"
#include "text/FileLoader.h"
#include "platform/Strings.h"
#include "text/FileWriter.h"

namespace kastrell::cli {

namespace {
constexpr const char* kConvertUsage =
    "usage: kastrell-cli convert --encoding N --line-style 0|1|2 [--bom 0|1] [--lossy] [options] IN OUT\n"
    "  --encoding N      code page to write (1200/1201 UTF-16 LE/BE, 65001 UTF-8, 0 ANSI)\n"
    "  --line-style S    0 UNIX (LF), 1 PC (CR LF), 2 MAC (CR)\n"
    "  --bom 0|1         UTF-8 only: 1 writes the signature, 0 leaves it out (default: keep what IN had)\n"
    "  --lossy           write characters the code page lacks as '?' (a lone surrogate as U+FFFD in\n"
    "                    UTF-8); by default such a text is not written and convert fails\n"
    "  --from N          decode IN with code page N instead of detecting\n";
}

int RunConvert(int argc, char** argv) {
  std::vector<char*> rest;
  long encoding = -1, style = -1, bom = -1, from = 0;
  bool lossy = false;
  for (int i = 0; i < argc; ++i) {
    std::string a = argv[i];
    auto number = [&](long lo, long hi, long& v) {
      if (i + 1 >= argc || !ParseInt(argv[i + 1], lo, hi, v)) return false;
      ++i;
      return true;
    };
    bool ok = true;
    if (a == "--encoding") ok = number(0, 99999, encoding);
    else if (a == "--line-style") ok = number(0, 2, style);
    else if (a == "--bom") ok = number(0, 1, bom);
    else if (a == "--from") ok = number(0, 99999, from);
    else if (a == "--lossy") lossy = true;
    else rest.push_back(argv[i]);
    if (!ok) {
      std::fprintf(stderr, "kastrell-cli convert: bad value for %s\n%s", a.c_str(), kConvertUsage);
      return 2;
    }
  }
  LoadOptions options;
  if (!ParseLoadOptions(int(rest.size()), rest.data(), options, "convert")) return 2;
  if (encoding < 0 || style < 0 || options.files.size() != 2) {
    std::fprintf(stderr, "%s", kConvertUsage);
    return 2;
  }
  options.encoding = std::int32_t(from);
  LoadSession session(options);
  PosixPlatform& posix = session.posix;
  CMyEditDoc doc;
  if (!session.Load(doc, options.files[0])) return 1;
  // Characters the target lacks: Cancel (fail) unless --lossy says No (write '?').
  posix.boxes.AddAnswer(QuestionKey(21685), lossy ? Answer::No : Answer::Cancel);
  doc.encoding = encoding == 0 ? posix.codePages.AnsiCodePage() : std::int32_t(encoding);
  doc.lineStyle = std::int32_t(style);
  WriteEnvironment write;
  write.bom = bom < 0 ? 3 : bom == 1 ? 1 : 2;
  if (!WriteDocumentFile(doc, options.files[1], false, write)) return 1;
  return 0;
}

}  // namespace kastrell::cli
