// The track decoder: gapless lengths and content of the corpus, and seeks that give sample for
// sample what a decode from the start gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "decoder/mp_frame_header.h"
#include "stream/mp_track_decoder.h"
#include "test_support.h"

namespace {

std::string ConformancePath(const std::string& name) {
  return std::string(VARO_TEST_DATA) + "/conformance/" + name;
}

TMPTrackOptions Options(bool gapless, bool freeFormat = false) {
  TMPTrackOptions options;
  options.Gapless = gapless;
  options.Walk.FreeFormat = freeFormat;
  return options;
}

// Decodes from where the decoder stands to the end.
std::vector<uint8_t> DecodeRest(TMPTrackDecoder& track) {
  std::vector<uint8_t> pcm;
  std::vector<uint8_t> frame(static_cast<size_t>(track.BytesPerFrame()));
  int32_t bytes = 0;
  for (;;) {
    const TMPTrackDecoder::TStep step = track.DecodeNext(frame.data(), bytes);
    if (step == TMPTrackDecoder::TStep::Ended) return pcm;
    pcm.insert(pcm.end(), frame.begin(), frame.begin() + bytes);
  }
}

struct TOpenTrack {
  TMemoryStream Stream;
  TMPTrackDecoder Track;
  TOpenTrack(std::vector<uint8_t> bytes, const TMPTrackOptions& options) : Stream(std::move(bytes)) {
    Track.Open(&Stream, true, options);
  }
  TOpenTrack(const std::string& path, const TMPTrackOptions& options)
      : TOpenTrack(ReadFileBytes(path), options) {}
};

// Ways to spoil a constant-rate file so that the rate no longer finds its frames.
enum class TSpoil { None, TagBetweenFrames, InfoFramesLie };

std::vector<uint8_t> Spoiled(const std::string& path, TSpoil spoil) {
  std::vector<uint8_t> bytes = ReadFileBytes(path);
  if (spoil == TSpoil::TagBetweenFrames) {
    // An ID3v1 tag behind the 30th frame, as where files were joined.
    size_t at = 0;
    for (int frame = 0; frame < 30; ++frame) {
      TMPFrameHeader header{};
      at += static_cast<size_t>(FrameSizeWithPadding(header, ParseFrameHeader(bytes.data() + at, 0, header)));
    }
    std::vector<uint8_t> tag(128, ' ');
    std::memcpy(tag.data(), "TAG", 3);
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), tag.begin(), tag.end());
  } else if (spoil == TSpoil::InfoFramesLie) {
    const auto info = std::search(bytes.begin(), bytes.end(), std::begin("Info"), std::end("Info") - 1);
    info[11] = static_cast<uint8_t>(info[11] + 9);  // the frame count's low byte
  }
  return bytes;
}

}  // namespace

TEST(TrackDecoder, GaplessCorpusPlaysExactlyTheEncodedSamples) {
  int lameTagged = 0;
  for (const TManifestRow& row : CorpusManifest()) {
    if (row["ref_samples"] == "-" || row["expect"] != "ok") continue;
    SCOPED_TRACE(row["file"]);
    const bool freeFormat = row["bitrate_kind"] == "free";
    TOpenTrack gapless(CorpusPath(row["file"]), Options(true, freeFormat));
    TOpenTrack full(CorpusPath(row["file"]), Options(false, freeFormat));
    const int64_t ref = std::stoll(row["ref_samples"]);
    const int64_t offset = std::stoll(row["full_offset"]);
    const int32_t block = gapless.Track.Format().Channels * 2;
    // The LAME tag's frame count gives the length up front; any track knows it once walked.
    if (offset > 0) {
      EXPECT_EQ(gapless.Track.TotalSamples(), ref);
    }
    const std::vector<uint8_t> trimmed = DecodeRest(gapless.Track);
    const std::vector<uint8_t> every = DecodeRest(full.Track);
    EXPECT_EQ(gapless.Track.TotalSamples(), ref);
    EXPECT_EQ(full.Track.TotalSamples(), std::stoll(row["full_samples"]));
    ASSERT_EQ(static_cast<int64_t>(trimmed.size()), ref * block);
    ASSERT_GE(static_cast<int64_t>(every.size()), (offset + ref) * block);
    EXPECT_TRUE(std::equal(trimmed.begin(), trimmed.end(), every.begin() + offset * block));
    lameTagged += offset > 0;
  }
  EXPECT_GT(lameTagged, 20);
}

// Each seek lands on the exact sample: what follows equals the straight decode from there,
// for every layer, CBR and VBR with and without a table of contents, free format and MPEG-2.
// Seeks before any walk find the frames of a constant-rate stream by its rate; a stream with
// something between its frames, or whose information frame miscounts them, is walked instead.
TEST(TrackDecoder, SeekGivesTheStraightDecodeFromTheTarget) {
  struct TCase {
    std::string Path;
    bool FreeFormat;
    bool ByRate;  // long enough and of constant rate
    TSpoil Spoil = TSpoil::None;
  };
  const std::string chord = CorpusPath("layer3/l3_mpeg1_44k_cbr128_joint_chord.mp3");
  const TCase cases[] = {
      {ConformancePath("l1-fl1.bit"), false, true},
      {ConformancePath("l1-fl8.bit"), false, true},
      {ConformancePath("l3-compl.bit"), false, true},
      {ConformancePath("l3-he_free.bit"), true, true},
      {CorpusPath("layer2/l2_mpeg1_44k_stereo_128_speech_en.mp2"), false, true},
      {CorpusPath("layer2/l2_mpeg1_44k_vbr_stereo_speech_en.mp2"), false, false},
      {CorpusPath("layer2/l2_mpeg1_44k_free_stereo_speech_ja.mp2"), true, true},
      {CorpusPath("layer2/l2_mpeg2_22k_stereo_96_chord.mp2"), false, false},
      {chord, false, true},
      {chord, false, false, TSpoil::TagBetweenFrames},
      {chord, false, false, TSpoil::InfoFramesLie},
      {CorpusPath("layer3/l3_mpeg1_44k_vbr_v0_joint_pink.mp3"), false, false},
      {CorpusPath("layer3/l3_mpeg1_44k_vbr_v4_noinfo_joint_speech_ja.mp3"), false, false},
      {CorpusPath("layer3/l3_mpeg1_44k_free640_joint_white.mp3"), true, true},
      {CorpusPath("layer3/l3_mpeg1_44k_cbr160_joint_crc_sweep.mp3"), false, true},
      {CorpusPath("layer3/l3_mpeg2_24k_cbr64_joint_speech_en.mp3"), false, true},
      {CorpusPath("layer3/l3_mpeg25_8k_cbr8_mono_speech_en.mp3"), false, false},
      {CorpusPath("damaged/dmg_junk1000_between_frames.mp3"), false, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Path + " spoiled " + std::to_string(static_cast<int>(c.Spoil)));
    const std::vector<uint8_t> file = Spoiled(c.Path, c.Spoil);
    TOpenTrack open(file, Options(true, c.FreeFormat));
    TMPTrackDecoder& track = open.Track;
    const std::vector<uint8_t> straight = DecodeRest(track);
    const int32_t block = track.Format().Channels * 2;
    const int64_t total = static_cast<int64_t>(straight.size()) / block;
    const int64_t frame = track.Format().SamplesPerFrame / track.Format().Channels;
    ASSERT_GT(total, 4 * frame);
    {
      // Indexing ahead between the frames uses the same stream and disturbs nothing.
      TOpenTrack indexing(file, Options(true, c.FreeFormat));
      std::vector<uint8_t> pcm, one(static_cast<size_t>(indexing.Track.BytesPerFrame()));
      int32_t bytes = 0;
      bool more = true;
      while (indexing.Track.DecodeNext(one.data(), bytes) != TMPTrackDecoder::TStep::Ended) {
        pcm.insert(pcm.end(), one.begin(), one.begin() + bytes);
        if (more) more = indexing.Track.IndexAhead(3);
      }
      EXPECT_FALSE(more);
      EXPECT_EQ(pcm, straight);
    }
    // Backwards, forwards, within frames, the first and the last frame, the end and past it;
    // each on the walked track and on one just opened.
    bool byRate = false;
    for (const int64_t target : {total / 2 + 123, int64_t{0}, frame + 7, total - frame / 2, int64_t{1},
                                 total / 3, total - 1, 5 * frame, total, total + 1000}) {
      SCOPED_TRACE(target);
      TOpenTrack cold(file, Options(true, c.FreeFormat));
      for (TMPTrackDecoder* seeking : {&track, &cold.Track}) {
        seeking->SeekSample(target);
        EXPECT_EQ(seeking->NextSample(), std::min(target, total));
        const std::vector<uint8_t> rest = DecodeRest(*seeking);
        const size_t from = static_cast<size_t>(std::min(target, total) * block);
        ASSERT_EQ(rest.size(), straight.size() - from);
        ASSERT_TRUE(
            std::equal(rest.begin(), rest.end(), straight.begin() + static_cast<std::ptrdiff_t>(from)));
      }
      byRate = byRate || cold.Track.ConstantRate();
    }
    EXPECT_EQ(byRate, c.ByRate);
    EXPECT_EQ(track.TotalSamples(), total);
  }
}
