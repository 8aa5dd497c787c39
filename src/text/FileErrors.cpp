#include "text/FileErrors.h"

#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/Strings.h"

namespace kastrell {

void ReportFileError(const std::string& path, const FileError& error) {
  std::string text(LoadString(23547));
  text += "\r\n";
  text += path;
  text += "\r\n\r\n";
  text += error.message;
  CurrentPlatform().boxes->Show({text, Buttons::Ok, Icon::Stop, {}});
}

void ReportOutOfMemory() { CurrentPlatform().boxes->Show({std::string(LoadString(24449)), Buttons::Ok, Icon::Stop, {}}); }

}  // namespace kastrell
