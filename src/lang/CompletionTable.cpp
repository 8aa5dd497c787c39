#include "lang/CompletionTable.h"

#include "app/Directories.h"
#include "lang/DescriptionFile.h"
#include "platform/Platform.h"
#include "text/CharTables.h"

namespace kastrell {

void CompletionTable::Clear() {
  keywords.Clear();
  expansions.clear();
  expansions.shrink_to_fit();
  caseSensitive = false;
}

namespace {

bool KeyIs(std::u16string_view key, std::u16string_view word) {
  return key.size() == word.size() && MatchMarker(word, key.data(), key.size(), false);
}

}  // namespace

void ParseCompletionText(CompletionTable& table, std::u16string_view text) {
  table.Clear();
  text = text.substr(0, text.find(u'\0'));
  std::vector<std::u16string> words;
  std::vector<std::u16string> expansions;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (text[pos] != u'#') {
      // Not a directive: skip to the next line.
      std::size_t lf = text.find(u'\n', pos);
      pos = lf == text.npos ? text.size() : lf + 1;
      continue;
    }
    std::size_t lineEnd = text.find_first_of(u"\r\n", pos);
    if (lineEnd == text.npos) lineEnd = text.size();
    std::u16string_view line = text.substr(pos + 1, lineEnd - pos - 1);
    pos = lineEnd;
    if (pos < text.size() && text[pos] == u'\r') ++pos;
    if (pos < text.size() && text[pos] == u'\n') ++pos;
    std::size_t eq = line.find(u'=');
    std::u16string_view key = line.substr(0, eq);
    std::u16string_view value = eq == line.npos ? std::u16string_view() : line.substr(eq + 1);
    if (KeyIs(key, u"CASE")) {
      table.caseSensitive = !value.empty() && (value[0] == u'y' || value[0] == u'Y');
      continue;
    }
    if (!KeyIs(key, u"T")) continue;
    std::size_t n = 0;
    while (n < value.size() && !IsDescriptionBlank(value[n])) ++n;
    std::u16string keyword(value.substr(0, n));
    // The expansion runs to the CR LF before the next "#" line, or to the end
    // (where one final line break is dropped as well).
    std::size_t end = text.find(u"\r\n#", pos);
    std::u16string_view body;
    if (pos < text.size() && text[pos] == u'#') {
      // The next directive follows at once: no expansion.
    } else if (end == text.npos) {
      body = text.substr(pos);
      if (body.size() >= 2 && body.substr(body.size() - 2) == u"\r\n") body.remove_suffix(2);
      else if (!body.empty() && body.back() == u'\n') body.remove_suffix(1);
      pos = text.size();
    } else {
      body = text.substr(pos, end - pos);
      pos = end + 2;
    }
    if (keyword.empty() || body.empty()) continue;
    if (!table.caseSensitive)
      for (char16_t& c : keyword) c = UpperUnit(c);
    words.push_back(std::move(keyword));
    expansions.emplace_back(body);
  }
  table.keywords.Build(std::move(words));
  table.expansions = std::move(expansions);
}

void ParseCompletionBytes(CompletionTable& table, std::string_view bytes) {
  ParseCompletionText(table, DecodeDescriptionFile(bytes));
}

bool ReadCompletionFile(CompletionTable& table, std::u16string_view name) {
  table.Clear();
  FileSystem& fs = *CurrentPlatform().files;
  std::string path = ResolveSyntaxPath(name, AppDirectories().syntax, fs);
  std::string bytes;
  if (path.empty() || !ReadDescriptionFile(path, fs, bytes)) return false;
  ParseCompletionBytes(table, bytes);
  return true;
}

const std::u16string* FindCompletion(const CompletionTable& table, std::u16string_view word) {
  int e = table.keywords.FindIndex(word, table.caseSensitive);
  return e < 0 ? nullptr : &table.expansions[e];
}

void AcquireCompletion(CompletionTable& table, std::u16string_view name) {
  if (table.refCount++ <= 0) {
    table.refCount = 1;
    ReadCompletionFile(table, name);
  }
}

void ReleaseCompletion(CompletionTable& table) {
  if (table.refCount <= 0) return;
  if (--table.refCount == 0) table.Clear();
}

}  // namespace kastrell
