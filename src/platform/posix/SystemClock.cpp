#include "platform/posix/SystemClock.h"

#include <time.h>

namespace kastrell {

LocalTime SystemClock::Now() {
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  tm t;
  localtime_r(&ts.tv_sec, &t);
  LocalTime lt;
  lt.year = t.tm_year + 1900;
  lt.month = t.tm_mon + 1;
  lt.day = t.tm_mday;
  lt.hour = t.tm_hour;
  lt.minute = t.tm_min;
  lt.second = t.tm_sec;
  lt.millisecond = int(ts.tv_nsec / 1000000);
  lt.dayOfWeek = t.tm_wday;
  return lt;
}

std::int64_t SystemClock::MonotonicMs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return std::int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace kastrell
