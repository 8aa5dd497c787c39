// Line store costs: appending many lines, and row lookups under word wrap.
#include <benchmark/benchmark.h>

#include <random>

#include "platform/headless/HeadlessPlatform.h"
#include "text/TextBuffer.h"

namespace kastrell {
namespace {

void BM_AppendLines(benchmark::State& state) {
  HeadlessPlatform hp;
  const std::u16string line = u"    int value = compute(alpha, beta);";
  for (auto _ : state) {
    TextBuffer b;
    b.SetLineCount(0);
    for (std::int64_t i = 0; i < state.range(0); ++i) {
      b.AppendLine(MakeLineRecord(line.data(), std::int32_t(line.size())));
    }
    benchmark::DoNotOptimize(b.LineCount());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AppendLines)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->Iterations(3);

// One million lines of 0 to 300 units, wrapped at 80: about 2.4 million rows.
class WrappedTable : public benchmark::Fixture {
 public:
  void SetUp(const benchmark::State&) override {
    if (buffer) return;
    buffer = std::make_unique<TextBuffer>();
    std::mt19937 rng(1);
    buffer->SetLineCount(0);
    std::u16string text(300, u'x');
    for (int i = 0; i < 1'000'000; ++i) {
      std::int32_t len = std::int32_t(rng() % 301);
      buffer->AppendLine(MakeLineRecord(text.data(), len));
    }
    buffer->SetWordWrap(true);
    for (std::int32_t l = 0; l < buffer->LineCount(); ++l) {
      std::int32_t len = buffer->LineLength(l), start = 0;
      do {
        std::int32_t n = std::min(80, len - start);
        buffer->Rows().Append(RowEntry{l, start, n});
        start += n;
      } while (start < len);
    }
  }
  static inline HeadlessPlatform* platform = new HeadlessPlatform;
  static inline std::unique_ptr<TextBuffer> buffer;
};

BENCHMARK_F(WrappedTable, LineToRowRandom)(benchmark::State& state) {
  std::mt19937 rng(2);
  for (auto _ : state) {
    std::int32_t line = std::int32_t(rng() % 1'000'000);
    benchmark::DoNotOptimize(buffer->LineToRow(line, std::int32_t(rng() % 300)));
  }
}

BENCHMARK_F(WrappedTable, LineToRowLastLine)(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(buffer->LineToRow(999'999, 10));
}

}  // namespace
}  // namespace kastrell

BENCHMARK_MAIN();
