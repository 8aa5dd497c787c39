// The file-type table: 13 built-in types and up to 17 custom ones, each with
// the files it claims (extensions, a wildcard, a first line), its syntax and
// auto-completion files, colours and the layout and typing values that its
// documents take. Stored in setting_u.ini (two values, "Explorer" and "HTML
// Toolbar", in the per-user values); matched to files by MatchFileType and
// given to documents by ApplyFileType.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lang/CompletionTable.h"
#include "lang/SyntaxDef.h"
#include "search/RegexProgram.h"

namespace kastrell {

class CMyEditDoc;
struct IniBuffer;

inline constexpr int kBuiltinTypeCount = 13;
inline constexpr int kMaxCustomTypes = 17;
inline constexpr int kMaxFileTypes = kBuiltinTypeCount + kMaxCustomTypes;
inline constexpr int kColumnMarkerCount = 10;

// Indices of the built-in types, and the fixed roles some of them play.
enum BuiltinFileType : int {
  kTypeDefault = 0,
  kTypeText = 1,
  kTypeHtml = 2,
  kTypeCpp = 3,
  kTypePerl = 4,
  kTypePhp = 5,
  kTypeJava = 6,
  kTypeJsp = 7,
  kTypeJavaScript = 8,
  kTypeVbScript = 9,
  kTypeCss = 10,
  kTypeXml = 11,
  kTypeCSharp = 12,
};

// Command ids.
inline constexpr unsigned kCmdChangeFileType = 33204;     // "更改文件类型(&C)..."
inline constexpr unsigned kCmdSyntaxHighlighting = 33229;  // "语法高亮(&S)"
inline constexpr unsigned kStringAutomaticType = 21536;    // "自动"

struct FileType {
  char16_t indentOpen = 0;      // "Indent Open"
  char16_t indentClose = 0;     // "Indent Close"
  char16_t endOfStatement = 0;  // "End of Statement"
  std::u16string function;      // "Function": regular expression of a function line
  std::u16string function2;     // "Function2"
  int pattern = 0;              // "Pattern": capture 1..5 that names the function
  int pattern2 = 0;             // "Pattern2"
  int tab = 8;                  // "Tab", at least 1
  int indent = 8;               // "Indent", at least 1
  int margin = 80;              // "Margin", at least 10
  bool wordWrap = false;        // "Word Wrap"
  bool autoIndent = true;       // "Auto Indent"
  bool tabIndent = false;       // "Tab Indent"
  bool common = false;          // "Common"
  bool explorer = false;        // "Explorer" (per-user values)
  bool disableAutoCompletion = false;  // "Disable Auto-completion"
  bool trimTrailingSpaces = false;     // "Trim Trailing Spaces"
  bool htmlToolbar = false;     // "HTML Toolbar" (per-user values)
  bool insertSpace = false;     // "Insert Space"
  bool hardBreak = false;       // "Hard break"
  bool wrapAtColumn = false;    // "Wrap at Column"
  bool showMarker = true;       // "Show Marker"
  CompletionTable completion;   // the parsed auto-completion file
  std::array<int, kColumnMarkerCount> columnMarkers{};  // "Column Marker 1".."10"
  std::u16string description;   // "Description"
  std::u16string completionFile;  // "File" (older files: "ACP")
  std::u16string wildcard;      // "Wildcard": "*" and "?" patterns, or an exact file name
  std::u16string firstLine;     // "First Line": prefix of a file's first line
  std::vector<std::u16string> extensions;  // "Extension": without the dot, joined with ";"
};

// The colour slot of keyword group g (1..10).
int KeywordColorSlot(int group);
// The default colour (0x00BBGGRR) of slot 0..16.
std::uint32_t DefaultSlotColor(int slot);

struct FileTypeTable {
  std::vector<FileType> types;  // kBuiltinTypeCount .. kMaxFileTypes entries
  // One syntax per type index; path is the "Syntax file", colors the 17 slots.
  std::array<SyntaxDef, kMaxFileTypes> syntax;
  std::vector<std::uint8_t> seq;  // display order, a permutation of the indices
  bool disableSyntax = false;     // [Settings] "Disable Syntax"
  // The default text colour: a stored -1 stands for it, and a colour equal to
  // it is saved as -1.
  std::uint32_t defaultTextColor = 0x000000;

  int Count() const { return int(types.size()); }
  // The 13 built-in types with their defaults, natural order, no custom type.
  void SetBuiltinDefaults();

  // The compiled whole-name wildcards, one per type, made once per wildcard.
  struct CompiledWildcard {
    std::u16string source;
    bool exactName = false;  // no "*" or "?": compared as a name before the extensions
    bool compiled = false;
    RegexProgram program;
  };
  mutable std::vector<CompiledWildcard> wildcards;
};

// The section of type index i: "Settings", "Settings\%d" or "Settings\Custom%d".
std::u16string TypeSection(int index);
// The built-in id of a built-in type index.
int BuiltinTypeId(int index);

// The custom types a first start sets up: the Linux languages, with their
// syntax files, extensions, wildcards and first lines.
std::vector<std::pair<FileType, std::u16string>> FirstStartCustomTypes();

// Fills the table from setting_u.ini (null: a first start, with the custom
// types of FirstStartCustomTypes) and the per-user values (null: defaults).
void ReadFileTypes(FileTypeTable& table, const IniBuffer* ini, const IniBuffer* userValues);
// Writes every type into the two buffers (see SaveFileTypes for the order).
void WriteFileTypes(const FileTypeTable& table, IniBuffer* ini, IniBuffer* userValues);

// The regular expression of a wildcard: "*" and "*.*" are ".+"; "*" is ".*",
// "?" is ".", letters and digits themselves, anything else escaped.
std::u16string WildcardToRegex(std::u16string_view wildcard);

struct TypeMatch {
  int type = 0;
  bool descriptionFile = false;  // extension "ctl", "acp" or "stx" with no type claiming it
};

// The type of a file: an exact-name wildcard first, then extensions (a later
// type wins) and wildcards (only while no type is found), then the first line
// (the first type whose "First Line" begins it) unless useFirstLine is false.
// path may be a local or remote name; only its file name part counts.
TypeMatch MatchFileType(const FileTypeTable& table, std::string_view path, std::u16string_view firstLine,
                        bool useFirstLine = true);
// The extension of a path's file name (after the last "." that is neither its
// first nor its last character), "" when none.
std::u16string FileNameExtension(std::string_view path);

// The colour page of a syntax: the slot list the settings dialog shows.
struct ColorPageEntry {
  std::u16string name;
  int slot = 0;
};
std::vector<ColorPageEntry> ColorPageEntries(const SyntaxDef& syntax);

// ---- The application's table and its documents -----------------------------

FileTypeTable& AppFileTypes();

// Called after a type was applied to a document (rescan, HTML toolbar) and
// when highlighting was switched on or off (redraw every document).
struct FileTypeHooks {
  std::function<void(CMyEditDoc&)> applied;
  std::function<void()> redrawAll;
};
void SetFileTypeHooks(FileTypeHooks hooks);

// Reads AppFileTypes() from setting_u.ini in the INI directory and the
// application's per-user values; documents holding syntax or completion data
// release it first and take their types again afterwards (matched again when
// their type no longer exists).
void LoadFileTypes();
// Writes AppFileTypes() to setting_u.ini and the per-user values, then matches
// every document again (unless its type was chosen by the user) and applies
// the types. False when a file could not be written.
bool SaveFileTypes();

// Gives doc the type: copies the layout and typing values, releases what the
// document held and acquires the syntax and auto-completion data of the type
// (for HTML and HTML-embedded types also those of HTML, JavaScript, VBScript
// and CSS), then calls the applied hook.
void ApplyFileType(CMyEditDoc& doc, int type);
// Matches doc by its path and first line and applies the result.
void MatchAndApplyFileType(CMyEditDoc& doc);
// Releases the document's references (when it closes).
void ReleaseFileType(CMyEditDoc& doc);
// The documents that currently hold a type.
const std::vector<CMyEditDoc*>& TypedDocuments();

// The syntax a document is highlighted with, null when it has none loaded.
const SyntaxDef* DocumentSyntax(const CMyEditDoc& doc);

// ---- Commands ---------------------------------------------------------------

// The dialog of command 33204: entries[0] is "自动", then the descriptions in
// display order; returns the chosen entry or nothing when cancelled.
class FileTypeChooser {
 public:
  virtual ~FileTypeChooser() = default;
  virtual std::optional<int> ChooseFileType(const std::vector<std::u16string>& entries, int selected) = 0;
};
// 33204: lets the user pick the document's type, or "自动" to match it again.
void ChangeFileTypeCommand(CMyEditDoc& doc, FileTypeChooser& chooser);
// 33229: switches highlighting on or off, redraws and writes "Disable Syntax".
void ToggleSyntaxHighlightingCommand();
// The checked state of 33229's menu item: highlighting is on.
bool SyntaxHighlightingChecked();

}  // namespace kastrell
