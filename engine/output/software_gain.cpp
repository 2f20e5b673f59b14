#include "output/software_gain.h"

#include <algorithm>
#include <cstring>

namespace {

int32_t Scale(int32_t sample, uint32_t gain) {
  return static_cast<int32_t>(static_cast<int64_t>(sample) * gain / 0xFFFF);
}

}  // namespace

void ApplySoftwareGain(const uint8_t* src, uint8_t* dst, int32_t bytes, const TWaveFormat& format,
                       uint32_t volume) {
  const uint32_t left = volume & 0xFFFF;
  const uint32_t right = volume >> 16;
  if (left == 0xFFFF && right == 0xFFFF) {
    std::memcpy(dst, src, static_cast<size_t>(bytes));
    return;
  }
  const bool stereo = format.Channels == 2;
  const uint32_t gains[2] = {stereo ? left : std::max(left, right), stereo ? right : 0};
  const int32_t channels = stereo ? 2 : 1;
  if (format.BitsPerSample == 16) {
    const int32_t samples = bytes / 2;
    for (int32_t i = 0; i < samples; ++i) {
      int16_t s;
      std::memcpy(&s, src + 2 * i, 2);
      const auto out = static_cast<int16_t>(Scale(s, gains[i % channels]));
      std::memcpy(dst + 2 * i, &out, 2);
    }
  } else {
    for (int32_t i = 0; i < bytes; ++i)
      dst[i] = static_cast<uint8_t>(128 + Scale(src[i] - 128, gains[i % channels]));
  }
}
