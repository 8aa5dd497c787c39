// The syntax and auto-completion files in data/: each parses, keeps the
// encoding and line-break rules of shipped files, has no keyword twice in a
// group, and each syntax finds its keywords in a real source file of its
// language (the system's own where Debian ships one, else a sample of ours).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "lang/CompletionTable.h"
#include "lang/SyntaxDef.h"
#include "platform/Utf.h"
#include "support/PlatformTest.h"
#include "text/CharTables.h"

namespace kastrell {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> Shipped(const std::string& ext) {
  std::vector<fs::path> out;
  for (const auto& e : fs::directory_iterator(KASTRELL_SOURCE_DATA_DIR))
    if (e.is_regular_file() && e.path().extension() == ext) out.push_back(e.path());
  std::sort(out.begin(), out.end());
  return out;
}

bool IsUtf16(const std::string& b) { return b.size() >= 2 && b[0] == '\xFF' && b[1] == '\xFE'; }

// Shipped files are ASCII or UTF-16 LE with its mark: an ANSI file would be
// read in the user's code page.
void CheckEncoding(const fs::path& p, const std::string& bytes) {
  if (IsUtf16(bytes)) {
    EXPECT_EQ(bytes.size() % 2, 0u) << p;
    return;
  }
  auto high = std::find_if(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  EXPECT_EQ(high, bytes.end()) << p << ": a byte above 0x7F in a file without the UTF-16 mark";
}

std::u16string Text(const std::string& bytes) {
  if (!IsUtf16(bytes)) return std::u16string(bytes.begin(), bytes.end());
  std::u16string t;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
    t.push_back(char16_t(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8));
  return t;
}

class ShippedDataTest : public test::PlatformTest {};

TEST_F(ShippedDataTest, EverySyntaxFileParsesWithoutDuplicateKeywords) {
  for (const fs::path& p : Shipped(".stx")) {
    SCOPED_TRACE(p.filename().string());
    std::string bytes = Slurp(p);
    CheckEncoding(p, bytes);
    SyntaxDef d;
    ParseSyntaxBytes(d, bytes);
    // A group may be empty: its colour then comes from a prefix or suffix.
    for (int g = 0; g < d.groupCount; ++g) {
      std::set<std::u16string> seen;
      for (const std::u16string& w : d.keywords[g].words()) {
        std::u16string key = w;
        if (!d.caseSensitive)
          for (char16_t& c : key) c = UpperUnit(c);
        EXPECT_TRUE(seen.insert(key).second) << "group " << g + 1 << " holds " << Utf16ToUtf8(w) << " twice";
      }
    }
    // Directive lines the parser does not know are most likely typing errors.
    std::u16string text = Text(bytes);
    static const std::set<std::u16string> kKeys = {
        u"KEYWORD",     u"DELIMITER",    u"QUOTATION1",  u"QUOTATION2",     u"LINECOMMENT",  u"LINECOMMENT1",
        u"LINECOMMENT2", u"COMMENTON",   u"COMMENTON1",  u"COMMENTON2",     u"COMMENTOFF",   u"COMMENTOFF1",
        u"COMMENTOFF2", u"ESCAPE",       u"CASE",        u"AUTOCASE",       u"CONTINUE_QUOTE", u"HTML_EMBEDDED",
        u"SKIP_QUOTE",  u"AUTOCOMPLETE_QUOTE", u"SCRIPT_BEGIN", u"SCRIPT_END", u"SPECIAL_STX", u"NUMBER_PATTERN",
        u"HEREDOC"};
    std::size_t pos = 0;
    while (pos < text.size()) {
      std::size_t end = text.find(u'\n', pos);
      if (end == text.npos) end = text.size();
      std::u16string_view line(text.data() + pos, end - pos);
      pos = end + 1;
      if (line.empty() || line[0] != u'#') continue;
      std::u16string key(line.substr(1, line.find_first_of(u"=\r") - 1));
      for (char16_t& c : key) c = UpperUnit(c);
      bool numbered = (key.rfind(u"PREFIX", 0) == 0 || key.rfind(u"SUFFIX", 0) == 0) && key.size() <= 8;
      EXPECT_TRUE(kKeys.count(key) || numbered) << "unknown directive #" << Utf16ToUtf8(key);
    }
  }
}

TEST_F(ShippedDataTest, EveryCompletionFileParses) {
  for (const fs::path& p : Shipped(".acp")) {
    SCOPED_TRACE(p.filename().string());
    std::string bytes = Slurp(p);
    CheckEncoding(p, bytes);
    std::u16string text = Text(bytes);
    // Only CR LF separates the lines of an expansion.
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == u'\n') {
        ASSERT_TRUE(i > 0 && text[i - 1] == u'\r') << "a bare LF at unit " << i;
      }
    }
    CompletionTable t;
    ParseCompletionBytes(t, bytes);
    std::size_t directives = 0;
    for (std::size_t i = 0; i + 2 < text.size(); ++i)
      if ((i == 0 || text[i - 1] == u'\n') && text[i] == u'#' && (text[i + 1] == u'T' || text[i + 1] == u't') &&
          text[i + 2] == u'=')
        ++directives;
    EXPECT_GT(t.size(), 0u);
    EXPECT_EQ(t.size(), directives) << "an entry without keyword or expansion";
    std::set<std::u16string> seen;
    for (const std::u16string& w : t.keywords.words())
      EXPECT_TRUE(seen.insert(w).second) << Utf16ToUtf8(w) << " twice";
  }
}

// A real file of each language: the first that exists.
std::string SampleFor(const std::string& stem) {
  const std::string samples = std::string(KASTRELL_TEST_SOURCE_DIR) + "/lang/samples/";
  static const std::map<std::string, std::vector<std::string>> kSamples = {
      {"cpp", {"/usr/include/stdio.h", "/usr/include/c++/12/vector"}},
      {"perl", {"/usr/share/perl/5.36/File/Basename.pm", "/usr/share/perl/5.36/Carp.pm"}},
      {"python", {"/usr/lib/python3.11/os.py", "/usr/lib/python3.11/shutil.py"}},
      {"sh", {"/usr/bin/bzdiff", "/usr/bin/c99-gcc", "/usr/bin/zdiff"}},
      {"bash", {"/usr/bin/bashbug"}},
      {"cmake", {"/usr/share/cmake-3.25/Modules/FindZLIB.cmake"}},
      {"html", {"/usr/share/doc/bc/bc.html"}},
  };
  auto it = kSamples.find(stem);
  if (it != kSamples.end())
    for (const std::string& p : it->second)
      if (fs::is_regular_file(p)) return p;
  for (const auto& e : fs::directory_iterator(samples))
    if (e.path().stem() == stem) return e.path();
  return {};
}

TEST_F(ShippedDataTest, EachSyntaxFindsItsKeywordsInARealFile) {
  for (const fs::path& p : Shipped(".stx")) {
    const std::string stem = p.stem().string();
    SCOPED_TRACE(stem);
    std::string sample = SampleFor(stem);
    if (sample.empty()) {
      ADD_FAILURE() << "no sample file for " << stem << ".stx (add tests/lang/samples/" << stem << ".*)";
      continue;
    }
    SyntaxDef d;
    ParseSyntaxBytes(d, Slurp(p));
    std::u16string text = Utf8ToUtf16(Slurp(sample));
    std::set<std::u16string> hits;
    std::size_t i = 0;
    while (i < text.size()) {
      if (d.IsDelimiter(text[i])) {
        ++i;
        continue;
      }
      std::size_t start = i;
      while (i < text.size() && !d.IsDelimiter(text[i])) ++i;
      std::u16string_view word(text.data() + start, i - start);
      if (d.FindKeyword(word) >= 0) hits.insert(std::u16string(word));
    }
    // A syntax without keywords (Markdown) colours only comments and quotes.
    std::size_t keywords = 0;
    for (int g = 0; g < d.groupCount; ++g) keywords += d.keywords[g].size();
    EXPECT_GE(hits.size(), std::min<std::size_t>(3, keywords)) << "only " << hits.size() << " distinct keywords of " << stem << ".stx in " << sample;
  }
}

}  // namespace
}  // namespace kastrell
