#include "platform/posix/PosixPlatform.h"

namespace kastrell {

PosixPlatform::PosixPlatform() : platform{&files, nullptr, &clock, &boxes, &diagnostics, &system} {}

}  // namespace kastrell
