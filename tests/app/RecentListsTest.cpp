#include "app/RecentLists.h"

#include <gtest/gtest.h>

#include "app/IniStore.h"
#include "app/UserValues.h"
#include "support/PlatformTest.h"
#include "support/TempDir.h"

namespace kastrell {
namespace {

using Strings = std::vector<std::string>;

TEST(RecentList, AddMovesToTopAndDropsTheOldest) {
  RecentList l(u"Recent File List", u"File");
  for (int i = 1; i <= 16; ++i) l.Add("/f" + std::to_string(i));
  ASSERT_EQ(l.Entries().size(), 16u);
  EXPECT_EQ(l.Entries().front(), "/f16");
  l.Add("/f5");
  EXPECT_EQ(l.Entries().size(), 16u);
  EXPECT_EQ(l.Entries()[0], "/f5");
  EXPECT_EQ(l.Entries()[1], "/f16");
  EXPECT_EQ(l.Entries().back(), "/f1");
  l.Add("/F1");  // a different file on this system
  EXPECT_EQ(l.Entries()[0], "/F1");
  EXPECT_EQ(l.Entries().back(), "/f2");
  l.Add("");
  EXPECT_EQ(l.Entries()[0], "/F1");
  l.Add("/x/../f3");  // the same file as /f3, spelled another way
  EXPECT_EQ(l.Entries()[0], "/x/../f3");
  EXPECT_EQ(l.Entries().size(), 16u);
}

TEST(RecentList, MenuLabelsUseAccessKeysAndDoubleAmpersands) {
  RecentList l(u"Recent File List", u"File");
  for (int i = 16; i >= 1; --i) l.Add("/d/" + std::to_string(i));
  EXPECT_EQ(l.MenuLabel(0, 80), "&1 /d/1");
  EXPECT_EQ(l.MenuLabel(8, 80), "&9 /d/9");
  EXPECT_EQ(l.MenuLabel(9, 80), "&0 /d/10");
  EXPECT_EQ(l.MenuLabel(10, 80), "&a /d/11");
  EXPECT_EQ(l.MenuLabel(15, 80), "&f /d/16");
  EXPECT_EQ(l.MenuLabel(16, 80), "");
  l.Add("/R&D/a&b.txt");
  EXPECT_EQ(l.MenuLabel(0, 80), "&1 /R&&D/a&&b.txt");
}

TEST(RecentList, ShortensLongPathsForMenus) {
  struct Row {
    const char* path;
    std::size_t max;
    const char* shown;
  };
  const Row rows[] = {
      {"/home/user/short.txt", 30, "/home/user/short.txt"},
      {"/home/user/projects/kastrell/src/app/IniStore.cpp", 30, "/home/.../src/app/IniStore.cpp"},
      {"/home/user/projects/kastrell/src/app/IniStore.cpp", 20, ".../app/IniStore.cpp"},
      {"/home/a-very-long-file-name-that-does-not-fit.txt", 20, "...-does-not-fit.txt"},
      {"/home/\u4E2D\u6587/\u6587\u4EF6\u5939/\u6587\u4EF6.txt", 16, "/home/.../\u6587\u4EF6.txt"},
  };
  for (const Row& r : rows) EXPECT_EQ(ShortenForMenu(r.path, r.max), r.shown) << r.path;
}

TEST(RecentLists, NamesAndDirectories) {
  EXPECT_TRUE(IsRemoteName("ftp(2):/var/www/index.html"));
  EXPECT_TRUE(IsRemoteName("joe@example.org:/home/joe/a.txt"));
  EXPECT_FALSE(IsRemoteName("/home/joe@example.org:x/a.txt"));
  EXPECT_FALSE(IsRemoteName("/tmp/a:b"));
  EXPECT_FALSE(IsRemoteName("@x:y"));
  EXPECT_EQ(RecentDirectoryOf("/home/joe/a.txt"), "/home/joe");
  EXPECT_EQ(RecentDirectoryOf("/a.txt"), "/");
  EXPECT_EQ(RecentDirectoryOf("ftp(2):/a.txt"), "ftp(2):/");
  EXPECT_EQ(RecentDirectoryOf("ftp(2):/www/a.txt"), "ftp(2):/www");

  RecentLists lists;
  lists.Add("docs/../notes/a.txt", "/home/joe");
  lists.Add("ftp(1):/www/b.html", "/home/joe");
  lists.Add("/srv", "/home/joe", true);
  EXPECT_EQ(lists.files.Entries(), (Strings{"ftp(1):/www/b.html", "/home/joe/notes/a.txt"}));
  EXPECT_EQ(lists.dirs.Entries(), (Strings{"/srv", "ftp(1):/www", "/home/joe/notes"}));
}

class RecentListsStore : public test::PlatformTest {
 protected:
  test::TempDir dir;
};

TEST_F(RecentListsStore, SaveAndLoadThroughUserValues) {
  UserValues values(dir / "cfg/registry_u.ini");
  RecentLists lists;
  for (int i = 0; i < 3; ++i) lists.Add("/p/f" + std::to_string(i), "/");
  ASSERT_TRUE(lists.Save(values));
  lists.files.Remove(0);
  ASSERT_TRUE(lists.Save(values));

  RecentLists loaded;
  loaded.Load(values);
  EXPECT_EQ(loaded.files.Entries(), (Strings{"/p/f1", "/p/f0"}));
  EXPECT_EQ(loaded.dirs.Entries(), (Strings{"/p"}));
  EXPECT_EQ(values.GetString(u"Recent File List", u"File3"), std::nullopt) << "stale entry removed";
  EXPECT_EQ(values.GetString(u"Recent File List", u"File1"), u"/p/f1");
  EXPECT_EQ(values.GetString(u"Recent Dir List", u"Dir1"), u"/p");
}

TEST_F(RecentListsStore, LoadSkipsEmptyEntries) {
  UserValues values(dir / "registry_u.ini");
  ASSERT_TRUE(values.SetString(u"Recent File List", u"File1", u""));
  ASSERT_TRUE(values.SetString(u"Recent File List", u"File3", u"/x"));
  RecentLists lists;
  lists.Load(values);
  EXPECT_EQ(lists.files.Entries(), (Strings{"/x"}));
}

}  // namespace
}  // namespace kastrell
