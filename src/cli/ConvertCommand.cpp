// convert: loads a file as the editor loads it and writes it as the editor
// saves it, in another encoding or line separator style.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/LoadOptions.h"
#include "platform/Platform.h"
#include "platform/Strings.h"
#include "platform/posix/PosixPlatform.h"
#include "text/FileLoader.h"
#include "text/FileWriter.h"

namespace kastrell::cli {

const char* const kConvertUsage =
    "usage: kastrell-cli convert --encoding N --line-style 0|1|2 [--bom 0|1] [--lossy] [options] [--] IN OUT\n"
    "Loads IN as the editor does and saves the text as OUT.\n"
    "  --encoding N      code page to write (1200/1201 UTF-16 LE/BE, 65001 UTF-8, 0 ANSI)\n"
    "  --line-style S    0 UNIX (LF), 1 PC (CR LF), 2 MAC (CR)\n"
    "  --bom 0|1         UTF-8 only: 1 writes the signature, 0 leaves it out (default: keep what IN had)\n"
    "  --lossy           allow a conversion that loses something: bytes of IN that its encoding cannot\n"
    "                    decode become U+FFFD (a last odd byte of UTF-16 is dropped), characters OUT's\n"
    "                    code page lacks become '?'; by default such a conversion fails and OUT is\n"
    "                    left alone\n"
    "  --from N          decode IN with code page N instead of detecting\n";

int RunConvert(int argc, char** argv) {
  std::vector<char*> rest;
  long encoding = -1, style = -1, bom = -1, from = 0;
  bool lossy = false;
  for (int i = 0; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--") {
      // The load options see it too, so that the file names after it stay files.
      for (; i < argc; ++i) rest.push_back(argv[i]);
      break;
    }
    auto number = [&](long lo, long hi, long& v) {
      if (i + 1 < argc && ParseInt(argv[i + 1], lo, hi, v)) {
        ++i;
        return true;
      }
      std::fprintf(stderr, "kastrell-cli convert: %s needs a number from %ld to %ld%s%s%s\n", a.c_str(), lo, hi,
                   i + 1 < argc ? " (got '" : "", i + 1 < argc ? argv[i + 1] : "", i + 1 < argc ? "')" : "");
      return false;
    };
    auto codePage = [&](long& v) {
      if (!number(0, 99999, v)) return false;
      std::string why = v == 0 ? std::string() : CodePageRefusal(v);
      if (why.empty()) return true;
      std::fprintf(stderr, "kastrell-cli convert: %s %ld: %s\n", a.c_str(), v, why.c_str());
      return false;
    };
    bool ok = true;
    if (a == "--encoding") ok = codePage(encoding);
    else if (a == "--line-style") ok = number(0, 2, style);
    else if (a == "--bom") ok = number(0, 1, bom);
    else if (a == "--from") ok = codePage(from);
    else if (a == "--lossy") lossy = true;
    else rest.push_back(argv[i]);
    if (!ok) return 2;
  }
  LoadOptions options;
  if (!ParseLoadOptions(int(rest.size()), rest.data(), options, "convert")) return 2;
  if (options.help) {
    std::printf("%s%s", kConvertUsage, kLoadOptionsHelp);
    return FinishOutput("convert") ? 0 : 1;
  }
  std::string missing;
  if (encoding < 0) missing += " --encoding";
  if (style < 0) missing += " --line-style";
  if (!missing.empty() || options.files.size() != 2) {
    if (!missing.empty()) std::fprintf(stderr, "kastrell-cli convert: missing%s\n", missing.c_str());
    if (options.files.size() != 2)
      std::fprintf(stderr, "kastrell-cli convert: needs IN and OUT, got %zu file name%s\n", options.files.size(),
                   options.files.size() == 1 ? "" : "s");
    std::fprintf(stderr, "%s", kConvertUsage);
    return 2;
  }
  if (options.encoding == 0) options.encoding = std::int32_t(from);
  // Bytes that cannot be decoded: fail unless --lossy (or an explicit --invalid) says otherwise.
  if (options.invalid.empty()) options.invalid = lossy ? "no" : "cancel";
  const std::string& in = options.files[0];
  const std::string& out = options.files[1];
  LoadSession session(options);
  PosixPlatform& posix = session.posix;
  CMyEditDoc doc;
  const std::string lossQuestion = QuestionKey(21685);
  if (!session.Load(doc, in)) {
    if (posix.boxes.Shown(lossQuestion) > 0)
      std::fprintf(stderr,
                   "kastrell-cli convert: %s cannot be decoded without loss (bytes its encoding does not define, or "
                   "an odd byte count in UTF-16); %s was not written. --lossy converts anyway.\n",
                   in.c_str(), out.c_str());
    return 1;
  }
  // Characters the target lacks: Cancel (fail) unless --lossy says No (write '?').
  const std::size_t asked = posix.boxes.Shown(lossQuestion);
  posix.boxes.AddAnswer(lossQuestion, lossy ? Answer::No : Answer::Cancel);
  doc.encoding = encoding == 0 ? posix.codePages.AnsiCodePage() : std::int32_t(encoding);
  doc.lineStyle = static_cast<LineStyle>(style);
  WriteEnvironment write;
  write.bom = bom < 0 ? BomPolicy::Keep : bom == 1 ? BomPolicy::Always : BomPolicy::Never;
  if (!WriteDocumentFile(doc, out, false, write)) {
    if (posix.boxes.Shown(lossQuestion) > asked)
      std::fprintf(stderr,
                   "kastrell-cli convert: the text has characters that code page %d cannot represent; %s was not "
                   "written. --lossy writes them as '?'.\n",
                   doc.encoding, out.c_str());
    return 1;
  }
  return 0;
}

}  // namespace kastrell::cli
