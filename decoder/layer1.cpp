// Layer I: allocation, scalefactor and sample passes over 12 slots of 32 sub-bands.
#include <cstring>

#include "layer12.h"
#include "layer12_stream.h"
#include "layer12_tables.h"
#include "mp_bit_reader.h"

namespace {

constexpr int32_t kSlots = 12;
constexpr int32_t kSubbands = 32;
constexpr int32_t kRow = 64;

// ClassCode values: 0 none, 1..14 allocation a, 15 + a the first entry of a joint pair.
constexpr int32_t kJointBase = 15;
constexpr int32_t kEndCode = 30;
constexpr int32_t kCutCode = 31;
constexpr uint32_t kForbiddenAllocation = 15;

int32_t Entries;       // 32 or 64
int32_t DecodedLimit;  // entries reconstructed
int32_t ClassCode[kMaxEntries + 2];
float ScaledFactor[kMaxEntries];

// Allocation pass; returns the sample bits per slot of the entries at or above DecodedLimit, or
// -1 for the forbidden allocation, which no frame may carry.
int32_t ReadAllocation(TMPBitReader& bits, int32_t bound, int32_t allocation[kMaxEntries]) {
  int32_t skip = 0;
  for (int32_t e = 0; e < Entries;) {
    const uint32_t a = GetBits(bits, 4);
    if (a == kForbiddenAllocation) return -1;
    if (e >= DecodedLimit) skip += a ? Layer1SampleBits[a] : 0;
    if (e < bound) {
      allocation[e] = static_cast<int32_t>(a);
      ClassCode[e] = static_cast<int32_t>(a);
      e += 1;
    } else {
      allocation[e] = allocation[e + 1] = static_cast<int32_t>(a);
      ClassCode[e] = ClassCode[e + 1] = kJointBase + static_cast<int32_t>(a);
      e += 2;
    }
  }
  ClassCode[DecodedLimit] = kCutCode;
  ClassCode[Entries] = kEndCode;
  return skip;
}

void ReadScalefactors(TMPBitReader& bits, const int32_t allocation[kMaxEntries]) {
  for (int32_t e = 0; e < Entries; ++e) {
    const int32_t a = allocation[e];
    if (a) ScaledFactor[e] = ScalefactorTable[GetBits(bits, 6)] * Layer1Factor[a];
  }
}

inline float ReadSample(TMPBitReader& bits, int32_t a) {
  const int32_t v = static_cast<int32_t>(GetBits(bits, a + 1));
  return static_cast<float>(v - ((1 << a) - 1));
}

void ReadSamples(TMPBitReader& bits, int32_t skip) {
  for (int32_t slot = 0; slot < kSlots; ++slot) {
    float* row = SubbandSamples + slot * kRow;
    for (int32_t e = 0;;) {
      const int32_t code = ClassCode[e];
      if (code == 0) {
        row[e++] = 0.0f;
      } else if (code < kJointBase) {
        row[e] = ReadSample(bits, code) * ScaledFactor[e];
        ++e;
      } else if (code < kEndCode) {
        const int32_t a = code - kJointBase;
        const float v = a ? ReadSample(bits, a) : 0.0f;
        row[e] = v * ScaledFactor[e];
        row[e + 1] = v * ScaledFactor[e + 1];
        e += 2;
      } else {
        if (code == kCutCode) SkipBits(bits, skip);
        break;
      }
    }
  }
}

}  // namespace

int32_t Layer1Open(const TMPFrameHeader& header, int32_t frameLength, int32_t downShift,
                   uint8_t outputFlags, int32_t cutoffHz, TMPOutputFormat& format) {
  // A reserved sampling index has no rate to play at.
  if (header.Layer != 3 || header.SamplingIndex == 3) return 0;
  BuildLayer1Tables();
  if (!OpenLayer12Stream(header, frameLength, downShift, outputFlags, cutoffHz, kSubbands, 384, format)) {
    return 0;
  }
  Entries = kSubbands * Layer12.Channels;
  DecodedLimit = Layer12.CutoffLimit;
  std::memset(SubbandSamples, 0, kSlots * kRow * sizeof(float));
  ResetSynthesis();
  return 1;
}

TMPDecodeResult DecodeLayer1Frame(const uint8_t* frame, int32_t available, void* pcm) {
  TLayer12Frame info;
  if (!BeginLayer12Frame(frame, available, info)) return {0, 0};
  int32_t allocation[kMaxEntries] = {};
  // A local copy of the reader stays in registers through the passes.
  TMPBitReader bits = FrameBits;
  const int32_t skip = ReadAllocation(bits, info.Bound, allocation);
  FrameBits = bits;
  if (skip < 0) return {0, 0};
  ReadScalefactors(bits, allocation);
  ReadSamples(bits, skip);
  FrameBits = bits;
  Layer12.OutputSlot(SubbandSamples, static_cast<int16_t*>(pcm), kSlots);
  return {info.BytesConsumed, Layer12.BytesProduced};
}
