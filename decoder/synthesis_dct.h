// The 32-point DCT of the synthesis: X[i] = sum over k of S[k] cos(i pi (2k + 1) / 64),
// unnormalised, for a run of time slots at a time.
#pragma once

#include <cstdint>

// Butterfly factors 0.5 / cos(pi (2j + 1) / 4n) for n = 16, 8, 4, 2, 1, each repeated over
// eight lanes so that a vector form multiplies by one straight from memory; built by
// BuildDctCoefficients (through BuildDecoderTables).
alignas(32) extern float DctCoefficients[31][8];
void BuildDctCoefficients();

// Offset in DctCoefficients of the factors of the N-point stage: 32 -> 0, 16 -> 16, 8 -> 24,
// 4 -> 28, 2 -> 30.
constexpr int32_t DctCoefficientOffset(int32_t n) { return n == 32 ? 0 : DctCoefficientOffset(n * 2) + n; }

// Where a slot's 32 inputs S[k] lie in its row: the first 32 values, one channel of an
// interleaved two-channel row (row[2k + c]), the mean of both channels, or both channels in
// turn (channel 1's results after all of channel 0's).
enum class TDctRows : int32_t { Single, Channel0, Channel1, Mixed, Both };

// The DCT of `slots` rows (row r at rows + r * rowSize; rowSize 32 or 64, 64 for the
// interleaved layouts), each input times gains[k] when gains is not null. The results of slot r
// come in the ring's order (synthesis_state.h), so that storing them is a plain copy: place p at
// dest[32 r + p] holds X[RingOrderValue(p)], and X[0] goes to heads[r] (Both: channel 1's slots
// follow channel 0's, at dest[32 (slots + r) ..] and heads[slots + r]).
// Through the form chosen for the decoder state (decoder_forms.h).
using TDctRoutine = void (*)(const float* rows, int32_t rowSize, TDctRows layout, int32_t slots,
                             const float* gains, float* dest, float* heads);

// Processor forms: all are the same butterfly factorisation in single precision; the vector
// forms run one slot per lane.
void SubbandDctPlain(const float* rows, int32_t rowSize, TDctRows layout, int32_t slots, const float* gains,
                     float* dest, float* heads);
#if defined(VARO_X86)
void SubbandDctSse2(const float* rows, int32_t rowSize, TDctRows layout, int32_t slots, const float* gains,
                    float* dest, float* heads);
void SubbandDctAvx2(const float* rows, int32_t rowSize, TDctRows layout, int32_t slots, const float* gains,
                    float* dest, float* heads);
#endif

// The sub-band gains as they stood when a block of slots began (null gains: equalizer off).
struct TSubbandGains {
  const float* Gains;
  float Values[32];
};
void TakeSubbandGains(TSubbandGains& snapshot);
