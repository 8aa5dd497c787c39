#include "text/CharTables.h"

#include "platform/CharCase.h"

namespace kastrell {

namespace {

struct CaseTables {
  char16_t upper[256];
  char16_t lower[256];
  CaseTables() {
    for (unsigned u = 0; u < 256; ++u) {
      upper[u] = Mapped(char16_t(u), PlatformCharUpper(char16_t(u)));
      lower[u] = Mapped(char16_t(u), PlatformCharLower(char16_t(u)));
    }
  }
  // A mapping that yields 0 keeps the unit itself.
  static char16_t Mapped(char16_t u, char16_t m) { return m == 0 ? u : m; }
};

const CaseTables& Tables() {
  static const CaseTables tables;
  return tables;
}

}  // namespace

const char16_t* UpperTable() { return Tables().upper; }
const char16_t* LowerTable() { return Tables().lower; }

char16_t UpperUnit(char16_t u) {
  if (u < 256) return Tables().upper[u];
  return CaseTables::Mapped(u, PlatformCharUpper(u));
}

char16_t LowerUnit(char16_t u) {
  if (u < 256) return Tables().lower[u];
  return CaseTables::Mapped(u, PlatformCharLower(u));
}

std::uint32_t KeywordHash(std::u16string_view word) {
  std::uint32_t h = 0;
  for (char16_t u : word) h = h * 31u + UpperUnit(u);
  return h;
}

int DelimiterKind(char16_t u, std::u16string_view set) {
  if (u == u'\t' || u == u'\n' || u == u'\r' || u == u' ') return 1;
  if (u > 255) return 0;
  return set.find(u) != std::u16string_view::npos ? 2 : 0;
}

}  // namespace kastrell
