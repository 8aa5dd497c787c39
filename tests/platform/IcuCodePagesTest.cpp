#include "platform/posix/IcuCodePages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/headless/FakeSystemInfo.h"

namespace kastrell {
namespace {

std::u16string Decode(IcuCodePages& cp, int page, const std::string& bytes, DecodeMode mode, bool* ok = nullptr) {
  std::u16string out(bytes.size() * 2 + 4, u'\0');
  ConvertResult r = cp.ToUtf16(page, bytes.data(), bytes.size(), mode, out.data(), out.size());
  if (ok) *ok = r.ok;
  out.resize(r.ok ? r.length : 0);
  return out;
}

std::string Encode(IcuCodePages& cp, int page, const std::u16string& units, bool* usedDefault = nullptr) {
  ConvertResult need = cp.FromUtf16(page, units.data(), units.size(), nullptr, 0);
  std::string out(need.length, '\0');
  ConvertResult r = cp.FromUtf16(page, units.data(), units.size(), out.data(), out.size());
  EXPECT_TRUE(r.ok);
  if (usedDefault) *usedDefault = r.usedDefault;
  out.resize(r.length);
  return out;
}

// Every byte sequence of one or two bytes that the code page defines.
std::string DefinedSequences(IcuCodePages& cp, int page, std::size_t& count) {
  std::string all;
  count = 0;
  std::vector<std::string> candidates;
  for (int b = 0; b < 256; ++b) candidates.push_back(std::string(1, char(b)));
  for (int lead = 0x81; lead <= 0xFE; ++lead)
    for (int trail = 0x40; trail <= 0xFE; ++trail) candidates.push_back({char(lead), char(trail)});
  for (const std::string& s : candidates) {
    bool ok = false;
    std::u16string u = Decode(cp, page, s, DecodeMode::Strict, &ok);
    if (!ok || u.empty()) continue;
    all += s;
    ++count;
  }
  return all;
}

TEST(IcuCodePages, StrictlyDecodedTextEncodesBackByteForByte) {
  IcuCodePages cp(1252);
  struct Case {
    int page;
    std::size_t atLeast;  // defined sequences expected
  } cases[] = {{1252, 256}, {1251, 255}, {936, 20000}, {932, 7000}, {949, 17000}, {950, 13000}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    std::size_t count = 0;
    std::string all = DefinedSequences(cp, c.page, count);
    EXPECT_GE(count, c.atLeast);
    bool ok = false;
    std::u16string text = Decode(cp, c.page, all, DecodeMode::Strict, &ok);
    ASSERT_TRUE(ok);
    bool usedDefault = true;
    EXPECT_EQ(Encode(cp, c.page, text, &usedDefault), all);
    EXPECT_FALSE(usedDefault);
  }
}

TEST(IcuCodePages, TheFiveUndefinedBytesOf1252MapToC1Controls) {
  IcuCodePages cp(1252);
  for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
    bool ok = false;
    std::u16string u = Decode(cp, 1252, std::string(1, char(b)), DecodeMode::Strict, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(u, std::u16string(1, char16_t(b)));
  }
}

TEST(IcuCodePages, DuplicateMappingsFailStrictDecoding) {
  IcuCodePages cp(932);
  // ED 40 (an NEC-selected IBM extension) decodes to the same character as the
  // IBM extension FA 5C, which is what encoding writes: strict decoding refuses
  // it, lenient decoding keeps the character.
  bool ok = true;
  Decode(cp, 932, "\xED\x40", DecodeMode::Strict, &ok);
  EXPECT_FALSE(ok);
  std::u16string lenient = Decode(cp, 932, "\xED\x40", DecodeMode::Lenient, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(lenient, u"\u7E8A");
}

TEST(IcuCodePages, LenientDecodingSubstitutesAndStrictReports) {
  IcuCodePages cp(1252);
  struct Case {
    int page;
    std::string bytes;
    std::u16string lenient;
  } cases[] = {
      {1253, "a\xFF" "b", u"a\uFFFDb"},  // undefined in Greek
      {936, "a\x81", u"a\uFFFD"},        // a lead byte without its trail byte
      {65001, "a\xC3(", u"a\uFFFD("},
      {20127, "\xE9", u"\uFFFD"},
  };
  for (const Case& c : cases) {
    bool ok = true;
    Decode(cp, c.page, c.bytes, DecodeMode::Strict, &ok);
    EXPECT_FALSE(ok) << c.page;
    EXPECT_EQ(Decode(cp, c.page, c.bytes, DecodeMode::Lenient, &ok), c.lenient) << c.page;
    EXPECT_TRUE(ok);
  }
}

TEST(IcuCodePages, EncodingReportsUnmappableUnitsWithoutBestFit) {
  IcuCodePages cp(1252);
  bool usedDefault = false;
  EXPECT_EQ(Encode(cp, 1252, u"a\u4E2Db\u20AC", &usedDefault), "a?b\x80");
  EXPECT_TRUE(usedDefault);
  // U+0100 has a best-fit "A" in ICU's table; it must be reported instead.
  EXPECT_EQ(Encode(cp, 1252, u"\u0100", &usedDefault), "?");
  EXPECT_TRUE(usedDefault);
  // Lone surrogates, in the middle and at the very end, are unmappable too.
  EXPECT_EQ(Encode(cp, 1252, std::u16string(u"a\xDC00" "b\xD800", 4), &usedDefault), "a?b?");
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ(Encode(cp, 936, std::u16string(u"\xD800", 1), &usedDefault), "?");
  EXPECT_TRUE(usedDefault);
  EXPECT_EQ(Encode(cp, 936, u"\u4E2D", &usedDefault), "\xD6\xD0");
  EXPECT_FALSE(usedDefault);
  EXPECT_EQ(Encode(cp, 65001, u"\U0001F600", &usedDefault), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Encode(cp, 65001, std::u16string(1, char16_t(0xD800)), &usedDefault), "\xEF\xBF\xBD");
  EXPECT_TRUE(usedDefault);
}

TEST(IcuCodePages, TooSmallDestinationIsReportedNotTruncated) {
  IcuCodePages cp(1252);
  char16_t small[2];
  ConvertResult r = cp.ToUtf16(1252, "abcd", 4, DecodeMode::Strict, small, 2);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.overflow);
  ConvertResult need = cp.ToUtf16(1252, "abcd", 4, DecodeMode::Strict, nullptr, 0);
  EXPECT_TRUE(need.ok);
  EXPECT_EQ(need.length, 4u);
  char out[2];
  r = cp.FromUtf16(936, u"\u4E2D\u4E2D", 2, out, 2);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.overflow);
}

TEST(IcuCodePages, AvailablePagesAndValidity) {
  IcuCodePages cp(936);
  EXPECT_EQ(cp.AnsiCodePage(), 936);
  for (int page : {0, 437, 874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258, 20127,
                   28591, 28592, 51932, 54936, 65001})
    EXPECT_TRUE(cp.IsValidCodePage(page)) << page;
  for (int page : {-1, 1, 99999}) EXPECT_FALSE(cp.IsValidCodePage(page)) << page;
  std::vector<int> pages = cp.AvailableCodePages();
  EXPECT_TRUE(std::is_sorted(pages.begin(), pages.end()));
  EXPECT_GT(pages.size(), 40u);
}

TEST(AnsiCodePage, FromLocaleAndOverride) {
  struct Case {
    const char* locale;
    int cp;
  } cases[] = {{"zh_CN.UTF-8", 936}, {"zh_SG", 936},   {"zh_TW.Big5", 950}, {"zh_HK.UTF-8", 950},
               {"ja_JP.UTF-8", 932}, {"ko_KR", 949},   {"ru_RU.UTF-8", 1251}, {"uk_UA", 1251},
               {"bg_BG", 1251},      {"pl_PL", 1250},  {"cs_CZ", 1250},     {"el_GR", 1253},
               {"tr_TR", 1254},      {"he_IL", 1255},  {"ar_EG", 1256},     {"lt_LT", 1257},
               {"vi_VN", 1258},      {"th_TH", 874},   {"en_US.UTF-8", 1252}, {"C", 1252},
               {"de_DE@euro", 1252}};
  for (const Case& c : cases) EXPECT_EQ(AnsiCodePageForLocale(c.locale), c.cp) << c.locale;

  FakeSystemInfo sys;
  EXPECT_EQ(AnsiCodePageFromEnvironment(sys), 1252);
  sys.SetEnv("LANG", "ja_JP.UTF-8");
  EXPECT_EQ(AnsiCodePageFromEnvironment(sys), 932);
  sys.SetEnv("LC_ALL", "ko_KR.UTF-8");
  EXPECT_EQ(AnsiCodePageFromEnvironment(sys), 949);
  sys.SetEnv("KASTRELL_ACP", "936");
  EXPECT_EQ(AnsiCodePageFromEnvironment(sys), 936);
  sys.SetEnv("KASTRELL_ACP", "bogus");  // ignored, the locale decides
  EXPECT_EQ(AnsiCodePageFromEnvironment(sys), 949);
  // Values that cannot be an ANSI code page are refused with a reason, never used.
  for (const char* bad : {"1200", "1201", "4242", "0", "99999", "bogus"}) {
    sys.SetEnv("KASTRELL_ACP", bad);
    EXPECT_EQ(AnsiCodePageFromEnvironment(sys), 949) << bad;
    EXPECT_FALSE(AnsiCodePageRefusal(bad).empty()) << bad;
  }
  EXPECT_NE(AnsiCodePageRefusal("1200").find("UTF-16"), std::string::npos);
  for (const char* good : {"1252", "936", "65001"}) EXPECT_EQ(AnsiCodePageRefusal(good), "") << good;
}

}  // namespace
}  // namespace kastrell

#include <unicode/ustring.h>

#include <random>

#include "platform/Utf.h"

namespace kastrell {
namespace {

// Our UTF-8 decoder against ICU's strict one, over random mixes of ASCII runs
// (long enough for the vector path) and pieces of valid and broken sequences.
TEST(Utf8Decoder, AgreesWithIcuOnValidityAndText) {
  std::mt19937 rng(5);
  const std::string pieces[] = {"abcdefghijklmnopqrstuvwxyz0123456789", "\xC3\xA9", "\xE4\xB8\xAD", "\xF0\x9F\x98\x80",
                                "\xC3", "\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE0\x80\xAF", "\r\n", "\xFF"};
  for (int round = 0; round < 3000; ++round) {
    std::string s;
    int parts = int(rng() % 8);
    for (int k = 0; k < parts; ++k) s += pieces[rng() % (round % 3 ? 4 : 11)];
    std::u16string ours(s.size(), u'\0');
    std::size_t n = 0;
    bool ok = Utf8ToUtf16(s.data(), s.size(), ours.data(), true, n);
    std::u16string icu(s.size() + 1, u'\0');
    int32_t m = 0;
    UErrorCode err = U_ZERO_ERROR;
    u_strFromUTF8(reinterpret_cast<UChar*>(icu.data()), int32_t(icu.size()), &m, s.data(), int32_t(s.size()), &err);
    ASSERT_EQ(ok, U_SUCCESS(err)) << round;
    if (ok) {
      ASSERT_EQ(ours.substr(0, n), icu.substr(0, std::size_t(m))) << round;
    }
    // Lenient decoding never fails and keeps every valid piece.
    ASSERT_TRUE(Utf8ToUtf16(s.data(), s.size(), ours.data(), false, n));
  }
}

}  // namespace
}  // namespace kastrell
