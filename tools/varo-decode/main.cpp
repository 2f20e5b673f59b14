// varo-decode: decodes an MPEG audio file to 16-bit PCM (WAV or raw), or describes it. The
// frames are those the player plays: the input goes through the engine's frame walk.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "decoder/mp3_decoder.h"
#include "input_file.h"
#include "input_frames.h"
#include "options.h"
#include "pcm_writer.h"
#include "stream/engine_error.h"
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

// Opens the decoder on the first frame and passes over an information frame after that, in
// the player's order, then decodes every frame the walk hands out.
int Decode(const TDecodeOptions& options, TMPStream& input) {
  uint32_t features = 0;
  if (!FeaturesFor(options.Cpu, features)) return Fail("this processor has no " + options.Cpu + " form");
  SelectCpuRoutines(features);

  const int64_t frames = options.Raw ? 0 : SummarizeStream(input).Frames;  // the WAV header needs it first
  TInputFrames walk(input);
  if (!OpenDecoderStream(walk.FirstHeader(), walk.FirstLength(), 0, 0, options.OutputFlags,
                         options.CutoffHz)) {
    RaiseUnknownFormat();
  }
  TMPOutputFormat format{};
  GetOutputFormat(format);
  walk.PassInfoFrame();

  const size_t frameSamples = static_cast<size_t>(format.SamplesPerFrame);
  std::vector<int16_t> pcm(frameSamples);
  TPcmWriter writer(options.Output, !options.Raw, format.Channels, format.SampleRate,
                    uint64_t{frameSamples} * sizeof(int16_t) * static_cast<uint64_t>(frames));
  TMPFrameHeader header{};
  while (walk.Next(header)) {
    TMPDecodeResult result{};
    DecodeFrame(result, walk.FrameData(), walk.FrameSize(), pcm.data());
    walk.Consume();
    // A frame the decoder rejects plays as silence, as in the player.
    if (result.BytesConsumed < 1) std::fill(pcm.begin(), pcm.end(), int16_t{0});
    writer.Write(pcm.data(), frameSamples);
  }
  WarnAboutEnd(walk.End(), walk.EndOffset());
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
