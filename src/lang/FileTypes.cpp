#include "lang/FileTypes.h"

#include <algorithm>
#include <memory>

#include "app/IniFiles.h"
#include "app/IniStore.h"
#include "app/UserValues.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "platform/Strings.h"
#include "platform/Utf.h"
#include "text/CMyEditDoc.h"
#include "text/CharTables.h"

namespace kastrell {

namespace {

constexpr std::u16string_view kSettings = u"Settings";

struct BuiltinType {
  int id;
  std::u16string_view description;
  std::u16string_view extensions;
  std::u16string_view syntax;
  std::u16string_view completion;
  bool wrapAndToolbar;
  bool braces;  // "{", "}" and ";" for automatic indentation
  std::u16string_view function;
};

constexpr std::u16string_view kJavaFunction = u"^[ \\t]*(public |protected |private |static).*\\([^;]*$";
constexpr std::u16string_view kScriptFunction = u"^[ \\t]*function[ \\t].*\\([^;]*$";

constexpr BuiltinType kBuiltins[kBuiltinTypeCount] = {
    {0, u"默认", u"", u"", u"", false, false, u""},
    {9, u"文本", u"txt", u"", u"", false, false, u""},
    {1, u"HTML", u"html;htm;asp;asa;aspx;asax;shtml;stm;hta", u"html.stx", u"", true, false, u""},
    {2, u"C/C++", u"cpp;c;cxx;h;hpp;rc", u"cpp.stx", u"cpp.acp", false, true, u"^[a-z_].*\\([^;]*$"},
    {3, u"Perl", u"pl;pm;cgi", u"perl.stx", u"perl.acp", false, true, u"^[ \\t]*sub[ \\t][^;]*$"},
    {4, u"PHP", u"php3;php", u"php.stx", u"", true, true, kScriptFunction},
    {5, u"Java", u"java", u"java.stx", u"java.acp", false, true, kJavaFunction},
    {10, u"JSP", u"jsp", u"jsp.stx", u"", true, true, kJavaFunction},
    {6, u"JavaScript", u"js", u"js.stx", u"java.acp", false, true, kScriptFunction},
    {7, u"VBScript", u"vbs;vb", u"vb.stx", u"", false, false,
     u"^[ \\t]*(public |private )?(sub|function|property|class)[ \\t].*"},
    {8, u"CSS", u"css", u"css.stx", u"", false, false, u""},
    {11, u"XML", u"xml;config;manifest;xaml;csproj;vbproj", u"xml.stx", u"", true, false, u""},
    {12, u"C#", u"cs", u"cs.stx", u"java.acp", false, true, kJavaFunction},
};

constexpr std::uint32_t kSlotDefaults[kTypeColorCount] = {
    0xFF0000, 0x0000FF, 0x808000, 0x008080, 0x000080, 0x008000, 0x008000, 0x008000, 0x008000,
    0xFF00FF, 0xFF00FF, 0x800080, 0x800080, 0x800080, 0x800080, 0x800080, 0x800080,
};

std::vector<std::u16string> SplitExtensions(std::u16string_view list) {
  std::vector<std::u16string> out;
  if (list.empty()) return out;
  for (;;) {
    std::size_t semi = list.find(u';');
    out.emplace_back(list.substr(0, semi));
    if (semi == list.npos) break;
    list.remove_prefix(semi + 1);
  }
  return out;
}

std::u16string JoinExtensions(const std::vector<std::u16string>& list) {
  std::u16string out;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (i) out += u';';
    out += list[i];
  }
  return out;
}

std::u16string Decimal(int n) { return Utf8ToUtf16(std::to_string(n)); }

std::u16string ColumnMarkerKey(int i) { return u"Column Marker " + Decimal(i + 1); }

bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && (a.empty() || MatchMarker(a, b.data(), b.size(), false));
}

FileType BuiltinDefaults(int index) {
  const BuiltinType& b = kBuiltins[index];
  FileType t;
  t.description = std::u16string(b.description);
  t.extensions = SplitExtensions(b.extensions);
  t.completionFile = std::u16string(b.completion);
  t.function = std::u16string(b.function);
  t.tab = t.indent = index <= kTypeText ? 8 : 4;
  t.wordWrap = t.htmlToolbar = b.wrapAndToolbar;
  if (b.braces) {
    t.indentOpen = u'{';
    t.indentClose = u'}';
    t.endOfStatement = u';';
  }
  return t;
}

}  // namespace

int KeywordColorSlot(int group) { return group <= 5 ? group - 1 : group + 5; }

std::uint32_t DefaultSlotColor(int slot) {
  return slot >= 0 && slot < kTypeColorCount ? kSlotDefaults[slot] : 0;
}

int BuiltinTypeId(int index) { return index >= 0 && index < kBuiltinTypeCount ? kBuiltins[index].id : -1; }

std::u16string TypeSection(int index) {
  if (index < kBuiltinTypeCount) {
    int id = BuiltinTypeId(index);
    return id == 0 ? std::u16string(kSettings) : std::u16string(kSettings) + u"\\" + Decimal(id - 1);
  }
  return std::u16string(kSettings) + u"\\Custom" + Decimal(index - kBuiltinTypeCount);
}

void FileTypeTable::SetBuiltinDefaults() {
  types.clear();
  for (int i = 0; i < kBuiltinTypeCount; ++i) {
    types.push_back(BuiltinDefaults(i));
    syntax[i].path = std::u16string(kBuiltins[i].syntax);
  }
  for (int i = 0; i < kMaxFileTypes; ++i)
    for (int s = 0; s < kTypeColorCount; ++s) syntax[i].colors[s] = kSlotDefaults[s];
  seq.clear();
  for (int i = 0; i < kBuiltinTypeCount; ++i) seq.push_back(std::uint8_t(i));
  disableSyntax = false;
  wildcards.clear();
}

std::vector<std::pair<FileType, std::u16string>> FirstStartCustomTypes() {
  struct Row {
    std::u16string_view description, syntax, extensions, wildcard, firstLine;
    int tab;
    bool tabIndent;
  };
  static constexpr Row kRows[] = {
      {u"Python", u"python.stx", u"py;pyw;pyi", u"", u"#!/usr/bin/env python3", 4, false},
      {u"sh", u"sh.stx", u"sh", u"", u"#!/bin/sh", 4, false},
      {u"bash", u"bash.stx", u"bash", u"", u"#!/bin/bash", 4, false},
      {u"Makefile", u"makefile.stx", u"mk;mak", u"Makefile*", u"", 8, true},
      {u"CMake", u"cmake.stx", u"cmake", u"CMakeLists.txt", u"", 4, false},
      {u"Rust", u"rust.stx", u"rs", u"", u"", 4, false},
      {u"Go", u"go.stx", u"go", u"", u"", 8, true},
      {u"TypeScript", u"typescript.stx", u"ts;tsx;mts;cts", u"", u"", 4, false},
      {u"JSON", u"json.stx", u"json", u"", u"", 4, false},
      {u"YAML", u"yaml.stx", u"yaml;yml", u"", u"", 2, false},
      {u"SQL", u"sql.stx", u"sql", u"", u"", 4, false},
      {u"Markdown", u"markdown.stx", u"md;markdown", u"", u"", 4, false},
      {u"Lua", u"lua.stx", u"lua", u"", u"", 4, false},
      {u"Ruby", u"ruby.stx", u"rb;rake;gemspec", u"", u"", 2, false},
  };
  std::vector<std::pair<FileType, std::u16string>> out;
  for (const Row& r : kRows) {
    FileType t;
    t.description = std::u16string(r.description);
    t.extensions = SplitExtensions(r.extensions);
    t.wildcard = std::u16string(r.wildcard);
    t.firstLine = std::u16string(r.firstLine);
    t.tab = t.indent = r.tab;
    t.tabIndent = r.tabIndent;
    out.emplace_back(std::move(t), std::u16string(r.syntax));
  }
  return out;
}

// ---- Loading and saving ------------------------------------------------------

namespace {

int GetInt(const IniBuffer* ini, std::u16string_view section, std::u16string_view key, int def) {
  return IniStore::GetInt(ini, section, key, def);
}

std::u16string GetText(const IniBuffer* ini, std::u16string_view section, std::u16string_view key,
                       std::u16string_view def) {
  return IniStore::GetString(ini, section, key, def).value_or(std::u16string(def));
}

bool GetFlag(const IniBuffer* ini, std::u16string_view section, std::u16string_view key, bool def) {
  return GetInt(ini, section, key, def ? 1 : 0) != 0;
}

// A character stored as an integer; values outside UTF-16 units become 0.
char16_t GetUnit(const IniBuffer* ini, std::u16string_view section, std::u16string_view key, char16_t def) {
  int v = GetInt(ini, section, key, def);
  return v >= 0 && v <= 0xFFFF ? char16_t(v) : 0;
}

void ReadType(FileType& t, const IniBuffer* ini, const IniBuffer* reg, std::u16string_view section,
              bool builtin) {
  const FileType def = t;  // the defaults the caller put in
  t.extensions = SplitExtensions(GetText(ini, section, u"Extension", JoinExtensions(def.extensions)));
  if (!builtin) t.description = GetText(ini, section, u"Description", def.description);
  std::optional<std::u16string> acp = IniStore::GetString(ini, section, u"ACP");
  t.completionFile = acp ? *acp : GetText(ini, section, u"File", def.completionFile);
  t.wildcard = GetText(ini, section, u"Wildcard", def.wildcard);
  t.firstLine = GetText(ini, section, u"First Line", def.firstLine);
  t.function = GetText(ini, section, u"Function", def.function);
  t.function2 = GetText(ini, section, u"Function2", def.function2);
  t.pattern = GetInt(ini, section, u"Pattern", def.pattern);
  t.pattern2 = GetInt(ini, section, u"Pattern2", def.pattern2);
  t.tab = std::max(1, GetInt(ini, section, u"Tab", def.tab));
  t.indent = std::max(1, GetInt(ini, section, u"Indent", def.indent));
  t.margin = std::max(10, GetInt(ini, section, u"Margin", def.margin));
  t.wordWrap = GetFlag(ini, section, u"Word Wrap", def.wordWrap);
  t.autoIndent = GetFlag(ini, section, u"Auto Indent", def.autoIndent);
  t.tabIndent = GetFlag(ini, section, u"Tab Indent", def.tabIndent);
  t.common = GetFlag(ini, section, u"Common", def.common);
  t.indentOpen = GetUnit(ini, section, u"Indent Open", def.indentOpen);
  t.indentClose = GetUnit(ini, section, u"Indent Close", def.indentClose);
  t.endOfStatement = GetUnit(ini, section, u"End of Statement", def.endOfStatement);
  t.disableAutoCompletion = GetFlag(ini, section, u"Disable Auto-completion", def.disableAutoCompletion);
  t.trimTrailingSpaces = GetFlag(ini, section, u"Trim Trailing Spaces", def.trimTrailingSpaces);
  t.explorer = GetFlag(reg, section, u"Explorer", def.explorer);
  t.htmlToolbar = GetFlag(reg, section, u"HTML Toolbar", def.htmlToolbar);
  t.insertSpace = GetFlag(ini, section, u"Insert Space", def.insertSpace);
  t.hardBreak = GetFlag(ini, section, u"Hard break", def.hardBreak);
  t.wrapAtColumn = GetFlag(ini, section, u"Wrap at Column", def.wrapAtColumn);
  t.showMarker = GetFlag(ini, section, u"Show Marker", def.showMarker);
  for (int i = 0; i < kColumnMarkerCount; ++i)
    t.columnMarkers[i] = std::max(0, GetInt(ini, section, ColumnMarkerKey(i), def.columnMarkers[i]));
}

void ReadSyntaxAndColors(FileTypeTable& table, int index, const IniBuffer* ini, std::u16string_view defSyntax) {
  std::u16string section = TypeSection(index);
  SyntaxDef& s = table.syntax[index];
  std::optional<std::u16string> stx = IniStore::GetString(ini, section, u"STX");
  std::u16string path = stx ? *stx : GetText(ini, section, u"Syntax file", defSyntax);
  if (index < kBuiltinTypeCount && path.empty()) path = std::u16string(kBuiltins[index].syntax);
  s.path = std::move(path);
  for (int slot = 0; slot < kTypeColorCount; ++slot) {
    int v = GetInt(ini, section, Decimal(slot), int(kSlotDefaults[slot]));
    s.colors[slot] = v == -1 ? table.defaultTextColor : std::uint32_t(v) & 0xFFFFFF;
  }
}

// The stored order when it is a permutation of 0..count-1, else natural order.
std::vector<std::uint8_t> ValidSeq(const std::vector<std::uint8_t>& seq, int count) {
  std::vector<std::uint8_t> natural;
  for (int i = 0; i < count; ++i) natural.push_back(std::uint8_t(i));
  if (int(seq.size()) != count) return natural;
  std::vector<bool> seen(count, false);
  for (std::uint8_t b : seq) {
    if (b >= count || seen[b]) return natural;
    seen[b] = true;
  }
  return seq;
}

}  // namespace

void ReadFileTypes(FileTypeTable& table, const IniBuffer* ini, const IniBuffer* userValues) {
  const std::uint32_t textColor = table.defaultTextColor;
  table.SetBuiltinDefaults();
  table.defaultTextColor = textColor;
  std::vector<std::pair<FileType, std::u16string>> firstStart;
  int custom = 0;
  if (ini) {
    custom = std::clamp(GetInt(ini, kSettings, u"Custom", -1), 0, kMaxCustomTypes);
  } else {
    firstStart = FirstStartCustomTypes();
    custom = int(firstStart.size());
  }
  const int count = kBuiltinTypeCount + custom;
  std::vector<std::uint8_t> seq(count);
  if (!IniStore::GetBinary(ini, kSettings, u"Seq", seq.data(), seq.size())) seq.clear();
  table.seq = ValidSeq(seq, count);

  for (int i = 0; i < kBuiltinTypeCount; ++i) ReadType(table.types[i], ini, userValues, TypeSection(i), true);
  for (int k = 0; k < custom; ++k) {
    FileType t;
    if (!firstStart.empty()) t = std::move(firstStart[k].first);
    table.types.push_back(std::move(t));
    ReadType(table.types.back(), ini, userValues, TypeSection(kBuiltinTypeCount + k), false);
  }
  for (int i = 0; i < count; ++i) {
    std::u16string_view defSyntax = i < kBuiltinTypeCount   ? kBuiltins[i].syntax
                                    : firstStart.empty()    ? std::u16string_view()
                                                            : std::u16string_view(firstStart[i - kBuiltinTypeCount].second);
    ReadSyntaxAndColors(table, i, ini, defSyntax);
  }
  for (int i = count; i < kMaxFileTypes; ++i) table.syntax[i].path.clear();
  table.disableSyntax = GetInt(ini, kSettings, u"Disable Syntax", 0) != 0;
}

void WriteFileTypes(const FileTypeTable& table, IniBuffer* ini, IniBuffer* reg) {
  const int count = table.Count();
  IniStore::SetInt(ini, kSettings, u"Custom", count - kBuiltinTypeCount);
  for (int i = 0; i < count; ++i) {
    const FileType& t = table.types[i];
    const SyntaxDef& s = table.syntax[i];
    const std::u16string section = TypeSection(i);
    auto setInt = [&](std::u16string_view key, int v) { IniStore::SetInt(ini, section, key, v); };
    auto setText = [&](std::u16string_view key, std::u16string_view v) { IniStore::SetString(ini, section, key, v); };
    setText(u"Extension", JoinExtensions(t.extensions));
    setText(u"Description", t.description);
    setText(u"File", t.completionFile);
    IniStore::DeleteEntry(ini, section, u"ACP");
    setText(u"Wildcard", t.wildcard);
    setText(u"First Line", t.firstLine);
    setText(u"Function", t.function);
    setText(u"Function2", t.function2);
    setInt(u"Pattern", t.pattern);
    setInt(u"Pattern2", t.pattern2);
    setInt(u"Tab", t.tab);
    setInt(u"Indent", t.indent);
    setInt(u"Margin", t.margin);
    setInt(u"Word Wrap", t.wordWrap);
    setInt(u"Auto Indent", t.autoIndent);
    setInt(u"Tab Indent", t.tabIndent);
    setInt(u"Common", t.common);
    setInt(u"Indent Open", t.indentOpen);
    setInt(u"Indent Close", t.indentClose);
    setInt(u"End of Statement", t.endOfStatement);
    setText(u"Syntax file", s.path);
    IniStore::DeleteEntry(ini, section, u"STX");
    setInt(u"Insert Space", t.insertSpace);
    setInt(u"Hard break", t.hardBreak);
    setInt(u"Wrap at Column", t.wrapAtColumn);
    setInt(u"Show Marker", t.showMarker);
    for (int m = 0; m < kColumnMarkerCount; ++m) setInt(ColumnMarkerKey(m), t.columnMarkers[m]);
    for (int slot = 0; slot < kTypeColorCount; ++slot)
      setInt(Decimal(slot), s.colors[slot] == table.defaultTextColor ? -1 : int(s.colors[slot] & 0xFFFFFF));
    setInt(u"Disable Auto-completion", t.disableAutoCompletion);
    setInt(u"Trim Trailing Spaces", t.trimTrailingSpaces);
    IniStore::SetInt(reg, section, u"Explorer", t.explorer);
    IniStore::SetInt(reg, section, u"HTML Toolbar", t.htmlToolbar);
  }
  for (int i = count; IniStore::DeleteSection(ini, TypeSection(i)); ++i) {
  }
  std::vector<std::uint8_t> seq = ValidSeq(table.seq, count);
  IniStore::SetBinary(ini, kSettings, u"Seq", seq.data(), seq.size());
}

// ---- Matching ------------------------------------------------------------------

std::u16string WildcardToRegex(std::u16string_view wildcard) {
  if (wildcard == u"*" || wildcard == u"*.*") return u".+";
  std::u16string out;
  for (char16_t c : wildcard) {
    if (c == u'*') out += u".*";
    else if (c == u'?') out += u'.';
    else if ((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) out += c;
    else {
      out += u'\\';
      out += c;
    }
  }
  return out;
}

namespace {

// The file name part of a local or remote path.
std::string_view FileNamePart(std::string_view path) {
  std::size_t slash = path.rfind('/');
  if (slash != path.npos) return path.substr(slash + 1);
  std::size_t colon = path.rfind(':');
  return colon == path.npos ? path : path.substr(colon + 1);
}

void RefreshWildcards(const FileTypeTable& table) {
  table.wildcards.resize(table.types.size());
  for (std::size_t i = 0; i < table.types.size(); ++i) {
    FileTypeTable::CompiledWildcard& w = table.wildcards[i];
    const std::u16string& source = table.types[i].wildcard;
    if (w.compiled && w.source == source) continue;
    w.source = source;
    w.exactName = source.find_first_of(u"*?") == source.npos;
    w.compiled = true;
    if (!source.empty() && !w.exactName) {
      // A wildcard that does not compile matches nothing.
      if (!RegexCompile(w.program, u"^" + WildcardToRegex(source) + u"$")) w.program = RegexProgram();
    }
  }
}

bool WildcardMatches(FileTypeTable::CompiledWildcard& w, std::u16string_view name) {
  if (!w.program.compiled()) return false;
  RegexResult r = RegexSearch(w.program, name, 0, false, true);
  return r.found() && r.start == 0 && r.length == name.size();
}

}  // namespace

std::u16string FileNameExtension(std::string_view path) {
  std::string_view name = FileNamePart(path);
  std::size_t dot = name.rfind('.');
  if (dot == name.npos || dot == 0 || dot + 1 == name.size()) return {};
  return Utf8ToUtf16(name.substr(dot + 1));
}

TypeMatch MatchFileType(const FileTypeTable& table, std::string_view path, std::u16string_view firstLine,
                        bool useFirstLine) {
  RefreshWildcards(table);
  TypeMatch m;
  const std::u16string name = Utf8ToUtf16(FileNamePart(path));
  const std::u16string ext = FileNameExtension(path);
  const int count = table.Count();
  // A file named exactly by a type's wildcard belongs to that type whatever its extension.
  if (!name.empty()) {
    for (int i = 0; i < count; ++i) {
      const FileTypeTable::CompiledWildcard& w = table.wildcards[i];
      if (w.exactName && !w.source.empty() && EqualIgnoringCase(w.source, name)) {
        m.type = i;
        return m;
      }
    }
  }
  for (int i = 0; i < count; ++i) {
    if (!ext.empty()) {
      for (const std::u16string& e : table.types[i].extensions)
        if (EqualIgnoringCase(e, ext)) m.type = i;
    }
    FileTypeTable::CompiledWildcard& w = table.wildcards[i];
    if (m.type == 0 && !w.exactName && !name.empty() && WildcardMatches(w, name)) m.type = i;
  }
  if (m.type != 0) return m;
  if (EqualIgnoringCase(ext, u"ctl") || EqualIgnoringCase(ext, u"acp") || EqualIgnoringCase(ext, u"stx")) {
    m.descriptionFile = true;
    return m;
  }
  if (!useFirstLine) return m;
  for (int i = 0; i < count; ++i) {
    const std::u16string& f = table.types[i].firstLine;
    if (!f.empty() && firstLine.substr(0, f.size()) == f) {
      m.type = i;
      break;
    }
  }
  return m;
}

// ---- Colour page -----------------------------------------------------------------

std::vector<ColorPageEntry> ColorPageEntries(const SyntaxDef& s) {
  std::vector<ColorPageEntry> out;
  auto keyword = [](int g) { return u"Keyword " + Decimal(g); };
  for (int g = 1; g <= s.groupCount; ++g)
    out.push_back({s.groupNames[g - 1].empty() ? keyword(g) : s.groupNames[g - 1], KeywordColorSlot(g)});
  for (int g = s.groupCount + 1; g <= kMaxKeywordGroups; ++g)
    if (s.prefix[g - 1] || s.suffix[g - 1]) out.push_back({keyword(g), KeywordColorSlot(g)});
  if (s.specialMode == kSpecialHtml) {
    out.push_back({u"Undefined tags", 3});
    out.push_back({u"Undefined attributes", 11});
    out.push_back({u"Embedded script", 4});
    out.push_back({u"HTML comment", 7});
    out.push_back({u"Attribute values", 9});
    out.push_back({u"Attribute values 2", 10});
  } else {
    if (!s.lineComment[0].empty()) out.push_back({u"Line comment", 5});
    if (!s.lineComment[1].empty()) out.push_back({u"Line comment 2", 6});
    if (!s.commentOn[0].empty()) out.push_back({u"Block comment", 7});
    if (!s.commentOn[1].empty()) out.push_back({u"Block comment 2", 8});
    if (s.quote[0]) out.push_back({u"Quotation", 9});
    if (s.quote[1]) out.push_back({u"Quotation 2", 10});
  }
  if (s.numberPattern == kNumberPatternCpp) out.push_back({u"Number", 16});
  return out;
}

// ---- The application's table and documents -----------------------------------------

namespace {

FileTypeHooks& Hooks() {
  static FileTypeHooks hooks;
  return hooks;
}

std::vector<CMyEditDoc*>& Documents() {
  static std::vector<CMyEditDoc*> docs;
  return docs;
}

// The roles some types play whatever their files say, applied after every parse.
void FixSyntaxRoles(FileTypeTable& table, int index) {
  SyntaxDef& s = table.syntax[index];
  if (index == kTypeHtml) {
    s.htmlEmbedded = false;
    s.specialMode = kSpecialHtml;
  } else if (index == kTypeCpp) {
    s.specialMode = kSpecialCpp;
  } else if (index == kTypePerl) {
    s.specialMode = kSpecialPerl;
  }
  if (s.htmlEmbedded && s.specialMode == kSpecialHtml) s.specialMode = kSpecialNone;
}

void TakeSyntax(FileTypeTable& table, CMyEditDoc& doc, int index) {
  if (index >= table.Count()) return;
  if (AcquireSyntax(table.syntax[index])) {
    FixSyntaxRoles(table, index);
    doc.acquiredSyntax.push_back(index);
  }
}

void TakeCompletion(FileTypeTable& table, CMyEditDoc& doc, int index) {
  if (index >= table.Count()) return;
  AcquireCompletion(table.types[index].completion, table.types[index].completionFile);
  doc.acquiredCompletion.push_back(index);
}

void ReleaseData(FileTypeTable& table, CMyEditDoc& doc) {
  for (int i : doc.acquiredSyntax)
    if (i < kMaxFileTypes) ReleaseSyntax(table.syntax[i]);
  for (int i : doc.acquiredCompletion)
    if (i < table.Count()) ReleaseCompletion(table.types[i].completion);
  doc.acquiredSyntax.clear();
  doc.acquiredCompletion.clear();
}

// The first line of a document, as matching reads it.
std::u16string FirstLine(const CMyEditDoc& doc) {
  const TextBuffer& b = doc.Buffer();
  return b.LineCount() > 0 ? std::u16string(b.LineView(0)) : std::u16string();
}

void AcquireData(FileTypeTable& table, CMyEditDoc& doc, int type) {
  static constexpr int kScripts[] = {kTypeJavaScript, kTypeVbScript, kTypeCss};
  auto takeBoth = [&](int i) {
    TakeSyntax(table, doc, i);
    TakeCompletion(table, doc, i);
  };
  takeBoth(type);
  const SyntaxDef& own = table.syntax[type];
  bool ownLoaded = !doc.acquiredSyntax.empty();
  if (type == kTypeHtml || (ownLoaded && own.specialMode == kSpecialHtml)) {
    for (int i : kScripts) takeBoth(i);
  } else if (ownLoaded && own.htmlEmbedded) {
    takeBoth(kTypeHtml);
    for (int i : kScripts) takeBoth(i);
  }
  doc.htmlScanner = ownLoaded && own.UsesHtmlScanner();
}

}  // namespace

FileTypeTable& AppFileTypes() {
  static FileTypeTable table = [] {
    FileTypeTable t;
    ReadFileTypes(t, nullptr, nullptr);
    return t;
  }();
  return table;
}

void SetFileTypeHooks(FileTypeHooks hooks) { Hooks() = std::move(hooks); }

const std::vector<CMyEditDoc*>& TypedDocuments() { return Documents(); }

void ApplyFileType(CMyEditDoc& doc, int type) {
  FileTypeTable& table = AppFileTypes();
  ReleaseData(table, doc);
  if (type < 0 || type >= table.Count()) type = 0;
  const FileType& t = table.types[type];
  doc.fileType = type;
  DocumentTypeValues& v = doc.typeValues;
  v.tabWidth = t.tab;
  v.indentWidth = t.indent;
  v.margin = t.margin;
  v.wordWrap = t.wordWrap;
  v.autoIndent = t.autoIndent;
  v.tabIndent = t.tabIndent;
  v.insertSpace = t.insertSpace;
  v.hardBreak = t.hardBreak;
  v.wrapAtColumn = t.wrapAtColumn;
  v.showMarker = t.showMarker;
  v.trimTrailingSpaces = t.trimTrailingSpaces;
  v.htmlToolbar = t.htmlToolbar;
  v.autoCompletion = !t.disableAutoCompletion;
  v.indentOpen = t.indentOpen;
  v.indentClose = t.indentClose;
  v.endOfStatement = t.endOfStatement;
  v.columnMarkers = t.columnMarkers;
  AcquireData(table, doc, type);
  if (std::find(Documents().begin(), Documents().end(), &doc) == Documents().end()) Documents().push_back(&doc);
  if (Hooks().applied) Hooks().applied(doc);
}

void MatchAndApplyFileType(CMyEditDoc& doc) {
  TypeMatch m = MatchFileType(AppFileTypes(), doc.PathName(), FirstLine(doc));
  doc.descriptionFile = m.descriptionFile;
  ApplyFileType(doc, m.type);
}

void ReleaseFileType(CMyEditDoc& doc) {
  ReleaseData(AppFileTypes(), doc);
  auto& docs = Documents();
  docs.erase(std::remove(docs.begin(), docs.end(), &doc), docs.end());
}

const SyntaxDef* DocumentSyntax(const CMyEditDoc& doc) {
  const FileTypeTable& table = AppFileTypes();
  if (doc.fileType < 0 || doc.fileType >= table.Count()) return nullptr;
  const SyntaxDef& s = table.syntax[doc.fileType];
  return s.refCount > 0 ? &s : nullptr;
}

namespace {

// Re-applies the types to every document after the table was replaced. Every
// document lets go of its data first, so that no table is freed or parsed
// while another document still counts on the old one.
void ReapplyAll(bool rematch) {
  FileTypeTable& table = AppFileTypes();
  std::vector<CMyEditDoc*> docs = Documents();
  for (CMyEditDoc* d : docs) ReleaseData(table, *d);
  for (CMyEditDoc* d : docs) {
    bool gone = d->fileType < 0 || d->fileType >= table.Count();
    if (gone) d->fileTypeChosen = false;
    if ((rematch || gone) && !d->fileTypeChosen && !d->PathName().empty()) {
      MatchAndApplyFileType(*d);
    } else {
      ApplyFileType(*d, gone ? 0 : d->fileType);
    }
  }
}

}  // namespace

void LoadFileTypes() {
  FileTypeTable& table = AppFileTypes();
  for (CMyEditDoc* d : Documents()) ReleaseData(table, *d);
  std::string path = IniPath(kSettingIni);
  FileInfo info;
  bool exists = !path.empty() && !CurrentPlatform().files->Stat(path, info) && info.kind != FileKind::Missing;
  std::unique_ptr<IniBuffer> ini = exists ? IniStore::Open(path) : nullptr;
  std::unique_ptr<IniBuffer> reg = AppUserValues().Open();
  // A file that exists but cannot be read leaves the defaults, without the
  // first-start types (they are only for a missing file).
  IniBuffer empty;
  ReadFileTypes(table, exists ? (ini ? ini.get() : &empty) : nullptr, reg.get());
  IniStore::Close(std::move(ini));
  IniStore::Close(std::move(reg));
  ReapplyAll(false);
}

bool SaveFileTypes() {
  FileTypeTable& table = AppFileTypes();
  std::string path = IniPath(kSettingIni);
  bool ok = false;
  if (!path.empty()) {
    std::unique_ptr<IniBuffer> ini = IniStore::Open(path);
    if (ini) {
      std::unique_ptr<IniBuffer> reg = AppUserValues().Open();
      IniBuffer scratch;
      WriteFileTypes(table, ini.get(), reg ? reg.get() : &scratch);
      ok = IniStore::Close(std::move(ini), path);
      if (reg) ok = AppUserValues().Save(std::move(reg)) && ok;
    }
  }
  ReapplyAll(true);
  return ok;
}

// ---- Commands --------------------------------------------------------------------

void ChangeFileTypeCommand(CMyEditDoc& doc, FileTypeChooser& chooser) {
  const FileTypeTable& table = AppFileTypes();
  std::vector<std::u16string> entries{LoadStringU16(kStringAutomaticType)};
  int selected = 0;
  for (std::size_t i = 0; i < table.seq.size(); ++i) {
    int type = table.seq[i];
    entries.push_back(table.types[type].description);
    if (type == doc.fileType) selected = int(i) + 1;
  }
  std::optional<int> choice = chooser.ChooseFileType(entries, selected);
  if (!choice || *choice < 0 || *choice >= int(entries.size())) return;
  if (*choice == 0) {
    doc.fileTypeChosen = false;
    MatchAndApplyFileType(doc);
  } else {
    doc.fileTypeChosen = true;
    ApplyFileType(doc, table.seq[*choice - 1]);
  }
}

void ToggleSyntaxHighlightingCommand() {
  FileTypeTable& table = AppFileTypes();
  table.disableSyntax = !table.disableSyntax;
  if (Hooks().redrawAll) Hooks().redrawAll();
  SetIniInt(kSettingIni, kSettings, u"Disable Syntax", table.disableSyntax ? 1 : 0);
}

bool SyntaxHighlightingChecked() { return !AppFileTypes().disableSyntax; }

}  // namespace kastrell
