// Wall-clock and monotonic time.
#pragma once
#include <cstdint>

namespace kastrell {

struct LocalTime {
  int year = 1970, month = 1, day = 1;  // month 1-12
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  int dayOfWeek = 4;  // 0 = Sunday
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() = 0;
  // Milliseconds from an arbitrary start; never goes back.
  virtual std::int64_t MonotonicMs() = 0;
};

}  // namespace kastrell
