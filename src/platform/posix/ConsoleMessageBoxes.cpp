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
  shown_.push_back(request.text);
  if (out_) {
    std::fprintf(out_, "%s\n", request.text.c_str());
    std::fflush(out_);
  }
  return MessageResult{answer, false};
}

std::size_t ConsoleMessageBoxes::Shown(const std::string& contains) const {
  std::size_t n = 0;
  for (const std::string& text : shown_)
    if (text.find(contains) != std::string::npos) ++n;
  return n;
}

}  // namespace kastrell
