#include "lang/SyntaxDef.h"

#include <memory>

#include "app/Directories.h"
#include "app/IniFiles.h"
#include "lang/DescriptionFile.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/Utf.h"
#include "text/CharTables.h"

namespace kastrell {

// ---- KeywordTable ----------------------------------------------------------

void KeywordTable::Build(std::vector<std::u16string> words) {
  words_ = std::move(words);
  heads_.assign(words_.size() / 2 + 1, -1);
  next_.assign(words_.size(), -1);
  for (std::size_t i = 0; i < words_.size(); ++i) {
    std::size_t bucket = KeywordHash(words_[i]) % heads_.size();
    next_[i] = heads_[bucket];
    heads_[bucket] = std::int32_t(i);
  }
}

void KeywordTable::Clear() {
  words_.clear();
  words_.shrink_to_fit();
  heads_.clear();
  heads_.shrink_to_fit();
  next_.clear();
  next_.shrink_to_fit();
}

int KeywordTable::FindIndex(std::u16string_view word, bool caseSensitive) const {
  if (heads_.empty() || word.empty()) return -1;
  for (std::int32_t e = heads_[KeywordHash(word) % heads_.size()]; e >= 0; e = next_[e]) {
    const std::u16string& w = words_[e];
    if (w.size() == word.size() && MatchMarker(w, word.data(), word.size(), caseSensitive)) return e;
  }
  return -1;
}

const std::u16string* KeywordTable::Find(std::u16string_view word, bool caseSensitive) const {
  int e = FindIndex(word, caseSensitive);
  return e < 0 ? nullptr : &words_[e];
}

// ---- SyntaxDef queries -----------------------------------------------------

void SyntaxDef::Reset() {
  for (auto& n : groupNames) n.clear();
  delimiters.reset();
  for (int i = 0; i < 2; ++i) {
    lineComment[i].clear();
    commentOn[i].clear();
    commentOff[i].clear();
  }
  scriptBegin = u"<%";
  scriptEnd = u"%>";
  heredoc.clear();
  quote = {};
  escape = 0;
  prefix = {};
  suffix = {};
  caseSensitive = autoCase = continueQuote = htmlEmbedded = skipQuote = completeInQuotes = false;
  for (auto& k : keywords) k.Clear();
  groupCount = 0;
  specialMode = kSpecialNone;
  lineStartOnly = 0;
  numberPattern = 0;
}

int SyntaxDef::FindKeyword(std::u16string_view word, const std::u16string** spelling, int group) const {
  int first = group < 0 ? 0 : group;
  int last = group < 0 ? groupCount : group + 1;
  if (last > groupCount) return -1;
  for (int g = first; g < last; ++g) {
    if (const std::u16string* w = keywords[g].Find(word, caseSensitive)) {
      if (spelling) *spelling = w;
      return g;
    }
  }
  return -1;
}

int SyntaxDef::FindKeywordIgnoringCase(std::u16string_view word, const std::u16string** spelling) const {
  for (int g = 0; g < groupCount; ++g) {
    if (const std::u16string* w = keywords[g].Find(word, false)) {
      if (spelling) *spelling = w;
      return g;
    }
  }
  return -1;
}

std::u16string_view SyntaxDef::DelimiterSet() const {
  return delimiters ? std::u16string_view(*delimiters) : DefaultDelimiterSet();
}

int SyntaxDef::IsDelimiter(char16_t u) const { return DelimiterKind(u, DelimiterSet()); }

namespace {

int FindAffix(const std::array<char16_t, kMaxAffixes>& chars, char16_t u) {
  if (u == 0) return -1;
  for (int i = 0; i < kMaxAffixes; ++i)
    if (chars[i] == u) return i;
  return -1;
}

}  // namespace

int SyntaxDef::FindPrefixGroup(char16_t u) const { return FindAffix(prefix, u); }
int SyntaxDef::FindSuffixGroup(char16_t u) const { return FindAffix(suffix, u); }

// ---- Default delimiter set -------------------------------------------------

namespace {

std::u16string& DefaultSet() {
  static std::u16string set(kDefaultDelimiters);
  return set;
}

}  // namespace

std::u16string_view DefaultDelimiterSet() { return DefaultSet(); }

void SetDefaultDelimiterSet(std::u16string_view set) { DefaultSet() = set.substr(0, kMaxDelimiters); }

void LoadDefaultDelimiterSet() {
  SetDefaultDelimiterSet(GetIniString(kMainIni, u"Options", u"Delimiters", kDefaultDelimiters));
}

bool MatchMarker(std::u16string_view marker, const char16_t* text, std::size_t available, bool caseSensitive) {
  if (marker.empty() || marker.size() > available) return false;
  if (caseSensitive) return std::u16string_view(text, marker.size()) == marker;
  for (std::size_t i = 0; i < marker.size(); ++i)
    if (marker[i] != text[i] && UpperUnit(marker[i]) != UpperUnit(text[i])) return false;
  return true;
}

// ---- Parsing ---------------------------------------------------------------

namespace {

bool IsLetterOrDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
         (c >= 0xC0 && c != 0xD7 && c != 0xF7 && UpperUnit(c) != LowerUnit(c));
}

// A switch is on when its value begins with "y" or "Y".
bool SwitchOn(std::u16string_view value) { return !value.empty() && (value[0] == u'y' || value[0] == u'Y'); }

std::u16string Lowered(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out) c = LowerUnit(c);
  return out;
}

// Splits key into base and a 1-2 digit decimal number when key starts with
// base (ignoring case). number is 0 when key is not base or base + digits.
int KeyNumber(std::u16string_view key, std::u16string_view base) {
  if (key.size() < base.size() || !MatchMarker(base, key.data(), key.size(), false)) return 0;
  std::u16string_view rest = key.substr(base.size());
  if (rest.empty()) return -1;
  if (rest.size() > 2 || rest[0] == u'0') return 0;
  int n = 0;
  for (char16_t c : rest) {
    if (c < u'0' || c > u'9') return 0;
    n = n * 10 + (c - u'0');
  }
  return n;
}

bool KeyIs(std::u16string_view key, std::u16string_view word) {
  return key.size() == word.size() && MatchMarker(word, key.data(), key.size(), false);
}

struct Parser {
  SyntaxDef& def;
  std::u16string_view text;
  std::size_t pos = 0;
  bool hadDelimiter = false;

  bool AtEnd() const { return pos >= text.size(); }

  // The line starting at pos without its LF (CR kept); advances past the LF.
  std::u16string_view NextLine() {
    std::size_t lf = text.find(u'\n', pos);
    std::size_t end = lf == text.npos ? text.size() : lf;
    std::u16string_view line = text.substr(pos, end - pos);
    pos = lf == text.npos ? text.size() : lf + 1;
    return line;
  }

  void Run() {
    while (!AtEnd()) {
      std::u16string_view line = NextLine();
      if (line.empty() || line[0] != u'#') continue;
      Directive(line.substr(1));
    }
    CompleteDelimiters();
  }

  void Directive(std::u16string_view rest) {
    std::size_t keyEnd = rest.find_first_of(u"=\r");
    std::u16string_view key = rest.substr(0, keyEnd == rest.npos ? rest.size() : keyEnd);
    if (key.size() > kMaxDirectiveKey) return;
    std::u16string_view value;
    if (keyEnd != rest.npos && rest[keyEnd] == u'=') {
      value = rest.substr(keyEnd + 1);
      value = value.substr(0, value.find(u'\r'));
    }
    if (KeyIs(key, u"KEYWORD")) {
      KeywordList(value);
      return;
    }
    if (value.empty()) return;
    Apply(key, value);
  }

  void KeywordList(std::u16string_view name) {
    if (def.groupCount >= kMaxKeywordGroups) return;
    int group = def.groupCount;
    def.groupNames[group] = std::u16string(name);
    std::vector<std::u16string> words;
    while (!AtEnd() && text[pos] != u'#') {
      std::u16string_view line = NextLine();
      if (line.empty() || line[0] == u';') continue;
      if (line[0] == u'^') line.remove_prefix(1);
      std::size_t n = 0;
      while (n < line.size() && !IsDescriptionBlank(line[n])) ++n;
      if (n > 0) words.emplace_back(line.substr(0, n));
    }
    def.keywords[group].Build(std::move(words));
    def.groupCount = group + 1;
  }

  void Apply(std::u16string_view key, std::u16string_view value) {
    const char16_t first = value[0];
    if (KeyIs(key, u"DELIMITER")) {
      def.delimiters = std::u16string(value);
      hadDelimiter = true;
    } else if (int n = KeyNumber(key, u"QUOTATION"); n == 1 || n == 2) {
      def.quote[n - 1] = first;
    } else if (int n = KeyNumber(key, u"LINECOMMENT"); n == -1 || n == 1 || n == 2) {
      int i = n == 2 ? 1 : 0;
      int bit = i == 0 ? kLineComment1AtLineStart : kLineComment2AtLineStart;
      def.lineStartOnly &= ~bit;
      if (value.size() >= 2 && value[0] == u'^' && value[1] == u'!') {
        value.remove_prefix(2);
        if (!value.empty()) def.lineStartOnly |= bit;
      }
      def.lineComment[i] = std::u16string(value);
    } else if (int n = KeyNumber(key, u"COMMENTON"); n == -1 || n == 1 || n == 2) {
      def.commentOn[n == 2 ? 1 : 0] = std::u16string(value);
    } else if (int n = KeyNumber(key, u"COMMENTOFF"); n == -1 || n == 1 || n == 2) {
      def.commentOff[n == 2 ? 1 : 0] = std::u16string(value);
    } else if (KeyIs(key, u"ESCAPE")) {
      def.escape = first;
    } else if (KeyIs(key, u"CASE")) {
      def.caseSensitive = SwitchOn(value);
    } else if (KeyIs(key, u"AUTOCASE")) {
      def.autoCase = SwitchOn(value);
    } else if (int n = KeyNumber(key, u"PREFIX"); n >= 1 && n <= kMaxAffixes) {
      def.prefix[n - 1] = first;
    } else if (int n = KeyNumber(key, u"SUFFIX"); n >= 1 && n <= kMaxAffixes) {
      def.suffix[n - 1] = first;
    } else if (KeyIs(key, u"CONTINUE_QUOTE")) {
      def.continueQuote = SwitchOn(value);
    } else if (KeyIs(key, u"HTML_EMBEDDED")) {
      def.htmlEmbedded = SwitchOn(value);
    } else if (KeyIs(key, u"SKIP_QUOTE")) {
      def.skipQuote = SwitchOn(value);
    } else if (KeyIs(key, u"AUTOCOMPLETE_QUOTE")) {
      def.completeInQuotes = SwitchOn(value);
    } else if (KeyIs(key, u"SCRIPT_BEGIN")) {
      def.scriptBegin = std::u16string(value);
    } else if (KeyIs(key, u"SCRIPT_END")) {
      def.scriptEnd = std::u16string(value);
    } else if (KeyIs(key, u"SPECIAL_STX")) {
      std::u16string word = Lowered(value);
      if (word == u"html") def.specialMode = kSpecialHtml;
      else if (word == u"cpp") def.specialMode = kSpecialCpp;
      else if (word == u"perl") def.specialMode = kSpecialPerl;
    } else if (KeyIs(key, u"NUMBER_PATTERN")) {
      if (Lowered(value) == u"cpp") def.numberPattern = kNumberPatternCpp;
    } else if (KeyIs(key, u"HEREDOC")) {
      // A marker of only "<" would leave an empty terminator that never ends.
      if (value.find_first_not_of(u'<') != value.npos) def.heredoc = std::u16string(value);
    }
  }

  void Append(char16_t c, bool allowLetters) {
    if (c == 0) return;
    if (!allowLetters && IsLetterOrDigit(c)) return;
    if (def.delimiters->find(c) != std::u16string::npos) return;
    def.delimiters->push_back(c);
  }

  static char16_t First(const std::u16string& s) { return s.empty() ? 0 : s[0]; }

  void CompleteDelimiters() {
    if (!hadDelimiter) return;
    for (int n = 0; n < kMaxAffixes; ++n) {
      Append(def.prefix[n], false);
      Append(def.suffix[n], false);
    }
    Append(def.quote[0], false);
    Append(def.quote[1], false);
    Append(First(def.lineComment[0]), false);
    Append(First(def.lineComment[1]), false);
    Append(First(def.commentOn[0]), false);
    Append(First(def.commentOn[1]), false);
    Append(First(def.heredoc), false);
    if (def.htmlEmbedded || def.specialMode == kSpecialHtml) Append(First(def.scriptBegin), false);
    Append(def.escape, true);
  }
};

}  // namespace

void ParseSyntaxText(SyntaxDef& def, std::u16string_view text) {
  def.Reset();
  text = text.substr(0, text.find(u'\0'));
  Parser{def, text}.Run();
}

void ParseSyntaxBytes(SyntaxDef& def, std::string_view bytes) { ParseSyntaxText(def, DecodeDescriptionFile(bytes)); }

bool ParseSyntaxFile(SyntaxDef& def) {
  FileSystem& fs = *CurrentPlatform().files;
  std::string path = ResolveSyntaxPath(def.path, AppDirectories().syntax, fs);
  std::string bytes;
  std::int64_t mtime = 0;
  std::uint64_t size = 0;
  if (path.empty() || !ReadDescriptionFile(path, fs, bytes, &mtime, &size)) {
    def.Reset();
    def.parsedPath.clear();
    return false;
  }
  ParseSyntaxBytes(def, bytes);
  def.parsedPath = path;
  def.parsedMtimeNs = mtime;
  def.parsedSize = size;
  return true;
}

namespace {

// Whether the file behind def changed since it was parsed (or now resolves elsewhere).
bool ChangedOnDisk(const SyntaxDef& def) {
  FileSystem& fs = *CurrentPlatform().files;
  std::string path = ResolveSyntaxPath(def.path, AppDirectories().syntax, fs);
  if (path != def.parsedPath) return true;
  FileInfo info;
  if (fs.Stat(path, info) || info.kind != FileKind::Regular) return false;  // keep what we have
  return info.mtimeNs != def.parsedMtimeNs || info.size != def.parsedSize;
}

}  // namespace

bool AcquireSyntax(SyntaxDef& def) {
  if (def.refCount <= 0) {
    def.refCount = 0;
    if (!ParseSyntaxFile(def)) return false;
    def.refCount = 1;
    return true;
  }
  if (ChangedOnDisk(def)) {
    // The other users keep the old contents when the new file cannot be read.
    SyntaxDef fresh;
    fresh.path = def.path;
    if (ParseSyntaxFile(fresh)) {
      fresh.colors = def.colors;
      fresh.refCount = def.refCount;
      def = std::move(fresh);
    }
  }
  ++def.refCount;
  return true;
}

void ReleaseSyntax(SyntaxDef& def) {
  if (def.refCount <= 0) return;
  if (--def.refCount == 0) {
    for (auto& k : def.keywords) k.Clear();
    def.groupCount = 0;
  }
}

}  // namespace kastrell
