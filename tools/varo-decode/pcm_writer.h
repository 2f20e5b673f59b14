// Writes 16-bit PCM as a WAV file or as raw little-endian samples, to a file or to standard
// output ("-"). Errors are reported by throwing TOutputError with a one-line message.
#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

struct TOutputError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class TPcmWriter {
 public:
  // `dataBytes` is the exact number of PCM bytes that will follow (the WAV header needs it;
  // Close checks it). Raw output takes any number.
  TPcmWriter(const std::string& path, bool wav, int32_t channels, int32_t sampleRate, uint64_t dataBytes);
  ~TPcmWriter();
  TPcmWriter(const TPcmWriter&) = delete;
  TPcmWriter& operator=(const TPcmWriter&) = delete;

  // Room for `count` more samples, to be filled and then handed over by Commit: decoding straight
  // into the output piece spares a copy of every sample.
  int16_t* SampleRoom(size_t count);
  void Commit(size_t count);
  void Close();  // flushes; errors surface here at the latest

 private:
  void Put(const void* bytes, size_t size);
  uint8_t* Room(size_t bytes);
  void Drain();  // hands the pending bytes to the file
  std::string path_;
  bool wav_;
  uint64_t declaredBytes_;
  uint64_t writtenBytes_ = 0;
  FILE* file_ = nullptr;
  bool ownsFile_ = false;
  // Written in large pieces: stdio's own buffer is one page, and a system call per page cost
  // several per cent of the decoding time.
  std::vector<uint8_t> pending_;
  size_t used_ = 0;
};
