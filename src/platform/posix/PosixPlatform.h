// The platform of programs without a window: real files, clock and system
// facts, questions answered on the console.
#pragma once
#include "platform/Diagnostics.h"
#include "platform/Platform.h"
#include "platform/posix/ConsoleMessageBoxes.h"
#include "platform/posix/IcuCodePages.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixSystemInfo.h"
#include "platform/posix/SystemClock.h"

namespace kastrell {

class PosixPlatform {
 public:
  PosixPlatform();
  PosixFileSystem files;
  SystemClock clock;
  ConsoleMessageBoxes boxes;
  MessageBoxDiagnostics diagnostics{boxes};
  PosixSystemInfo system;
  IcuCodePages codePages{AnsiCodePageFromEnvironment(system)};
  Platform platform;
};

}  // namespace kastrell
