#include "search/RegexProgram.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Strings.h"
#include "platform/Utf.h"
#include "support/PlatformTest.h"

namespace kastrell {
namespace {

// "start-end" of the match and " \N=start-end" for each set capture, "none",
// "error" or "too complex".
std::string Render(const RegexProgram& prog, const RegexResult& r) {
  switch (r.status) {
    case RegexStatus::NotFound: return "none";
    case RegexStatus::BadPattern: return "error";
    case RegexStatus::TooComplex: return "too complex";
    case RegexStatus::Found: break;
  }
  std::string s = std::to_string(r.start) + "-" + std::to_string(r.start + r.length);
  for (int i = 1; i < kRegexCaptures; ++i) {
    if (!prog.captureSet(i)) continue;
    s += " \\" + std::to_string(i) + "=" + std::to_string(prog.captureStart(i)) + "-" +
         std::to_string(prog.captureEnd(i));
  }
  if (r.lineEnd) s += " line-end";
  return s;
}

struct SearchRow {
  const char* name;
  std::u16string pattern;
  const char* flags;  // "i": ignore case; "m": text start is not a line start
  std::u16string text;
  const char* expected;
};

class RegexSearchTable : public test::PlatformTest {};

TEST_F(RegexSearchTable, Rows) {
  const SearchRow rows[] = {
      {"dot matches a unit", u"a.c", "", u"abc", "0-3"},
      {"dot never matches CR", u"a.c", "", u"a\rc", "none"},
      {"dot never matches LF", u"a.c", "", u"a\nc", "none"},
      {"negated class never matches LF", u"[^x]", "", u"\n", "none"},
      {"negated class skips CR LF", u"[^x]", "", u"\r\ny", "2-3"},
      {"star on a group repeats it", u"(ab)*c", "", u"xababc", "1-6 \\1=3-5"},
      {"star on a group may match zero times", u"(ab)*c", "", u"c", "0-1"},
      {"plus on a group keeps the last iteration", u"(ab)+", "", u"xababa", "1-5 \\1=3-5"},
      {"optional group absent", u"(ab)?c", "", u"c", "0-1"},
      {"optional group present", u"(ab)?c", "", u"abc", "0-3 \\1=0-2"},
      {"double closure fails", u"x**", "", u"x", "error"},
      {"closure after nothing fails", u"+a", "", u"a", "error"},
      {"closure after a closure fails", u"a*?", "", u"a", "error"},
      {"star on an empty-matching group fails", u"(a?)*", "", u"a", "error"},
      {"plus on an anchor fails", u"^+", "", u"a", "error"},
      {"empty alternative", u"a|", "", u"b", "0-0"},
      {"empty group", u"()b", "", u"b", "0-1 \\1=0-0"},
      {"reversed range fails", u"[z-a]", "", u"a", "error"},
      {"closing bracket first is a member", u"[]a]", "", u"x]", "1-2"},
      {"hyphen last is a member", u"[a-]", "", u"x-", "1-2"},
      {"negated closing bracket first", u"[^]a]", "", u"]ab", "2-3"},
      {"negated hyphen first", u"[^-a]", "", u"-ab", "2-3"},
      {"negated hyphen last", u"[^a-]", "", u"a-b", "2-3"},
      {"dot inside brackets is literal", u"[.]", "", u"ab.", "2-3"},
      {"dot inside brackets matches no letter", u"[.]", "", u"ab", "none"},
      {"range", u"[b-d]+", "", u"abcde", "1-4"},
      {"missing bracket fails", u"[abc", "", u"a", "error"},
      {"trailing backslash fails", u"ab\\", "", u"ab", "error"},
      {"unclosed group fails", u"(ab", "", u"ab", "error"},
      {"unopened group fails", u"ab)", "", u"ab", "error"},
      {"nine groups compile", u"(a)(b)(c)(d)(e)(f)(g)(h)(i)", "", u"abcdefghi",
       "0-9 \\1=0-1 \\2=1-2 \\3=2-3 \\4=3-4 \\5=4-5 \\6=5-6 \\7=6-7 \\8=7-8 \\9=8-9"},
      {"ten groups fail", u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "", u"abcdefghij", "error"},
      {"ignoring case beyond ASCII", u"\u00C4B", "i", u"x\u00E4b", "1-3"},
      {"ignoring case in a class", u"[\u00C4-\u00C6]+", "i", u"\u00E4\u00E5\u00C6", "0-3"},
      {"class first ignoring case", u"[a-c]x", "i", u"QBX", "1-3"},
      {"units that upper-case alike match ignoring case", u"i", "i", u"x\u0131", "1-2"},
      {"literal first ignoring case", u"ab", "i", u"xAB", "1-3"},
      {"case kept", u"\u00C4B", "", u"\u00E4b", "none"},
      {"ignoring case in a negated class", u"[^a]", "i", u"Ab", "1-2"},
      {"line start after CR LF", u"^x", "m", u"ab\r\nx", "4-5"},
      {"no line start at a text start that is none", u"^x", "m", u"x", "none"},
      {"text start is a line start", u"^x", "", u"x", "0-1"},
      {"line start in a later alternative", u"x|^y", "", u"ab\r\ny", "4-5"},
      {"line start inside a group", u"(^y)", "", u"a\r\ny", "3-4 \\1=3-4"},
      {"line start alone is not after CR", u"^y", "", u"a\ry", "none"},
      {"dollar is the text end", u"a$", "", u"a\r\na", "3-4"},
      {"backslash n is CR LF", u"a\\nb", "", u"a\r\nb", "0-4"},
      {"backslash n never matches a lone LF", u"a\\nb", "", u"a\nb", "none"},
      {"backslash n in a class", u"[\\n]+", "", u"x\r\n", "1-3"},
      {"backslash t is TAB", u"a\\tb", "", u"a\tb", "0-3"},
      {"escaped dot", u"a\\.b", "", u"axb a.b", "4-7"},
      {"escaped backslash", u"a\\\\b", "", u"a\\b", "0-3"},
      {"escaped star", u"a\\*", "", u"aa*", "1-3"},
      {"NUL in a literal", std::u16string(u"a\0b", 3), "", std::u16string(u"xa\0b", 4), "1-4"},
      {"NUL in a class", std::u16string(u"[\0]", 3), "", std::u16string(u"x\0", 2), "1-2"},
      {"NUL not matched by a shorter literal", std::u16string(u"a\0b", 3), "", u"ab", "none"},
      {"greedy star backs off", u"a*ab", "", u"aaab", "0-4"},
      {"run before a closure is split", u"abc*", "", u"abccd", "0-4"},
      {"run before a closure without the unit", u"abc*", "", u"abd", "0-2"},
      {"alternatives in order", u"(a|ab)(c|bcd)", "", u"abcd", "0-4 \\1=0-1 \\2=1-4"},
      {"inner capture kept from an earlier iteration", u"((a)|b)+", "", u"ab", "0-2 \\1=1-2 \\2=0-1"},
      {"leftmost match wins", u"b+|a", "", u"xab", "1-2"},
      {"empty pattern matches empty", u"", "", u"abc", "0-0"},
      {"optional dollar", u"a$?", "", u"ab", "0-1"},
  };
  for (const SearchRow& row : rows) {
    RegexProgram prog;
    std::string flags = row.flags;
    RegexResult r;
    if (!RegexCompile(prog, row.pattern)) {
      r.status = RegexStatus::BadPattern;
    } else {
      r = RegexSearch(prog, row.text, 0, flags.find('i') == std::string::npos,
                      flags.find('m') == std::string::npos);
    }
    EXPECT_EQ(Render(prog, r), row.expected) << row.name;
  }
}

struct FindRow {
  const char* name;
  std::u16string pattern;
  std::u16string text;
  std::size_t from;
  const char* expected;
};

class RegexFindTable : public test::PlatformTest {};

TEST_F(RegexFindTable, Rows) {
  const FindRow rows[] = {
      {"trailing dollar before a line break", u"end$", u"the end\r\nx", 0, "4-7"},
      {"trailing dollar at the text end", u"end$", u"the end", 0, "4-7"},
      {"dollar alone is a line end", u"$", u"ab\r\ncd", 0, "2-4 line-end"},
      {"empty match at the very end is none", u"$", u"ab", 0, "none"},
      {"empty line", u"^$", u"a\r\n\r\nb", 1, "3-5 line-end"},
      {"line break before a trailing dollar is kept", u"a\\n$", u"a\r\n", 0, "0-3"},
      {"line break before a trailing dollar mid-text", u"a\\n$", u"a\r\n\r\nb", 0, "0-3"},
      {"escaped dollar is literal", u"a\\$", u"a$\r\n", 0, "0-2"},
      {"escaped backslash then dollar anchors", u"\\\\$", u"a\\\r\nb", 0, "1-2"},
      {"nine groups and a dollar", u"(a)(b)(c)(d)(e)(f)(g)(h)(i)$", u"abcdefghi\r\n", 0,
       "0-9 \\1=0-1 \\2=1-2 \\3=2-3 \\4=3-4 \\5=4-5 \\6=5-6 \\7=6-7 \\8=7-8 \\9=8-9"},
      {"empty first match does not hide a later one", u"x*", u"abxx", 0, "2-4"},
      {"empty matches around a line break are skipped", u"x*", u"a\r\nbxx", 0, "4-6"},
      {"only empty matches", u"x*", u"a\r\nb", 0, "none"},
      {"caret pattern may match empty", u"^", u"ab", 0, "0-0"},
      {"start inside CR LF takes the CR", std::u16string(u"\nb", 2), u"a\r\nb", 0, "1-4"},
      {"search from a column keeps the line context", u"^b", u"ab", 1, "none"},
      {"search from a line start", u"^b", u"a\r\nb", 1, "3-4"},
      {"empty pattern", u"", u"abc", 0, "none"},
      {"empty text", u"a", u"", 0, "none"},
      {"bad pattern", u"a(", u"a", 0, "error"},
  };
  for (const FindRow& row : rows) {
    RegexProgram prog;
    RegexResult r = RegexFind(prog, row.text, row.from, row.pattern, true, true);
    EXPECT_EQ(Render(prog, r), row.expected) << row.name;
  }
}

TEST_F(RegexFindTable, FindLast) {
  struct Row {
    const char* name;
    std::u16string pattern, text;
    const char* expected;
  };
  const Row rows[] = {
      {"last of several", u"a(.)", u"ab ac", "3-5 \\1=4-5"},
      {"caret pattern finds its last line", u"^a", u"ab\r\nab", "4-5"},
      {"line start in an alternative", u"x|^y", u"y\r\nyx", "4-5"},
      {"no match", u"q", u"ab", "none"},
      {"empty matches do not count", u"x*", u"xxab", "1-2"},
      {"line end", u"b$", u"ab\r\nab\r\n", "5-6"},
      {"empty line end", u"$", u"ab\r\nab\r\n", "6-8 line-end"},
      {"bad pattern", u"[a", u"ab", "error"},
      {"never a line start mid-line", u"^b", u"abab", "none"},
  };
  for (const Row& row : rows) {
    RegexProgram prog;
    RegexResult r = RegexFindLast(prog, row.text, 0, row.pattern, true, true);
    EXPECT_EQ(Render(prog, r), row.expected) << row.name;
  }
}

TEST_F(RegexFindTable, RecompilesOnlyWhenThePatternChanges) {
  RegexProgram prog;
  ASSERT_TRUE(RegexFind(prog, u"xab", 0, u"a(b)", true, true).found());
  EXPECT_EQ(prog.source(), u"a(b)");
  EXPECT_EQ(prog.captureText(1), u"b");
  EXPECT_EQ(Render(prog, RegexFind(prog, u"ab", 0, u"(a)b", true, true)), "0-2 \\1=0-1");
  // A program compiled without the trailing "$" rule is compiled again for RegexFind.
  ASSERT_TRUE(RegexCompile(prog, u"a$"));
  EXPECT_EQ(Render(prog, RegexFind(prog, u"a\r\n", 0, u"a$", true, true)), "0-1");
}

class RegexExpandTest : public test::PlatformTest {};

TEST_F(RegexExpandTest, Templates) {
  RegexProgram prog;
  std::u16string text = u"xabbc";
  ASSERT_TRUE(RegexCompile(prog, u"a(b+)c"));
  ASSERT_TRUE(RegexSearch(prog, text, 0, true, true).found());
  // The captures are copies: editing the text before expanding changes nothing.
  text.assign(u"zzzzz");
  struct Row { std::u16string templ, expected; };
  const Row rows[] = {
      {u"<\\1>", u"<bb>"},      {u"&-\\0", u"abbc-abbc"}, {u"\\&", u"&"},  {u"\\q", u"\\q"},
      {u"\\n", u"\r\n"},        {u"\\t", u"\t"},          {u"\\\\", u"\\"}, {u"\\2", u""},
      {u"end\\", u"end\\"},     {u"", u""},               {u"\\\\1", u"\\1"},
  };
  for (const Row& row : rows) {
    std::optional<std::u16string> out = RegexExpand(prog, row.templ);
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(Utf16ToUtf8(*out), Utf16ToUtf8(row.expected)) << Utf16ToUtf8(row.templ);
  }
  RegexProgram none;
  EXPECT_FALSE(RegexExpand(none, u"&").has_value());
}

class RegexBudgetTest : public test::PlatformTest {};

TEST_F(RegexBudgetTest, CatastrophicPatternsStop) {
  EXPECT_FALSE(LoadString(kRegexTooComplexString).empty());
  // 25 optional units before 25 required ones: 2^25 ways to fail.
  std::u16string pattern;
  for (int i = 0; i < 25; ++i) pattern += u"a?";
  for (int i = 0; i < 25; ++i) pattern += u"a";
  std::u16string text(24, u'a');
  RegexProgram prog;
  ASSERT_TRUE(RegexCompile(prog, pattern));
  EXPECT_EQ(RegexSearch(prog, text, 0, true, true).status, RegexStatus::TooComplex);

  // A closure that scans to the end of a long line at every start position.
  std::u16string line = u"q" + std::u16string(1 << 20, u'a');
  ASSERT_TRUE(RegexCompile(prog, u"[a-z]+q"));
  prog.setStepBudget(5'000'000);
  EXPECT_EQ(RegexSearch(prog, line, 0, true, true).status, RegexStatus::TooComplex);
  EXPECT_EQ(RegexFind(prog, line, 0, u"[a-z]+q", true, true).status, RegexStatus::TooComplex);
  EXPECT_EQ(RegexFindLast(prog, line, 0, u"[a-z]+q", true, true).status, RegexStatus::TooComplex);
}

// All matches of one operation draw from one budget: a pattern that costs a
// little per match cannot run for the square of the text's length.
TEST_F(RegexBudgetTest, OneBudgetForAllMatchesOfAnOperation) {
  const std::u16string text(4000, u'a');
  const std::u16string pattern = u"a*b|a";  // every match first scans to the end for a "b"
  RegexProgram prog;
  prog.setStepBudget(100'000);  // one search fits easily, all 4000 of them do not
  ASSERT_EQ(RegexFind(prog, text, 0, pattern, true, true).status, RegexStatus::Found);
  auto run = [&](RegexBudget* budget) {
    int found = 0;
    for (std::size_t from = 0; from < text.size();) {
      RegexResult r = RegexFind(prog, text, from, pattern, true, true, budget);
      if (r.status == RegexStatus::TooComplex) return -found;
      if (!r.found()) break;
      ++found;
      from = r.start + r.length;
    }
    return found;
  };
  EXPECT_EQ(run(nullptr), 4000) << "without an operation budget each search has its own";
  RegexBudget budget(prog, text.size());
  int found = run(&budget);
  EXPECT_LT(found, 0) << "the operation should have stopped with TooComplex";
  EXPECT_GT(-found, 5);
  EXPECT_EQ(budget.remaining, 0u);
}

// A class test costs by the size of the class: the same search over a big
// class runs out where one over a small class does not.
TEST_F(RegexBudgetTest, ClassesCostByTheirSize) {
  std::u16string big = u"[";
  for (char16_t u = 0x400; u < 0x400 + 2 * 500; u += 2) big += {u, u'-', char16_t(u)};  // 500 ranges
  big += u"a]*[qz]";
  const std::u16string text(20000, u'a');
  RegexProgram small, large;
  ASSERT_TRUE(RegexCompile(small, u"[ab]*[qz]"));
  ASSERT_TRUE(RegexCompile(large, big));
  for (RegexProgram* p : {&small, &large}) p->setStepBudget(200'000);
  EXPECT_EQ(RegexSearch(small, text, 19800, true, true).status, RegexStatus::NotFound);
  EXPECT_EQ(RegexSearch(large, text, 19800, true, true).status, RegexStatus::TooComplex);
}

TEST_F(RegexBudgetTest, LongLoopsNeedNoMachineStack) {
  std::u16string text;
  for (int i = 0; i < 200000; ++i) text += u"ab";
  RegexProgram prog;
  ASSERT_TRUE(RegexCompile(prog, u"(ab)+$"));
  RegexResult r = RegexSearch(prog, text, 0, true, true);
  ASSERT_TRUE(r.found());
  EXPECT_EQ(r.length, text.size());
  EXPECT_EQ(prog.captureStart(1), text.size() - 2);

  // Backward search over one long run of matches finds the last without
  // searching again after each of them.
  std::u16string run(1 << 20, u'a');
  r = RegexFindLast(prog, run, 0, u"(a)+", true, true);
  ASSERT_TRUE(r.found());
  EXPECT_EQ(r.start, run.size() - 1);
  EXPECT_EQ(prog.captureStart(1), run.size() - 1);
}

TEST_F(RegexBudgetTest, LiteralsLongerThanOneNode) {
  std::u16string pattern(70000, u'a');
  pattern += u'b';
  std::u16string text = u"x" + pattern;
  RegexProgram prog;
  ASSERT_TRUE(RegexCompile(prog, pattern));
  RegexResult r = RegexSearch(prog, text, 0, true, true);
  ASSERT_TRUE(r.found());
  EXPECT_EQ(r.start, 1u);
  EXPECT_EQ(r.length, pattern.size());
  text[40000] = u'c';
  EXPECT_FALSE(RegexSearch(prog, text, 0, true, true).found());
}

TEST_F(RegexBudgetTest, Hints) {
  RegexProgram prog;
  ASSERT_TRUE(RegexCompile(prog, u"abc"));
  EXPECT_EQ(prog.firstUnit(), u'a');
  ASSERT_TRUE(RegexCompile(prog, u"^#define"));
  EXPECT_TRUE(prog.anchored());
  ASSERT_TRUE(RegexCompile(prog, u"[A-Z_]+_MAX"));
  EXPECT_EQ(prog.requiredText(), u"_MAX");
  ASSERT_TRUE(RegexCompile(prog, u"a|b"));
  EXPECT_FALSE(prog.firstUnit().has_value());
  EXPECT_TRUE(prog.requiredText().empty());
}

}  // namespace
}  // namespace kastrell
