// JSON output of the kastrell-cli subcommands.
#pragma once
#include <cstdio>
#include <string>
#include <string_view>

namespace kastrell::cli {

// Appends s (UTF-8) as a JSON string literal, quotes included.
inline void AppendJsonString(std::string& out, std::string_view s) {
  out += '"';
  for (char c : s) {
    auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (u < 0x20) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", u);
      out += esc;
    } else {
      out += c;
    }
  }
  out += '"';
}

inline std::string JsonString(std::string_view s) {
  std::string out;
  AppendJsonString(out, s);
  return out;
}

}  // namespace kastrell::cli
