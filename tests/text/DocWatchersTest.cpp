// The fan-out of a document's change reports: two panes (layout and painting
// each) and a scanner stand-in on one document hear every report once, in the
// fixed order, and come and go without disturbing the others.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/PlatformTest.h"
#include "text/EditTestUtil.h"

namespace kastrell {
namespace {

using Log = std::vector<std::string>;

// Writes "<name> <report>" for every report it hears.
class Recorder : public DocWatcher {
 public:
  Recorder(std::string name, Log& log) : name_(std::move(name)), log_(log) {}
  void RescanLines(TextBuffer&, std::int32_t first, std::int32_t last) override {
    Note("rescan " + std::to_string(first) + "-" + std::to_string(last));
  }
  bool UpdateFoldsAfterEdit(TextBuffer&, TextPos, std::int32_t, bool) override {
    Note("folds");
    return false;
  }
  void TextChanged(CMyEditDoc&, const ChangeReport& r) override {
    Note("changed " + std::to_string(r.first.line) + "," + std::to_string(r.first.column));
  }
  void LineCountChanged(TextBuffer&) override { Note("lines"); }
  void RepaintLine(TextBuffer&, std::int32_t line) override { Note("repaint " + std::to_string(line)); }
  void TitleChanged(CMyEditDoc&) override { Note("title"); }
  void DocumentStateChanged(CMyEditDoc&, DocState) override { Note("state"); }

 private:
  void Note(const std::string& what) { log_.push_back(name_ + " " + what); }
  std::string name_;
  Log& log_;
};

// A pane registers its layout and its painting while it exists.
struct Pane {
  Pane(CMyEditDoc& doc, const std::string& name, Log& log)
      : layout(name + ".layout", log),
        painting(name + ".paint", log),
        layoutReg(doc.Watchers(), layout, WatchOrder::Layout),
        paintReg(doc.Watchers(), painting, WatchOrder::Painting) {}
  Recorder layout, painting;
  ScopedDocWatcher layoutReg, paintReg;
};

class DocWatchersTest : public test::PlatformTest {
 protected:
  DocWatchersTest() { test::Fill(doc.Buffer(), {u"ab", u"cd"}); }
  // The entries of log that end with what, in order.
  Log Heard(const std::string& what) const {
    Log out;
    for (const std::string& e : log) {
      if (e.size() > what.size() && e.ends_with(" " + what)) out.push_back(e.substr(0, e.size() - what.size() - 1));
    }
    return out;
  }
  CMyEditDoc doc;
  Log log;
  Recorder scanner{"scanner", log};
  Recorder status{"status", log};
};

TEST_F(DocWatchersTest, EveryPartyHearsEveryReportOnceInOrder) {
  // Registered out of order on purpose: the order is the role's, not the registration's.
  ScopedDocWatcher statusReg(doc.Watchers(), status, WatchOrder::Status);
  Pane first(doc, "pane1", log);
  ScopedDocWatcher scannerReg(doc.Watchers(), scanner, WatchOrder::Scanner);
  Pane second(doc, "pane2", log);
  const Log order = {"scanner", "pane1.layout", "pane2.layout", "pane1.paint", "pane2.paint", "status"};

  struct Step {
    const char* name;
    bool (*edit)(EditOps&);
    const char* report;
  } steps[] = {
      {"typing", [](EditOps& o) { return o.InsertText({0, 1}, u"x", kUndoUser); }, "changed 0,1"},
      {"a line break", [](EditOps& o) { return o.InsertText({1, 1}, u"\r\n", kUndoUser); }, "changed 1,1"},
      {"a replace, heard once", [](EditOps& o) { return o.ReplaceRange({0, 0}, {1, 1}, u"q", kUndoUser); }, "changed 0,0"},
      {"a move, heard once", [](EditOps& o) { return o.MoveText({0, 0}, {0, 1}, {1, 1}, kUndoUser); }, "changed 0,0"},
      {"an undo", [](EditOps& o) { return o.Undo(); }, "changed 0,0"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    log.clear();
    ASSERT_TRUE(s.edit(doc.Edits()));
    EXPECT_EQ(Heard(s.report), order);
    // Each report reaches all parties as one block, in order, before the next report.
    for (std::size_t i = 0; i + order.size() <= log.size(); i += order.size()) {
      for (std::size_t k = 0; k < order.size(); ++k) {
        EXPECT_TRUE(log[i + k].starts_with(order[k] + " ")) << log[i + k];
        EXPECT_EQ(log[i + k].substr(order[k].size()), log[i].substr(order[0].size()));
      }
    }
    EXPECT_EQ(log.size() % order.size(), 0u);
  }
  log.clear();
  doc.Buffer().ToggleMark(1);
  EXPECT_EQ(Heard("repaint 1"), order);
}

TEST_F(DocWatchersTest, APaneThatGoesHearsNothingMoreAndTheOthersCarryOn) {
  ScopedDocWatcher scannerReg(doc.Watchers(), scanner, WatchOrder::Scanner);
  Pane stays(doc, "stays", log);
  auto goes = std::make_unique<Pane>(doc, "goes", log);
  EXPECT_EQ(doc.Watchers().Count(), 5);
  goes.reset();
  EXPECT_EQ(doc.Watchers().Count(), 3);
  ASSERT_TRUE(doc.Edits().InsertText({0, 0}, u"x", kUndoUser));
  EXPECT_EQ(Heard("changed 0,0"), (Log{"scanner", "stays.layout", "stays.paint"}));
}

TEST_F(DocWatchersTest, PartiesMayComeAndGoDuringAReport) {
  // The scanner's report closes the second pane and opens a third one.
  struct Closer : DocWatcher {
    std::unique_ptr<Pane>* victim = nullptr;
    std::unique_ptr<Pane> opened;
    CMyEditDoc* doc = nullptr;
    Log* log = nullptr;
    void TextChanged(CMyEditDoc&, const ChangeReport&) override {
      victim->reset();
      if (!opened) opened = std::make_unique<Pane>(*doc, "late", *log);
    }
  } closer;
  auto victim = std::make_unique<Pane>(doc, "victim", log);
  closer.victim = &victim;
  closer.doc = &doc;
  closer.log = &log;
  ScopedDocWatcher closerReg(doc.Watchers(), closer, WatchOrder::Scanner);
  Pane keeps(doc, "keeps", log);
  ASSERT_TRUE(doc.Edits().InsertText({0, 0}, u"x", kUndoUser));
  EXPECT_EQ(Heard("changed 0,0"), (Log{"keeps.layout", "keeps.paint"}));
  log.clear();
  ASSERT_TRUE(doc.Edits().InsertText({0, 0}, u"y", kUndoUser));
  EXPECT_EQ(Heard("changed 0,0"), (Log{"keeps.layout", "late.layout", "keeps.paint", "late.paint"}));
  closer.opened.reset();
}

TEST_F(DocWatchersTest, QuestionsGoToTheFirstPartyThatAnswers) {
  test::FixedWrapHooks narrow(1), wide(2);
  TextBuffer& b = doc.Buffer();
  std::vector<RowEntry> rows;
  doc.Watchers().CutRows(b, 0, rows);
  EXPECT_EQ(rows, (std::vector<RowEntry>{{0, 0, 2}})) << "built-in: one row per line";
  ScopedDocWatcher scannerReg(doc.Watchers(), scanner, WatchOrder::Scanner);  // answers nothing
  ScopedDocWatcher wideReg(doc.Watchers(), wide, WatchOrder::Layout);
  ScopedDocWatcher narrowReg(doc.Watchers(), narrow, WatchOrder::Layout);
  rows.clear();
  doc.Watchers().CutRows(b, 0, rows);
  EXPECT_EQ(rows, (std::vector<RowEntry>{{0, 0, 2}})) << "the first layout registered answers";
  b.MutableLine(0).fold = 1;
  EXPECT_EQ(doc.Watchers().FoldHiding(b, 1), 0);
  EXPECT_EQ(doc.Watchers().ExpandFold(b, 0), 1);
  EXPECT_EQ(b.Line(0).fold, -1);
}

}  // namespace
}  // namespace kastrell
