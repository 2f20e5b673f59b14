// Where frame n of a constant-bit-rate stream starts, worked out from its rate and confirmed by
// the headers found there, so that a seek far into a long stream need not walk up to it.
#pragma once

#include <cstdint>
#include <vector>

#include "stream/mp_stream.h"

class TMPConstantRate {
 public:
  struct TStreamFacts {
    int64_t First = 0;        // offset of the first audio frame
    int64_t End = 0;          // where the audio ends
    int64_t DataEnd = 0;      // where the file's data ends in front of its trailing tags
    int64_t InfoFrames = -1;  // audio frames the information frame counts; -1 without one
    int32_t FreeLength = 0;   // free format: frame length without padding; else 0
  };

  void Clear() { state_ = TState::Unknown; }
  bool Constant() const { return state_ == TState::Constant; }
  // Decides once per stream whether its frames follow one another at one rate with nothing
  // between them: the first frame's rate must put a chain of frames at a few spread places
  // and at the end of the audio, and agree with the information frame's count.
  bool Check(TMPStream& stream, const TStreamFacts& facts);
  // Offset of frame n, where a chain of headers stands just where the rate puts them; -1 when
  // it does not (or stands more than once within the slack), or frame n is not whole.
  int64_t Locate(TMPStream& stream, int64_t n);
  // Frame n may start at offset.
  bool Expected(int64_t n, int64_t offset) const;

 private:
  enum class TState { Unknown, Constant, Varied };
  struct TChain {
    int32_t Frames;  // -1: a header missing or out of place
    int64_t End;     // behind the last frame of the chain
  };
  bool Agrees(TMPStream& stream, int64_t frames);
  TChain ChainAt(int64_t n, int64_t offset) const;
  int64_t Predicted(int64_t n) const { return first_ + n * num_ / den_; }
  void ReadAt(TMPStream& stream, int64_t offset, int64_t count);

  TState state_ = TState::Unknown;
  uint8_t header_[4] = {};
  int32_t slot_ = 1;
  int32_t base_ = 0;           // frame length without padding
  int64_t num_ = 0, den_ = 1;  // bytes per frame, num_ / den_
  int64_t first_ = 0, end_ = 0;
  std::vector<uint8_t> bytes_;  // the stream's bytes from bytesAt_ on
  int64_t bytesAt_ = 0;
};
