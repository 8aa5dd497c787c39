#include "app/FileSettings.h"

#include <gtest/gtest.h>

#include "app/Directories.h"
#include "app/IniFiles.h"
#include "support/PlatformTest.h"
#include "support/TempDir.h"

namespace kastrell {
namespace {

class FileSettingsTest : public test::PlatformTest {
 protected:
  FileSettingsTest() { AppDirectories().ini = dir.Path(); }
  ~FileSettingsTest() override { AppDirectories().ini.clear(); }
  test::TempDir dir;
};

TEST_F(FileSettingsTest, DefaultsWithoutAFile) {
  LoadSettings l = ReadLoadSettings();
  EXPECT_EQ(l.encoding, 0);
  EXPECT_EQ(l.pcFormat, LineStyle::Pc);
  EXPECT_FALSE(l.checkInvalidCrLf);
  EXPECT_TRUE(l.backupRemote);
  SaveSettings s = ReadSaveSettings();
  EXPECT_TRUE(s.backup);
  EXPECT_EQ(s.backupExtension, ".bak");
  EXPECT_EQ(s.bom, BomPolicy::Keep);
  EXPECT_TRUE(s.checkModify);
}

TEST_F(FileSettingsTest, StoredValuesAreRead) {
  ASSERT_TRUE(SetIniInt(kMainIni, u"Files", u"Encoding", 936));
  ASSERT_TRUE(SetIniInt(kMainIni, u"Files", u"PC format", 0));
  ASSERT_TRUE(SetIniInt(kMainIni, u"Files", u"Check invalid CR/LF", 1));
  ASSERT_TRUE(SetIniInt(kMainIni, u"Files", u"Backup Remote", 0));
  ASSERT_TRUE(SetIniInt(kMainIni, u"Options", u"Disconnect", 1));
  ASSERT_TRUE(SetIniString(kMainIni, u"Files", u"Backup Dir", u"%HOME%/bak"));
  ASSERT_TRUE(SetIniString(kMainIni, u"Files", u"Backup Extension", u"old"));
  ASSERT_TRUE(SetIniInt(kMainIni, u"Files", u"BOM", 7));  // out of range: the default
  ASSERT_TRUE(SetIniInt(kMainIni, u"Files", u"Auto Save", 5));
  ASSERT_TRUE(SetIniInt(kMainIni, u"Files", u"Auto Save Dec", 3));
  LoadSettings l = ReadLoadSettings();
  EXPECT_EQ(l.encoding, 936);
  EXPECT_EQ(l.pcFormat, LineStyle::Unix);
  EXPECT_TRUE(l.checkInvalidCrLf);
  EXPECT_FALSE(l.backupRemote);
  EXPECT_TRUE(l.disconnect);
  SaveSettings s = ReadSaveSettings();
  EXPECT_EQ(s.backupDir, "%HOME%/bak");
  EXPECT_EQ(s.backupExtension, ".old");
  EXPECT_EQ(s.bom, BomPolicy::Keep);
  EXPECT_EQ(AutoSaveIntervalTenths(s.autoSave, s.autoSaveDec), 53);
}

TEST_F(FileSettingsTest, DocumentSettings) {
  DocumentSettings d = ReadDocumentSettings();
  EXPECT_TRUE(d.checkModify);
  EXPECT_FALSE(d.reload || d.preventEditing || d.lockFiles || d.restore);
  ASSERT_TRUE(SetIniInt(kMainIni, u"Files", u"Check Mofify", 0));
  ASSERT_TRUE(SetIniInt(kMainIni, u"Files", u"Reload", 1));
  ASSERT_TRUE(SetIniInt(kMainIni, u"Files", u"Prevent Editing", 1));
  ASSERT_TRUE(SetIniInt(kMainIni, u"Options", u"Lock Files", 1));
  ASSERT_TRUE(SetIniInt(kMainIni, u"Options", u"Restore", 1));
  d = ReadDocumentSettings();
  EXPECT_FALSE(d.checkModify);
  EXPECT_TRUE(d.reload && d.preventEditing && d.lockFiles && d.restore);
}

}  // namespace
}  // namespace kastrell
