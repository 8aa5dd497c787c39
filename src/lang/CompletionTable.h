// An auto-completion table: the keyword -> expansion entries of one .acp
// file, hashed like the keyword groups of a syntax file. A file type holds one
// (FileTypes.h); the HTML toolbar holds another, read from "htmlbar.acp" or
// "xhtmlbar.acp".
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lang/SyntaxDef.h"

namespace kastrell {

struct CompletionTable {
  // Keywords in file order, upper-cased when they were read while the file
  // was not case-sensitive; expansions[i] belongs to keywords.words()[i].
  KeywordTable keywords;
  std::vector<std::u16string> expansions;
  bool caseSensitive = false;  // the last "#CASE" line said "y"
  int refCount = 0;

  bool empty() const { return keywords.empty(); }
  std::size_t size() const { return keywords.size(); }
  void Clear();
};

// Fills table from the text of an .acp file (after Clear): "#T=keyword" lines
// followed by the expansion lines, "#CASE=y" for case-sensitive keywords.
// Expansion lines are separated by CR LF only.
void ParseCompletionText(CompletionTable& table, std::u16string_view text);
// The same from the file's bytes (FF FE: UTF-16 LE, otherwise ANSI).
void ParseCompletionBytes(CompletionTable& table, std::string_view bytes);
// Resolves name like a syntax file and reads it; false (table empty) when it
// cannot be read.
bool ReadCompletionFile(CompletionTable& table, std::u16string_view name);

// The expansion of word, or null.
const std::u16string* FindCompletion(const CompletionTable& table, std::u16string_view word);

// Reference counting: the first acquire reads the file, and the count goes up
// even when that fails (the table then stays empty); the last release frees it.
void AcquireCompletion(CompletionTable& table, std::u16string_view name);
void ReleaseCompletion(CompletionTable& table);

}  // namespace kastrell
