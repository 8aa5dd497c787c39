// Build-time generator: turns the string table file into a sorted C++ array.
// Each line is "<number>\t<text>"; the text uses C escapes (\n, \r, \t, \", \\).
// Blank lines and lines starting with '#' are ignored. Duplicate or unsorted
// numbers and bad escapes stop the build, so the table is checked once here.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

static bool Unescape(const std::string& in, std::string& out) {
  out.clear();
  for (size_t i = 0; i < in.size(); ++i) {
    char c = in[i];
    if (c != '\\') { out += c; continue; }
    if (++i == in.size()) return false;
    switch (in[i]) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case '"': out += '"'; break;
      case '\\': out += '\\'; break;
      default: return false;
    }
  }
  return true;
}

int main(int argc, char** argv) {
  if (argc != 3) { std::cerr << "usage: embed_strings IN OUT\n"; return 2; }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) { std::cerr << "cannot read " << argv[1] << "\n"; return 1; }
  std::map<long, std::string> table;
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    size_t tab = line.find('\t');
    std::string text;
    char* end = nullptr;
    long id = tab == std::string::npos ? -1 : std::strtol(line.c_str(), &end, 10);
    if (id < 0 || id > 65535 || end != line.c_str() + tab || !Unescape(line.substr(tab + 1), text)) {
      std::cerr << argv[1] << ":" << lineNo << ": malformed entry\n";
      return 1;
    }
    if (!table.emplace(id, text).second) {
      std::cerr << argv[1] << ":" << lineNo << ": duplicate number " << id << "\n";
      return 1;
    }
  }
  std::ofstream out(argv[2], std::ios::binary);
  out << "// Generated from data/strings.txt; do not edit.\n"
         "#include \"platform/StringData.h\"\n"
         "namespace kastrell {\n"
         "const StringEntry kStringEntries[] = {\n";
  for (auto& [id, text] : table) {
    out << "  {" << id << ", \"";
    for (unsigned char c : text) {
      if (c == '"' || c == '\\') out << '\\' << c;
      else if (c < 0x20) { char buf[8]; std::snprintf(buf, sizeof buf, "\\%03o", c); out << buf; }
      else out << c;
    }
    out << "\"},\n";
  }
  out << "};\nconst std::size_t kStringEntryCount = " << table.size() << ";\n}\n";
  return out ? 0 : 1;
}
