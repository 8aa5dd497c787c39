// A complete platform for tests: real files on disk, everything else faked.
// Construct one per test; it installs itself as the current platform and
// restores the previous one when destroyed.
#pragma once
#include "platform/Platform.h"
#include "platform/headless/FakeCodePages.h"
#include "platform/headless/FakeMessageBoxes.h"
#include "platform/headless/FakeSystemInfo.h"
#include "platform/headless/ManualClock.h"
#include "platform/headless/RecordingDiagnostics.h"
#include "platform/posix/PosixFileSystem.h"

namespace kastrell {

class HeadlessPlatform {
 public:
  HeadlessPlatform();
  ~HeadlessPlatform();
  HeadlessPlatform(const HeadlessPlatform&) = delete;
  HeadlessPlatform& operator=(const HeadlessPlatform&) = delete;

  PosixFileSystem files;
  FakeCodePages codePages;
  ManualClock clock;
  FakeMessageBoxes boxes;
  RecordingDiagnostics diagnostics;
  FakeSystemInfo system;
  Platform platform;

 private:
  Platform* previous_;
};

}  // namespace kastrell
