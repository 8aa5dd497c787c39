// The undo and redo lists of a document. A step records one change by its
// positions; only the text a change removed is kept, so a typing run or a
// moved block costs no copy of its text.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "text/TextPos.h"

namespace kastrell {

enum class StepKind : std::int32_t { None = 0, Insert = 1, Delete = 2, Replace = 4, Move = 8 };

// Where an edit operation records its step.
enum UndoMode : std::int32_t {
  kUndoNone = 0,      // nowhere; the caller sets the modified flag
  kUndoUser = 1,      // the undo list, emptying the redo list: a normal edit
  kUndoIntoRedo = 2,  // the redo list: used while undoing
  kUndoFromRedo = 3,  // the undo list, leaving the redo list alone: used while redoing
};

// The two lists of the history.
enum class HistoryList : std::uint8_t { Undo, Redo };
inline HistoryList OtherList(HistoryList list) {
  return list == HistoryList::Undo ? HistoryList::Redo : HistoryList::Undo;
}
// Whether the last step of a list may still grow by typing.
enum class TypingStep : std::uint8_t { Closed, Open };

struct UndoStep {
  // The text the change removed (delete, replace), lines joined with CR LF.
  // Empty for insert and move steps, whose text is still in the document.
  std::u16string text;
  // Offsets in text of CR LF pairs that are two units inside a line rather
  // than a line break (a line can hold lone CRs and LFs side by side). Almost
  // always empty.
  std::vector<std::int64_t> unitCrLf;
  StepKind kind = StepKind::None;
  TextPos from;   // delete: start of the deleted range; move: where the text came from
  TextPos start;  // insert, replace, move: where the inserted text starts
  TextPos end;    // ... and ends
  // 0 or 1: a step by itself; n >= 2: this step and the n - 1 before it are one.
  std::int32_t groupCount = 0;
  bool cleanBefore = false;  // the document was unmodified when this was recorded
  bool open = false;         // an open insert step may still grow by typing

  std::int64_t TextLength() const { return std::int64_t(text.size()); }
};

class UndoHistory {
 public:
  using List = std::vector<UndoStep>;

  List& Steps(HistoryList list) { return list == HistoryList::Undo ? undo_ : redo_; }
  const List& Steps(HistoryList list) const { return list == HistoryList::Undo ? undo_ : redo_; }
  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }

  // Marks the last n steps of the list as one (n < 2 does nothing; n is
  // limited to the list's size). The last step is closed, so typing after a
  // group starts a step of its own instead of growing the group's last step.
  void GroupLastSteps(std::int32_t n, HistoryList list);
  std::int32_t LastGroupCount(HistoryList list) const;
  void CloseTypingStep(TypingStep state, HistoryList list);

  // The open insert step at the end of the undo list that ends at `at`, if any.
  UndoStep* OpenTypingStepEndingAt(TextPos at);

  // After a save: no step leads back to an unmodified state any more.
  void ClearCleanFlags();
  // After a reload: forget everything.
  void Clear();

 private:
  List undo_;
  List redo_;
};

}  // namespace kastrell
