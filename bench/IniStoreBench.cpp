// Settings batches on a 100 KB INI file: N gets or N sets between one open and
// one close (4,000 against 1,000 shows the batch cost grows linearly), and the
// one-shot helpers that read the file again for every call.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdlib>
#include <random>
#include <string>

#include "app/IniStore.h"
#include "platform/headless/HeadlessPlatform.h"

namespace kastrell {
namespace {

std::u16string U16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// 40 sections of keys "Key<n>=Value <n> ..." until the file holds 100 KB.
// SetUp runs once per benchmark, so the file is built only a few times.
class IniFile : public benchmark::Fixture {
 public:
  void SetUp(const benchmark::State&) override {
    char templ[] = "/tmp/kastrell-bench-XXXXXX";
    dir = mkdtemp(templ);
    path = dir + "/bench_u.ini";
    original.text.assign(1, kByteOrderMark);
    for (keys = 0; original.text.size() * 2 < 100 * 1024; ++keys)
      IniStore::SetString(&original, Section(keys), Key(keys),
                          u"Value " + U16(std::to_string(keys)) + u" of the benchmark");
    Restore();
  }
  void Restore() { IniStore::Close(std::make_unique<IniBuffer>(original), path); }
  void TearDown(const benchmark::State&) override { std::system(("rm -rf '" + dir + "'").c_str()); }

  static constexpr int kSections = 40;
  std::u16string Section(int k) const { return u"Section" + U16(std::to_string(k % kSections)); }
  std::u16string Key(int k) const { return u"Key" + U16(std::to_string(k)); }

  HeadlessPlatform hp;
  IniBuffer original;
  std::string dir, path;
  int keys = 0;
};

BENCHMARK_DEFINE_F(IniFile, GetBatch)(benchmark::State& state) {
  const int n = int(state.range(0));
  std::mt19937 rng(1);
  for (auto _ : state) {
    std::unique_ptr<IniBuffer> b = IniStore::Open(path);
    for (int i = 0; i < n; ++i) {
      int k = int(rng() % unsigned(keys));
      benchmark::DoNotOptimize(IniStore::GetString(b.get(), Section(k), Key(k)));
    }
    IniStore::Close(std::move(b));
  }
  state.counters["file_bytes"] = double(original.text.size() * 2);
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK_REGISTER_F(IniFile, GetBatch)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

// Half the sets replace a value, half add a new key; the batch ends with one
// saving close.
BENCHMARK_DEFINE_F(IniFile, SetBatch)(benchmark::State& state) {
  const int n = int(state.range(0));
  std::mt19937 rng(2);
  int fresh = 0;
  for (auto _ : state) {
    std::unique_ptr<IniBuffer> b = IniStore::Open(path);
    for (int i = 0; i < n; ++i) {
      int k = i % 2 ? int(rng() % unsigned(keys)) : keys + fresh++;
      IniStore::SetString(b.get(), Section(k), Key(k), u"changed value " + U16(std::to_string(i)));
    }
    if (!IniStore::Close(std::move(b), path)) state.SkipWithError("save failed");
    state.PauseTiming();
    Restore();
    fresh = 0;
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK_REGISTER_F(IniFile, SetBatch)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);

// Without a batch every call reads the whole file again.
BENCHMARK_DEFINE_F(IniFile, GetOneShot)(benchmark::State& state) {
  const int n = int(state.range(0));
  std::mt19937 rng(3);
  for (auto _ : state) {
    for (int i = 0; i < n; ++i) {
      int k = int(rng() % unsigned(keys));
      benchmark::DoNotOptimize(IniStore::ReadInt(path, Section(k), Key(k), 0));
    }
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK_REGISTER_F(IniFile, GetOneShot)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kastrell
BENCHMARK_MAIN();
