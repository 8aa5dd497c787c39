#include "text/UndoHistory.h"

#include <algorithm>

namespace kastrell {

void UndoHistory::GroupLastSteps(std::int32_t n, HistoryList which) {
  List& list = Steps(which);
  n = std::min<std::int64_t>(n, std::int64_t(list.size()));
  if (n < 2) return;
  list.back().groupCount = n;
  list.back().open = false;
}

std::int32_t UndoHistory::LastGroupCount(HistoryList which) const {
  const List& list = Steps(which);
  return list.empty() ? 0 : list.back().groupCount;
}

void UndoHistory::CloseTypingStep(TypingStep state, HistoryList which) {
  List& list = Steps(which);
  if (!list.empty()) list.back().open = state == TypingStep::Open;
}

UndoStep* UndoHistory::OpenTypingStepEndingAt(TextPos at) {
  if (undo_.empty()) return nullptr;
  UndoStep& last = undo_.back();
  if (last.kind != StepKind::Insert || !last.open || last.end != at) return nullptr;
  return &last;
}

void UndoHistory::ClearCleanFlags() {
  for (UndoStep& s : undo_) s.cleanBefore = false;
  for (UndoStep& s : redo_) s.cleanBefore = false;
}

void UndoHistory::Clear() {
  undo_.clear();
  undo_.shrink_to_fit();
  redo_.clear();
  redo_.shrink_to_fit();
}

}  // namespace kastrell
