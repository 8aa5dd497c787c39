#include "app/Directories.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/IniFiles.h"
#include "app/UserValues.h"
#include "platform/Utf.h"
#include "support/PlatformTest.h"
#include "support/TempDir.h"

namespace kastrell {
namespace {

class DirectoriesTest : public test::PlatformTest {
 protected:
  void SetUp() override {
    hp.system.SetEnv("XDG_CONFIG_HOME", dir / "config");
    hp.system.SetEnv("HOME", dir / "home");
    hp.system.SetCurrentDirectory(dir / "work");
    hp.system.SetExecutablePath(dir / "prefix/bin/kastrell");
    ::mkdir((dir / "prefix").c_str(), 0755);
    ::mkdir((dir / "prefix/share").c_str(), 0755);
    ::mkdir((dir / "prefix/share/kastrell").c_str(), 0755);
  }
  UserValues Values() { return UserValues(UserValues::DefaultPath(hp.system)); }
  test::TempDir dir;
};

TEST_F(DirectoriesTest, ExpandsEnvironmentReferences) {
  hp.system.SetEnv("A", "/alpha");
  hp.system.SetEnv("B", "b");
  struct Row {
    const char* in;
    std::optional<std::string> out;
  };
  const Row rows[] = {
      {"%A%/x", "/alpha/x"},   {"%A%%B%", "/alphab"},      {"/x/%UNSET%/y", "/x/%UNSET%/y"},
      {"50% off", "50% off"},  {"%%", "%%"},               {"%A", "%A"},
      {"%B%%", "b%"},          {"", ""},
  };
  for (const Row& r : rows) EXPECT_EQ(ExpandEnvironment(r.in, hp.system), r.out) << r.in;
  hp.system.SetEnv("LONG", std::string(kMaxDirectoryUnits, 'x'));
  EXPECT_EQ(ExpandEnvironment("%LONG%", hp.system)->size(), kMaxDirectoryUnits);
  EXPECT_EQ(ExpandEnvironment("/%LONG%", hp.system), std::nullopt);
}

TEST_F(DirectoriesTest, TrailingSeparators) {
  EXPECT_EQ(StripTrailingSeparator("/a/b/"), "/a/b");
  EXPECT_EQ(StripTrailingSeparator("/a//"), "/a");
  EXPECT_EQ(StripTrailingSeparator("/"), "/");
  EXPECT_EQ(StripTrailingSeparator("a"), "a");
  EXPECT_EQ(WithTrailingSeparator("/a"), "/a/");
  EXPECT_EQ(WithTrailingSeparator("/a/"), "/a/");
}

TEST_F(DirectoriesTest, DefaultsFollowTheXdgConfigFolder) {
  Directories d = ResolveDirectories(Values());
  EXPECT_EQ(d.install, dir / "prefix/share/kastrell/");
  EXPECT_EQ(d.start, dir / "work/");
  EXPECT_EQ(d.current, dir / "work");
  EXPECT_EQ(d.ini, dir / "config/kastrell");
  EXPECT_EQ(d.syntax, dir / "prefix/share/kastrell");
  EXPECT_EQ(d.workspace, "");
  FileInfo info;
  ASSERT_FALSE(hp.files.Stat(d.ini, info));
  EXPECT_EQ(info.kind, FileKind::Directory) << "the default INI directory is created";

  hp.system.UnsetEnv("XDG_CONFIG_HOME");
  EXPECT_EQ(DefaultIniDirectory(hp.system), dir / "home/.config/kastrell");
  hp.system.SetEnv("XDG_CONFIG_HOME", "relative/path");
  EXPECT_EQ(DefaultIniDirectory(hp.system), dir / "home/.config/kastrell");
}

TEST_F(DirectoriesTest, StoredValuesAreExpandedAndStripped) {
  ::mkdir((dir / "inis").c_str(), 0755);
  ::mkdir((dir / "stx").c_str(), 0755);
  hp.system.SetEnv("TOP", dir.Path());
  UserValues values = Values();
  ASSERT_TRUE(values.SetString(u"Install", u"INI directory", u"%TOP%/inis/"));
  ASSERT_TRUE(values.SetString(u"Install", u"STX ACP CTL", u"%TOP%/stx"));
  ASSERT_TRUE(values.SetString(u"Install", u"Path", u"%TOP%/prefix"));
  Directories d = ResolveDirectories(values);
  EXPECT_EQ(d.install, dir / "prefix/");
  EXPECT_EQ(d.ini, dir / "inis");
  EXPECT_EQ(d.syntax, dir / "stx");
}

TEST_F(DirectoriesTest, InvalidDirectoryIsReportedAndReplacedByInstallDirectory) {
  UserValues values = Values();
  test::WriteBytes(dir / "afile", "x");
  ASSERT_TRUE(values.SetString(u"Install", u"INI directory", u"/no/such/dir/"));
  ASSERT_TRUE(values.SetString(u"Install", u"STX ACP CTL", Utf8ToUtf16(dir / "afile")));
  hp.boxes.Expect("/no/such/dir\n\n无效的目录设置。", Answer::Ok);
  hp.boxes.Expect(dir / "afile" + "\n\n无效的目录设置。", Answer::Ok);
  Directories d = ResolveDirectories(values);
  EXPECT_EQ(d.ini, dir / "prefix/share/kastrell");
  EXPECT_EQ(d.syntax, dir / "prefix/share/kastrell");
}

TEST_F(DirectoriesTest, EmptyStoredValueMeansDefault) {
  UserValues values = Values();
  ASSERT_TRUE(values.SetString(u"Install", u"INI directory", u""));
  EXPECT_EQ(ResolveDirectories(values).ini, dir / "config/kastrell");
}

TEST_F(DirectoriesTest, CheckDirectoryForSwitchValues) {
  EXPECT_EQ(CheckDirectory(dir.Path() + "/", hp.system, hp.files), dir.Path());
  hp.boxes.Expect("/nowhere", Answer::Ok);
  EXPECT_EQ(CheckDirectory("/nowhere", hp.system, hp.files), std::nullopt);
  EXPECT_EQ(CheckDirectory("/nowhere", hp.system, hp.files, false), std::nullopt) << "silently";
}

TEST_F(DirectoriesTest, IniPathsByIndex) {
  Directories d;
  d.ini = "/cfg";
  struct Row {
    int index, number;
    const char* path;
  };
  const Row rows[] = {
      {0, 0, "/cfg/kastrell_u.ini"}, {1, 0, "/cfg/tool_u.ini"},       {2, 0, "/cfg/project_u.ini"},
      {3, 0, "/cfg/setting_u.ini"},  {4, 0, "/cfg/workspace_u.ini"},  {5, 0, "/cfg/template_u.ini"},
      {6, 0, "/cfg/ftp_u.ini"},      {7, 0, "/cfg/ftp2_u.ini"},       {8, 0, "/cfg/combobox_u.ini"},
      {9, 3, "/cfg/default3_mac"},   {10, 0, "/cfg/restore_u.ini"},   {11, 0, "/cfg/kastrell_u.ini"},
      {-1, 0, "/cfg/kastrell_u.ini"},
  };
  for (const Row& r : rows) EXPECT_EQ(IniPath(d, r.index, r.number), r.path) << r.index;
  d.workspace = "/ws";
  EXPECT_EQ(IniPath(d, kWorkspaceIni), "/ws/workspace_u.ini");
  EXPECT_EQ(IniPath(d, kMainIni), "/cfg/kastrell_u.ini");
  d.ini.clear();
  EXPECT_EQ(IniPath(d, kMainIni), "");
}

TEST_F(DirectoriesTest, IndexHelpersUseAppDirectories) {
  Directories saved = AppDirectories();
  AppDirectories().ini = dir.Path();
  EXPECT_EQ(GetIniInt(kMainIni, u"Files", u"Encoding", 7), 7);
  ASSERT_TRUE(SetIniInt(kMainIni, u"Files", u"Encoding", 1200));
  ASSERT_TRUE(SetIniString(kMainIni, u"Files", u"Name", u"x"));
  EXPECT_EQ(GetIniInt(kMainIni, u"Files", u"Encoding", 7), 1200);
  EXPECT_EQ(GetIniString(kMainIni, u"Files", u"Name", u""), u"x");
  EXPECT_EQ(GetIniInt(kToolIni, u"Files", u"Encoding", 7), 7);
  AppDirectories().ini.clear();
  EXPECT_EQ(GetIniInt(kMainIni, u"Files", u"Encoding", 7), 7);
  EXPECT_FALSE(SetIniInt(kMainIni, u"Files", u"Encoding", 1));
  AppDirectories() = saved;
}

}  // namespace
}  // namespace kastrell
