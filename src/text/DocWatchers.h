// The one fan-out point of a document's change reports. Parties register with
// a WatchOrder and unregister when they go (a pane when it is destroyed);
// every report reaches each registered party once, in WatchOrder, parties of
// one order in the order they registered. Registering or unregistering during
// a report is allowed: a party removed then hears nothing more, a party added
// then hears the next report.
#pragma once
#include <cstdint>
#include <vector>

#include "text/DocWatcher.h"

namespace kastrell {

class DocWatchers {
 public:
  DocWatchers() = default;
  DocWatchers(const DocWatchers&) = delete;
  DocWatchers& operator=(const DocWatchers&) = delete;

  // Adding a party twice does nothing.
  void Add(DocWatcher* watcher, WatchOrder order);
  void Remove(DocWatcher* watcher);
  // Forgets every party without telling it (the document is going away).
  void Clear();
  std::int32_t Count() const;

  // ---- Reports (see DocWatcher)
  void RescanLines(TextBuffer& b, std::int32_t first, std::int32_t last);
  // True when any party changed a fold header.
  bool UpdateFoldsAfterEdit(TextBuffer& b, TextPos at, std::int32_t lastLine, bool linesChanged);
  void TextChanged(CMyEditDoc& doc, const ChangeReport& report);
  void LineCountChanged(TextBuffer& b);
  void RepaintLine(TextBuffer& b, std::int32_t line);
  void RebuildRows(TextBuffer& b);
  void TitleChanged(CMyEditDoc& doc);
  void DocumentStateChanged(CMyEditDoc& doc, DocState state);

  // ---- Questions, with the built-in answers when no party gives one: one
  // row per line; folds read from the lines' fold fields (a field n > 0 heads
  // a collapsed fold hiding the next n lines, -1 an expanded one).
  void CutRows(const TextBuffer& b, std::int32_t line, std::vector<RowEntry>& out) const;
  std::int32_t FoldHiding(const TextBuffer& b, std::int32_t line) const;
  std::int32_t ExpandFold(TextBuffer& b, std::int32_t header) const;

  // Appends the rows of lines first … last that are not hidden by a collapsed
  // fold headed inside that range.
  void CutRowsOfLines(const TextBuffer& b, std::int32_t first, std::int32_t last, std::vector<RowEntry>& out) const;

 private:
  struct Entry {
    DocWatcher* watcher;
    WatchOrder order;
  };
  // Calls f on every live party in order; additions made meanwhile wait in
  // added_ until the outermost report ends.
  template <typename F>
  void ForEach(F&& f);
  void Settle();

  std::vector<Entry> entries_;
  std::vector<Entry> added_;
  std::int32_t depth_ = 0;
  bool removedDuringReport_ = false;
};

// Registers a party for its lifetime.
class ScopedDocWatcher {
 public:
  ScopedDocWatcher(DocWatchers& list, DocWatcher& watcher, WatchOrder order) : list_(list), watcher_(watcher) {
    list_.Add(&watcher_, order);
  }
  ~ScopedDocWatcher() { list_.Remove(&watcher_); }
  ScopedDocWatcher(const ScopedDocWatcher&) = delete;
  ScopedDocWatcher& operator=(const ScopedDocWatcher&) = delete;

 private:
  DocWatchers& list_;
  DocWatcher& watcher_;
};

}  // namespace kastrell
