#include "text/Encoding.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

namespace kastrell {
namespace {

TEST(DetectUtf8, Cases) {
  struct Case {
    const char* name;
    std::string bytes;
    bool utf8;
    bool signature;
  } cases[] = {
      {"empty", "", false, false},
      {"ascii only", "abc", false, false},
      {"signature", "\xEF\xBB\xBF", true, true},
      {"signature needs more than two bytes", "\xEF\xBB", false, false},
      {"two-byte sequence", "\xC3\xA9", true, false},
      {"broken two-byte sequence", "\xC3\x41", false, false},
      {"three-byte sequence", "a\xE4\xB8\xAD", true, false},
      {"three-byte sequence cut short", "a\xE4\xB8", false, false},
      {"four-byte sequence (emoji)", "\xF0\x9F\x98\x80", true, false},
      {"four-byte sequence cut short", "\xF0\x9F\x98", false, false},
      {"above U+10FFFF", "\xF4\x90\x80\x80", false, false},
      {"lead byte F5", "\xF5\x80\x80\x80", false, false},
      {"overlong two-byte", "\xC0\xAF", false, false},
      {"overlong three-byte", "\xE0\x80\xAF", false, false},
      {"surrogate", "\xED\xA0\x80", false, false},
      {"continuation out of place", "a\x80" "b", false, false},
      {"FE byte", "\xC3\xA9\xFE" "a", false, false},
      {"only non-ASCII byte is the last", "abc\xE9", false, false},
      {"last byte after a sequence is not examined", "\xC3\xA9\xE9", true, false},
  };
  for (const Case& c : cases) {
    Utf8Detection d = DetectUtf8(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(d.isUtf8, c.utf8) << c.name;
    EXPECT_EQ(d.hasSignature, c.signature) << c.name;
  }
  EXPECT_FALSE(DetectUtf8("\xC3\xA9", 2, /*utf8Supported=*/false).isUtf8);
}

TEST(DetectLineSeparator, Cases) {
  struct Case {
    const char16_t* text;
    LineStyle style;
    bool mixed;
  } cases[] = {
      {u"abc", LineStyle::Mac, false},  // no break: the no-break style passed in
      {u"a\r\nb\r\n", LineStyle::Pc, false},
      {u"a\nb\n", LineStyle::Unix, false},
      {u"a\rb\r", LineStyle::Mac, false},
      {u"a\rb\r\nc\r\n", LineStyle::Pc, true},
      {u"a\nb\rc", LineStyle::Unix, true},  // LF and CR equal, no CR LF
      {u"a\r\nb\nc\n", LineStyle::Unix, true},
      {u"a\r\nb\rc\r", LineStyle::Mac, true},
      {u"a\r\r\n", LineStyle::Pc, true},  // CR CR LF: a lone CR and a CR LF
      {u"a\r\nb\r", LineStyle::Pc, true},  // a final CR is lone
  };
  for (const Case& c : cases) {
    std::u16string t(c.text);
    LineSeparatorDetection d = DetectLineSeparator(t.data(), t.size(), LineStyle::Mac);
    EXPECT_EQ(d.style, c.style) << std::string(t.begin(), t.end());
    EXPECT_EQ(d.mixed, c.mixed) << std::string(t.begin(), t.end());
  }
  std::u16string nul(u"a\r\nb");
  nul[3] = 0;
  EXPECT_TRUE(DetectLineSeparator(nul.data(), nul.size(), LineStyle::Pc).mixed);
  std::u16string onlyNul(1, u'\0');
  LineSeparatorDetection d = DetectLineSeparator(onlyNul.data(), 1, LineStyle::Unix);
  EXPECT_EQ(d.style, LineStyle::Unix);
  EXPECT_TRUE(d.mixed);
}

TEST(RepairLineBreaks, Cases) {
  struct Case {
    std::u16string in;
    std::u16string out;  // empty: nothing to repair
  } cases[] = {
      {u"a\r\nb", u""},
      {u"a\rb\r\nc\r\n", u"a\r\nb\r\nc\r\n"},
      {u"a\r\r\nb", u"a\r\nb"},
      {u"a\nb\r", u"a\r\nb\r\n"},
      {u"\r\r\r\n", u"\r\n\r\n"},
      {std::u16string(u"a\0b", 3), u"a b"},
  };
  for (const Case& c : cases) {
    RepairResult r;
    bool changed = RepairLineBreaks(c.in.data(), c.in.size(), r);
    EXPECT_FALSE(r.outOfMemory);
    if (c.out.empty()) {
      EXPECT_FALSE(changed);
      EXPECT_EQ(r.units, nullptr);
      continue;
    }
    ASSERT_TRUE(changed);
    EXPECT_EQ(std::u16string(r.units, r.count), c.out);
    EXPECT_EQ(r.units[r.count], 0);
    std::free(r.units);
  }
}

TEST(EncodingNames, StatusBarForms) {
  EXPECT_EQ(EncodingName(0, 936), "ANSI");
  EXPECT_EQ(EncodingName(936, 936), "ANSI");
  EXPECT_EQ(EncodingName(1252, 936), "cp1252");
  EXPECT_EQ(EncodingName(1200, 1252), "Unicode");
  EXPECT_EQ(EncodingName(1201, 1252), "U BE");
  EXPECT_EQ(EncodingName(65001, 1252), "UTF-8");
  EXPECT_STREQ(LineStyleName(LineStyle::Unix), "UNIX");
  EXPECT_STREQ(LineStyleName(LineStyle::Pc), "PC");
  EXPECT_STREQ(LineStyleName(LineStyle::Mac), "MAC");
}

}  // namespace
}  // namespace kastrell

namespace kastrell {
namespace {

// The counting rules, one unit at a time, as the reference for the vector path.
LineSeparatorDetection ReferenceCounts(const std::u16string& t) {
  LineSeparatorDetection d;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == u'\r') {
      if (i + 1 < t.size() && t[i + 1] == u'\n') {
        ++d.crlf;
        ++i;
      } else {
        ++d.cr;
      }
    } else if (t[i] == u'\n') {
      ++d.lf;
    } else if (t[i] == 0) {
      ++d.nul;
    }
  }
  return d;
}

TEST(DetectLineSeparator, CountsMatchTheUnitByUnitRuleAtEveryLength) {
  std::mt19937 rng(11);
  const char16_t alphabet[] = {u'a', u'\r', u'\n', 0, u'\x0D0A', u'\xFFFF', u' '};
  for (int round = 0; round < 3000; ++round) {
    std::u16string t(rng() % 70, u'a');
    for (char16_t& c : t) c = alphabet[rng() % (round % 2 ? 3 : 7)];
    LineSeparatorDetection got = DetectLineSeparator(t.data(), t.size(), LineStyle::Pc);
    LineSeparatorDetection want = ReferenceCounts(t);
    ASSERT_EQ(got.crlf, want.crlf) << round;
    ASSERT_EQ(got.cr, want.cr) << round;
    ASSERT_EQ(got.lf, want.lf) << round;
    ASSERT_EQ(got.nul, want.nul) << round;
  }
}

}  // namespace
}  // namespace kastrell
