// A fresh directory under /tmp for one test, removed with everything in it.
#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace kastrell::test {

class TempDir {
 public:
  TempDir() {
    char templ[] = "/tmp/kastrell-test-XXXXXX";
    if (mkdtemp(templ)) path_ = templ;
    EXPECT_FALSE(path_.empty()) << "mkdtemp failed";
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Writes bytes to name and returns its path.
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::string p = File(name);
    std::ofstream(p, std::ios::binary) << bytes;
    return p;
  }
  static std::string Read(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::string path_;
};

}  // namespace kastrell::test
