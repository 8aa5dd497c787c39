#include "platform/Path.h"

#include <vector>

namespace kastrell::path {

bool IsAbsolute(std::string_view p) { return !p.empty() && p[0] == kSeparator; }

std::string Join(std::string_view a, std::string_view b) {
  if (IsAbsolute(b) || a.empty()) return std::string(b);
  std::string out(a);
  if (out.back() != kSeparator) out += kSeparator;
  out += b;
  return out;
}

std::string DirName(std::string_view p) {
  size_t slash = p.rfind(kSeparator);
  if (slash == std::string_view::npos) return {};
  if (slash == 0) return "/";
  return std::string(p.substr(0, slash));
}

std::string FileName(std::string_view p) {
  size_t slash = p.rfind(kSeparator);
  return std::string(slash == std::string_view::npos ? p : p.substr(slash + 1));
}

std::string Extension(std::string_view p) {
  std::string name = FileName(p);
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return {};
  return name.substr(dot + 1);
}

std::string Stem(std::string_view p) {
  std::string name = FileName(p);
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return name;
  return name.substr(0, dot);
}

std::string Normalize(std::string_view p) {
  bool absolute = IsAbsolute(p);
  std::vector<std::string_view> parts;
  size_t i = 0;
  while (i <= p.size()) {
    size_t j = p.find(kSeparator, i);
    if (j == std::string_view::npos) j = p.size();
    std::string_view part = p.substr(i, j - i);
    if (part.empty() || part == ".") {
    } else if (part == "..") {
      if (!parts.empty() && parts.back() != "..") parts.pop_back();
      else if (!absolute) parts.push_back(part);
    } else {
      parts.push_back(part);
    }
    i = j + 1;
  }
  std::string out;
  if (absolute) out.push_back(kSeparator);
  for (size_t k = 0; k < parts.size(); ++k) {
    if (k) out += kSeparator;
    out += parts[k];
  }
  if (out.empty()) out.push_back('.');
  return out;
}

bool Same(std::string_view a, std::string_view b) { return Normalize(a) == Normalize(b); }

int Compare(std::string_view a, std::string_view b) { return a.compare(b) < 0 ? -1 : a == b ? 0 : 1; }

}  // namespace kastrell::path
