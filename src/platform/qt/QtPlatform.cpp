#include "platform/qt/QtPlatform.h"

namespace kastrell {

QtPlatform::QtPlatform() : platform{&files, &codePages, &clock, &boxes, &diagnostics, &system} {}

}  // namespace kastrell
