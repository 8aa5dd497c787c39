// Syntax and file-type costs: parsing the largest shipped .stx and .acp files
// (read once, parsed per iteration), and matching 100,000 paths against a full
// table of 30 types whose wildcards are compiled once.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "lang/CompletionTable.h"
#include "lang/FileTypes.h"
#include "platform/Utf.h"
#include "platform/headless/HeadlessPlatform.h"

namespace kastrell {
namespace {

// The largest file with this extension in the source tree's data folder.
std::string LargestShipped(const std::string& ext, std::string& name) {
  std::string best;
  std::uintmax_t size = 0;
  for (const auto& e : std::filesystem::directory_iterator(KASTRELL_SOURCE_DATA_DIR)) {
    if (!e.is_regular_file() || e.path().extension() != ext || e.file_size() <= size) continue;
    size = e.file_size();
    name = e.path().filename();
    std::ifstream in(e.path(), std::ios::binary);
    best.assign(std::istreambuf_iterator<char>(in), {});
  }
  return best;
}

void BM_ParseLargestStx(benchmark::State& state) {
  HeadlessPlatform hp;
  std::string name;
  std::string bytes = LargestShipped(".stx", name);
  if (bytes.empty()) return state.SkipWithError("no .stx file in data/");
  int words = 0;
  for (auto _ : state) {
    SyntaxDef d;
    ParseSyntaxBytes(d, bytes);
    words = 0;
    for (int g = 0; g < d.groupCount; ++g) words += int(d.keywords[g].size());
    benchmark::DoNotOptimize(words);
  }
  state.SetLabel(name + ", " + std::to_string(bytes.size()) + " bytes, " + std::to_string(words) + " keywords");
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes.size()));
}
BENCHMARK(BM_ParseLargestStx)->Unit(benchmark::kMicrosecond);

void BM_ParseLargestAcp(benchmark::State& state) {
  HeadlessPlatform hp;
  std::string name;
  std::string bytes = LargestShipped(".acp", name);
  if (bytes.empty()) return state.SkipWithError("no .acp file in data/");
  std::size_t entries = 0;
  for (auto _ : state) {
    CompletionTable t;
    ParseCompletionBytes(t, bytes);
    entries = t.size();
    benchmark::DoNotOptimize(entries);
  }
  state.SetLabel(name + ", " + std::to_string(bytes.size()) + " bytes, " + std::to_string(entries) + " entries");
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes.size()));
}
BENCHMARK(BM_ParseLargestAcp)->Unit(benchmark::kMicrosecond);

// The first-start table (27 types) plus three custom types with wildcards:
// 30 types, five of them with a wildcard.
FileTypeTable FullTable() {
  FileTypeTable t;
  ReadFileTypes(t, nullptr, nullptr);
  const char16_t* wild[] = {u"*.conf.in", u"README*", u"Dockerfile"};
  for (const char16_t* w : wild) {
    FileType f;
    f.description = w;
    f.wildcard = w;
    t.types.push_back(f);
  }
  return t;
}

void BM_Match100kPaths(benchmark::State& state) {
  HeadlessPlatform hp;
  FileTypeTable table = FullTable();
  const char* names[] = {"main.c", "Makefile", "Makefile.am", "CMakeLists.txt", "index.html", "app.tsx",
                         "README.md", "README", "notes", "setup.conf.in", "lib.rs", "x.unknown",
                         "Dockerfile", "script.sh", "data.json", "a.b.c.yml"};
  std::mt19937 rng(7);
  std::vector<std::string> paths;
  for (int i = 0; i < 100000; ++i)
    paths.push_back("/home/user/project" + std::to_string(rng() % 100) + "/src/" + names[rng() % std::size(names)]);
  const std::u16string firstLine = u"#!/usr/bin/env python3";
  (void)MatchFileType(table, paths[0], firstLine);  // compiles the wildcards
  for (auto _ : state) {
    long sum = 0;
    for (const std::string& p : paths) sum += MatchFileType(table, p, firstLine).type;
    benchmark::DoNotOptimize(sum);
  }
  state.SetLabel(std::to_string(table.Count()) + " types, 100000 paths per iteration");
  state.SetItemsProcessed(std::int64_t(state.iterations()) * 100000);
}
BENCHMARK(BM_Match100kPaths)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kastrell

BENCHMARK_MAIN();
