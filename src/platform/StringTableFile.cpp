#include "platform/StringTableFile.h"

#include <cstdlib>
#include <set>

#include "platform/Utf.h"

namespace kastrell {

namespace {

bool Unescape(std::string_view in, std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < in.size(); ++i) {
    char c = in[i];
    if (c == '\t') return false;
    if (c != '\\') {
      out += c;
      continue;
    }
    if (++i == in.size()) return false;
    switch (in[i]) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case '"': out += '"'; break;
      case '\\': out += '\\'; break;
      default: return false;
    }
  }
  return true;
}

bool IsName(std::string_view s) {
  if (s.size() < 2 || s[0] != 'k' || s[1] < 'A' || s[1] > 'Z') return false;
  for (char c : s) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!ok) return false;
  }
  return true;
}

bool ValidUtf8(std::string_view s) {
  std::u16string units(s.size(), u'\0');
  std::size_t written = 0;
  return Utf8ToUtf16(s.data(), s.size(), units.data(), true, written);
}

bool ParseId(std::string_view s, unsigned& id) {
  if (s.empty() || s.size() > 5) return false;
  unsigned v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + unsigned(c - '0');
  }
  if (v > 65535) return false;
  id = v;
  return true;
}

}  // namespace

bool ParseStringTable(std::string_view content, StringTableFile& out, std::string& error) {
  out = StringTableFile{};
  std::set<unsigned> ids;
  std::set<std::string> names;
  int lineNo = 0;
  auto fail = [&](const std::string& what) {
    error = "line " + std::to_string(lineNo) + ": " + what;
    return false;
  };
  if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
  while (!content.empty()) {
    std::size_t nl = content.find('\n');
    std::string_view line = content.substr(0, nl);
    content.remove_prefix(nl == std::string_view::npos ? content.size() : nl + 1);
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!ValidUtf8(line)) return fail("not UTF-8");
    if (line.substr(0, 9) == "#version ") {
      if (!out.version.empty()) return fail("a second #version");
      out.version = std::string(line.substr(9));
      continue;
    }
    if (line.empty() || line[0] == '#') continue;
    std::size_t tab = line.find('\t');
    StringTableRow row;
    row.line = lineNo;
    if (tab == std::string_view::npos || !ParseId(line.substr(0, tab), row.id))
      return fail("expected a number from 0 to 65535, a tab and the text");
    std::string_view rest = line.substr(tab + 1);
    std::size_t second = rest.find('\t');
    if (second != std::string_view::npos) {
      std::string_view name = rest.substr(0, second);
      if (!IsName(name)) return fail("a raw tab in the text (write \\t), or a name that is not kName");
      row.name = std::string(name);
      rest.remove_prefix(second + 1);
    }
    if (!Unescape(rest, row.text)) return fail("a bad escape or a raw tab in the text");
    if (!ids.insert(row.id).second) return fail("duplicate number " + std::to_string(row.id));
    if (!row.name.empty() && !names.insert(row.name).second) return fail("duplicate name " + row.name);
    out.rows.push_back(std::move(row));
  }
  return true;
}

std::vector<std::string> FormatDirectives(std::string_view text) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    std::size_t j = i + 1;
    if (j < text.size() && text[j] == '%') {
      i = j;
      continue;
    }
    // Flags, width and precision, then the conversion letter; "%1" style
    // numbered inserts count as directives as well.
    while (j < text.size() && (text[j] == '.' || text[j] == '-' || (text[j] >= '0' && text[j] <= '9'))) ++j;
    if (j < text.size() && ((text[j] >= 'a' && text[j] <= 'z') || (text[j] >= 'A' && text[j] <= 'Z'))) ++j;
    if (j == i + 1) continue;
    out.emplace_back(text.substr(i, j - i));
    i = j - 1;
  }
  return out;
}

}  // namespace kastrell
