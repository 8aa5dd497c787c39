// Starting helper programs (the mail composer, a browser) without a shell:
// the arguments go to the program exactly as given, so no file name or text
// can become a command.
#pragma once
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace kastrell {

class ProcessLauncher {
 public:
  virtual ~ProcessLauncher() = default;
  // The program's full path when it is found on PATH, "" otherwise.
  virtual std::string FindProgram(const std::string& name) = 0;
  // Starts argv[0] (looked up on PATH) with the arguments and does not wait
  // for it; fails when it cannot be started.
  virtual FileError StartDetached(const std::vector<std::string>& argv) = 0;
};

}  // namespace kastrell
