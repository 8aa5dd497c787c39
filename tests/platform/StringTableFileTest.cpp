#include "platform/StringTableFile.h"

#include <gtest/gtest.h>

namespace kastrell {
namespace {

TEST(StringTableFile, ReadsNumbersOptionalNamesEscapesAndTheVersion) {
  StringTableFile t;
  std::string error;
  ASSERT_TRUE(ParseStringTable("\xEF\xBB\xBF# comment\r\n#version 3.0.0\n\n"
                               "20070\t文件\r\n"
                               "21704\tkShiftHint\t\\n\\n按住 \\\"SHIFT\\\"\\t\\\\\n"
                               "5\tkA1\t\n",
                               t, error))
      << error;
  EXPECT_EQ(t.version, "3.0.0");
  ASSERT_EQ(t.rows.size(), 3u);
  EXPECT_EQ(t.rows[0].id, 20070u);
  EXPECT_EQ(t.rows[0].name, "");
  EXPECT_EQ(t.rows[0].text, "文件");
  EXPECT_EQ(t.rows[0].line, 4);
  EXPECT_EQ(t.rows[1].name, "kShiftHint");
  EXPECT_EQ(t.rows[1].text, "\n\n按住 \"SHIFT\"\t\\");
  EXPECT_EQ(t.rows[2].name, "kA1");
  EXPECT_EQ(t.rows[2].text, "");
}

TEST(StringTableFile, RefusesMalformedLinesNamingTheLine) {
  struct Row {
    const char* name;
    const char* content;
    const char* error;
  };
  const Row rows[] = {
      {"no tab", "1\tok\n20070 text\n", "line 2: expected a number"},
      {"number too large", "65536\tx\n", "line 1: expected a number"},
      {"not a number", "-1\tx\n", "line 1: expected a number"},
      {"raw tab in text", "1\tName\tSize\n", "line 1: a raw tab in the text"},
      {"raw tab after a name", "1\tkName\ta\tb\n", "line 1: a bad escape or a raw tab"},
      {"unknown escape", "1\ta\\qb\n", "line 1: a bad escape"},
      {"escape at the end", "1\tab\\\n", "line 1: a bad escape"},
      {"duplicate number", "1\ta\n\n1\tb\n", "line 3: duplicate number 1"},
      {"duplicate name", "1\tkX\ta\n2\tkX\tb\n", "line 2: duplicate name kX"},
      {"second version", "#version 1\n#version 2\n", "line 2: a second #version"},
      {"ill-formed UTF-8", "1\t\xC0\xAF\n", "line 1: not UTF-8"},
  };
  for (const Row& r : rows) {
    StringTableFile t;
    std::string error;
    EXPECT_FALSE(ParseStringTable(r.content, t, error)) << r.name;
    EXPECT_EQ(error.rfind(r.error, 0), 0u) << r.name << ": " << error;
  }
}

TEST(StringTableFile, FormatDirectivesInOrderWithoutPercentSigns) {
  using V = std::vector<std::string>;
  EXPECT_EQ(FormatDirectives("a %s b %d%% c %.50s “%1”"), (V{"%s", "%d", "%.50s", "%1"}));
  EXPECT_EQ(FormatDirectives("100%% done, %"), V{});
  EXPECT_NE(FormatDirectives("%s then %d"), FormatDirectives("%d then %s"));
}

}  // namespace
}  // namespace kastrell
