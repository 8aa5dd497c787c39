// decode: prints a file's text as the editor loads it, as UTF-8 with lines
// joined by LF. info: prints what the load decided, as one JSON object.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "cli/LoadOptions.h"
#include "platform/Platform.h"
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
    for (std::size_t i = 0; i < u.size(); ++i) {
      char32_t c = u[i];
      if (c < 0x80) {
        buf_.push_back(char(c));
      } else {
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < u.size() && u[i + 1] >= 0xDC00 && u[i + 1] <= 0xDFFF) {
          c = 0x10000 + ((c - 0xD800) << 10) + (u[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
          c = 0xFFFD;  // a lone surrogate has no UTF-8 form
        }
        if (c < 0x800) {
          buf_.push_back(char(0xC0 | (c >> 6)));
        } else if (c < 0x10000) {
          buf_.push_back(char(0xE0 | (c >> 12)));
          buf_.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        } else {
          buf_.push_back(char(0xF0 | (c >> 18)));
          buf_.push_back(char(0x80 | ((c >> 12) & 0x3F)));
          buf_.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        }
        buf_.push_back(char(0x80 | (c & 0x3F)));
      }
      if (buf_.size() >= kChunk) Flush();
    }
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

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", c);
      out += esc;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

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
