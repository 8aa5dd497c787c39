#include <gtest/gtest.h>

#include "platform/Path.h"

namespace kastrell {
namespace {

TEST(Path, Parts) {
  struct Row {
    const char* p;
    const char* dir;
    const char* name;
    const char* ext;
    const char* stem;
  } rows[] = {
      {"/a/b/c.txt", "/a/b", "c.txt", "txt", "c"},
      {"c.tar.gz", "", "c.tar.gz", "gz", "c.tar"},
      {"/x", "/", "x", "", "x"},
      {"dir/.bashrc", "dir", ".bashrc", "", ".bashrc"},
      {"dir/", "dir", "", "", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.p);
    EXPECT_EQ(path::DirName(r.p), r.dir);
    EXPECT_EQ(path::FileName(r.p), r.name);
    EXPECT_EQ(path::Extension(r.p), r.ext);
    EXPECT_EQ(path::Stem(r.p), r.stem);
  }
}

TEST(Path, JoinAndNormalize) {
  EXPECT_EQ(path::Join("/a", "b"), "/a/b");
  EXPECT_EQ(path::Join("/a/", "b"), "/a/b");
  EXPECT_EQ(path::Join("/a", "/b"), "/b");
  EXPECT_EQ(path::Normalize("/a//b/./c/../d"), "/a/b/d");
  EXPECT_EQ(path::Normalize("/../a"), "/a");
  EXPECT_EQ(path::Normalize("../a/.."), "..");
  EXPECT_EQ(path::Normalize(""), ".");
}

TEST(Path, ComparisonIsCaseSensitive) {
  EXPECT_FALSE(path::Same("/a/File.txt", "/a/file.txt"));
  EXPECT_TRUE(path::Same("/a/./file.txt", "/a//file.txt"));
  EXPECT_LT(path::Compare("/a/B", "/a/a"), 0);
}

}  // namespace
}  // namespace kastrell
