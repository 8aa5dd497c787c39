#include <gtest/gtest.h>

#include "platform/StringData.h"
#include "platform/Strings.h"
#include "platform/Utf.h"

namespace kastrell {
namespace {

TEST(Strings, LooksUpTextsByNumber) {
  struct Row {
    unsigned id;
    const char* text;
  } rows[] = {
      {23547, "文件操作失败。"},
      {21696, "文件大小超过 2 GB。\n\nKastrell 无法编辑大于 2 GB 的文件。"},
      {21704, "\n\n注意: 按住 SHIFT 键重复该答案。"},
      {20070, "文件"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.id);
    EXPECT_TRUE(HasString(r.id));
    EXPECT_EQ(LoadString(r.id), r.text);
  }
}

TEST(Strings, MissingNumberGivesEmptyText) {
  EXPECT_FALSE(HasString(1));
  EXPECT_TRUE(LoadString(1).empty());
  EXPECT_TRUE(LoadStringU16(65535).empty());
}

TEST(Strings, TableIsSortedWithoutDuplicates) {
  ASSERT_GT(kStringEntryCount, 200u);
  for (std::size_t i = 1; i < kStringEntryCount; ++i) EXPECT_LT(kStringEntries[i - 1].id, kStringEntries[i].id);
}

TEST(Strings, U16FormOfChineseText) { EXPECT_EQ(LoadStringU16(20070), u"文件"); }

TEST(Strings, FormatSubstitutesInOrder) {
  EXPECT_EQ(FormatString("a %s b %d c %% %s", {"X", "12"}), "a X b 12 c % %s");
  EXPECT_EQ(FormatString("Unexpected Error GRLIE\n%d", {"7"}), "Unexpected Error GRLIE\n7");
}

TEST(Utf, RoundTripsAndReplacesIllFormedInput) {
  std::u16string all = u"a\u00e9\u4e2d\U0001F600";
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(all)), all);
  EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD");                  // truncated
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");        // overlong
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // surrogate
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace kastrell
