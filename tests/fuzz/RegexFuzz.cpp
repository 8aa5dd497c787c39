// Compile and match arbitrary patterns over arbitrary texts. Input: one flag
// byte (bit 0 ignore case, bit 1 text start is a line start), then the pattern
// and the text in UTF-8, separated by the byte 0x01. The text lives in a buffer
// of its exact size, so any read outside it is caught by the sanitizer, and a
// small step budget keeps every search short.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Utf.h"
#include "search/RegexProgram.h"

using namespace kastrell;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckResult(const RegexProgram& prog, const RegexResult& r, std::size_t from, std::size_t len) {
  if (!r.found()) return;
  Check(r.start >= from && r.start + r.length <= len);
  for (int i = 0; i < kRegexCaptures; ++i) {
    if (!prog.captureSet(i)) continue;
    Check(prog.captureStart(i) <= prog.captureEnd(i) && prog.captureEnd(i) <= len);
    Check(prog.captureText(i).size() == prog.captureEnd(i) - prog.captureStart(i));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool matchCase = !(data[0] & 1);
  const bool tsl = data[0] & 2;
  std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
  std::size_t sep = rest.find('\x01');
  std::u16string pattern = Utf8ToUtf16(rest.substr(0, sep));
  std::u16string decoded = sep == std::string_view::npos ? std::u16string() : Utf8ToUtf16(rest.substr(sep + 1));

  const std::size_t len = decoded.size();
  std::unique_ptr<char16_t[]> exact(new char16_t[len ? len : 1]);
  std::copy(decoded.begin(), decoded.end(), exact.get());
  std::u16string_view text(exact.get(), len);

  RegexProgram prog;
  prog.setStepBudget(200'000);
  if (RegexCompile(prog, pattern)) {
    int matches = 0;
    for (std::size_t from = 0; from <= len && matches < 64; ++matches) {
      RegexResult r = RegexSearch(prog, text, from, matchCase, tsl);
      CheckResult(prog, r, from, len);
      if (!r.found()) break;
      from = r.start + (r.length ? r.length : 1);
    }
    (void)RegexExpand(prog, pattern);
  }
  RegexResult f = RegexFind(prog, text, 0, pattern, matchCase, tsl);
  CheckResult(prog, f, 0, len);
  if (f.found() && f.lineEnd) Check(f.length == 2 && text[f.start] == u'\r' && text[f.start + 1] == u'\n');
  RegexResult last = RegexFindLast(prog, text, len / 2, pattern, matchCase, tsl);
  CheckResult(prog, last, len / 2, len);
  if (last.found()) (void)RegexExpand(prog, u"<&\\1\\9\\n>");
  return 0;
}
