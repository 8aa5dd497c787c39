#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/file.h>
#include <fcntl.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/Path.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/ForwardingFileSystem.h"
#include "support/TempDir.h"

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
  ASSERT_FALSE(ReplaceFileContents(fs, p, "first version", 13));
  ASSERT_FALSE(ReplaceFileContents(fs, p, "two", 3));
  std::string bytes;
  ASSERT_FALSE(ReadWholeFile(fs, p, bytes));
  EXPECT_EQ(bytes, "two");
  FileInfo info;
  ASSERT_FALSE(fs.Stat(p, info));
  EXPECT_EQ(info.mode, 0600u);
  std::vector<DirEntry> entries;
  ASSERT_FALSE(fs.ListDirectory(dir, entries));
  EXPECT_EQ(entries.size(), 1u);
  EXPECT_TRUE(ReplaceFileContents(fs, path::Join(dir, "no/such/settings"), "x", 1));
  EXPECT_TRUE(ReplaceFileContents(fs, "", "x", 1));
}

TEST_F(PosixFileSystemTest, AtomicWriteThroughLinkKeepsTheLink) {
  ASSERT_EQ(::mkdir(path::Join(dir, "real").c_str(), 0755), 0);
  std::string target = path::Join(dir, "real/settings"), link = path::Join(dir, "settings");
  ASSERT_EQ(::symlink("real/settings", link.c_str()), 0);
  EXPECT_EQ(fs.ResolveLinks(link), target);
  EXPECT_EQ(fs.ResolveLinks(target), target);
  ASSERT_FALSE(ReplaceFileContents(fs, link, "via link", 8));
  struct stat st;
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  std::string bytes;
  ASSERT_FALSE(ReadWholeFile(fs, target, bytes));
  EXPECT_EQ(bytes, "via link");
}


// Links whose targets hold ".." behind another link: the save must reach the
// file the system reaches, and leave alone the one that path text arithmetic
// would pick.
struct LinkCase {
  const char* name;
  std::vector<std::pair<const char*, const char*>> links;  // link -> target, made in order
  const char* save;    // the name saved through
  const char* real;    // the file that must get the text
  const char* decoy;   // a file that must stay as it is ("" for none)
};

class ResolveLinksTest : public PosixFileSystemTest, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(ResolveLinksTest, SaveReachesTheFileTheSystemReaches) {
  const LinkCase& c = GetParam();
  for (const char* d : {"work", "elsewhere", "elsewhere/deep", "a", "b", "b/c"})
    ASSERT_EQ(::mkdir(path::Join(dir, d).c_str(), 0755), 0);
  test::WriteBytes(path::Join(dir, c.real), "old");
  if (*c.decoy) test::WriteBytes(path::Join(dir, c.decoy), "decoy");
  for (const auto& [link, target] : c.links) {
    std::string t = target[0] == '/' ? path::Join(dir, target + 1) : target;
    ASSERT_EQ(::symlink(t.c_str(), path::Join(dir, link).c_str()), 0) << link;
  }
  const std::string through = path::Join(dir, c.save);
  ASSERT_FALSE(ReplaceFileContents(fs, through, "new", 3));
  EXPECT_EQ(test::ReadBytes(path::Join(dir, c.real)), "new");
  if (*c.decoy) {
    EXPECT_EQ(test::ReadBytes(path::Join(dir, c.decoy)), "decoy");
  }
  struct stat st;
  ASSERT_EQ(::lstat(through.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode)) << "the link was replaced by a file";
}

INSTANTIATE_TEST_SUITE_P(
    Links, ResolveLinksTest,
    ::testing::Values(
        LinkCase{"DotDotAfterALinkedFolder", {{"work/sub", "../elsewhere/deep"}, {"work/lnk", "sub/../target"}},
                 "work/lnk", "elsewhere/target", "work/target"},
        LinkCase{"ChainAcrossFolders", {{"a/l1", "../b/l2"}, {"b/l2", "c/../c/file"}}, "a/l1", "b/c/file", ""},
        LinkCase{"AbsoluteTargetThroughALinkedFolder",
                 {{"work/deep", "/elsewhere/deep"}, {"a/l", "/work/deep/../x"}},
                 "a/l", "elsewhere/x", "work/x"}),
    [](const ::testing::TestParamInfo<LinkCase>& info) { return std::string(info.param.name); });

TEST_F(PosixFileSystemTest, HardLinkedFileIsWrittenInPlace) {
  std::string a = path::Join(dir, "a.txt"), b = path::Join(dir, "b.txt");
  test::WriteBytes(a, "old text");
  ASSERT_EQ(::link(a.c_str(), b.c_str()), 0);
  struct stat before, after;
  ASSERT_EQ(::stat(a.c_str(), &before), 0);
  ASSERT_FALSE(ReplaceFileContents(fs, a, "new", 3, {"\xEF\xBB\xBF", 0600}));
  ASSERT_EQ(::stat(a.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_nlink, 2u);
  EXPECT_EQ(test::ReadBytes(b), "\xEF\xBB\xBFnew");  // shorter than before: cut to size
  std::vector<DirEntry> entries;
  ASSERT_FALSE(fs.ListDirectory(dir, entries));
  EXPECT_EQ(entries.size(), 2u) << "the copy of the old contents was left behind";
}

TEST_F(PosixFileSystemTest, LeftoversOfAKilledSaveGoWithTheNextSave) {
  std::string p = path::Join(dir, "notes.txt");
  test::WriteBytes(p, "old");
  const std::vector<std::string> stale = {".notes.txt.tmp-a1B2c3", ".notes.txt.tmp-zzzzzz"};
  const std::vector<std::string> kept = {".notes.txt.tmp-toolong7", ".other.txt.tmp-a1B2c3", "notes.txt.tmp-a1B2c3"};
  for (const auto& n : stale) test::WriteBytes(path::Join(dir, n), "partial");
  for (const auto& n : kept) test::WriteBytes(path::Join(dir, n), "not ours");
  // A save in progress in another process holds its temporary file.
  std::string live;
  std::unique_ptr<File> held;
  ASSERT_FALSE(fs.CreateUnique(dir, ".notes.txt.tmp-", live, held));
  ASSERT_FALSE(ReplaceFileContents(fs, p, "new", 3));
  EXPECT_EQ(test::ReadBytes(p), "new");
  for (const auto& n : stale) EXPECT_EQ(test::ReadBytes(path::Join(dir, n)), "<missing>") << n;
  for (const auto& n : kept) EXPECT_EQ(test::ReadBytes(path::Join(dir, n)), "not ours") << n;
  FileInfo info;
  ASSERT_FALSE(fs.Stat(live, info));
  EXPECT_EQ(info.kind, FileKind::Regular) << "a save in progress lost its temporary file";
}

// A file system that fails one chosen operation (write, flush, resize,
// reservation, rename, open for writing), the n-th counted from 1, or every
// operation from the n-th on.
class FailingFiles final : public test::ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  int failAt = 0;          // 0: never
  bool persistent = false; // fail every operation from failAt on
  int count = 0;

  FileError Tick() {
    ++count;
    if (failAt > 0 && (count == failAt || (persistent && count > failAt))) return {ENOSPC, "No space left on device"};
    return {};
  }
  class Wrapped final : public File {
   public:
    Wrapped(FailingFiles& owner, std::unique_ptr<File> f) : owner_(owner), f_(std::move(f)) {}
    FileError Read(void* b, std::size_t n, std::size_t& got) override { return f_->Read(b, n, got); }
    FileError Write(const void* b, std::size_t n) override {
      // A failed write may leave part of its bytes behind, as a full disk does.
      if (FileError e = owner_.Tick()) {
        if (n > 1) f_->Write(b, n / 2);
        return e;
      }
      return f_->Write(b, n);
    }
    FileError Sync() override { return owner_.Tick() ? owner_.Fail() : f_->Sync(); }
    FileError Close() override { return f_->Close(); }
    FileError Truncate(std::uint64_t n) override { return owner_.Tick() ? owner_.Fail() : f_->Truncate(n); }
    FileError Reserve(std::uint64_t n) override { return owner_.Tick() ? owner_.Fail() : f_->Reserve(n); }

   private:
    FailingFiles& owner_;
    std::unique_ptr<File> f_;
  };
  FileError Fail() { return {ENOSPC, "No space left on device"}; }
  FileError Wrap(FileError e, std::unique_ptr<File>& f) {
    if (!e) f = std::make_unique<Wrapped>(*this, std::move(f));
    return e;
  }

  FileError CreateUnique(const std::string& d, const std::string& pre, std::string& p,
                         std::unique_ptr<File>& f) override {
    if (Tick()) return Fail();
    return Wrap(real_.CreateUnique(d, pre, p, f), f);
  }
  FileError OpenExisting(const std::string& p, std::unique_ptr<File>& f) override {
    if (Tick()) return Fail();
    return Wrap(real_.OpenExisting(p, f), f);
  }
  FileError Rename(const std::string& a, const std::string& b) override {
    return Tick() ? Fail() : real_.Rename(a, b);
  }
};

// Fails each operation of a save in turn, until the save gets through: after
// every failure the file holds its old contents and nothing else is left.
TEST_F(PosixFileSystemTest, EveryFailedOperationKeepsTheOldContents) {
  for (bool linked : {false, true}) {
    SCOPED_TRACE(linked ? "hard-linked: written in place" : "one link: renamed");
    std::string p = path::Join(dir, "doc.txt"), other = path::Join(dir, "other-name.txt");
    const std::string old(100000, 'o'), fresh = std::string(150000, 'n');
    test::WriteBytes(p, old);
    if (linked) {
      ASSERT_EQ(::link(p.c_str(), other.c_str()), 0);
    }
    FailingFiles failing(fs);
    int n = 1;
    for (;; ++n) {
      failing.failAt = n;
      failing.count = 0;
      FileError e = ReplaceFileContents(failing, p, fresh.data(), fresh.size(), {"head", 0600});
      std::vector<DirEntry> entries;
      ASSERT_FALSE(fs.ListDirectory(dir, entries));
      EXPECT_EQ(entries.size(), linked ? 2u : 1u) << "failure " << n << " left a file behind";
      if (!e) break;
      ASSERT_EQ(test::ReadBytes(p), old) << "failure " << n << ": " << e.message;
      ASSERT_LT(n, 50);
    }
    EXPECT_GT(n, 3);
    EXPECT_EQ(test::ReadBytes(p), "head" + fresh);
    if (linked) {
      EXPECT_EQ(test::ReadBytes(other), "head" + fresh);
    }
    ::unlink(p.c_str());
    ::unlink(other.c_str());
  }
}

// When even putting the old contents back fails, the complete copy stays and
// the error names it.
TEST_F(PosixFileSystemTest, InPlaceWriteThatCannotBeUndoneKeepsTheCopy) {
  std::string p = path::Join(dir, "doc.txt"), other = path::Join(dir, "other.txt");
  test::WriteBytes(p, "the old contents");
  ASSERT_EQ(::link(p.c_str(), other.c_str()), 0);
  FailingFiles failing(fs);
  failing.failAt = 6;  // create, copy, flush, open, reserve: then the first write in place
  failing.persistent = true;
  FileError e = ReplaceFileContents(failing, p, "new", 3);
  ASSERT_TRUE(e);
  std::size_t at = e.message.find("kept in ");
  ASSERT_NE(at, std::string::npos) << e.message;
  EXPECT_EQ(test::ReadBytes(e.message.substr(at + 8)), "the old contents");
}

}  // namespace
}  // namespace kastrell
