// The messages every file operation shows when it fails.
#pragma once
#include <new>
#include <string>

#include "platform/FileSystem.h"

namespace kastrell {

// "file operation failed", the path and the system's reason, with a stop icon.
void ReportFileError(const std::string& path, const FileError& error);
// The out-of-memory message, with a stop icon.
void ReportOutOfMemory();

// Runs f, an operation that reports its own failures; a std::bad_alloc from
// it shows the out-of-memory message and fails the operation instead of
// ending the program.
template <typename F>
bool ReportingShortage(F&& f) {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    ReportOutOfMemory();
    return false;
  }
}

}  // namespace kastrell
