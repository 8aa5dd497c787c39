// A party that follows one document's changes: the scanner, folding, a pane's
// layout and painting, the status bar, the document selector. Parties register
// with the document's DocWatchers; each hears every report once, in the order
// of its WatchOrder, and none calls another.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "text/ChangeReport.h"
#include "text/RowTable.h"
#include "text/TextPos.h"

namespace kastrell {

class TextBuffer;
class CMyEditDoc;

// What the document selector shows for a document.
enum class DocState { Plain, Modified, ReadOnly };

// The place of a party in every fan-out. Later parties build on what earlier
// ones computed: folding reads the scanner's states, layout reads the folds,
// painting reads the rows, the status bar shows the result.
enum class WatchOrder : std::uint8_t { Scanner, Folding, Layout, Painting, Status };

class DocWatcher {
 public:
  virtual ~DocWatcher() = default;

  // ---- Reports: every registered party hears each one.
  // The units of lines first … last changed; the scanner rescans from first
  // and carries states on until a stored state matches.
  virtual void RescanLines(TextBuffer&, std::int32_t /*first*/, std::int32_t /*last*/) {}
  // Re-evaluates fold headers after an edit at `at` whose changed lines end at
  // lastLine; linesChanged when lines were added or removed. Returns whether a
  // header changed (its gutter must be repainted).
  virtual bool UpdateFoldsAfterEdit(TextBuffer&, TextPos /*at*/, std::int32_t /*lastLine*/, bool /*linesChanged*/) {
    return false;
  }
  // An edit command finished; report is also in TextBuffer::LastChange().
  virtual void TextChanged(CMyEditDoc&, const ChangeReport& /*report*/) {}
  // The number of lines changed.
  virtual void LineCountChanged(TextBuffer&) {}
  // A line must be repainted in every view of the document.
  virtual void RepaintLine(TextBuffer&, std::int32_t /*line*/) {}
  // The row table no longer matches the lines and must be rebuilt.
  virtual void RebuildRows(TextBuffer&) {}
  // The title gained or lost its modified marker.
  virtual void TitleChanged(CMyEditDoc&) {}
  // The modified flag changed; the tab strip shows the new state.
  virtual void DocumentStateChanged(CMyEditDoc&, DocState) {}

  // ---- Questions: asked in the same order; the first party that answers is
  // used, and when none does the built-in rule of DocWatchers applies.
  // Layout: appends the display rows of one visible line under word wrap.
  virtual bool CutRows(const TextBuffer&, std::int32_t /*line*/, std::vector<RowEntry>& /*out*/) { return false; }
  // Folding: the header of the outermost collapsed fold that hides line, or -1.
  virtual std::optional<std::int32_t> FoldHiding(const TextBuffer&, std::int32_t /*line*/) { return std::nullopt; }
  // Folding: expands the collapsed fold headed by header and returns how many
  // lines after it it hid (0 when it was not collapsed).
  virtual std::optional<std::int32_t> ExpandFold(TextBuffer&, std::int32_t /*header*/) { return std::nullopt; }
};

}  // namespace kastrell
