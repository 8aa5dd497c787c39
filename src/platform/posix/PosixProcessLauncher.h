// ProcessLauncher on fork and exec: the program runs in a grandchild, so it
// is never left as a zombie of the editor.
#pragma once
#include "platform/ProcessLauncher.h"

namespace kastrell {

class PosixProcessLauncher final : public ProcessLauncher {
 public:
  std::string FindProgram(const std::string& name) override;
  FileError StartDetached(const std::vector<std::string>& argv) override;
};

}  // namespace kastrell
