#include "app/UserValues.h"

#include <gtest/gtest.h>

#include "support/PlatformTest.h"
#include "support/TempDir.h"

namespace kastrell {
namespace {

class UserValuesTest : public test::PlatformTest {
 protected:
  test::TempDir dir;
};

TEST_F(UserValuesTest, DefaultPathIsUnderXdgConfig) {
  hp.system.SetEnv("XDG_CONFIG_HOME", "/x/cfg");
  EXPECT_EQ(UserValues::DefaultPath(hp.system), "/x/cfg/kastrell/registry_u.ini");
}

TEST_F(UserValuesTest, ValuesSurviveInOneFileCreatedWithItsFolder) {
  UserValues values(dir / "new/folder/registry_u.ini");
  EXPECT_EQ(values.GetInt(u"Install", u"Language", 0), 0);
  EXPECT_EQ(values.GetString(u"Install", u"Path"), std::nullopt);
  ASSERT_TRUE(values.SetInt(u"Install", u"Language", 949));
  ASSERT_TRUE(values.SetString(u"Install", u"Path", u"/opt/k"));
  const unsigned char placement[3] = {1, 2, 3};
  ASSERT_TRUE(values.SetBinary(u"Install", u"Placement", placement, 3));

  UserValues again(values.Path());
  EXPECT_EQ(again.GetInt(u"Install", u"Language", 0), 949);
  EXPECT_EQ(again.GetString(u"Install", u"Path", u""), u"/opt/k");
  unsigned char got[3] = {};
  EXPECT_TRUE(again.GetBinary(u"Install", u"Placement", got, 3));
  EXPECT_EQ(got[2], 3);
  EXPECT_EQ(test::ReadBytes(values.Path()),
            EncodeIniText(u"\uFEFF\r\n[Install]\r\nLanguage=949\r\nPath=/opt/k\r\nPlacement=010203FF"));

  ASSERT_TRUE(again.DeleteValue(u"Install", u"Path"));
  EXPECT_EQ(values.GetString(u"Install", u"Path"), std::nullopt);
  ASSERT_TRUE(again.DeleteSection(u"Install"));
  EXPECT_EQ(values.GetInt(u"Install", u"Language", 1), 1);
}

TEST_F(UserValuesTest, BatchSavesOnce) {
  UserValues values(dir / "registry_u.ini");
  std::unique_ptr<IniBuffer> b = values.Open();
  for (int i = 1; i <= 16; ++i) IniStore::SetInt(b.get(), u"Recent", u"N" + std::u16string(1, u'a' + i), i);
  EXPECT_EQ(test::ReadBytes(values.Path()), "<missing>");
  ASSERT_TRUE(values.Save(std::move(b)));
  EXPECT_EQ(values.GetInt(u"Recent", u"Nq", 0), 16);
}

TEST_F(UserValuesTest, UnwritableLocationFails) {
  test::WriteBytes(dir / "file", "x");
  UserValues values(dir / "file/registry_u.ini");
  EXPECT_FALSE(values.SetInt(u"Install", u"Language", 1));
  EXPECT_EQ(values.GetInt(u"Install", u"Language", 3), 3);
}

TEST_F(UserValuesTest, ApplicationValuesNeedAPath) {
  UserValues& app = AppUserValues();
  std::string saved = app.Path();
  app.SetPath({});
  EXPECT_FALSE(app.SetInt(u"Install", u"Language", 1));
  EXPECT_EQ(app.GetInt(u"Install", u"Language", 2), 2);
  app.SetPath(dir / "registry_u.ini");
  EXPECT_TRUE(app.SetInt(u"Install", u"Language", 1));
  EXPECT_EQ(app.GetInt(u"Install", u"Language", 2), 1);
  app.SetPath(saved);
}

}  // namespace
}  // namespace kastrell
