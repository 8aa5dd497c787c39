// The freedesktop trash on real folders: the record, restoring, name clashes
// and a trash that cannot be written.
#include "platform/posix/FreedesktopTrash.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cctype>


#include "support/TempDir.h"

namespace kastrell {
namespace {

using test::TempDir;

// The Path value of a .trashinfo record, percent-decoded.
std::string RecordedPath(const std::string& info) {
  std::string text = TempDir::Read(info);
  std::size_t at = text.find("\nPath=");
  if (at == std::string::npos) return "";
  at += 6;
  std::string enc = text.substr(at, text.find('\n', at) - at), out;
  for (std::size_t i = 0; i < enc.size(); ++i) {
    if (enc[i] == '%' && i + 2 < enc.size()) {
      out += char(std::stoi(enc.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += enc[i];
    }
  }
  return out;
}

TEST(FreedesktopTrashTest, DeletedFileHasARecordAndCanBeRestored) {
  TempDir dir;
  std::string file = dir.Write("my notes%.txt", "keep me");
  FreedesktopTrash trash(dir.File("share/Trash"));
  ASSERT_FALSE(trash.MoveToTrash(file));
  EXPECT_EQ(test::ReadBytes(file), "<missing>");
  EXPECT_EQ(trash.TrashedFile(), dir.File("share/Trash/files/my notes%.txt"));
  EXPECT_EQ(test::ReadBytes(trash.TrashedFile()), "keep me");
  std::string record = TempDir::Read(trash.InfoFile());
  EXPECT_EQ(trash.InfoFile(), dir.File("share/Trash/info/my notes%.txt.trashinfo"));
  // "[Trash Info]", Path, and DeletionDate as YYYY-MM-DDThh:mm:ss.
  ASSERT_EQ(record.rfind("[Trash Info]\nPath=", 0), 0u) << record;
  std::size_t date = record.find("\nDeletionDate=");
  ASSERT_NE(date, std::string::npos) << record;
  std::string stamp = record.substr(date + 14);
  ASSERT_EQ(stamp.size(), 20u) << stamp;
  for (std::size_t i = 0; i < 19; ++i)
    EXPECT_TRUE(std::string("----T::").find(stamp[i]) != std::string::npos ? (i == 4 || i == 7 || i == 10 || i == 13 || i == 16)
                                                                             : std::isdigit((unsigned char)stamp[i]))
        << stamp;
  EXPECT_EQ(stamp[10], 'T');
  EXPECT_EQ(stamp[19], '\n');
  EXPECT_NE(record.find("my%20notes%25.txt"), std::string::npos) << record;
  EXPECT_EQ(RecordedPath(trash.InfoFile()), file);
  struct stat st;
  ASSERT_EQ(::stat(dir.File("share/Trash/files").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  // Restoring: move it back to the recorded path and drop the record.
  ASSERT_EQ(::rename(trash.TrashedFile().c_str(), RecordedPath(trash.InfoFile()).c_str()), 0);
  ::unlink(trash.InfoFile().c_str());
  EXPECT_EQ(test::ReadBytes(file), "keep me");

  // The same name again gets its own entry.
  std::string firstInfo = dir.File("share/Trash/info/my notes%.txt.trashinfo");
  dir.Write("share/Trash/info/my notes%.txt.trashinfo", "[Trash Info]\n");
  ASSERT_FALSE(trash.MoveToTrash(file));
  EXPECT_EQ(trash.TrashedFile(), dir.File("share/Trash/files/my notes%.txt.2"));
  EXPECT_EQ(TempDir::Read(firstInfo), "[Trash Info]\n") << "an existing record is never overwritten";
}

TEST(FreedesktopTrashTest, AnUnwritableTrashFailsAndTheFileStays) {
  TempDir dir;
  std::string file = dir.Write("a.txt", "data");
  // A plain file where the trash folder should be: no user, root included, can use it.
  dir.Write("Trash", "");
  FreedesktopTrash trash(dir.File("Trash"));
  FileError e = trash.MoveToTrash(file);
  EXPECT_TRUE(e);
  EXPECT_FALSE(e.message.empty());
  EXPECT_EQ(test::ReadBytes(file), "data");

  // A trash whose files/ folder cannot be entered: the record is taken back.
  ::mkdir(dir.File("T2").c_str(), 0700);
  ::mkdir(dir.File("T2/info").c_str(), 0700);
  dir.Write("T2/files", "");
  FreedesktopTrash second(dir.File("T2"));
  EXPECT_TRUE(second.MoveToTrash(file));
  EXPECT_EQ(test::ReadBytes(file), "data");
  EXPECT_EQ(test::ReadBytes(dir.File("T2/info/a.txt.trashinfo")), "<missing>");

  EXPECT_TRUE(second.MoveToTrash(dir.File("missing.txt")));
}

}  // namespace
}  // namespace kastrell
