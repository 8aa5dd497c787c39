// A fresh folder under /tmp for one test, removed with everything in it.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace kastrell::test {

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// The bytes of a file, or "<missing>" when it cannot be read.
inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class TempDir {
 public:
  TempDir() {
    char templ[] = "/tmp/kastrell-test-XXXXXX";
    if (mkdtemp(templ)) path_ = templ;
    EXPECT_FALSE(path_.empty()) << "cannot create a temporary folder";
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  std::string operator/(const std::string& name) const { return File(name); }
  // Writes bytes to name and returns its path.
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::string p = File(name);
    WriteBytes(p, bytes);
    return p;
  }
  // The bytes of a file, "" when it cannot be read.
  static std::string Read(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::string path_;
};

}  // namespace kastrell::test
