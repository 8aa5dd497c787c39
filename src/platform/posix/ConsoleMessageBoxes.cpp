#include "platform/posix/ConsoleMessageBoxes.h"

namespace kastrell {

MessageResult ConsoleMessageBoxes::Show(const MessageRequest& request) {
  auto it = answers_.find(request.buttons);
  Answer answer = it != answers_.end() ? it->second : DefaultAnswer(request.buttons);
  for (const auto& [contains, ruleAnswer] : rules_) {
    if (request.text.find(contains) != std::string::npos) {
      answer = ruleAnswer;
      break;
    }
  }
  if (out_) {
    std::fprintf(out_, "%s\n", request.text.c_str());
    std::fflush(out_);
  }
  return MessageResult{answer, false};
}

}  // namespace kastrell
