// The one place that knows how paths are spelled on this platform:
// '/' separators, no drive letters, case-sensitive comparison.
#pragma once
#include <string>
#include <string_view>

namespace kastrell::path {

inline constexpr char kSeparator = '/';

bool IsAbsolute(std::string_view p);
// a + '/' + b, without doubling the separator; b absolute replaces a.
std::string Join(std::string_view a, std::string_view b);
// Everything before the last separator ("" for a bare name, "/" for "/x").
std::string DirName(std::string_view p);
// The part after the last separator.
std::string FileName(std::string_view p);
// The extension without its dot, "" when none ("a.tar.gz" gives "gz"; ".bashrc" gives "").
std::string Extension(std::string_view p);
// The file name without its extension.
std::string Stem(std::string_view p);
// Removes "." parts, folds ".." and doubled separators, keeps a trailing name.
std::string Normalize(std::string_view p);
// Whether two paths name the same file by spelling (after Normalize).
bool Same(std::string_view a, std::string_view b);
// Ordering for sorted lists of paths.
int Compare(std::string_view a, std::string_view b);

}  // namespace kastrell::path
