#include "platform/headless/HeadlessPlatform.h"

namespace kastrell {

HeadlessPlatform::HeadlessPlatform()
    : platform{&files, &codePages, &clock, &boxes, &diagnostics, &system}, previous_(SetPlatform(&platform)) {}

HeadlessPlatform::~HeadlessPlatform() { SetPlatform(previous_); }

}  // namespace kastrell
