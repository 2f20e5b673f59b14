// Which Layer II allocation table a stream uses.
#include "layer12.h"

namespace {

constexpr int8_t X = -1;  // no table: the stream cannot be decoded

// MPEG-1 by [single channel][SamplingIndex 44100, 48000, 32000][BitrateIndex]. The choice
// follows the bit rate per channel; combinations the standard does not allow have no table.
constexpr int8_t kMpeg1Table[2][3][16] = {
    {
        {1, X, X, X, 2, X, 2, 0, 0, 0, 1, 1, 1, 1, 1, X},
        {0, X, X, X, 2, X, 2, 0, 0, 0, 0, 0, 0, 0, 0, X},
        {1, X, X, X, 3, X, 3, 0, 0, 0, 1, 1, 1, 1, 1, X},
    },
    {
        {1, 2, 2, 0, 0, 0, 1, 1, 1, 1, 1, X, X, X, X, X},
        {0, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, X, X, X, X, X},
        {1, 3, 3, 0, 0, 0, 1, 1, 1, 1, 1, X, X, X, X, X},
    },
};

constexpr int32_t kLowSamplingRateTable = 4;

}  // namespace

int32_t ChooseLayer2AllocTable(int32_t id, int32_t mode, int32_t samplingIndex, int32_t bitrateIndex) {
  if (samplingIndex < 0 || samplingIndex > 2 || bitrateIndex < 0 || bitrateIndex > 15) return -1;
  if (id == 0) return kLowSamplingRateTable;
  return kMpeg1Table[mode == 3 ? 1 : 0][samplingIndex][bitrateIndex];
}
