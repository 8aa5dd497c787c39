#include "platform/posix/PosixPlatform.h"

namespace kastrell {

PosixPlatform::PosixPlatform() : platform{&files, &codePages, &clock, &boxes, &diagnostics, &system} {}

}  // namespace kastrell
