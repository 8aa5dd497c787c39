// The set of platform services the core runs on.
// The application (or a test) builds one and installs it with SetPlatform; the
// core reaches the services through CurrentPlatform().
#pragma once

namespace kastrell {

class FileSystem;
class CodePages;
class Clock;
class MessageBoxes;
class Diagnostics;
class SystemInfo;

struct Platform {
  FileSystem* files = nullptr;
  CodePages* codePages = nullptr;
  Clock* clock = nullptr;
  MessageBoxes* boxes = nullptr;
  Diagnostics* diagnostics = nullptr;
  SystemInfo* system = nullptr;
};

// The installed platform. Calling it before SetPlatform is a programming error
// and aborts with a message.
Platform& CurrentPlatform();
// Installs p (not owned) and returns the previous one.
Platform* SetPlatform(Platform* p);

// Installs a platform for a scope and restores the previous one afterwards.
class ScopedPlatform {
 public:
  explicit ScopedPlatform(Platform& p) : previous_(SetPlatform(&p)) {}
  ~ScopedPlatform() { SetPlatform(previous_); }
  ScopedPlatform(const ScopedPlatform&) = delete;
  ScopedPlatform& operator=(const ScopedPlatform&) = delete;

 private:
  Platform* previous_;
};

}  // namespace kastrell
