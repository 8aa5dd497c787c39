#include "platform/Strings.h"

#include <algorithm>

#include "platform/StringData.h"
#include "platform/Utf.h"

namespace kastrell {

namespace {
const StringEntry* Find(unsigned id) {
  const StringEntry* end = kStringEntries + kStringEntryCount;
  const StringEntry* it = std::lower_bound(kStringEntries, end, id,
                                           [](const StringEntry& e, unsigned v) { return e.id < v; });
  return it != end && it->id == id ? it : nullptr;
}

std::unique_ptr<const LanguageStrings>& Language() {
  static std::unique_ptr<const LanguageStrings> strings;
  return strings;
}
}  // namespace

std::string_view LoadString(unsigned id) {
  if (const LanguageStrings* language = Language().get()) {
    const auto& texts = language->texts;
    auto it = std::lower_bound(texts.begin(), texts.end(), id,
                               [](const std::pair<unsigned, std::string>& e, unsigned v) { return e.first < v; });
    if (it != texts.end() && it->first == id) return it->second;
  }
  const StringEntry* e = Find(id);
  return e ? std::string_view(e->text) : std::string_view();
}

void SetLanguageStrings(std::unique_ptr<const LanguageStrings> strings) { Language() = std::move(strings); }

bool HasString(unsigned id) { return Find(id) != nullptr; }

std::u16string LoadStringU16(unsigned id) { return Utf8ToUtf16(LoadString(id)); }

std::string FormatString(std::string_view format, std::initializer_list<std::string_view> args) {
  std::string out;
  out.reserve(format.size() + 32);
  auto next = args.begin();
  for (size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c == '%' && i + 1 < format.size()) {
      char d = format[i + 1];
      if (d == '%') { out += '%'; ++i; continue; }
      if ((d == 's' || d == 'd') && next != args.end()) {
        out += *next++;
        ++i;
        continue;
      }
    }
    out += c;
  }
  return out;
}

}  // namespace kastrell
