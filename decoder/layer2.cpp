// Layer II: table-driven allocation (one ClassCode per entry), scfsi, scalefactors and the
// sample pass over 3 parts x 4 granules x 3 slots.
#include <algorithm>
#include <cstring>

#include "decoder_state.h"
#include "layer12.h"
#include "layer12_stream.h"
#include "layer12_tables.h"
#include "mp_bit_reader.h"
#include "tables/layer2_alloc_tables.h"

namespace {

constexpr int32_t kSlots = 36;
constexpr int32_t kRow = 64;

// ClassCode values: 0 none, 1..17 quantisation class, 18 + c the first entry of a joint pair.
constexpr int32_t kJointBase = 18;
constexpr int32_t kEndCode = 36;
constexpr int32_t kCutCode = 37;
constexpr int32_t kNoScalefactors = 4;  // scfsi of an entry without allocation

// What the passes of one frame share.
struct TLayer2Passes {
  int32_t Class[kMaxEntries];
  int32_t ClassCode[kMaxEntries + 2];
  int32_t Scfsi[kMaxEntries];
  float ScaledFactor[kMaxEntries][3];
};

void UseAllocTable(TLayer12Stream& stream, int32_t table) {
  TLayer2Layout& layout = stream.Layout;
  layout.Table = table;
  stream.Entries = 0;
  for (int32_t g = 0; g < 4; ++g) {
    const TLayer2AllocGroup& group = kLayer2AllocTables[table][g];
    layout.GroupEntries[g] = group.Subbands * stream.Channels;
    layout.GroupBits[g] = group.Bits;
    layout.GroupClass[g] = group.ClassOfCode;
    stream.Entries += layout.GroupEntries[g];
  }
  stream.DecodedLimit = std::min(stream.CutoffLimit, stream.Entries);
}

// Allocation pass; returns the sample bits per granule of the entries at or above DecodedLimit.
int32_t ReadAllocation(TMPBitReader& bits, int32_t bound, const TLayer12Stream& stream, TLayer2Passes& p) {
  const TLayer2Layout& layout = stream.Layout;
  int32_t* cls = p.Class;
  int32_t* classCode = p.ClassCode;
  int32_t skip = 0;
  int32_t e = 0;
  for (int32_t g = 0; g < 4; ++g) {
    const uint8_t* classOf = layout.GroupClass[g];
    const int32_t width = layout.GroupBits[g];
    for (const int32_t end = e + layout.GroupEntries[g]; e < end;) {
      const int32_t c = classOf[GetBits(bits, width)];
      if (e >= stream.DecodedLimit) skip += Layer2GranuleBits[c];
      if (e < bound) {
        cls[e] = c;
        classCode[e] = c;
        e += 1;
      } else {
        // One field for both channels of the sub-band; the pass handles the pair at its first entry
        // (a pair without allocation is two silent entries: it has no scalefactors).
        cls[e] = cls[e + 1] = c;
        classCode[e] = classCode[e + 1] = c ? kJointBase + c : 0;
        e += 2;
      }
    }
  }
  classCode[stream.DecodedLimit] = kCutCode;
  classCode[stream.Entries] = kEndCode;
  return skip;
}

void ReadScalefactors(TMPBitReader& bits, int32_t entries, TLayer2Passes& p) {
  for (int32_t e = 0; e < entries; ++e) {
    p.Scfsi[e] = p.Class[e] ? static_cast<int32_t>(GetBits(bits, 2)) : kNoScalefactors;
  }
  for (int32_t e = 0; e < entries; ++e) {
    const int32_t scfsi = p.Scfsi[e];
    if (scfsi == kNoScalefactors) continue;
    const float factor = Layer2ClassFactor[p.Class[e]];
    auto next = [factor, &bits] { return ScalefactorTable[GetBits(bits, 6)] * factor; };
    float* sf = p.ScaledFactor[e];
    switch (scfsi) {
      case 0:
        sf[0] = next();
        sf[1] = next();
        sf[2] = next();
        break;
      case 1:
        sf[0] = sf[1] = next();
        sf[2] = next();
        break;
      case 2:
        sf[0] = sf[1] = sf[2] = next();
        break;
      default:
        sf[0] = next();
        sf[1] = sf[2] = next();
        break;
    }
  }
}

// How the three values of a granule of each class are read.
struct TClassReading {
  int32_t Bits;         // bits per code word
  float Midpoint;       // (L - 1) / 2 of ungrouped classes
  const float* Digits;  // grouped classes: three centred digits per code word
};
TClassReading ClassReading[18];

}  // namespace

void BuildLayer2ClassReading() {
  for (int32_t c = 1; c < 18; ++c) {
    ClassReading[c] = {kLayer2ClassCodeBits[c], Layer2ClassMidpoint[c], nullptr};
  }
  ClassReading[1].Digits = Degroup3[0];
  ClassReading[2].Digits = Degroup5[0];
  ClassReading[4].Digits = Degroup9[0];
}

namespace {

// One read of the sample pass: a granule's three values of one entry (a joint pair: both entries
// of the sub-band), Offset bits into every granule's data.
struct TLayer2Read {
  int32_t Offset;
  int32_t Bits;         // bits per code word
  float Midpoint;       // ungrouped classes
  const float* Digits;  // grouped classes
  int32_t Entry;
  const float* Factors[2];  // the entries' scaled factors by part
};

// The entry codes walked once per frame into the reads of every granule, sorted by kind
// ([grouped][pair]) so that each kind's loop has no branch per read, and the silent entries.
struct TLayer2Reads {
  TLayer2Read Read[2][2][kMaxEntries];
  int32_t Count[2][2] = {};
  int32_t Silent[kMaxEntries];
  int32_t SilentCount = 0;
  uint64_t ReadEntries = 0;  // bit e: entry e is written
  int32_t GranuleBits = 0;   // the entries past the cut included
};

void PlanReads(const TLayer2Passes& p, int32_t skip, TLayer2Reads& plan) {
  for (int32_t e = 0;;) {
    const int32_t code = p.ClassCode[e];
    if (code == 0) {
      plan.Silent[plan.SilentCount++] = e++;
    } else if (code < kEndCode) {
      const bool pair = code >= kJointBase;
      const int32_t c = pair ? code - kJointBase : code;
      const TClassReading& reading = ClassReading[c];
      const bool grouped = reading.Digits != nullptr;
      plan.Read[grouped][pair][plan.Count[grouped][pair]++] = {
          plan.GranuleBits,
          reading.Bits,
          reading.Midpoint,
          reading.Digits,
          e,
          {p.ScaledFactor[e], p.ScaledFactor[pair ? e + 1 : e]}};
      plan.GranuleBits += Layer2GranuleBits[c];
      plan.ReadEntries |= uint64_t{pair ? 3u : 1u} << e;
      e += pair ? 2 : 1;
    } else {
      if (code == kCutCode) plan.GranuleBits += skip;
      return;
    }
  }
}

// All 12 granules of the reads of one kind, each read's granules in turn: the three values of
// granule g go to rows 3g .. 3g + 2.
template <bool Grouped, bool Pair>
void ReadEntries(const TSampleBits& data, const TLayer2Reads& plan, float* samples) {
  const int32_t stride = plan.GranuleBits;
  const TLayer2Read* reads = plan.Read[Grouped][Pair];
  for (int32_t i = 0; i < plan.Count[Grouped][Pair]; ++i) {
    const TLayer2Read& r = reads[i];
    const int32_t n = r.Bits;
    float* col = samples + r.Entry;
    int32_t at = r.Offset;
    for (int32_t part = 0; part < 3; ++part) {
      const float sf0 = r.Factors[0][part];
      const float sf1 = Pair ? r.Factors[1][part] : 0.0f;
#pragma GCC unroll 4
      for (int32_t granule = 0; granule < 4; ++granule, at += stride, col += 3 * kRow) {
        float v0, v1, v2;
        if constexpr (Grouped) {
          const float* digits = r.Digits + 3 * SampleField(data, at, n);
          v0 = digits[0];
          v1 = digits[1];
          v2 = digits[2];
        } else {
          const uint64_t all = SampleField(data, at, 3 * n);
          const uint64_t mask = (uint64_t{1} << n) - 1;
          v0 = static_cast<float>(static_cast<uint32_t>(all >> (2 * n))) - r.Midpoint;
          v1 = static_cast<float>(static_cast<uint32_t>((all >> n) & mask)) - r.Midpoint;
          v2 = static_cast<float>(static_cast<uint32_t>(all & mask)) - r.Midpoint;
        }
        col[0] = v0 * sf0;
        col[kRow] = v1 * sf0;
        col[2 * kRow] = v2 * sf0;
        if constexpr (Pair) {
          col[1] = v0 * sf1;
          col[kRow + 1] = v1 * sf1;
          col[2 * kRow + 1] = v2 * sf1;
        }
      }
    }
  }
}

// The 36 rows of a frame from its sample data.
void ReadSamples(TMPBitReader& bits, const TLayer2Reads& plan, TLayer12Stream& stream) {
  float* samples = stream.SubbandSamples;
  TSampleBits data;
  OpenSampleBits(bits, 12 * plan.GranuleBits, data);
  ClearSilentEntries(stream, plan.Silent, plan.SilentCount, plan.ReadEntries, kSlots);
  ReadEntries<false, false>(data, plan, samples);
  ReadEntries<false, true>(data, plan, samples);
  ReadEntries<true, false>(data, plan, samples);
  ReadEntries<true, true>(data, plan, samples);
}

}  // namespace

int32_t Layer2Open(TMPDecoderState& state, const TMPFrameHeader& header, int32_t frameLength,
                   int32_t downShift, uint8_t outputFlags, int32_t cutoffHz, TMPOutputFormat& format) {
  TLayer12Stream& stream = state.Layer12;
  if (header.Layer != 2 || header.SamplingIndex == 3) return 0;
  const int32_t table =
      ChooseLayer2AllocTable(header.Id, header.Mode, header.SamplingIndex, header.BitrateIndex);
  if (table < 0) return 0;
  const int32_t subbands = [table] {
    int32_t n = 0;
    for (const TLayer2AllocGroup& group : kLayer2AllocTables[table]) n += group.Subbands;
    return n;
  }();
  if (!OpenLayer12Stream(stream, header, frameLength, downShift, outputFlags, cutoffHz, subbands, 1152,
                         format)) {
    return 0;
  }
  stream.OpenId = header.Id;
  stream.OpenMode = header.Mode;
  stream.OpenSamplingIndex = header.SamplingIndex;
  UseAllocTable(stream, table);
  std::memset(stream.SubbandSamples, 0, kSlots * kRow * sizeof(float));
  stream.ZeroEntries = ~uint64_t{0};
  ResetSynthesis(state.Synthesis);
  return 1;
}

TMPDecodeResult DecodeLayer2Frame(TMPDecoderState& state, const uint8_t* frame, int32_t available,
                                  void* pcm) {
  TLayer12Stream& stream = state.Layer12;
  TLayer12Frame info;
  if (!BeginLayer12Frame(stream, frame, available, info)) return {0, 0};

  // The table follows each frame's bit rate, so variable-rate streams decode too.
  const int32_t table =
      ChooseLayer2AllocTable(stream.OpenId, stream.OpenMode, stream.OpenSamplingIndex, info.BitrateIndex);
  if (table < 0) return {0, 0};
  if (table != stream.Layout.Table) {
    UseAllocTable(stream, table);
    // Entries the new table does not write must not keep the old table's samples.
    std::memset(stream.SubbandSamples, 0, kSlots * kRow * sizeof(float));
    stream.ZeroEntries = ~uint64_t{0};
  }

  // A local copy of the reader stays in registers through the passes.
  TMPBitReader bits = stream.FrameBits;
  TLayer2Passes passes;
  const int32_t skip = ReadAllocation(bits, info.Bound, stream, passes);
  ReadScalefactors(bits, stream.Entries, passes);
  TLayer2Reads plan;
  PlanReads(passes, skip, plan);
  ReadSamples(bits, plan, stream);
  stream.FrameBits = bits;
  stream.OutputSlot(state.Synthesis, stream.SubbandSamples, static_cast<int16_t*>(pcm), kSlots);
  return {info.BytesConsumed, stream.BytesProduced};
}
