// The start-up steps that come before the main window exists.
#pragma once

namespace kastrell {

// Points the per-user values at their file, resolves the install directory,
// chooses the interface language and then resolves the other directories, so
// that a message about a bad directory is already in the user's language.
// The platform must be installed.
void PrepareStart();

}  // namespace kastrell
