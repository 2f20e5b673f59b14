// varo-decode: decodes an MPEG audio file to 16-bit PCM (WAV or raw), or describes it.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "input_file.h"
#include "mp3_decoder.h"
#include "options.h"
#include "pcm_writer.h"
#include "stream_walk.h"

namespace {

constexpr const char* kUnknownFormat = "unknown MPEG Audio format.";
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

const char* VersionName(const TMPFrameHeader& h) {
  if (h.Id == 1) return "MPEG-1";
  return h.Sync == 2 ? "MPEG-2.5" : "MPEG-2";
}

const char* ModeName(int32_t mode) {
  static const char* const names[4] = {"stereo", "joint stereo", "dual channel", "single channel"};
  return names[mode & 3];
}

void PrintInfo(const TStreamWalk& walk) {
  const TMPFrameHeader& h = walk.FirstHeader;
  int32_t rate = SamplingRateHz(h.Id, h.SamplingIndex);
  if (h.Layer == 1 && h.Id == 0 && h.Sync == 2) rate /= 2;  // MPEG-2.5 Layer III rates
  std::printf("layer: %d\n", 4 - h.Layer);
  std::printf("version: %s\n", VersionName(h));
  std::printf("sampling rate: %d Hz\n", rate);
  std::printf("channels: %d (%s)\n", h.Mode == 3 ? 1 : 2, ModeName(h.Mode));
  if (walk.MinBitrate == walk.MaxBitrate) {
    std::printf("bit rate: %d kbit/s%s\n", walk.MaxBitrate / 1000, h.BitrateIndex == 0 ? " (free format)" : "");
  } else {
    std::printf("bit rate: %d-%d kbit/s (variable)\n", walk.MinBitrate / 1000, walk.MaxBitrate / 1000);
  }
  std::printf("frames: %zu\n", walk.Frames.size());
}

void WarnAboutEnd(const TStreamWalk& walk) {
  if (walk.End == TWalkEnd::JunkLimit) {
    Warn("no frame in the " + std::to_string(kMaxJunkBytes) + " bytes after offset " +
         std::to_string(walk.EndOffset - kMaxJunkBytes) + "; the rest of the file is not decoded");
  } else if (walk.End == TWalkEnd::Truncated) {
    Warn("the last frame (at offset " + std::to_string(walk.EndOffset) + ") is cut off and left out");
  }
}

int Decode(const TDecodeOptions& options, const std::vector<uint8_t>& data, const TStreamWalk& walk) {
  uint32_t features = 0;
  if (!FeaturesFor(options.Cpu, features)) return Fail("this processor has no " + options.Cpu + " form");
  SelectCpuRoutines(features);

  if (!OpenDecoderStream(walk.FirstHeader, walk.FirstLength, 0, 0, options.OutputFlags, options.CutoffHz)) {
    return Fail(options.Input + ": " + kUnknownFormat);
  }
  TMPOutputFormat format;
  GetOutputFormat(format);
  const size_t frameSamples = static_cast<size_t>(format.SamplesPerFrame);
  std::vector<int16_t> pcm(frameSamples);

  TPcmWriter writer(options.Output, !options.Raw, format.Channels, format.SampleRate,
                    uint64_t{frameSamples} * 2 * walk.Frames.size());
  for (const TFrameSpan& frame : walk.Frames) {
    TMPDecodeResult result;
    DecodeFrame(result, data.data() + frame.Offset, frame.Size, pcm.data());
    // A frame the decoder rejects plays as silence, as in the player.
    if (result.BytesConsumed < 1) std::fill(pcm.begin(), pcm.end(), int16_t{0});
    writer.Write(pcm.data(), frameSamples);
  }
  writer.Close();
  return 0;
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

  std::vector<uint8_t> data;
  if (!ReadInputFile(options.Input, data, error)) return Fail(error);
  TStreamWalk walk;
  if (!WalkStream(data.data(), data.size(), walk)) return Fail(options.Input + ": " + kUnknownFormat);

  if (options.Info) {
    PrintInfo(walk);
    return 0;
  }
  WarnAboutEnd(walk);
  try {
    return Decode(options, data, walk);
  } catch (const TOutputError& e) {
    return Fail(e.what());
  }
}
