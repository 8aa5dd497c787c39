#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/Path.h"
#include "platform/posix/PosixFileSystem.h"

namespace kastrell {
namespace {

class PosixFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/kastrell-fs-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    dir = templ;
  }
  void TearDown() override { std::system(("rm -rf '" + dir + "'").c_str()); }
  std::string dir;
  PosixFileSystem fs;
};

TEST_F(PosixFileSystemTest, StatOfMissingFileIsNotAnError) {
  FileInfo info;
  EXPECT_FALSE(fs.Stat(path::Join(dir, "missing"), info));
  EXPECT_EQ(info.kind, FileKind::Missing);
}

TEST_F(PosixFileSystemTest, WriteReadRenameRemove) {
  std::string a = path::Join(dir, "a.txt"), b = path::Join(dir, "b.txt");
  std::unique_ptr<File> f;
  ASSERT_FALSE(fs.OpenWrite(a, f));
  ASSERT_FALSE(f->Write("hello", 5));
  ASSERT_FALSE(f->Sync());
  ASSERT_FALSE(f->Close());
  ASSERT_FALSE(fs.Rename(a, b));
  std::string bytes;
  ASSERT_FALSE(ReadWholeFile(fs, b, bytes));
  EXPECT_EQ(bytes, "hello");
  FileInfo info;
  ASSERT_FALSE(fs.Stat(b, info));
  EXPECT_EQ(info.kind, FileKind::Regular);
  EXPECT_EQ(info.size, 5u);
  EXPECT_FALSE(fs.Remove(b));
  FileError e = ReadWholeFile(fs, b, bytes);
  EXPECT_TRUE(e);
  EXPECT_FALSE(e.message.empty());
}

TEST_F(PosixFileSystemTest, CreateUniqueNeverReusesAName) {
  std::string p1, p2;
  std::unique_ptr<File> f1, f2;
  ASSERT_FALSE(fs.CreateUnique(dir, "rmt", p1, f1));
  ASSERT_FALSE(fs.CreateUnique(dir, "rmt", p2, f2));
  EXPECT_NE(p1, p2);
  EXPECT_EQ(path::FileName(p1).rfind("rmt", 0), 0u);
}

TEST_F(PosixFileSystemTest, MakeDirectoriesAndList) {
  std::string deep = path::Join(dir, "x/y/z");
  ASSERT_FALSE(fs.MakeDirectories(deep));
  EXPECT_FALSE(fs.MakeDirectories(deep));  // existing is success
  std::vector<DirEntry> entries;
  ASSERT_FALSE(fs.ListDirectory(path::Join(dir, "x"), entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "y");
  EXPECT_EQ(entries[0].kind, FileKind::Directory);
}

TEST_F(PosixFileSystemTest, CheckWritableReportsWhatCannotBeWritten) {
  EXPECT_TRUE(fs.CheckWritable(dir));  // a directory, even for root
  EXPECT_TRUE(fs.CheckWritable(path::Join(dir, "missing")));
  std::string p = path::Join(dir, "ro.txt");
  std::ofstream(p) << "x";
  ASSERT_EQ(chmod(p.c_str(), 0444), 0);
  if (geteuid() == 0) GTEST_SKIP() << "root can write read-only files";
  EXPECT_TRUE(fs.CheckWritable(p));
}

TEST_F(PosixFileSystemTest, OpeningAFifoForReadDoesNotBlock) {
  std::string p = path::Join(dir, "fifo");
  ASSERT_EQ(mkfifo(p.c_str(), 0600), 0);
  std::unique_ptr<File> f;
  EXPECT_FALSE(fs.OpenRead(p, f));
  FileInfo info;
  ASSERT_FALSE(fs.Stat(p, info));
  EXPECT_EQ(info.kind, FileKind::Other);
}

TEST_F(PosixFileSystemTest, DirectoryAccessCheck) {
  std::string file = path::Join(dir, "plain");
  std::ofstream(file) << "x";
  EXPECT_FALSE(fs.CheckDirectoryAccess(dir));
  EXPECT_EQ(fs.CheckDirectoryAccess(file).code, ENOTDIR);
  EXPECT_EQ(fs.CheckDirectoryAccess(path::Join(dir, "missing")).code, ENOENT);
  EXPECT_TRUE(fs.CheckDirectoryAccess(""));
}

TEST_F(PosixFileSystemTest, AtomicWriteReplacesWholeFile) {
  std::string p = path::Join(dir, "settings");
  ASSERT_FALSE(WriteFileAtomically(fs, p, "first version", 13));
  ASSERT_FALSE(WriteFileAtomically(fs, p, "two", 3));
  std::string bytes;
  ASSERT_FALSE(ReadWholeFile(fs, p, bytes));
  EXPECT_EQ(bytes, "two");
  FileInfo info;
  ASSERT_FALSE(fs.Stat(p, info));
  EXPECT_EQ(info.mode, 0600u);
  std::vector<DirEntry> entries;
  ASSERT_FALSE(fs.ListDirectory(dir, entries));
  EXPECT_EQ(entries.size(), 1u);
  EXPECT_TRUE(WriteFileAtomically(fs, path::Join(dir, "no/such/settings"), "x", 1));
  EXPECT_TRUE(WriteFileAtomically(fs, "", "x", 1));
}

TEST_F(PosixFileSystemTest, AtomicWriteThroughLinkKeepsTheLink) {
  ASSERT_EQ(::mkdir(path::Join(dir, "real").c_str(), 0755), 0);
  std::string target = path::Join(dir, "real/settings"), link = path::Join(dir, "settings");
  ASSERT_EQ(::symlink("real/settings", link.c_str()), 0);
  EXPECT_EQ(fs.ResolveLinks(link), target);
  EXPECT_EQ(fs.ResolveLinks(target), target);
  ASSERT_FALSE(WriteFileAtomically(fs, link, "via link", 8));
  struct stat st;
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  std::string bytes;
  ASSERT_FALSE(ReadWholeFile(fs, target, bytes));
  EXPECT_EQ(bytes, "via link");
}

}  // namespace
}  // namespace kastrell
