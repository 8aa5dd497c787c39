// What the last edit changed, read by the views and the highlighting scanner.
#pragma once
#include "text/TextPos.h"

namespace kastrell {

struct ChangeReport {
  TextPos first;       // first changed position
  TextPos end;         // end of the changed text
  TextPos repaintEnd;  // where repainting may stop; line -1 means to the end of the document
};

}  // namespace kastrell
