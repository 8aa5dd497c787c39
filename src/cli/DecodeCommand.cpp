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
#include "platform/Utf.h"
#include "platform/posix/PosixPlatform.h"
#include "text/CMyEditDoc.h"
#include "text/Encoding.h"
#include "text/FileLoader.h"

namespace kastrell::cli {

namespace {

// Buffers UTF-8 output and writes it in large pieces.
class Utf8Writer {
 public:
  explicit Utf8Writer(std::FILE* out) : out_(out) { buf_.reserve(kChunk + 8); }
  ~Utf8Writer() { Flush(); }
  void Units(std::u16string_view u) {
    AppendUtf8(buf_, u);
    if (buf_.size() >= kChunk) Flush();
  }
  void Byte(char c) { buf_.push_back(c); }
  bool Flush() {
    if (!buf_.empty() && std::fwrite(buf_.data(), 1, buf_.size(), out_) != buf_.size()) ok_ = false;
    buf_.clear();
    return ok_;
  }

 private:
  static constexpr std::size_t kChunk = 1 << 20;
  std::FILE* out_;
  std::string buf_;
  bool ok_ = true;
};

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
        doc.lineStyle, LineStyleName(doc.lineStyle), doc.utf8Signature ? "true" : "false",
        doc.mixedLineBreaks ? "true" : "false", buf.LineCount(), doc.readOnly ? "true" : "false");
    return FinishOutput(command) ? 0 : 1;
  }
  Utf8Writer out(stdout);
  for (std::int32_t i = 0; i < buf.LineCount(); ++i) {
    if (i > 0) out.Byte('\n');
    out.Units(buf.LineView(i));
  }
  out.Flush();  // a failed write sets the stream's error, which FinishOutput reports
  return FinishOutput(command) ? 0 : 1;
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
