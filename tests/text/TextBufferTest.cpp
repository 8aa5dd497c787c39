#include <gtest/gtest.h>

#include <random>

#include "support/PlatformTest.h"
#include "text/TextBuffer.h"
#include "text/TextBufferTestUtil.h"

namespace kastrell {
namespace {

using test::Fill;
using test::Lines;
using test::WrapRows;

class TextBufferTest : public test::PlatformTest {};

TEST_F(TextBufferTest, NewBufferHoldsOneEmptyLine) {
  TextBuffer b;
  ASSERT_EQ(b.LineCount(), 1);
  EXPECT_EQ(b.Line(0).length, 1);
  EXPECT_EQ(b.Line(0).capacity, 1);
  EXPECT_EQ(b.Line(0).text[0], 0);
  EXPECT_EQ(b.RowCount(), 1);
}

TEST_F(TextBufferTest, LineArrayGrowsInSteps) {
  TextBuffer b;
  b.SetLineCount(0);
  EXPECT_EQ(b.LineAllocation(), 0);
  b.SetLineCount(10);  // no array yet: exactly n
  EXPECT_EQ(b.LineAllocation(), 10);
  b.SetLineCount(11);  // step max(10 / 4, 1024)
  EXPECT_EQ(b.LineAllocation(), 1034);
  b.SetLineCount(3000);  // 1034 + 1024 + 1024
  EXPECT_EQ(b.LineAllocation(), 3082);
  b.SetLineCount(5);  // shrinking keeps the allocation
  EXPECT_EQ(b.LineAllocation(), 3082);
  EXPECT_EQ(b.LineCount(), 5);
  EXPECT_EQ(b.Line(4).length, 0);
  EXPECT_EQ(b.Line(4).displayCacheCount, -1);
}

TEST_F(TextBufferTest, AppendUnitZeroMakesAFreshRecordAnEmptyLine) {
  TextBuffer b;
  b.SetLineCount(2);
  ASSERT_EQ(b.Line(1).length, 0);
  b.AppendUnit(1, u'x');
  b.AppendUnit(1, 0);
  EXPECT_EQ(b.LineView(1), u"x");
  EXPECT_EQ(b.Line(1).length, 2);
}

TEST_F(TextBufferTest, UnitOperations) {
  TextBuffer b;
  Fill(b, {u"hello"});
  b.InsertUnits(0, 5, u" world", 6);
  EXPECT_EQ(b.LineView(0), u"hello world");
  b.InsertUnits(0, 0, b.Line(0).text + 6, 5);  // from the line itself
  EXPECT_EQ(b.LineView(0), u"worldhello world");
  b.DeleteUnits(0, 0, 5);
  EXPECT_EQ(b.LineView(0), u"hello world");
  b.DeleteUnits(0, 5, 100);  // clamped to the line
  EXPECT_EQ(b.LineView(0), u"hello");
  EXPECT_EQ(b.Line(0).text[5], 0);
  b.InsertUnits(0, 1, u"x", 0);
  b.DeleteUnits(0, 1, -3);
  EXPECT_EQ(b.LineView(0), u"hello");
}

TEST_F(TextBufferTest, UnitChangesFreeTheDisplayCache) {
  TextBuffer b;
  Fill(b, {u"abc"});
  auto cache = [&] {
    LineRecord& r = b.MutableLine(0);
    r.displayCache = static_cast<ColourRun*>(std::malloc(sizeof(ColourRun)));
    r.displayCacheCount = 1;
  };
  cache();
  b.InsertUnits(0, 1, u"z", 1);
  EXPECT_EQ(b.Line(0).displayCacheCount, -1);
  cache();
  b.DeleteUnits(0, 0, 1);
  EXPECT_EQ(b.Line(0).displayCache, nullptr);
  cache();
  b.SetUnit(0, 0, u'Q');
  EXPECT_EQ(b.Line(0).displayCacheCount, -1);
  EXPECT_EQ(b.LineView(0), u"Qbc");
}

TEST_F(TextBufferTest, SetUnitReportsTheChangeAndIgnoresTheEnd) {
  TextBuffer b;
  Fill(b, {u"ab", u"cd"});
  b.SetUnit(1, 1, u'X');
  EXPECT_EQ(b.LineView(1), u"cX");
  EXPECT_EQ(b.LastChange().first, (TextPos{1, 1}));
  EXPECT_EQ(b.LastChange().repaintEnd, (TextPos{1, 2}));
  b.SetUnit(1, 2, u'Y');  // the terminating NUL is not a unit to overwrite
  EXPECT_EQ(b.Line(1).text[2], 0);
}

TEST_F(TextBufferTest, RemovingAMarkedLineMovesTheMarkUp) {
  TextBuffer b;
  Fill(b, {u"0", u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8"});
  b.ToggleMark(6);
  ASSERT_EQ(b.MarkedLineCount(), 1);
  b.RemoveLines(5, 3);
  EXPECT_EQ(Lines(b), (std::vector<std::u16string>{u"0", u"1", u"2", u"3", u"4", u"8"}));
  EXPECT_TRUE(b.Line(4).marked);
  EXPECT_EQ(b.MarkedLineCount(), 1);
}

TEST_F(TextBufferTest, RemoveLinesMarkEdgeCases) {
  TextBuffer b;
  Fill(b, {u"0", u"1", u"2", u"3"});
  b.ToggleMark(0);
  b.ToggleMark(1);
  b.ToggleMark(2);
  b.RemoveLines(1, 2);  // two marked lines go, line 0 is already marked
  EXPECT_EQ(b.MarkedLineCount(), 1);
  b.RemoveLines(0, 1);  // removing at index 0 marks the new line 0
  EXPECT_EQ(Lines(b), (std::vector<std::u16string>{u"3"}));
  EXPECT_TRUE(b.Line(0).marked);
  EXPECT_EQ(b.MarkedLineCount(), 1);
  b.RemoveLines(0, 0);
  b.RemoveLines(-1, 1);
  b.RemoveLines(1, 1);
  EXPECT_EQ(b.LineCount(), 1);
}

TEST_F(TextBufferTest, ToggleMarkChecksBothBoundsAndAsksForRepaint) {
  struct Hooks : DocWatcher {
    std::vector<int> repainted;
    void RepaintLine(TextBuffer&, std::int32_t line) override { repainted.push_back(line); }
  } hooks;
  TextBuffer b;
  ScopedDocWatcher watch(b.Watchers(), hooks, WatchOrder::Layout);
  Fill(b, {u"a", u"b"});
  b.ToggleMark(-1);
  b.ToggleMark(2);
  EXPECT_EQ(b.MarkedLineCount(), 0);
  b.ToggleMark(1);
  b.ToggleMark(1);
  EXPECT_EQ(b.MarkedLineCount(), 0);
  EXPECT_EQ(hooks.repainted, (std::vector<int>{1, 1}));
}

TEST_F(TextBufferTest, LineCountHookFollowsEveryLineChange) {
  struct Hooks : DocWatcher {
    int calls = 0;
    void LineCountChanged(TextBuffer&) override { ++calls; }
  } hooks;
  TextBuffer b;
  ScopedDocWatcher watch(b.Watchers(), hooks, WatchOrder::Layout);
  b.AppendLine(MakeLineRecord(u"x", 1));
  LineRecord recs[2] = {MakeLineRecord(u"y", 1), MakeLineRecord(u"z", 1)};
  b.InsertLines(0, recs, 2);
  b.RemoveLines(0, 1);
  EXPECT_EQ(hooks.calls, 3);
  EXPECT_EQ(Lines(b), (std::vector<std::u16string>{u"z", u"", u"x"}));
  EXPECT_EQ(recs[0].text, nullptr);  // moved in
}

TEST_F(TextBufferTest, GetTextSeparatorsAndRanges) {
  TextBuffer b;
  Fill(b, {u"ab", u"cd", u""});
  struct Row {
    const char* name;
    TextPos start, end;
    int separator;
    std::u16string expected;
  } rows[] = {
      {"all PC", {0, 0}, {2, 0}, 1, u"ab\r\ncd\r\n"},
      {"all UNIX", {0, 0}, {2, 0}, 0, u"ab\ncd\n"},
      {"all MAC", {0, 0}, {2, 0}, 2, u"ab\rcd\r"},
      {"other codes are CR", {0, 0}, {2, 0}, 7, u"ab\rcd\r"},
      {"inside one line", {0, 1}, {0, 2}, 1, u"b"},
      {"empty range", {1, 1}, {1, 1}, 1, u""},
      {"across a break", {0, 1}, {1, 1}, 1, u"b\r\nc"},
      {"end before start", {1, 1}, {0, 0}, 1, u""},
      {"clamped past the end", {0, 5}, {9, 9}, 0, u"\ncd\n"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::int64_t n = b.GetText(nullptr, r.start, r.end, static_cast<LineStyle>(r.separator), false);
    EXPECT_EQ(n, std::int64_t(r.expected.size()) + 1);
    std::u16string out(std::size_t(n), u'#');
    EXPECT_EQ(b.GetText(out.data(), r.start, r.end, static_cast<LineStyle>(r.separator), false), n);
    EXPECT_EQ(out.back(), 0);
    out.pop_back();
    EXPECT_EQ(out, r.expected);
  }
}

TEST_F(TextBufferTest, GetAllTextGivesBackTheFileItCameFrom) {
  // a CR LF b CR LF: three lines, the last one empty.
  TextBuffer b;
  Fill(b, {u"a", u"b", u""});
  ExtractedText t = b.GetAllText(LineStyle::Pc, false);
  ASSERT_TRUE(t.ok);
  EXPECT_EQ(std::u16string(t.units.get(), std::size_t(t.length)), u"a\r\nb\r\n");
  EXPECT_EQ(t.units[t.length], 0);
}

TEST_F(TextBufferTest, GetAllTextReportsAllocationFailure) {
  TextBuffer b;
  Fill(b, {u"some text"});
  testing_hooks::SetExtractAllocator([](std::size_t) -> void* { return nullptr; });
  ExtractedText t = b.GetAllText(LineStyle::Pc, false);
  testing_hooks::SetExtractAllocator(nullptr);
  EXPECT_FALSE(t.ok);
  EXPECT_EQ(t.units, nullptr);
}

TEST_F(TextBufferTest, ExtractedSizeIsNotLimitedTo32Bits) {
  // 2,200 lines of a million units share one store: 2.2 G units plus breaks.
  const std::int32_t kUnits = 1000000;
  auto block = std::shared_ptr<char16_t[]>(new char16_t[kUnits + 1]);
  std::fill(block.get(), block.get() + kUnits, u'a');
  block[kUnits] = 0;
  TextBuffer b;
  b.SetLineCount(0);
  for (int i = 0; i < 2200; ++i) {
    LineRecord rec;
    rec.text = block.get();
    rec.length = rec.capacity = kUnits + 1;
    rec.storeInBlock = 1;
    b.AppendLine(std::move(rec));
  }
  b.AdoptStoreBlock(block);
  std::int64_t n = b.GetText(nullptr, {0, 0}, b.EndPos(), LineStyle::Pc, false);
  EXPECT_EQ(n, std::int64_t(2200) * kUnits + 2 * 2199 + 1);
  EXPECT_GT(n, std::int64_t(INT32_MAX));
}

TEST_F(TextBufferTest, GetTextAsDisplayedBreaksAtRowBoundaries) {
  TextBuffer b;
  Fill(b, {u"abcdefg", u"hi"});
  WrapRows(b, 3);  // abc|def|g, hi
  EXPECT_EQ(b.GetTextString({0, 0}, {1, 2}, LineStyle::Unix, true), u"abc\ndef\ng\nhi");
  EXPECT_EQ(b.GetTextString({0, 0}, {1, 2}, LineStyle::Unix, false), u"abcdefg\nhi");
  // A range that starts or ends exactly on a boundary does not add one there.
  EXPECT_EQ(b.GetTextString({0, 3}, {0, 6}, LineStyle::Pc, true), u"def");
  EXPECT_EQ(b.GetTextString({0, 2}, {0, 4}, LineStyle::Pc, true), u"c\r\nd");
  EXPECT_EQ(b.GetText(nullptr, {0, 2}, {0, 4}, LineStyle::Pc, true), 5);
  b.SetWordWrap(false);
  EXPECT_EQ(b.GetTextString({0, 0}, {0, 7}, LineStyle::Unix, true), u"abcdefg");
}

TEST_F(TextBufferTest, HasFormFeed) {
  TextBuffer b;
  Fill(b, {u"a", u"b"});
  EXPECT_FALSE(b.HasFormFeed());
  Fill(b, {u"a", u"x\fy"});
  EXPECT_TRUE(b.HasFormFeed());
}

TEST_F(TextBufferTest, LeadingWidthInColumnsAndPixels) {
  TextBuffer b;
  Fill(b, {u"  x", u"\tx", u" \t x", u"x  ", u"    ", u""});
  b.SetTabMetrics(4, 7, 28);
  struct Row {
    int line, columns, pixels;
  } rows[] = {{0, 2, 14}, {1, 4, 28}, {2, 5, 35}, {3, 0, 0}, {4, 4, 28}, {5, 0, 0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    EXPECT_EQ(b.LeadingWidth(r.line, true), r.columns);
    EXPECT_EQ(b.LeadingWidth(r.line, false), r.pixels);
  }
}

TEST_F(TextBufferTest, LeadingWidthOfALineWithoutStoreReportsAndGivesZero) {
  TextBuffer b;
  b.SetLineCount(3);  // lines 1 and 2 are released records
  EXPECT_EQ(b.LeadingWidth(2, true), 0);
  EXPECT_EQ(TakeReports(), (std::vector<std::string>{"Unexpected Error GRLIE\n2"}));
}

TEST_F(TextBufferTest, RowCountFollowsTheActiveTable) {
  TextBuffer b;
  Fill(b, {u"abcdef", u"x"});
  EXPECT_EQ(b.RowCount(), 2);
  WrapRows(b, 2);
  EXPECT_EQ(b.RowCount(), 4);
  b.PrintRows().Append({0, 0, 6});
  b.SetPrintingLayout(true);
  EXPECT_EQ(b.RowCount(), 1);
  b.SetPrintingLayout(false);
  b.SetWordWrap(false);
  EXPECT_EQ(b.RowCount(), 2);
  EXPECT_TRUE(b.Rows().Empty());  // neither wrap nor folding: the table is emptied
}

TEST_F(TextBufferTest, RowToLine) {
  TextBuffer b;
  Fill(b, {u"abcdef", u"x"});
  EXPECT_EQ(b.RowToLine(1), (RowEntry{1, 0, 1}));
  WrapRows(b, 4);
  EXPECT_EQ(b.RowToLine(1), (RowEntry{0, 4, 2}));
  EXPECT_EQ(b.RowToLine(2), (RowEntry{1, 0, 1}));
  EXPECT_TRUE(TakeReports().empty());

  EXPECT_EQ(b.RowToLine(3).line, 0);  // equal to the table size
  EXPECT_EQ(b.RowToLine(-1).line, 0);
  EXPECT_EQ(TakeReports(), (std::vector<std::string>{"Unexpected Error GRP", "Unexpected Error GRP"}));

  b.SetPrintingLayout(true);  // past the end of the print table: line 0, no message
  EXPECT_EQ(b.RowToLine(0).line, 0);
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(TextBufferTest, LineToRowAtAWrapPointGivesTheNextRow) {
  TextBuffer b;
  Fill(b, {u"abcdefgh", u"ij"});
  WrapRows(b, 3);  // rows: abc def gh ij
  struct Row {
    int line, column, row, inRow;
  } rows[] = {{0, 0, 0, 0}, {0, 2, 0, 2}, {0, 3, 1, 0}, {0, 6, 2, 0}, {0, 8, 2, 2}, {1, 0, 3, 0}, {1, 2, 3, 2}};
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << r.line << ":" << r.column);
    RowLookup got = b.LineToRow(r.line, r.column);
    EXPECT_TRUE(got.found);
    EXPECT_EQ(got.row, r.row);
    EXPECT_EQ(got.columnInRow, r.inRow);
  }
}

TEST_F(TextBufferTest, LineToRowOfAHiddenLineIsNotFound) {
  TextBuffer b;
  Fill(b, {u"a", u"b", u"c", u"d"});
  b.SetFolding(true);
  WrapRows(b, 10, {false, true, true, false});
  b.SetWordWrap(false);
  RowLookup got = b.LineToRow(2, 0);
  EXPECT_FALSE(got.found);
  EXPECT_EQ(got.row, 0);
  EXPECT_EQ(b.LineToRow(3, 0).row, 1);
}

TEST_F(TextBufferTest, LineToRowWithAnEmptyTableReportsAndRebuilds) {
  struct Hooks : DocWatcher {
    void RebuildRows(TextBuffer& b) override { WrapRows(b, 2); }
  } hooks;
  TextBuffer b;
  ScopedDocWatcher watch(b.Watchers(), hooks, WatchOrder::Layout);
  Fill(b, {u"abcd"});
  b.SetWordWrap(true);
  RowLookup got = b.LineToRow(0, 3);
  EXPECT_EQ(TakeReports(), (std::vector<std::string>{"Unexpected Error GLP"}));
  EXPECT_TRUE(got.found);
  EXPECT_EQ(got.row, 1);
  EXPECT_EQ(got.columnInRow, 1);
}

// The lookup as a walk from row = line, stepping back and then forward.
RowLookup WalkLineToRow(const RowTable& t, std::int32_t line, std::int32_t column) {
  std::int32_t last = t.Size() - 1;
  std::int32_t i = std::min(last, line);
  while (i > 0) {
    if (t[i].line < line) {
      ++i;
      break;
    }
    --i;
  }
  while (i <= last) {
    if (t[i].line < line) {
      ++i;
      continue;
    }
    if (t[i].line > line) break;
    while (i < last && t[i + 1].line == line && t[i + 1].start <= column) ++i;
    return RowLookup{i, column - t[i].start, true};
  }
  return RowLookup{std::clamp(i - 1, 0, last), 0, false};
}

TEST_F(TextBufferTest, LineToRowAgreesWithTheWalkOnRandomTables) {
  const unsigned seed = 20261210;
  std::mt19937 rng(seed);
  for (int round = 0; round < 300; ++round) {
    int lines = 1 + int(rng() % 40);
    std::vector<std::u16string> text;
    std::vector<bool> hidden;
    for (int l = 0; l < lines; ++l) {
      text.emplace_back(rng() % 12, u'x');
      hidden.push_back(l > 0 && rng() % 4 == 0);
    }
    TextBuffer b;
    Fill(b, text);
    b.SetFolding(true);
    WrapRows(b, 1 + int(rng() % 5), hidden);
    for (int q = 0; q < 50; ++q) {
      int line = int(rng() % (lines + 2));
      int column = int(rng() % 14);
      RowLookup want = WalkLineToRow(b.Rows(), line, column);
      RowLookup got = b.LineToRow(line, column);
      ASSERT_EQ(got.row, want.row) << "seed " << seed << " round " << round << " line " << line << " col " << column;
      ASSERT_EQ(got.columnInRow, want.columnInRow) << "seed " << seed << " round " << round;
      ASSERT_EQ(got.found, want.found) << "seed " << seed << " round " << round;
    }
  }
}

TEST_F(TextBufferTest, CheckEditableBeepsWhenEditingIsPrevented) {
  TextBuffer b;
  EXPECT_FALSE(b.CheckEditable());
  EXPECT_TRUE(hp.boxes.Beeps().empty());
  b.SetEditingPrevented(true);
  EXPECT_TRUE(b.CheckEditable());
  ASSERT_EQ(hp.boxes.Beeps().size(), 1u);
  EXPECT_EQ(hp.boxes.Beeps()[0], BeepKind::Information);
}

}  // namespace
}  // namespace kastrell
