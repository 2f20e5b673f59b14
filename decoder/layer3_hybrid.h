// The Layer III hybrid filterbank around the IMDCT kernels: windowing, overlap-add, the
// mixed-down add form and frequency inversion.
//
// Layouts: out[t, s] is samples[32 t + s] (time slot t, sub-band s). The overlap a granule leaves
// for the next one is stored over its spectrum buffer in the same time-major layout, overlap of
// sub-band s for slot t at 32 t + s, so vector forms read and write it in rows of sub-bands.
#pragma once

#include <cstdint>

struct TMPGranuleInfo;
struct TMPLayer3State;

// Block type for the HybridFilter slot, with kMixedWindowFlag when the mixed flag is set.
int32_t FilterBlockType(const TMPGranuleInfo& gi);

// Sub-band ranges of one HybridFilter call: [0, MixedEnd) long with the normal window,
// [MixedEnd, LongEnd) long with the block type's window, [LongEnd, ShortEnd) short,
// [ShortEnd, OverlapEnd) overlap only, [OverlapEnd, 32) silent (and left with a zero overlap).
struct THybridRanges {
  int32_t MixedEnd;
  int32_t LongEnd;
  int32_t ShortEnd;
  int32_t OverlapEnd;
  const float* LongWindow;      // sign-folded window of [MixedEnd, LongEnd)
  const float* LongWindowPost;  // the same times the IMDCT's output factors (WindowPostF)
};
THybridRanges HybridRangesOf(const TMPLayer3State& st, int32_t blockType, int32_t longLines, int32_t lines,
                             int32_t previousLines);

// Order of the short IMDCT outputs that each tap of a 12-point short window takes (relative to
// the window's six outputs), matching the window's stored signs.
inline constexpr int32_t kShortWindowTap[12] = {3, 4, 5, 5, 4, 3, 2, 1, 0, 0, 1, 2};

// Windowed 36-point frame of one sub-band from the IMDCT kernel outputs: z[0..17] joins the
// previous overlap, z[18..35] is the new overlap.
void WindowLong(const float* y, const float* window, float* z);
void WindowShort(const float* u, float* z);

// The overlap-only and silent sub-bands of a HybridFilter call: copies the previous overlap
// (inverted) to samples for [ShortEnd, OverlapEnd) and clears the new overlap there, clears
// samples and new overlap for [OverlapEnd, 32). Returns 18 x OverlapEnd.
int32_t FinishHybrid(const THybridRanges& ranges, const float* overlap, float* newOverlap, float* samples);

// As the HybridFilter slot for another channel of a mixed-down granule: adds the windowed IMDCT
// terms (inverted) to samples and the new overlap terms to sharedOverlap (time-major). Returns
// 18 x the sub-bands done.
int32_t HybridFilterAdd(const TMPLayer3State& st, float* spectrum, float* sharedOverlap, float* samples,
                        int32_t blockType, int32_t longLines, int32_t lines);

// Every form writes its output slots frequency-inverted: the odd time slots of the odd
// sub-bands negated, by these factors (negating is exact, so the sums come out as if the
// inversion followed them).
alignas(32) inline constexpr float kInversionSigns[32] = {1,  -1, 1,  -1, 1,  -1, 1,  -1, 1,  -1, 1,
                                                          -1, 1,  -1, 1,  -1, 1,  -1, 1,  -1, 1,  -1,
                                                          1,  -1, 1,  -1, 1,  -1, 1,  -1, 1,  -1};
constexpr float InversionSign(int32_t t, int32_t s) { return (t & s & 1) ? -1.0f : 1.0f; }
