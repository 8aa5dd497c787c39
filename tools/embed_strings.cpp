// Build-time tool for the string tables.
//
//   embed_strings TABLE OUT.cpp OUT.h
//     compiles the built-in table into a sorted C++ array (OUT.cpp) and writes
//     the named ids as constants (OUT.h, rewritten only when its content
//     changes, so renaming nothing recompiles nothing);
//   embed_strings --check-twins TABLE TWIN VERSION STAMP
//     fails, naming them, when a string of TABLE has no twin in TWIN, a twin
//     has no original, twins disagree on their printf directives, TWIN carries
//     names (they live in TABLE only) or TWIN's #version is not VERSION;
//     touches STAMP on success.
//
// Both read the files with the parser the program uses for language tables.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>

#include "platform/StringTableFile.h"

using kastrell::StringTableFile;
using kastrell::StringTableRow;

namespace {

bool ReadTable(const char* path, StringTableFile& table) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::cerr << path << ": cannot read\n";
    return false;
  }
  std::stringstream content;
  content << in.rdbuf();
  std::string error;
  if (!kastrell::ParseStringTable(content.str(), table, error)) {
    // "file:line: ..." so that editors jump to the entry.
    std::cerr << path << ":" << error.substr(5) << "\n";
    return false;
  }
  return true;
}

std::string CString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03o", c);
      out += buf;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

std::string FirstLine(const std::string& text) {
  std::string s = text.substr(0, text.find('\n'));
  if (s.size() > 60) s = s.substr(0, 60) + "...";
  return s;
}

int Embed(const char* tablePath, const char* cppPath, const char* headerPath) {
  StringTableFile table;
  if (!ReadTable(tablePath, table)) return 1;
  std::map<unsigned, const StringTableRow*> sorted;
  for (const StringTableRow& r : table.rows) sorted[r.id] = &r;

  std::ostringstream cpp;
  cpp << "// Generated from data/strings.txt; do not edit.\n"
         "#include \"platform/StringData.h\"\n"
         "namespace kastrell {\n"
         "const StringEntry kStringEntries[] = {\n";
  for (auto& [id, row] : sorted) cpp << "  {" << id << ", " << CString(row->text) << "},\n";
  cpp << "};\nconst std::size_t kStringEntryCount = " << sorted.size() << ";\n}\n";

  std::ostringstream header;
  header << "// Generated from the name column of data/strings.txt; do not edit.\n"
            "#pragma once\n"
            "namespace kastrell::ids {\n";
  for (auto& [id, row] : sorted) {
    if (row->name.empty()) continue;
    header << "inline constexpr unsigned " << row->name << " = " << id << ";  // " << FirstLine(row->text)
           << "\n";
  }
  header << "}  // namespace kastrell::ids\n";

  std::ofstream out(cppPath, std::ios::binary);
  out << cpp.str();
  if (!out) return 1;
  std::ifstream old(headerPath, std::ios::binary);
  std::stringstream oldContent;
  if (old) oldContent << old.rdbuf();
  if (!old || oldContent.str() != header.str()) {
    std::ofstream h(headerPath, std::ios::binary);
    h << header.str();
    if (!h) return 1;
  }
  return 0;
}

int CheckTwins(const char* tablePath, const char* twinPath, const std::string& version, const char* stampPath) {
  StringTableFile table, twin;
  if (!ReadTable(tablePath, table) || !ReadTable(twinPath, twin)) return 1;
  std::map<unsigned, const StringTableRow*> twins;
  for (const StringTableRow& r : twin.rows) twins[r.id] = &r;
  std::map<unsigned, const StringTableRow*> originals;
  for (const StringTableRow& r : table.rows) originals[r.id] = &r;

  int faults = 0;
  if (twin.version != version) {
    std::cerr << twinPath << ": #version is \"" << twin.version << "\", the program is " << version << "\n";
    ++faults;
  }
  for (auto& [id, row] : originals) {
    auto it = twins.find(id);
    if (it == twins.end()) {
      std::cerr << twinPath << ": no twin for " << id << (row->name.empty() ? "" : " " + row->name) << " \""
                << FirstLine(row->text) << "\" (" << tablePath << ":" << row->line << ")\n";
      ++faults;
    } else if (kastrell::FormatDirectives(row->text) != kastrell::FormatDirectives(it->second->text)) {
      std::cerr << twinPath << ":" << it->second->line << ": " << id
                << " has other printf directives than its original\n";
      ++faults;
    }
  }
  for (auto& [id, row] : twins) {
    if (!originals.count(id)) {
      std::cerr << twinPath << ":" << row->line << ": " << id << " has no original in " << tablePath << "\n";
      ++faults;
    }
    if (!row->name.empty()) {
      std::cerr << twinPath << ":" << row->line << ": names belong in " << tablePath << " only\n";
      ++faults;
    }
  }
  if (faults) {
    std::cerr << faults << " string table fault(s); each string needs its English twin\n";
    return 1;
  }
  std::ofstream stamp(stampPath, std::ios::binary);
  stamp << "ok\n";
  return stamp ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::string(argv[1]) == "--check-twins") return CheckTwins(argv[2], argv[3], argv[4], argv[5]);
  if (argc == 4) return Embed(argv[1], argv[2], argv[3]);
  std::cerr << "usage: embed_strings TABLE OUT.cpp OUT.h\n"
               "       embed_strings --check-twins TABLE TWIN VERSION STAMP\n";
  return 2;
}
