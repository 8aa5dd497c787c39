#include "app/CodePageList.h"

#include <algorithm>

#include "app/IniStore.h"
#include "platform/CodePages.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/Utf.h"

namespace kastrell {

namespace {

constexpr std::u16string_view kConverters = u"Converters";
constexpr std::int32_t kMaxCodePage = 65535;

std::u16string EntrySection(std::size_t i) {
  return std::u16string(kConverters) + u"\\" + Utf8ToUtf16(std::to_string(i));
}

bool ValidCodePage(long long n) { return n >= 1 && n <= kMaxCodePage; }

}  // namespace

std::vector<ConverterEntry> ReadConverters(const IniBuffer* ini) {
  int count = std::clamp(IniStore::GetInt(ini, kConverters, u"Count", 0), 0, int(kMaxCodePage));
  std::vector<ConverterEntry> out;
  for (int i = 0; i < count; ++i) {
    std::u16string section = EntrySection(std::size_t(i));
    int code = IniStore::GetInt(ini, section, u"Code", 0);
    if (!ValidCodePage(code)) break;
    if (std::any_of(out.begin(), out.end(), [&](const ConverterEntry& e) { return e.code == code; })) continue;
    std::u16string text = IniStore::GetString(ini, section, u"Text", u"").value_or(u"");
    out.push_back({Utf16ToUtf8(text), code});
  }
  return out;
}

bool WriteConverters(IniBuffer* ini, const std::vector<ConverterEntry>& entries) {
  bool ok = IniStore::SetInt(ini, kConverters, u"Count", int(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::u16string section = EntrySection(i);
    ok = IniStore::SetString(ini, section, u"Text", Utf8ToUtf16(entries[i].text)) && ok;
    ok = IniStore::SetInt(ini, section, u"Code", entries[i].code) && ok;
  }
  return ok;
}

std::vector<CodePageName> ParseCodePageNames(std::string_view bytes) {
  std::vector<CodePageName> out;
  while (!bytes.empty()) {
    std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::size_t tab = line.find('\t');
    std::string_view number = line.substr(0, tab);
    if (number.empty() || number.size() > 5 ||
        !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    long long n = std::stoll(std::string(number));
    if (!ValidCodePage(n)) continue;
    std::string name;
    if (tab != std::string_view::npos) {
      for (unsigned char c : line.substr(tab + 1)) {  // one character per byte (Latin-1)
        if (c < 0x80) {
          name += char(c);
        } else {
          name += char(0xC0 | (c >> 6));
          name += char(0x80 | (c & 0x3F));
        }
      }
    }
    out.push_back({std::int32_t(n), std::move(name)});
  }
  return out;
}

std::vector<CodePageName> ReadCodePageNames(const std::string& installDir) {
  std::string bytes;
  if (ReadWholeFile(*CurrentPlatform().files, installDir + "codepage.txt", bytes)) return {};
  return ParseCodePageNames(bytes);
}

EncodingList FillEncodingList(const std::vector<ConverterEntry>& converters, std::int32_t currentEncoding) {
  CodePages& pages = *CurrentPlatform().codePages;
  EncodingList list;
  list.items = {{"ANSI", 0}, {"Unicode", 1200}, {"Unicode big endian", 1201}};
  if (pages.IsValidCodePage(65001)) list.items.push_back({"UTF-8", 65001});
  if (pages.AnsiCodePage() != 1252) list.items.push_back({"Western European (Windows)", 1252});
  for (const ConverterEntry& e : converters) list.items.push_back({e.text, e.code});
  for (std::size_t i = 0; i < list.items.size(); ++i) {
    if (list.items[i].code == currentEncoding) {
      list.selected = i;
      break;
    }
  }
  return list;
}

EncodingList FillEncodingList(const IniBuffer* ini, std::int32_t currentEncoding) {
  return FillEncodingList(ReadConverters(ini), currentEncoding);
}

std::int32_t ChooserResult(std::int32_t itemCode) {
  return itemCode == 0 ? CurrentPlatform().codePages->AnsiCodePage() : itemCode;
}

bool LabelLess(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    char x = lower(a[i]), y = lower(b[i]);
    if (x != y) return (unsigned char)x < (unsigned char)y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

namespace {
void SortByLabel(std::vector<ConverterEntry>& v) {
  std::stable_sort(v.begin(), v.end(),
                   [](const ConverterEntry& a, const ConverterEntry& b) { return LabelLess(a.text, b.text); });
}
}  // namespace

ConverterConfiguration::ConverterConfiguration(const std::vector<ConverterEntry>& converters,
                                               const std::vector<CodePageName>& names)
    : converters_(converters) {
  for (int page : CurrentPlatform().codePages->AvailableCodePages()) {
    std::string label = std::to_string(page);
    auto named = std::find_if(names.begin(), names.end(), [&](const CodePageName& n) { return n.number == page; });
    if (named != names.end() && !named->name.empty()) label = named->name + " " + label;
    system_.push_back({label, page});
  }
  SortByLabel(system_);
  SortByLabel(converters_);
}

void ConverterConfiguration::Add(std::optional<std::size_t> index) {
  if (!index || *index >= system_.size()) return;
  const ConverterEntry& page = system_[*index];
  std::erase_if(converters_, [&](const ConverterEntry& e) { return e.code == page.code; });
  converters_.push_back(page);
  SortByLabel(converters_);
}

std::optional<std::size_t> ConverterConfiguration::Remove(std::size_t index) {
  if (index >= converters_.size()) return std::nullopt;
  converters_.erase(converters_.begin() + std::ptrdiff_t(index));
  if (index < converters_.size()) return index;
  return std::nullopt;
}

}  // namespace kastrell
