// Splits a fuzz input into the stream bytes and a short control trailer. The trailer sits at
// the end, so a real file is a usable input as it is (its last bytes then choose the
// options) and the seed script appends chosen trailers to the seed files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <iconv.h>

// The replay builds of a target also run its slow comparisons.
#ifdef VARO_FUZZ_REPLAY
constexpr bool kReplay = true;
#else
constexpr bool kReplay = false;
#endif

class TFuzzInput {
 public:
  TFuzzInput(const uint8_t* data, size_t size, size_t controlBytes)
      : data_(data),
        control_(size >= controlBytes ? data + size - controlBytes : nullptr),
        payloadSize_(size >= controlBytes ? size - controlBytes : 0),
        controlBytes_(controlBytes) {}

  // Control byte i of the trailer (in file order); 0 when the input is shorter than it.
  uint8_t Control(size_t i) const { return control_ != nullptr && i < controlBytes_ ? control_[i] : 0; }
  const uint8_t* Payload() const { return data_; }
  size_t PayloadSize() const { return payloadSize_; }

 private:
  const uint8_t* data_;
  const uint8_t* control_;
  size_t payloadSize_;
  size_t controlBytes_;
};

// Run before a failed check stops the process (the app targets remove their files).
inline void (*FuzzCleanup)() = nullptr;

// A broken promise of the code under test: report it and stop, so the fuzzer keeps the input.
[[noreturn]] inline void FuzzFailure(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  if (FuzzCleanup) FuzzCleanup();
  std::abort();
}

#define FUZZ_CHECK(condition)                  \
  do {                                         \
    if (!(condition)) FuzzFailure(#condition); \
  } while (0)

// glibc unloads its CP932 converter when the last descriptor on it closes, and the legacy
// text decoding opens one per text: one kept open for the process spares every input a
// load of the module (which took most of the time of a short playlist).
inline void KeepCp932ConverterLoaded() {
  static const iconv_t converter = iconv_open("UTF-8", "CP932");
  (void)converter;
}
