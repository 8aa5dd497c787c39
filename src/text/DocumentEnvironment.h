// Everything a document operation needs from outside: the settings, the load
// and save environments, the hooks of other subsystems and the file types.
#pragma once
#include <string>

#include "text/DocumentHooks.h"
#include "text/DocumentSave.h"
#include "text/FileLoader.h"

namespace kastrell {

struct DocumentEnvironment {
  DocumentSettings settings;
  LoadEnvironment load;
  SaveEnvironment save;            // its hooks are the document's own; set others here
  DocumentHooks* hooks = nullptr;  // null: no other subsystem
  FileTypeBinding* fileTypes = nullptr;
  bool reopeningWorkspace = false;  // the restore list is not consulted
  bool suppressCaret = false;       // a group of files is opening
  bool batchRunning = false;        // no restore entries while a batch closes documents
};

}  // namespace kastrell
