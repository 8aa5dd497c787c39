// decode: prints a file's text as the editor loads it, as UTF-8 with lines
// joined by LF. info: prints what the load decided, as one JSON object.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "cli/LoadOptions.h"
#include "platform/Platform.h"
#include "platform/posix/PosixPlatform.h"
#include "text/CMyEditDoc.h"
#include "text/Encoding.h"
#include "text/FileLoader.h"
#include "text/FileWriter.h"

namespace kastrell::cli {

namespace {

int Run(int argc, char** argv, bool info) {
  const char* command = info ? "info" : "decode";
  const char* usage = info ? kInfoUsage : kDecodeUsage;
  LoadOptions options;
  if (!ParseLoadOptions(argc, argv, options, command)) return 2;
  if (options.help) {
    std::printf("%s%s", usage, kLoadOptionsHelp);
    return FinishOutput(command) ? 0 : 1;
  }
  if (options.files.size() != 1) {
    std::fprintf(stderr, "kastrell-cli %s: %s\n%s%s", command,
                 options.files.empty() ? "no FILE given" : "more than one FILE given", usage, kLoadOptionsHelp);
    return 2;
  }
  LoadSession session(options);
  CMyEditDoc doc;
  if (!session.Load(doc, options.files[0])) return 1;

  const TextBuffer& buf = doc.Buffer();
  if (info) {
    std::printf(
        "{\"encoding\":%d,\"encodingName\":%s,\"lineStyle\":%d,\"lineStyleName\":\"%s\",\"signature\":%s,"
        "\"mixed\":%s,\"lines\":%d,\"readOnly\":%s}\n",
        doc.encoding, JsonString(EncodingName(doc.encoding, session.posix.codePages.AnsiCodePage())).c_str(),
        static_cast<int>(doc.lineStyle), LineStyleName(doc.lineStyle), doc.utf8Signature ? "true" : "false",
        doc.mixedLineBreaks ? "true" : "false", buf.LineCount(), doc.readOnly ? "true" : "false");
    return FinishOutput(command) ? 0 : 1;
  }
  // The lines go out as the UTF-8 encoding of a save with LF breaks would
  // write them, a piece at a time (unpaired surrogates become U+FFFD).
  EncodedText out;
  bool usedDefault = false;
  auto write = [](EncodedText& piece) {
    bool ok = std::fwrite(piece.block.Data(), 1, piece.size, stdout) == piece.size;
    piece.size = 0;
    return ok;
  };
  Encoded e = EncodeText(buf, LineStyle::Unix, false, kEncodingUtf8, out, usedDefault, write);
  if (e == Encoded::OutOfMemory || e == Encoded::NoText) {
    std::fprintf(stderr, "kastrell-cli decode: out of memory\n");
    return 1;
  }
  // A failed write sets the stream's error, which FinishOutput reports.
  const bool finished = FinishOutput(command);
  return finished && e == Encoded::Ok ? 0 : 1;
}

}  // namespace

const char* const kDecodeUsage =
    "usage: kastrell-cli decode [options] [--] FILE\n"
    "Prints the text of FILE as the editor loads it: UTF-8, lines joined by LF.\n";
const char* const kInfoUsage =
    "usage: kastrell-cli info [options] [--] FILE\n"
    "Prints what loading FILE decided (encoding, line style, signature, lines) as one JSON object.\n";

int RunDecode(int argc, char** argv) { return Run(argc, argv, false); }
int RunInfo(int argc, char** argv) { return Run(argc, argv, true); }

}  // namespace kastrell::cli
