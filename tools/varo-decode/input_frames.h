// The frames of an input exactly as the player finds them: the engine's reader, tag reader
// and frame walk (tags, first-frame search, information frame, junk limit), with free-format
// frames confirmed from the bytes that follow them, which the player does not do.
#pragma once

#include <cstdint>

#include "stream/mp3_info.h"
#include "stream/mp_frame_walker.h"
#include "stream/mp_stream_reader.h"

enum class TWalkEnd {
  EndOfData,  // the audio data is used up
  JunkLimit,  // more junk than the walk passes over: the rest is not used
  Truncated,  // the last frame is cut off by the end of the stream
};

class TInputFrames {
 public:
  // Walks the seekable stream from its start: reads the tags and finds and checks the first
  // frame, which is then in view. Raises "unknown MPEG Audio format." when there is none.
  explicit TInputFrames(TMPStream& stream);

  // The first frame (an information frame, if there is one).
  const TMPFrameHeader& FirstHeader() const { return walker_.FirstFrameHeader(); }
  int32_t Layer() const { return walker_.Layer(); }      // 1, 2 or 3
  int32_t Version() const { return walker_.Version(); }  // 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5
  // Until PassInfoFrame: the first frame's length without its padding slot, as the decoder
  // is opened with it, and its bit rate in bit/s (free format included).
  int32_t FirstLength() const;
  int32_t FirstBitrate();

  // Passes over a Xing/Info or VBRI frame first in the stream, as the player does once the
  // decoder is open. Raises "unknown MPEG Audio format." when it cannot be skipped.
  void PassInfoFrame() { walker_.PassInfoFrame(); }

  // The next whole frame, junk passed over; false at the end of the audio.
  bool Next(TMPFrameHeader& header) { return walker_.NextFrame(header); }
  const uint8_t* FrameData() const { return walker_.FrameData(); }
  int32_t FrameSize() const { return walker_.FrameSize(); }  // padding slot included
  void Consume() { walker_.ConsumeFrame(); }

  // Once Next has returned false: why the walk ended, and where in the stream.
  TWalkEnd End() const;
  int64_t EndOffset() const { return reader_.Position(); }

 private:
  TMPStreamReader reader_;
  TMP3Info info_;
  TMPFrameWalker walker_;
};
