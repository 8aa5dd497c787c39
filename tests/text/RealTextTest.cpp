// Real multilingual text, converted by iconv into each code page, must load
// back to the original text. The translations come from the gnupg-l10n package.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "platform/Utf.h"
#include "platform/posix/IcuCodePages.h"
#include "support/PlatformTest.h"
#include "support/TempDir.h"
#include "text/FileLoader.h"

namespace kastrell {
namespace {

class RealTextTest : public test::PlatformTest {
 protected:
  RealTextTest() { hp.platform.codePages = &icu; }
  IcuCodePages icu{1252};
  test::TempDir dir;
};

std::u16string JoinedText(const CMyEditDoc& doc) {
  std::u16string out;
  for (std::int32_t i = 0; i < doc.Buffer().LineCount(); ++i) {
    if (i > 0) out += u'\n';
    out += doc.Buffer().LineView(i);
  }
  return out;
}

TEST_F(RealTextTest, IconvOutputDecodesToTheOriginal) {
  struct Case {
    const char* language;
    const char* iconvName;
    int codePage;  // the system code page the file is opened under
    bool bom;      // iconv's UTF-16 output gets a signature prepended
  } cases[] = {
      {"zh_CN", "CP936", 936, false},     {"zh_TW", "CP950", 950, false},  {"ja", "CP932", 932, false},
      {"ru", "CP1251", 1251, false},      {"de", "CP1252", 1252, false},   {"tr", "CP1254", 1254, false},
      {"ja", "UTF-16LE", 1252, true},     {"zh_CN", "UTF-16BE", 1252, true}, {"ru", "UTF-8", 1252, false},
  };
  int checked = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.language) + " " + c.iconvName);
    std::string source = std::string("/usr/share/gnupg/help.") + c.language + ".txt";
    std::string original = test::TempDir::Read(source);
    if (original.empty()) continue;  // the package is missing; counted below
    std::string converted = dir.File(std::string(c.language) + "." + c.iconvName);
    std::string cmd = "iconv -f UTF-8 -t " + std::string(c.iconvName) + " '" + source + "' > '" + converted + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    if (c.bom) {
      std::string bytes = test::TempDir::Read(converted);
      std::string bom = std::string(c.iconvName) == "UTF-16LE" ? "\xFF\xFE" : "\xFE\xFF";
      dir.Write(std::string(c.language) + "." + c.iconvName, bom + bytes);
    }
    icu.SetAnsiCodePage(c.codePage);
    CMyEditDoc doc;
    LoadEnvironment env;
    ASSERT_TRUE(LoadFile(doc, converted, "", env));
    EXPECT_EQ(JoinedText(doc), Utf8ToUtf16(original));
    EXPECT_EQ(doc.lineStyle, LineStyle::Unix);
    ++checked;
  }
  if (checked == 0) GTEST_SKIP() << "gnupg-l10n is not installed";
  EXPECT_EQ(checked, int(std::size(cases)));
}

}  // namespace
}  // namespace kastrell
