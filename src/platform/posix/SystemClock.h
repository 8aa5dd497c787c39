// The real clock.
#pragma once
#include "platform/Clock.h"

namespace kastrell {

class SystemClock final : public Clock {
 public:
  LocalTime Now() override;
  std::int64_t MonotonicMs() override;
};

}  // namespace kastrell
