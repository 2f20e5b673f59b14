// The synthesis output routines: per slot a DCT into the channel's ring and a window step
// through the routine slots, for the Layer I/II channel forms and the Layer III granules.
#include "synthesis.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "mp_cpu.h"
#include "synthesis_dct.h"
#include "synthesis_state.h"

alignas(64) float SynthRing[2][kSynthRingSize];
int32_t SynthPos[2];

void ResetSynthesis() {
  BuildDctCoefficients();
  std::memset(SynthRing, 0, sizeof SynthRing);
  SynthPos[0] = SynthPos[1] = 0;
}

namespace {

// Layer I/II rows hold 64 floats; in two-channel rows channel c of sub-band k is at 2k + c.
constexpr int32_t kSubbandRow = 64;
constexpr int32_t kGranuleRow = 32;
constexpr int32_t kGranuleSlots = 18;

// One channel through ring 0 and WindowMono: `stride` 1 for single-channel rows, 2 for one
// channel of an interleaved row.
void SynthesizeOneChannel(const float* samples, int32_t rowSize, int32_t stride, int16_t* out,
                          int32_t slots) {
  TSubbandGains gains;
  TakeSubbandGains(gains);
  float* ring = SynthRing[0];
  int32_t pos = SynthPos[0];
  for (int32_t r = 0; r < slots; ++r) {
    EqualizedDct(samples + r * rowSize, stride, ring + pos, gains);
    WindowMono(ring, pos, out + 32 * r);
    pos = NextRingPos(pos);
  }
  SynthPos[0] = pos;
}

// Interleaves 32 samples of each channel into 32 pairs.
void InterleaveChannels(const int16_t* left, const int16_t* right, int16_t* out) {
#if defined(__SSE2__)
  for (int32_t i = 0; i < 32; i += 8) {
    const __m128i l = _mm_loadu_si128(reinterpret_cast<const __m128i*>(left + i));
    const __m128i r = _mm_loadu_si128(reinterpret_cast<const __m128i*>(right + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * i), _mm_unpacklo_epi16(l, r));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2 * i + 8), _mm_unpackhi_epi16(l, r));
  }
#else
  for (int32_t i = 0; i < 32; ++i) {
    out[2 * i] = left[i];
    out[2 * i + 1] = right[i];
  }
#endif
}

}  // namespace

void SynthesizeMono(const float* samples, int16_t* out, int32_t slots) {
  SynthesizeOneChannel(samples, kSubbandRow, 1, out, slots);
}

void SynthesizeLeft(const float* samples, int16_t* out, int32_t slots) {
  SynthesizeOneChannel(samples, kSubbandRow, 2, out, slots);
}

void SynthesizeRight(const float* samples, int16_t* out, int32_t slots) {
  SynthesizeOneChannel(samples + 1, kSubbandRow, 2, out, slots);
}

void SynthesizeStereo(const float* samples, int16_t* out, int32_t slots) {
  TSubbandGains gains;
  TakeSubbandGains(gains);
  // Both channels share position 0: they are always produced slot by slot together, so each
  // slot's two windows are computed contiguously and then interleaved in one pass (the same
  // samples WindowStereo would place one by one).
  int32_t pos = SynthPos[0];
  alignas(32) int16_t left[32], right[32];
  for (int32_t r = 0; r < slots; ++r) {
    const float* row = samples + r * kSubbandRow;
    EqualizedDct(row, 2, SynthRing[0] + pos, gains);
    EqualizedDct(row + 1, 2, SynthRing[1] + pos, gains);
    WindowMono(SynthRing[0], pos, left);
    WindowMono(SynthRing[1], pos, right);
    InterleaveChannels(left, right, out + 64 * r);
    pos = NextRingPos(pos);
  }
  SynthPos[0] = pos;
}

void SynthesizeMix(const float* samples, int16_t* out, int32_t slots) {
  float* ring = SynthRing[0];
  int32_t pos = SynthPos[0];
  for (int32_t r = 0; r < slots; ++r) {
    MixDct(samples + r * kSubbandRow, ring + pos);
    WindowMono(ring, pos, out + 32 * r);
    pos = NextRingPos(pos);
  }
  SynthPos[0] = pos;
}

void SynthesizeGranuleMono(const float* samples, int16_t* out, int32_t /*channel*/) {
  SynthesizeOneChannel(samples, kGranuleRow, 1, out, kGranuleSlots);
}

void SynthesizeGranuleChannel(const float* samples, int16_t* out, int32_t channel) {
  TSubbandGains gains;
  TakeSubbandGains(gains);
  const int32_t c = channel & 1;
  float* ring = SynthRing[c];
  int32_t pos = SynthPos[c];
  for (int32_t r = 0; r < kGranuleSlots; ++r) {
    EqualizedDct(samples + r * kGranuleRow, 1, ring + pos, gains);
    WindowStereo(ring, pos, out + 64 * r + c);
    pos = NextRingPos(pos);
  }
  SynthPos[c] = pos;
}
