#include "text/DocWatchers.h"

#include <algorithm>

#include "text/TextBuffer.h"

namespace kastrell {

void DocWatchers::Add(DocWatcher* watcher, WatchOrder order) {
  if (!watcher) return;
  auto same = [watcher](const Entry& e) { return e.watcher == watcher; };
  if (std::any_of(entries_.begin(), entries_.end(), same) || std::any_of(added_.begin(), added_.end(), same)) return;
  std::vector<Entry>& into = depth_ > 0 ? added_ : entries_;
  auto at = std::upper_bound(into.begin(), into.end(), order,
                             [](WatchOrder o, const Entry& e) { return o < e.order; });
  into.insert(at, Entry{watcher, order});
}

void DocWatchers::Remove(DocWatcher* watcher) {
  for (std::vector<Entry>* list : {&entries_, &added_}) {
    for (auto it = list->begin(); it != list->end(); ++it) {
      if (it->watcher != watcher) continue;
      if (depth_ > 0 && list == &entries_) {
        it->watcher = nullptr;  // the running report skips it; Settle drops it
        removedDuringReport_ = true;
      } else {
        list->erase(it);
      }
      return;
    }
  }
}

void DocWatchers::Clear() {
  for (Entry& e : entries_) e.watcher = nullptr;
  removedDuringReport_ = depth_ > 0;
  if (depth_ == 0) entries_.clear();
  added_.clear();
}

std::int32_t DocWatchers::Count() const {
  auto live = std::count_if(entries_.begin(), entries_.end(), [](const Entry& e) { return e.watcher != nullptr; });
  return std::int32_t(live + std::int64_t(added_.size()));
}

void DocWatchers::Settle() {
  if (removedDuringReport_) {
    std::erase_if(entries_, [](const Entry& e) { return e.watcher == nullptr; });
    removedDuringReport_ = false;
  }
  std::vector<Entry> added;
  added.swap(added_);
  for (const Entry& e : added) Add(e.watcher, e.order);
}

template <typename F>
void DocWatchers::ForEach(F&& f) {
  ++depth_;
  // Indexes, not iterators: a party may unregister another during the report.
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (DocWatcher* w = entries_[i].watcher) f(*w);
  }
  if (--depth_ == 0 && (removedDuringReport_ || !added_.empty())) Settle();
}

// ---------------------------------------------------------------- reports

void DocWatchers::RescanLines(TextBuffer& b, std::int32_t first, std::int32_t last) {
  ForEach([&](DocWatcher& w) { w.RescanLines(b, first, last); });
}

bool DocWatchers::UpdateFoldsAfterEdit(TextBuffer& b, TextPos at, std::int32_t lastLine, bool linesChanged) {
  bool changed = false;
  ForEach([&](DocWatcher& w) { changed |= w.UpdateFoldsAfterEdit(b, at, lastLine, linesChanged); });
  return changed;
}

void DocWatchers::TextChanged(CMyEditDoc& doc, const ChangeReport& report) {
  ForEach([&](DocWatcher& w) { w.TextChanged(doc, report); });
}

void DocWatchers::LineCountChanged(TextBuffer& b) {
  if (entries_.empty()) return;  // a load appends millions of lines to a buffer nobody watches yet
  ForEach([&](DocWatcher& w) { w.LineCountChanged(b); });
}

void DocWatchers::RepaintLine(TextBuffer& b, std::int32_t line) {
  ForEach([&](DocWatcher& w) { w.RepaintLine(b, line); });
}

void DocWatchers::RebuildRows(TextBuffer& b) {
  ForEach([&](DocWatcher& w) { w.RebuildRows(b); });
}

void DocWatchers::TitleChanged(CMyEditDoc& doc) {
  ForEach([&](DocWatcher& w) { w.TitleChanged(doc); });
}

void DocWatchers::DocumentStateChanged(CMyEditDoc& doc, DocState state) {
  ForEach([&](DocWatcher& w) { w.DocumentStateChanged(doc, state); });
}

// ---------------------------------------------------------------- questions

void DocWatchers::CutRows(const TextBuffer& b, std::int32_t line, std::vector<RowEntry>& out) const {
  for (const Entry& e : entries_) {
    if (e.watcher && e.watcher->CutRows(b, line, out)) return;
  }
  out.push_back(RowEntry{line, 0, b.LineLength(line)});
}

std::int32_t DocWatchers::FoldHiding(const TextBuffer& b, std::int32_t line) const {
  for (const Entry& e : entries_) {
    if (!e.watcher) continue;
    if (std::optional<std::int32_t> header = e.watcher->FoldHiding(b, line)) return *header;
  }
  std::int32_t header = -1;
  for (std::int32_t l = line - 1; l >= 0; --l) {
    std::int32_t fold = b.Line(l).fold;
    if (fold > 0 && std::int64_t(l) + fold >= line) header = l;
  }
  return header;
}

std::int32_t DocWatchers::ExpandFold(TextBuffer& b, std::int32_t header) const {
  for (const Entry& e : entries_) {
    if (!e.watcher) continue;
    if (std::optional<std::int32_t> hidden = e.watcher->ExpandFold(b, header)) return *hidden;
  }
  LineRecord& rec = b.MutableLine(header);
  std::int32_t hidden = rec.fold;
  if (hidden <= 0) return 0;
  rec.fold = -1;
  return std::min(hidden, b.LineCount() - 1 - header);
}

void DocWatchers::CutRowsOfLines(const TextBuffer& b, std::int32_t first, std::int32_t last,
                                 std::vector<RowEntry>& out) const {
  for (std::int32_t l = first; l <= last; ++l) {
    if (b.WordWrap()) {
      CutRows(b, l, out);
    } else {
      out.push_back(RowEntry{l, 0, b.LineLength(l)});
    }
    if (b.Folding() && b.Line(l).fold > 0) l += b.Line(l).fold;
  }
}

}  // namespace kastrell
