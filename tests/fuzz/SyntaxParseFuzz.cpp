// Feeds arbitrary bytes to the syntax file parser (and, split at the first
// byte, to the auto-completion parser). Besides not crashing or hanging, every
// keyword read must be found again in its group, the counts must stay in range
// and every completion keyword must give its expansion.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "lang/CompletionTable.h"
#include "lang/SyntaxDef.h"
#include "platform/headless/HeadlessPlatform.h"

using namespace kastrell;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static HeadlessPlatform* platform = new HeadlessPlatform();
  (void)platform;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  SyntaxDef d;
  ParseSyntaxBytes(d, bytes);
  if (d.groupCount < 0 || d.groupCount > kMaxKeywordGroups) std::abort();
  if (d.specialMode < kSpecialNone || d.specialMode > kSpecialPerl) std::abort();
  for (int g = 0; g < d.groupCount; ++g) {
    for (const std::u16string& w : d.keywords[g].words()) {
      if (w.empty()) std::abort();
      const std::u16string* spelling = nullptr;
      int found = d.FindKeyword(w, &spelling);
      if (found < 0 || found > g || !spelling) std::abort();
      if (d.FindKeyword(w, nullptr, g) != g) std::abort();
    }
  }
  if (d.delimiters && d.delimiters->size() > size + 29) std::abort();
  for (char16_t u = 0; u < 300; ++u) (void)d.IsDelimiter(u);
  const std::u16string probe = u"<%// /* REM x";
  for (const std::u16string* m : {&d.lineComment[0], &d.lineComment[1], &d.commentOn[0], &d.scriptBegin})
    (void)MatchMarker(*m, probe.data(), probe.size(), d.caseSensitive);

  CompletionTable t;
  ParseCompletionBytes(t, bytes);
  for (std::size_t i = 0; i < t.size(); ++i) {
    const std::u16string* e = FindCompletion(t, t.keywords.words()[i]);
    if (!e || e->empty()) std::abort();
  }
  return 0;
}
