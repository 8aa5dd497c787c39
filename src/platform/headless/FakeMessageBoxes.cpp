#include "platform/headless/FakeMessageBoxes.h"

namespace kastrell {

MessageResult FakeMessageBoxes::Show(const MessageRequest& request) {
  shown_.push_back(request);
  if (expected_.empty()) {
    failures_.push_back("unexpected message box: " + request.text);
    return MessageResult{DefaultAnswer(request.buttons), false};
  }
  ExpectedBox e = expected_.front();
  expected_.pop_front();
  bool matches = request.text.find(e.contains) != std::string::npos &&
                 (!e.buttons || *e.buttons == request.buttons) && (!e.icon || *e.icon == request.icon);
  if (!matches) {
    failures_.push_back("message box \"" + request.text + "\" does not match the expected \"" + e.contains + "\"");
    return MessageResult{DefaultAnswer(request.buttons), false};
  }
  return MessageResult{e.answer, e.shift};
}

std::vector<std::string> FakeMessageBoxes::Failures() const {
  std::vector<std::string> all = failures_;
  for (const ExpectedBox& e : expected_) all.push_back("expected message box never shown: " + e.contains);
  return all;
}

void FakeMessageBoxes::Clear() {
  expected_.clear();
  shown_.clear();
  beeps_.clear();
  failures_.clear();
}

}  // namespace kastrell
