#include "platform/posix/ConsoleMessageBoxes.h"

namespace kastrell {

MessageResult ConsoleMessageBoxes::Show(const MessageRequest& request) {
  auto it = answers_.find(request.buttons);
  Answer answer = it != answers_.end() ? it->second : DefaultAnswer(request.buttons);
  for (auto rule = rules_.rbegin(); rule != rules_.rend(); ++rule) {
    if (request.text.find(rule->first) != std::string::npos) {
      answer = rule->second;
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
