#include "timed_lines.h"

#include <time.h>

#include <cstdio>

void TTimedLines::Line(std::string_view text) {
  if (timestamps_) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "[%lld.%06ld] ", static_cast<long long>(now.tv_sec),
                  now.tv_nsec / 1000);
    out_ << stamp;
  }
  out_ << text << std::endl;
}
