// Message boxes for programs without a window (kastrell-cli): the text goes to
// standard error and every question gets a fixed answer chosen by the caller.
#pragma once
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/MessageBoxes.h"

namespace kastrell {

class ConsoleMessageBoxes final : public MessageBoxes {
 public:
  explicit ConsoleMessageBoxes(std::FILE* out = stderr) : out_(out) {}
  // The answer given to boxes with this button set; unset sets get DefaultAnswer.
  void SetAnswer(Buttons buttons, Answer answer) { answers_[buttons] = answer; }
  // The answer given to boxes whose text contains `contains`; these rules come
  // before the button-set answers, and a later rule overrides an earlier one.
  void AddAnswer(std::string contains, Answer answer) { rules_.emplace_back(std::move(contains), answer); }
  MessageResult Show(const MessageRequest& request) override;
  // How many boxes shown so far had `contains` in their text.
  std::size_t Shown(const std::string& contains) const;
  void Beep(BeepKind) override {}
  bool ShiftHeld() override { return false; }

 private:
  std::FILE* out_;
  std::map<Buttons, Answer> answers_;
  std::vector<std::pair<std::string, Answer>> rules_;
  std::vector<std::string> shown_;
};

}  // namespace kastrell
