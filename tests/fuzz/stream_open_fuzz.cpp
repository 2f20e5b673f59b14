// Fuzz target: the engine's stream opening and frame walk, as TMP3Player runs them, without a
// sound device. The reader, tag reader and frame walk are driven step by step the way the
// decoding thread does, frames decoded into a buffer the size of the player's.
//
// Built twice: fuzz_stream_open walks each input once and is the fast one. The replay build
// (VARO_FUZZ_REPLAY) also opens (and closes) the stream through a TMP3Player and may Stop and
// Play in the middle (rewind, decoder set up again on the next frame); after that rewind the
// stream must play as it did from its start, frame for frame.
//
// Input (at most kMaxInput bytes): the file bytes, then a 2-byte control trailer:
//   0  bit 0 seekable, bits 1-3 bytes per read (see ReadChunkFor), bit 4 free-format frames
//      confirmed, bits 5-7 rewind after N frames (0 never; replay build only)
//   1  bit 0 also open through a TMP3Player (replay build only)
//
// Opening may fail only with "unknown MPEG Audio format."; nothing else may be raised.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <vector>

#include "base/engine_error.h"
#include "chunked_stream.h"
#include "decoder/mp3_decoder.h"
#include "fuzz_input.h"
#include "player/mp3_player.h"
#include "stream/frame_facts.h"
#include "stream/mp3_info.h"
#include "stream/mp_frame_walker.h"
#include "stream/mp_stream_reader.h"

namespace {

constexpr size_t kControlBytes = 2;
constexpr int32_t kReaderCapacity = 65536;
constexpr int32_t kPcmBufferBytes = 5120;
constexpr int32_t kCutoffHz = 24000;
// Room for the walker's junk limit (4096 bytes) and a few frames on either side of it.
constexpr size_t kMaxInput = 12288 + kControlBytes;
// The fast build decodes the first frames only: the decoder has its own target, and here
// what matters is that the frames the walk hands over open and decode.
constexpr int32_t kDecodedFrames = 4;

struct TStreamOptions {
  bool Seekable = false;
  int32_t Chunk = 0;
  bool FreeFormat = false;
  int32_t RewindAfter = 0;
};

bool IsUnknownFormat(const std::exception& e) { return std::strcmp(e.what(), kUnknownFormatText) == 0; }

std::unique_ptr<TChunkedStream> MakeStream(const TFuzzInput& input, const TStreamOptions& options) {
  return std::make_unique<TChunkedStream>(
      std::vector<uint8_t>(input.Payload(), input.Payload() + input.PayloadSize()), options.Seekable,
      options.Chunk);
}

uint64_t Digest(const uint8_t* bytes, int32_t n) {
  uint64_t digest = 0xCBF29CE484222325ull;  // FNV-1a
  for (int32_t i = 0; i < n; ++i) digest = (digest ^ bytes[i]) * 0x100000001B3ull;
  return digest;
}

int32_t OpenDecoderOn(const TMPFrameHeader& header, int32_t frameSize) {
  return OpenDecoderStream(header, frameSize - PaddingBytes(header), 0, 0, 0, kCutoffHz);
}

// One player for the whole run: its threads stay up between inputs, as in the application.
TMP3Player& Player() {
  static TMP3Player* player = [] {
    auto* p = new TMP3Player();
    p->SetAudioDevice("null");
    return p;
  }();
  return *player;
}

void OpenThroughPlayer(const TFuzzInput& input, const TStreamOptions& options) {
  TMP3Player& player = Player();
  std::unique_ptr<TChunkedStream> stream = MakeStream(input, options);
  try {
    player.OpenStream(stream.get(), options.Seekable ? msoSeekable : 0);
    FUZZ_CHECK(player.IsOpen());
    FUZZ_CHECK(player.Layer() >= 1 && player.Layer() <= 3);
    FUZZ_CHECK(player.Version() >= 1 && player.Version() <= 3);
    FUZZ_CHECK(player.Channels() == 1 || player.Channels() == 2);
    FUZZ_CHECK(player.SampleRate() >= 8000 && player.SampleRate() <= 48000);
    FUZZ_CHECK(player.AudioStart() >= 0);
    player.Close();
  } catch (const std::exception& e) {
    if (!IsUnknownFormat(e)) FuzzFailure(e.what());
  }
  FUZZ_CHECK(!player.IsOpen());
  player.ProcessMessages();
}

// The decoding thread's walk: parse, set the decoder up again after a rewind, make the frame
// available, decode, consume; junk is skipped a byte at a time up to the walker's limit.
void WalkLikeDecodeStep(const TFuzzInput& input, const TStreamOptions& options) {
  std::unique_ptr<TChunkedStream> stream = MakeStream(input, options);
  TMPStreamReader reader(kReaderCapacity);
  TMP3Info info;
  TMPFrameWalker walker(reader, info);
  reader.Attach(stream.get(), options.Seekable);
  TMPFrameWalkOptions walkOptions;
  walkOptions.FreeFormat = options.FreeFormat;
  int32_t bytesPerFrame = 0;
  try {
    walker.Open(walkOptions);
    if (OpenDecoderOn(walker.FirstFrameHeader(), walker.FrameSize()) == 0) return;
    TMPOutputFormat format{};
    GetOutputFormat(format);
    bytesPerFrame = format.SamplesPerFrame * format.BitsPerSample / 8;
    if (bytesPerFrame <= 0 || bytesPerFrame > kPcmBufferBytes) return;
    walker.PassInfoFrame();
  } catch (const std::exception& e) {
    if (!IsUnknownFormat(e)) FuzzFailure(e.what());
    return;
  }
  FUZZ_CHECK(walker.AudioStart() >= 0 && walker.AudioStart() <= static_cast<int64_t>(input.PayloadSize()));

  // A stream with an information frame was opened on that frame's header and is set up again
  // on the first audio frame's: only without one are both plays set up alike.
  const bool comparePlays = options.Seekable && options.RewindAfter > 0 && walker.FrameSize() > 0;
  std::vector<uint8_t> pcm(kPcmBufferBytes);
  std::vector<uint64_t> played;  // a digest of each frame as the player would play it
  bool needReinit = false;
  bool rewound = false;
  int32_t frames = 0;
  int32_t decoded = 0;
  size_t replayed = 0;
  try {
    while (!walker.Exhausted()) {
      TMPFrameHeader header{};
      if (walker.ParseNext(header) != TMPFrameWalker::TStep::Frame) continue;
      FUZZ_CHECK(walker.FrameSize() > 0);
      if (needReinit) {
        if (OpenDecoderOn(header, walker.FrameSize()) == 0) {
          walker.SkipByte();
          continue;
        }
        needReinit = false;
      }
      if (!walker.EnsureFrame()) continue;
      FUZZ_CHECK(reader.Contiguous() >= walker.FrameSize());
      TMPDecodeResult result{};
      if (kReplay || decoded++ < kDecodedFrames) {
        DecodeFrame(result, walker.FrameData(), walker.FrameSize(), pcm.data());
        FUZZ_CHECK(result.BytesProduced >= 0 && result.BytesProduced <= kPcmBufferBytes);
      }
      walker.ConsumeFrame();
      if (comparePlays) {
        if (result.BytesConsumed < 1) std::memset(pcm.data(), 0, static_cast<size_t>(bytesPerFrame));
        const uint64_t digest = Digest(pcm.data(), bytesPerFrame);
        if (!rewound) {
          played.push_back(digest);
        } else if (replayed < played.size()) {
          FUZZ_CHECK(played[replayed++] == digest);
        }
      }
      if (options.RewindAfter > 0 && ++frames == options.RewindAfter && options.Seekable && !rewound) {
        walker.Rewind();  // Stop, then Play
        needReinit = true;
        rewound = true;
      }
    }
  } catch (const std::exception& e) {
    FuzzFailure(e.what());  // once open, the walk raises nothing
  }
  FUZZ_CHECK(reader.Position() <= static_cast<int64_t>(input.PayloadSize()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInput) return -1;  // not added to the corpus
  const TFuzzInput input(data, size, kControlBytes);
  const uint8_t control = input.Control(0);
  TStreamOptions options;
  options.Seekable = (control & 1) != 0;
  options.Chunk = ReadChunkFor(static_cast<uint8_t>(control >> 1));
  options.FreeFormat = (control & 0x10) != 0;
  options.RewindAfter = kReplay ? control >> 5 : 0;
  SelectCpuRoutines(GetCpuFeatures());
  if (kReplay && (input.Control(1) & 1)) OpenThroughPlayer(input, options);
  WalkLikeDecodeStep(input, options);
  return 0;
}
