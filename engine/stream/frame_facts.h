// What a frame header says about its stream, in the player's terms, and the checks that
// decide where the first real frame of a stream is.
#pragma once

#include <cstdint>

#include "decoder/mp_frame_header.h"

// Layer 1, 2 or 3 (0 for the reserved code).
int32_t LayerNumber(const TMPFrameHeader& header);
// 1 = MPEG-1, 2 = MPEG-2, 3 = MPEG-2.5; 0 when the combination is reserved.
int32_t VersionNumber(const TMPFrameHeader& header);
// Sampling rate of the stream in Hz (MPEG-2.5 rates are half the MPEG-2 ones).
int32_t StreamSampleRate(const TMPFrameHeader& header);
int32_t StreamChannels(const TMPFrameHeader& header);

// Padding slot bytes of this header when its padding bit is set, else 0.
int32_t PaddingBytes(const TMPFrameHeader& header);

// True when there is a sync pair (FF Fx or FF Ex) at bytes[0..1].
bool IsSyncPair(const uint8_t* bytes);

// False when the frame of frameSize bytes at bytes[at] is followed, within the n bytes at
// hand, by something other than frame headers of the same format (up to three are looked
// at); true when it is, or when the next header lies beyond the bytes at hand. A lone false sync in front of
// the audio is told from the real first frame this way.
bool FollowedByMatchingFrame(const uint8_t* bytes, int32_t n, int32_t at, int32_t frameSize);
