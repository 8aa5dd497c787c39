// Writing documents to real files: encodings, separators, signatures, the
// questions, atomic replacement under failures, backups and automatic saving.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/Busy.h"
#include "platform/posix/IcuCodePages.h"
#include "support/PlatformTest.h"
#include "support/TempDir.h"
#include "text/DocumentSave.h"
#include "text/FileLoader.h"
#include "text/FileWriter.h"

namespace kastrell {
namespace {

using test::TempDir;

struct ScriptedChooser final : EncodingChooser {
  std::optional<std::int32_t> answer;
  std::optional<std::int32_t> ChooseEncoding(std::int32_t) override { return answer; }
};

class FileSaveTest : public test::PlatformTest {
 protected:
  FileSaveTest() { hp.platform.codePages = &icu; }

  // A document holding text (CR LF splits lines) with the given attributes.
  void SetText(CMyEditDoc& d, std::u16string_view text) {
    d.Edits().ResetHistory();
    d.Buffer().SwapLines(*std::make_unique<TextBuffer>());
    d.Edits().InsertText({0, 0}, text, kUndoNone);
  }
  std::string Save(CMyEditDoc& d, std::int32_t encoding, std::int32_t style, std::int32_t bom,
                   const std::string& name = "out.txt") {
    d.encoding = encoding;
    d.lineStyle = static_cast<LineStyle>(style);
    WriteEnvironment env;
    env.bom = static_cast<BomPolicy>(bom);
    std::string path = dir.File(name);
    EXPECT_TRUE(WriteDocumentFile(d, path, false, env));
    return TempDir::Read(path);
  }

  IcuCodePages icu{1252};
  TempDir dir;
  CMyEditDoc doc;
};

TEST_F(FileSaveTest, EncodingsSeparatorsAndSignatures) {
  struct Case {
    const char* name;
    std::u16string text;
    std::int32_t encoding, style, bom;
    bool signatureFlag;
    std::string bytes;
  } cases[] = {
      {"empty UTF-8, signature when needed", u"", 65001, 1, 0, false, "\xEF\xBB\xBF"},
      {"empty UTF-8, never", u"", 65001, 1, 2, false, ""},
      {"empty UTF-16 LE", u"", 1200, 1, 0, false, "\xFF\xFE"},
      {"empty UTF-16 BE", u"", 1201, 1, 0, false, "\xFE\xFF"},
      {"ASCII needs the signature to read as UTF-8", u"abc", 65001, 1, 0, false, "\xEF\xBB\xBF" "abc"},
      {"UTF-8 that detection recognises needs none", u"\u00E9", 65001, 1, 0, false, "\xC3\xA9"},
      {"emoji text is recognised too", u"\U0001F600", 65001, 1, 0, false, "\xF0\x9F\x98\x80"},
      {"always", u"\u00E9", 65001, 1, 1, false, "\xEF\xBB\xBF\xC3\xA9"},
      {"keep: the file had one", u"x", 65001, 1, 3, true, "\xEF\xBB\xBFx"},
      {"keep: the file had none", u"x", 65001, 1, 3, false, "x"},
      {"MAC: CR between lines, final break kept", u"a\r\nb\r\n", 1252, 2, 3, false, "a\rb\r"},
      {"UNIX", u"a\r\nb", 1252, 0, 3, false, "a\nb"},
      {"PC", u"a\r\n\r\nb", 1252, 1, 3, false, "a\r\n\r\nb"},
      {"UTF-16 LE", u"a\r\n\u4E2D", 1200, 0, 3, false, std::string("\xFF\xFE" "a\0\n\0\x2D\x4E", 8)},
      {"UTF-16 BE", u"a\u4E2D", 1201, 1, 3, false, std::string("\xFE\xFF\0a\x4E\x2D", 6)},
      {"code page 936", u"\u4E2D\u6587\r\n", 936, 1, 3, false, "\xD6\xD0\xCE\xC4\r\n"},
      {"ANSI (0) is the system code page", u"\u00E9", 0, 1, 3, false, "\xE9"},
      {"NUL and lone CR units are written as they are", std::u16string(u"a\0\rb", 4), 1252, 1, 3, false,
       std::string("a\0\rb", 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CMyEditDoc d;
    SetText(d, c.text);
    d.utf8Signature = c.signatureFlag;
    EXPECT_EQ(Save(d, c.encoding, c.style, c.bom), c.bytes);
  }
}

TEST_F(FileSaveTest, LoadedFilesSaveBackByteForByte) {
  const std::string fixtures[] = {
      "",
      "plain ascii\r\nsecond\r\n",
      "\xEF\xBB\xBFsigned\nutf-8 \xC3\xA9\n",
      "unsigned utf-8 \xE4\xB8\xAD\rmac",
      std::string("\xFF\xFE" "a\0\r\0\n\0", 6),
      std::string("\xFE\xFF\0a\0\n", 6),
      "caf\xE9\r\n\x81\x8D\x8F\x90\x9D",  // 1252, with the five bytes it leaves undefined
      "mixed\rbreaks\r\nkept\nas they are",
  };
  for (const std::string& bytes : fixtures) {
    CMyEditDoc d;
    std::string in = dir.Write("in.txt", bytes);
    ASSERT_TRUE(LoadFile(d, in, "", {}));
    WriteEnvironment env;  // BOM policy 3: keep what the file had
    ASSERT_TRUE(WriteDocumentFile(d, in, false, env));
    EXPECT_EQ(TempDir::Read(in), bytes);
  }
}

TEST_F(FileSaveTest, UnmappableCharacterQuestion) {
  const std::string path = dir.Write("q.txt", "old");
  ScriptedChooser chooser;
  WriteEnvironment env;
  env.chooser = &chooser;
  SetText(doc, u"x\u4E2D");

  // Cancel: nothing written, the save counts as cancelled.
  doc.encoding = 1252;
  hp.boxes.Expect({"在使用当前编码的情况下", Answer::Cancel, false, Buttons::YesNoCancel, Icon::Question});
  EXPECT_FALSE(WriteDocumentFile(doc, path, false, env));
  EXPECT_TRUE(doc.saveCancelled);
  EXPECT_EQ(TempDir::Read(path), "old");

  // No: written with the default character.
  hp.boxes.Expect("在使用当前编码的情况下", Answer::No);
  EXPECT_TRUE(WriteDocumentFile(doc, path, false, env));
  EXPECT_EQ(TempDir::Read(path), "x?");

  // Yes, chooser cancelled.
  hp.boxes.Expect("在使用当前编码的情况下", Answer::Yes);
  EXPECT_FALSE(WriteDocumentFile(doc, path, false, env));
  EXPECT_TRUE(doc.saveCancelled);

  // Yes, 936: written in it, and the document now has that encoding.
  chooser.answer = 936;
  hp.boxes.Expect("在使用当前编码的情况下", Answer::Yes);
  EXPECT_TRUE(WriteDocumentFile(doc, path, false, env));
  EXPECT_EQ(TempDir::Read(path), "x\xD6\xD0");
  EXPECT_EQ(doc.encoding, 936);

  // Yes, a UTF-16 entry: the write starts again in UTF-16.
  doc.encoding = 1252;
  chooser.answer = 1200;
  hp.boxes.Expect("在使用当前编码的情况下", Answer::Yes);
  EXPECT_TRUE(WriteDocumentFile(doc, path, false, env));
  EXPECT_EQ(TempDir::Read(path), std::string("\xFF\xFEx\0\x2D\x4E", 6));
  EXPECT_EQ(doc.encoding, 1200);

  // Silent writes never ask.
  doc.encoding = 1252;
  EXPECT_TRUE(WriteDocumentFile(doc, path, true, env));
  EXPECT_EQ(TempDir::Read(path), "x?");

  // Yes, a code page that lacks the character too (asked again), then the
  // same one once more: the save ends as cancelled instead of asking forever.
  doc.encoding = 1252;
  chooser.answer = 1251;
  hp.boxes.Expect("在使用当前编码的情况下", Answer::Yes);
  hp.boxes.Expect("在使用当前编码的情况下", Answer::Yes);
  EXPECT_FALSE(WriteDocumentFile(doc, path, false, env));
  EXPECT_TRUE(doc.saveCancelled);
  EXPECT_EQ(TempDir::Read(path), "x?");
}

TEST_F(FileSaveTest, FailedExtractionNeverWritesAnEmptyFile) {
  const std::string path = dir.Write("keep.txt", "precious");
  SetText(doc, u"new text");
  testing_hooks::SetExtractAllocator([](std::size_t) -> void* { return nullptr; });
  hp.boxes.Expect({"文件操作失败。", Answer::Ok, false, Buttons::Ok, {}});
  bool ok = WriteDocumentFile(doc, path, false, {});
  testing_hooks::SetExtractAllocator(nullptr);
  EXPECT_FALSE(ok);
  EXPECT_EQ(TempDir::Read(path), "precious");
}

TEST_F(FileSaveTest, KeepsModeAndWritesThroughLinks) {
  const std::string real = dir.Write("real.txt", "old");
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  const std::string link = dir.File("link.txt");
  ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
  SetText(doc, u"new");
  doc.encoding = 1252;
  ASSERT_TRUE(WriteDocumentFile(doc, link, false, {}));
  struct stat st;
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(::stat(real.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  if (::geteuid() == 0) {
    // The owner and group stay those of the old file (only root can check it).
    ASSERT_EQ(::chown(real.c_str(), 65534, 65534), 0);
    ASSERT_TRUE(WriteDocumentFile(doc, link, false, {}));
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
  }
  EXPECT_EQ(TempDir::Read(real), "new");
  // Nothing else is left in the folder.
  int entries = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.Path())) entries += e.is_regular_file() || e.is_symlink();
  EXPECT_EQ(entries, 2);
}

// Runs fn in a child process and returns its exit status (or -signal).
template <typename Fn>
int InChild(Fn fn) {
  pid_t pid = ::fork();
  if (pid == 0) {
    ::_exit(fn());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

TEST_F(FileSaveTest, WriteFailingPartWayLeavesTheFileIntact) {
  const std::string original(4096, 'o');
  const std::string path = dir.Write("big.txt", original);
  std::u16string text(1 << 20, u'n');
  SetText(doc, text);
  doc.encoding = 1252;
  int status = InChild([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{64 * 1024, 64 * 1024};  // the write stops after 64 KB
    ::setrlimit(RLIMIT_FSIZE, &limit);
    hp.boxes.Expect({"文件操作失败。\r\n" + path + "\r\n\r\n", Answer::Ok, false, Buttons::Ok, Icon::Stop});
    bool ok = WriteDocumentFile(doc, path, false, {});
    return ok ? 1 : hp.boxes.Failures().empty() ? 0 : 2;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(TempDir::Read(path), original);
}

TEST_F(FileSaveTest, ReadOnlyDirectoryFailsTheSaveAndKeepsTheFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  const std::string sub = dir.File("ro");
  ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
  const std::string path = sub + "/a.txt";
  test::WriteBytes(path, "old");
  ASSERT_EQ(::chmod(sub.c_str(), 0555), 0);
  SetText(doc, u"new");
  doc.encoding = 1252;
  hp.boxes.Expect({"文件操作失败。\r\n" + path, Answer::Ok, false, Buttons::Ok, Icon::Stop});
  EXPECT_FALSE(WriteDocumentFile(doc, path, false, {}));
  ::chmod(sub.c_str(), 0755);
  EXPECT_EQ(TempDir::Read(path), "old");
}

TEST_F(FileSaveTest, KilledDuringALargeSaveLeavesOldOrNewNeverTorn) {
  const std::string oldText(1 << 20, 'o');
  const std::string path = dir.Write("big.txt", oldText);
  pid_t pid = ::fork();
  if (pid == 0) {
    CMyEditDoc d;
    d.Edits().InsertText({0, 0}, std::u16string(std::size_t(64) << 20, u'n'), kUndoNone);
    d.encoding = 1252;
    for (;;) WriteDocumentFile(d, path, true, {});
  }
  ::usleep(400 * 1000);
  ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
  std::string now = TempDir::Read(path);
  EXPECT_TRUE(now == oldText || now == std::string(std::size_t(64) << 20, 'n')) << now.size();
}

TEST_F(FileSaveTest, OutsideChangeIsAskedBeforeAnythingIsWritten) {
  const std::string path = dir.Write("a.txt", "loaded");
  ASSERT_TRUE(LoadFile(doc, path, "", {}));
  doc.SetPathName(path);
  doc.Edits().InsertText({0, 0}, u"my ", kUndoUser);
  // Another program replaces the file.
  ::usleep(20 * 1000);
  test::WriteBytes(path, "theirs");
  struct timespec later[2] = {{0, UTIME_OMIT}, {::time(nullptr) + 5, 0}};
  ::utimensat(AT_FDCWD, path.c_str(), later, 0);
  SaveEnvironment env;
  env.settings.backup = true;
  hp.boxes.Expect({"该文件似乎已被其他应用程序修改", Answer::No, false, Buttons::YesNo, {}});
  EXPECT_FALSE(SaveDocument(doc, path, env));
  EXPECT_EQ(TempDir::Read(path), "theirs");
  EXPECT_EQ(::access((path + ".bak").c_str(), F_OK), -1);  // no backup either
  EXPECT_TRUE(doc.IsModified());

  hp.boxes.Expect("该文件似乎已被其他应用程序修改", Answer::Yes);
  EXPECT_TRUE(SaveDocument(doc, path, env));
  EXPECT_EQ(TempDir::Read(path), "my loaded");
  EXPECT_EQ(TempDir::Read(path + ".bak"), "theirs");
  EXPECT_FALSE(doc.IsModified());
  // Saved again without outside changes: no question.
  doc.Edits().InsertText({0, 0}, u"!", kUndoUser);
  EXPECT_TRUE(SaveDocument(doc, path, env));
}

TEST_F(FileSaveTest, BackupNames) {
  hp.system.SetEnv("BAK", "/var/bak");
  LocalTime t{2008, 12, 31, 23, 59, 59, 0, 3};
  struct Case {
    std::string dir;
    bool dirname, datetime;
    std::string fileName, displayPath, expected;
  } cases[] = {
      {"/bak", false, false, "a.txt", "/x/a.txt", "/bak/a.txt.bak"},
      {"/bak/", false, true, "a.txt", "/x/a.txt", "/bak/a.txt.20081231_ 235959.bak"},
      {"/bak", true, true, "a.txt", "/x/a.txt", "/bak/_x/a.txt.20081231_ 235959.bak"},
      {"/bak", true, false, "a.txt", "/home/me/src/a.txt", "/bak/_home_me_src/a.txt.bak"},
      {"%BAK%", false, false, "a.txt", "/x/a.txt", "/var/bak/a.txt.bak"},
      {"%NOPE%/b", false, false, "a.txt", "/x/a.txt", "%NOPE%/b/a.txt.bak"},
      // Names that come from a server cannot climb out of the backup folder.
      {"/bak", true, false, "..", "me@host:/dir/..", "/bak/me@host__dir/_.bak"},
      {"/bak", true, false, "f", "..", "/bak/_/f.bak"},
  };
  for (const Case& c : cases) {
    SaveSettings s;
    s.backupDir = c.dir;
    s.backupDirname = c.dirname;
    s.backupDatetime = c.datetime;
    EXPECT_EQ(BackupFileName(s, c.fileName, c.displayPath, ".bak", t, false), c.expected) << c.displayPath;
  }
}

TEST_F(FileSaveTest, BackupCopies) {
  const std::string src = dir.Write("a.txt", "one");
  SaveSettings s;
  EXPECT_TRUE(MakeBackup(s, src, "", "", src, false, true));
  EXPECT_EQ(TempDir::Read(src + ".bak"), "one");
  test::WriteBytes(src, "two");
  EXPECT_TRUE(MakeBackup(s, src, "", "", src, false, true));
  EXPECT_EQ(TempDir::Read(src + ".bak"), "two");  // replaced every time

  s.backupDir = dir.File("missing");
  hp.boxes.Expect({"未找到备份目录", Answer::Yes, false, Buttons::YesNo, Icon::Stop});
  EXPECT_TRUE(MakeBackup(s, src, "", "", src, false, true));
  EXPECT_EQ(TempDir::Read(dir.File("missing/a.txt.bak")), "two");
}

TEST(AutoSave, IntervalAndPreferencesText) {
  EXPECT_EQ(AutoSaveIntervalTenths(5, 25), 59);
  EXPECT_EQ(AutoSaveIntervalTenths(150, -3), 1000);
  EXPECT_EQ(AutoSaveIntervalTenths(-1, 4), 4);
  struct Case {
    const char* text;
    std::int32_t minutes, tenths;
  } cases[] = {{"2.3", 2, 3},   {"2.39", 2, 3}, {"0.1", 0, 1},    {"5", 5, 0},     {"100.5", 100, 0},
               {"250", 100, 0}, {"-1.5", 0, 0}, {"abc", 0, 0},    {"", 0, 0},      {" 7.0", 7, 0},
               {"12345678.9", 100, 0}};
  for (const Case& c : cases) {
    std::int32_t m = -1, t = -1;
    ParseAutoSaveText(c.text, m, t);
    EXPECT_EQ(m, c.minutes) << c.text;
    EXPECT_EQ(t, c.tenths) << c.text;
  }
}

struct Docs final : DocumentSet {
  std::vector<CMyEditDoc*> docs;
  CMyEditDoc* active = nullptr;
  std::vector<CMyEditDoc*> Documents() override { return docs; }
  CMyEditDoc* Active() override { return active; }
  void Activate(CMyEditDoc* d) override { active = d; }
};

TEST_F(FileSaveTest, AutomaticSavingNeverAsks) {
  const std::string a = dir.Write("a.txt", "a"), ro = dir.Write("ro.txt", "r");
  ::chmod(ro.c_str(), 0444);
  CMyEditDoc docA, docRo, untitled, gone;
  for (auto [d, p] : {std::pair{&docA, a}, {&docRo, ro}}) {
    ASSERT_TRUE(LoadFile(*d, p, "", {}));
    d->SetPathName(p);
  }
  gone.SetPathName(dir.File("deleted.txt"));
  for (CMyEditDoc* d : {&docA, &docRo, &untitled, &gone}) d->Edits().InsertText({0, 0}, u"+", kUndoUser);
  Docs set;
  set.docs = {&docA, &docRo, &untitled, &gone};
  SaveEnvironment env;
  env.settings.backup = false;

  {
    ScopedModalOperation busy;  // a question is open: nothing happens
    AutoSaveTick(set, env);
    EXPECT_EQ(TempDir::Read(a), "a");
  }
  AutoSaveTick(set, env);
  EXPECT_EQ(TempDir::Read(a), "+a");
  EXPECT_EQ(TempDir::Read(ro), "r");
  EXPECT_FALSE(docA.IsModified());
  EXPECT_TRUE(docRo.IsModified() && untitled.IsModified() && gone.IsModified());
  EXPECT_EQ(::access(dir.File("deleted.txt").c_str(), F_OK), -1);
}

TEST_F(FileSaveTest, TemporaryCopies) {
  const std::string a = dir.Write("a.txt", "a");
  dir.Write("a.txt.tmp", "a file of the user's");
  ASSERT_TRUE(LoadFile(doc, a, "", {}));
  doc.SetPathName(a);
  doc.Edits().InsertText({0, 0}, u"+", kUndoUser);
  Docs set;
  set.docs = {&doc};
  SaveEnvironment env;
  env.settings.saveTempFile = true;
  env.settings.backup = false;
  AutoSaveTick(set, env);
  // The user's own a.txt.tmp is left alone; the copy takes the next free name.
  EXPECT_EQ(TempDir::Read(dir.File("a.txt.tmp")), "a file of the user's");
  EXPECT_EQ(doc.tempCopyPath, dir.File("a.txt.1.tmp"));
  EXPECT_EQ(TempDir::Read(doc.tempCopyPath), "+a");
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(TempDir::Read(a), "a");
  // The next tick writes the same copy; a successful save removes it.
  AutoSaveTick(set, env);
  EXPECT_EQ(doc.tempCopyPath, dir.File("a.txt.1.tmp"));
  std::string copy = doc.tempCopyPath;
  EXPECT_TRUE(SaveDocument(doc, a, env));
  EXPECT_EQ(::access(copy.c_str(), F_OK), -1);
  EXPECT_EQ(TempDir::Read(dir.File("a.txt.tmp")), "a file of the user's");
}

struct FakeDialog final : SaveAsDialog {
  std::optional<SaveAsChoice> choice;
  SaveAsProposal seen;
  std::optional<SaveAsChoice> AskSaveAs(const SaveAsProposal& p) override {
    seen = p;
    return choice;
  }
};

TEST_F(FileSaveTest, SaveAsFlows) {
  FakeDialog dialog;
  SaveEnvironment env;
  env.dialog = &dialog;
  env.settings.backup = false;
  ScriptedChooser chooser;
  env.write.chooser = &chooser;
  SetText(doc, u"\u4E2D");
  doc.SetTitle("Noname1 *");

  // Cancelled dialog.
  EXPECT_FALSE(DoFileSave(doc, env));
  EXPECT_EQ(dialog.seen.fileName, "Noname1");

  // A failed Save As over an existing file never removes that file.
  const std::string existing = dir.Write("existing.txt", "keep me");
  dialog.choice = SaveAsChoice{existing, 1252};
  hp.boxes.Expect("在使用当前编码的情况下", Answer::Cancel);
  EXPECT_FALSE(DoFileSave(doc, env));
  EXPECT_EQ(TempDir::Read(existing), "keep me");
  EXPECT_EQ(doc.encoding, 0);  // restored

  // Success: the document takes the name and the chosen encoding.
  const std::string fresh = dir.File("fresh.txt");
  dialog.choice = SaveAsChoice{fresh, 65001};
  EXPECT_TRUE(DoFileSave(doc, env));
  EXPECT_EQ(doc.PathName(), fresh);
  EXPECT_EQ(doc.encoding, 65001);
  EXPECT_EQ(TempDir::Read(fresh), "\xE4\xB8\xAD");

  // Read-only document, Save As onto its own path.
  doc.readOnly = true;
  dialog.choice = SaveAsChoice{fresh, 65001};
  hp.boxes.Expect("这是一个只读文档。", Answer::Ok);
  EXPECT_FALSE(DoFileSave(doc, env));
}

TEST_F(FileSaveTest, TrimmingIsOneUndoStep) {
  SetText(doc, u"a  \r\nb\t\r\n\u3000c\u3000\r\nd\u00A0");
  const std::string path = dir.File("t.txt");
  SaveEnvironment env;
  env.trimTrailingSpaces = true;
  env.settings.backup = false;
  doc.encoding = 65001;
  env.write.bom = BomPolicy::Never;
  ASSERT_TRUE(SaveDocument(doc, path, env));
  EXPECT_EQ(TempDir::Read(path), "a\r\nb\r\n\xE3\x80\x80" "c\r\nd\xC2\xA0");
  // One group: a single Undo brings every trimmed blank back.
  EXPECT_EQ(doc.Edits().LastGroupCount(HistoryList::Undo), doc.Edits().StepCount(HistoryList::Undo));
  ASSERT_TRUE(doc.Edits().Undo());
  EXPECT_EQ(doc.Edits().StepCount(HistoryList::Undo), 0);
  EXPECT_EQ(doc.Buffer().LineView(0), u"a  ");
  EXPECT_EQ(doc.Buffer().LineView(1), u"b\t");
  EXPECT_EQ(doc.Buffer().LineView(2), u"\u3000c\u3000");
}

}  // namespace
}  // namespace kastrell
