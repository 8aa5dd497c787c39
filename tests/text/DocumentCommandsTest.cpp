// The whole-document commands on small fixtures: statistics, sum, the header
// switch, delete to the trash, properties and send by mail.
#include "text/DocumentCommands.h"

#include <gtest/gtest.h>

#include "platform/ProcessLauncher.h"
#include "platform/Trash.h"
#include "platform/posix/FreedesktopTrash.h"
#include "platform/posix/IcuCodePages.h"
#include "support/PlatformTest.h"
#include "text/DocumentTestSupport.h"

namespace kastrell {
namespace {

using test::TempDir;

class DocumentCommandsTest : public test::PlatformTest {
 protected:
  DocumentCommandsTest() {
    hp.platform.codePages = &icu;
    env.hooks = &hooks;
  }
  void SetText(CMyEditDoc& d, std::u16string_view text) { d.Edits().InsertText({0, 0}, text, kUndoNone); }

  IcuCodePages icu{1252};
  TempDir dir;
  test::RecordingHooks hooks;
  DocumentEnvironment env;
};

TEST_F(DocumentCommandsTest, Statistics) {
  struct Case {
    const char* name;
    std::u16string text;
    LineStyle style;
    std::u16string delimiters;
    TextStatistics expected;
  } cases[] = {
      {"ab cd without delimiters", u"ab cd", LineStyle::Pc, u"", {5, 5, 2, 1}},
      {"delimiters split words", u"a,b.c", LineStyle::Pc, u",.", {5, 5, 3, 1}},
      {"PC separators count two units", u"one\r\ntwo\r\n", LineStyle::Pc, u"", {10, 10, 2, 3}},
      {"UNIX separators count one", u"one\r\ntwo", LineStyle::Unix, u"", {7, 7, 2, 2}},
      {"units above U+00FF are word units", u"\u4E2D,\u6587", LineStyle::Pc, u",", {3, 3, 2, 1}},
  };
  for (const Case& c : cases) {
    CMyEditDoc d;
    d.lineStyle = c.style;
    SetText(d, c.text);
    TextStatistics s = DocumentStatistics(d, {0, 0}, {0, 0}, c.delimiters);
    EXPECT_EQ(s.units, c.expected.units) << c.name;
    EXPECT_EQ(s.ansiBytes, c.expected.ansiBytes) << c.name;
    EXPECT_EQ(s.words, c.expected.words) << c.name;
    EXPECT_EQ(s.lines, c.expected.lines) << c.name;
  }
  CMyEditDoc d;
  SetText(d, u"alpha beta\r\ngamma\r\ndelta");
  TextStatistics sel = DocumentStatistics(d, {1, 2}, {0, 6}, u"");  // reversed ends
  EXPECT_EQ(sel.units, 4 + 2 + 2);
  EXPECT_EQ(sel.words, 2);
  EXPECT_EQ(sel.lines, 2);
  EXPECT_EQ(WithThousands(1234567), "1,234,567");
  EXPECT_EQ(WithThousands(999), "999");
  hp.boxes.Expect("单词数: 1,000", Answer::Ok);
  ShowStatistics({1000000, 2, 1000, 4});
}

TEST_F(DocumentCommandsTest, Sum) {
  EXPECT_DOUBLE_EQ(SumOfNumbers(u"a 1,5 -2 x.5"), 13.5);
  EXPECT_DOUBLE_EQ(SumOfNumbers(u"10\r\n20\r\n-5"), 25);
  EXPECT_DOUBLE_EQ(SumOfNumbers(u"no numbers . , here"), 0);
  EXPECT_DOUBLE_EQ(SumOfNumbers(std::u16string(50, u'1') + u" 7"), 7) << "runs of 50 units are skipped";
  EXPECT_DOUBLE_EQ(SumOfNumbers(std::u16string(49, u'0') + u" 7"), 7);
  EXPECT_EQ(FormatSum(13.5), "13.5");
  EXPECT_EQ(FormatSum(25), "25");
  EXPECT_EQ(FormatSum(-0.25), "-0.25");
  EXPECT_EQ(FormatSum(0), "0");
}

TEST_F(DocumentCommandsTest, OpenHeaderPartners) {
  for (const char* f : {"a.h", "a.cpp", "b.hpp", "b.c", "b.cpp", "c.cpp", "c.hpp", "W.xaml", "W.xaml.cs", "n.txt",
                        "Makefile"})
    dir.Write(f, "");
  struct Case {
    const char* from;
    const char* to;  // "" when nothing is found
  } cases[] = {
      {"a.h", "a.cpp"}, {"b.hpp", "b.c"}, {"a.cpp", "a.h"}, {"c.cpp", "c.hpp"}, {"W.xaml", "W.xaml.cs"},
      {"W.xaml.cs", "W.xaml"}, {"n.txt", ""}, {"Makefile", ""},
  };
  for (const Case& c : cases) {
    std::optional<std::string> got = FindHeaderPartner(dir.File(c.from));
    EXPECT_EQ(got.value_or(""), *c.to ? dir.File(c.to) : "") << c.from;
  }
  CMyEditDoc d;
  d.SetPathName(dir.File("n.txt"));
  hp.boxes.Expect(ExpectedBox{"无法找到头文件", Answer::Ok, false, Buttons::Ok, Icon::Stop});
  EXPECT_FALSE(OpenHeaderCommand(d));
}

TEST_F(DocumentCommandsTest, DeleteToTheTrash) {
  FreedesktopTrash trash(dir.File("Trash"));
  CMyEditDoc untitled;
  hp.boxes.Expect("该文档不包含文件名称", Answer::Ok);
  EXPECT_FALSE(DeleteFileCommand(untitled, env, trash, false));

  std::string p = dir.Write("gone.txt", "text");
  CMyEditDoc d;
  ASSERT_TRUE(d.OnOpenDocument(p, env));
  SetText(d, u"edit ");
  hp.boxes.Expect("你真的想要删除该文件吗", Answer::No);
  EXPECT_FALSE(DeleteFileCommand(d, env, trash, false));
  EXPECT_EQ(test::ReadBytes(p), "text");

  hp.boxes.Expect(ExpectedBox{"你真的想要删除该文件吗?\n\n" + p, Answer::Yes, false, Buttons::YesNo, std::nullopt});
  EXPECT_TRUE(DeleteFileCommand(d, env, trash, false));
  EXPECT_EQ(test::ReadBytes(p), "<missing>");
  EXPECT_EQ(test::ReadBytes(dir.File("Trash/files/gone.txt")), "text");
  EXPECT_EQ(hooks.removedRecent, std::vector<std::string>{p});
  EXPECT_FALSE(d.IsModified()) << "the caller closes it without a question";

  // A trash that cannot be written: a clear message, and the file stays.
  std::string q = dir.Write("stays.txt", "safe");
  dir.Write("BadTrash", "");
  FreedesktopTrash bad(dir.File("BadTrash"));
  CMyEditDoc e;
  ASSERT_TRUE(e.OnOpenDocument(q, env));
  hp.boxes.Expect("你真的想要删除该文件吗", Answer::Yes);
  hp.boxes.Expect(ExpectedBox{"无法将“" + q + "”移到回收站", Answer::Ok, false, Buttons::Ok, Icon::Stop});
  EXPECT_FALSE(DeleteFileCommand(e, env, bad, false));
  EXPECT_EQ(test::ReadBytes(q), "safe");

  // Shift: deleted for good, after the question.
  hp.boxes.Expect("你真的想要删除该文件吗", Answer::Yes);
  EXPECT_TRUE(DeleteFileCommand(e, env, bad, true));
  EXPECT_EQ(test::ReadBytes(q), "<missing>");
}

TEST_F(DocumentCommandsTest, PropertiesOfLocalFilesOnly) {
  std::string p = dir.Write("p.txt", "12345");
  CMyEditDoc d;
  d.SetPathName(p);
  std::optional<FileProperties> props = PropertiesCommand(d, env);
  ASSERT_TRUE(props);
  EXPECT_EQ(props->name, "p.txt");
  EXPECT_EQ(props->folder, dir.Path());
  EXPECT_EQ(props->info.size, 5u);
  CMyEditDoc missing;
  missing.SetPathName(dir.File("none.txt"));
  hp.boxes.Expect("不是一个本地文件", Answer::Ok);
  EXPECT_FALSE(PropertiesCommand(missing, env));
}

struct RecordingLauncher final : ProcessLauncher {
  std::vector<std::vector<std::string>> started;
  bool fail = false;
  std::string FindProgram(const std::string& n) override { return "/usr/bin/" + n; }
  FileError StartDetached(const std::vector<std::string>& argv) override {
    started.push_back(argv);
    return fail ? FileError{2, "No such file"} : FileError{};
  }
};

TEST_F(DocumentCommandsTest, SendByMailBodyOrAttachment) {
  RecordingLauncher launcher;
  CMyEditDoc d;
  SetText(d, u"Hi \"you\"; rm -rf $HOME\r\n\u4E2D");
  ASSERT_TRUE(SendByMailCommand(d, launcher, dir.Path()));
  ASSERT_EQ(launcher.started.size(), 1u);
  EXPECT_EQ(launcher.started[0], (std::vector<std::string>{"xdg-email", "--body",
                                                           "Hi \"you\"; rm -rf $HOME\r\n\xE4\xB8\xAD"}));

  CMyEditDoc big;
  SetText(big, std::u16string(kMailBodyLimit, u'x'));
  ASSERT_TRUE(SendByMailCommand(big, launcher, dir.Path()));
  ASSERT_EQ(launcher.started[1].size(), 3u);
  EXPECT_EQ(launcher.started[1][1], "--attach");
  EXPECT_EQ(TempDir::Read(launcher.started[1][2]).size(), kMailBodyLimit);
  ASSERT_EQ(MailAttachments().size(), 1u);
  DeleteMailAttachments();
  EXPECT_EQ(test::ReadBytes(launcher.started[1][2]), "<missing>");

  launcher.fail = true;
  hp.boxes.Expect("传递邮件未能传递信息", Answer::Ok);
  EXPECT_FALSE(SendByMailCommand(d, launcher, dir.Path()));
}

}  // namespace
}  // namespace kastrell
