// The regular expression engine behind find and replace, find in files, the
// function list, tool output patterns and file-type wildcards: a small
// backtracking matcher over UTF-16 text that knows the editor's CR LF
// convention ("\n" is CR LF, "." never matches CR or LF).
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kastrell {

// Opcodes of the node program.
enum RegexOp : char16_t {
  kRegexEnd = 0,
  kRegexBol = 1,
  kRegexEol = 2,
  kRegexAny = 3,
  kRegexAnyOf = 4,
  kRegexAnyBut = 5,
  kRegexBranch = 6,
  kRegexBack = 7,
  kRegexExactly = 8,
  kRegexNothing = 9,
  kRegexStar = 10,
  kRegexPlus = 11,
  // A trailing "$" in the editor's patterns: the end of the text or just
  // before a CR LF. It consumes nothing, so the line break stays outside the match.
  kRegexLineEnd = 12,
  kRegexOpen = 20,   // + group number 1..9
  kRegexClose = 30,  // + group number 1..9
};

inline constexpr int kRegexCaptures = 10;
inline constexpr std::size_t kRegexNoPos = static_cast<std::size_t>(-1);
// String shown when a search was stopped because the pattern backtracks too much.
inline constexpr unsigned kRegexTooComplexString = 21980;

enum class RegexStatus {
  Found,
  NotFound,
  BadPattern,  // the pattern did not compile
  TooComplex,  // the step budget ran out; nothing is known about a match
};

struct RegexResult {
  RegexStatus status = RegexStatus::NotFound;
  std::size_t start = 0;   // in the searched text
  std::size_t length = 0;  // in units
  // Set by RegexFind and RegexFindLast for the empty match of a trailing "$"
  // before a line break; the match then covers that CR LF (length 2).
  bool lineEnd = false;

  bool found() const { return status == RegexStatus::Found; }
};

struct RegexClass;

class RegexProgram {
 public:
  RegexProgram();
  ~RegexProgram();
  RegexProgram(RegexProgram&&) noexcept;
  RegexProgram& operator=(RegexProgram&&) noexcept;

  bool compiled() const { return compiled_; }
  const std::u16string& source() const { return source_; }

  // Captures of the last successful search: 0 is the whole match, 1..9 the
  // tagged expressions. Positions are in the searched text, kRegexNoPos when
  // the capture was not set. The texts are copies, valid after the searched
  // text has changed.
  std::size_t captureStart(int i) const { return capStart_[i]; }
  std::size_t captureEnd(int i) const { return capEnd_[i]; }
  bool captureSet(int i) const { return capStart_[i] != kRegexNoPos && capEnd_[i] != kRegexNoPos; }
  const std::u16string& captureText(int i) const { return capText_[i]; }
  const std::u16string& matchText() const { return capText_[0]; }

  // Forgets the captures of the last search.
  void ClearCaptures();

  // Steps a search (or a search operation, see RegexBudget) may take before
  // it stops with TooComplex. 0 (the default) scales the budget with the
  // length of the searched text.
  void setStepBudget(std::uint64_t steps) { stepBudget_ = steps; }

  // Search hints, exposed for tests.
  std::optional<char16_t> firstUnit() const { return firstUnit_; }
  bool anchored() const { return anchored_; }
  const std::u16string& requiredText() const { return required_; }

 private:
  friend bool RegexCompile(RegexProgram&, std::u16string_view, bool);
  friend struct RegexMatcher;
  friend struct RegexEngine;
  friend struct RegexBudget;

  std::u16string source_;
  bool lineEndDollar_ = false;  // compiled with the trailing "$" rule of RegexFind
  bool compiled_ = false;
  std::vector<char16_t> code_;
  std::vector<RegexClass> classes_;
  std::optional<char16_t> firstUnit_;
  char16_t firstFold_[4] = {};  // the units equal to the first unit ignoring case
  int firstFoldCount_ = 0;      // 0 when there are more than four
  bool anchored_ = false;
  std::u16string required_;
  // Units that can begin a match, as computed from the program; unusable when
  // the pattern can match the empty string.
  struct StartSet {
    bool usable = false;
    std::uint64_t bits[4] = {};      // units below 256
    std::uint64_t foldBits[4] = {};  // units below 256, ignoring case
    bool wide = false;               // some unit from 256 up may begin a match
    bool wideFold = false;           // the same, ignoring case
  } start_;
  std::uint64_t stepBudget_ = 0;

  std::size_t capStart_[kRegexCaptures];
  std::size_t capEnd_[kRegexCaptures];
  std::u16string capText_[kRegexCaptures];
  bool endedBeforeBreak_ = false;  // the last match ended at a trailing "$" before CR LF
};

// The step budget of one search operation: all matches of a find-all, a
// Replace All, a Mark All, the function list, one file of find in files.
// Every RegexFind given the budget draws from it, so an operation of many
// matches cannot multiply the work of one search; when it is spent, the
// search ends with TooComplex (string 21980).
struct RegexBudget {
  // 20 M steps plus 200 per unit of the searched text, or the program's own
  // budget when one is set (setStepBudget).
  RegexBudget(const RegexProgram& program, std::size_t textUnits);
  std::uint64_t remaining;
};

// Compiles `pattern`; on failure the program is left not compiled. With
// lineEndDollar, an unescaped "$" that ends the pattern also matches before a
// CR LF (the rule RegexFind applies).
bool RegexCompile(RegexProgram& program, std::u16string_view pattern, bool lineEndDollar = false);

// The leftmost match starting at or after `from` in `text`. The units before
// `from` are context for "^"; nothing outside `text` is read, and U+0000 is an
// ordinary unit. With textStartIsLineStart, position 0 of `text` is a line start.
RegexResult RegexSearch(RegexProgram& program, std::u16string_view text, std::size_t from, bool matchCase,
                        bool textStartIsLineStart);

// The editor's search: compiles `pattern` when it differs from the cached one,
// lets a trailing "$" match before line breaks, and skips empty matches unless
// the pattern begins with "^" or the match is such a line end. Without an
// operation budget the search gets one of its own.
RegexResult RegexFind(RegexProgram& program, std::u16string_view text, std::size_t from,
                      std::u16string_view pattern, bool matchCase, bool textStartIsLineStart,
                      RegexBudget* budget = nullptr);

// The last match that RegexFind would report in text[from, text.size()); its
// captures are those of that match. Used for backward search.
RegexResult RegexFindLast(RegexProgram& program, std::u16string_view text, std::size_t from,
                          std::u16string_view pattern, bool matchCase, bool textStartIsLineStart);

// The replacement for the last match: "&" and "\0" the whole match, "\1".."\9"
// the captures, "\t" TAB, "\n" CR LF, "\\" and "\&" the unit itself. None
// without a compiled program.
std::optional<std::u16string> RegexExpand(const RegexProgram& program, std::u16string_view templ);

}  // namespace kastrell
