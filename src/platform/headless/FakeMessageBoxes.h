// Message boxes for tests: records every box and beep and plays back scripted
// answers in order. A box that no expectation covers is recorded as a failure
// and answered with the cancelling button, so a test fails instead of hanging.
#pragma once
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/MessageBoxes.h"

namespace kastrell {

struct ExpectedBox {
  std::string contains;  // a part of the text the box must show; empty matches any
  Answer answer = Answer::Ok;
  bool shift = false;
  std::optional<Buttons> buttons;
  std::optional<Icon> icon;
};

class FakeMessageBoxes final : public MessageBoxes {
 public:
  void Expect(ExpectedBox box) { expected_.push_back(std::move(box)); }
  void Expect(std::string contains, Answer answer, bool shift = false) {
    expected_.push_back(ExpectedBox{std::move(contains), answer, shift, {}, {}});
  }

  MessageResult Show(const MessageRequest& request) override;
  void Beep(BeepKind kind) override { beeps_.push_back(kind); }
  bool ShiftHeld() override { return shiftHeld_; }
  void SetShiftHeld(bool held) { shiftHeld_ = held; }

  const std::vector<MessageRequest>& Shown() const { return shown_; }
  const std::vector<BeepKind>& Beeps() const { return beeps_; }
  // Unexpected or mismatched boxes, and expectations that were never used.
  std::vector<std::string> Failures() const;
  void Clear();

 private:
  std::deque<ExpectedBox> expected_;
  std::vector<MessageRequest> shown_;
  std::vector<BeepKind> beeps_;
  std::vector<std::string> failures_;
  bool shiftHeld_ = false;
};

}  // namespace kastrell
