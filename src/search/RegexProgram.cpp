// Compiler and matcher of the regular expression engine. The compiler turns a
// pattern into a program of linked nodes (opcode, 32-bit offset to the next
// node, operand); the matcher walks it with an explicit backtracking stack, so
// deep loops cannot overflow the machine stack, and counts its steps so that
// every search ends.
#include "search/RegexProgram.h"

#include <algorithm>
#include <bit>
#include <utility>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "text/CharTables.h"

namespace kastrell {

namespace {

constexpr char16_t kCR = u'\r';
constexpr char16_t kLF = u'\n';
constexpr std::uint32_t kNoNode = 0xFFFFFFFFu;
constexpr std::size_t kHeader = 3;  // opcode + two units of offset
constexpr std::size_t kMaxFrames = std::size_t(4) << 20;

// Upper-case form of every unit, and for every upper-case form the units that
// map to it, so that "equal ignoring case" is two table lookups and a class can
// be tested ignoring case without scanning its ranges.
struct FoldTables {
  char16_t upper[65536];
  std::uint32_t preStart[65537];
  char16_t pre[65536];
  FoldTables() {
    std::vector<std::uint32_t> count(65536, 0);
    for (std::uint32_t u = 0; u < 65536; ++u) {
      upper[u] = UpperUnit(char16_t(u));
      ++count[upper[u]];
    }
    preStart[0] = 0;
    for (std::uint32_t x = 0; x < 65536; ++x) preStart[x + 1] = preStart[x] + count[x];
    std::vector<std::uint32_t> fill(preStart, preStart + 65536);
    for (std::uint32_t u = 0; u < 65536; ++u) pre[fill[upper[u]]++] = char16_t(u);
  }
};

const FoldTables& Fold() {
  static const FoldTables tables;
  return tables;
}

bool IsMeta(char16_t c) {
  switch (c) {
    case u'^': case u'$': case u'.': case u'[': case u'(': case u')':
    case u'|': case u'?': case u'+': case u'*': case u'\\':
      return true;
    default:
      return false;
  }
}

bool IsClosure(char16_t c) { return c == u'*' || c == u'+' || c == u'?'; }

// "\t" becomes TAB and "\n" CR LF; every other escape stays as two units.
std::u16string EscapePrepass(std::u16string_view in) {
  std::u16string out;
  out.reserve(in.size() + 8);
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (in[i] == u'\\' && i + 1 < in.size()) {
      char16_t next = in[i + 1];
      ++i;
      if (next == u't') {
        out += u'\t';
      } else if (next == u'n') {
        out += kCR;
        out += kLF;
      } else {
        out += u'\\';
        out += next;
      }
    } else {
      out += in[i];
    }
  }
  return out;
}

}  // namespace

struct RegexClass {
  std::uint64_t bits[4] = {};      // members below 256
  std::uint64_t foldBits[4] = {};  // units below 256 that match when case is ignored
  std::vector<std::pair<char16_t, char16_t>> wide;  // members from 256 up, sorted, disjoint
  // Steps one membership test counts against the budget: its share of the
  // work grows with the size of the range table (a binary search).
  std::uint32_t cost = 1;

  bool Has(char16_t u) const {
    if (u < 256) return (bits[u >> 6] >> (u & 63)) & 1;
    auto it = std::upper_bound(wide.begin(), wide.end(), u,
                               [](char16_t v, const std::pair<char16_t, char16_t>& r) { return v < r.first; });
    return it != wide.begin() && u <= std::prev(it)->second;
  }
  bool HasIgnoringCase(char16_t u) const {
    if (u < 256) return (foldBits[u >> 6] >> (u & 63)) & 1;
    return HasSlow(u);
  }
  // Some unit that upper-cases like u is a member.
  bool HasSlow(char16_t u) const {
    const FoldTables& f = Fold();
    char16_t x = f.upper[u];
    for (std::uint32_t k = f.preStart[x]; k < f.preStart[x + 1]; ++k)
      if (Has(f.pre[k])) return true;
    return false;
  }

  void Add(char16_t lo, char16_t hi) {
    for (std::uint32_t u = lo; u <= hi && u < 256; ++u) bits[u >> 6] |= std::uint64_t(1) << (u & 63);
    if (hi >= 256) wide.emplace_back(std::max<char16_t>(lo, 256), hi);
  }
  void Finish() {
    std::sort(wide.begin(), wide.end());
    std::vector<std::pair<char16_t, char16_t>> merged;
    for (const auto& r : wide) {
      if (!merged.empty() && std::uint32_t(r.first) <= std::uint32_t(merged.back().second) + 1)
        merged.back().second = std::max(merged.back().second, r.second);
      else
        merged.push_back(r);
    }
    wide = std::move(merged);
    cost = 1 + std::uint32_t(std::bit_width(wide.size()));
    for (unsigned u = 0; u < 256; ++u)
      if (HasSlow(char16_t(u))) foldBits[u >> 6] |= std::uint64_t(1) << (u & 63);
  }
};

RegexProgram::RegexProgram() { ClearCaptures(); }
RegexProgram::~RegexProgram() = default;
RegexProgram::RegexProgram(RegexProgram&&) noexcept = default;
RegexProgram& RegexProgram::operator=(RegexProgram&&) noexcept = default;

void RegexProgram::ClearCaptures() {
  for (int i = 0; i < kRegexCaptures; ++i) {
    capStart_[i] = kRegexNoPos;
    capEnd_[i] = kRegexNoPos;
    capText_[i].clear();
  }
  endedBeforeBreak_ = false;
}

// ---------------------------------------------------------------------------
// Node program access

namespace {

struct Code {
  const char16_t* c;
  char16_t Op(std::uint32_t n) const { return c[n]; }
  std::uint32_t Offset(std::uint32_t n) const { return (std::uint32_t(c[n + 1]) << 16) | c[n + 2]; }
  std::uint32_t Next(std::uint32_t n) const {
    std::uint32_t off = Offset(n);
    if (off == 0) return kNoNode;
    return c[n] == kRegexBack ? n - off : n + off;
  }
  static std::uint32_t Operand(std::uint32_t n) { return n + kHeader; }
};

// ---------------------------------------------------------------------------
// Compiler: recursive descent in the manner of Henry Spencer's engine.

enum : unsigned { kWorst = 0, kHasWidth = 1, kSimple = 2, kSpStart = 4 };

struct Compiler {
  std::u16string_view pat;
  std::size_t p = 0;
  bool lineEndDollar = false;
  std::vector<char16_t>& code;
  std::vector<RegexClass>& classes;
  int groups = 1;
  bool failed = false;

  bool AtEnd() const { return p >= pat.size(); }
  char16_t Peek() const { return AtEnd() ? 0 : pat[p]; }

  std::uint32_t Emit(char16_t op) {
    auto at = std::uint32_t(code.size());
    code.push_back(op);
    code.push_back(0);
    code.push_back(0);
    return at;
  }
  void Insert(char16_t op, std::uint32_t at) {
    const char16_t header[kHeader] = {op, 0, 0};
    code.insert(code.begin() + at, header, header + kHeader);
  }
  void SetNext(std::uint32_t n, std::uint32_t target) {
    std::uint32_t off = code[n] == kRegexBack ? n - target : target - n;
    code[n + 1] = char16_t(off >> 16);
    code[n + 2] = char16_t(off & 0xFFFF);
  }
  void Tail(std::uint32_t n, std::uint32_t target) {
    Code c{code.data()};
    for (std::uint32_t next; (next = c.Next(n)) != kNoNode;) n = next;
    SetNext(n, target);
  }
  void OpTail(std::uint32_t n, std::uint32_t target) {
    if (code[n] == kRegexBranch) Tail(Code::Operand(n), target);
  }

  std::uint32_t Fail() {
    failed = true;
    return kNoNode;
  }

  // pattern = branch { "|" branch }, optionally as tagged expression n.
  std::uint32_t Reg(bool paren, unsigned& flags) {
    flags = kHasWidth;
    std::uint32_t ret = kNoNode;
    int group = 0;
    if (paren) {
      if (groups >= kRegexCaptures) return Fail();
      group = groups++;
      ret = Emit(char16_t(kRegexOpen + group));
    }
    for (;;) {
      unsigned bflags = 0;
      std::uint32_t br = Branch(bflags);
      if (failed) return kNoNode;
      if (ret == kNoNode) ret = br;
      else Tail(ret, br);
      if (!(bflags & kHasWidth)) flags &= ~unsigned(kHasWidth);
      flags |= bflags & kSpStart;
      if (Peek() != u'|' || AtEnd()) break;
      ++p;
    }
    std::uint32_t ender = Emit(paren ? char16_t(kRegexClose + group) : char16_t(kRegexEnd));
    Tail(ret, ender);
    Code c{code.data()};
    for (std::uint32_t br = ret; br != kNoNode; br = c.Next(br)) OpTail(br, ender);
    if (paren) {
      if (AtEnd() || pat[p] != u')') return Fail();
      ++p;
    } else if (!AtEnd()) {
      return Fail();  // an unmatched ")"
    }
    return ret;
  }

  std::uint32_t Branch(unsigned& flags) {
    flags = kWorst;
    std::uint32_t ret = Emit(kRegexBranch);
    std::uint32_t chain = kNoNode;
    while (!AtEnd() && pat[p] != u'|' && pat[p] != u')') {
      unsigned pflags = 0;
      std::uint32_t latest = Piece(pflags);
      if (failed) return kNoNode;
      flags |= pflags & kHasWidth;
      if (chain == kNoNode) flags |= pflags & kSpStart;
      else Tail(chain, latest);
      chain = latest;
    }
    if (chain == kNoNode) Emit(kRegexNothing);
    return ret;
  }

  std::uint32_t Piece(unsigned& flags) {
    unsigned aflags = 0;
    std::uint32_t ret = Atom(aflags);
    if (failed) return kNoNode;
    if (AtEnd() || !IsClosure(pat[p])) {
      flags = aflags;
      return ret;
    }
    char16_t op = pat[p];
    // A loop over something that can match the empty string would never end.
    if (!(aflags & kHasWidth) && op != u'?') return Fail();
    flags = op == u'?' ? unsigned(kWorst) : op == u'+' ? unsigned(kWorst | kHasWidth | kSpStart)
                                                       : unsigned(kWorst | kSpStart);
    if (op == u'*' && (aflags & kSimple)) {
      Insert(kRegexStar, ret);
    } else if (op == u'*') {
      Insert(kRegexBranch, ret);
      OpTail(ret, Emit(kRegexBack));
      OpTail(ret, ret);
      Tail(ret, Emit(kRegexBranch));
      Tail(ret, Emit(kRegexNothing));
    } else if (op == u'+' && (aflags & kSimple)) {
      Insert(kRegexPlus, ret);
    } else if (op == u'+') {
      std::uint32_t loop = Emit(kRegexBranch);
      Tail(ret, loop);
      Tail(Emit(kRegexBack), ret);
      Tail(loop, Emit(kRegexBranch));
      Tail(ret, Emit(kRegexNothing));
    } else {
      Insert(kRegexBranch, ret);
      Tail(ret, Emit(kRegexBranch));
      std::uint32_t next = Emit(kRegexNothing);
      Tail(ret, next);
      OpTail(ret, next);
    }
    ++p;
    if (!AtEnd() && IsClosure(pat[p])) return Fail();
    return ret;
  }

  std::uint32_t Atom(unsigned& flags) {
    flags = kWorst;
    if (AtEnd()) return Fail();
    char16_t c = pat[p++];
    switch (c) {
      case u'^':
        return Emit(kRegexBol);
      case u'$':
        return Emit(lineEndDollar && AtEnd() ? char16_t(kRegexLineEnd) : char16_t(kRegexEol));
      case u'.': {
        flags = kHasWidth | kSimple;
        RegexClass cls;
        cls.Add(kLF, kLF);
        cls.Add(kCR, kCR);
        return EmitClass(kRegexAnyBut, std::move(cls));
      }
      case u'[':
        flags = kHasWidth | kSimple;
        return ParseClass();
      case u'(': {
        unsigned gflags = 0;
        std::uint32_t ret = Reg(true, gflags);
        if (failed) return kNoNode;
        flags |= gflags & (kHasWidth | kSpStart);
        return ret;
      }
      case u'|': case u')': case u'?': case u'+': case u'*':
        return Fail();
      case u'\\': {
        if (AtEnd()) return Fail();
        flags = kHasWidth | kSimple;
        return EmitExactly(pat.substr(p++, 1));
      }
      default: {
        std::size_t begin = p - 1;
        std::size_t end = p;
        while (end < pat.size() && !IsMeta(pat[end]) && end - begin < 0xFFFF) ++end;
        std::size_t len = end - begin;
        if (len > 1 && end < pat.size() && IsClosure(pat[end])) --len;  // the closure takes the last unit
        p = begin + len;
        flags = kHasWidth | (len == 1 ? unsigned(kSimple) : 0u);
        return EmitExactly(pat.substr(begin, len));
      }
    }
  }

  std::uint32_t EmitExactly(std::u16string_view units) {
    std::uint32_t ret = Emit(kRegexExactly);
    code.push_back(char16_t(units.size()));
    code.insert(code.end(), units.begin(), units.end());
    return ret;
  }

  std::uint32_t EmitClass(char16_t op, RegexClass&& cls) {
    cls.Finish();
    std::uint32_t ret = Emit(op);
    code.push_back(char16_t(classes.size()));
    if (classes.size() >= 0xFFFF) return Fail();
    classes.push_back(std::move(cls));
    return ret;
  }

  // After "[": an optional "^", then members; "]" or "-" first is a member, "-"
  // before "]" is a member, "a-z" a range. A negated class never matches CR or LF.
  std::uint32_t ParseClass() {
    RegexClass cls;
    bool negated = false;
    if (!AtEnd() && pat[p] == u'^') {
      negated = true;
      ++p;
    }
    if (!AtEnd() && (pat[p] == u']' || pat[p] == u'-')) {
      cls.Add(pat[p], pat[p]);
      ++p;
    }
    while (!AtEnd() && pat[p] != u']') {
      if (pat[p] == u'-') {
        ++p;
        if (AtEnd() || pat[p] == u']') {
          cls.Add(u'-', u'-');
        } else {
          char16_t lo = pat[p - 2];
          char16_t hi = pat[p];
          if (lo > hi) return Fail();
          cls.Add(lo, hi);
          ++p;
        }
      } else {
        cls.Add(pat[p], pat[p]);
        ++p;
      }
    }
    if (AtEnd()) return Fail();
    ++p;
    if (negated) {
      cls.Add(kCR, kCR);
      cls.Add(kLF, kLF);
    }
    return EmitClass(negated ? kRegexAnyBut : kRegexAnyOf, std::move(cls));
  }
};

void SetBit(std::uint64_t* bits, char16_t u) { bits[u >> 6] |= std::uint64_t(1) << (u & 63); }

// Collects the units that can begin a match by walking the program up to the
// first node on every path that consumes a unit.
struct StartSetBuilder {
  Code c;
  const std::vector<RegexClass>& classes;
  std::uint64_t bits[4] = {}, foldBits[4] = {};
  bool wide = false, wideFold = false;
  int visits = 0;

  void AddUnit(char16_t u) {
    if (u < 256) SetBit(bits, u);
    else wide = true;
    const FoldTables& f = Fold();
    char16_t x = f.upper[u];
    for (std::uint32_t k = f.preStart[x]; k < f.preStart[x + 1]; ++k) {
      if (f.pre[k] < 256) SetBit(foldBits, f.pre[k]);
      else wideFold = true;
    }
  }
  void AddSimple(std::uint32_t n) {
    switch (c.Op(n)) {
      case kRegexExactly:
        AddUnit(c.c[Code::Operand(n) + 1]);
        break;
      case kRegexAnyOf: {
        const RegexClass& cls = classes[c.c[Code::Operand(n)]];
        for (int i = 0; i < 4; ++i) {
          bits[i] |= cls.bits[i];
          foldBits[i] |= cls.foldBits[i];
        }
        wide = wide || !cls.wide.empty();
        wideFold = true;
        break;
      }
      case kRegexAnyBut: {
        const RegexClass& cls = classes[c.c[Code::Operand(n)]];
        for (int i = 0; i < 4; ++i) {
          bits[i] |= ~cls.bits[i];
          foldBits[i] |= ~cls.foldBits[i];
        }
        wide = wideFold = true;
        break;
      }
      default:
        for (int i = 0; i < 4; ++i) bits[i] = foldBits[i] = ~std::uint64_t(0);
        wide = wideFold = true;
        break;
    }
  }
  // True when some path from n reaches the end without consuming a unit, or
  // when the walk gave up; the start set is then of no use.
  bool Walk(std::uint32_t n) {
    while (n != kNoNode) {
      if (++visits > 10000) return true;
      switch (c.Op(n)) {
        case kRegexEnd:
        case kRegexBack:
          return true;
        case kRegexExactly:
        case kRegexAnyOf:
        case kRegexAnyBut:
        case kRegexAny:
        case kRegexPlus:
          AddSimple(c.Op(n) == kRegexPlus ? Code::Operand(n) : n);
          return false;
        case kRegexStar:
          AddSimple(Code::Operand(n));
          n = c.Next(n);
          break;
        case kRegexBranch: {
          bool empty = false;
          for (std::uint32_t b = n; b != kNoNode && c.Op(b) == kRegexBranch; b = c.Next(b))
            if (Walk(Code::Operand(b))) empty = true;
          return empty;
        }
        default:  // zero-width nodes: anchors, NOTHING, OPEN, CLOSE
          n = c.Next(n);
          break;
      }
    }
    return true;
  }
};

// Position of the first `u` in t[from, len), or len.
std::size_t FindUnit(const char16_t* t, std::size_t from, std::size_t len, char16_t u) {
  std::size_t p = from;
#if defined(__SSE2__)
  const __m128i needle = _mm_set1_epi16(static_cast<short>(u));
  for (; p + 16 <= len; p += 16) {
    __m128i a = _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t + p)), needle);
    __m128i b = _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(t + p + 8)), needle);
    int mask = _mm_movemask_epi8(a) | (_mm_movemask_epi8(b) << 16);
    if (mask) return p + (__builtin_ctz(unsigned(mask)) >> 1);
  }
#endif
  for (; p < len; ++p)
    if (t[p] == u) return p;
  return len;
}

// Position of the first unit of t[from, len) that is one of `units` (one to
// four of them), or len.
std::size_t FindAnyUnit(const char16_t* t, std::size_t from, std::size_t len, const char16_t* units, int n) {
  std::size_t p = from;
#if defined(__SSE2__)
  __m128i needles[4];
  for (int k = 0; k < 4; ++k) needles[k] = _mm_set1_epi16(static_cast<short>(units[k < n ? k : 0]));
  for (; p + 8 <= len; p += 8) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + p));
    __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(v, needles[0]), _mm_cmpeq_epi16(v, needles[1])),
                               _mm_or_si128(_mm_cmpeq_epi16(v, needles[2]), _mm_cmpeq_epi16(v, needles[3])));
    int mask = _mm_movemask_epi8(hit);
    if (mask) return p + (__builtin_ctz(unsigned(mask)) >> 1);
  }
#endif
  for (; p < len; ++p)
    for (int k = 0; k < n; ++k)
      if (t[p] == units[k]) return p;
  return len;
}

}  // namespace

bool RegexCompile(RegexProgram& program, std::u16string_view pattern, bool lineEndDollar) {
  program.compiled_ = false;
  program.source_.assign(pattern);
  program.lineEndDollar_ = lineEndDollar;
  program.code_.clear();
  program.classes_.clear();
  program.firstUnit_.reset();
  program.anchored_ = false;
  program.required_.clear();
  program.ClearCaptures();

  std::u16string pat = EscapePrepass(pattern);
  Compiler comp{pat, 0, lineEndDollar, program.code_, program.classes_};
  unsigned flags = 0;
  comp.Reg(false, flags);
  if (comp.failed || program.code_.size() >= 0x7FFFFFFF) {
    program.code_.clear();
    program.classes_.clear();
    return false;
  }

  // Search hints, when the whole pattern is one branch.
  Code c{program.code_.data()};
  std::uint32_t scan = 0;
  if (c.Op(c.Next(scan)) == kRegexEnd) {
    scan = Code::Operand(scan);
    if (c.Op(scan) == kRegexExactly) program.firstUnit_ = program.code_[Code::Operand(scan) + 1];
    else if (c.Op(scan) == kRegexBol) program.anchored_ = true;
    if (flags & kSpStart) {
      // The longest literal on the branch's own chain: every match contains it.
      for (std::uint32_t n = scan; n != kNoNode && c.Op(n) != kRegexEnd; n = c.Next(n)) {
        if (c.Op(n) != kRegexExactly) continue;
        std::uint32_t len = program.code_[Code::Operand(n)];
        if (len >= program.required_.size())
          program.required_.assign(&program.code_[Code::Operand(n) + 1], len);
      }
    }
  }
  program.firstFoldCount_ = 0;
  if (program.firstUnit_) {
    const FoldTables& f = Fold();
    char16_t x = f.upper[*program.firstUnit_];
    std::uint32_t n = f.preStart[x + 1] - f.preStart[x];
    if (n <= 4) {
      std::copy(f.pre + f.preStart[x], f.pre + f.preStart[x + 1], program.firstFold_);
      program.firstFoldCount_ = int(n);
    }
  }
  StartSetBuilder sb{c, program.classes_};
  program.start_ = {};
  if (!sb.Walk(0)) {
    program.start_.usable = true;
    std::copy(std::begin(sb.bits), std::end(sb.bits), program.start_.bits);
    std::copy(std::begin(sb.foldBits), std::end(sb.foldBits), program.start_.foldBits);
    program.start_.wide = sb.wide;
    program.start_.wideFold = sb.wideFold;
  }
  program.compiled_ = true;
  return true;
}

// ---------------------------------------------------------------------------
// Matcher

struct RegexMatcher {
  enum Kind : std::uint32_t { kAlt, kStar, kCap };
  struct Frame {
    std::size_t pos;    // kAlt, kStar: position; kCap: old value
    std::size_t count;  // kStar: next count to try
    std::uint32_t node; // kAlt: BRANCH to resume; kStar: closure node; kCap: slot
    Kind kind;
  };

  const RegexProgram& prog;
  Code c;
  const char16_t* t;
  std::size_t len;
  bool icase;
  bool textStartIsLineStart;
  const char16_t* upper;
  std::uint64_t steps = 0;
  std::uint64_t budget;
  bool tooComplex = false;
  bool endedBeforeBreak = false;
  std::size_t matchEnd = 0;
  std::size_t caps[2 * kRegexCaptures];
  std::vector<Frame> stack;

  RegexMatcher(const RegexProgram& p, std::u16string_view text, bool ic, bool tsl, std::uint64_t b)
      : prog(p), c{p.code_.data()}, t(text.data()), len(text.size()), icase(ic), textStartIsLineStart(tsl),
        upper(Fold().upper), budget(b) {
    ResetCaptures();
  }
  void ResetCaptures() { std::fill(std::begin(caps), std::end(caps), kRegexNoPos); }

  bool Eq(char16_t a, char16_t b) const { return a == b || (icase && upper[a] == upper[b]); }
  bool InClass(std::uint32_t node, char16_t u) const {
    const RegexClass& cls = prog.classes_[c.c[Code::Operand(node)]];
    bool in = icase ? cls.HasIgnoringCase(u) : cls.Has(u);
    return c.Op(node) == kRegexAnyOf ? in : !in;
  }
  // The steps a unit test of the simple node costs: a class by its size, anything else 1.
  std::uint64_t ClassCost(std::uint32_t node) const {
    char16_t op = c.Op(node);
    return op == kRegexAnyOf || op == kRegexAnyBut ? prog.classes_[c.c[Code::Operand(node)]].cost : 1;
  }
  bool AtLineStart(std::size_t p) const {
    if (p == 0) return textStartIsLineStart;
    return p >= 2 && t[p - 2] == kCR && t[p - 1] == kLF;
  }

  // Units from p on that the simple node matches, one after another.
  std::size_t Count(std::uint32_t node, std::size_t p) const {
    std::size_t k = p;
    switch (c.Op(node)) {
      case kRegexAny:
        k = len;
        break;
      case kRegexExactly: {
        char16_t u = c.c[Code::Operand(node) + 1];
        if (icase) {
          char16_t uu = upper[u];
          while (k < len && upper[t[k]] == uu) ++k;
        } else {
          while (k < len && t[k] == u) ++k;
        }
        break;
      }
      default:
        while (k < len && InClass(node, t[k])) ++k;
        break;
    }
    return k - p;
  }

  bool Push(Frame f) {
    if (stack.size() >= kMaxFrames) {
      tooComplex = true;
      return false;
    }
    stack.push_back(f);
    return true;
  }

  bool SetCap(std::uint32_t slot, std::size_t p) {
    if (!Push({caps[slot], 0, slot, kCap})) return false;
    caps[slot] = p;
    return true;
  }

  // Tries a closure at `node` that starts at `base` with `count` units, then
  // fewer, down to its minimum; only counts after which the following literal
  // can match are tried.
  bool TryClosure(std::uint32_t node, std::size_t base, std::size_t count, std::uint32_t& n, std::size_t& p) {
    std::size_t min = c.Op(node) == kRegexPlus ? 1 : 0;
    std::uint32_t next = c.Next(node);
    bool hinted = next != kNoNode && c.Op(next) == kRegexExactly;
    char16_t hint = hinted ? c.c[Code::Operand(next) + 1] : 0;
    std::size_t k = count;
    for (;; --k) {
      ++steps;
      if (k < min) return false;
      if (!hinted || (base + k < len && Eq(t[base + k], hint))) break;
      if (k == 0) return false;
    }
    if (k > min && !Push({base, k - 1, node, kStar})) return false;
    p = base + k;
    n = next;
    return true;
  }

  bool Run(std::size_t start) {
    stack.clear();
    endedBeforeBreak = false;
    std::uint32_t n = 0;
    std::size_t p = start;
    for (;;) {
      if (++steps > budget) {
        tooComplex = true;
        return false;
      }
      bool ok = true;
      switch (c.Op(n)) {
        case kRegexEnd:
          matchEnd = p;
          return true;
        case kRegexBol:
          ok = AtLineStart(p);
          break;
        case kRegexEol:
          ok = p == len;
          break;
        case kRegexLineEnd:
          if (p == len) break;
          ok = p + 1 < len && t[p] == kCR && t[p + 1] == kLF;
          endedBeforeBreak = ok;
          break;
        case kRegexAny:
          ok = p < len;
          ++p;
          break;
        case kRegexAnyOf:
        case kRegexAnyBut:
          steps += ClassCost(n) - 1;
          ok = p < len && InClass(n, t[p]);
          ++p;
          break;
        case kRegexExactly: {
          std::uint32_t op = Code::Operand(n);
          std::size_t l = c.c[op];
          const char16_t* s = c.c + op + 1;
          if (len - p < l) {
            ok = false;
            break;
          }
          for (std::size_t i = 0; i < l; ++i)
            if (!Eq(t[p + i], s[i])) {
              ok = false;
              break;
            }
          p += l;
          break;
        }
        case kRegexNothing:
        case kRegexBack:
          break;
        case kRegexBranch: {
          std::uint32_t next = c.Next(n);
          if (next != kNoNode && c.Op(next) == kRegexBranch && !Push({p, 0, next, kAlt})) return false;
          n = Code::Operand(n);
          continue;
        }
        case kRegexStar:
        case kRegexPlus: {
          std::size_t count = Count(Code::Operand(n), p);
          steps += count * ClassCost(Code::Operand(n));
          if (TryClosure(n, p, count, n, p)) continue;
          if (tooComplex) return false;
          ok = false;
          break;
        }
        default: {
          char16_t op = c.Op(n);
          if (op > kRegexOpen && op < kRegexOpen + kRegexCaptures) {
            if (!SetCap(2u * (op - kRegexOpen), p)) return false;
          } else if (op > kRegexClose && op < kRegexClose + kRegexCaptures) {
            if (!SetCap(2u * (op - kRegexClose) + 1, p)) return false;
          } else {
            ok = false;  // cannot happen in a compiled program
          }
          break;
        }
      }
      if (ok) {
        n = c.Next(n);
        if (n != kNoNode) continue;
        ok = false;
      }
      // Backtrack to the most recent choice.
      for (;;) {
        if (stack.empty()) return false;
        Frame f = stack.back();
        stack.pop_back();
        if (f.kind == kCap) {
          caps[f.node] = f.pos;
          continue;
        }
        if (++steps > budget) {
          tooComplex = true;
          return false;
        }
        if (f.kind == kAlt) {
          std::uint32_t next = c.Next(f.node);
          if (next != kNoNode && c.Op(next) == kRegexBranch && !Push({f.pos, 0, next, kAlt})) return false;
          n = Code::Operand(f.node);
          p = f.pos;
          break;
        }
        if (TryClosure(f.node, f.pos, f.count, n, p)) break;
        if (tooComplex) return false;
      }
    }
  }
};

namespace {

std::uint64_t BudgetFor(std::uint64_t configured, std::size_t units) {
  if (configured != 0) return configured;
  constexpr std::uint64_t kBase = 20'000'000;
  constexpr std::uint64_t kPerUnit = 200;
  return kBase + kPerUnit * std::uint64_t(units);
}

// Position of the first occurrence of `needle` in text[from, len), or len.
std::size_t FindText(const char16_t* t, std::size_t len, std::size_t from, std::u16string_view needle, bool icase) {
  if (needle.empty()) return from;
  const char16_t* upper = Fold().upper;
  for (std::size_t p = from; p + needle.size() <= len; ++p) {
    if (!icase && (p = FindUnit(t, p, len, needle[0])) + needle.size() > len) break;
    std::size_t i = 0;
    if (icase) {
      while (i < needle.size() && upper[t[p + i]] == upper[needle[i]]) ++i;
    } else {
      while (i < needle.size() && t[p + i] == needle[i]) ++i;
    }
    if (i == needle.size()) return p;
  }
  return len;
}

}  // namespace

// The parts of searching that reach into the program's state.
struct RegexEngine {
  static RegexResult Search(RegexProgram& program, std::u16string_view text, std::size_t from, bool matchCase,
                            bool textStartIsLineStart, std::uint64_t& budget);
  static RegexResult FindLast(RegexProgram& program, std::u16string_view text, std::size_t from,
                              std::u16string_view pattern, bool matchCase, bool textStartIsLineStart);
  // Whether a match could begin at p, by the search hints alone.
  static bool MayStartAt(const RegexProgram& program, const RegexMatcher& m, std::size_t p);
  // Records the match the matcher found at `at` and reports it.
  static RegexResult Found(RegexProgram& program, const RegexMatcher& m, std::size_t at);
  static bool HasRequiredText(const RegexProgram& program, std::u16string_view text, std::size_t from, bool icase) {
    return program.required_.empty() ||
           FindText(text.data(), text.size(), from, program.required_, icase) != text.size();
  }
  static bool EndedBeforeBreak(const RegexProgram& p) { return p.endedBeforeBreak_; }
  static bool CompiledForFind(const RegexProgram& p) { return p.lineEndDollar_; }
  static std::uint64_t Budget(const RegexProgram& p, std::size_t units) { return BudgetFor(p.stepBudget_, units); }
};

// The search with a shared budget, so that RegexFind's retries after skipped
// empty matches cannot multiply the work.
RegexResult RegexEngine::Search(RegexProgram& program, std::u16string_view text, std::size_t from,
                                    bool matchCase, bool textStartIsLineStart, std::uint64_t& budget) {
  program.ClearCaptures();
  RegexResult result;
  if (!program.compiled() || from > text.size()) return result;
  const bool icase = !matchCase;
  const char16_t* t = text.data();
  const std::size_t len = text.size();
  if (!HasRequiredText(program, text, from, icase)) return result;

  RegexMatcher m(program, text, icase, textStartIsLineStart, budget);
  std::size_t at = kRegexNoPos;
  auto attempt = [&](std::size_t p) {
    if (m.Run(p)) at = p;
    return at != kRegexNoPos || m.tooComplex;
  };
  if (program.anchored()) {
    // Only line starts can match: the start, if it is one, then after each CR LF.
    if (!(m.AtLineStart(from) && attempt(from))) {
      for (std::size_t p = FindUnit(t, std::max<std::size_t>(from, 1), len, kLF); p < len;
           p = FindUnit(t, p + 1, len, kLF)) {
        if (t[p - 1] == kCR && attempt(p + 1)) break;
      }
    }
  } else if (program.firstUnit() && !icase) {
    const char16_t first = *program.firstUnit();
    for (std::size_t p = FindUnit(t, from, len, first); p < len; p = FindUnit(t, p + 1, len, first))
      if (attempt(p)) break;
  } else if (program.firstUnit() && program.firstFoldCount_ > 0) {
    // Ignoring case: every unit that upper-cases like the first one.
    const char16_t* units = program.firstFold_;
    const int n = program.firstFoldCount_;
    for (std::size_t p = FindAnyUnit(t, from, len, units, n); p < len; p = FindAnyUnit(t, p + 1, len, units, n))
      if (attempt(p)) break;
  } else if (program.start_.usable) {
    // A match needs at least one unit, so the text end is never tried.
    const std::uint64_t* bits = icase ? program.start_.foldBits : program.start_.bits;
    const bool wide = icase ? program.start_.wideFold : program.start_.wide;
    for (std::size_t p = from; p < len; ++p) {
      char16_t u = t[p];
      if (u < 256 ? !((bits[u >> 6] >> (u & 63)) & 1) : !wide) continue;
      if (attempt(p)) break;
    }
  } else {
    for (std::size_t p = from; p <= len; ++p)
      if (attempt(p)) break;
  }
  budget = m.steps >= budget ? 0 : budget - m.steps;
  if (m.tooComplex) {
    result.status = RegexStatus::TooComplex;
    return result;
  }
  if (at == kRegexNoPos) return result;
  return Found(program, m, at);
}

bool RegexEngine::MayStartAt(const RegexProgram& program, const RegexMatcher& m, std::size_t p) {
  if (program.anchored_) return m.AtLineStart(p);
  if (program.firstUnit_ && !m.icase) return p < m.len && m.t[p] == *program.firstUnit_;
  if (!program.start_.usable) return true;
  if (p >= m.len) return false;
  char16_t u = m.t[p];
  const std::uint64_t* bits = m.icase ? program.start_.foldBits : program.start_.bits;
  if (u >= 256) return m.icase ? program.start_.wideFold : program.start_.wide;
  return (bits[u >> 6] >> (u & 63)) & 1;
}

RegexResult RegexEngine::Found(RegexProgram& program, const RegexMatcher& m, std::size_t at) {
  program.capStart_[0] = at;
  program.capEnd_[0] = m.matchEnd;
  for (int i = 1; i < kRegexCaptures; ++i) {
    program.capStart_[i] = m.caps[2 * i];
    program.capEnd_[i] = m.caps[2 * i + 1];
  }
  for (int i = 0; i < kRegexCaptures; ++i) {
    if (program.captureSet(i) && program.capStart_[i] <= program.capEnd_[i])
      program.capText_[i].assign(m.t + program.capStart_[i], program.capEnd_[i] - program.capStart_[i]);
  }
  program.endedBeforeBreak_ = m.endedBeforeBreak;
  RegexResult result;
  result.status = RegexStatus::Found;
  result.start = at;
  result.length = m.matchEnd - at;
  return result;
}

RegexResult RegexSearch(RegexProgram& program, std::u16string_view text, std::size_t from, bool matchCase,
                        bool textStartIsLineStart) {
  std::uint64_t budget = RegexEngine::Budget(program, text.size() - std::min(from, text.size()));
  return RegexEngine::Search(program, text, from, matchCase, textStartIsLineStart, budget);
}

namespace {

struct FindState {
  RegexProgram& program;
  std::u16string_view text;
  std::u16string_view pattern;
  bool matchCase;
  bool textStartIsLineStart;
  std::uint64_t budget;
};

// Turns a match of the search into what RegexFind reports; false when the
// match does not count (an empty match, unless the pattern begins with "^").
bool Counts(const FindState& s, RegexResult& r, std::size_t from) {
  // A match that begins inside a CR LF takes the CR with it.
  if (r.length > 0 && r.start > from && s.text[r.start] == kLF && s.text[r.start - 1] == kCR) {
    --r.start;
    ++r.length;
  }
  if (r.length == 0 && RegexEngine::EndedBeforeBreak(s.program)) {
    // An empty match of the trailing "$" before a line break stands for that break.
    r.lineEnd = true;
    r.length = 2;
    return true;
  }
  return r.length > 0 || s.pattern[0] == u'^';
}

RegexResult FindFrom(FindState& s, std::size_t from) {
  RegexResult none;
  for (std::size_t at = from; at <= s.text.size();) {
    RegexResult r = RegexEngine::Search(s.program, s.text, at, s.matchCase, s.textStartIsLineStart, s.budget);
    if (!r.found() || Counts(s, r, from)) return r;
    // An empty match does not count; a later, longer one may.
    at = r.start + 1;
  }
  return none;
}

bool PrepareFind(RegexProgram& program, std::u16string_view pattern) {
  if (program.compiled() && RegexEngine::CompiledForFind(program) && program.source() == pattern) return true;
  return RegexCompile(program, pattern, true);
}

}  // namespace

RegexBudget::RegexBudget(const RegexProgram& program, std::size_t textUnits)
    : remaining(BudgetFor(program.stepBudget_, textUnits)) {}

RegexResult RegexFind(RegexProgram& program, std::u16string_view text, std::size_t from,
                      std::u16string_view pattern, bool matchCase, bool textStartIsLineStart,
                      RegexBudget* budget) {
  RegexResult none;
  if (pattern.empty() || from >= text.size()) {
    program.ClearCaptures();
    return none;
  }
  if (!PrepareFind(program, pattern)) {
    none.status = RegexStatus::BadPattern;
    return none;
  }
  FindState s{program, text, pattern, matchCase, textStartIsLineStart,
              budget ? budget->remaining : RegexEngine::Budget(program, text.size() - from)};
  RegexResult r = FindFrom(s, from);
  if (budget) budget->remaining = s.budget;
  return r;
}

RegexResult RegexFindLast(RegexProgram& program, std::u16string_view text, std::size_t from,
                          std::u16string_view pattern, bool matchCase, bool textStartIsLineStart) {
  return RegexEngine::FindLast(program, text, from, pattern, matchCase, textStartIsLineStart);
}

// The last match start is the largest position at which a match that counts
// begins, so the positions are tried from the end backwards: the first
// success is the result, and a long run of matches costs no more than one.
// An empty match at the very end of the range is no result: it would sit on
// the position the backward search starts from.
RegexResult RegexEngine::FindLast(RegexProgram& program, std::u16string_view text, std::size_t from,
                                  std::u16string_view pattern, bool matchCase, bool textStartIsLineStart) {
  RegexResult none;
  program.ClearCaptures();
  if (pattern.empty() || from >= text.size()) return none;
  if (!PrepareFind(program, pattern)) {
    none.status = RegexStatus::BadPattern;
    return none;
  }
  if (!HasRequiredText(program, text, from, !matchCase)) return none;
  FindState s{program, text, pattern, matchCase, textStartIsLineStart, Budget(program, text.size() - from)};
  RegexMatcher m(program, text, !matchCase, textStartIsLineStart, s.budget);
  for (std::size_t p = text.size(); p-- > from;) {
    if (!MayStartAt(program, m, p)) continue;
    if (m.Run(p)) {
      RegexResult r = Found(program, m, p);
      if (Counts(s, r, from)) return r;
      program.ClearCaptures();
      m.ResetCaptures();
    } else if (m.tooComplex) {
      none.status = RegexStatus::TooComplex;
      return none;
    }
  }
  return none;
}

std::optional<std::u16string> RegexExpand(const RegexProgram& program, std::u16string_view templ) {
  if (!program.compiled()) return std::nullopt;
  std::u16string in = EscapePrepass(templ);
  std::u16string out;
  out.reserve(in.size());
  for (std::size_t i = 0; i < in.size(); ++i) {
    char16_t ch = in[i];
    if (ch == u'&') {
      out += program.captureText(0);
    } else if (ch == u'\\' && i + 1 < in.size()) {
      char16_t next = in[++i];
      if (next >= u'0' && next <= u'9') {
        out += program.captureText(next - u'0');
      } else if (next == u'\\' || next == u'&') {
        out += next;
      } else {
        out += u'\\';
        out += next;
      }
    } else {
      out += ch;
    }
  }
  return out;
}

}  // namespace kastrell
