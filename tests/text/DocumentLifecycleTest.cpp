// The document lifecycle on real files: open, path rules, the outside-change
// check with scripted answers (Shift batch answers included), reload, the
// close question, read-only state, the advisory lock and file-type balance.
#include <gtest/gtest.h>
#include <sys/file.h>

#include "platform/Strings.h"
#include "platform/Utf.h"
#include "platform/posix/IcuCodePages.h"
#include "support/PlatformTest.h"
#include "text/DocumentCommands.h"
#include "text/DocumentTestSupport.h"
#include "text/OutsideChangeCheck.h"

namespace kastrell {
namespace {

using test::TempDir;

class DocumentLifecycleTest : public test::PlatformTest {
 protected:
  DocumentLifecycleTest() {
    hp.platform.codePages = &icu;
    hp.system.SetCurrentDirectory(dir.Path());
    env.hooks = &hooks;
    env.fileTypes = &types;
    env.save.dialog = &dialog;
    env.save.settings.backup = false;
  }
  ~DocumentLifecycleTest() override {
    for (auto& d : docs) d->OnCloseDocument(env);
  }

  CMyEditDoc& Open(const std::string& name, const std::string& bytes) {
    std::string p = dir.Write(name, bytes);
    docs.push_back(std::make_unique<CMyEditDoc>());
    EXPECT_TRUE(docs.back()->OnOpenDocument(p, env)) << name;
    return *docs.back();
  }
  static std::string Text(const CMyEditDoc& d) {
    return Utf16ToUtf8(d.Buffer().GetTextString({0, 0}, d.Buffer().EndPos(), LineStyle::Unix, false));
  }
  static void Type(CMyEditDoc& d, std::u16string_view s) { d.Edits().InsertText({0, 0}, s, kUndoUser); }
  // a.txt, b.txt and c.txt holding "a", "b", "c", each edited to "1a" ... "3c".
  void OpenThreeModified() {
    const char* names[] = {"a", "b", "c"};
    for (int i = 0; i < 3; ++i) {
      CMyEditDoc& d = Open(std::string(names[i]) + ".txt", std::string(names[i]) + "\n");
      Type(d, std::u16string(1, char16_t(u'1' + i)));
    }
  }
  // Replaces the file's bytes behind the document's back with the same
  // modification time as before: only size or inode can tell.
  static void RewriteKeepingTime(const std::string& p, const std::string& bytes, bool byRename) {
    struct timespec before = test::MtimeOf(p);
    if (byRename) {
      test::WriteBytes(p + ".new", bytes);
      ::rename((p + ".new").c_str(), p.c_str());
    } else {
      test::WriteBytes(p, bytes);
    }
    test::SetMtime(p, before.tv_sec, before.tv_nsec);
  }
  void Check() {
    test::ListOfDocuments list;
    for (auto& d : docs) list.docs.push_back(d.get());
    RunOutsideChangeCheck(list, env);
  }

  IcuCodePages icu{1252};
  TempDir dir;
  test::RecordingHooks hooks;
  test::CountingFileTypes types;
  test::SamePathDialog dialog;
  DocumentEnvironment env;
  std::vector<std::unique_ptr<CMyEditDoc>> docs;
};

TEST_F(DocumentLifecycleTest, PathRulesAreLexicalAndKeepDotDot) {
  struct Case {
    const char* given;
    std::string expected;
  } cases[] = {
      {"a.txt", dir.Path() + "/a.txt"},
      {"./sub/./a.txt", dir.Path() + "/sub/a.txt"},
      {"../x/a.txt", dir.Path() + "/../x/a.txt"},
      {"/srv//data/./a.txt", "/srv/data/a.txt"},
      {"ftp(2):/home/a.txt", "ftp(2):/home/a.txt"},
      {"me@host:/etc/motd", "me@host:/etc/motd"},
  };
  for (const Case& c : cases) {
    CMyEditDoc d;
    d.SetPathName(c.given);
    EXPECT_EQ(d.PathName(), c.expected) << c.given;
    EXPECT_EQ(d.Title(), c.expected) << c.given;
  }
  CMyEditDoc d;
  d.SetPathName("/x/Read Me.TXT");
  d.SetPathName("");  // ignored
  EXPECT_EQ(d.TabText(), "Read Me.TXT");
  EXPECT_EQ(d.Title(), "/x/Read Me.TXT");
  d.SetModified(true);
  d.SetPathName("/x/b.txt");
  EXPECT_EQ(d.Title(), "/x/b.txt *");
  EXPECT_EQ(d.DisplayName(), "/x/b.txt");
  d.SetModified(false);
  EXPECT_EQ(d.Title(), "/x/b.txt");
  CMyEditDoc untitled;
  EXPECT_EQ(untitled.DisplayName(), std::string(LoadString(61443)));
}

TEST_F(DocumentLifecycleTest, OpenRunsToolsRecordsRecentAppliesTypeAndRestoresMarks) {
  hooks.stored = RememberedState{dir.File("m.c"), {1, 2}, {2, 3, 99, 0}, 65001};
  env.settings.restore = true;
  test::WriteBytes(dir.File("m.c"), "a\nb\nc\n");
  docs.push_back(std::make_unique<CMyEditDoc>());
  CMyEditDoc& d = *docs.back();
  d.Buffer().SetMark(0, false);
  ASSERT_TRUE(d.OnOpenDocument("m.c", env));
  EXPECT_EQ(d.PathName(), dir.File("m.c"));
  EXPECT_EQ(hooks.events, (std::vector<std::string>{"tools0", "tools1"}));
  EXPECT_EQ(hooks.recent, std::vector<std::string>{dir.File("m.c")});
  EXPECT_EQ(d.FileType(), 2);
  EXPECT_EQ(d.encoding, 65001) << "the remembered encoding is forced";
  EXPECT_EQ(d.MarkedLines(), (std::vector<std::int32_t>{1, 2})) << "set, not toggled; only existing lines";
  ASSERT_TRUE(hooks.postedCaret);
  EXPECT_EQ(hooks.postedCaret->line, 1);
  EXPECT_TRUE(d.HasFileStamp());
  EXPECT_FALSE(d.IsModified());

  // A failed open leaves the document as it was.
  CMyEditDoc other;
  hp.boxes.Expect(LoadString(23547).data(), Answer::Ok);
  EXPECT_FALSE(other.OnOpenDocument(dir.File("missing.txt"), env));
  EXPECT_EQ(other.PathName(), "");
}

TEST_F(DocumentLifecycleTest, OutsideChangeDecisionTable) {
  enum Change { None, Touch, SameSecondRewrite, RenameReplace, Remove };
  struct Case {
    const char* name;
    Change change;
    bool modified, reloadSetting;
    std::vector<Answer> answers;
    bool reloaded;
    int flashes;
  } cases[] = {
      {"unchanged: nothing", None, false, false, {}, false, 0},
      {"touch -d: asked, Yes reloads", Touch, false, false, {Answer::Yes}, true, 0},
      {"touch -d: No keeps the text", Touch, false, false, {Answer::No}, false, 0},
      {"rewrite within the same second (size differs)", SameSecondRewrite, false, false, {Answer::Yes}, true, 0},
      {"replaced by rename, same size and time", RenameReplace, false, false, {Answer::Yes}, true, 0},
      {"Reload on, unmodified: silent with a flash", Touch, false, true, {}, true, 1},
      {"Reload on, modified: still asked", Touch, true, true, {Answer::Yes}, true, 0},
      {"removed: asked to save, No", Remove, false, false, {Answer::No}, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string p = dir.Write("t.txt", "old\n");
    test::SetMtime(p, 1600000000, 5);
    docs.clear();
    hooks = {};
    CMyEditDoc& d = Open("t.txt", "old\n");
    test::SetMtime(p, 1600000000, 5);
    d.StoreFileTime(p, false, env);
    if (c.modified) Type(d, u"x");
    env.settings.reload = c.reloadSetting;
    switch (c.change) {
      case None: break;
      case Touch: test::SetMtime(p, 1000000000); break;
      case SameSecondRewrite: RewriteKeepingTime(p, "new text\n", false); break;
      case RenameReplace: RewriteKeepingTime(p, "new\n", true); break;
      case Remove: ::unlink(p.c_str()); break;
    }
    for (Answer a : c.answers) hp.boxes.Expect(c.change == Remove ? "似乎已被删除" : "已被其他应用程序修改", a);
    Check();
    EXPECT_EQ(hooks.replaced == 1, c.reloaded);
    EXPECT_EQ(int(hooks.flashes.size()), c.flashes);
    if (c.reloaded) {
      EXPECT_FALSE(d.IsModified());
      EXPECT_EQ(Text(d), test::ReadBytes(p));
    } else {
      EXPECT_EQ(Text(d), c.modified ? "xold\n" : "old\n");
    }
    EXPECT_TRUE(hp.boxes.Failures().empty());
    hp.boxes.Clear();
    docs.front()->OnCloseDocument(env);
    docs.clear();
  }
}

TEST_F(DocumentLifecycleTest, DeclinedQuestionsComeBackAndAMissingFileIsAskedOnce) {
  CMyEditDoc& d = Open("a.txt", "one\n");
  std::string p = d.PathName();
  test::SetMtime(p, 1000000000);
  hp.boxes.Expect("已被其他应用程序修改", Answer::No);
  Check();
  hp.boxes.Expect("已被其他应用程序修改", Answer::No);
  Check();  // a No does not store the new time

  ::unlink(p.c_str());
  hp.boxes.Expect("似乎已被删除", Answer::No);
  Check();
  Check();  // not asked again for the same name
  EXPECT_EQ(d.lastMissingName, p);

  // The file comes back: it is a change, never silently adopted.
  test::WriteBytes(p, "one\n");
  env.settings.reload = false;
  hp.boxes.Expect("已被其他应用程序修改", Answer::Yes);
  Check();
  EXPECT_TRUE(d.lastMissingName.empty());
  Check();  // reloaded: the stamp is current
  ::unlink(p.c_str());
  hp.boxes.Expect("似乎已被删除", Answer::No);
  Check();
}

TEST_F(DocumentLifecycleTest, OneShiftAnswerAnswersTheRestOfTheCheck) {
  OpenThreeModified();
  CMyEditDoc &a = *docs[0], &b = *docs[1], &c = *docs[2];
  env.settings.reload = true;  // modified documents are asked anyway
  test::WriteBytes(a.PathName(), "A\n");
  test::WriteBytes(b.PathName(), "B longer\n");
  ::unlink(c.PathName().c_str());
  hp.boxes.Expect(ExpectedBox{"注意: 按住 SHIFT 键重复该答案", Answer::Yes, true, Buttons::YesNo, Icon::Question});
  Check();
  EXPECT_EQ(hp.boxes.Shown().size(), 1u) << "the other questions take the Shift answer";
  EXPECT_EQ(Text(a), "A\n");
  EXPECT_EQ(Text(b), "B longer\n");
  EXPECT_EQ(test::ReadBytes(c.PathName()), "3c\n") << "the deleted file's answer was Yes: saved";
  EXPECT_FALSE(c.IsModified());

  // Without Shift every question is shown.
  test::SetMtime(a.PathName(), 1000000000);
  test::SetMtime(b.PathName(), 1000000000);
  Type(a, u"x");
  Type(b, u"y");
  hp.boxes.Clear();
  hp.boxes.Expect("a.txt", Answer::No);
  hp.boxes.Expect("b.txt", Answer::No);
  Check();
}

TEST_F(DocumentLifecycleTest, ReloadCommandAsksForModifiedDocumentsAndKeepsMarks) {
  CMyEditDoc& d = Open("r.txt", "l1\nl2\nl3\n");
  d.Buffer().SetMark(1, true);
  d.Buffer().SetMark(3, true);
  test::WriteBytes(d.PathName(), "n1\nn2\n");
  Type(d, u"x");
  hp.boxes.Expect("重新载入将丢弃所有改动", Answer::No);
  EXPECT_FALSE(ReloadCommand(d, env));
  EXPECT_EQ(Text(d), "xl1\nl2\nl3\n");
  hp.boxes.Expect("重新载入将丢弃所有改动", Answer::Yes);
  EXPECT_TRUE(ReloadCommand(d, env));
  EXPECT_EQ(Text(d), "n1\nn2\n");
  EXPECT_EQ(d.MarkedLines(), (std::vector<std::int32_t>{1})) << "line 3 no longer exists";
  EXPECT_FALSE(d.IsModified());
  EXPECT_FALSE(d.Edits().CanUndo());

  // Unmodified: no question. With another encoding: the chooser decides.
  struct Chooser final : EncodingChooser {
    std::optional<std::int32_t> answer;
    std::optional<std::int32_t> ChooseEncoding(std::int32_t) override { return answer; }
  } chooser;
  test::WriteBytes(d.PathName(), "caf\xC3\xA9\n");
  EXPECT_FALSE(ReloadWithEncodingCommand(d, env, chooser)) << "cancelled";
  chooser.answer = 0;
  EXPECT_TRUE(ReloadWithEncodingCommand(d, env, chooser));
  EXPECT_EQ(d.encoding, 1252) << "the ANSI entry means the system code page";
  EXPECT_EQ(Text(d), "caf\xC3\x83\xC2\xA9\n");
  EXPECT_TRUE(ReloadCommand(d, env));
  EXPECT_EQ(d.encoding, 1252) << "a plain reload keeps the encoding";
}

TEST_F(DocumentLifecycleTest, CloseQuestionTable) {
  struct Case {
    const char* name;
    bool modified;
    std::optional<Answer> answer;
    bool mayClose;
    std::string file;
  } cases[] = {
      {"unmodified: no question", false, std::nullopt, true, "v\n"},
      {"Cancel keeps it open", true, Answer::Cancel, false, "v\n"},
      {"No closes without saving", true, Answer::No, true, "v\n"},
      {"Yes saves", true, Answer::Yes, true, "zv\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CMyEditDoc& d = Open("q.txt", "v\n");
    if (c.modified) Type(d, u"z");
    if (c.answer) hp.boxes.Expect(ExpectedBox{"将改动保存到“" + d.PathName() + "”?", *c.answer, false,
                                              Buttons::YesNoCancel, std::nullopt});
    EXPECT_EQ(d.SaveModified(env), c.mayClose);
    EXPECT_EQ(test::ReadBytes(d.PathName()), c.file);
    d.OnCloseDocument(env);
    docs.clear();
  }
}

TEST_F(DocumentLifecycleTest, CloseBatchReusesAShiftAnswer) {
  OpenThreeModified();
  CMyEditDoc &a = *docs[0], &b = *docs[1], &c = *docs[2];
  {
    ScopedLoadBatch batch;
    hp.boxes.Expect(ExpectedBox{"注意: 按住 SHIFT 键", Answer::No, true, std::nullopt, std::nullopt});
    EXPECT_TRUE(a.SaveModified(env));
    EXPECT_TRUE(b.SaveModified(env));
    EXPECT_TRUE(c.SaveModified(env));
  }
  EXPECT_EQ(test::ReadBytes(b.PathName()), "b\n");
  hp.boxes.Expect("将改动保存到", Answer::Cancel);  // the batch ended with its scope
  EXPECT_FALSE(a.SaveModified(env));
}

TEST_F(DocumentLifecycleTest, CloseRecordsTheRestoreEntryAndReleasesEverything) {
  env.settings.restore = true;
  env.settings.lockFiles = true;
  CMyEditDoc& d = Open("s.c", "1\n2\n3\n");
  d.Buffer().SetMark(2, true);
  d.encoding = 65001;
  hooks.caret = {2, 1};
  d.tempCopyPath = dir.Write("s.c.tmp-copy", "x");
  EXPECT_TRUE(d.HoldsLock());
  d.OnCloseDocument(env);
  EXPECT_FALSE(d.HoldsLock());
  EXPECT_EQ(test::ReadBytes(dir.File("s.c.tmp-copy")), "<missing>");
  ASSERT_EQ(hooks.remembered.size(), 1u);
  EXPECT_EQ(hooks.remembered[0].path, dir.File("s.c"));
  EXPECT_EQ(hooks.remembered[0].markedLines, std::vector<std::int32_t>{3});
  EXPECT_EQ(hooks.remembered[0].encoding, 65001);
  EXPECT_EQ(hooks.remembered[0].caret.line, 2);
  EXPECT_EQ(types.Outstanding(), 0);

  // Modified documents and batches record nothing.
  CMyEditDoc& m = Open("t.c", "x\n");
  Type(m, u"y");
  m.OnCloseDocument(env);
  CMyEditDoc& n = Open("u.c", "x\n");
  env.batchRunning = true;
  n.OnCloseDocument(env);
  EXPECT_EQ(hooks.remembered.size(), 1u);
  docs.clear();
}

TEST_F(DocumentLifecycleTest, FileTypeReferencesStayBalanced) {
  CMyEditDoc& d = Open("x.c", "int x;\n");
  EXPECT_EQ(types.held[2], 1);
  d.ApplyFileType(3, env, false);  // the user picks another type
  EXPECT_EQ(types.held[2], 0);
  EXPECT_EQ(types.held[3], 1);
  EXPECT_FALSE(d.FileTypeChosenAutomatically());
  d.ApplyFileType(2, env);
  dialog.path = dir.File("x.html");
  EXPECT_TRUE(d.DoSave(std::string(), true, env));  // Save As
  EXPECT_EQ(d.PathName(), dir.File("x.html"));
  EXPECT_EQ(d.FileType(), 3) << "matched again after Save As";
  EXPECT_EQ(types.Outstanding(), 1);
  EXPECT_TRUE(d.DoFileSave(env));  // same name: no new match
  EXPECT_EQ(types.applies, 4);
  d.OnCloseDocument(env);
  EXPECT_EQ(types.Outstanding(), 0);
  EXPECT_EQ(types.applies, types.releases);
  docs.clear();

  CMyEditDoc fresh;
  EXPECT_TRUE(fresh.OnNewDocument("Noname1", env));
  EXPECT_EQ(fresh.FileType(), 0);
  fresh.OnCloseDocument(env);
  EXPECT_EQ(types.Outstanding(), 0);
}

TEST_F(DocumentLifecycleTest, AdvisoryLockIsHeldAndRetakenAfterSave) {
  env.settings.lockFiles = true;
  CMyEditDoc& d = Open("l.txt", "x\n");
  ASSERT_TRUE(d.HoldsLock());
  auto writerLockFails = [&] {
    int fd = ::open(d.PathName().c_str(), O_RDONLY);
    bool blocked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return blocked;
  };
  EXPECT_TRUE(writerLockFails());
  Type(d, u"y");
  ASSERT_TRUE(d.DoFileSave(env));
  EXPECT_TRUE(d.HoldsLock());
  EXPECT_TRUE(writerLockFails()) << "the lock follows the file a save may have replaced";
  d.UnlockFile();
  EXPECT_FALSE(writerLockFails());
}

TEST_F(DocumentLifecycleTest, ReadOnlyStateAndPreventEditing) {
  env.settings.preventEditing = true;
  CMyEditDoc& d = Open("ro.txt", "x\n");
  d.OnSetReadOnly(env);
  EXPECT_TRUE(d.readOnly);
  EXPECT_TRUE(d.Buffer().EditingPrevented());
  EXPECT_FALSE(d.SetEncoding(65001, env)) << "refused while editing is prevented";
  EXPECT_FALSE(d.SetLineSeparatorStyle(LineStyle::Unix, env));
  test::ListOfDocuments list;
  list.docs = {&d};
  ApplyPreventEditingToAll(list, env, false);
  EXPECT_FALSE(d.Buffer().EditingPrevented());
  EXPECT_TRUE(d.readOnly);
  d.OnSetReadOnly(env);
  EXPECT_FALSE(d.readOnly);

  // A file the user cannot write: read-only at open and at the next check,
  // no lock, the set-read-only command disabled; it leaves read-only state
  // when it becomes writable.
  ::chmod(dir.Path().c_str(), 0755);
  std::string p = dir.Write("locked.txt", "x\n");
  ::chmod(p.c_str(), 0444);
  int result = test::RunUnprivileged([&] {
    DocumentEnvironment e;
    e.settings.lockFiles = true;
    e.settings.preventEditing = true;
    CMyEditDoc doc;
    if (!doc.OnOpenDocument(p, e)) return 1;
    if (!doc.readOnly || !doc.ReadOnlyAttribute() || doc.HoldsLock() || doc.SetReadOnlyEnabled()) return 2;
    if (!doc.Buffer().EditingPrevented()) return 3;
    doc.SetReadOnly(false, e);
    if (!doc.readOnly) return 4;  // ignored while the file is not writable
    return 0;
  });
  if (result == -1) GTEST_SKIP() << "cannot drop to an unprivileged user";
  EXPECT_EQ(result, 0);
  result = test::RunUnprivileged([&] {
    DocumentEnvironment e;
    CMyEditDoc doc;
    doc.SetPathName(p);
    doc.StoreFileTime(p, false, e);
    if (!doc.readOnly) return 1;
    if (::chmod(p.c_str(), 0644) != 0) return 0;  // not the owner: nothing more to see
    if (doc.CheckFileChanged(e) != CMyEditDoc::kUnchanged || doc.readOnly) return 2;
    return 0;
  });
  EXPECT_EQ(result, 0);
}

TEST_F(DocumentLifecycleTest, EncodingAndLineStyleCommands) {
  CMyEditDoc& a = Open("a.txt", "x\r\n");
  CMyEditDoc& b = Open("b.txt", "y\n");
  EXPECT_FALSE(a.SetEncoding(a.encoding, env)) << "unchanged";
  const std::int32_t before = a.encoding;
  EXPECT_TRUE(a.SetEncoding(1200, env));
  EXPECT_EQ(a.encodingBeforeChange, before);
  EXPECT_TRUE(a.IsModified());
  EXPECT_EQ(test::ReadBytes(a.PathName()), "x\r\n") << "nothing is converted until saved";

  EXPECT_EQ(PresetLineStyle({&b}), std::optional<LineStyle>(LineStyle::Unix));
  EXPECT_EQ(PresetLineStyle({&a, &b}), std::nullopt);
  EXPECT_EQ(PresetEncoding({&a, &b}), 0);
  EXPECT_EQ(SetLineStyleOfDocuments({&a, &b}, std::nullopt, env), 0);
  EXPECT_EQ(SetLineStyleOfDocuments({&a, &b}, LineStyle::Mac, env), 2);
  EXPECT_EQ(b.lineStyle, LineStyle::Mac);
  EXPECT_EQ(b.encoding, 1252);
  EXPECT_EQ(SetEncodingOfDocuments({&a, &b}, 0, env), 1) << "b has the encoding already";
  EXPECT_EQ(a.encoding, 1252) << "the ANSI entry means the system code page";

  a.remote = true;
  hp.boxes.Expect("ASCII 传输模式", Answer::Ok);
  EXPECT_FALSE(a.SetLineSeparatorStyle(LineStyle::Pc, env, true));
  a.remote = false;
}

}  // namespace
}  // namespace kastrell
