// The one exception type of the engine, and the fixed texts it carries.
#pragma once

#include <stdexcept>
#include <string>

class EMP3Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr const char* kUnknownFormatText = "unknown MPEG Audio format.";
inline constexpr const char* kAssertionFailureText = "Assertion failure";

// Raises "Assertion failure": a broken internal invariant or a caller breaking a contract.
[[noreturn]] void RaiseAssertionFailure();

inline void MPAssert(bool condition) {
  if (!condition) RaiseAssertionFailure();
}

// Raises "unknown MPEG Audio format.".
[[noreturn]] void RaiseUnknownFormat();
