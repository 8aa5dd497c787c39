// Modal message boxes, questions and the beep.
// The core states what it asks (text, button set, icon); the platform answers
// with the button chosen and whether Shift was held, which batch operations use
// to reuse one answer for the remaining files.
#pragma once
#include <string>

namespace kastrell {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
enum class Icon { None, Stop, Question, Warning, Information };
enum class Answer { Ok, Cancel, Yes, No, Retry, Abort, Ignore };

struct MessageRequest {
  std::string text;     // UTF-8; "\n" breaks lines
  Buttons buttons = Buttons::Ok;
  Icon icon = Icon::None;
  std::string caption;  // empty: the application's name
};

struct MessageResult {
  Answer answer = Answer::Ok;
  bool shift = false;  // Shift was held when the answer was given
};

// The sounds of MessageBeep; Information is the asterisk sound of small refusals.
enum class BeepKind { Default, Information, Warning, Stop, Question };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  virtual MessageResult Show(const MessageRequest& request) = 0;
  virtual void Beep(BeepKind kind) = 0;
  // Whether Shift is held right now (GetKeyState).
  virtual bool ShiftHeld() = 0;
};

// The answer a box gives when nobody can choose (a closed window, a headless run):
// the cancelling button of the set, so that nothing is done by default.
Answer DefaultAnswer(Buttons buttons);

}  // namespace kastrell
