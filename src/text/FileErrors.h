// The messages every file operation shows when it fails.
#pragma once
#include <string>

#include "platform/FileSystem.h"

namespace kastrell {

// "file operation failed", the path and the system's reason, with a stop icon.
void ReportFileError(const std::string& path, const FileError& error);
// The out-of-memory message, with a stop icon.
void ReportOutOfMemory();

}  // namespace kastrell
