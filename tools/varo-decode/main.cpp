// varo-decode: decodes an MPEG audio file to 16-bit PCM (WAV or raw), or describes it. The
// samples are those the player plays: the input goes through the engine's track decoder.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/engine_error.h"
#include "decoder/mp3_decoder.h"
#include "input_file.h"
#include "input_frames.h"
#include "options.h"
#include "pcm_writer.h"
#include "stream/mp_track_decoder.h"
#include "stream_summary.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int Fail(const std::string& message) {
  std::fprintf(stderr, "varo-decode: %s\n", message.c_str());
  return kExitFailure;
}

void Warn(const std::string& message) { std::fprintf(stderr, "varo-decode: warning: %s\n", message.c_str()); }

// The feature word for a --cpu choice; false when the processor lacks that form.
bool FeaturesFor(const std::string& cpu, uint32_t& features) {
  const uint32_t detected = GetCpuFeatures();
  const uint32_t vector = cpuSSE2 | cpuAVX2 | cpuFMA;
  if (cpu == "plain") {
    features = detected & ~vector;
  } else if (cpu == "sse2") {
    features = detected & ~(cpuAVX2 | cpuFMA);
    return (detected & cpuSSE2) != 0;
  } else if (cpu == "avx2") {
    features = detected;
    return (detected & (cpuAVX2 | cpuFMA)) == (cpuAVX2 | cpuFMA);
  } else {
    features = detected;
  }
  return true;
}

void WarnAboutEnd(TWalkEnd end, int64_t offset) {
  if (end == TWalkEnd::JunkLimit) {
    Warn("no frame in the " + std::to_string(TMPFrameWalker::kJunkLimit) + " bytes after offset " +
         std::to_string(offset - TMPFrameWalker::kJunkLimit) + "; the rest of the file is not decoded");
  } else if (end == TWalkEnd::Truncated) {
    Warn("the last frame (at offset " + std::to_string(offset) + ") is cut off and left out");
  }
}

// Why the track's walk ended, read from where its frame walk stopped.
TWalkEnd EndOfWalk(TMPTrackDecoder& track) {
  const TMPFrameWalker& walker = track.Walker();
  if (walker.SkipCount() >= TMPFrameWalker::kJunkLimit) return TWalkEnd::JunkLimit;
  if (walker.FrameSize() > 0) return TWalkEnd::Truncated;
  return TWalkEnd::EndOfData;
}

// Decodes as the player does: the decoder set up on the first frame, an information frame
// passed over, the frames the walk hands out, and (gapless) the encoder's delay and padding
// trimmed.
int Decode(const TDecodeOptions& options, TMPStream& input) {
  uint32_t features = 0;
  if (!FeaturesFor(options.Cpu, features)) return Fail("this processor has no " + options.Cpu + " form");

  TMPTrackOptions trackOptions;
  trackOptions.Gapless = options.Gapless;
  trackOptions.Walk.FreeFormat = true;
  trackOptions.OutputFlags = options.OutputFlags;
  trackOptions.CutoffHz = options.CutoffHz;
  input.Seek(0, TMPSeekOrigin::soBeginning);
  TMPTrackDecoder track;
  SelectCpuRoutines(track.DecoderState(), features);
  track.Open(&input, true, trackOptions);
  const TMPOutputFormat& format = track.Format();
  const uint64_t blockBytes = static_cast<uint64_t>(format.Channels) * sizeof(int16_t);
  uint64_t dataBytes = 0;
  if (!options.Raw) {  // the WAV header needs the length first
    track.WalkAll();
    dataBytes = static_cast<uint64_t>(std::max<int64_t>(track.TotalSamples(), 0)) * blockBytes;
  }
  const auto frameSamples = static_cast<size_t>(track.BytesPerFrame()) / sizeof(int16_t);
  TPcmWriter writer(options.Output, !options.Raw, format.Channels, format.SampleRate, dataBytes);
  int32_t bytes = 0;
  for (;;) {
    int16_t* pcm = writer.SampleRoom(frameSamples);
    const TMPTrackDecoder::TStep step = track.DecodeNext(reinterpret_cast<uint8_t*>(pcm), bytes);
    if (step == TMPTrackDecoder::TStep::Ended) break;
    if (bytes > 0) writer.Commit(static_cast<size_t>(bytes) / sizeof(int16_t));
  }
  WarnAboutEnd(EndOfWalk(track), track.Reader().Position());
  writer.Close();
  return 0;
}

int Run(const TDecodeOptions& options) {
  std::unique_ptr<TMPStream> input;
  try {
    input = OpenInput(options.Input);
  } catch (const EMP3Error& e) {
    return Fail(e.what());
  }
  try {
    if (options.Info) {
      PrintStreamSummary(SummarizeStream(*input), stdout);
      return 0;
    }
    return Decode(options, *input);
  } catch (const EMP3Error& e) {
    // The engine's texts name no file: say which one.
    return Fail(options.Input + ": " + e.what());
  } catch (const TOutputError& e) {
    return Fail(e.what());
  }
}

}  // namespace

int main(int argc, char** argv) {
  TDecodeOptions options;
  bool help = false;
  std::string error;
  if (!ParseOptions(argc, argv, options, help, error)) {
    std::fprintf(stderr, "varo-decode: %s\n%s", error.c_str(), UsageText());
    return kExitUsage;
  }
  if (help) {
    std::fputs(UsageText(), stdout);
    return 0;
  }
  if (options.Version) {
    std::fputs("varo-decode " VARO_VERSION "\n", stdout);
    return 0;
  }
  return Run(options);
}
