// varo-decode as a user runs it: damaged and non-audio input, error messages, WAV and raw
// output, --info, channel options, and the frame walk over tags, junk and cut-off frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "run_tool.h"

#if defined(VARO_DECODE_PATH)

namespace {

const std::string kDecoder = VARO_DECODE_PATH;
const std::string kData = VARO_TEST_DATA;
// 63 frames of 576 bytes: MPEG-1 Layer II, 48000 Hz, 192 kbit/s, stereo.
const std::string kLayer2File = kData + "/corpus/layer2/l2_mpeg1_48k_stereo_192_lr.mp2";
constexpr size_t kFrameBytes = 576, kFrames = 63, kPcmBytesPerFrame = 1152 * 2 * 2;

int32_t Le(const std::string& bytes, size_t at, int32_t size) {
  uint32_t v = 0;
  for (int32_t i = size - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
  return static_cast<int32_t>(v);
}

bool OneLine(const std::string& text) { return !text.empty() && text.find('\n') == text.size() - 1; }

// Runs a decode of `input` to raw PCM and returns it; expects success.
std::string DecodeRaw(const TTempFolder& folder, const std::string& input,
                      std::vector<std::string> extra = {}) {
  std::vector<std::string> args = {kDecoder, "--raw"};
  args.insert(args.end(), extra.begin(), extra.end());
  args.push_back(input);
  args.push_back(folder.File("out.raw"));
  const TToolRun run = RunTool(folder, args);
  EXPECT_EQ(run.Status, 0) << run.Err;
  return ReadFileText(folder.File("out.raw"));
}

std::vector<std::string> DamagedInputs() {
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(kData + "/corpus/damaged")) {
    if (entry.path().extension() == ".mp3") files.push_back(entry.path().string());
  }
  for (const auto& entry : std::filesystem::directory_iterator(kData + "/conformance")) {
    const std::string name = entry.path().filename().string();
    if (name.find("nonstandard") != std::string::npos && entry.path().extension() == ".bit") {
      files.push_back(entry.path().string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(VaroDecode, DamagedInputNeverCrashes) {
  TTempFolder folder;
  const auto inputs = DamagedInputs();
  ASSERT_GE(inputs.size(), 20u);
  for (const auto& input : inputs) {
    for (const std::vector<std::string>& mode :
         {std::vector<std::string>{"--full-band"}, {"--mix"}, {"--info"}}) {
      SCOPED_TRACE(input + " " + mode[0]);
      std::vector<std::string> args = {kDecoder};
      args.insert(args.end(), mode.begin(), mode.end());
      args.push_back(input);
      if (mode[0] != "--info") args.push_back(folder.File("out.wav"));
      const TToolRun run = RunTool(folder, args);
      ASSERT_EQ(run.Signal, 0) << run.Err;
      ASSERT_TRUE(run.Status == 0 || run.Status == 1) << run.Err;
      if (run.Status == 1) {
        EXPECT_TRUE(OneLine(run.Err)) << run.Err;
      } else if (mode[0] != "--info") {
        const std::string wav = ReadFileText(folder.File("out.wav"));
        ASSERT_GE(wav.size(), 44u);
        EXPECT_EQ(static_cast<size_t>(Le(wav, 40, 4)), wav.size() - 44);
      }
    }
  }
}

TEST(VaroDecode, FilesWithoutAudioReportTheUnknownFormat) {
  TTempFolder folder;
  for (const char* name : {"dmg_empty.mp3", "dmg_text_file.mp3", "dmg_id3v2_only.mp3"}) {
    const std::string input = kData + "/corpus/damaged/" + name;
    const TToolRun run = RunTool(folder, {kDecoder, input, folder.File("out.wav")});
    EXPECT_EQ(run.Status, 1) << name;
    EXPECT_TRUE(OneLine(run.Err)) << run.Err;
    EXPECT_NE(run.Err.find("unknown MPEG Audio format."), std::string::npos) << run.Err;
    EXPECT_NE(run.Err.find(name), std::string::npos) << run.Err;
  }
}

TEST(VaroDecode, MissingInputAndUnwritableOutputAreNamed) {
  TTempFolder folder;
  const std::string missing = folder.File("no-such-file.mp3");
  TToolRun run = RunTool(folder, {kDecoder, missing, folder.File("out.wav")});
  EXPECT_EQ(run.Status, 1);
  EXPECT_TRUE(OneLine(run.Err));
  EXPECT_NE(run.Err.find(missing), std::string::npos) << run.Err;
  EXPECT_NE(run.Err.find(std::strerror(ENOENT)), std::string::npos) << run.Err;

  const std::string unwritable = folder.File("no-such-folder/out.wav");
  run = RunTool(folder, {kDecoder, kLayer2File, unwritable});
  EXPECT_EQ(run.Status, 1);
  EXPECT_TRUE(OneLine(run.Err));
  EXPECT_NE(run.Err.find(unwritable), std::string::npos) << run.Err;

  // A full disk shows only when the buffered samples go out.
  run = RunTool(folder, {kDecoder, "--raw", kLayer2File, "/dev/full"});
  EXPECT_EQ(run.Status, 1);
  EXPECT_NE(run.Err.find(std::strerror(ENOSPC)), std::string::npos) << run.Err;
}

TEST(VaroDecode, UsageErrorsExitWithStatusTwo) {
  TTempFolder folder;
  const std::string out = folder.File("out.wav");
  for (const std::vector<std::string>& args : {std::vector<std::string>{kDecoder},
                                               {kDecoder, kLayer2File},
                                               {kDecoder, "--cpu", "mmx", kLayer2File, out},
                                               {kDecoder, "--mix", "--left", kLayer2File, out},
                                               {kDecoder, "--cutoff", "12k", kLayer2File, out},
                                               {kDecoder, "--bogus", kLayer2File, out},
                                               {kDecoder, "--info", kLayer2File, out}}) {
    const TToolRun run = RunTool(folder, args);
    EXPECT_EQ(run.Status, 2) << args.size();
    EXPECT_NE(run.Err.find("usage:"), std::string::npos);
  }
  EXPECT_EQ(RunTool(folder, {kDecoder, "--help"}).Status, 0);
}

TEST(VaroDecode, WavHeaderDescribesTheRawSamples) {
  TTempFolder folder;
  const std::string raw = DecodeRaw(folder, kLayer2File);
  EXPECT_EQ(raw.size(), kFrames * kPcmBytesPerFrame);
  TToolRun run = RunTool(folder, {kDecoder, kLayer2File, folder.File("out.wav")});
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_TRUE(run.Err.empty()) << run.Err;
  const std::string wav = ReadFileText(folder.File("out.wav"));
  ASSERT_EQ(wav.size(), raw.size() + 44);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(Le(wav, 4, 4), static_cast<int32_t>(wav.size() - 8));
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(Le(wav, 20, 2), 1);      // PCM
  EXPECT_EQ(Le(wav, 22, 2), 2);      // channels
  EXPECT_EQ(Le(wav, 24, 4), 48000);  // rate
  EXPECT_EQ(Le(wav, 28, 4), 48000 * 4);
  EXPECT_EQ(Le(wav, 32, 2), 4);
  EXPECT_EQ(Le(wav, 34, 2), 16);
  EXPECT_EQ(wav.substr(36, 4), "data");
  EXPECT_EQ(Le(wav, 40, 4), static_cast<int32_t>(raw.size()));
  EXPECT_EQ(wav.substr(44), raw);

  // Standard output gives the same bytes.
  run = RunTool(folder, {kDecoder, "--raw", kLayer2File, "-"});
  ASSERT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, raw);
}

TEST(VaroDecode, ChannelOptionsWriteOneChannel) {
  TTempFolder folder;
  const std::string stereo = DecodeRaw(folder, kLayer2File);
  for (int32_t channel = 0; channel < 2; ++channel) {
    const std::string one = DecodeRaw(folder, kLayer2File, {channel == 0 ? "--left" : "--right"});
    ASSERT_EQ(one.size() * 2, stereo.size());
    for (size_t i = 0; i < one.size(); i += 2) {
      ASSERT_EQ(one.compare(i, 2, stereo, 2 * i + 2 * static_cast<size_t>(channel), 2), 0) << i;
    }
  }
  const TToolRun run = RunTool(folder, {kDecoder, "--mix", kLayer2File, folder.File("mix.wav")});
  ASSERT_EQ(run.Status, 0);
  EXPECT_EQ(Le(ReadFileText(folder.File("mix.wav")), 22, 2), 1);
}

// --full-band lifts only the sub-band 31 rule: with a cutoff far below it, every layer decodes
// as without --full-band, and the cutoff does remove what --full-band alone keeps.
TEST(VaroDecode, CutoffLimitsEveryLayerAlsoInFullBand) {
  TTempFolder folder;
  for (const std::string file : {"/conformance/l1-fl1.bit", "/corpus/layer2/l2_mpeg1_44k_joint_192_white.mp2",
                                 "/corpus/layer3/l3_mpeg1_32k_cbr96_joint_white.mp3"}) {
    SCOPED_TRACE(file);
    const std::string cut = DecodeRaw(folder, kData + file, {"--cutoff", "4000"});
    ASSERT_FALSE(cut.empty());
    EXPECT_TRUE(DecodeRaw(folder, kData + file, {"--full-band", "--cutoff", "4000"}) == cut);
    EXPECT_FALSE(DecodeRaw(folder, kData + file, {"--full-band"}) == cut);
  }
}

TEST(VaroDecode, InfoDescribesTheStream) {
  TTempFolder folder;
  TToolRun run =
      RunTool(folder, {kDecoder, "--info", kData + "/corpus/layer2/l2_mpeg1_44k_vbr_stereo_speech_en.mp2"});
  ASSERT_EQ(run.Status, 0);
  EXPECT_NE(run.Out.find("layer: 2\n"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("version: MPEG-1\n"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("sampling rate: 44100 Hz\n"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("channels: 2"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("(variable)"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("frames: 77\n"), std::string::npos) << run.Out;
  run = RunTool(folder, {kDecoder, "--info", kData + "/corpus/layer2/l2_mpeg2_16k_mono_32_speech_en.mp2"});
  EXPECT_NE(run.Out.find("version: MPEG-2\n"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("sampling rate: 16000 Hz\n"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("channels: 1"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("bit rate: 32 kbit/s\n"), std::string::npos) << run.Out;
}

TEST(VaroDecode, FreeFormatStreamDecodesEveryFrame) {
  TTempFolder folder;
  const std::string input = kData + "/corpus/layer2/l2_mpeg1_44k_free_stereo_speech_ja.mp2";
  const TToolRun run = RunTool(folder, {kDecoder, "--info", input});
  EXPECT_NE(run.Out.find("(free format)"), std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("frames: 77\n"), std::string::npos) << run.Out;
  EXPECT_EQ(DecodeRaw(folder, input).size(), 77u * kPcmBytesPerFrame);
}

// The clean stream with something put in front of it or between its frames.
std::string Spliced(const std::string& front, size_t atFrame, const std::string& between) {
  const std::string stream = ReadFileText(kLayer2File);
  return front + stream.substr(0, atFrame * kFrameBytes) + between + stream.substr(atFrame * kFrameBytes);
}

std::string Junk(size_t size) {
  std::string junk;
  for (size_t i = 0; i < size; ++i) junk.push_back(static_cast<char>((i * 37 + 11) % 255));  // never 0xFF
  return junk;
}

std::string Id3v2Tag(size_t bodySize) {
  std::string tag = "ID3";
  tag += std::string("\x03\x00\x00", 3);
  for (int32_t shift : {21, 14, 7, 0}) tag.push_back(static_cast<char>((bodySize >> shift) & 0x7F));
  std::string body = Junk(bodySize);
  body.replace(40, 4, std::string("\xFF\xFB\x90\x00", 4));  // a frame header inside the tag must not count
  return tag + body;
}

// An APEv1 tag (a footer, no header) with one text item holding `value`.
std::string ApeTag(const std::string& value) {
  auto le32 = [](size_t v) {
    std::string bytes;
    for (int32_t i = 0; i < 4; ++i) bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return bytes;
  };
  const std::string items = le32(value.size()) + le32(0) + std::string("Title", 6) + value;
  return items + "APETAGEX" + le32(1000) + le32(items.size() + 32) + le32(1) + le32(0) + std::string(8, '\0');
}

// The input named, piped to standard input ("-") and piped to a named file that cannot seek
// ("/dev/stdin") decodes to `expected`, with nothing on standard error.
void ExpectSameFromEveryKindOfInput(const TTempFolder& folder, const std::string& input,
                                    const std::string& expected) {
  EXPECT_TRUE(DecodeRaw(folder, input) == expected);
  for (const char* source : {"-", "/dev/stdin"}) {
    const std::string out = folder.File("piped.raw");
    const TToolRun run = RunTool(
        folder,
        {"/bin/sh", "-c", "cat '" + input + "' | '" + kDecoder + "' --raw " + source + " '" + out + "'"});
    EXPECT_EQ(run.Status, 0) << source;
    EXPECT_EQ(run.Err, "") << source;
    EXPECT_TRUE(ReadFileText(out) == expected) << source;
  }
}

// Tags and wrappers in front of and behind the audio are left out of every kind of input:
// inputs that cannot seek are read whole first, so the tags at their end are found too (an
// APE tag holding a frame header would otherwise be read as a frame cut off).
TEST(VaroDecode, TagsAndWrappersAreLeftOutOfEveryKindOfInput) {
  TTempFolder folder;
  const std::string clean = DecodeRaw(folder, kData + "/corpus/tags/tag_none_base.mp3");
  ASSERT_FALSE(clean.empty());
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kData + "/corpus/tags")) {
    if (entry.path().extension() != ".mp3") continue;
    SCOPED_TRACE(entry.path().string());
    ExpectSameFromEveryKindOfInput(folder, entry.path().string(), clean);
    ++files;
  }
  EXPECT_GE(files, 15u);

  const std::string stream = ReadFileText(kLayer2File);
  WriteFileBytes(folder.File("ape.mp2"), stream + ApeTag(stream.substr(0, 4) + Junk(20)));
  ExpectSameFromEveryKindOfInput(folder, folder.File("ape.mp2"), DecodeRaw(folder, kLayer2File));
}

// An information frame is passed over as the player does, also where a CRC follows the
// header and the encoder wrote the tag as if there were none; --info counts audio frames.
// By default its LAME tag's delay (plus the decoder's 529) and padding are trimmed: what is
// left is the encoded samples, the middle of what --no-gapless gives.
TEST(VaroDecode, InformationFramesAreNotDecodedAndTheirLameTagTrims) {
  struct Case {
    const char* File;
    size_t Frames;
    size_t PcmBytesPerFrame;
    size_t EncodedSamples;
  };
  constexpr size_t kTrimmedInFront = 576 + 529;
  TTempFolder folder;
  for (const Case c : {Case{"layer3/l3_mpeg1_44k_cbr160_joint_crc_sweep.mp3", 59, 1152 * 4, 66150},
                       Case{"layer3/l3_mpeg2_16k_cbr40_joint_crc_white.mp3", 44, 576 * 4, 24000},
                       Case{"layer3/l3_mpeg1_44k_vbr_v0_joint_pink.mp3", 59, 1152 * 4, 66150}}) {
    const std::string input = kData + "/corpus/" + c.File;
    const TToolRun run = RunTool(folder, {kDecoder, "--info", input});
    EXPECT_NE(run.Out.find("frames: " + std::to_string(c.Frames) + "\n"), std::string::npos)
        << c.File << run.Out;
    const std::string every = DecodeRaw(folder, input, {"--no-gapless"});
    EXPECT_EQ(every.size(), c.Frames * c.PcmBytesPerFrame) << c.File;
    const std::string trimmed = DecodeRaw(folder, input);
    EXPECT_EQ(trimmed, every.substr(kTrimmedInFront * 4, c.EncodedSamples * 4)) << c.File;
  }
}

TEST(VaroDecode, WalkPassesOverTagsFalseSyncsAndShortJunk) {
  TTempFolder folder;
  const std::string clean = DecodeRaw(folder, kLayer2File);
  // A false header that parses (Layer II, 48000 Hz, one channel, 192 bytes) but is not followed
  // by a frame of its format.
  const std::string falseSync = std::string("\xFF\xFD\x44\xC0", 4) + Junk(150);
  const std::vector<std::string> variants = {
      Spliced(Id3v2Tag(300), 0, ""), Spliced(Id3v2Tag(200) + falseSync, 0, ""), Spliced("", 10, Junk(1000)),
      Spliced("", 10, Junk(4096)), Spliced("", 0, "") + "TAG" + Junk(125)};
  for (size_t i = 0; i < variants.size(); ++i) {
    WriteFileBytes(folder.File("variant.mp2"), variants[i]);
    const TToolRun run =
        RunTool(folder, {kDecoder, "--raw", folder.File("variant.mp2"), folder.File("out.raw")});
    EXPECT_EQ(run.Status, 0) << "variant " << i << ": " << run.Err;
    EXPECT_TRUE(run.Err.empty()) << "variant " << i << ": " << run.Err;
    EXPECT_TRUE(ReadFileText(folder.File("out.raw")) == clean) << "variant " << i;
  }
}

TEST(VaroDecode, LongJunkAndCutFramesEndTheAudioWithAWarning) {
  TTempFolder folder;
  const std::string clean = DecodeRaw(folder, kLayer2File);
  WriteFileBytes(folder.File("junk.mp2"), Spliced("", 10, Junk(4097)));
  TToolRun run = RunTool(folder, {kDecoder, "--raw", folder.File("junk.mp2"), folder.File("out.raw")});
  EXPECT_EQ(run.Status, 0);
  EXPECT_TRUE(OneLine(run.Err)) << run.Err;
  EXPECT_EQ(ReadFileText(folder.File("out.raw")), clean.substr(0, 10 * kPcmBytesPerFrame));

  const std::string stream = ReadFileText(kLayer2File);
  WriteFileBytes(folder.File("cut.mp2"), stream.substr(0, stream.size() - 100));
  run = RunTool(folder, {kDecoder, "--raw", folder.File("cut.mp2"), folder.File("out.raw")});
  EXPECT_EQ(run.Status, 0);
  EXPECT_TRUE(OneLine(run.Err)) << run.Err;
  EXPECT_EQ(ReadFileText(folder.File("out.raw")), clean.substr(0, (kFrames - 1) * kPcmBytesPerFrame));
}

}  // namespace

#endif
