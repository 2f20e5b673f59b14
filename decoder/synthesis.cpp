// The synthesis output routines: per slot a DCT into the channel's ring and a window step
// through the state's forms, for the Layer I/II channel forms and the Layer III granules.
#include "synthesis.h"

#include <algorithm>
#include <cstring>

#include "decoder_forms.h"

void ResetSynthesis(TSynthesisState& state) {
  std::memset(state.Ring, 0, sizeof state.Ring);
  state.Pos[0] = state.Pos[1] = 0;
}

namespace {

// Layer I/II rows hold 64 floats; in two-channel rows channel c of sub-band k is at 2k + c.
constexpr int32_t kSubbandRow = 64;
constexpr int32_t kGranuleRow = 32;
// Slots whose DCT is run in one call: a Layer II frame's 36 (Layer III gives 18, Layer I 12).
constexpr int32_t kBlockSlots = 36;

// Slots of one channel through ring `c`: the DCT of up to kBlockSlots rows at a time, then per
// slot its result into the ring and the window step into out + slot * outStep. The results
// wait outside the ring because each window step reads all 16 ring slots.
void SynthesizeChannel(TSynthesisState& state, const float* samples, int32_t rowSize, TDctRows layout,
                       int32_t slots, int32_t c, TWindowRoutine TDecoderForms::*step, int16_t* out,
                       int32_t outStep) {
  const TDctRoutine dctForm = state.Forms->SubbandDct;
  const TWindowRoutine windowForm = state.Forms->*step;
  const float* window = state.Window;
  TSubbandGains gains;
  TakeSubbandGains(gains);
  if (layout == TDctRows::Mixed) gains.Gains = nullptr;
  float* ring = state.Ring[c];
  int32_t pos = state.Pos[c];
  alignas(32) float dct[kBlockSlots * 32];
  float heads[kBlockSlots];
  for (int32_t first = 0; first < slots; first += kBlockSlots) {
    const int32_t count = std::min(kBlockSlots, slots - first);
    dctForm(samples + first * rowSize, rowSize, layout, count, gains.Gains, dct, heads);
    for (int32_t r = 0; r < count; ++r) {
      StoreRingSlot(ring, pos, dct + 32 * r, heads[r]);
      windowForm(ring, pos, window, out + (first + r) * outStep);
      pos = NextRingPos(pos);
    }
  }
  state.Pos[c] = pos;
}

}  // namespace

void SynthesizeMono(TSynthesisState& state, const float* samples, int16_t* out, int32_t slots) {
  SynthesizeChannel(state, samples, kSubbandRow, TDctRows::Single, slots, 0, &TDecoderForms::WindowMono, out,
                    32);
}

void SynthesizeLeft(TSynthesisState& state, const float* samples, int16_t* out, int32_t slots) {
  SynthesizeChannel(state, samples, kSubbandRow, TDctRows::Channel0, slots, 0, &TDecoderForms::WindowMono,
                    out, 32);
}

void SynthesizeRight(TSynthesisState& state, const float* samples, int16_t* out, int32_t slots) {
  SynthesizeChannel(state, samples, kSubbandRow, TDctRows::Channel1, slots, 0, &TDecoderForms::WindowMono,
                    out, 32);
}

void SynthesizeStereo(TSynthesisState& state, const float* samples, int16_t* out, int32_t slots) {
  TSubbandGains gains;
  TakeSubbandGains(gains);
  alignas(32) float dct[2 * kBlockSlots * 32];
  float heads[2 * kBlockSlots];
  for (int32_t first = 0; first < slots; first += kBlockSlots) {
    const int32_t count = std::min(kBlockSlots, slots - first);
    const float* rows = samples + first * kSubbandRow;
    state.Forms->SubbandDct(rows, kSubbandRow, TDctRows::Both, count, gains.Gains, dct, heads);
    state.Forms->WindowPairs(state, dct, heads, count, out + 64 * first);
  }
}

void SynthesizeMix(TSynthesisState& state, const float* samples, int16_t* out, int32_t slots) {
  SynthesizeChannel(state, samples, kSubbandRow, TDctRows::Mixed, slots, 0, &TDecoderForms::WindowMono, out,
                    32);
}

void SynthesizeGranuleMono(TSynthesisState& state, const float* samples, int16_t* out, int32_t /*channel*/) {
  SynthesizeChannel(state, samples, kGranuleRow, TDctRows::Single, kGranuleSlots, 0,
                    &TDecoderForms::WindowMono, out, 32);
}

void SynthesizeGranuleChannel(TSynthesisState& state, const float* samples, int16_t* out, int32_t channel) {
  const int32_t c = channel & 1;
  SynthesizeChannel(state, samples, kGranuleRow, TDctRows::Single, kGranuleSlots, c,
                    &TDecoderForms::WindowStereo, out + c, 64);
}

void SynthesizeGranuleStereo(TSynthesisState& state, const float* samples, int16_t* out, int32_t slots) {
  TSubbandGains gains;
  TakeSubbandGains(gains);
  // Both channels' slots in one DCT call: 72 rows fill whole vectors of eight where 36 do not.
  alignas(32) float dct[4 * kGranuleSlots * 32];
  float heads[4 * kGranuleSlots];
  state.Forms->SubbandDct(samples, kGranuleRow, TDctRows::Single, 2 * slots, gains.Gains, dct, heads);
  state.Forms->WindowPairs(state, dct, heads, slots, out);
}
