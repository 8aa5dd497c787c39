// A fresh folder under /tmp for one test, removed with everything in it.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace kastrell::test {

class TempDir {
 public:
  TempDir() {
    char templ[] = "/tmp/kastrell-test-XXXXXX";
    if (mkdtemp(templ)) path_ = templ;
    EXPECT_FALSE(path_.empty()) << "cannot create a temporary folder";
  }
  ~TempDir() {
    if (!path_.empty()) std::system(("rm -rf '" + path_ + "'").c_str());
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

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

}  // namespace kastrell::test
