// The parsed form of one syntax file (.stx): keyword groups in hash tables,
// comment, quote and script markers, prefix and suffix characters and the
// switches that the highlighting scanner and auto-completion read. One
// SyntaxDef exists per file type (FileTypes.h); it is parsed by the first
// document that needs it and its keyword tables are freed by the last one.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kastrell {

inline constexpr int kMaxKeywordGroups = 10;
inline constexpr int kMaxAffixes = 10;  // PREFIX1..PREFIX10, SUFFIX1..SUFFIX10
inline constexpr int kTypeColorCount = 17;
// A directive key longer than this is ignored as a whole.
inline constexpr std::size_t kMaxDirectiveKey = 199;

enum SpecialMode : int { kSpecialNone = 0, kSpecialHtml = 1, kSpecialCpp = 2, kSpecialPerl = 3 };

// Bits of SyntaxDef::lineStartOnly.
inline constexpr int kLineComment1AtLineStart = 1;
inline constexpr int kLineComment2AtLineStart = 2;
// SyntaxDef::numberPattern after "NUMBER_PATTERN=cpp".
inline constexpr int kNumberPatternCpp = 0xF;

// One keyword group: the words as written, chained per bucket. The bucket of a
// word is KeywordHash(word) % BucketCount(); n words give n / 2 + 1 buckets,
// and each word is put at the head of its chain in file order.
class KeywordTable {
 public:
  void Build(std::vector<std::u16string> words);
  void Clear();
  bool empty() const { return words_.empty(); }
  std::size_t size() const { return words_.size(); }
  std::size_t BucketCount() const { return heads_.size(); }
  // The words in file order.
  const std::vector<std::u16string>& words() const { return words_; }
  // The stored spelling that equals word (unit by unit when caseSensitive,
  // else after upper-casing both), or null.
  const std::u16string* Find(std::u16string_view word, bool caseSensitive) const;
  // The same as an index into words(), -1 when not found.
  int FindIndex(std::u16string_view word, bool caseSensitive) const;

 private:
  std::vector<std::u16string> words_;
  std::vector<std::int32_t> heads_;  // per bucket: first entry, -1 when empty
  std::vector<std::int32_t> next_;   // per entry: next entry of its bucket, -1 at the end
};

struct SyntaxDef {
  // Syntax file name as configured for the file type (relative names live in
  // the syntax directory).
  std::u16string path;
  // Name of each keyword group from the value of its "KEYWORD" line; empty
  // when unnamed.
  std::array<std::u16string, kMaxKeywordGroups> groupNames;
  // The delimiter set of this syntax, completed with the marker characters;
  // nullopt when the file has no "DELIMITER" line (the default set applies).
  std::optional<std::u16string> delimiters;
  // Markers; an empty string means none. Lengths are the string sizes.
  std::array<std::u16string, 2> lineComment;   // LINECOMMENT, LINECOMMENT2 (without "^!")
  std::array<std::u16string, 2> commentOn;     // COMMENTON, COMMENTON2
  std::array<std::u16string, 2> commentOff;    // COMMENTOFF, COMMENTOFF2
  std::u16string scriptBegin = u"<%";          // SCRIPT_BEGIN
  std::u16string scriptEnd = u"%>";            // SCRIPT_END
  std::u16string heredoc;                      // HEREDOC opener, e.g. "<<"
  std::array<char16_t, 2> quote{};             // QUOTATION1, QUOTATION2; 0 = none
  char16_t escape = 0;                         // ESCAPE; 0 = none
  std::array<char16_t, kMaxAffixes> prefix{};  // PREFIX1..10; 0 = none
  std::array<char16_t, kMaxAffixes> suffix{};  // SUFFIX1..10; 0 = none
  bool caseSensitive = false;     // CASE
  bool autoCase = false;          // AUTOCASE
  bool continueQuote = false;     // CONTINUE_QUOTE
  bool htmlEmbedded = false;      // HTML_EMBEDDED
  bool skipQuote = false;         // SKIP_QUOTE
  bool completeInQuotes = false;  // AUTOCOMPLETE_QUOTE
  // The colour slots of the file type (0x00BBGGRR), filled by the file types.
  std::array<std::uint32_t, kTypeColorCount> colors{};
  std::array<KeywordTable, kMaxKeywordGroups> keywords;
  int groupCount = 0;     // keyword groups read, 0..10
  int refCount = 0;       // current users; 0 = not loaded
  int specialMode = kSpecialNone;
  int lineStartOnly = 0;  // kLineComment1AtLineStart | kLineComment2AtLineStart
  int numberPattern = 0;  // kNumberPatternCpp or 0

  // What was parsed, so that a changed file is parsed again on acquire.
  std::string parsedPath;        // resolved path of the last successful parse
  std::int64_t parsedMtimeNs = 0;
  std::uint64_t parsedSize = 0;

  // Clears everything the file sets (path, colours and the count stay);
  // script begin and end become "<%" and "%>".
  void Reset();

  // The group index (0-based) that holds word, or -1. With group -1 all
  // groups are searched in ascending order, otherwise only that one. On
  // success *spelling (when given) points at the stored spelling. Comparison
  // follows caseSensitive.
  int FindKeyword(std::u16string_view word, const std::u16string** spelling = nullptr, int group = -1) const;
  // The same, always ignoring case (the auto-case correction).
  int FindKeywordIgnoringCase(std::u16string_view word, const std::u16string** spelling = nullptr) const;
  // 1 for tab, LF, CR and space; 2 for a unit up to 255 in the delimiter set
  // (this syntax's own, or the default set); 0 otherwise.
  int IsDelimiter(char16_t u) const;
  // The delimiter set in force for this syntax.
  std::u16string_view DelimiterSet() const;
  // Index 0..9 of the first prefix (suffix) character equal to u, -1 when
  // none or when u is 0.
  int FindPrefixGroup(char16_t u) const;
  int FindSuffixGroup(char16_t u) const;
  // Whether the document is highlighted with the HTML scanner.
  bool UsesHtmlScanner() const { return specialMode == kSpecialHtml || htmlEmbedded; }
};

// The global default delimiter set: the "Delimiters" option ([Options] in the
// main settings file), at most kMaxDelimiters characters; kDefaultDelimiters
// until set.
std::u16string_view DefaultDelimiterSet();
void SetDefaultDelimiterSet(std::u16string_view set);
// Reads "Delimiters" from the main settings file into the default set.
void LoadDefaultDelimiterSet();

// False when marker is empty or longer than available; otherwise whether the
// first marker.size() units of text equal the marker (upper-casing both sides
// when not caseSensitive).
bool MatchMarker(std::u16string_view marker, const char16_t* text, std::size_t available, bool caseSensitive);

// Parses the text of a syntax file into def (after Reset). Never fails: bad
// lines are skipped.
void ParseSyntaxText(SyntaxDef& def, std::u16string_view text);
// The same from the file's bytes.
void ParseSyntaxBytes(SyntaxDef& def, std::string_view bytes);

// Resolves def.path in AppDirectories().syntax, reads and parses it. False
// when the path is empty or the file cannot be read (def is then reset).
bool ParseSyntaxFile(SyntaxDef& def);

// Reference counting on one SyntaxDef: the first acquire parses (and so does
// an acquire after the file changed on disk since it was parsed); the last
// release frees the keyword tables.
bool AcquireSyntax(SyntaxDef& def);
void ReleaseSyntax(SyntaxDef& def);

}  // namespace kastrell
