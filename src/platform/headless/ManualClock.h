// A clock that only moves when a test moves it.
#pragma once
#include "platform/Clock.h"

namespace kastrell {

class ManualClock final : public Clock {
 public:
  LocalTime Now() override { return now_; }
  std::int64_t MonotonicMs() override { return ms_; }
  void Set(const LocalTime& t) { now_ = t; }
  void Advance(std::int64_t ms) { ms_ += ms; }

 private:
  LocalTime now_{2026, 1, 2, 3, 4, 5, 6, 5};
  std::int64_t ms_ = 0;
};

}  // namespace kastrell
