// The edit operations of a document: the only way editing changes its text.
// Each operation changes the buffer, records an undo step, keeps the row table
// in step and leaves a change report in the buffer (TextBuffer::LastChange).
// The modified flag lives here too, because the undo history drives it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/ChangeReport.h"
#include "text/DocWatchers.h"
#include "text/TextPos.h"
#include "text/UndoHistory.h"

namespace kastrell {

class CMyEditDoc;
class TextBuffer;

// The marker a modified document's title ends with.
inline constexpr std::string_view kTitleMarker = " *";
// A document title without the trailing marker of a modified document.
inline std::string TitleWithoutMarker(std::string title) {
  if (title.ends_with(kTitleMarker)) title.resize(title.size() - kTitleMarker.size());
  return title;
}

// Repaint end line meaning "from the first changed line to the end".
inline constexpr std::int32_t kRepaintToEnd = -1;

struct AdvanceResult {
  TextPos pos;
  std::int64_t moved = 0;  // units actually moved, a line break counting as two
};

class EditOps {
 public:
  explicit EditOps(CMyEditDoc& doc) : doc_(doc) {}
  EditOps(const EditOps&) = delete;
  EditOps& operator=(const EditOps&) = delete;

  // Every operation returns false, and changes and records nothing, when its
  // positions are not in the document or there is nothing to do. Texts are
  // taken with their length: CR LF splits lines, every other unit (lone CR,
  // lone LF, NUL) is text.
  bool InsertText(TextPos at, std::u16string_view text, UndoMode mode);
  bool DeleteRange(TextPos start, TextPos end, UndoMode mode);
  bool ReplaceRange(TextPos start, TextPos end, std::u16string_view text, UndoMode mode);
  // Cuts [start, end) and inserts it at dest. A dest strictly inside the range
  // is refused with the information beep.
  bool MoveText(TextPos start, TextPos end, TextPos dest, UndoMode mode);
  // Deletes the unit at `at`; at a line end joins the next line.
  bool DeleteChar(TextPos at, UndoMode mode);
  // Deletes the unit before `at`; at column 0 joins the line to the previous one.
  bool Backspace(TextPos at, UndoMode mode);

  // Moves a position by n units (backwards for n < 0), a line break counting
  // as two units; stops at the start and the end of the document, and before a
  // line break that fewer than two remaining units cannot cross.
  AdvanceResult AdvancePosition(TextPos at, std::int64_t n) const;

  // ---- Undo
  UndoHistory& History() { return history_; }
  const UndoHistory& History() const { return history_; }
  bool CanUndo() const { return history_.CanUndo(); }
  bool CanRedo() const { return history_.CanRedo(); }
  // Reverses the last step of the undo list (or of the redo list), recording
  // the reverse in the other list. Returns the kind reversed, None when the
  // list is empty (after the information beep) or the step no longer fits.
  StepKind UndoOne(HistoryList from);
  // The Undo and Redo commands: reverse the last user-visible step (a whole
  // group) and leave the union of the changes in the change report.
  bool Undo() { return UndoCommand(HistoryList::Undo); }
  bool Redo() { return UndoCommand(HistoryList::Redo); }
  void GroupLastSteps(std::int32_t n, HistoryList list) { history_.GroupLastSteps(n, list); }
  std::int32_t LastGroupCount(HistoryList list) const { return history_.LastGroupCount(list); }
  void CloseTypingStep(TypingStep state, HistoryList list) { history_.CloseTypingStep(state, list); }
  std::int32_t StepCount(HistoryList list) const { return std::int32_t(history_.Steps(list).size()); }

  // ---- Modified flag
  bool IsModified() const { return modified_; }
  // Sets the flag; a change adds or removes the " *" title marker (unless
  // title updates are suspended) and tells the tab strip. Setting the state
  // the document already has does nothing.
  void SetModified(bool modified);
  void SuspendTitleUpdates(bool suspended) { titleSuspended_ = suspended; }
  // After a successful save: unmodified, and no step leads back to clean.
  void MarkSaved();
  // After a reload: unmodified, both lists empty.
  void ResetHistory();

  // ---- Row table batches
  // Between Begin and End, edits only note which lines changed; End cuts the
  // rows of all of them in one pass. For commands of many edits (replace all,
  // column paste, indenting a block) under word wrap or folding. Nests.
  void BeginRowBatch() { ++batchDepth_; }
  void EndRowBatch();

 private:
  TextBuffer& Buf();
  bool Valid(TextPos p);
  bool RowsOn();
  // Expands the folds an edit at `line` must open; returns whether any did.
  bool RevealLine(std::int32_t line, ChangeReport& report);
  bool ExpandHeader(std::int32_t line);
  bool HeadsCollapsedFold(std::int32_t line);
  std::int32_t LeadingBlanks(std::int32_t line);
  // The rows of old lines first … lastOld become the rows of lines first …
  // lastNew. Returns whether the number of rows may have changed.
  bool UpdateRows(std::int32_t first, std::int32_t lastOld, std::int32_t lastNew);
  bool ApplyRows(std::int32_t first, std::int32_t lastOld, std::int32_t lastNew);
  // Reports "Unexpected Error GRP" when the edited line has no row to update.
  void CheckRowOf(std::int32_t line);
  // The operations, with the CR LF pairs of text at these offsets kept as
  // units instead of splitting the line.
  using Offsets = std::vector<std::int64_t>;
  bool Delete(TextPos start, TextPos end, UndoMode mode);
  bool Move(TextPos start, TextPos end, TextPos dest, UndoMode mode);
  StepKind UndoStepBack(HistoryList from);
  bool UndoGroup(HistoryList from);
  // Runs a public operation; the outermost one tells every party its change
  // report when it succeeded, so a command of several steps is reported once.
  template <typename Op>
  bool Reported(Op&& op);
  bool Insert(TextPos at, std::u16string_view text, const Offsets& unitCrLf, UndoMode mode);
  bool Replace(TextPos start, TextPos end, std::u16string_view text, const Offsets& unitCrLf, UndoMode mode);
  // The text of [start, end) with CR LF between lines, and where it holds CR LF units.
  // False (out of memory noted) when the copy could not be made.
  bool CopyRange(TextPos start, TextPos end, std::u16string& text, Offsets& unitCrLf);
  std::u16string CopyRangeText(TextPos start, TextPos end, Offsets& unitCrLf);
  // Makes room for the step an operation in this mode will record, so that
  // recording cannot fail once the buffer has changed.
  bool ReserveStep(UndoMode mode);
  // Runs the allocating part of an operation; a shortage becomes false with
  // out of memory noted, before anything changed.
  template <typename F>
  bool Allocated(F&& f);
  bool ApplyInsert(TextPos at, std::u16string_view text, const Offsets& unitCrLf, TextPos& end);
  bool ApplyDelete(TextPos start, TextPos end);
  // Notes that the buffer ran out of memory; returns false.
  bool NoMemory() {
    outOfMemory_ = true;
    return false;
  }
  void Record(UndoStep step, UndoMode mode);
  bool UndoCommand(HistoryList from);

  CMyEditDoc& doc_;
  UndoHistory history_;
  bool modified_ = false;
  bool titleSuspended_ = false;
  bool titleMarked_ = false;  // the title carries the marker this class added
  // Nesting of public operations: only the outermost reports TextChanged.
  std::int32_t opDepth_ = 0;
  bool outOfMemory_ = false;  // the running command ran out of memory

  // The pending row update of a batch: current lines batchFirst_ … batchLast_
  // replace the table's rows of lines batchFirst_ … batchLastOld_.
  std::int32_t batchDepth_ = 0;
  bool batchPending_ = false;
  std::int32_t batchFirst_ = 0;
  std::int32_t batchLast_ = 0;
  std::int32_t batchLastOld_ = 0;
  std::vector<RowEntry> rowScratch_;  // reused so that typing allocates no rows
};

// Counts the steps a multi-part command records into the undo list and groups
// them into one when it ends (trimming blanks before a save, replace all, ...).
class StepGroup {
 public:
  explicit StepGroup(EditOps& ops) : ops_(ops) {
    ops_.CloseTypingStep(TypingStep::Closed, HistoryList::Undo);
    before_ = ops_.StepCount(HistoryList::Undo);
  }
  ~StepGroup() { ops_.GroupLastSteps(ops_.StepCount(HistoryList::Undo) - before_, HistoryList::Undo); }
  StepGroup(const StepGroup&) = delete;
  StepGroup& operator=(const StepGroup&) = delete;

 private:
  EditOps& ops_;
  std::int32_t before_ = 0;
};

}  // namespace kastrell
