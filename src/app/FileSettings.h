// The "Files" settings of loading and saving, read from the main settings file.
#pragma once
#include "text/DocumentHooks.h"
#include "text/FileLoader.h"
#include "text/FileWriter.h"

namespace kastrell {

struct IniBuffer;

// Reads the keys with one open of the main settings file (AppDirectories()).
// A missing file or key gives the default.
LoadSettings ReadLoadSettings();
SaveSettings ReadSaveSettings();
DocumentSettings ReadDocumentSettings();
// The same, from a buffer already open.
LoadSettings ReadLoadSettings(const IniBuffer* ini);
SaveSettings ReadSaveSettings(const IniBuffer* ini);
DocumentSettings ReadDocumentSettings(const IniBuffer* ini);

}  // namespace kastrell
