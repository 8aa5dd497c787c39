// Reading the editor's description files (.stx syntax files, .acp
// auto-completion files): where a configured name lives, the size and kind
// limits, and how the bytes become text.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace kastrell {

class FileSystem;

// Description files larger than this are not read.
inline constexpr std::uint64_t kMaxDescriptionFileBytes = std::uint64_t(64) << 20;

// The text of a description file: UTF-16 LE after a leading FF FE (a final odd
// byte dropped), otherwise the bytes in the ANSI code page; cut at the first
// NUL unit.
std::u16string DecodeDescriptionFile(std::string_view bytes);

// Space, tab, CR, LF and the other white-space units that end a keyword.
bool IsDescriptionBlank(char16_t c);

// The file a syntax, auto-completion or template name stands for: an absolute
// name (beginning with "/") as it is, unless it does not exist and the syntax
// directory holds a file of its final name; any other name in the syntax
// directory. Empty for an empty name.
std::string ResolveSyntaxPath(std::u16string_view name, const std::string& syntaxDir, FileSystem& fs);

// Reads a regular file of at most kMaxDescriptionFileBytes into bytes; false
// for anything else (missing, a directory or device, too large, unreadable).
bool ReadDescriptionFile(const std::string& path, FileSystem& fs, std::string& bytes,
                         std::int64_t* mtimeNs = nullptr, std::uint64_t* size = nullptr);

}  // namespace kastrell
