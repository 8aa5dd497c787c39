// Random line and unit operations against a vector of strings.
#include <gtest/gtest.h>

#include <random>

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
    int op = int(rng() % 8);
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
      ExtractedText all = b.GetAllText(1, false);
      ASSERT_TRUE(all.ok);
      ASSERT_EQ(std::u16string(all.units.get(), std::size_t(all.length)), joined) << "seed " << seed;
    }
  }
}

}  // namespace
}  // namespace kastrell
