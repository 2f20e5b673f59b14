// The Layer III part of a decoder state and its records.
#pragma once

#include <cstdint>
#include <cstring>

#include "decoder/mp3_decoder.h"
#include "mp_bit_reader.h"
#include "synthesis.h"

// Side information of one granule and channel.
struct TMPGranuleInfo {
  int32_t Part23Length;
  int32_t BigValues;
  int32_t GlobalGain;  // as coded, plus GainOffset, minus 2 with M/S: -6..255
  int32_t ScalefacCompress;
  int32_t WindowSwitching;
  int32_t BlockType;
  int32_t MixedBlock;  // with BlockType 2: long bands below; with any type: normal window below
  int32_t TableSelect[3];
  int32_t SubblockGain[3];
  int32_t Region0Count;
  int32_t Region1Count;
  int32_t Preflag;
  int32_t ScalefacScale;
  int32_t Count1TableSelect;
};

// Long bands 0..22, then short bands 0..12 of windows 0, 1, 2. Long 21, 22 and short 12 are never
// coded and stay 0. In intensity-stereo bands of the right channel they are intensity positions.
struct TMPScaleFactors {
  int32_t Long[23];
  int32_t Short[3][13];
};

// Where a requantised granule has nonzero values (written by SpectrumExtent).
struct TMPBandExtent {
  int32_t HasShort;          // the granule has a short part
  int32_t LastBand;          // long: last nonzero long band (-1 if none); else max LastShortBand
  int32_t FirstShortBand;    // 0 pure short, 3 mixed, 12 long
  int32_t LongBands;         // 22 long, MixedLongBands mixed, 0 pure short
  int32_t LastShortBand[3];  // per window; FirstShortBand - 1 if none
};

// MPEG-2/2.5 intensity stereo of the right channel.
struct TMPLsfIntensity {
  int32_t GroupBands[3];  // bands in each of the first three scalefactor groups
  int32_t GroupSlen[3];   // bit length of each group
  int32_t IntensityScale;
};

constexpr int32_t kGranuleLines = 576;
constexpr int32_t kReservoirBytes = 8192;
// Standard frames carry at most 1500 bytes of main data; compacting above this keeps room.
constexpr int32_t kReservoirCompactAbove = kReservoirBytes - 1500;
// The reader may run a few bytes past the data (they read as zero) before a part counts as
// broken; the slack keeps even those positions inside the array.
constexpr int32_t kReservoirSlack = 64;

struct TMPLayer3State;
using TChannelRoutine = void (*)(TMPLayer3State& st, TSynthesisState& synthesis, int16_t* output, int32_t gr);
using TFrameRoutine = TMPDecodeResult (*)(TMPLayer3State& st, TSynthesisState& synthesis,
                                          const uint8_t* frame, int32_t available, int16_t* output);

struct TMPLayer3State {
  // Stream settings (Layer3Open).
  int32_t SubbandLimit;
  int32_t LineLimit;
  int32_t LongLimit;
  int32_t ShortLimit;
  int32_t HybridBands;
  int32_t GainOffset;
  int32_t SilenceByte;
  int32_t MixedLongBands;
  int32_t MixedSubbands;  // sub-bands of a mixed block's long part (normal window)
  int32_t OutputBytes;
  int32_t GranuleOutputOffset;
  int32_t FrameLength;
  int32_t LongBoundary[23];
  int32_t ShortBoundary3[14];  // 3 x the short band boundaries: 0 .. 576
  int32_t LongWidth[22];
  int32_t ShortWidth[13];
  // Where coded line i of a pure short [0] and a mixed [1] block is stored: short bands with
  // their three windows interleaved line by line.
  int16_t ShortOrder[2][kGranuleLines];
  int32_t StreamId;  // Id and MPEG-2.5 flag of the opened stream: frames must match them
  int32_t StreamMpeg25;
  TGranuleOutput OutputRoutine;
  TChannelRoutine ChannelRoutine;
  TFrameRoutine FrameRoutine;
  const TDecoderForms* Forms = &PlainDecoderForms;  // the decoder state's (UseDecoderForms)

  // Per frame (side information).
  int32_t Id;
  int32_t SamplingIndex;
  int32_t Padding;
  int32_t Mode;
  int32_t ModeExtension;
  int32_t MsStereo;
  int32_t IntensityStereo;
  int32_t CodedChannels;
  int32_t CrcBytes;
  int32_t FrameBytes;
  int32_t MainDataBegin;
  int32_t PrivateBits;
  int32_t Scfsi[2];
  int32_t IsMpeg25;

  // Side information, then each granule-channel part of the main data.
  TMPBitReader MainDataBits;

  // Bit reservoir.
  uint8_t Reservoir[kReservoirBytes + kReservoirSlack];
  int32_t ReservoirFill;
  int32_t ReservoirStart;
  int32_t ReservoirBitPosition;  // next granule-channel part, in bits from Reservoir

  // Granules, [granule][channel].
  TMPGranuleInfo Granule[2][2];
  TMPScaleFactors ScaleFactors[2][2];
  TMPBandExtent Extent[2][2];
  int32_t LineCount[2][2];
  TMPLsfIntensity LsfIntensity;
  int32_t GranuleParity;

  // Per channel time slot t, sub-band s at 32t + s. Stereo output: channel 1 after channel 0,
  // and in two-granule frames granule 1 after granule 0 within each channel (Layer3OutStereoFrame).
  alignas(32) float GranuleSamples[4 * kGranuleLines];
  alignas(32) float Reorder[kGranuleLines];
  // [ch][gr], see Layer3Spectrum.
  alignas(64) float Spectrum[4 * kGranuleLines];
};

// Spectrum buffer [ch][gr]: the requantised spectrum as the Huffman decoder stores it, then
// that channel's overlap for the next granule.
inline float* Layer3Spectrum(TMPLayer3State& st, int32_t ch, int32_t gr) {
  return st.Spectrum + ch * 2 * kGranuleLines + gr * kGranuleLines;
}

// Spectrum values as their bits, for zero tests and moves without float arithmetic: every zero
// the decoder stores is +0.0, no bit set (factors are positive).
inline void PutSpectrumInt(float* p, int32_t v) { std::memcpy(p, &v, sizeof v); }
inline int32_t GetSpectrumInt(const float* p) {
  int32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
