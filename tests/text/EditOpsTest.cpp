// The edit operations and the undo history on small documents: change
// reports, typing runs, groups, the modified flag, folds and rows.
#include <gtest/gtest.h>

#include "support/PlatformTest.h"
#include "text/EditTestUtil.h"

namespace kastrell {
namespace {

using test::Fill;
using test::Lines;
using Text = std::vector<std::u16string>;
constexpr TextPos kEnd{kRepaintToEnd, 0};

class EditOpsTest : public test::PlatformTest {
 protected:
  EditOpsTest() { doc.SetTitle("a.txt"); }
  CMyEditDoc doc;
  TextBuffer& b = doc.Buffer();
  EditOps& ops = doc.Edits();

  void Type(TextPos at, std::u16string_view units) {
    for (char16_t c : units) {
      ASSERT_TRUE(ops.InsertText(at, std::u16string_view(&c, 1), kUndoUser));
      at = b.LastChange().end;
    }
  }
  const UndoStep& LastStep(HistoryList list = HistoryList::Undo) { return ops.History().Steps(list).back(); }
  std::size_t Beeps() { return hp.boxes.Beeps().size(); }
};

// ---------------------------------------------------------------- change reports

struct ReportCase {
  const char* name;
  Text before;
  int op;  // 0 insert, 1 delete, 2 replace
  TextPos a, b;
  std::u16string text;
  Text after;
  ChangeReport report;
};

TEST_F(EditOpsTest, ChangeReports) {
  const ReportCase cases[] = {
      {"insert in a line", {u"abc", u"d"}, 0, {0, 1}, {}, u"XY", {u"aXYbc", u"d"}, {{0, 1}, {0, 3}, {0, 5}}},
      {"insert x CR LF splits the line", {u"0", u"1", u"abcd", u"3"}, 0, {2, 1}, {}, u"x\r\n",
       {u"0", u"1", u"ax", u"bcd", u"3"}, {{2, 1}, {3, 0}, kEnd}},
      {"CR LF at the end gives an empty last piece", {u"ab"}, 0, {0, 2}, {}, u"\r\n", {u"ab", u""}, {{0, 2}, {1, 0}, kEnd}},
      {"lone CR and LF stay in the line", {u"ab"}, 0, {0, 1}, {}, u"\r\n\r\n", {u"a", u"", u"b"}, {{0, 1}, {2, 0}, kEnd}},
      {"lone CR and LF are units", {u"ab"}, 0, {0, 1}, {}, u"\n\r", {u"a\n\rb"}, {{0, 1}, {0, 3}, {0, 4}}},
      {"text beginning with NUL", {u"ab"}, 0, {0, 1}, {}, std::u16string(u"\0z", 2),
       {std::u16string(u"a\0zb", 4)}, {{0, 1}, {0, 3}, {0, 4}}},
      {"delete within a line", {u"abcdef"}, 1, {0, 1}, {0, 4}, {}, {u"aef"}, {{0, 1}, {0, 1}, {0, 3}}},
      {"delete across lines", {u"abc", u"def", u"ghi"}, 1, {0, 2}, {2, 1}, {}, {u"abhi"}, {{0, 2}, {0, 2}, kEnd}},
      {"replace with a longer text", {u"abc"}, 2, {0, 1}, {0, 2}, u"XYZ", {u"aXYZc"}, {{0, 1}, {0, 4}, {0, 5}}},
      {"replace with nothing ends at the start", {u"abc", u"def"}, 2, {0, 1}, {1, 1}, u"", {u"aef"},
       {{0, 1}, {0, 1}, kEnd}},
      {"replace an empty range inserts", {u"abc"}, 2, {0, 3}, {0, 3}, u"\r\nz", {u"abc", u"z"}, {{0, 3}, {1, 1}, kEnd}},
  };
  for (const ReportCase& c : cases) {
    SCOPED_TRACE(c.name);
    Fill(b, c.before);
    bool ok = c.op == 0   ? ops.InsertText(c.a, c.text, kUndoUser)
              : c.op == 1 ? ops.DeleteRange(c.a, c.b, kUndoUser)
                          : ops.ReplaceRange(c.a, c.b, c.text, kUndoUser);
    ASSERT_TRUE(ok);
    EXPECT_EQ(Lines(b), c.after);
    EXPECT_EQ(b.LastChange().first, c.report.first);
    EXPECT_EQ(b.LastChange().end, c.report.end);
    EXPECT_EQ(b.LastChange().repaintEnd, c.report.repaintEnd);
    ASSERT_TRUE(ops.Undo());
    EXPECT_EQ(Lines(b), c.before);
  }
}

TEST_F(EditOpsTest, RefusalsChangeAndRecordNothing) {
  Fill(b, {u"abc", u"de"});
  struct Case {
    const char* name;
    bool ok;
  } cases[] = {
      {"insert nothing", ops.InsertText({0, 0}, u"", kUndoUser)},
      {"insert past the line", ops.InsertText({0, 4}, u"x", kUndoUser)},
      {"insert below the last line", ops.InsertText({2, 0}, u"x", kUndoUser)},
      {"insert at a negative column", ops.InsertText({0, -1}, u"x", kUndoUser)},
      {"delete an empty range", ops.DeleteRange({0, 2}, {0, 2}, kUndoUser)},
      {"delete a reversed range", ops.DeleteRange({1, 0}, {0, 2}, kUndoUser)},
      {"delete past the end", ops.DeleteRange({0, 0}, {1, 3}, kUndoUser)},
      {"replace an empty range with nothing", ops.ReplaceRange({0, 1}, {0, 1}, u"", kUndoUser)},
      {"move an empty range", ops.MoveText({0, 1}, {0, 1}, {1, 0}, kUndoUser)},
      {"move to a bad place", ops.MoveText({0, 0}, {0, 1}, {1, 9}, kUndoUser)},
      {"delete char at the end of the last line", ops.DeleteChar({1, 2}, kUndoUser)},
      {"backspace at the start", ops.Backspace({0, 0}, kUndoUser)},
  };
  for (const Case& c : cases) EXPECT_FALSE(c.ok) << c.name;
  EXPECT_EQ(Lines(b), (Text{u"abc", u"de"}));
  EXPECT_FALSE(ops.CanUndo());
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(doc.Title(), "a.txt");
}

TEST_F(EditOpsTest, MovingATextIntoItsOwnRangeIsRefusedWithABeep) {
  Fill(b, {u"abcdef", u"gh"});
  EXPECT_FALSE(ops.MoveText({0, 1}, {1, 1}, {0, 3}, kUndoUser));
  EXPECT_FALSE(ops.MoveText({0, 1}, {0, 4}, {0, 2}, kUndoUser));
  EXPECT_EQ(Beeps(), 2u);
  EXPECT_EQ(Lines(b), (Text{u"abcdef", u"gh"}));
  EXPECT_FALSE(ops.CanUndo());
  // Its own ends are fine and change nothing.
  EXPECT_TRUE(ops.MoveText({0, 1}, {0, 4}, {0, 4}, kUndoUser));
  EXPECT_TRUE(ops.MoveText({0, 1}, {0, 4}, {0, 1}, kUndoUser));
  EXPECT_EQ(Lines(b), (Text{u"abcdef", u"gh"}));
}

TEST_F(EditOpsTest, MoveTextAndItsUndo) {
  struct Case {
    const char* name;
    TextPos start, end, dest;
    Text after;
  } cases[] = {
      {"forwards in a line", {0, 0}, {0, 2}, {0, 5}, {u"cdeabf", u"gh", u"ij"}},
      {"backwards in a line", {0, 3}, {0, 5}, {0, 1}, {u"adebcf", u"gh", u"ij"}},
      {"lines down", {0, 2}, {1, 1}, {2, 1}, {u"abh", u"icdef", u"gj"}},
      {"lines up", {1, 1}, {2, 1}, {0, 3}, {u"abch", u"idef", u"gj"}},
      {"to the end of the range's last line", {0, 4}, {1, 1}, {1, 2}, {u"abcdhef", u"g", u"ij"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fill(b, {u"abcdef", u"gh", u"ij"});
    ASSERT_TRUE(ops.MoveText(c.start, c.end, c.dest, kUndoUser));
    EXPECT_EQ(Lines(b), c.after);
    EXPECT_TRUE(LastStep().text.empty()) << "a move step holds no text";
    ASSERT_TRUE(ops.Undo());
    EXPECT_EQ(Lines(b), (Text{u"abcdef", u"gh", u"ij"}));
    ASSERT_TRUE(ops.Redo());
    EXPECT_EQ(Lines(b), c.after);
  }
}

TEST_F(EditOpsTest, DeleteCharAndBackspaceJoinLines) {
  Fill(b, {u"ab", u"cd"});
  EXPECT_TRUE(ops.DeleteChar({0, 2}, kUndoUser));
  EXPECT_EQ(Lines(b), (Text{u"abcd"}));
  EXPECT_TRUE(ops.Backspace({0, 2}, kUndoUser));
  EXPECT_EQ(Lines(b), (Text{u"acd"}));
  ASSERT_TRUE(ops.InsertText({0, 1}, u"\r\n", kUndoUser));
  EXPECT_TRUE(ops.Backspace({1, 0}, kUndoUser));
  EXPECT_EQ(Lines(b), (Text{u"acd"}));
  EXPECT_EQ(b.LastChange().first, (TextPos{0, 1}));
}

// ---------------------------------------------------------------- units that look like breaks

TEST_F(EditOpsTest, NulAndLineBreakLookalikesSurviveUndo) {
  const std::u16string nul(1, u'\0');
  struct Case {
    const char* name;
    Text lines;
    TextPos start, end;
  } cases[] = {
      {"a lone NUL", {u"a" + nul + u"b"}, {0, 1}, {0, 2}},
      {"a line of NULs", {nul + nul, u"x"}, {0, 0}, {1, 0}},
      {"CR LF units inside a line", {u"a\r\nb", u"c\r\n"}, {0, 0}, {1, 3}},
      {"CR at a line end, LF at the next start", {u"a\r", u"\nb"}, {0, 0}, {1, 2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fill(b, c.lines);
    std::u16string all = b.GetTextString(c.start, c.end, LineStyle::Pc, false);
    ASSERT_TRUE(ops.DeleteRange(c.start, c.end, kUndoUser));
    EXPECT_EQ(LastStep().TextLength(), std::int64_t(all.size()));
    ASSERT_TRUE(ops.Undo());
    EXPECT_EQ(Lines(b), c.lines) << "delete";
    ASSERT_TRUE(ops.ReplaceRange(c.start, c.end, u"z", kUndoUser));
    ASSERT_TRUE(ops.Undo());
    EXPECT_EQ(Lines(b), c.lines) << "replace";
    // Moving the text behind the line's end and back keeps the units too.
    TextPos tail = b.EndPos();
    ASSERT_TRUE(ops.InsertText(tail, u"\r\n", kUndoUser));
    ASSERT_TRUE(ops.MoveText(c.start, c.end, b.EndPos(), kUndoUser));
    EXPECT_EQ(b.GetTextString(LastStep().start, LastStep().end, LineStyle::Pc, false), all);
    ASSERT_TRUE(ops.Undo());
    ASSERT_TRUE(ops.Undo());
    EXPECT_EQ(Lines(b), c.lines) << "move";
  }
}

// ---------------------------------------------------------------- typing runs

TEST_F(EditOpsTest, TypingARunIsOneStepUndoneAtOnce) {
  Type({0, 0}, u"abc");
  ASSERT_EQ(ops.StepCount(HistoryList::Undo), 1);
  EXPECT_EQ(LastStep().kind, StepKind::Insert);
  EXPECT_EQ(LastStep().start, (TextPos{0, 0}));
  EXPECT_EQ(LastStep().end, (TextPos{0, 3}));
  EXPECT_TRUE(LastStep().cleanBefore);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_TRUE(ops.Undo());
  EXPECT_EQ(Lines(b), (Text{u""}));
  EXPECT_FALSE(doc.IsModified());
}

TEST_F(EditOpsTest, WhatEndsATypingRun) {
  struct Case {
    const char* name;
    void (*between)(EditOps&);
    std::int32_t steps;
  } cases[] = {
      {"nothing: the caret moved away and back", [](EditOps&) {}, 1},
      {"a backspace",
       [](EditOps& o) {
         o.Backspace({0, 2}, kUndoUser);
         o.InsertText({0, 1}, u"b", kUndoUser);
       },
       3},
      {"closing the step", [](EditOps& o) { o.CloseTypingStep(TypingStep::Closed, HistoryList::Undo); }, 2},
      {"a save", [](EditOps& o) { o.MarkSaved(); }, 2},
      {"a redo of a typing run",
       [](EditOps& o) {
         o.Undo();
         o.Redo();
       },
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fill(b, {u""});
    ops.ResetHistory();
    Type({0, 0}, u"ab");
    c.between(ops);
    Type({0, 2}, u"c");
    EXPECT_EQ(Lines(b), (Text{u"abc"}));
    EXPECT_EQ(ops.StepCount(HistoryList::Undo), c.steps);
  }
}

TEST_F(EditOpsTest, ThreeDeletesAreThreeStepsAndRedoKeepsThemApart) {
  Fill(b, {u"abcdef"});
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(ops.DeleteChar({0, 1}, kUndoUser));
  EXPECT_EQ(ops.StepCount(HistoryList::Undo), 3);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(ops.Backspace({0, 3 - i}, kUndoUser));
  EXPECT_EQ(Lines(b), (Text{u""}));
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(ops.Undo());
  EXPECT_EQ(ops.StepCount(HistoryList::Redo), 3) << "undone backspaces are not merged";
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(ops.Redo());
  EXPECT_EQ(ops.StepCount(HistoryList::Undo), 6);
  EXPECT_EQ(Lines(b), (Text{u""}));
}

TEST_F(EditOpsTest, RedoListLifecycle) {
  Type({0, 0}, u"ab");
  ASSERT_TRUE(ops.Undo());
  ASSERT_EQ(ops.StepCount(HistoryList::Redo), 1);
  EXPECT_EQ(LastStep(HistoryList::Redo).kind, StepKind::Delete);
  EXPECT_EQ(LastStep(HistoryList::Redo).text, u"ab");
  ASSERT_TRUE(ops.Redo());
  EXPECT_EQ(Lines(b), (Text{u"ab"}));
  ASSERT_TRUE(ops.Undo());
  Type({0, 0}, u"x");
  EXPECT_FALSE(ops.CanRedo()) << "a new edit empties the redo list";
  Type({0, 1}, u"y");
  ops.DeleteChar({0, 0}, kUndoUser);
  ASSERT_TRUE(ops.Undo());
  ASSERT_TRUE(ops.Redo());
  EXPECT_EQ(ops.StepCount(HistoryList::Undo), 2) << "redo after undo keeps the undo list";
  std::size_t beeps = Beeps();
  EXPECT_FALSE(ops.Redo());
  EXPECT_EQ(Beeps(), beeps + 1);
}

TEST_F(EditOpsTest, GroupsAreUndoneAndRedoneAsOne) {
  Fill(b, {u"a", u"b", u"c", u"d", u"e"});
  for (int l = 0; l < 4; ++l) ASSERT_TRUE(ops.ReplaceRange({l, 0}, {l, 0}, u"\t", kUndoUser));
  ops.GroupLastSteps(4, HistoryList::Undo);
  EXPECT_EQ(ops.LastGroupCount(HistoryList::Undo), 4);
  ASSERT_TRUE(ops.Undo());
  EXPECT_EQ(Lines(b), (Text{u"a", u"b", u"c", u"d", u"e"}));
  EXPECT_EQ(ops.StepCount(HistoryList::Redo), 4);
  EXPECT_EQ(ops.LastGroupCount(HistoryList::Redo), 4);
  EXPECT_EQ(b.LastChange().first, (TextPos{0, 0}));
  ASSERT_TRUE(ops.Redo());
  EXPECT_EQ(Lines(b), (Text{u"\ta", u"\tb", u"\tc", u"\td", u"e"}));
  EXPECT_EQ(ops.LastGroupCount(HistoryList::Undo), 4);
  EXPECT_FALSE(ops.CanRedo());
}

TEST_F(EditOpsTest, StepGroupGroupsWhatACommandRecords) {
  Fill(b, {u"a  ", u"b\t", u"c"});
  Type({2, 1}, u"x");
  {
    StepGroup group(ops);
    ops.DeleteRange({0, 1}, {0, 3}, kUndoUser);
    ops.DeleteRange({1, 1}, {1, 2}, kUndoUser);
  }
  EXPECT_EQ(ops.LastGroupCount(HistoryList::Undo), 2);
  Type({2, 2}, u"y");
  EXPECT_EQ(ops.StepCount(HistoryList::Undo), 4) << "typing after a group starts a new step";
  ASSERT_TRUE(ops.Undo());
  ASSERT_TRUE(ops.Undo());
  EXPECT_EQ(Lines(b), (Text{u"a  ", u"b\t", u"cx"}));
}

// ---------------------------------------------------------------- modified flag

TEST_F(EditOpsTest, TitleMarkerFollowsTheFlagOnce) {
  struct Change {
    bool modified;
    const char* title;
    int stateCalls;
  };
  struct Hooks : DocWatcher {
    int stateCalls = 0;
    DocState last = DocState::Plain;
    void DocumentStateChanged(CMyEditDoc&, DocState s) override {
      ++stateCalls;
      last = s;
    }
  } hooks;
  ScopedDocWatcher watch(doc.Watchers(), hooks, WatchOrder::Layout);
  const Change steps[] = {{true, "a.txt *", 1}, {true, "a.txt *", 1}, {false, "a.txt", 2}, {false, "a.txt", 2}};
  for (const Change& c : steps) {
    doc.SetModified(c.modified);
    EXPECT_EQ(doc.Title(), c.title);
    EXPECT_EQ(hooks.stateCalls, c.stateCalls);
  }
  doc.readOnly = true;
  doc.SetModified(true);
  doc.SetModified(false);
  EXPECT_EQ(hooks.last, DocState::ReadOnly);

  // A title that ends like the marker loses nothing it did not get.
  doc.SetTitle("notes *");
  doc.SetModified(false);
  EXPECT_EQ(doc.Title(), "notes *");
  ops.SuspendTitleUpdates(true);
  doc.SetModified(true);
  ops.SuspendTitleUpdates(false);
  doc.SetModified(false);
  EXPECT_EQ(doc.Title(), "notes *");
}

TEST_F(EditOpsTest, SaveAndReloadTieTheFlagToTheHistory) {
  Fill(b, {u"abc"});
  ASSERT_TRUE(ops.ReplaceRange({0, 0}, {0, 1}, u"X", kUndoUser));
  EXPECT_TRUE(LastStep().cleanBefore);
  ASSERT_TRUE(ops.Undo());
  EXPECT_EQ(Lines(b), (Text{u"abc"}));
  EXPECT_FALSE(doc.IsModified()) << "undoing a replace made when clean";
  ASSERT_TRUE(ops.Redo());
  EXPECT_TRUE(doc.IsModified());

  ops.MarkSaved();
  EXPECT_FALSE(doc.IsModified());
  EXPECT_FALSE(LastStep().cleanBefore);
  ASSERT_TRUE(ops.Undo());
  EXPECT_TRUE(doc.IsModified()) << "the saved text differs from the one before";
  ASSERT_TRUE(ops.Redo());
  EXPECT_FALSE(doc.IsModified()) << "back at the saved text";

  ops.ResetHistory();
  EXPECT_FALSE(ops.CanUndo());
  EXPECT_FALSE(ops.CanRedo());
  EXPECT_FALSE(doc.IsModified());
}

TEST_F(EditOpsTest, ModeZeroRecordsNothingAndLeavesTheFlag) {
  Fill(b, {u"abc"});
  EXPECT_TRUE(ops.InsertText({0, 3}, u"\r\nd", kUndoNone));
  EXPECT_TRUE(ops.MoveText({0, 0}, {0, 1}, {1, 1}, kUndoNone));
  EXPECT_FALSE(ops.CanUndo());
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(Lines(b), (Text{u"bc", u"da"}));
}

TEST_F(EditOpsTest, AStepThatNoLongerFitsIsKept) {
  Fill(b, {u"abc"});
  Type({0, 3}, u"de");
  ASSERT_TRUE(ops.DeleteRange({0, 0}, {0, 5}, kUndoNone));  // unrecorded change
  std::size_t beeps = Beeps();
  EXPECT_FALSE(ops.Undo());
  EXPECT_EQ(Beeps(), beeps + 1);
  EXPECT_EQ(ops.StepCount(HistoryList::Undo), 1);
}

TEST_F(EditOpsTest, ATypingRunHoldsNoCopyOfItsText) {
  std::u16string text(10000, u'x');
  Type({0, 0}, text);
  ASSERT_EQ(ops.StepCount(HistoryList::Undo), 1);
  EXPECT_EQ(LastStep().text.capacity(), std::u16string().capacity());
  EXPECT_EQ(LastStep().end, (TextPos{0, 10000}));
}

// ---------------------------------------------------------------- AdvancePosition

TEST_F(EditOpsTest, AdvancePosition) {
  Fill(b, {u"abc", u"", u"de"});
  struct Case {
    TextPos from;
    std::int64_t n;
    TextPos to;
    std::int64_t moved;
  } cases[] = {
      {{0, 0}, 2, {0, 2}, 2},   {{0, 1}, 4, {1, 0}, 4},   {{0, 3}, 4, {2, 0}, 4},   {{0, 0}, 100, {2, 2}, 9},
      {{0, 3}, 1, {0, 3}, 0},   {{2, 2}, -3, {2, 0}, 2},  {{2, 2}, -4, {1, 0}, 4},  {{2, 0}, -1, {2, 0}, 0},  {{2, 1}, -100, {0, 0}, 8},
      {{1, 0}, 0, {1, 0}, 0},   {{5, 0}, 3, {5, 0}, 0},
  };
  for (const Case& c : cases) {
    AdvanceResult r = ops.AdvancePosition(c.from, c.n);
    EXPECT_EQ(r.pos, c.to) << c.from.line << "," << c.from.column << " by " << c.n;
    EXPECT_EQ(r.moved, c.moved) << c.from.line << "," << c.from.column << " by " << c.n;
  }
}

// ---------------------------------------------------------------- marks, folds, rows

TEST_F(EditOpsTest, JoiningLinesKeepsMarksAndTheFoldField) {
  Fill(b, {u"a", u"b", u"c"});
  b.MutableLine(2).fold = -1;
  b.ToggleMark(2);
  ASSERT_TRUE(ops.DeleteRange({1, 0}, {2, 0}, kUndoUser));
  EXPECT_EQ(Lines(b), (Text{u"a", u"c"}));
  EXPECT_EQ(b.Line(1).fold, -1);
  EXPECT_TRUE(b.Line(1).marked);

  Fill(b, {u"aa", u"bb", u"cc", u"dd"});
  b.ToggleMark(1);
  b.ToggleMark(2);
  ASSERT_TRUE(ops.ReplaceRange({0, 1}, {2, 1}, u"X\r\nY\r\nZ", kUndoUser));
  EXPECT_EQ(Lines(b), (Text{u"aX", u"Y", u"Zc", u"dd"}));
  EXPECT_FALSE(b.Line(0).marked);
  EXPECT_TRUE(b.Line(1).marked);
  EXPECT_TRUE(b.Line(2).marked);
  EXPECT_EQ(b.MarkedLineCount(), 2);
}

class FoldEditTest : public EditOpsTest {
 protected:
  // Lines 0 … 6; line 2 heads a collapsed fold hiding lines 3 to 5.
  void SetUp() override {
    doc.Watchers().Add(&hooks, WatchOrder::Layout);
    Fill(b, {u"0", u"  1", u"  22", u"3", u"4", u"5", u"6"});
    b.SetFolding(true);
    b.MutableLine(2).fold = 3;
    test::LayOut(b);
  }
  void TearDown() override {
    EXPECT_EQ(test::RowsOf(b), test::FreshRows(b));
    EditOpsTest::TearDown();
  }
  test::FixedWrapHooks hooks{80};
};

TEST_F(FoldEditTest, EditsThatOpenTheFold) {
  struct Case {
    const char* name;
    bool (*edit)(EditOps&);
    bool opens;
  } cases[] = {
      {"insert into a hidden line", [](EditOps& o) { return o.InsertText({4, 1}, u"x", kUndoUser); }, true},
      {"insert in the header's indentation", [](EditOps& o) { return o.InsertText({2, 2}, u"x", kUndoUser); }, true},
      {"insert after the header's indentation", [](EditOps& o) { return o.InsertText({2, 3}, u"x", kUndoUser); }, false},
      {"split the header", [](EditOps& o) { return o.InsertText({2, 3}, u"\r\n", kUndoUser); }, true},
      {"delete in the header's indentation", [](EditOps& o) { return o.DeleteChar({2, 2}, kUndoUser); }, true},
      {"delete after the header's indentation", [](EditOps& o) { return o.DeleteChar({2, 3}, kUndoUser); }, false},
      {"delete into a hidden end line", [](EditOps& o) { return o.DeleteRange({1, 0}, {4, 0}, kUndoUser); }, true},
      {"delete from column 0 to column 0 onto the header", [](EditOps& o) { return o.DeleteRange({1, 0}, {2, 0}, kUndoUser); }, false},
      {"delete ending on the header after column 0", [](EditOps& o) { return o.DeleteRange({1, 0}, {2, 1}, kUndoUser); }, true},
      {"delete starting on the header across lines", [](EditOps& o) { return o.DeleteRange({2, 3}, {6, 0}, kUndoUser); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    ASSERT_TRUE(c.edit(ops));
    bool open = true;
    for (std::int32_t l = 0; l < b.LineCount(); ++l) open = open && b.Line(l).fold <= 0;
    EXPECT_EQ(open, c.opens);
    if (c.opens) {
      EXPECT_EQ(b.LastChange().repaintEnd, kEnd);
    }
    EXPECT_EQ(test::RowsOf(b), test::FreshRows(b));
  }
}

TEST_F(FoldEditTest, InsertIntoAHiddenLineRepaintsFromBelowTheHeader) {
  ASSERT_TRUE(ops.InsertText({5, 0}, u"x", kUndoUser));
  EXPECT_EQ(b.LastChange().first, (TextPos{3, 0}));
  EXPECT_EQ(b.Line(2).fold, -1);
}

TEST_F(EditOpsTest, WrappedRowsFollowEditsAndRowCountChangesRepaintAll) {
  test::FixedWrapHooks hooks(4);
  ScopedDocWatcher watch(doc.Watchers(), hooks, WatchOrder::Layout);
  Fill(b, {u"abc", u"defgh", u"i"});
  b.SetWordWrap(true);
  test::LayOut(b);
  ASSERT_TRUE(ops.InsertText({0, 3}, u"z", kUndoUser));
  EXPECT_EQ(b.LastChange().repaintEnd, (TextPos{0, 4})) << "still one row";
  ASSERT_TRUE(ops.InsertText({0, 4}, u"y", kUndoUser));
  EXPECT_EQ(b.LastChange().repaintEnd, kEnd) << "a second row";
  EXPECT_EQ(test::RowsOf(b), test::FreshRows(b));

  // An edited line without a row is reported and the table is mended.
  b.Rows().Clear();
  ASSERT_TRUE(ops.InsertText({2, 1}, u"q", kUndoUser));
  EXPECT_EQ(TakeReports(), (std::vector<std::string>{"Unexpected Error GRP"}));
}

TEST_F(EditOpsTest, ARowBatchCutsTheRowsOnceAtTheEnd) {
  test::FixedWrapHooks hooks(2);
  ScopedDocWatcher watch(doc.Watchers(), hooks, WatchOrder::Layout);
  Text lines(50, u"abc");
  Fill(b, lines);
  b.SetWordWrap(true);
  test::LayOut(b);
  ops.BeginRowBatch();
  for (int l = 40; l >= 0; l -= 5) ASSERT_TRUE(ops.ReplaceRange({l, 1}, {l + 1, 1}, u"\r\n\r\nxxxxx", kUndoUser));
  ops.BeginRowBatch();
  ASSERT_TRUE(ops.DeleteRange({3, 0}, {9, 1}, kUndoUser));
  ops.EndRowBatch();
  EXPECT_NE(test::RowsOf(b), test::FreshRows(b));
  ops.EndRowBatch();
  EXPECT_EQ(test::RowsOf(b), test::FreshRows(b));
}

TEST_F(EditOpsTest, HooksHearWhichLinesChanged) {
  struct Hooks : DocWatcher {
    std::vector<std::pair<int, int>> rescans;
    void RescanLines(TextBuffer&, std::int32_t first, std::int32_t last) override { rescans.emplace_back(first, last); }
  } hooks;
  ScopedDocWatcher watch(doc.Watchers(), hooks, WatchOrder::Layout);
  Fill(b, {u"ab", u"cd"});
  ops.InsertText({1, 1}, u"x\r\ny\r\nz", kUndoUser);
  ops.DeleteRange({0, 1}, {2, 1}, kUndoUser);
  EXPECT_EQ(hooks.rescans, (std::vector<std::pair<int, int>>{{1, 3}, {0, 0}}));
}

TEST_F(EditOpsTest, AChangedFoldHeaderRepaintsItsGutter) {
  struct Hooks : DocWatcher {
    bool UpdateFoldsAfterEdit(TextBuffer&, TextPos, std::int32_t, bool) override { return true; }
  } hooks;
  ScopedDocWatcher watch(doc.Watchers(), hooks, WatchOrder::Layout);
  Fill(b, {u"ab", u"  cd"});
  b.SetFolding(true);
  test::LayOut(b);
  ASSERT_TRUE(ops.InsertText({1, 3}, u"x", kUndoUser));
  EXPECT_EQ(b.LastChange().first, (TextPos{1, 0}));
  ASSERT_TRUE(ops.DeleteChar({1, 3}, kUndoUser));
  EXPECT_EQ(b.LastChange().first, (TextPos{1, 0}));
}

}  // namespace
}  // namespace kastrell
