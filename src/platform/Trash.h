// Moving files to the desktop's trash, where the user can restore them.
#pragma once
#include <string>

#include "platform/FileSystem.h"

namespace kastrell {

class Trash {
 public:
  virtual ~Trash() = default;
  // Moves path into the trash. On failure the file is where it was.
  virtual FileError MoveToTrash(const std::string& path) = 0;
};

}  // namespace kastrell
