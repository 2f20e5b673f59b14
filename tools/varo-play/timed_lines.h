// varo-play's report lines, each optionally preceded by the monotonic clock in seconds
// ("[12.345678] "), the clock other programs read as CLOCK_MONOTONIC, so a caller can line
// the reports up with what it observed itself.
#pragma once

#include <ostream>
#include <string_view>

class TTimedLines {
 public:
  TTimedLines(std::ostream& out, bool timestamps) : out_(out), timestamps_(timestamps) {}

  // Writes one line (without its line end) and flushes it.
  void Line(std::string_view text);

 private:
  std::ostream& out_;
  bool timestamps_;
};
