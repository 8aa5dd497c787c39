#include "lang/FileTypes.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/Directories.h"
#include "app/IniFiles.h"
#include "app/IniStore.h"
#include "app/UserValues.h"
#include "platform/Utf.h"
#include "support/PlatformTest.h"
#include "support/TempDir.h"
#include "text/CMyEditDoc.h"

namespace kastrell {
namespace {

int TypeNamed(const FileTypeTable& t, std::u16string_view description) {
  for (int i = 0; i < t.Count(); ++i)
    if (t.types[i].description == description) return i;
  return -100;
}

class FileTypesTest : public test::PlatformTest {};

TEST_F(FileTypesTest, FirstStartTable) {
  FileTypeTable t;
  ReadFileTypes(t, nullptr, nullptr);
  ASSERT_EQ(t.Count(), 27);
  EXPECT_EQ(t.types[0].description, u"默认");
  EXPECT_EQ(t.types[kTypeCSharp].description, u"C#");
  EXPECT_EQ(t.types[kTypeHtml].extensions.size(), 9u);
  EXPECT_TRUE(t.types[kTypeHtml].wordWrap);
  EXPECT_TRUE(t.types[kTypeXml].htmlToolbar);
  EXPECT_EQ(t.types[kTypeCpp].indentOpen, u'{');
  EXPECT_EQ(t.types[kTypeJavaScript].completionFile, u"java.acp");
  EXPECT_EQ(t.types[kTypeText].tab, 8);
  EXPECT_EQ(t.types[kTypeCss].tab, 4);
  EXPECT_EQ(t.syntax[kTypeVbScript].path, u"vb.stx");
  EXPECT_EQ(t.syntax[TypeNamed(t, u"Python")].path, u"python.stx");
  EXPECT_EQ(t.types[TypeNamed(t, u"CMake")].wildcard, u"CMakeLists.txt");
  EXPECT_EQ(t.syntax[kTypeCpp].colors[0], 0xFF0000u);
  EXPECT_EQ(t.syntax[20].colors[16], 0x800080u);
  EXPECT_EQ(t.seq.size(), 27u);
  EXPECT_EQ(TypeSection(0), u"Settings");
  EXPECT_EQ(TypeSection(kTypeText), u"Settings\\8");
  EXPECT_EQ(TypeSection(kTypeJsp), u"Settings\\9");
  EXPECT_EQ(TypeSection(13), u"Settings\\Custom0");
}

struct MatchRow {
  const char* name;
  const char* path;
  std::u16string firstLine;
  std::u16string type;  // description of the expected type
  bool descriptionFile = false;
};

TEST_F(FileTypesTest, MatchingTheFirstStartTable) {
  FileTypeTable t;
  ReadFileTypes(t, nullptr, nullptr);
  const MatchRow rows[] = {
      {"extension ignores case", "/www/index.HTM", u"", u"HTML"},
      {"C source", "/src/a.c", u"", u"C/C++"},
      {"extension beats the first line", "/src/a.h", u"#!/bin/sh", u"C/C++"},
      {"no extension from a directory part", "/a/b.c/Makefile", u"", u"Makefile"},
      {"wildcard with a suffix", "/p/Makefile.am", u"", u"Makefile"},
      {"wildcard is anchored", "/p/GNUmakefile", u"", u"默认"},
      {"exact name beats its extension", "/p/CMakeLists.txt", u"", u"CMake"},
      {"exact name ignores case", "/p/cmakelists.TXT", u"", u"CMake"},
      {"plain text", "/p/notes.txt", u"", u"文本"},
      {"sh first line", "/usr/bin/script", u"#!/bin/sh", u"sh"},
      {"bash first line with options", "/usr/bin/script", u"#!/bin/bash -e", u"bash"},
      {"python first line", "run", u"#!/usr/bin/env python3", u"Python"},
      {"first line must start the line", "run", u" #!/bin/sh", u"默认"},
      {"first line compares case", "run", u"#!/BIN/SH", u"默认"},
      {"description file", "/p/x.stx", u"", u"默认", true},
      {"description file skips the first line", "/p/x.ACP", u"#!/bin/sh", u"默认", true},
      {"cliptext is a description file", "lib.ctl", u"", u"默认", true},
      {"leading dot is no extension", "/home/u/.bashrc", u"", u"默认"},
      {"trailing dot is no extension", "/p/file.", u"", u"默认"},
      {"remote name", "ftp(1):/www/index.php", u"", u"PHP"},
      {"remote name without directory", "ftp(1):x.pl", u"", u"Perl"},
      {"login form", "me@host:/srv/app.py", u"", u"Python"},
      {"Rust", "main.rs", u"", u"Rust"},
      {"TypeScript", "/w/app.tsx", u"", u"TypeScript"},
      {"YAML", "ci.yml", u"", u"YAML"},
      {"Markdown", "README.md", u"", u"Markdown"},
      {"C#", "Program.cs", u"", u"C#"},
      {"XML project", "a.csproj", u"", u"XML"},
      {"empty path", "", u"", u"默认"},
  };
  for (const MatchRow& r : rows) {
    SCOPED_TRACE(r.name);
    TypeMatch m = MatchFileType(t, r.path, r.firstLine);
    EXPECT_EQ(Utf16ToUtf8(t.types[m.type].description), Utf16ToUtf8(r.type));
    EXPECT_EQ(m.descriptionFile, r.descriptionFile);
  }
  // Without the first-line test (matching again after a save of the old kind).
  EXPECT_EQ(MatchFileType(t, "run", u"#!/bin/sh", false).type, 0);
}

// A table with custom types, read from a hand-written setting_u.ini.
std::unique_ptr<IniBuffer> CustomIni() {
  auto ini = std::make_unique<IniBuffer>();
  ini->text = u"\uFEFF";
  auto set = [&](std::u16string_view s, std::u16string_view k, std::u16string_view v) {
    IniStore::SetString(ini.get(), s, k, v);
  };
  set(u"Settings", u"Custom", u"5");
  set(u"Settings\\Custom0", u"Description", u"Inc A");
  set(u"Settings\\Custom0", u"Extension", u"inc;;x1");
  set(u"Settings\\Custom1", u"Description", u"Inc B");
  set(u"Settings\\Custom1", u"Extension", u"INC");
  set(u"Settings\\Custom2", u"Description", u"Make");
  set(u"Settings\\Custom2", u"Wildcard", u"Makefile*");
  set(u"Settings\\Custom3", u"Description", u"Automake");
  set(u"Settings\\Custom3", u"Extension", u"am");
  set(u"Settings\\Custom3", u"Wildcard", u"a?c");
  set(u"Settings\\Custom4", u"Description", u"Perl script");
  set(u"Settings\\Custom4", u"First Line", u"#!/usr/bin/perl");
  set(u"Settings\\Custom4", u"Wildcard", u"x+y(1).*");
  return ini;
}

TEST_F(FileTypesTest, MatchingCustomTypes) {
  FileTypeTable t;
  auto ini = CustomIni();
  ReadFileTypes(t, ini.get(), nullptr);
  ASSERT_EQ(t.Count(), 18);
  EXPECT_EQ(t.types[13].extensions, (std::vector<std::u16string>{u"inc", u"", u"x1"}));
  const MatchRow rows[] = {
      {"the later of two types with one extension wins", "a.inc", u"", u"Inc B"},
      {"a wildcard claims a file no earlier type claimed", "Makefile.in", u"", u"Make"},
      {"a later extension takes the file over", "Makefile.am", u"", u"Automake"},
      {"? matches one unit", "abc", u"", u"Automake"},
      {"the wildcard ignores case", "ABC", u"", u"Automake"},
      {"the match spans the whole name", "abcd", u"", u"默认"},
      {"special characters are literal", "x+y(1).txt", u"", u"文本"},
      {"special characters are literal 2", "x+y(1).q", u"", u"Perl script"},
      {"no regex meaning", "xxy(1).q", u"", u"默认"},
      {"perl first line", "tool", u"#!/usr/bin/perl -w", u"Perl script"},
      {"first line not after a blank", "tool", u" #!/usr/bin/perl", u"默认"},
      {"an empty extension item claims nothing", "file.", u"", u"默认"},
  };
  for (const MatchRow& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(Utf16ToUtf8(t.types[MatchFileType(t, r.path, r.firstLine).type].description),
              Utf16ToUtf8(r.type));
  }
  EXPECT_EQ(WildcardToRegex(u"*.*"), u".+");
  EXPECT_EQ(WildcardToRegex(u"*"), u".+");
  EXPECT_EQ(WildcardToRegex(u"a*.?"), u"a.*\\..");
}

TEST_F(FileTypesTest, LoadingClampsAndFallsBack) {
  auto ini = std::make_unique<IniBuffer>();
  ini->text = u"\uFEFF";
  IniStore::SetInt(ini.get(), u"Settings", u"Custom", 40);
  IniStore::SetInt(ini.get(), u"Settings\\1", u"Tab", 0);
  IniStore::SetInt(ini.get(), u"Settings\\1", u"Indent", -3);
  IniStore::SetInt(ini.get(), u"Settings\\1", u"Margin", 5);
  IniStore::SetString(ini.get(), u"Settings\\1", u"Syntax file", u"");
  IniStore::SetString(ini.get(), u"Settings\\1", u"ACP", u"old.acp");
  IniStore::SetString(ini.get(), u"Settings\\1", u"File", u"new.acp");
  IniStore::SetString(ini.get(), u"Settings\\2", u"STX", u"myperl.stx");
  IniStore::SetInt(ini.get(), u"Settings\\2", u"3", -1);
  IniStore::SetInt(ini.get(), u"Settings\\2", u"4", 0x123456);
  IniStore::SetInt(ini.get(), u"Settings\\2", u"Column Marker 10", 72);
  IniStore::SetInt(ini.get(), u"Settings\\2", u"Indent Open", 0x12345);
  IniStore::SetString(ini.get(), u"Settings\\2", u"Description", u"not used for a built-in type");
  std::uint8_t seq[30];
  for (int i = 0; i < 30; ++i) seq[i] = std::uint8_t(29 - i);
  IniStore::SetBinary(ini.get(), u"Settings", u"Seq", seq, 30);
  FileTypeTable t;
  t.defaultTextColor = 0x0A0B0C;
  ReadFileTypes(t, ini.get(), nullptr);
  EXPECT_EQ(t.Count(), 30);
  EXPECT_EQ(t.seq[0], 29);
  EXPECT_EQ(t.types[kTypeCpp].tab, 1);
  EXPECT_EQ(t.types[kTypeCpp].indent, 1);
  EXPECT_EQ(t.types[kTypeCpp].margin, 10);
  EXPECT_EQ(t.syntax[kTypeCpp].path, u"cpp.stx");  // a cleared built-in syntax comes back
  EXPECT_EQ(t.types[kTypeCpp].completionFile, u"old.acp");
  EXPECT_EQ(t.syntax[kTypePerl].path, u"myperl.stx");
  EXPECT_EQ(t.syntax[kTypePerl].colors[3], 0x0A0B0Cu);
  EXPECT_EQ(t.syntax[kTypePerl].colors[4], 0x123456u);
  EXPECT_EQ(t.types[kTypePerl].columnMarkers[9], 72);
  EXPECT_EQ(t.types[kTypePerl].indentOpen, 0);
  EXPECT_EQ(t.types[kTypePerl].description, u"Perl");

  // Orders that are not permutations of the indices are discarded.
  for (std::vector<std::uint8_t> bad : {std::vector<std::uint8_t>{0, 1, 2}, std::vector<std::uint8_t>(13, 0)}) {
    auto b = std::make_unique<IniBuffer>();
    b->text = u"\uFEFF";
    std::vector<std::uint8_t> stored = bad;
    if (stored.size() == 13) stored[12] = 40;  // beyond the count
    IniStore::SetBinary(b.get(), u"Settings", u"Seq", stored.data(), stored.size());
    FileTypeTable u;
    ReadFileTypes(u, b.get(), nullptr);
    ASSERT_EQ(u.seq.size(), 13u);
    EXPECT_EQ(u.seq[12], 12);
  }
}

// A document that lets go of its type when it goes away, as closing does.
struct TypedDoc : CMyEditDoc {
  ~TypedDoc() { kastrell::ReleaseFileType(*this); }
};

class FileTypeStorageTest : public test::PlatformTest {
 protected:
  FileTypeStorageTest() {
    AppDirectories().ini = dir.Path();
    AppDirectories().syntax = dir.Path();
    AppUserValues().SetPath(dir.File("registry_u.ini"));
  }
  ~FileTypeStorageTest() override {
    AppDirectories().ini.clear();
    AppDirectories().syntax.clear();
    AppUserValues().SetPath("");
    AppFileTypes() = FileTypeTable();
    ReadFileTypes(AppFileTypes(), nullptr, nullptr);
  }
  std::string SettingIni() const { return dir.File("setting_u.ini"); }
  test::TempDir dir;
};

TEST_F(FileTypeStorageTest, SaveLoadSaveIsByteForByte) {
  LoadFileTypes();  // no file: the first-start table
  EXPECT_EQ(AppFileTypes().Count(), 27);
  EXPECT_EQ(test::ReadBytes(SettingIni()), "<missing>");  // loading writes nothing
  FileTypeTable& t = AppFileTypes();
  t.types[kTypeCpp].explorer = true;
  t.types[kTypeText].htmlToolbar = true;
  t.types[20].function = u"^fn (.*)";
  t.syntax[kTypeCss].colors[9] = t.defaultTextColor;
  std::swap(t.seq[0], t.seq[5]);
  ASSERT_TRUE(SaveFileTypes());
  const std::string first = test::ReadBytes(SettingIni());
  const std::string firstReg = test::ReadBytes(dir.File("registry_u.ini"));
  LoadFileTypes();
  EXPECT_TRUE(AppFileTypes().types[kTypeCpp].explorer);
  EXPECT_TRUE(AppFileTypes().types[kTypeText].htmlToolbar);
  EXPECT_EQ(AppFileTypes().seq[0], 5);
  ASSERT_TRUE(SaveFileTypes());
  EXPECT_EQ(test::ReadBytes(SettingIni()), first);
  EXPECT_EQ(test::ReadBytes(dir.File("registry_u.ini")), firstReg);
  EXPECT_NE(first.find(std::string("-\0" "1\0", 4)), std::string::npos);  // the default text colour
  EXPECT_NE(firstReg.find(std::string("E\0x\0p\0l\0o\0r\0e\0r\0=\0" "1", 19)), std::string::npos);
}

TEST_F(FileTypeStorageTest, AHandWrittenFileGainsTheKeysASaveWrites) {
  ASSERT_TRUE(IniStore::WriteString(SettingIni(), u"Settings\\1", u"STX", u"c.stx"));
  ASSERT_TRUE(IniStore::WriteString(SettingIni(), u"Settings\\1", u"ACP", u"c.acp"));
  ASSERT_TRUE(IniStore::WriteInt(SettingIni(), u"Settings", u"Custom", 3));
  ASSERT_TRUE(IniStore::WriteString(SettingIni(), u"Settings\\Custom2", u"Description", u"Third"));
  ASSERT_TRUE(IniStore::WriteString(SettingIni(), u"Settings\\Custom3", u"Description", u"Surplus"));
  ASSERT_TRUE(IniStore::WriteString(SettingIni(), u"Settings\\Custom4", u"Description", u"Surplus 2"));
  LoadFileTypes();
  ASSERT_EQ(AppFileTypes().Count(), 16);  // an existing file gets no first-start types
  EXPECT_EQ(AppFileTypes().types[15].description, u"Third");
  EXPECT_EQ(AppFileTypes().syntax[kTypeCpp].path, u"c.stx");
  AppFileTypes().types.pop_back();  // the settings dialog removed one custom type
  ASSERT_TRUE(SaveFileTypes());
  auto ini = IniStore::Open(SettingIni());
  EXPECT_EQ(IniStore::GetString(ini.get(), u"Settings\\1", u"Syntax file"), u"c.stx");
  EXPECT_EQ(IniStore::GetString(ini.get(), u"Settings\\1", u"File"), u"c.acp");
  EXPECT_FALSE(IniStore::GetString(ini.get(), u"Settings\\1", u"STX"));
  EXPECT_FALSE(IniStore::GetString(ini.get(), u"Settings\\1", u"ACP"));
  EXPECT_EQ(IniStore::GetInt(ini.get(), u"Settings\\1", u"Column Marker 10", -5), 0);
  EXPECT_EQ(IniStore::GetInt(ini.get(), u"Settings\\1", u"16", -5), 0x800080);
  EXPECT_EQ(IniStore::GetInt(ini.get(), u"Settings", u"Custom", -5), 2);
  EXPECT_FALSE(IniStore::GetString(ini.get(), u"Settings\\Custom2", u"Description"));
  EXPECT_FALSE(IniStore::GetString(ini.get(), u"Settings\\Custom4", u"Description"));
  IniStore::Close(std::move(ini));
  // And that file reads back and saves unchanged.
  const std::string saved = test::ReadBytes(SettingIni());
  LoadFileTypes();
  ASSERT_TRUE(SaveFileTypes());
  EXPECT_EQ(test::ReadBytes(SettingIni()), saved);
}

TEST_F(FileTypeStorageTest, ApplyAcquiresTheScriptSyntaxesForHtml) {
  dir.Write("html.stx", "#KEYWORD=Tags\nbody\n#HTML_EMBEDDED=y\n");
  dir.Write("js.stx", "#KEYWORD\nfunction\n");
  dir.Write("vb.stx", "#KEYWORD\nsub\n");
  dir.Write("css.stx", "#KEYWORD\ncolor\n");
  dir.Write("php.stx", "#KEYWORD\necho\n#HTML_EMBEDDED=y\n#SPECIAL_STX=html\n");
  dir.Write("cpp.stx", "#KEYWORD\nint\n#SPECIAL_STX=perl\n");
  dir.Write("cpp.acp", "#T=if\r\nif (^!)\r\n");
  LoadFileTypes();
  FileTypeTable& t = AppFileTypes();
  TypedDoc html, php, c;
  html.SetPathName(dir.File("a.html"));
  php.SetPathName(dir.File("a.php"));
  c.SetPathName(dir.File("a.c"));
  MatchAndApplyFileType(html);
  EXPECT_EQ(html.fileType, kTypeHtml);
  EXPECT_TRUE(html.htmlScanner);
  EXPECT_EQ(html.acquiredSyntax, (std::vector<int>{kTypeHtml, kTypeJavaScript, kTypeVbScript, kTypeCss}));
  EXPECT_FALSE(t.syntax[kTypeHtml].htmlEmbedded);
  EXPECT_EQ(t.syntax[kTypeHtml].specialMode, kSpecialHtml);
  EXPECT_TRUE(html.typeValues.wordWrap);
  EXPECT_EQ(html.typeValues.tabWidth, 4);

  MatchAndApplyFileType(php);
  EXPECT_EQ(php.acquiredSyntax,
            (std::vector<int>{kTypePhp, kTypeHtml, kTypeJavaScript, kTypeVbScript, kTypeCss}));
  EXPECT_EQ(t.syntax[kTypePhp].specialMode, kSpecialNone);  // embedded cannot keep html mode
  EXPECT_TRUE(php.htmlScanner);
  EXPECT_EQ(t.syntax[kTypeHtml].refCount, 2);
  EXPECT_EQ(t.syntax[kTypeJavaScript].refCount, 2);

  MatchAndApplyFileType(c);
  EXPECT_EQ(t.syntax[kTypeCpp].specialMode, kSpecialCpp);  // whatever the file says
  EXPECT_FALSE(c.htmlScanner);
  ASSERT_NE(FindCompletion(t.types[kTypeCpp].completion, u"IF"), nullptr);
  EXPECT_EQ(DocumentSyntax(c), &t.syntax[kTypeCpp]);

  // Reloading the table lets go of everything first and takes it again.
  dir.Write("cpp.stx", "#KEYWORD\nlong\n");
  LoadFileTypes();
  EXPECT_EQ(t.syntax[kTypeCpp].FindKeyword(u"long"), 0);
  EXPECT_EQ(t.syntax[kTypeHtml].refCount, 2);
  EXPECT_EQ(t.types[kTypeCpp].completion.refCount, 1);

  ReleaseFileType(html);
  ReleaseFileType(php);
  EXPECT_EQ(t.syntax[kTypeHtml].refCount, 0);
  EXPECT_EQ(t.syntax[kTypeHtml].groupCount, 0);
  ReleaseFileType(c);
  EXPECT_TRUE(t.types[kTypeCpp].completion.empty());
  EXPECT_TRUE(TypedDocuments().empty());
}

TEST_F(FileTypeStorageTest, DocumentsFollowTheTableWhenItChanges) {
  LoadFileTypes();
  FileTypeTable& t = AppFileTypes();
  TypedDoc py, chosen, untitled;
  py.SetPathName(dir.File("tool.py"));
  MatchAndApplyFileType(py);
  const int python = TypeNamed(t, u"Python");
  EXPECT_EQ(py.fileType, python);
  // The user gives a .py document the Perl type: it keeps it through a save.
  chosen.SetPathName(dir.File("other.py"));
  struct Pick : FileTypeChooser {
    int pick;
    std::vector<std::u16string> seen;
    int selected = -1;
    std::optional<int> ChooseFileType(const std::vector<std::u16string>& e, int s) override {
      seen = e;
      selected = s;
      return pick;
    }
  } chooser;
  chooser.pick = 1 + int(std::find(t.seq.begin(), t.seq.end(), kTypePerl) - t.seq.begin());
  MatchAndApplyFileType(chosen);
  ChangeFileTypeCommand(chosen, chooser);
  EXPECT_EQ(chooser.seen[0], u"自动");
  EXPECT_EQ(chooser.seen.size(), 28u);
  EXPECT_EQ(chooser.selected, 1 + python);
  EXPECT_EQ(chosen.fileType, kTypePerl);
  EXPECT_TRUE(chosen.fileTypeChosen);
  ApplyFileType(untitled, kTypeCss);

  // The types are saved with the Python type's extension moved to type Ruby.
  const int ruby = TypeNamed(t, u"Ruby");
  t.types[python].extensions.clear();
  t.types[ruby].extensions.push_back(u"py");
  ASSERT_TRUE(SaveFileTypes());
  EXPECT_EQ(py.fileType, ruby);
  EXPECT_EQ(chosen.fileType, kTypePerl);
  EXPECT_EQ(untitled.fileType, kTypeCss);

  // "自动" matches again.
  chooser.pick = 0;
  ChangeFileTypeCommand(chosen, chooser);
  EXPECT_EQ(chosen.fileType, ruby);
  EXPECT_FALSE(chosen.fileTypeChosen);

  // Custom types removed on disk: a document whose type is gone is matched again.
  ASSERT_TRUE(IniStore::WriteInt(SettingIni(), u"Settings", u"Custom", 0));
  LoadFileTypes();
  EXPECT_EQ(t.Count(), 13);
  EXPECT_EQ(py.fileType, 0);
  EXPECT_EQ(untitled.fileType, kTypeCss);
}

TEST_F(FileTypeStorageTest, SyntaxHighlightingCommand) {
  LoadFileTypes();
  int redraws = 0;
  SetFileTypeHooks({nullptr, [&] { ++redraws; }});
  EXPECT_TRUE(SyntaxHighlightingChecked());
  ToggleSyntaxHighlightingCommand();
  EXPECT_FALSE(SyntaxHighlightingChecked());
  EXPECT_EQ(redraws, 1);
  EXPECT_EQ(IniStore::ReadInt(SettingIni(), u"Settings", u"Disable Syntax", -1), 1);
  LoadFileTypes();
  EXPECT_TRUE(AppFileTypes().disableSyntax);
  ToggleSyntaxHighlightingCommand();
  EXPECT_EQ(IniStore::ReadInt(SettingIni(), u"Settings", u"Disable Syntax", -1), 0);
  SetFileTypeHooks({});
}

TEST_F(FileTypesTest, ColorPage) {
  SyntaxDef s;
  ParseSyntaxText(s, u"#KEYWORD=Words\na\n#KEYWORD\nb\n#PREFIX7=$\n#LINECOMMENT2=--\n#QUOTATION1=\"\n"
                     u"#COMMENTON=/*\n#NUMBER_PATTERN=cpp\n");
  std::vector<ColorPageEntry> e = ColorPageEntries(s);
  std::vector<std::pair<std::u16string, int>> got;
  for (auto& x : e) got.emplace_back(x.name, x.slot);
  EXPECT_EQ(got, (std::vector<std::pair<std::u16string, int>>{{u"Words", 0},
                                                              {u"Keyword 2", 1},
                                                              {u"Keyword 7", 12},
                                                              {u"Line comment 2", 6},
                                                              {u"Block comment", 7},
                                                              {u"Quotation", 9},
                                                              {u"Number", 16}}));
  s.specialMode = kSpecialHtml;
  e = ColorPageEntries(s);
  ASSERT_EQ(e.size(), 10u);
  EXPECT_EQ(e[3].name, u"Undefined tags");
  EXPECT_EQ(e[4].slot, 11);
  EXPECT_EQ(KeywordColorSlot(5), 4);
  EXPECT_EQ(KeywordColorSlot(6), 11);
  EXPECT_EQ(KeywordColorSlot(10), 15);
}

}  // namespace
}  // namespace kastrell
