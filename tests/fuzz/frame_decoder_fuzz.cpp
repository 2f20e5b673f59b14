// Fuzz target: the frame decoder of every layer, over whole streams so that the Layer III bit
// reservoir and the synthesis history carry from frame to frame.
//
// Input: stream bytes, then an 11-byte control trailer:
//   0  bits 0-1 channel form (both, mix, left, right), bit 2 full band, bits 3-4 processor
//      form (plain, SSE2, best, best), bit 5 synthesised frames, bit 6 equalizer on,
//      bit 7 inverted polarity
//   1-2  cutoff in Hz, big-endian
//   3  bits 0-3 reopen the decoder every N frames (0 never), bits 4-5 down-shift asked for,
//      bit 6 8-bit samples asked for, bit 7 unused
//   4-5  equalizer gain base and step
//   6-8  synthesised frames: header bytes 1-3 (byte 1 is 0xE0 | its low five bits)
//   9-10 synthesised frames: length used when the header gives none, big-endian
//
// Real streams (bit 5 clear) are cut into frames by varo-decode's walk (the engine's frame
// walk, free-format frames confirmed), from memory through the engine's reader. Synthesised
// streams put the chosen header in front of slices of the stream bytes, so every layer,
// version, mode and bit rate is reached from any bytes. Each slice starts with a byte that
// keeps the header or changes it for this frame: with bit 7 set, a new bit rate from its low
// nibble and a new fourth header byte from the next byte (as a player accepts within one
// stream); with bit 6 set, a new layer, version, protection and sampling rate from the next
// byte (frames no player passes on, which the decoder must still refuse or read safely).
//
// Every frame is copied into a buffer of exactly its size and decoded into a PCM buffer of
// exactly one frame, so any read or write outside them is caught by the address sanitizer.
// Built twice: fuzz_frame_decoder decodes each input once and is the fast one; the replay
// build (VARO_FUZZ_REPLAY) decodes every input twice, which checks that an open forgets
// everything of the stream before: the second pass must give the same samples as the first.
// Inputs are bounded: a few frames find what a long stream finds, many times faster.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/engine_error.h"
#include "decoder/mp3_decoder.h"
#include "fuzz_input.h"
#include "input_frames.h"
#include "test_support.h"

namespace {

constexpr size_t kControlBytes = 11;
constexpr int32_t kPlayerPcmBytes = 5120;  // the player's one-frame buffer
constexpr int32_t kMinFreeLength = 16;
constexpr int32_t kMaxFreeLength = 4096;
constexpr size_t kMaxInput = 4096 + kControlBytes;

struct TDecodeSettings {
  uint8_t OutputFlags = 0;
  int32_t CutoffHz = 0;
  int32_t DownShift = 0;
  int32_t ReopenEvery = 0;
  bool Twice = false;
};

uint32_t FeaturesFor(uint8_t form) {
  const uint32_t detected = GetCpuFeatures();
  switch (form) {
    case 0:
      return detected & ~(cpuSSE2 | cpuAVX2 | cpuFMA);
    case 1:
      return detected & ~(cpuAVX2 | cpuFMA);
    default:
      return detected;
  }
}

// The equalizer state is process-wide: every input sets all of it.
void SetEqualizer(bool on, uint8_t base, uint8_t step) {
  for (int32_t i = 0; i < kSubbandGainCount; ++i)
    SubbandGainAt(i)->store(static_cast<float>((base + step * i) & 0xFF) / 32.0f, std::memory_order_relaxed);
  for (int32_t i = 0; i < kLineGainCount; ++i)
    LineGainAt(i)->store(static_cast<float>((base + step * (i / 18)) & 0xFF) / 32.0f,
                         std::memory_order_relaxed);
  SubbandEqFlag()->store(on ? 1 : 0, std::memory_order_relaxed);
  LineEqFlag()->store(on ? 1 : 0, std::memory_order_relaxed);
}

class TFrameFeeder {
 public:
  explicit TFrameFeeder(const TDecodeSettings& settings) : settings_(settings) {}

  // Opens the decoder on header; afterwards frames are decoded into a buffer of the size the
  // open reported (none when the open failed: the decoder must then reject every frame).
  void Open(const TMPFrameHeader& header, int32_t length) {
    opened_ = OpenDecoderStream(header, length, settings_.DownShift, 0, settings_.OutputFlags,
                                settings_.CutoffHz) != 0;
    pcm_.clear();
    if (!opened_) return;
    TMPOutputFormat format{};
    GetOutputFormat(format);
    FUZZ_CHECK(format.Channels == 1 || format.Channels == 2);
    FUZZ_CHECK(format.BitsPerSample == 16 || format.BitsPerSample == 8);
    FUZZ_CHECK(format.SampleRate > 0);
    const int32_t bytes = format.SamplesPerFrame * format.BitsPerSample / 8;
    FUZZ_CHECK(bytes > 0 && bytes <= kPlayerPcmBytes);
    FUZZ_CHECK(format.SamplesPerFrame % format.Channels == 0);
    pcm_.resize(static_cast<size_t>(bytes));
  }

  void Decode(const uint8_t* bytes, size_t size) {
    if (settings_.ReopenEvery > 0 && ++sinceOpen_ >= settings_.ReopenEvery && size >= 4) {
      sinceOpen_ = 0;
      TMPFrameHeader header{};
      const int32_t length = ParseFrameHeader(bytes, 0, header);
      if (length > 0) Open(header, length);
    }
    const std::vector<uint8_t> frame(bytes, bytes + size);  // exactly the frame, nothing after it
    // A rejected or never-opened stream still gets a buffer: the decoder must not touch it.
    std::vector<uint8_t> scratch(pcm_.empty() ? 1 : 0);
    std::vector<uint8_t>& pcm = pcm_.empty() ? scratch : pcm_;
    TMPDecodeResult result{-1, -1};
    DecodeFrame(result, frame.data(), static_cast<int32_t>(frame.size()), pcm.data());
    FUZZ_CHECK(result.BytesConsumed >= 0 && result.BytesProduced >= 0);
    if (!opened_ || result.BytesConsumed == 0) FUZZ_CHECK(result.BytesProduced == 0);
    if (result.BytesConsumed > 0) FUZZ_CHECK(result.BytesProduced == static_cast<int32_t>(pcm_.size()));
    if (!settings_.Twice) return;  // the digest is for the comparison only, and costly
    Mix(static_cast<uint32_t>(result.BytesConsumed));
    for (int32_t i = 0; i < result.BytesProduced; ++i) Mix(pcm[static_cast<size_t>(i)]);
  }

  // Everything decoded so far, in one number.
  uint64_t Digest() const { return digest_; }

 private:
  TDecodeSettings settings_;
  bool opened_ = false;
  int32_t sinceOpen_ = 0;
  std::vector<uint8_t> pcm_;
  uint64_t digest_ = 0xCBF29CE484222325ull;  // FNV-1a

  void Mix(uint32_t value) { digest_ = (digest_ ^ value) * 0x100000001B3ull; }
};

void DecodeRealStream(const uint8_t* data, size_t size, TFrameFeeder& feeder) {
  TMemoryStream stream(std::vector<uint8_t>(data, data + size));
  try {
    TInputFrames walk(stream);
    feeder.Open(walk.FirstHeader(), walk.FirstLength());
    walk.PassInfoFrame();
    TMPFrameHeader header{};
    while (walk.Next(header)) {
      feeder.Decode(walk.FrameData(), static_cast<size_t>(walk.FrameSize()));
      walk.Consume();
    }
  } catch (const EMP3Error& e) {
    FUZZ_CHECK(std::strcmp(e.what(), kUnknownFormatText) == 0);  // bytes without MPEG audio
  }
}

void DecodeSynthesisedStream(const TFuzzInput& input, TFrameFeeder& feeder) {
  const uint8_t first[4] = {0xFF, static_cast<uint8_t>(0xE0 | (input.Control(6) & 0x1F)), input.Control(7),
                            input.Control(8)};
  const int32_t freeLength =
      std::clamp((input.Control(9) << 8 | input.Control(10)) & 0xFFF, kMinFreeLength, kMaxFreeLength);
  TMPFrameHeader header{};
  int32_t length = ParseFrameHeader(first, 0, header);
  feeder.Open(header, length > 0 ? length : freeLength);

  const uint8_t* data = input.Payload();
  const size_t size = input.PayloadSize();
  std::vector<uint8_t> frame;
  size_t pos = 0;
  while (pos < size) {
    uint8_t bytes[4] = {first[0], first[1], first[2], first[3]};
    const uint8_t change = data[pos++];
    if ((change & 0x80) && pos < size) {
      bytes[2] = static_cast<uint8_t>((change & 0x0F) << 4 | (bytes[2] & 0x0F));
      bytes[3] = data[pos++];
    }
    if ((change & 0x40) && pos < size) {
      const uint8_t format = data[pos++];
      bytes[1] = static_cast<uint8_t>(0xE0 | (format & 0x1F));
      bytes[2] = static_cast<uint8_t>((bytes[2] & 0xF3) | ((format >> 3) & 0x0C));
    }
    TMPFrameHeader frameHeader{};
    length = ParseFrameHeader(bytes, 0, frameHeader);
    if (length <= 0) length = freeLength;
    const size_t frameSize = static_cast<size_t>(std::max(FrameSizeWithPadding(frameHeader, length), 4));
    const size_t body = std::min(frameSize - 4, size - pos);
    frame.assign(bytes, bytes + 4);
    frame.insert(frame.end(), data + pos, data + pos + body);
    pos += body;
    feeder.Decode(frame.data(), frame.size());  // the last one may be cut short
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInput) return -1;  // not added to the corpus
  const TFuzzInput input(data, size, kControlBytes);
  const uint8_t flags = input.Control(0);
  TDecodeSettings settings;
  settings.OutputFlags = static_cast<uint8_t>((flags & mofChannelMask) | ((flags & 0x04) ? mofFullBand : 0) |
                                              ((input.Control(3) & 0x40) ? mofEightBit : 0));
  settings.CutoffHz = input.Control(1) << 8 | input.Control(2);
  settings.DownShift = (input.Control(3) >> 4) & 3;
  settings.ReopenEvery = input.Control(3) & 0x0F;
  settings.Twice = kReplay;

  SelectCpuRoutines(FeaturesFor((flags >> 3) & 3));
  SetEqualizer((flags & 0x40) != 0, input.Control(4), input.Control(5));
  SetInvertPolarity((flags & 0x80) ? 1 : 0);

  auto decode = [&] {
    TFrameFeeder feeder(settings);
    if (flags & 0x20) {
      DecodeSynthesisedStream(input, feeder);
    } else {
      DecodeRealStream(input.Payload(), input.PayloadSize(), feeder);
    }
    return feeder.Digest();
  };
  const uint64_t first = decode();
  if (settings.Twice) FUZZ_CHECK(decode() == first);
  return 0;
}
