#include "lang/SyntaxDef.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <functional>

#include "app/Directories.h"
#include "lang/DescriptionFile.h"
#include "platform/Utf.h"
#include "support/PlatformTest.h"
#include "support/TempDir.h"
#include "text/CharTables.h"

namespace kastrell {
namespace {

using namespace std::string_literals;

// UTF-16 LE file bytes with the FF FE mark.
std::string Utf16File(std::u16string_view text) {
  std::string out = "\xFF\xFE";
  for (char16_t c : text) {
    out.push_back(char(c & 0xFF));
    out.push_back(char(c >> 8));
  }
  return out;
}

std::string WithBreaks(std::string_view text, std::string_view br) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += br;
    else out.push_back(c);
  }
  return out;
}

std::vector<std::u16string> Words(const SyntaxDef& d, int g) { return d.keywords[g].words(); }

// Every directive once, in a file that exercises the value rules.
constexpr std::string_view kEveryDirective =
    "; a syntax file for tests\n"
    "#DELIMITER=,(\n"
    "#QUOTATION1=\"\n"
    "#QUOTATION2='\n"
    "#LINECOMMENT=// \n"
    "#LINECOMMENT2=^!REM\n"
    "#COMMENTON=/*\n"
    "#COMMENTOFF=*/\n"
    "#COMMENTON2={-\n"
    "#COMMENTOFF2=-}\n"
    "#ESCAPE=\\\n"
    "#CASE=y\n"
    "#AUTOCASE=Yes\n"
    "#PREFIX1=$\n"
    "#PREFIX10=@\n"
    "#SUFFIX2=:\n"
    "#CONTINUE_QUOTE=y\n"
    "#HTML_EMBEDDED=n\n"
    "#SKIP_QUOTE=y\n"
    "#AUTOCOMPLETE_QUOTE=y\n"
    "#SCRIPT_BEGIN=<?php\n"
    "#SCRIPT_END=?>\n"
    "#SPECIAL_STX=Perl\n"
    "#NUMBER_PATTERN=CPP\n"
    "#HEREDOC=<<EOT\n"
    "#keyword=Statements\n"
    "if\n"
    "while ; loop\n"
    "^#include\n"
    ";x\n"
    "  else\n"
    "\n"
    "#KEYWORD\n"
    "int\tcomment after a tab\n"
    "Int\n";

void CheckEveryDirective(const SyntaxDef& d, const std::string& name) {
  SCOPED_TRACE(name);
  EXPECT_EQ(d.groupCount, 2);
  EXPECT_EQ(d.groupNames[0], u"Statements");
  EXPECT_EQ(d.groupNames[1], u"");
  EXPECT_EQ(Words(d, 0), (std::vector<std::u16string>{u"if", u"while", u"#include"}));
  EXPECT_EQ(Words(d, 1), (std::vector<std::u16string>{u"int", u"Int"}));
  EXPECT_EQ(d.quote[0], u'"');
  EXPECT_EQ(d.quote[1], u'\'');
  EXPECT_EQ(d.lineComment[0], u"// ");  // the trailing blank belongs to the value
  EXPECT_EQ(d.lineComment[1], u"REM");
  EXPECT_EQ(d.lineStartOnly, kLineComment2AtLineStart);
  EXPECT_EQ(d.commentOn[0], u"/*");
  EXPECT_EQ(d.commentOff[0], u"*/");
  EXPECT_EQ(d.commentOn[1], u"{-");
  EXPECT_EQ(d.commentOff[1], u"-}");
  EXPECT_EQ(d.escape, u'\\');
  EXPECT_TRUE(d.caseSensitive);
  EXPECT_TRUE(d.autoCase);
  EXPECT_EQ(d.prefix[0], u'$');
  EXPECT_EQ(d.prefix[9], u'@');
  EXPECT_EQ(d.suffix[1], u':');
  EXPECT_TRUE(d.continueQuote);
  EXPECT_FALSE(d.htmlEmbedded);
  EXPECT_TRUE(d.skipQuote);
  EXPECT_TRUE(d.completeInQuotes);
  EXPECT_EQ(d.scriptBegin, u"<?php");
  EXPECT_EQ(d.scriptEnd, u"?>");
  EXPECT_EQ(d.specialMode, kSpecialPerl);
  EXPECT_EQ(d.numberPattern, kNumberPatternCpp);
  EXPECT_EQ(d.heredoc, u"<<EOT");
  // ",(" then prefix and suffix 1..10 in turn, quotes, comment and heredoc starts, escape;
  // R of REM is a letter, "<" of the heredoc is new, "/" comes once.
  ASSERT_TRUE(d.delimiters);
  EXPECT_EQ(*d.delimiters, u",($:@\"'/{<\\");
  const std::u16string* spelling = nullptr;
  EXPECT_EQ(d.FindKeyword(u"Int", &spelling), 1);
  EXPECT_EQ(*spelling, u"Int");
  EXPECT_EQ(d.FindKeyword(u"If"), -1);  // CASE=y
  EXPECT_EQ(d.FindKeywordIgnoringCase(u"WHILE", &spelling), 0);
  EXPECT_EQ(*spelling, u"while");
}

class SyntaxParseTest : public test::PlatformTest {};

TEST_F(SyntaxParseTest, EveryDirectiveInEachEncodingAndLineStyle) {
  for (std::string_view br : {"\n", "\r\n"}) {
    std::string ansi = WithBreaks(kEveryDirective, br);
    std::string label = br.size() == 2 ? "CR LF" : "LF";
    SyntaxDef a;
    ParseSyntaxBytes(a, ansi);
    CheckEveryDirective(a, "ANSI " + label);
    SyntaxDef u;
    ParseSyntaxBytes(u, Utf16File(Utf8ToUtf16(ansi)));
    CheckEveryDirective(u, "UTF-16 " + label);
  }
}

TEST_F(SyntaxParseTest, AnsiBytesUseTheCodePageAndUtf16KeepsWideUnits) {
  SyntaxDef a;
  ParseSyntaxBytes(a, "#KEYWORD=Caf\xE9\nna\xEFve\n");  // the fake ANSI page is Latin-1
  EXPECT_EQ(a.groupNames[0], u"Caf\u00E9");
  EXPECT_EQ(Words(a, 0), std::vector<std::u16string>{u"na\u00EFve"});
  SyntaxDef u;
  ParseSyntaxBytes(u, Utf16File(u"#KEYWORD=\u5173\u952E\u5B57\r\n\u5982\u679C\r\n"));
  EXPECT_EQ(u.groupNames[0], u"\u5173\u952E\u5B57");
  EXPECT_EQ(u.FindKeyword(u"\u5982\u679C"), 0);
  // A UTF-8 mark is ANSI text: the first line is then no directive.
  SyntaxDef bom;
  ParseSyntaxBytes(bom, "\xEF\xBB\xBF#KEYWORD\nx\n#QUOTATION1=\"\n");
  EXPECT_EQ(bom.groupCount, 0);
  EXPECT_EQ(bom.quote[0], u'"');
}

struct DirectiveCase {
  const char* name;
  std::string text;
  // Checked on the result.
  std::function<void(const SyntaxDef&)> check;
};

TEST_F(SyntaxParseTest, DirectiveRules) {
  const std::vector<DirectiveCase> cases = {
      {"quotation without digit ignored", "#QUOTATION=\"\n", [](auto& d) { EXPECT_EQ(d.quote[0], 0); }},
      {"quotation3 ignored", "#QUOTATION3=\"\n", [](auto& d) { EXPECT_EQ(d.quote, (std::array<char16_t, 2>{})); }},
      {"prefix11 and bare prefix ignored", "#PREFIX11=$\n#PREFIX=$\n#PREFIX0=$\n",
       [](auto& d) { EXPECT_EQ(d.FindPrefixGroup(u'$'), -1); }},
      {"prefix10", "#PREFIX10=$\n", [](auto& d) { EXPECT_EQ(d.FindPrefixGroup(u'$'), 9); }},
      {"prefix with trailing letters ignored", "#PREFIX1X=$\n", [](auto& d) { EXPECT_EQ(d.prefix[0], 0); }},
      {"only the first character counts", "#ESCAPE=\\\\x\n", [](auto& d) { EXPECT_EQ(d.escape, u'\\'); }},
      {"empty value ignored", "#LINECOMMENT=//\n#LINECOMMENT=\n",
       [](auto& d) { EXPECT_EQ(d.lineComment[0], u"//"); }},
      {"later line overrides", "#CASE=y\n#CASE=no\n", [](auto& d) { EXPECT_FALSE(d.caseSensitive); }},
      {"keys ignore case", "#linecomment1=#\n#Comment_Not_A_Key=y\n",
       [](auto& d) { EXPECT_EQ(d.lineComment[0], u"#"); }},
      {"no key matches by a character at a fixed position", "#LINECOMMENTX2=--\n#COMMENTONE2=(*\n",
       [](auto& d) {
         EXPECT_EQ(d.lineComment[1], u"");
         EXPECT_EQ(d.commentOn[1], u"");
       }},
      {"numbered comment markers", "#LINECOMMENT2=--\n#COMMENTON1=(*\n#COMMENTOFF2=*)\n",
       [](auto& d) {
         EXPECT_EQ(d.lineComment[1], u"--");
         EXPECT_EQ(d.commentOn[0], u"(*");
         EXPECT_EQ(d.commentOff[1], u"*)");
       }},
      {"a lone ^! is no marker", "#LINECOMMENT=^!\n", [](auto& d) {
         EXPECT_EQ(d.lineComment[0], u"");
         EXPECT_EQ(d.lineStartOnly, 0);
       }},
      {"heredoc of only < ignored", "#HEREDOC=<<<\n", [](auto& d) { EXPECT_EQ(d.heredoc, u""); }},
      {"unknown special mode keeps the mode", "#SPECIAL_STX=cpp\n#SPECIAL_STX=lisp\n",
       [](auto& d) { EXPECT_EQ(d.specialMode, kSpecialCpp); }},
      {"number pattern other than cpp", "#NUMBER_PATTERN=java\n", [](auto& d) { EXPECT_EQ(d.numberPattern, 0); }},
      {"script markers default", "#KEYWORD\nx\n", [](auto& d) {
         EXPECT_EQ(d.scriptBegin, u"<%");
         EXPECT_EQ(d.scriptEnd, u"%>");
       }},
      {"letters are not appended to the delimiters", "#DELIMITER=,\n#LINECOMMENT=REM\n#QUOTATION1=q\n",
       [](auto& d) { EXPECT_EQ(*d.delimiters, u","); }},
      {"escape is appended even when a letter", "#DELIMITER=,\n#ESCAPE=e\n",
       [](auto& d) { EXPECT_EQ(*d.delimiters, u",e"); }},
      {"script begin appended for html mode only", "#DELIMITER=,\n#SPECIAL_STX=html\n#SCRIPT_BEGIN=<?\n",
       [](auto& d) { EXPECT_EQ(*d.delimiters, u",<"); }},
      {"no delimiter line: default set, nothing appended", "#COMMENTON=/*\n#ESCAPE=~\n", [](auto& d) {
         EXPECT_FALSE(d.delimiters);
         EXPECT_EQ(d.IsDelimiter(u'~'), 0);
         EXPECT_EQ(d.IsDelimiter(u'('), 2);
       }},
      {"a very long key is skipped, the next line is read", "#" + std::string(5000, 'Q') + "=y\n#CASE=y\n",
       [](auto& d) { EXPECT_TRUE(d.caseSensitive); }},
      {"text ends at the first NUL", "#QUOTATION1=\"\n\0#QUOTATION2='\n"s, [](auto& d) {
         EXPECT_EQ(d.quote[0], u'"');
         EXPECT_EQ(d.quote[1], 0);
       }},
  };
  for (const DirectiveCase& c : cases) {
    SCOPED_TRACE(c.name);
    SyntaxDef d;
    ParseSyntaxBytes(d, c.text);
    c.check(d);
  }
}

TEST_F(SyntaxParseTest, KeywordGroups) {
  std::string text;
  for (int g = 1; g <= 11; ++g) text += "#KEYWORD=G" + std::to_string(g) + "\nw" + std::to_string(g) + "\n";
  SyntaxDef d;
  ParseSyntaxBytes(d, text);
  EXPECT_EQ(d.groupCount, 10);
  EXPECT_EQ(d.groupNames[9], u"G10");
  EXPECT_EQ(d.FindKeyword(u"w10"), 9);
  EXPECT_EQ(d.FindKeyword(u"w11"), -1);  // the eleventh group is ignored entirely
  EXPECT_EQ(d.FindKeyword(u"w3", nullptr, 2), 2);
  EXPECT_EQ(d.FindKeyword(u"w3", nullptr, 1), -1);
  EXPECT_EQ(d.FindKeyword(u"W3"), 2);  // case-insensitive without CASE

  // Many words: every one is found through its bucket, n / 2 + 1 buckets.
  std::string many = "#KEYWORD\n";
  for (int i = 0; i < 1001; ++i) many += "kw" + std::to_string(i) + "\n";
  SyntaxDef m;
  ParseSyntaxBytes(m, many);
  EXPECT_EQ(m.keywords[0].BucketCount(), 501u);
  for (int i = 0; i < 1001; ++i) ASSERT_EQ(m.FindKeyword(Utf8ToUtf16("KW" + std::to_string(i))), 0) << i;
  EXPECT_EQ(m.FindKeyword(u"kw"), -1);
  EXPECT_EQ(m.FindKeyword(u"kw10011"), -1);

  // An empty list still counts as a group.
  SyntaxDef e;
  ParseSyntaxBytes(e, "#KEYWORD=A\n#KEYWORD=B\nb\n");
  EXPECT_EQ(e.groupCount, 2);
  EXPECT_EQ(e.FindKeyword(u"b"), 1);
}

TEST_F(SyntaxParseTest, QueriesOnMarkersAndDelimiters) {
  const std::u16string text = u"rem xy";
  EXPECT_TRUE(MatchMarker(u"REM", text.data(), text.size(), false));
  EXPECT_FALSE(MatchMarker(u"REM", text.data(), text.size(), true));
  EXPECT_FALSE(MatchMarker(u"", text.data(), text.size(), false));
  EXPECT_FALSE(MatchMarker(u"rem xyz", text.data(), text.size(), false));
  SyntaxDef d;
  EXPECT_EQ(d.IsDelimiter(u'\t'), 1);
  EXPECT_EQ(d.IsDelimiter(u'='), 2);
  EXPECT_EQ(d.IsDelimiter(u'a'), 0);
  EXPECT_EQ(d.IsDelimiter(u'\uFF0C'), 0);
  EXPECT_EQ(d.FindPrefixGroup(0), -1);
  SetDefaultDelimiterSet(u"ab");
  EXPECT_EQ(d.IsDelimiter(u'a'), 2);
  EXPECT_EQ(d.IsDelimiter(u','), 0);
  SetDefaultDelimiterSet(std::u16string(40, u'x') + u",");
  EXPECT_EQ(d.DelimiterSet().size(), 32u);
  SetDefaultDelimiterSet(kDefaultDelimiters);
}

class SyntaxFileTest : public test::PlatformTest {
 protected:
  SyntaxFileTest() { AppDirectories().syntax = dir.Path(); }
  ~SyntaxFileTest() override { AppDirectories().syntax.clear(); }
  test::TempDir dir;
};

TEST_F(SyntaxFileTest, AcquireParsesOnceAndReleaseFreesTheTables) {
  dir.Write("t.stx", "#KEYWORD=K\nalpha\n#QUOTATION1=\"\n");
  SyntaxDef d;
  d.path = u"t.stx";
  ASSERT_TRUE(AcquireSyntax(d));
  EXPECT_EQ(d.refCount, 1);
  EXPECT_EQ(d.FindKeyword(u"alpha"), 0);
  ASSERT_TRUE(AcquireSyntax(d));
  EXPECT_EQ(d.refCount, 2);
  ReleaseSyntax(d);
  EXPECT_EQ(d.FindKeyword(u"alpha"), 0);
  ReleaseSyntax(d);
  EXPECT_EQ(d.refCount, 0);
  EXPECT_EQ(d.groupCount, 0);
  EXPECT_EQ(d.FindKeyword(u"alpha"), -1);
  EXPECT_EQ(d.quote[0], u'"');  // the other values stay until the next parse
  ReleaseSyntax(d);
  EXPECT_EQ(d.refCount, 0);
}

TEST_F(SyntaxFileTest, AFileChangedOnDiskIsParsedAgain) {
  std::string p = dir.Write("t.stx", "#KEYWORD\nalpha\n");
  SyntaxDef d;
  d.path = u"t.stx";
  ASSERT_TRUE(AcquireSyntax(d));
  test::WriteBytes(p, "#KEYWORD\nbeta\ngamma\n");
  ASSERT_TRUE(AcquireSyntax(d));
  EXPECT_EQ(d.refCount, 2);
  EXPECT_EQ(d.FindKeyword(u"alpha"), -1);
  EXPECT_EQ(d.FindKeyword(u"gamma"), 0);
  // A file that vanished leaves the current contents to the users.
  std::remove(p.c_str());
  ASSERT_TRUE(AcquireSyntax(d));
  EXPECT_EQ(d.FindKeyword(u"gamma"), 0);
}

TEST_F(SyntaxFileTest, PathsAndFilesThatAreNotRead) {
  dir.Write("local.stx", "#KEYWORD\nx\n");
  ::mkdir((dir.Path() + "/folder.stx").c_str(), 0700);
  struct Row {
    const char* name;
    std::u16string path;
    bool ok;
  } rows[] = {
      {"empty path", u"", false},
      {"missing file", u"nothing.stx", false},
      {"a directory", u"folder.stx", false},
      {"relative in the syntax directory", u"local.stx", true},
      {"missing absolute falls back to the syntax directory", u"/no/such/dir/local.stx", true},
      {"absolute path", Utf8ToUtf16(dir.Path() + "/local.stx"), true},
      {"a device", u"/dev/zero", false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    SyntaxDef d;
    d.path = r.path;
    EXPECT_EQ(AcquireSyntax(d), r.ok);
    EXPECT_EQ(d.refCount, r.ok ? 1 : 0);
  }
}

}  // namespace
}  // namespace kastrell
