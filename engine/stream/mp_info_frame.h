// The Xing/Info or VBRI frame an encoder puts in front of the audio: frame and byte counts,
// the table of contents and the LAME tag's encoder delay and padding, peak and gains.
#pragma once

#include <array>
#include <cstdint>

#include "decoder/mp_frame_header.h"
#include "stream/mp3_info_gain.h"

struct TMPInfoFrame {
  enum class TKind { None, Xing, Vbri };
  TKind Kind = TKind::None;
  int64_t Frames = -1;  // audio frames after it; -1 when not given
  int64_t Bytes = -1;   // audio bytes, this frame included; -1 when not given
  bool HasToc = false;
  std::array<uint8_t, 100> Toc{};  // byte position of each percent of the time, in 256ths
  // Samples the encoder put in front of the audio and behind it (LAME tag); -1 without one.
  int32_t EncoderDelay = -1;
  int32_t EncoderPadding = -1;
  bool HasGapless() const { return EncoderDelay >= 0 && EncoderPadding >= 0; }
  // The LAME tag's ReplayGain (radio gain as the track's, audiophile gain as the album's).
  TMP3ReplayGain Gains;
};

// Reads the information frame at frame[0..available), a frame of frameSize bytes whose header
// is `header`. Kind None when the frame is ordinary audio.
TMPInfoFrame ParseInfoFrame(const TMPFrameHeader& header, const uint8_t* frame, int32_t frameSize,
                            int32_t available);
