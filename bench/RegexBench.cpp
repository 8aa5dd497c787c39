// Find-all searches of the regular expression engine over a 20 MB UTF-16 text
// (10 M units: English prose from the licence and copyright files of this
// system, then C headers, lines joined with CR LF), each next to the same
// search by PCRE2's 16-bit interpreter (no JIT) as the reference.
#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Utf.h"
#include "search/RegexProgram.h"

namespace {

constexpr std::size_t kUnits = 10u << 20;  // 20 MB of UTF-16

std::vector<std::string> ListFiles(const std::string& dir, const std::string& leaf, const std::string& suffix) {
  std::vector<std::string> out;
  DIR* d = opendir(dir.c_str());
  while (dirent* e = d ? readdir(d) : nullptr) {
    std::string name = e->d_name;
    if (name[0] == '.') continue;
    std::string path = dir + "/" + name;
    if (!leaf.empty()) path += "/" + leaf;
    if (!suffix.empty() && (name.size() < suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix)))
      continue;
    out.push_back(path);
  }
  if (d) closedir(d);
  std::sort(out.begin(), out.end());
  return out;
}

// Appends the files' lines, joined with CR LF, until `text` holds `limit` units.
void AppendLines(std::u16string& text, const std::vector<std::string>& files, std::size_t limit) {
  for (int round = 0; text.size() < limit && round < 100; ++round) {
    for (const std::string& f : files) {
      std::ifstream in(f, std::ios::binary);
      if (!in) continue;
      std::stringstream ss;
      ss << in.rdbuf();
      for (char16_t u : kastrell::Utf8ToUtf16(ss.str())) {
        if (u == u'\r') continue;
        if (u == u'\n') text += u"\r\n";
        else text += u;
      }
      if (text.size() >= limit) break;
    }
  }
  text.resize(std::min(text.size(), limit));
}

const std::u16string& Text() {
  static const std::u16string text = [] {
    std::u16string t;
    t.reserve(kUnits);
    std::vector<std::string> prose = ListFiles("/usr/share/common-licenses", "", "");
    std::vector<std::string> copyrights = ListFiles("/usr/share/doc", "copyright", "");
    prose.insert(prose.end(), copyrights.begin(), copyrights.end());
    AppendLines(t, prose, kUnits / 2);
    AppendLines(t, ListFiles("/usr/include", "", ".h"), kUnits);
    return t;
  }();
  return text;
}

struct Case {
  const char* name;
  const char16_t* ours;
  const char* pcre;  // the same search in PCRE2 syntax (multi-line, CR LF newlines)
  bool ignoreCase;
};

const Case kCases[] = {
    {"rare_literal", u"Eindhoven", "Eindhoven", false},
    {"common_literal", u"the", "the", false},
    {"icase_literal", u"license", "license", true},
    {"line_start_define", u"^#define", "^#define", false},
    {"upper_MAX", u"[A-Z_]+_MAX", "[A-Z_]+_MAX", false},
    {"lower_lock", u"[a-z]+_lock", "[a-z]+_lock", false},
    {"no_match", u"[Qq]uux[0-9]+", "[Qq]uux[0-9]+", false},
    {"line_break", u";\\n}", ";\\r\\n}", false},
    {"define_capture", u"^#define ([A-Z_]+) (.*)", "^#define ([A-Z_]+) ([^\\r\\n]*)", false},
};

void BM_Kastrell(benchmark::State& state, const Case& c) {
  const std::u16string& text = Text();
  kastrell::RegexProgram prog;
  if (!kastrell::RegexCompile(prog, c.ours)) {
    state.SkipWithError("pattern does not compile");
    return;
  }
  std::size_t matches = 0;
  for (auto _ : state) {
    matches = 0;
    for (std::size_t from = 0; from <= text.size();) {
      kastrell::RegexResult r = kastrell::RegexSearch(prog, text, from, !c.ignoreCase, true);
      if (!r.found()) break;
      ++matches;
      from = r.start + (r.length ? r.length : 1);
    }
    benchmark::DoNotOptimize(matches);
  }
  state.counters["matches"] = double(matches);
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size() * 2));
}

void BM_Pcre2Interpreter(benchmark::State& state, const Case& c) {
  const std::u16string& text = Text();
  std::u16string pattern = kastrell::Utf8ToUtf16(c.pcre);
  int err = 0;
  PCRE2_SIZE offset = 0;
  pcre2_compile_context* cc = pcre2_compile_context_create(nullptr);
  pcre2_set_newline(cc, PCRE2_NEWLINE_CRLF);
  pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                   PCRE2_MULTILINE | (c.ignoreCase ? PCRE2_CASELESS : 0), &err, &offset, cc);
  pcre2_compile_context_free(cc);
  if (!code) {
    state.SkipWithError("pcre2 rejects the pattern");
    return;
  }
  pcre2_match_data* md = pcre2_match_data_create_from_pattern(code, nullptr);
  std::size_t matches = 0;
  for (auto _ : state) {
    matches = 0;
    for (std::size_t from = 0; from <= text.size();) {
      int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), from, 0, md, nullptr);
      if (rc < 0) break;
      PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md);
      ++matches;
      from = ov[1] > ov[0] ? ov[1] : ov[0] + 1;
    }
    benchmark::DoNotOptimize(matches);
  }
  state.counters["matches"] = double(matches);
  state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size() * 2));
  pcre2_match_data_free(md);
  pcre2_code_free(code);
}

// How long a catastrophic search runs before its step budget stops it.
void BM_KastrellBudgetStop(benchmark::State& state) {
  std::u16string line = u"q" + std::u16string(1 << 20, u'a');
  kastrell::RegexProgram prog;
  kastrell::RegexCompile(prog, u"[a-z]+q");
  for (auto _ : state) {
    kastrell::RegexResult r = kastrell::RegexSearch(prog, line, 0, true, true);
    if (r.status != kastrell::RegexStatus::TooComplex) state.SkipWithError("the budget did not stop the search");
  }
}
BENCHMARK(BM_KastrellBudgetStop)->Unit(benchmark::kMillisecond);

const bool kRegistered = [] {
  for (const Case& c : kCases) {
    benchmark::RegisterBenchmark((std::string("Regex/") + c.name + "/kastrell").c_str(), BM_Kastrell, c)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("Regex/") + c.name + "/pcre2_interpreter").c_str(),
                                 BM_Pcre2Interpreter, c)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
