// Costs of the edit operations: typing one unit at a time and pressing Enter
// in a short and a very long document, and pasting and undoing a large block.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "platform/headless/HeadlessPlatform.h"
#include "text/CMyEditDoc.h"
#include "text/EditTestUtil.h"

namespace kastrell {
namespace {

HeadlessPlatform* g_platform = new HeadlessPlatform;

test::FixedWrapHooks g_wrap(80);

// Documents are costly to build, so each shape is built once and restored by
// undo after every iteration.
// layout: 0 none, 1 word wrap at 80 units, 2 folding (one row per line).
CMyEditDoc& Document(std::int32_t lines, std::int64_t layout) {
  static std::map<std::pair<std::int32_t, std::int64_t>, std::unique_ptr<CMyEditDoc>> docs;
  auto& doc = docs[{lines, layout}];
  if (!doc && lines > 1'000'000) {
    // Keep one document of this size at a time: each takes hundreds of megabytes.
    for (auto& [shape, other] : docs) {
      if (shape.first > 1'000'000) other.reset();
    }
  }
  if (!doc) {
    doc = std::make_unique<CMyEditDoc>();
    TextBuffer& b = doc->Buffer();
    const std::u16string line = u"    int value = compute(alpha, beta);";
    b.SetLineCount(0);
    for (std::int32_t i = 0; i < lines; ++i) b.AppendLine(MakeLineRecord(line.data(), std::int32_t(line.size())));
    if (layout != 0) {
      doc->Watchers().Add(&g_wrap, WatchOrder::Layout);
      b.SetWordWrap(layout == 1);
      b.SetFolding(layout == 2);
      test::LayOut(b);
    }
  }
  return *doc;
}

void BM_TypeIntoMiddleLine(benchmark::State& state) {
  CMyEditDoc& doc = Document(std::int32_t(state.range(0)), state.range(1));
  EditOps& ops = doc.Edits();
  const std::int32_t line = std::int32_t(state.range(0) / 2);
  const std::int64_t chars = 10'000;
  for (auto _ : state) {
    TextPos at{line, 4};
    for (std::int64_t i = 0; i < chars; ++i) {
      char16_t c = char16_t(u'a' + i % 26);
      ops.InsertText(at, std::u16string_view(&c, 1), kUndoUser);
      at.column++;
    }
    state.PauseTiming();
    state.counters["steps"] = double(ops.StepCount(HistoryList::Undo));
    state.counters["stepTextUnits"] = double(ops.History().Steps(HistoryList::Undo).back().text.size());
    ops.Undo();
    ops.ResetHistory();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * chars);
}
BENCHMARK(BM_TypeIntoMiddleLine)
    ->ArgNames({"lines", "layout"})
    ->Args({10, 0})
    ->Args({1'000'000, 0})
    ->Args({10, 1})
    ->Args({1'000'000, 1})
    ->Args({10, 2})
    ->Args({1'000'000, 2})
    ->Unit(benchmark::kMicrosecond);

// 10,000 Enters in a row (each at the start of the line the last one made),
// at the top, in the middle or at the end of the document. Typing merges
// them into one undo step, which restores the document after each iteration.
void BM_Enter(benchmark::State& state) {
  const std::int32_t lines = std::int32_t(state.range(0));
  CMyEditDoc& doc = Document(lines, state.range(1));
  EditOps& ops = doc.Edits();
  const std::int64_t where = state.range(2);
  const std::int32_t line = where == 0 ? 0 : where == 1 ? lines / 2 : lines - 1;
  const TextPos start{line, where == 2 ? doc.Buffer().LineLength(line) : 4};
  const std::int64_t enters = 10'000;
  // One untimed Enter brings the gaps of the line array and the row table to
  // this place; the first edit after a jump pays that move once (timed by
  // BM_EnterAfterJump).
  ops.InsertText(start, u"\r\n", kUndoUser);
  ops.Undo();
  ops.ResetHistory();
  for (auto _ : state) {
    TextPos at = start;
    for (std::int64_t i = 0; i < enters; ++i) {
      ops.InsertText(at, u"\r\n", kUndoUser);
      at = doc.Buffer().LastChange().end;
    }
    state.PauseTiming();
    if (doc.Buffer().LineCount() != lines + enters) state.SkipWithError("an Enter failed");
    ops.Undo();
    ops.ResetHistory();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * enters);
}
BENCHMARK(BM_Enter)
    ->ArgNames({"lines", "layout", "at"})
    ->ArgsProduct({{10, 5'500'000}, {0, 1}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond);

// One Enter at the top of the document after one at the end: the gaps move
// across the whole document once.
void BM_EnterAfterJump(benchmark::State& state) {
  const std::int32_t lines = std::int32_t(state.range(0));
  CMyEditDoc& doc = Document(lines, state.range(1));
  EditOps& ops = doc.Edits();
  for (auto _ : state) {
    state.PauseTiming();
    ops.InsertText({lines - 1, 0}, u"\r\n", kUndoUser);
    ops.Undo();
    state.ResumeTiming();
    ops.InsertText({0, 4}, u"\r\n", kUndoUser);
    state.PauseTiming();
    ops.Undo();
    ops.ResetHistory();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_EnterAfterJump)
    ->ArgNames({"lines", "layout"})
    ->ArgsProduct({{5'500'000}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

std::u16string Block(std::int32_t lines) {
  std::u16string text;
  for (std::int32_t i = 0; i < lines; ++i) text += u"  pasted line of a large block\r\n";
  return text;
}

// Pastes a 100,000-line block into the middle of a 10,000-line document;
// range(1) selects whether the paste or its undo is timed.
void BM_PasteBlock(benchmark::State& state) {
  CMyEditDoc& doc = Document(10'000, state.range(0));
  EditOps& ops = doc.Edits();
  const std::u16string block = Block(100'000);
  const bool timeUndo = state.range(1) != 0;
  for (auto _ : state) {
    if (timeUndo) state.PauseTiming();
    ops.InsertText({5'000, 4}, block, kUndoUser);
    if (timeUndo) {
      state.ResumeTiming();
    } else {
      state.PauseTiming();
    }
    ops.Undo();
    if (!timeUndo) state.ResumeTiming();
    benchmark::DoNotOptimize(doc.Buffer().LineCount());
  }
  ops.ResetHistory();
}
BENCHMARK(BM_PasteBlock)
    ->ArgNames({"layout", "undo"})
    ->Args({0, 0})
    ->Args({0, 1})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kastrell
BENCHMARK_MAIN();
