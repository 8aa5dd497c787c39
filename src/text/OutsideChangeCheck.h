// The check that runs when the application becomes active: files changed or
// removed by other programs are offered for reload or for saving. One answer
// given with Shift held answers every later question of the same check.
#pragma once
#include "text/CMyEditDoc.h"
#include "text/DocumentEnvironment.h"
#include "text/DocumentSave.h"

namespace kastrell {

// Walks the documents in tab order (docs.Documents()). Does nothing while
// "Check Mofify" is off or while a check is already running (its questions
// can make the application active again).
void RunOutsideChangeCheck(DocumentSet& docs, DocumentEnvironment& env);

}  // namespace kastrell
