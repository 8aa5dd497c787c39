#include "lang/CompletionTable.h"

#include <gtest/gtest.h>

#include "app/Directories.h"
#include "support/PlatformTest.h"
#include "support/TempDir.h"

namespace kastrell {
namespace {

class CompletionTableTest : public test::PlatformTest {};

std::u16string Expansion(const CompletionTable& t, std::u16string_view word) {
  const std::u16string* e = FindCompletion(t, word);
  return e ? *e : u"<none>";
}

TEST_F(CompletionTableTest, EntriesWithCrLfExpansions) {
  CompletionTable t;
  ParseCompletionBytes(t,
                       "; ignored\r\n#T=if\r\nif (^!)\r\n{\r\n}\r\n#T=for  trailing words\r\nfor (;;)\r\n"
                       "#T=\r\nno keyword\r\n#T=empty\r\n#T=last\r\nend\r\n");
  EXPECT_EQ(t.size(), 3u);
  EXPECT_EQ(Expansion(t, u"if"), u"if (^!)\r\n{\r\n}");
  EXPECT_EQ(Expansion(t, u"IF"), u"if (^!)\r\n{\r\n}");  // not case-sensitive
  EXPECT_EQ(Expansion(t, u"for"), u"for (;;)");
  EXPECT_EQ(Expansion(t, u"empty"), u"<none>");
  EXPECT_EQ(Expansion(t, u"last"), u"end");
  EXPECT_EQ(t.keywords.words()[0], u"IF");  // stored upper-cased
  EXPECT_EQ(t.keywords.BucketCount(), 2u);
}

TEST_F(CompletionTableTest, CaseDirectiveAppliesToTheEntriesAfterIt) {
  CompletionTable t;
  ParseCompletionBytes(t, "#T=One\r\n1\r\n#case=Y\r\n#T=Two\r\n2\r\n");
  EXPECT_TRUE(t.caseSensitive);
  EXPECT_EQ(Expansion(t, u"Two"), u"2");
  EXPECT_EQ(Expansion(t, u"two"), u"<none>");
  EXPECT_EQ(Expansion(t, u"ONE"), u"1");  // stored upper-cased before CASE=y
  EXPECT_EQ(Expansion(t, u"One"), u"<none>");
}

TEST_F(CompletionTableTest, BareLineFeedsDoNotEndAnExpansion) {
  CompletionTable t;
  ParseCompletionBytes(t, "#T=if\nif (^!)\n#T=for\nfor (;;)\n");
  EXPECT_EQ(t.size(), 1u);
  EXPECT_EQ(Expansion(t, u"if"), u"if (^!)\n#T=for\nfor (;;)");
}

TEST_F(CompletionTableTest, Utf16File) {
  std::u16string text = u"#T=\u4F60\r\n\u4F60\u597D\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes.push_back(char(c & 0xFF));
    bytes.push_back(char(c >> 8));
  }
  CompletionTable t;
  ParseCompletionBytes(t, bytes);
  EXPECT_EQ(Expansion(t, u"\u4F60"), u"\u4F60\u597D");
}

TEST_F(CompletionTableTest, AcquireReadsOnceAndCountsEvenWhenTheFileIsMissing) {
  test::TempDir dir;
  AppDirectories().syntax = dir.Path();
  dir.Write("c.acp", "#T=x\r\ny\r\n");
  CompletionTable t;
  AcquireCompletion(t, u"c.acp");
  AcquireCompletion(t, u"c.acp");
  EXPECT_EQ(t.refCount, 2);
  EXPECT_EQ(Expansion(t, u"x"), u"y");
  ReleaseCompletion(t);
  EXPECT_EQ(Expansion(t, u"x"), u"y");
  ReleaseCompletion(t);
  EXPECT_TRUE(t.empty());
  ReleaseCompletion(t);
  EXPECT_EQ(t.refCount, 0);

  CompletionTable missing;
  AcquireCompletion(missing, u"none.acp");
  EXPECT_EQ(missing.refCount, 1);
  EXPECT_TRUE(missing.empty());
  AppDirectories().syntax.clear();
}

}  // namespace
}  // namespace kastrell
