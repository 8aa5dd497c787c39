#include "text/CharTables.h"

#include <gtest/gtest.h>

namespace kastrell {
namespace {

TEST(CharTables, CaseMappingOfSingleUnits) {
  struct Row { char16_t in, upper, lower; };
  const Row rows[] = {
      {u'a', u'A', u'a'},          {u'Z', u'Z', u'z'},           {u'1', u'1', u'1'},
      {u'\u00E4', u'\u00C4', u'\u00E4'},  // a with diaeresis
      {u'\u00FF', u'\u0178', u'\u00FF'},  // y with diaeresis upper-cases above 255
      {u'\u03B1', u'\u0391', u'\u03B1'},  // Greek alpha, through the platform mapping
      {u'\u00DF', u'\u00DF', u'\u00DF'},  // sharp s has no one-unit upper case
      {char16_t(0xD800), char16_t(0xD800), char16_t(0xD800)},  // surrogates stay
      {0, 0, 0},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(UpperUnit(r.in), r.upper) << int(r.in);
    EXPECT_EQ(LowerUnit(r.in), r.lower) << int(r.in);
  }
  for (unsigned u = 0; u < 256; ++u) EXPECT_EQ(UpperTable()[u], UpperUnit(char16_t(u)));
}

TEST(CharTables, KeywordHashIgnoresCase) {
  EXPECT_EQ(KeywordHash(u"while"), KeywordHash(u"WHILE"));
  EXPECT_EQ(KeywordHash(u"ab"), std::uint32_t('A') * 31u + 'B');
  EXPECT_NE(KeywordHash(u"ab"), KeywordHash(u"ba"));
}

TEST(CharTables, DelimiterKinds) {
  EXPECT_EQ(kDefaultDelimiters.size(), 18u);
  struct Row { char16_t u; int kind; };
  const Row rows[] = {{u' ', 1}, {u'\t', 1}, {u'\r', 1}, {u'\n', 1}, {u',', 2}, {u'=', 2},
                      {u'\'', 2}, {u'a', 0}, {u'_', 0}, {u'\u00B7', 0}, {u'\uFF0C', 0}};
  for (const Row& r : rows) EXPECT_EQ(DelimiterKind(r.u, kDefaultDelimiters), r.kind) << int(r.u);
  // Units above 255 never delimit, even when the set names them.
  EXPECT_EQ(DelimiterKind(u'\uFF0C', u"\uFF0C"), 0);
  EXPECT_EQ(DelimiterKind(u'_', u"_"), 2);
}

}  // namespace
}  // namespace kastrell
