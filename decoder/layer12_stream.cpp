// Stream set-up and frame start shared by Layers I and II.
#include "layer12_stream.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "decoder/mp_frame_header.h"
#include "mp_bit_reader.h"

namespace {

constexpr int32_t kMinCutoffHz = 1000;

// Output routine and output channels by the channel code v: 0 single-channel stream, else
// (OutputFlags & 3) + 1: both channels, mix, channel 0, channel 1.
constexpr TSubbandOutput kOutputByChannelCode[5] = {SynthesizeMono, SynthesizeStereo, SynthesizeMix,
                                                    SynthesizeLeft, SynthesizeRight};
constexpr int32_t kChannelsByChannelCode[5] = {1, 2, 1, 1, 1};

// Joint-stereo bound in entries by Mode * 4 + ModeExtension.
constexpr int32_t kJointBound[16] = {64, 64, 64, 64, 8, 16, 24, 32, 64, 64, 64, 64, 32, 32, 32, 32};

}  // namespace

int32_t OpenLayer12Stream(TLayer12Stream& stream, const TMPFrameHeader& header, int32_t frameLength,
                          int32_t downShift, uint8_t outputFlags, int32_t cutoffHz, int32_t subbands,
                          int32_t samplesPerChannel, TMPOutputFormat& format) {
  downShift = std::clamp(downShift, 0, 2);
  // Only full-rate 16-bit output is built; the other forms are refused rather than faked.
  if (downShift != 0 || (outputFlags & mofEightBit)) return 0;
  cutoffHz = std::max(cutoffHz, kMinCutoffHz);

  const int32_t rate = SamplingRateHz(header.Id, header.SamplingIndex);
  const bool fullBand = (outputFlags & mofFullBand) != 0;
  // Full band lifts only the sub-band 31 rule; the cutoff limits every layer alike.
  const int32_t bands = 32 >> downShift;
  const int64_t limit = std::min<int64_t>(
      {(int64_t{cutoffHz} * 64 + rate / 2) / rate, bands > 8 && !fullBand ? bands - 1 : bands, subbands});

  const int32_t channels = header.Mode == 3 ? 1 : 2;
  const int32_t channelCode = channels == 1 ? 0 : (outputFlags & mofChannelMask) + 1;
  const int32_t outputChannels = kChannelsByChannelCode[channelCode];
  const int32_t samplesPerFrame = outputChannels * samplesPerChannel;

  stream.Channels = channels;
  stream.FrameLength = frameLength;
  stream.CutoffLimit = static_cast<int32_t>(limit) * channels;
  stream.BytesProduced = samplesPerFrame * 2;
  stream.OutputSlot = kOutputByChannelCode[channelCode];

  format = TMPOutputFormat{outputChannels, samplesPerFrame, rate >> downShift, 16, frameLength, 0};
  return 1;
}

bool BeginLayer12Frame(TLayer12Stream& stream, const uint8_t* frame, int32_t available, TLayer12Frame& info) {
  if (available < 4) return false;
  // The frame's own length when its header gives one (free format: the length of the open),
  // so that a damaged frame can never read past its end.
  TMPFrameHeader header{};
  int32_t length = ParseFrameHeader(frame, 0, header);
  if (length <= 0) length = stream.FrameLength;
  const int32_t size = FrameSizeWithPadding(header, length);
  TMPBitReader& bits = stream.FrameBits;
  ResetBits(bits, frame, frame + std::min(available, size));

  if (GetBits(bits, 12) != 0xFFF) return false;
  GetBits(bits, 3);  // ID, layer
  const uint32_t protection = GetBits(bits, 1);
  info.BitrateIndex = static_cast<int32_t>(GetBits(bits, 4));
  GetBits(bits, 2);  // sampling rate
  GetBits(bits, 1);  // padding: taken from the parsed header above
  GetBits(bits, 1);  // private bit
  const uint32_t modeBits = GetBits(bits, 4);
  GetBits(bits, protection ? 4 : 20);  // flags and emphasis, then the CRC (not checked)

  info.Bound = stream.Channels == 1 ? kMaxEntries : kJointBound[modeBits];
  info.BytesConsumed = size;
  return true;
}

void OpenSampleBits(TMPBitReader& bits, int32_t count, TSampleBits& data) {
  // The reader holds the last Count bits of the bytes before Cur.
  const int32_t held = (bits.Count + 7) >> 3;
  const uint8_t* start = bits.Cur - held;
  data.First = held * 8 - bits.Count;
  // A field read loads eight bytes from its first one.
  const int32_t need = (data.First + count + 7) / 8 + 8;
  const std::ptrdiff_t readable = bits.Limit - start;
  if (readable >= need) {
    data.Bytes = start;
  } else {
    const auto copied = static_cast<size_t>(std::clamp<std::ptrdiff_t>(readable, 0, need));
    if (copied) std::memcpy(data.Spare, start, copied);
    std::memset(data.Spare + copied, 0, static_cast<size_t>(need) - copied);
    data.Bytes = data.Spare;
  }
  SkipBits(bits, count);
}

void ClearSilentEntries(TLayer12Stream& stream, const int32_t* silent, int32_t count, uint64_t written,
                        int32_t slots) {
  uint64_t zero = stream.ZeroEntries;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t e = silent[i];
    if ((zero >> e) & 1) continue;
    zero |= uint64_t{1} << e;
    float* col = stream.SubbandSamples + e;
    for (int32_t row = 0; row < slots; ++row) col[row * kMaxEntries] = 0.0f;
  }
  stream.ZeroEntries = zero & ~written;
}
