// Random line and unit operations against a vector of strings.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "support/PlatformTest.h"
#include "text/TextBuffer.h"
#include "text/TextBufferTestUtil.h"

namespace kastrell {
namespace {

class TextBufferModelTest : public test::PlatformTest {};

std::u16string RandomUnits(std::mt19937& rng) {
  static const char16_t kAlphabet[] = {u'a', u'b', u' ', u'\t', u'\r', u'\n', 0, u'\u4e2d', 0xD83D, 0xDE00};
  std::u16string s(rng() % 9, u' ');
  for (char16_t& c : s) c = kAlphabet[rng() % std::size(kAlphabet)];
  return s;
}

TEST_F(TextBufferModelTest, MatchesAVectorOfStrings) {
  const unsigned seed = 7130;
  std::mt19937 rng(seed);
  TextBuffer b;
  std::vector<std::u16string> model{u""};
  std::vector<bool> marks{false};

  for (int step = 0; step < 20000; ++step) {
    int op = int(rng() % 9);
    int count = int(model.size());
    int line = int(rng() % count);
    int len = int(model[line].size());
    switch (op) {
      case 0: {  // append a line
        std::u16string s = RandomUnits(rng);
        b.AppendLine(MakeLineRecord(s.data(), std::int32_t(s.size())));
        model.push_back(s);
        marks.push_back(false);
        break;
      }
      case 1: {  // insert some lines
        int n = 1 + int(rng() % 3);
        int at = int(rng() % (count + 1));
        std::vector<LineRecord> recs;
        for (int i = 0; i < n; ++i) {
          std::u16string s = RandomUnits(rng);
          recs.push_back(MakeLineRecord(s.data(), std::int32_t(s.size())));
          model.insert(model.begin() + at + i, s);
          marks.insert(marks.begin() + at + i, false);
        }
        b.InsertLines(at, recs.data(), n);
        break;
      }
      case 2: {  // remove lines, keeping at least one
        if (count < 2) break;
        int n = 1 + int(rng() % std::min(3, count - 1));
        int at = int(rng() % (count - n + 1));
        bool anyMarked = false;
        for (int i = at; i < at + n; ++i) anyMarked = anyMarked || marks[i];
        b.RemoveLines(at, n);
        model.erase(model.begin() + at, model.begin() + at + n);
        marks.erase(marks.begin() + at, marks.begin() + at + n);
        if (anyMarked) marks[at > 0 ? at - 1 : 0] = true;
        break;
      }
      case 3:
      case 4: {  // insert units
        std::u16string s = RandomUnits(rng);
        int at = int(rng() % (len + 1));
        b.InsertUnits(line, at, s.data(), std::int32_t(s.size()));
        model[line].insert(std::size_t(at), s);
        break;
      }
      case 5: {  // delete units
        int at = int(rng() % (len + 1));
        int n = int(rng() % 6);
        b.DeleteUnits(line, at, n);
        model[line].erase(std::size_t(at), std::size_t(std::min(n, len - at)));
        break;
      }
      case 6: {  // overwrite one unit
        if (len == 0) break;
        int at = int(rng() % len);
        b.SetUnit(line, at, u'#');
        model[line][std::size_t(at)] = u'#';
        break;
      }
      case 7:
        b.ToggleMark(line);
        marks[line] = !marks[line];
        break;
      case 8: {  // cut lines off the end, wherever the gap is
        int n = std::max(1, count - int(rng() % 3));
        b.SetLineCount(n);
        model.resize(std::size_t(n));
        marks.resize(std::size_t(n));
        break;
      }
    }
    ASSERT_EQ(b.LineCount(), std::int32_t(model.size())) << "seed " << seed << " step " << step;
    if (step % 97 == 0 || step == 19999) {
      ASSERT_EQ(test::Lines(b), model) << "seed " << seed << " step " << step;
      int marked = 0;
      for (int i = 0; i < b.LineCount(); ++i) {
        ASSERT_EQ(bool(b.Line(i).marked), bool(marks[i])) << "seed " << seed << " step " << step;
        ASSERT_EQ(b.Line(i).text[b.Line(i).length - 1], 0);
        ASSERT_GE(b.Line(i).capacity, b.Line(i).length);
        marked += marks[i];
      }
      ASSERT_EQ(b.MarkedLineCount(), marked);
      std::u16string joined;
      for (std::size_t i = 0; i < model.size(); ++i) joined += (i ? u"\r\n" : u"") + model[i];
      ExtractedText all = b.GetAllText(LineStyle::Pc, false);
      ASSERT_TRUE(all.ok);
      ASSERT_EQ(std::u16string(all.units.get(), std::size_t(all.length)), joined) << "seed " << seed;
    }
  }
}

}  // namespace
}  // namespace kastrell

namespace kastrell {
namespace {

// The row table against a plain vector: random replacements at moving
// places, appends, line shifts and growth, with the gap wherever it was left.
TEST(RowTableModel, MatchesAVectorAcrossGapMovesAndGrowth) {
  std::mt19937 rng(7);
  for (int round = 0; round < 20; ++round) {
    RowTable table;
    std::vector<RowEntry> model;
    if (round % 3 == 0) table.SetFixedStep(3);
    for (int step = 0; step < 400; ++step) {
      int op = int(rng() % 10);
      if (op < 6) {
        std::int32_t size = std::int32_t(model.size());
        std::int32_t first = size ? std::int32_t(rng() % (size + 1)) : 0;
        std::int32_t count = std::int32_t(rng() % 4);
        std::int32_t n = std::int32_t(rng() % 5);
        std::vector<RowEntry> rows;
        for (std::int32_t i = 0; i < n; ++i) rows.push_back({int(rng() % 1000), int(rng() % 80), int(rng() % 80)});
        ASSERT_TRUE(table.Replace(first, count, rows.data(), n));
        first = std::min(first, size);
        count = std::min(count, size - first);
        model.erase(model.begin() + first, model.begin() + first + count);
        model.insert(model.begin() + first, rows.begin(), rows.end());
      } else if (op < 8) {
        RowEntry r{int(rng() % 1000), 0, 1};
        ASSERT_TRUE(table.Append(r));
        model.push_back(r);
      } else {
        std::int32_t first = model.empty() ? 0 : std::int32_t(rng() % model.size());
        std::int32_t delta = std::int32_t(rng() % 7) - 3;
        table.ShiftLines(first, delta);
        for (std::size_t i = first; i < model.size(); ++i) model[i].line += delta;
      }
      ASSERT_EQ(table.Size(), std::int32_t(model.size()));
      for (std::size_t i = 0; i < model.size(); ++i) ASSERT_EQ(table[std::int32_t(i)], model[i]) << i;
    }
  }
}

TEST(RowTableModel, FirstRowOfLineAcrossTheGap) {
  RowTable table;
  for (int line = 0; line < 50; ++line)
    for (int k = 0; k < 3; ++k) table.Append({line, k * 10, 10});
  // Leave the gap in the middle of the table.
  RowEntry two[2] = {{20, 0, 15}, {20, 15, 15}};
  ASSERT_TRUE(table.Replace(table.FirstRowOfLine(20), 3, two, 2));
  for (int line = 0; line < 50; ++line) {
    std::int32_t first = table.FirstRowOfLine(line);
    ASSERT_LT(first, table.Size());
    EXPECT_EQ(table[first].line, line);
    if (first > 0) {
      EXPECT_LT(table[first - 1].line, line);
    }
  }
  EXPECT_EQ(table.FirstRowOfLine(50), table.Size());
}

}  // namespace
}  // namespace kastrell
