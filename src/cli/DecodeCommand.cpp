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
  LoadOptions options;
  if (!ParseLoadOptions(argc, argv, options, command)) return 2;
  if (options.files.size() != 1) {
    std::fprintf(stderr, "usage: kastrell-cli %s [options] FILE\n%s", command, kLoadOptionsHelp);
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
    return 0;
  }
  Utf8Writer out(stdout);
  for (std::int32_t i = 0; i < buf.LineCount(); ++i) {
    if (i > 0) out.Byte('\n');
    out.Units(buf.LineView(i));
  }
  if (!out.Flush() || std::fflush(stdout) != 0) {
    std::fprintf(stderr, "kastrell-cli decode: write error: %s\n", std::strerror(errno));
    return 1;
  }
  return 0;
}

}  // namespace

int RunDecode(int argc, char** argv) { return Run(argc, argv, false); }
int RunInfo(int argc, char** argv) { return Run(argc, argv, true); }

}  // namespace kastrell::cli
