#include <gtest/gtest.h>

#include <vector>

#include "text/LineRecord.h"

namespace kastrell {
namespace {

TEST(LineRecord, GrowthOneUnitAtATimeFollowsTheQuarterStep) {
  LineRecord rec = MakeLineRecord(u"", 0);
  ASSERT_EQ(rec.length, 1);
  ASSERT_EQ(rec.capacity, 1);
  std::vector<int> capacities;
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(SetLineStoreLength(rec, rec.length + 1));
    if (capacities.empty() || capacities.back() != rec.capacity) capacities.push_back(rec.capacity);
  }
  EXPECT_EQ(capacities, (std::vector<int>{17, 33, 49, 65, 81, 101}));
  ReleaseLineStore(rec);
}

TEST(LineRecord, ShrinkReallocatesOnlyWhenMoreThanHalfIsEmpty) {
  LineRecord rec = MakeLineRecord(u"", 0);
  for (int i = 0; i < 100; ++i) SetLineStoreLength(rec, rec.length + 1);
  LineRecord copy = MakeLineRecord(u"", 0);
  for (int i = 0; i < 100; ++i) SetLineStoreLength(copy, copy.length + 1);

  ASSERT_TRUE(SetLineStoreLength(rec, 11));  // 90 deleted at once
  EXPECT_EQ(rec.capacity, 11);

  for (int i = 0; i < 90; ++i) SetLineStoreLength(copy, copy.length - 1);  // one at a time
  EXPECT_EQ(copy.length, 11);
  EXPECT_EQ(copy.capacity, 17);
  ReleaseLineStore(rec);
  ReleaseLineStore(copy);
}

TEST(LineRecord, ZeroLengthReleasesTheStoreAndCache) {
  LineRecord rec = MakeLineRecord(u"abc", 3);
  rec.displayCache = static_cast<ColourRun*>(std::malloc(sizeof(ColourRun)));
  rec.displayCacheCount = 1;
  ASSERT_TRUE(SetLineStoreLength(rec, 0));
  EXPECT_EQ(rec.text, nullptr);
  EXPECT_EQ(rec.displayCache, nullptr);
  EXPECT_EQ(rec.displayCacheCount, -1);
  EXPECT_EQ(rec.capacity, 0);
  EXPECT_EQ(rec.length, 0);
}

TEST(LineRecord, BlockStoreIsCopiedOutOnGrowthAndNeverFreed) {
  char16_t block[] = u"shared";
  LineRecord rec;
  rec.text = block;
  rec.length = rec.capacity = 7;
  rec.storeInBlock = 1;
  ASSERT_TRUE(SetLineStoreLength(rec, 8));
  EXPECT_NE(rec.text, block);
  EXPECT_EQ(rec.storeInBlock, 0);
  EXPECT_EQ(std::u16string(rec.text, 6), u"shared");
  ReleaseLineStore(rec);
  EXPECT_EQ(std::u16string(block), u"shared");
}

}  // namespace
}  // namespace kastrell
