#include "platform/Busy.h"

namespace kastrell {

namespace {
int g_depth = 0;  // the user-interface thread only
}

bool ModalOperationInProgress() { return g_depth > 0; }
ScopedModalOperation::ScopedModalOperation() { ++g_depth; }
ScopedModalOperation::~ScopedModalOperation() { --g_depth; }

}  // namespace kastrell
