// Layer I: allocation, scalefactor and sample passes over 12 slots of 32 sub-bands.
#include <cstring>

#include "decoder_state.h"
#include "layer12.h"
#include "layer12_stream.h"
#include "layer12_tables.h"
#include "mp_bit_reader.h"

namespace {

constexpr int32_t kSlots = 12;
constexpr int32_t kSubbands = 32;
constexpr int32_t kRow = 64;

// Entry codes: 0 none, 1..14 allocation a, 15 + a the first entry of a joint pair.
constexpr int32_t kJointBase = 15;
constexpr int32_t kEndCode = 30;
constexpr int32_t kCutCode = 31;
constexpr uint32_t kForbiddenAllocation = 15;

// What the passes of one frame share.
struct TLayer1Passes {
  int32_t Entries;       // 32 or 64
  int32_t DecodedLimit;  // entries reconstructed
  int32_t Allocation[kMaxEntries];
  // Side by side, so that the sample pass walks one array.
  struct {
    int32_t Code;
    float Factor;
  } Entry[kMaxEntries + 2];
};

// Allocation pass; returns the sample bits per slot of the entries at or above DecodedLimit, or
// -1 for the forbidden allocation, which no frame may carry.
int32_t ReadAllocation(TMPBitReader& bits, int32_t bound, TLayer1Passes& p) {
  int32_t* allocation = p.Allocation;
  // Locals: the stores below could otherwise alias them.
  const int32_t entries = p.Entries;
  const int32_t limit = p.DecodedLimit;
  int32_t skip = 0;
  for (int32_t e = 0; e < entries;) {
    const uint32_t a = GetBits(bits, 4);
    if (a == kForbiddenAllocation) return -1;
    if (e >= limit) skip += a ? Layer1SampleBits[a] : 0;
    if (e < bound) {
      allocation[e] = static_cast<int32_t>(a);
      p.Entry[e].Code = static_cast<int32_t>(a);
      e += 1;
    } else {
      allocation[e] = allocation[e + 1] = static_cast<int32_t>(a);
      // A pair without allocation is two silent entries: it has no scalefactors.
      p.Entry[e].Code = p.Entry[e + 1].Code = a ? kJointBase + static_cast<int32_t>(a) : 0;
      e += 2;
    }
  }
  p.Entry[limit].Code = kCutCode;
  p.Entry[entries].Code = kEndCode;
  return skip;
}

void ReadScalefactors(TMPBitReader& bits, TLayer1Passes& p) {
  for (int32_t e = 0; e < p.Entries; ++e) {
    const int32_t a = p.Allocation[e];
    if (a) p.Entry[e].Factor = ScalefactorTable[GetBits(bits, 6)] * Layer1Factor[a];
  }
}

// One read of the sample pass: At bits into every slot's data, the sample's bits, the offset
// that centres it, and the entry (a joint pair: both entries of the sub-band) it scales into.
struct TLayer1Read {
  int32_t At;
  int32_t Bits;
  int32_t Offset;
  int32_t Entry;
  float Factor[2];
};

// The 12 slots of the reads of one kind, each read's slots in turn.
template <bool Pair>
void ReadEntries(const TSampleBits& data, const TLayer1Read* reads, int32_t count, int32_t slotBits,
                 float* samples) {
  for (int32_t i = 0; i < count; ++i) {
    const TLayer1Read& r = reads[i];
    float* col = samples + r.Entry;
    int32_t at = r.At;
    for (int32_t slot = 0; slot < kSlots; ++slot, at += slotBits, col += kRow) {
      const float v = static_cast<float>(static_cast<int32_t>(SampleField(data, at, r.Bits)) - r.Offset);
      col[0] = v * r.Factor[0];
      if constexpr (Pair) col[1] = v * r.Factor[1];
    }
  }
}

// The entry codes walked once per frame into the reads of every slot ([pair]) and its silent
// entries, then the reads at their fixed places.
void ReadSamples(TMPBitReader& bits, int32_t skip, const TLayer1Passes& p, TLayer12Stream& stream) {
  TLayer1Read reads[2][kMaxEntries];
  int32_t counts[2] = {0, 0};
  int32_t silent[kMaxEntries];
  int32_t silentCount = 0;
  int32_t slotBits = 0;
  uint64_t written = 0;
  int32_t code;
  for (int32_t e = 0;;) {
    code = p.Entry[e].Code;
    if (code == 0) {
      silent[silentCount++] = e++;
    } else if (code < kEndCode) {
      const bool pair = code >= kJointBase;
      const int32_t a = pair ? code - kJointBase : code;
      const float second = pair ? p.Entry[e + 1].Factor : 0.0f;
      reads[pair][counts[pair]++] = {slotBits, a + 1, (1 << a) - 1, e, {p.Entry[e].Factor, second}};
      slotBits += a + 1;
      written |= uint64_t{pair ? 3u : 1u} << e;
      e += pair ? 2 : 1;
    } else {
      break;
    }
  }
  if (code == kCutCode) slotBits += skip;
  TSampleBits data;
  OpenSampleBits(bits, kSlots * slotBits, data);
  ClearSilentEntries(stream, silent, silentCount, written, kSlots);
  ReadEntries<false>(data, reads[0], counts[0], slotBits, stream.SubbandSamples);
  ReadEntries<true>(data, reads[1], counts[1], slotBits, stream.SubbandSamples);
}

}  // namespace

int32_t Layer1Open(TMPDecoderState& state, const TMPFrameHeader& header, int32_t frameLength,
                   int32_t downShift, uint8_t outputFlags, int32_t cutoffHz, TMPOutputFormat& format) {
  TLayer12Stream& stream = state.Layer12;
  // A reserved sampling index has no rate to play at.
  if (header.Layer != 3 || header.SamplingIndex == 3) return 0;
  if (!OpenLayer12Stream(stream, header, frameLength, downShift, outputFlags, cutoffHz, kSubbands, 384,
                         format)) {
    return 0;
  }
  stream.Entries = kSubbands * stream.Channels;
  stream.DecodedLimit = stream.CutoffLimit;
  std::memset(stream.SubbandSamples, 0, kSlots * kRow * sizeof(float));
  stream.ZeroEntries = ~uint64_t{0};
  ResetSynthesis(state.Synthesis);
  return 1;
}

TMPDecodeResult DecodeLayer1Frame(TMPDecoderState& state, const uint8_t* frame, int32_t available,
                                  void* pcm) {
  TLayer12Stream& stream = state.Layer12;
  TLayer12Frame info;
  if (!BeginLayer12Frame(stream, frame, available, info)) return {0, 0};
  TLayer1Passes passes;
  passes.Entries = stream.Entries;
  passes.DecodedLimit = stream.DecodedLimit;
  // A local copy of the reader stays in registers through the passes.
  TMPBitReader bits = stream.FrameBits;
  const int32_t skip = ReadAllocation(bits, info.Bound, passes);
  stream.FrameBits = bits;
  if (skip < 0) return {0, 0};
  ReadScalefactors(bits, passes);
  ReadSamples(bits, skip, passes, stream);
  stream.FrameBits = bits;
  stream.OutputSlot(state.Synthesis, stream.SubbandSamples, static_cast<int16_t*>(pcm), kSlots);
  return {info.BytesConsumed, stream.BytesProduced};
}
