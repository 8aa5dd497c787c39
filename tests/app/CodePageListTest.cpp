// The converter list in the settings, codepage.txt, and the encoding list models.
#include "app/CodePageList.h"

#include <gtest/gtest.h>

#include "app/IniStore.h"
#include "platform/posix/IcuCodePages.h"
#include "support/PlatformTest.h"
#include "support/TempDir.h"

namespace kastrell {
namespace {

class CodePageListTest : public test::PlatformTest {
 protected:
  CodePageListTest() { hp.platform.codePages = &icu; }
  static std::unique_ptr<IniBuffer> Ini(std::u16string body) {
    auto ini = std::make_unique<IniBuffer>();
    ini->text = u"\uFEFF" + body;
    return ini;
  }
  static std::vector<std::string> Labels(const EncodingList& l) {
    std::vector<std::string> out;
    for (const EncodingItem& i : l.items) out.push_back(i.label);
    return out;
  }
  IcuCodePages icu{1252};
};

TEST_F(CodePageListTest, EncodingListFixedItemsDependOnTheAnsiCodePage) {
  EncodingList l = FillEncodingList(std::vector<ConverterEntry>{}, 1201);
  EXPECT_EQ(Labels(l), (std::vector<std::string>{"ANSI", "Unicode", "Unicode big endian", "UTF-8"}));
  EXPECT_EQ(l.selected, 2u);

  IcuCodePages chinese{936};
  hp.platform.codePages = &chinese;
  l = FillEncodingList(std::vector<ConverterEntry>{{"Japanese", 932}}, 4242);
  EXPECT_EQ(Labels(l), (std::vector<std::string>{"ANSI", "Unicode", "Unicode big endian", "UTF-8",
                                                  "Western European (Windows)", "Japanese"}));
  EXPECT_EQ(l.items.back().code, 932);
  EXPECT_EQ(l.selected, 0u) << "an encoding not in the list selects the first item";
  EXPECT_EQ(ChooserResult(0), 936) << "the chooser never returns 0 for ANSI";
  EXPECT_EQ(ChooserResult(1200), 1200);
}

TEST_F(CodePageListTest, ReadConvertersClampsStopsAndDropsDuplicates) {
  struct Case {
    const char* name;
    std::u16string ini;
    std::vector<std::int32_t> codes;
  } cases[] = {
      {"none", u"", {}},
      {"two entries", u"[Converters]\r\nCount=2\r\n[Converters\\0]\r\nText=J\r\nCode=932\r\n"
                      u"[Converters\\1]\r\nText=K\r\nCode=949\r\n", {932, 949}},
      {"stops at the first missing entry",
       u"[Converters]\r\nCount=3\r\n[Converters\\0]\r\nCode=932\r\n[Converters\\2]\r\nCode=949\r\n", {932}},
      {"a huge count reads only what exists", u"[Converters]\r\nCount=2147483647\r\n[Converters\\0]\r\nCode=950\r\n",
       {950}},
      {"a negative count is none", u"[Converters]\r\nCount=-5\r\n[Converters\\0]\r\nCode=950\r\n", {}},
      {"out-of-range code ends the list",
       u"[Converters]\r\nCount=2\r\n[Converters\\0]\r\nCode=70000\r\n[Converters\\1]\r\nCode=932\r\n", {}},
      {"one entry per code page", u"[Converters]\r\nCount=3\r\n[Converters\\0]\r\nCode=932\r\n"
                                  u"[Converters\\1]\r\nCode=932\r\n[Converters\\2]\r\nCode=949\r\n", {932, 949}},
  };
  for (const Case& c : cases) {
    auto ini = Ini(c.ini);
    std::vector<std::int32_t> codes;
    for (const ConverterEntry& e : ReadConverters(ini.get())) codes.push_back(e.code);
    EXPECT_EQ(codes, c.codes) << c.name;
  }
}

TEST_F(CodePageListTest, CodePageTxtLines) {
  std::string bytes =
      "932\tJapanese\r\n"
      "\tno number\n"
      "\n"
      "0\tzero\n"
      "65536\ttoo big\n"
      "12x\tnot a number\n"
      "437\n"
      "1252\tWest \xE9\n"
      "65535\tlast";
  std::vector<CodePageName> names = ParseCodePageNames(bytes);
  ASSERT_EQ(names.size(), 4u);
  EXPECT_EQ(names[0].number, 932);
  EXPECT_EQ(names[0].name, "Japanese");
  EXPECT_EQ(names[1].number, 437);
  EXPECT_EQ(names[1].name, "");
  EXPECT_EQ(names[2].name, "West \xC3\xA9") << "each byte is one character";
  EXPECT_EQ(names[3].number, 65535);

  test::TempDir dir;
  dir.Write("codepage.txt", "932\tJapanese\n");
  EXPECT_EQ(ReadCodePageNames(dir.Path() + "/").size(), 1u);
  EXPECT_TRUE(ReadCodePageNames(dir.Path() + "/missing/").empty());
}

TEST_F(CodePageListTest, ConfigurationAddRemoveAndSave) {
  ConverterConfiguration conf({{"Zeta", 949}}, {{932, "Japanese"}});
  auto index = [&](std::int32_t code) -> std::optional<std::size_t> {
    const auto& s = conf.SystemPages();
    for (std::size_t i = 0; i < s.size(); ++i)
      if (s[i].code == code) return i;
    return std::nullopt;
  };
  ASSERT_TRUE(index(932));
  EXPECT_EQ(conf.SystemPages()[*index(932)].text, "Japanese 932");
  ASSERT_TRUE(index(1251));
  EXPECT_EQ(conf.SystemPages()[*index(1251)].text, "1251");

  conf.Add(index(932));
  conf.Add(index(932));
  conf.Add(std::nullopt);  // no selection: nothing
  conf.Add(index(1251));
  ASSERT_EQ(conf.Converters().size(), 3u) << "932 added twice is one entry";
  EXPECT_EQ(conf.Converters()[0].text, "1251") << "sorted by label";
  EXPECT_EQ(conf.Converters()[1].text, "Japanese 932");
  EXPECT_EQ(conf.Converters()[2].text, "Zeta");

  auto ini = Ini(u"[Converters]\r\nCount=4\r\n[Converters\\3]\r\nText=Old\r\nCode=850\r\n");
  EXPECT_EQ(conf.Remove(0), std::optional<std::size_t>(0));
  EXPECT_EQ(conf.Remove(1), std::nullopt) << "the last item leaves no successor";
  ASSERT_TRUE(conf.Save(ini.get()));
  EXPECT_EQ(IniStore::GetInt(ini.get(), u"Converters", u"Count", -1), 1);
  std::vector<ConverterEntry> back = ReadConverters(ini.get());
  ASSERT_EQ(back.size(), 1u);
  EXPECT_EQ(back[0].text, "Japanese 932");
  EXPECT_EQ(back[0].code, 932);
  EXPECT_EQ(FillEncodingList(ini.get(), 932).selected, 4u);
}

}  // namespace
}  // namespace kastrell
