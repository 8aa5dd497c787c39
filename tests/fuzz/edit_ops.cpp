// Drives the edit operations, Undo, Redo and grouping from fuzz input, under
// word wrap and folding when the input asks for them. Whatever happens, undoing
// everything must give back the starting text unmodified, redoing everything
// the text at the tip of the history, and the row table must match a fresh layout.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/headless/HeadlessPlatform.h"
#include "text/CMyEditDoc.h"
#include "text/EditTestUtil.h"

namespace {

using namespace kastrell;

struct Input {
  const std::uint8_t* p;
  const std::uint8_t* end;
  bool More() const { return p < end; }
  std::uint8_t Byte() { return p < end ? *p++ : 0; }
};

std::u16string AllText(const TextBuffer& b) {
  std::u16string s;
  for (std::int32_t l = 0; l < b.LineCount(); ++l) {
    s += b.LineView(l);
    s += u'\xFFFF';
  }
  return s;
}

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "edit_ops: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  HeadlessPlatform hp;
  Input in{data, data + size};
  CMyEditDoc doc;
  TextBuffer& b = doc.Buffer();
  EditOps& ops = doc.Edits();
  test::FixedWrapHooks hooks(3);
  ScopedDocWatcher watch(doc.Watchers(), hooks, WatchOrder::Layout);
  std::uint8_t flags = in.Byte();
  b.SetWordWrap(flags & 1);
  b.SetFolding(flags & 2);
  ops.InsertText({0, 0}, u"one\r\n  two\r\n\r\nthree", kUndoNone);
  const bool rowsOn = b.WordWrap() || b.Folding();
  auto layOut = [&] { test::LayOut(b); };
  if (rowsOn) layOut();
  const std::u16string original = AllText(b);

  auto pos = [&] {
    std::int32_t line = std::int32_t(in.Byte() % (b.LineCount() + 1));
    std::int32_t column = std::int32_t(in.Byte() % 8);
    if (line < b.LineCount() && column > b.LineLength(line)) column = b.LineLength(line);
    return TextPos{line, column};  // a line past the end tests the refusals
  };
  auto text = [&] {
    static const char16_t kUnits[] = {u'a', u'\r', u'\n', 0, u' ', u'\t', 0x4e2d, 0xD800};
    std::u16string s;
    for (std::uint8_t n = in.Byte() % 6; n > 0; --n) s += kUnits[in.Byte() % 8];
    return s;
  };

  int depth = 0;
  for (int steps = 0; in.More() && steps < 200; ++steps) {
    std::uint8_t op = in.Byte();
    TextPos p = pos(), q = pos();
    if (q < p) std::swap(p, q);
    switch (op % 12) {
      case 0: ops.InsertText(p, text(), kUndoUser); break;
      case 1: ops.DeleteRange(p, q, kUndoUser); break;
      case 2: ops.ReplaceRange(p, q, text(), kUndoUser); break;
      case 3: ops.MoveText(p, q, pos(), kUndoUser); break;
      case 4: ops.DeleteChar(p, kUndoUser); break;
      case 5: ops.Backspace(p, kUndoUser); break;
      case 6: ops.Undo(); break;
      case 7: ops.Redo(); break;
      case 8: ops.GroupLastSteps(op / 12 % 5, HistoryList::Undo); break;
      case 9: ops.CloseTypingStep(TypingStep::Closed, HistoryList::Undo); break;
      case 10:
        if (op & 0x80) {
          ops.BeginRowBatch();
          ++depth;
        } else if (depth > 0) {
          ops.EndRowBatch();
          --depth;
        }
        break;
      case 11:
        // Collapsing lays the rows out afresh, which only makes sense outside a batch.
        if (depth == 0 && b.Folding() && p.line + 1 < b.LineCount() && b.Watchers().FoldHiding(b, p.line) < 0) {
          std::int32_t n = 1 + (op >> 4) % 3;
          bool free = p.line + n < b.LineCount();
          for (std::int32_t l = p.line; free && l <= p.line + n; ++l) free = b.Line(l).fold <= 0;
          if (free) {
            b.MutableLine(p.line).fold = n;
            layOut();
          }
        }
        break;
    }
    if (std::getenv("EDIT_OPS_TRACE")) {
      std::fprintf(stderr, "step %d op %d p %d,%d q %d,%d depth %d rows %s\n", steps, op % 12, p.line, p.column, q.line,
                   q.column, depth,
                   depth || !rowsOn ? "-" : test::RowsOf(b) == test::FreshRows(b) ? "ok" : "BAD");
    }
  }
  for (; depth > 0; --depth) ops.EndRowBatch();
  if (rowsOn) Check(test::RowsOf(b) == test::FreshRows(b), "rows after edits");

  while (ops.CanRedo()) Check(ops.Redo(), "redo to the tip");
  const std::u16string tip = AllText(b);
  while (ops.CanUndo()) Check(ops.Undo(), "undo");
  Check(AllText(b) == original, "undo everything restores the text");
  Check(!doc.IsModified(), "undo everything restores the unmodified state");
  while (ops.CanRedo()) Check(ops.Redo(), "redo");
  Check(AllText(b) == tip, "redo everything restores the tip");
  if (rowsOn) Check(test::RowsOf(b) == test::FreshRows(b), "rows after redo");
  return 0;
}
