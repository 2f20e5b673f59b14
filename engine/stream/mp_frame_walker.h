// The walk over the MPEG audio of a stream: open it behind its tags, find and check the
// first frame, pass over a Xing/Info or VBRI frame, then hand out frames one at a time,
// skipping junk byte by byte up to a limit. Used by the player's decoding thread and by
// tools that decode without a player.
#pragma once

#include <cstdint>

#include "decoder/mp_frame_header.h"
#include "stream/mp_info_frame.h"

class TMPStreamReader;
class TMP3Info;

struct TMPFrameWalkOptions {
  // Confirm free-format frame lengths from the bytes that follow (the player does not).
  bool FreeFormat = false;
};

class TMPFrameWalker {
 public:
  static constexpr int32_t kJunkLimit = 4096;    // bytes skipped between frames at most
  static constexpr int32_t kFirstSearch = 4096;  // bytes made available for the first frame
  static constexpr int32_t kAfterSkip = 1441;    // bytes made available after skipping to it

  enum class TStep { Frame, Skipped, Ended };

  TMPFrameWalker(TMPStreamReader& reader, TMP3Info& info);

  // Reads the tags through info, finds and checks the first frame and leaves the reader on
  // it with the whole frame available. Raises "unknown MPEG Audio format.".
  void Open(const TMPFrameWalkOptions& options = {});
  // Passes over the first frame when it is a Xing/Info or VBRI frame, taking the audio
  // length from it. Raises "unknown MPEG Audio format." when it cannot be skipped.
  void PassInfoFrame();
  // What PassInfoFrame found (Kind None when the first frame is audio).
  const TMPInfoFrame& InfoFrame() const { return infoFrame_; }

  // The first frame after Open.
  const TMPFrameHeader& FirstFrameHeader() const { return firstHeader_; }
  const uint8_t* FirstHeaderBytes() const { return firstBytes_; }
  int32_t Layer() const { return layer_; }
  int32_t Version() const { return version_; }

  int64_t AudioStart() const { return audioStart_; }
  int64_t AudioLength() const { return audioLength_; }
  int32_t FrameSize() const { return frameSize_; }
  int32_t SkipCount() const { return skipCount_; }
  // Free format: the frame length without padding once confirmed; else 0.
  int32_t FreeLength() const { return freeLength_; }

  // Decode loop, one call per step.
  bool Exhausted() const;
  // Parses the header at the reader position unless it is parsed already. Frame: header
  // holds it and FrameSize its size; Skipped: a byte of junk was passed over; Ended: the
  // data ends here.
  TStep ParseNext(TMPFrameHeader& header);
  // Passes over one byte of junk; ends the data once the junk limit is reached.
  void SkipByte();
  // Makes the whole frame available; false (and the data ended) when the stream ends first.
  bool EnsureFrame();
  const uint8_t* FrameData() const;
  void ConsumeFrame();
  // The audio ends at the reader position.
  void EndDataHere();
  // Back to the first frame (seekable streams), nothing parsed.
  void Rewind();
  // To the frame that starts at offset (seekable streams), nothing parsed.
  void SeekTo(int64_t offset);
  // Walks as `other` does (its first frame, audio bounds and free-format length), on this
  // walker's own reader of the same stream.
  void FollowFrom(const TMPFrameWalker& other);

  // For tools: the next whole frame, skipping junk; false at the end of the audio.
  bool NextFrame(TMPFrameHeader& header);

 private:
  int32_t HeaderParse(TMPFrameHeader& header);
  int32_t FindFirstFrame(const uint8_t* bytes, int32_t n, bool wholeAudio);

  TMPStreamReader& reader_;
  TMP3Info& info_;
  TMPFrameWalkOptions options_;
  TMPFrameHeader firstHeader_{};
  uint8_t firstBytes_[4] = {};
  int32_t layer_ = 0;
  int32_t version_ = 0;
  int64_t audioStart_ = 0;
  int64_t audioLength_ = 0;
  int32_t frameSize_ = 0;
  int32_t skipCount_ = 0;
  int32_t freeLength_ = 0;  // free-format frame length once confirmed
  TMPInfoFrame infoFrame_;
};
