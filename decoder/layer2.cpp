// Layer II: table-driven allocation (one ClassCode per entry), scfsi, scalefactors and the
// sample pass over 3 parts x 4 granules x 3 slots.
#include <algorithm>
#include <cstring>

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

// The allocation table in use, in entries.
struct TLayout {
  int32_t Table;
  int32_t GroupEntries[4];
  int32_t GroupBits[4];
  const uint8_t* GroupClass[4];
  int32_t Entries;
  int32_t DecodedLimit;
};
TLayout Layout;

int32_t OpenId, OpenMode, OpenSamplingIndex;

int32_t Class[kMaxEntries];
int32_t ClassCode[kMaxEntries + 2];
int32_t Scfsi[kMaxEntries];
float ScaledFactor[kMaxEntries][3];

void UseAllocTable(int32_t table) {
  Layout.Table = table;
  Layout.Entries = 0;
  for (int32_t g = 0; g < 4; ++g) {
    const TLayer2AllocGroup& group = kLayer2AllocTables[table][g];
    Layout.GroupEntries[g] = group.Subbands * Layer12.Channels;
    Layout.GroupBits[g] = group.Bits;
    Layout.GroupClass[g] = group.ClassOfCode;
    Layout.Entries += Layout.GroupEntries[g];
  }
  Layout.DecodedLimit = std::min(Layer12.CutoffLimit, Layout.Entries);
}

// Allocation pass; returns the sample bits per granule of the entries at or above DecodedLimit.
int32_t ReadAllocation(TMPBitReader& bits, int32_t bound) {
  int32_t skip = 0;
  int32_t e = 0;
  for (int32_t g = 0; g < 4; ++g) {
    const uint8_t* classOf = Layout.GroupClass[g];
    const int32_t width = Layout.GroupBits[g];
    for (const int32_t end = e + Layout.GroupEntries[g]; e < end;) {
      const int32_t c = classOf[GetBits(bits, width)];
      if (e >= Layout.DecodedLimit) skip += Layer2GranuleBits[c];
      if (e < bound) {
        Class[e] = c;
        ClassCode[e] = c;
        e += 1;
      } else {
        // One field for both channels of the sub-band; the pass handles the pair at its first entry.
        Class[e] = Class[e + 1] = c;
        ClassCode[e] = ClassCode[e + 1] = kJointBase + c;
        e += 2;
      }
    }
  }
  ClassCode[Layout.DecodedLimit] = kCutCode;
  ClassCode[Layout.Entries] = kEndCode;
  return skip;
}

void ReadScalefactors(TMPBitReader& bits) {
  for (int32_t e = 0; e < Layout.Entries; ++e) {
    Scfsi[e] = Class[e] ? static_cast<int32_t>(GetBits(bits, 2)) : kNoScalefactors;
  }
  for (int32_t e = 0; e < Layout.Entries; ++e) {
    const int32_t scfsi = Scfsi[e];
    if (scfsi == kNoScalefactors) continue;
    const float factor = Layer2ClassFactor[Class[e]];
    auto next = [factor, &bits] { return ScalefactorTable[GetBits(bits, 6)] * factor; };
    float* sf = ScaledFactor[e];
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
  int32_t Bits;            // bits per code word
  float Midpoint;          // (L - 1) / 2 of ungrouped classes
  const float* Digits;     // grouped classes: three centred digits per code word
};
TClassReading ClassReading[18];

void BuildClassReading() {
  for (int32_t c = 1; c < 18; ++c) {
    ClassReading[c] = {kLayer2ClassCodeBits[c], Layer2ClassMidpoint[c], nullptr};
  }
  ClassReading[1].Digits = Degroup3[0];
  ClassReading[2].Digits = Degroup5[0];
  ClassReading[4].Digits = Degroup9[0];
}

// The three values (centred, not yet scaled) of one granule of class c. Short code words are
// fetched together in one read.
inline void ReadTriple(TMPBitReader& bits, int32_t c, float v[3]) {
  const TClassReading& reading = ClassReading[c];
  const int32_t n = reading.Bits;
  if (reading.Digits) {
    const float* digits = reading.Digits + 3 * GetBits(bits, n);
    v[0] = digits[0];
    v[1] = digits[1];
    v[2] = digits[2];
    return;
  }
  const uint32_t mask = (1u << n) - 1;
  uint32_t a, b, d;
  if (3 * n <= 24) {
    const uint32_t all = GetBits(bits, 3 * n);
    a = all >> (2 * n);
    b = (all >> n) & mask;
    d = all & mask;
  } else if (2 * n <= 24) {
    const uint32_t two = GetBits(bits, 2 * n);
    a = two >> n;
    b = two & mask;
    d = GetBits(bits, n);
  } else {
    a = GetBits(bits, n);
    b = GetBits(bits, n);
    d = GetBits(bits, n);
  }
  v[0] = static_cast<float>(a) - reading.Midpoint;
  v[1] = static_cast<float>(b) - reading.Midpoint;
  v[2] = static_cast<float>(d) - reading.Midpoint;
}

void ReadGranule(TMPBitReader& bits, int32_t part, float* rows, int32_t skip) {
  float* r0 = rows;
  float* r1 = rows + kRow;
  float* r2 = rows + 2 * kRow;
  float v[3];
  for (int32_t e = 0;;) {
    const int32_t code = ClassCode[e];
    if (code == 0) {
      r0[e] = r1[e] = r2[e] = 0.0f;
      e += 1;
    } else if (code < kJointBase) {
      ReadTriple(bits, code, v);
      const float sf = ScaledFactor[e][part];
      r0[e] = v[0] * sf;
      r1[e] = v[1] * sf;
      r2[e] = v[2] * sf;
      e += 1;
    } else if (code < kEndCode) {
      const int32_t c = code - kJointBase;
      if (c) {
        ReadTriple(bits, c, v);
      } else {
        v[0] = v[1] = v[2] = 0.0f;
      }
      const float sf0 = ScaledFactor[e][part], sf1 = ScaledFactor[e + 1][part];
      r0[e] = v[0] * sf0;
      r1[e] = v[1] * sf0;
      r2[e] = v[2] * sf0;
      r0[e + 1] = v[0] * sf1;
      r1[e + 1] = v[1] * sf1;
      r2[e + 1] = v[2] * sf1;
      e += 2;
    } else {
      if (code == kCutCode) SkipBits(bits, skip);
      return;
    }
  }
}

}  // namespace

int32_t Layer2Open(const TMPFrameHeader& header, int32_t frameLength, int32_t downShift,
                   uint8_t outputFlags, int32_t cutoffHz, TMPOutputFormat& format) {
  if (header.Layer != 2 || header.SamplingIndex == 3) return 0;
  const int32_t table = ChooseLayer2AllocTable(header.Id, header.Mode, header.SamplingIndex, header.BitrateIndex);
  if (table < 0) return 0;
  const int32_t subbands = [table] {
    int32_t n = 0;
    for (const TLayer2AllocGroup& group : kLayer2AllocTables[table]) n += group.Subbands;
    return n;
  }();
  if (!OpenLayer12Stream(header, frameLength, downShift, outputFlags, cutoffHz, subbands, 1152, format)) {
    return 0;
  }
  BuildClassReading();
  OpenId = header.Id;
  OpenMode = header.Mode;
  OpenSamplingIndex = header.SamplingIndex;
  UseAllocTable(table);
  std::memset(SubbandSamples, 0, kSlots * kRow * sizeof(float));
  ResetSynthesis();
  return 1;
}

TMPDecodeResult DecodeLayer2Frame(const uint8_t* frame, int32_t available, void* pcm) {
  TLayer12Frame info;
  if (!BeginLayer12Frame(frame, available, info)) return {0, 0};

  // The table follows each frame's bit rate, so variable-rate streams decode too.
  const int32_t table = ChooseLayer2AllocTable(OpenId, OpenMode, OpenSamplingIndex, info.BitrateIndex);
  if (table < 0) return {0, 0};
  if (table != Layout.Table) {
    UseAllocTable(table);
    // Entries the new table does not write must not keep the old table's samples.
    std::memset(SubbandSamples, 0, kSlots * kRow * sizeof(float));
  }

  // A local copy of the reader stays in registers through the passes.
  TMPBitReader bits = FrameBits;
  const int32_t skip = ReadAllocation(bits, info.Bound);
  ReadScalefactors(bits);
  for (int32_t part = 0; part < 3; ++part) {
    for (int32_t granule = 0; granule < 4; ++granule) {
      ReadGranule(bits, part, SubbandSamples + 3 * (4 * part + granule) * kRow, skip);
    }
  }
  FrameBits = bits;
  Layer12.OutputSlot(SubbandSamples, static_cast<int16_t*>(pcm), kSlots);
  return {info.BytesConsumed, Layer12.BytesProduced};
}
