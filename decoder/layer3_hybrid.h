// The Layer III hybrid filterbank around the IMDCT kernels: windowing, overlap-add, the
// mixed-down add form and frequency inversion. out[t, s] is samples[32 t + s].
#pragma once

#include <cstdint>

struct TMPGranuleInfo;

// Block type for the HybridFilter slot, with kMixedWindowFlag when the mixed flag is set.
int32_t FilterBlockType(const TMPGranuleInfo& gi);

// Sign-folded long window of sub-band s for a HybridFilter block type.
const float* LongWindowOf(int32_t blockType, int32_t s);

// Order of the short IMDCT outputs that each tap of a 12-point short window takes (relative to
// the window's six outputs), with the window's stored signs.
extern const int32_t kShortWindowTap[12];

// As the HybridFilter slot for another channel of a mixed-down granule: adds the windowed IMDCT
// terms to samples and the new overlap terms to sharedOverlap. Returns 18 x sub-bands done.
int32_t HybridFilterAdd(float* spectrum, float* sharedOverlap, float* samples, int32_t blockType,
                        int32_t longLines, int32_t lines);

// Negates the odd time slots of the odd sub-bands below `lines`.
void FrequencyInvert(float* samples, int32_t lines);

// Windowed 36-point frame of one sub-band from the IMDCT kernel outputs y: z[0..17] is what
// joins the previous overlap, z[18..35] the new overlap.
void WindowLong(const float* y, const float* window, float* z);
void WindowShort(const float* u, float* z);
