// Message boxes, questions and the beep shown with Qt widgets.
#pragma once
#include "platform/MessageBoxes.h"

class QWidget;

namespace kastrell {

class QtMessageBoxes final : public MessageBoxes {
 public:
  void SetParent(QWidget* parent) { parent_ = parent; }
  MessageResult Show(const MessageRequest& request) override;
  void Beep(BeepKind kind) override;
  bool ShiftHeld() override;

 private:
  QWidget* parent_ = nullptr;
};

}  // namespace kastrell
