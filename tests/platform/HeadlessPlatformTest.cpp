#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"

namespace kastrell {
namespace {

TEST(HeadlessPlatform, InstallsItselfAndRestoresThePrevious) {
  HeadlessPlatform outer;
  {
    HeadlessPlatform inner;
    EXPECT_EQ(CurrentPlatform().boxes, &inner.boxes);
  }
  EXPECT_EQ(CurrentPlatform().boxes, &outer.boxes);
}

TEST(FakeMessageBoxes, PlaysScriptedAnswersInOrder) {
  FakeMessageBoxes boxes;
  boxes.Expect("first", Answer::Yes, true);
  boxes.Expect(ExpectedBox{"second", Answer::No, false, Buttons::YesNoCancel, Icon::Question});
  MessageResult a = boxes.Show({"the first question", Buttons::YesNo, Icon::Question, {}});
  MessageResult b = boxes.Show({"the second question", Buttons::YesNoCancel, Icon::Question, {}});
  EXPECT_EQ(a.answer, Answer::Yes);
  EXPECT_TRUE(a.shift);
  EXPECT_EQ(b.answer, Answer::No);
  EXPECT_TRUE(boxes.Failures().empty());
  EXPECT_EQ(boxes.Shown().size(), 2u);
}

TEST(FakeMessageBoxes, UnexpectedOrMismatchedBoxFailsAndCancels) {
  FakeMessageBoxes boxes;
  EXPECT_EQ(boxes.Show({"surprise", Buttons::YesNoCancel, Icon::Question, {}}).answer, Answer::Cancel);
  boxes.Expect(ExpectedBox{"text", Answer::Yes, false, Buttons::YesNo, {}});
  EXPECT_EQ(boxes.Show({"text", Buttons::OkCancel, Icon::None, {}}).answer, Answer::Cancel);
  boxes.Expect("never shown", Answer::Ok);
  EXPECT_EQ(boxes.Failures().size(), 3u);
}

TEST(FakeMessageBoxes, RecordsBeeps) {
  FakeMessageBoxes boxes;
  boxes.Beep(BeepKind::Information);
  ASSERT_EQ(boxes.Beeps().size(), 1u);
  EXPECT_EQ(boxes.Beeps()[0], BeepKind::Information);
}

TEST(DefaultAnswer, IsTheCancellingButton) {
  EXPECT_EQ(DefaultAnswer(Buttons::Ok), Answer::Ok);
  EXPECT_EQ(DefaultAnswer(Buttons::YesNo), Answer::No);
  EXPECT_EQ(DefaultAnswer(Buttons::YesNoCancel), Answer::Cancel);
}

}  // namespace
}  // namespace kastrell
