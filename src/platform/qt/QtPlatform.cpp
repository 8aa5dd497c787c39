#include "platform/qt/QtPlatform.h"

namespace kastrell {

QtPlatform::QtPlatform() : platform{&files, nullptr, &clock, &boxes, &diagnostics, &system} {}

}  // namespace kastrell
