// The follow-ups of an edit that belong to other subsystems: highlighting,
// layout, folding and the document's title and tab. Each is a narrow virtual
// call with a default that keeps the buffer consistent on its own, so those
// subsystems plug in by overriding, without changes to the edit operations.
#pragma once
#include <cstdint>
#include <vector>

#include "text/RowTable.h"
#include "text/TextPos.h"

namespace kastrell {

class TextBuffer;
class CMyEditDoc;

// What the document selector shows for a document.
enum class DocState { Plain, Modified, ReadOnly };

class EditHooks {
 public:
  virtual ~EditHooks() = default;

  // Highlighting: the units of lines first … last changed; the scanner rescans
  // from first and carries states on until a stored state matches.
  virtual void RescanLines(TextBuffer&, std::int32_t /*first*/, std::int32_t /*last*/) {}

  // Layout: appends the display rows of one visible line under word wrap.
  // The default shows the whole line in one row.
  virtual void CutRows(const TextBuffer& buffer, std::int32_t line, std::vector<RowEntry>& out);

  // Folding: the header of the outermost collapsed fold that hides line, or -1.
  // The default walks the fold fields back from the line.
  virtual std::int32_t FoldHiding(const TextBuffer& buffer, std::int32_t line);
  // Expands the collapsed fold headed by header and returns how many lines
  // after it it hid (0 when it was not collapsed). The caller gives those
  // lines their rows.
  virtual std::int32_t ExpandFold(TextBuffer& buffer, std::int32_t header);
  // Re-evaluates fold headers after an edit at `at` whose changed lines end at
  // lastLine; linesChanged when lines were added or removed. Returns whether a
  // header changed (its gutter must be repainted).
  virtual bool UpdateFoldsAfterEdit(TextBuffer&, TextPos /*at*/, std::int32_t /*lastLine*/, bool /*linesChanged*/) {
    return false;
  }

  // The title gained or lost its modified marker.
  virtual void TitleChanged(CMyEditDoc&) {}
  // The modified flag changed; the tab strip shows the new state.
  virtual void DocumentStateChanged(CMyEditDoc&, DocState) {}
};

// Appends the rows of lines first … last that are not hidden by a collapsed
// fold headed inside that range (a fold field n > 0 hides the next n lines).
void CutRowsOfLines(EditHooks& hooks, const TextBuffer& buffer, std::int32_t first, std::int32_t last,
                    std::vector<RowEntry>& out);

}  // namespace kastrell
