// Random sequences of all edit operations, interleaved with Undo, Redo and
// grouping, checked after every action against a model: the document as one
// string, and a stack of the states each undo step leads back to.
#include <gtest/gtest.h>

#include <random>

#include "support/PlatformTest.h"
#include "text/EditTestUtil.h"

namespace kastrell {
namespace {

// Line breaks in the model; never produced by the random texts.
constexpr char16_t kBreak = 0xFFFF;

std::u16string ModelOf(const TextBuffer& b) {
  std::u16string s;
  for (std::int32_t l = 0; l < b.LineCount(); ++l) {
    if (l) s += kBreak;
    s += b.LineView(l);
  }
  return s;
}

std::size_t Offset(const std::u16string& model, TextPos p) {
  std::size_t at = 0;
  for (std::int32_t l = 0; l < p.line; ++l) at = model.find(kBreak, at) + 1;
  return at + std::size_t(p.column);
}

// Text as it enters the model: only CR LF breaks lines.
std::u16string Breaks(std::u16string_view text) {
  std::u16string s;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
      s += kBreak;
      ++i;
    } else {
      s += text[i];
    }
  }
  return s;
}

struct ModelStep {
  std::u16string before;  // the text the step leads back to
  std::int32_t group = 0;
  bool clean = false;
};

class EditModelTest : public test::PlatformTest {
 protected:
  void Run(unsigned seed, bool wrap, bool folding, bool batches);

  std::mt19937 rng;
  std::int32_t Rand(std::int32_t n) { return n <= 0 ? 0 : std::int32_t(rng() % unsigned(n)); }

  std::u16string RandomText() {
    static const std::u16string_view kPieces[] = {u"a", u"b", u" ", u"\t", u"\r\n", u"\r\n", u"\r",
                                                  u"\n", std::u16string_view(u"\0", 1), u"\u4e2d"};
    std::u16string s;
    for (std::int32_t n = 1 + Rand(5); n > 0; --n) s += kPieces[Rand(std::int32_t(std::size(kPieces)))];
    return s;
  }
  TextPos RandomPos(const TextBuffer& b) {
    if (Rand(40) == 0) return TextPos{Rand(b.LineCount() + 2) - 1, Rand(5) - 1};  // often invalid
    std::int32_t line = Rand(b.LineCount());
    return TextPos{line, Rand(b.LineLength(line) + 1)};
  }
};

void EditModelTest::Run(unsigned seed, bool wrap, bool folding, bool batches) {
  rng.seed(seed);
  SCOPED_TRACE("seed " + std::to_string(seed));
  CMyEditDoc doc;
  TextBuffer& b = doc.Buffer();
  EditOps& ops = doc.Edits();
  test::FixedWrapHooks hooks(3);
  ScopedDocWatcher watch(doc.Watchers(), hooks, WatchOrder::Layout);
  test::Fill(b, {u"one", u"  two", u"", u"three"});
  b.SetWordWrap(wrap);
  b.SetFolding(folding);
  if (wrap || folding) test::LayOut(b);

  const std::u16string original = ModelOf(b);
  std::u16string model = original;
  std::vector<ModelStep> undo, redo;
  bool modified = false;
  TextPos typingAt{-1, 0};  // where the next keystroke of a typing run goes

  auto record = [&](std::vector<ModelStep>& list, const std::u16string& before) {
    list.push_back(ModelStep{before, 0, !modified});
    modified = true;
  };
  // Mirrors the Undo and Redo commands on the model.
  auto reverse = [&](bool fromUndo) {
    std::vector<ModelStep>& from = fromUndo ? undo : redo;
    std::vector<ModelStep>& to = fromUndo ? redo : undo;
    if (from.empty()) return;
    std::int32_t n = std::max(from.back().group, 1);
    std::int32_t done = 0;
    for (; done < n && !from.empty(); ++done) {
      ModelStep s = from.back();
      from.pop_back();
      record(to, model);
      model = s.before;
      if (s.clean) modified = false;
    }
    if (done >= 2) to.back().group = done;
  };

  for (int action = 0; action < 60; ++action) {
    SCOPED_TRACE("action " + std::to_string(action));
    std::u16string before = model;
    std::int32_t undoCount = ops.StepCount(HistoryList::Undo);
    bool userEdit = false, ok = false;
    bool batch = batches && Rand(4) == 0;
    if (batch) ops.BeginRowBatch();
    int op = Rand(folding ? 13 : 12);
    TextPos p = RandomPos(b), q = RandomPos(b);
    if (q < p) std::swap(p, q);
    auto validPos = [&](TextPos t) {
      return t.line >= 0 && t.line < b.LineCount() && t.column >= 0 && t.column <= b.LineLength(t.line);
    };
    bool valid = validPos(p) && validPos(q);
    switch (op) {
      case 0:
      case 1: {  // typing: mostly continuing the run
        TextPos at = typingAt.line >= 0 && Rand(4) ? typingAt : RandomPos(b);
        std::u16string text = Rand(3) ? std::u16string(1, u"xy\r"[Rand(3)]) : RandomText();
        bool atValid = validPos(at);
        ok = ops.InsertText(at, text, kUndoUser);
        if (ok) {
          model.insert(Offset(model, at), Breaks(text));
          typingAt = b.LastChange().end;
        }
        EXPECT_EQ(ok, atValid) << "insert";
        userEdit = true;
        break;
      }
      case 2:
        ok = ops.DeleteRange(p, q, kUndoUser);
        EXPECT_EQ(ok, valid && p < q);
        if (ok) model.erase(Offset(model, p), Offset(model, q) - Offset(model, p));
        userEdit = true;
        break;
      case 3: {
        std::u16string text = Rand(4) ? RandomText() : u"";
        ok = ops.ReplaceRange(p, q, text, kUndoUser);
        EXPECT_EQ(ok, valid && !(p == q && text.empty()));
        if (ok) model.replace(Offset(model, p), Offset(model, q) - Offset(model, p), Breaks(text));
        userEdit = true;
        break;
      }
      case 4: {
        TextPos d = RandomPos(b);
        bool dValid = validPos(d);
        std::size_t beeps = hp.boxes.Beeps().size();
        ok = ops.MoveText(p, q, d, kUndoUser);
        bool inside = valid && dValid && p < d && d < q;
        EXPECT_EQ(ok, valid && dValid && p < q && !inside);
        EXPECT_EQ(hp.boxes.Beeps().size(), beeps + (inside ? 1 : 0));
        if (ok) {
          std::size_t s = Offset(model, p), e = Offset(model, q), at = Offset(model, d);
          std::u16string moved = model.substr(s, e - s);
          model.erase(s, e - s);
          model.insert(at >= e ? at - (e - s) : at, moved);
        }
        userEdit = true;
        break;
      }
      case 5: {
        bool expected = validPos(p) && Offset(model, p) < model.size();
        ok = ops.DeleteChar(p, kUndoUser);
        EXPECT_EQ(ok, expected);
        if (ok) model.erase(Offset(model, p), 1);
        userEdit = true;
        break;
      }
      case 6: {
        bool expected = validPos(p) && Offset(model, p) > 0;
        ok = ops.Backspace(p, kUndoUser);
        EXPECT_EQ(ok, expected);
        if (ok) model.erase(Offset(model, p) - 1, 1);
        userEdit = true;
        break;
      }
      case 7:
      case 8:
        EXPECT_EQ(ops.Undo(), !undo.empty());
        reverse(true);
        break;
      case 9:
        EXPECT_EQ(ops.Redo(), !redo.empty());
        reverse(false);
        break;
      case 10: {
        std::int32_t n = Rand(5);
        ops.GroupLastSteps(n, HistoryList::Undo);
        n = std::min<std::int32_t>(n, std::int32_t(undo.size()));
        if (n >= 2) undo.back().group = n;
        break;
      }
      case 11:
        ops.CloseTypingStep(TypingStep::Closed, HistoryList::Undo);
        break;
      case 12: {  // collapse a fold of lines that hold no fold yet
        std::int32_t header = Rand(b.LineCount()), n = 1 + Rand(3);
        if (header + n >= b.LineCount() || b.Watchers().FoldHiding(b, header) >= 0) break;
        bool free = true;
        for (std::int32_t l = header; l <= header + n; ++l) free = free && b.Line(l).fold <= 0;
        if (!free) break;
        b.MutableLine(header).fold = n;
        test::LayOut(b);
        break;
      }
    }
    if (batch) ops.EndRowBatch();
    if (op >= 2) typingAt = TextPos{-1, 0};
    if (userEdit && ok) {
      // A merged keystroke extends the last step; anything else records one.
      if (ops.StepCount(HistoryList::Undo) == undoCount) {
        EXPECT_TRUE(op <= 1) << "only typing merges";
      } else {
        record(undo, before);
      }
      redo.clear();
    }
    if (userEdit && !ok) {
      EXPECT_EQ(model, before);
    }

    ASSERT_EQ(ModelOf(b), model);
    ASSERT_EQ(ops.StepCount(HistoryList::Undo), std::int32_t(undo.size()));
    ASSERT_EQ(ops.StepCount(HistoryList::Redo), std::int32_t(redo.size()));
    ASSERT_EQ(doc.IsModified(), modified);
    if (wrap || folding) {
      ASSERT_EQ(test::RowsOf(b), test::FreshRows(b));
    }
  }
  hp.boxes.Clear();

  // The tip of the history: what redoing everything left gives.
  while (ops.CanRedo()) {
    ASSERT_TRUE(ops.Redo());
    reverse(false);
    ASSERT_EQ(ModelOf(b), model);
  }
  const std::u16string final = model;
  while (ops.CanUndo()) ASSERT_TRUE(ops.Undo());
  EXPECT_EQ(ModelOf(b), original);
  EXPECT_FALSE(doc.IsModified());
  while (ops.CanRedo()) ASSERT_TRUE(ops.Redo());
  EXPECT_EQ(ModelOf(b), final);
  if (wrap || folding) {
    EXPECT_EQ(test::RowsOf(b), test::FreshRows(b));
  }
  EXPECT_TRUE(TakeReports().empty());
}

TEST_F(EditModelTest, PlainDocuments) {
  for (unsigned seed = 1; seed <= 1500; ++seed) {
    Run(seed, false, false, false);
    if (HasFatalFailure()) return;
  }
}

TEST_F(EditModelTest, WrappedDocumentsKeepTheirRows) {
  for (unsigned seed = 5001; seed <= 5500; ++seed) {
    Run(seed, true, false, seed % 2 == 0);
    if (HasFatalFailure()) return;
  }
}

TEST_F(EditModelTest, FoldedDocumentsKeepTheirRows) {
  for (unsigned seed = 9001; seed <= 10000; ++seed) {
    Run(seed, seed % 2 == 0, true, seed % 3 == 0);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace kastrell
