// Whether a modal operation (a load, a save, a question) is in progress.
// Timer work such as automatic saving waits while it is.
#pragma once

namespace kastrell {

bool ModalOperationInProgress();

class ScopedModalOperation {
 public:
  ScopedModalOperation();
  ~ScopedModalOperation();
  ScopedModalOperation(const ScopedModalOperation&) = delete;
  ScopedModalOperation& operator=(const ScopedModalOperation&) = delete;
};

}  // namespace kastrell
