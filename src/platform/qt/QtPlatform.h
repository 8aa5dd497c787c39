// The platform of the windowed editor: POSIX services plus Qt dialogs.
#pragma once
#include "platform/Diagnostics.h"
#include "platform/Platform.h"
#include "platform/posix/IcuCodePages.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixSystemInfo.h"
#include "platform/posix/SystemClock.h"
#include "platform/qt/QtMessageBoxes.h"

namespace kastrell {

class QtPlatform {
 public:
  QtPlatform();
  PosixFileSystem files;
  SystemClock clock;
  QtMessageBoxes boxes;
  MessageBoxDiagnostics diagnostics{boxes};
  PosixSystemInfo system;
  IcuCodePages codePages{AnsiCodePageFromEnvironment(system)};
  Platform platform;
};

}  // namespace kastrell
