// Fault-injection sweeps of the save, the load and large edits: with the n-th
// allocation or file write failing, the file on disk is the old one or the
// new one and the document is unchanged or fully changed.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/FaultSweep.h"
#include "text/DocumentSave.h"
#include "text/EditTestUtil.h"
#include "text/FileLoader.h"

namespace kastrell {
namespace {

using test::Fault;
using test::FaultSweepTest;
using test::ReadBytes;
using test::WriteBytes;
using Text = std::vector<std::u16string>;

Text Numbered(const char16_t* stem, int n) {
  Text lines;
  for (int i = 0; i < n; ++i) lines.push_back(stem + std::u16string(u" \u4E2D ") + char16_t(u'a' + i % 26));
  return lines;
}

std::u16string Joined(const Text& lines) {
  std::u16string out;
  for (std::size_t i = 0; i < lines.size(); ++i) out += (i ? u"\r\n" : u"") + lines[i];
  return out;
}

// ---------------------------------------------------------------- edits

TEST_F(FaultSweepTest, LargeEditsChangeAllOrNothing) {
  struct Case {
    const char* name;
    bool wrap;
    std::function<bool(EditOps&, const std::u16string&)> edit;
  } cases[] = {
      {"paste", false, [](EditOps& o, const std::u16string& t) { return o.InsertText({5, 2}, t, kUndoUser); }},
      {"paste under word wrap", true,
       [](EditOps& o, const std::u16string& t) { return o.InsertText({5, 2}, t, kUndoUser); }},
      {"replace", false,
       [](EditOps& o, const std::u16string& t) { return o.ReplaceRange({3, 1}, {30, 2}, t, kUndoUser); }},
      {"move", true, [](EditOps& o, const std::u16string&) { return o.MoveText({2, 1}, {30, 3}, {38, 1}, kUndoUser); }},
  };
  const std::u16string block = Joined(Numbered(u"pasted", 150));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CMyEditDoc doc;
    test::FixedWrapHooks wrap(7);
    ScopedDocWatcher watch(doc.Watchers(), wrap, WatchOrder::Layout);
    const Text before = Numbered(u"line", 40);
    test::Fill(doc.Buffer(), before);
    doc.Buffer().SetWordWrap(c.wrap);
    if (c.wrap) test::LayOut(doc.Buffer());
    // The expected result, from a run without faults.
    ASSERT_TRUE(c.edit(doc.Edits(), block));
    const Text after = test::Lines(doc.Buffer());
    ASSERT_TRUE(doc.Edits().Undo());
    ASSERT_EQ(test::Lines(doc.Buffer()), before);
    doc.Edits().ResetHistory();

    long runs = Sweep(Fault::Allocation, [&] { return c.edit(doc.Edits(), block); }, [&](bool ok, long) {
      const Text now = test::Lines(doc.Buffer());
      EXPECT_EQ(now, ok ? after : before);
      EXPECT_EQ(doc.IsModified(), ok);
      if (c.wrap) {
        EXPECT_EQ(test::RowsOf(doc.Buffer()), test::FreshRows(doc.Buffer()));
      }
      if (ok) {
        EXPECT_TRUE(doc.Edits().Undo());
        EXPECT_EQ(test::Lines(doc.Buffer()), before);
      }
      EXPECT_EQ(doc.Edits().StepCount(HistoryList::Undo), 0);
      doc.Edits().ResetHistory();
      if (c.wrap) test::LayOut(doc.Buffer());
    });
    EXPECT_GT(runs, 10);
  }
}

// ---------------------------------------------------------------- load

TEST_F(FaultSweepTest, ALoadReplacesTheLinesOrLeavesThem) {
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"UTF-8", "\xEF\xBB\xBF" "first \xE4\xB8\xAD\r\nsecond\r\nthird\r\n"},
      {"UTF-16 LE", std::string("\xFF\xFE" "a\0\r\0\n\0b\0", 10)},
      {"ANSI with mixed breaks", "one\r\ntwo\nthree\rfour"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.File("load.txt");
    WriteBytes(path, c.bytes);
    LoadEnvironment env;
    CMyEditDoc fresh;
    ASSERT_TRUE(LoadFile(fresh, path, "", env));
    const Text loaded = test::Lines(fresh.Buffer());

    CMyEditDoc doc;
    const Text old = Numbered(u"old", 5);
    test::Fill(doc.Buffer(), old);
    Sweep(Fault::Allocation, [&] { return LoadFile(doc, path, "", env); }, [&](bool ok, long) {
      EXPECT_EQ(test::Lines(doc.Buffer()), ok ? loaded : old);
      if (ok) test::Fill(doc.Buffer(), old);
    });
  }
}

// ---------------------------------------------------------------- save

TEST_F(FaultSweepTest, ASaveLeavesTheOldFileOrWritesTheNewOne) {
  for (Fault fault : {Fault::Allocation, Fault::Write}) {
    for (std::int32_t encoding : {65001, 1200, 936}) {
      SCOPED_TRACE(std::string(test::Name(fault)) + " faults, code page " + std::to_string(encoding));
      const std::string path = dir.File("saved.txt");
      const std::string oldBytes = "the old file\r\n";
      CMyEditDoc doc;
      const Text text = Numbered(u"saved", 60);
      test::Fill(doc.Buffer(), text);
      doc.encoding = encoding;
      doc.SetPathName(path);
      SaveEnvironment env;
      env.settings.backup = false;       // the folder holds the file alone
      env.settings.checkModify = false;  // the test rewrites the old file between runs
      // The new bytes, from a run without faults.
      WriteBytes(path, oldBytes);
      ASSERT_TRUE(SaveDocument(doc, path, env));
      const std::string newBytes = ReadBytes(path);
      ASSERT_NE(newBytes, oldBytes);
      WriteBytes(path, oldBytes);

      Sweep(fault, [&] { return SaveDocument(doc, path, env); }, [&](bool ok, long) {
        std::string now = ReadBytes(path);
        EXPECT_TRUE(now == oldBytes || now == newBytes) << "a torn file: " << now.size() << " bytes";
        if (ok) {
          EXPECT_EQ(now, newBytes);
        }
        EXPECT_EQ(test::Lines(doc.Buffer()), text);
        WriteBytes(path, oldBytes);
      });
    }
  }
}

}  // namespace
}  // namespace kastrell
