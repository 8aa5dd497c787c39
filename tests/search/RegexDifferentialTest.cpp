// Compares the engine with PCRE2 (16-bit) on generated patterns of the
// editor's dialect, translated to PCRE2 syntax, over generated texts whose
// lines are joined with CR LF: every match of a find-all loop must agree in
// start, end and the nine captures.
#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "platform/Utf.h"
#include "search/RegexProgram.h"
#include "support/PlatformTest.h"

namespace kastrell {
namespace {

// One generated pattern: the editor's spelling and the PCRE2 spelling.
struct Piece {
  std::u16string ours;
  std::string pcre;
  bool nullable = false;
};

class PatternGenerator {
 public:
  explicit PatternGenerator(std::uint32_t seed) : rng_(seed) {}

  Piece Pattern(bool textStartIsLineStart) {
    groups_ = 0;
    tsl_ = textStartIsLineStart;
    return Alternation(0);
  }

  std::u16string Text() {
    static const char16_t kUnits[] = u"ababcAx .-";
    std::u16string t;
    int len = Pick(0, 14);
    for (int i = 0; i < len; ++i) {
      if (Pick(0, 6) == 0) t += u"\r\n";
      else t += kUnits[Pick(0, 9)];
    }
    return t;
  }

 private:
  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  static std::string Hex(char16_t u) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "\\x{%x}", unsigned(u));
    return buf;
  }

  Piece Alternation(int depth) {
    Piece p = Branch(depth);
    while (depth < 3 && Pick(0, 5) == 0) {
      Piece b = Branch(depth);
      p.ours += u"|" + b.ours;
      p.pcre = p.pcre + "|" + b.pcre;
      p.nullable = p.nullable || b.nullable;
    }
    return p;
  }

  Piece Branch(int depth) {
    Piece p;
    p.nullable = true;
    int n = Pick(depth == 0 ? 1 : 0, 4);
    for (int i = 0; i < n; ++i) {
      Piece q = Quantified(depth);
      p.ours += q.ours;
      p.pcre += q.pcre;
      p.nullable = p.nullable && q.nullable;
    }
    return p;
  }

  Piece Quantified(int depth) {
    Piece a = Atom(depth);
    int q = Pick(0, 5);
    if (q == 0 || (q == 1 && !a.nullable)) {
      a.ours += q == 0 ? u"?" : u"*";
      a.pcre += q == 0 ? "?" : "*";
      a.nullable = true;
    } else if (q == 2 && !a.nullable) {
      a.ours += u"+";
      a.pcre += "+";
    }
    return a;
  }

  Piece Atom(int depth) {
    static const char16_t kLiterals[] = u"abaAx -";
    switch (Pick(0, 15)) {
      case 0:
        return {u".", "[^\\r\\n]", false};
      case 1:
        return {u"\\n", "\\r\\n", false};
      case 2:
        return {u"^", tsl_ ? "(?:\\A|(?<=\\r\\n))" : "(?<=\\r\\n)", true};
      case 3:
        return {u"$", "(?:\\z)", true};
      case 4: {
        static const char16_t kEscaped[] = u".*\\[";
        char16_t u = kEscaped[Pick(0, 3)];
        return {std::u16string(u"\\") + u, Hex(u), false};
      }
      case 5:
      case 6:
        return Class();
      case 7:
      case 8:
      case 9:
        if (depth < 3 && groups_ < 9) {
          ++groups_;
          Piece inner = Alternation(depth + 1);
          return {u"(" + inner.ours + u")", "(" + inner.pcre + ")", inner.nullable};
        }
        [[fallthrough]];
      default: {
        char16_t u = kLiterals[Pick(0, 6)];
        return {std::u16string(1, u), Hex(u), false};
      }
    }
  }

  Piece Class() {
    bool negated = Pick(0, 2) == 0;
    Piece p{u"[", "[", false};
    if (negated) {
      p.ours += u"^";
      p.pcre += "^";
    }
    bool bracket = Pick(0, 5) == 0, hyphen = Pick(0, 4) == 0;
    if (bracket) {
      p.ours += u"]";
      p.pcre += Hex(u']');
    }
    static const char16_t kMembers[] = u"abcA.x ";
    int n = Pick(bracket || hyphen ? 0 : 1, 3);
    for (int i = 0; i < n; ++i) {
      int kind = Pick(0, 7);
      if (kind == 0) {
        p.ours += u"a-c";
        p.pcre += Hex(u'a') + "-" + Hex(u'c');
      } else if (kind == 1) {
        p.ours += u"\\n";  // CR and LF
        p.pcre += "\\r\\n";
      } else {
        char16_t u = kMembers[Pick(0, 6)];
        p.ours += u;
        p.pcre += Hex(u);
      }
    }
    if (hyphen) {
      p.ours += u"-";
      p.pcre += Hex(u'-');
    }
    if (negated) p.pcre += "\\r\\n";
    p.ours += u"]";
    p.pcre += "]";
    return p;
  }

  std::mt19937 rng_;
  int groups_ = 0;
  bool tsl_ = true;
};

std::string Show(std::u16string_view s) {
  std::string out;
  for (char16_t u : s) {
    if (u == u'\r') out += "\\r";
    else if (u == u'\n') out += "\\n";
    else out += char(u);
  }
  return out;
}

// All matches of a find-all loop, each as start, end and captures 1..9.
using Matches = std::vector<std::vector<long>>;

Matches OursAll(RegexProgram& prog, const std::u16string& text, bool icase, bool tsl) {
  Matches all;
  for (std::size_t from = 0; from <= text.size();) {
    RegexResult r = RegexSearch(prog, text, from, !icase, tsl);
    if (!r.found()) break;
    std::vector<long> m{long(r.start), long(r.start + r.length)};
    for (int i = 1; i < kRegexCaptures; ++i) {
      m.push_back(prog.captureSet(i) ? long(prog.captureStart(i)) : -1);
      m.push_back(prog.captureSet(i) ? long(prog.captureEnd(i)) : -1);
    }
    all.push_back(m);
    from = r.length == 0 ? r.start + 1 : r.start + r.length;
  }
  return all;
}

Matches PcreAll(pcre2_code* code, const std::u16string& text) {
  Matches all;
  pcre2_match_data* md = pcre2_match_data_create(10, nullptr);
  for (std::size_t from = 0; from <= text.size();) {
    int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), from, 0, md, nullptr);
    if (rc < 0) break;
    PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md);
    std::vector<long> m{long(ov[0]), long(ov[1])};
    for (int i = 1; i < kRegexCaptures; ++i) {
      bool set = i < rc && ov[2 * i] != PCRE2_UNSET;
      m.push_back(set ? long(ov[2 * i]) : -1);
      m.push_back(set ? long(ov[2 * i + 1]) : -1);
    }
    all.push_back(m);
    from = ov[1] == ov[0] ? ov[0] + 1 : ov[1];
  }
  pcre2_match_data_free(md);
  return all;
}

std::string Describe(const Matches& ms) {
  std::string s;
  for (const auto& m : ms) {
    s += "[";
    for (long v : m) s += std::to_string(v) + " ";
    s += "]";
  }
  return s.empty() ? "none" : s;
}

class RegexDifferential : public test::PlatformTest {};

TEST_F(RegexDifferential, AgreesWithPcre2) {
  constexpr std::uint32_t kSeed = 20261210;
  constexpr int kPatterns = 4000;
  constexpr int kTextsPerPattern = 6;
  PatternGenerator gen(kSeed);
  int compared = 0, failures = 0, nonEmpty = 0;
  for (int i = 0; i < kPatterns && failures < 10; ++i) {
    bool tsl = i % 3 != 0;
    bool icase = i % 4 == 0;
    Piece p = gen.Pattern(tsl);
    std::u16string pcrePattern = Utf8ToUtf16(p.pcre);
    int err = 0;
    PCRE2_SIZE errOffset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pcrePattern.data()), pcrePattern.size(),
                                     icase ? PCRE2_CASELESS : 0, &err, &errOffset, nullptr);
    ASSERT_NE(code, nullptr) << "seed " << kSeed << " case " << i << ": PCRE2 rejects " << p.pcre;
    RegexProgram prog;
    ASSERT_TRUE(RegexCompile(prog, p.ours)) << "seed " << kSeed << " case " << i << ": " << Show(p.ours);
    for (int k = 0; k < kTextsPerPattern; ++k) {
      std::u16string text = gen.Text();
      Matches ours = OursAll(prog, text, icase, tsl);
      Matches theirs = PcreAll(code, text);
      ++compared;
      if (!ours.empty() && ours[0][1] > ours[0][0]) ++nonEmpty;
      if (ours != theirs) {
        ++failures;
        ADD_FAILURE() << "seed " << kSeed << " case " << i << (icase ? " ignoring case" : "")
                      << (tsl ? "" : " (text start is no line start)") << "\n  pattern " << Show(p.ours)
                      << "\n  pcre2   " << p.pcre << "\n  text    \"" << Show(text) << "\"\n  ours    "
                      << Describe(ours) << "\n  pcre2   " << Describe(theirs);
      }
    }
    pcre2_code_free(code);
  }
  EXPECT_GT(compared, 20000);
  EXPECT_GT(nonEmpty, compared / 8) << "the generator should produce real matches";
}

// Backward search must report the last match of the forward chain that
// searches again from just after each match start.
TEST_F(RegexDifferential, FindLastIsTheLastOfTheForwardChain) {
  constexpr std::uint32_t kSeed = 7041;
  PatternGenerator gen(kSeed);
  int failures = 0;
  for (int i = 0; i < 3000 && failures < 10; ++i) {
    bool tsl = i % 3 != 0;
    bool matchCase = i % 4 != 0;
    std::u16string pattern = gen.Pattern(tsl).ours;
    std::u16string text = gen.Text();
    RegexProgram chain, backward;
    RegexResult last;
    for (RegexResult r = RegexFind(chain, text, 0, pattern, matchCase, tsl); r.found();
         r = r.start + 1 < text.size() ? RegexFind(chain, text, r.start + 1, pattern, matchCase, tsl)
                                       : RegexResult{}) {
      if (r.start < text.size()) last = r;  // an empty match at the range end is never the last
    }
    // A last match found at a LF after a CR is reported with the CR, as a
    // search from the range start would.
    if (last.found() && last.start > 0 && last.length > 0 && text[last.start] == u'\n' &&
        text[last.start - 1] == u'\r') {
      --last.start;
      ++last.length;
    }
    RegexResult r = RegexFindLast(backward, text, 0, pattern, matchCase, tsl);
    if (r.status != last.status || r.start != last.start || r.length != last.length || r.lineEnd != last.lineEnd) {
      ++failures;
      ADD_FAILURE() << "seed " << kSeed << " case " << i << "\n  pattern " << Show(pattern) << "\n  text \""
                    << Show(text) << "\"\n  forward " << last.start << "+" << last.length
                    << (last.found() ? "" : " none") << "\n  backward " << r.start << "+" << r.length
                    << (r.found() ? "" : " none");
    }
  }
}

}  // namespace
}  // namespace kastrell
