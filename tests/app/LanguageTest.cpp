#include "app/Language.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/UserValues.h"
#include "platform/Strings.h"
#include "support/PlatformTest.h"
#include "support/TempDir.h"

namespace kastrell {
namespace {

// The fake code pages know 28591 (Latin-1) as the ANSI code page, so the
// language tables here are filed under that number.
constexpr int kTestLanguage = 28591;

class LanguageTest : public test::PlatformTest {
 protected:
  void SetUp() override {
    hp.system.SetEnv("XDG_CONFIG_HOME", dir / "config");
    hp.system.SetExecutablePath(dir / "prefix/bin/kastrell");
    std::filesystem::create_directories(dir / "prefix/share/kastrell");
    values.SetPath(UserValues::DefaultPath(hp.system));
  }
  void TearDown() override {
    SetLanguageStrings(nullptr);
    test::PlatformTest::TearDown();
  }
  // Writes a language table for kTestLanguage under the data folder `data`.
  void WriteTable(const std::string& data, const std::string& content) {
    std::string folder = data + "/lang/" + std::to_string(kTestLanguage);
    std::filesystem::create_directories(folder);
    test::WriteBytes(folder + "/strings.txt", content);
  }
  std::string Own() { return dir / "prefix/share/kastrell/"; }
  std::string Versioned(const std::string& rows) { return "#version " + std::string(ProgramVersion()) + "\n" + rows; }

  test::TempDir dir;
  UserValues values{std::string()};
};

TEST_F(LanguageTest, LocaleGivesEnglishOnlyForEnglishMessages) {
  struct Row {
    const char* name;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    int language;
  };
  const Row rows[] = {
      {"nothing set", nullptr, nullptr, nullptr, kBuiltInLanguage},
      {"en_US", nullptr, nullptr, "en_US.UTF-8", kEnglishLanguage},
      {"en_GB", nullptr, nullptr, "en_GB", kEnglishLanguage},
      {"bare en", nullptr, nullptr, "en", kEnglishLanguage},
      {"zh_CN", nullptr, nullptr, "zh_CN.UTF-8", kBuiltInLanguage},
      {"C", nullptr, nullptr, "C", kBuiltInLanguage},
      {"eno is not en", nullptr, nullptr, "eno_XX", kBuiltInLanguage},
      {"LC_MESSAGES before LANG", nullptr, "zh_TW", "en_US", kBuiltInLanguage},
      {"LC_ALL before all", "en_AU", "zh_TW", "zh_CN", kEnglishLanguage},
      {"empty LC_ALL is skipped", "", "en_IE", "zh_CN", kEnglishLanguage},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) hp.system.UnsetEnv(name);
    if (r.lcAll) hp.system.SetEnv("LC_ALL", r.lcAll);
    if (r.lcMessages) hp.system.SetEnv("LC_MESSAGES", r.lcMessages);
    if (r.lang) hp.system.SetEnv("LANG", r.lang);
    EXPECT_EQ(LanguageForLocale(hp.system), r.language);
  }
}

TEST_F(LanguageTest, FirstStartStoresTheLocaleLanguageAndLaterStartsKeepTheUsersChoice) {
  hp.system.SetEnv("LANG", "en_US.UTF-8");
  EXPECT_EQ(StoredLanguage(values, hp.system), kEnglishLanguage);
  EXPECT_EQ(values.GetInt(user_values::kInstall, user_values::kLanguage, -1), kEnglishLanguage);
  // The user switched back to the built-in language; the English locale no longer decides.
  ASSERT_TRUE(values.SetInt(user_values::kInstall, user_values::kLanguage, 0));
  EXPECT_EQ(StoredLanguage(values, hp.system), kBuiltInLanguage);
  hp.system.SetEnv("LANG", "de_DE.UTF-8");
  ASSERT_TRUE(values.DeleteValue(user_values::kInstall, user_values::kLanguage));
  EXPECT_EQ(StoredLanguage(values, hp.system), kBuiltInLanguage);
  EXPECT_EQ(values.GetInt(user_values::kInstall, user_values::kLanguage, -1), kBuiltInLanguage);
}

TEST_F(LanguageTest, ChoosesTheTableOnlyWhenLanguageAndAnsiCodePageAgree) {
  WriteTable(Own(), Versioned("20070\tFile\n"));
  struct Row {
    const char* name;
    int stored;
    int ansi;
    int result;
    const char* fileMenu;
  };
  const Row rows[] = {
      {"language and code page agree", kTestLanguage, kTestLanguage, kTestLanguage, "File"},
      {"built-in language", 0, kTestLanguage, 0, "文件"},
      {"other system code page", kTestLanguage, 65001, 0, "文件"},
      {"not a valid code page", 1, 1, 0, "文件"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ASSERT_TRUE(values.SetInt(user_values::kInstall, user_values::kLanguage, r.stored));
    hp.codePages.SetAnsiCodePage(r.ansi);
    EXPECT_EQ(StartLanguage(values, Own()), r.result);
    EXPECT_EQ(LoadString(20070), r.fileMenu);
    // A number the language table lacks keeps its built-in text.
    EXPECT_EQ(LoadString(20071), "编辑");
  }
}

TEST_F(LanguageTest, LooksInTheProgramsDataFolderThenTheInstallDirectory) {
  ASSERT_TRUE(values.SetInt(user_values::kInstall, user_values::kLanguage, kTestLanguage));
  hp.codePages.SetAnsiCodePage(kTestLanguage);
  std::string other = dir / "other";
  WriteTable(other, Versioned("20070\tFrom the install directory\n"));
  EXPECT_EQ(StartLanguage(values, other + "/"), kTestLanguage);
  EXPECT_EQ(LoadString(20070), "From the install directory");
  WriteTable(Own(), Versioned("20070\tFrom the program\n"));
  EXPECT_EQ(StartLanguage(values, other + "/"), kTestLanguage);
  EXPECT_EQ(LoadString(20070), "From the program");
}

TEST_F(LanguageTest, MissingOutdatedOrBrokenTablesLeaveTheBuiltInTexts) {
  ASSERT_TRUE(values.SetInt(user_values::kInstall, user_values::kLanguage, kTestLanguage));
  hp.codePages.SetAnsiCodePage(kTestLanguage);
  struct Row {
    const char* name;
    const char* content;  // nullptr: no table
    const char* box;      // a piece of the message shown, nullptr: none
  };
  const Row rows[] = {
      {"no table", nullptr, nullptr},
      {"other version", "#version 0.9\n20070\tFile\n", "语言文件(DLL)与当前版本的程序不匹配。"},
      {"no version", "20070\tFile\n", "语言文件(DLL)与当前版本的程序不匹配。"},
      {"malformed entry", "#version @\n20070 File\n", "line 2: expected a number"},
      {"duplicate number", "#version @\n20070\tFile\n20070\tFile\n", "line 3: duplicate number 20070"},
      {"not UTF-8", "#version @\n20070\tFi\xFFle\n", "line 2: not UTF-8"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::filesystem::remove_all(Own() + "lang");
    if (r.content) {
      std::string content = r.content;
      if (std::size_t at = content.find('@'); at != std::string::npos) content.replace(at, 1, ProgramVersion());
      WriteTable(Own(), content);
    }
    hp.boxes.Clear();
    EXPECT_EQ(StartLanguage(values, Own()), kBuiltInLanguage);
    EXPECT_EQ(LoadString(20070), "文件");
    if (r.box) {
      ASSERT_EQ(hp.boxes.Shown().size(), 1u);
      EXPECT_NE(hp.boxes.Shown()[0].text.find(r.box), std::string::npos) << hp.boxes.Shown()[0].text;
    } else {
      EXPECT_TRUE(hp.boxes.Shown().empty());
    }
  }
  hp.boxes.Clear();
}

TEST_F(LanguageTest, TheShippedEnglishTableLoadsAndCoversEveryString) {
  LanguageStrings english;
  std::string error;
  ASSERT_EQ(LoadLanguageTable(LanguageTablePath(KASTRELL_SOURCE_DATA_DIR, kEnglishLanguage), ProgramVersion(),
                              english, error),
            LanguageLoad::Loaded)
      << error;
  SetLanguageStrings(std::make_unique<LanguageStrings>(english));
  EXPECT_EQ(LoadString(20070), "File");
  EXPECT_EQ(LoadString(21547), "%s\n\nInvalid directory setting.");
  EXPECT_EQ(LoadString(21704), "\n\nNote: hold down SHIFT to repeat this answer.");
}

}  // namespace
}  // namespace kastrell
