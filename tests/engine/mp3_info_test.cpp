#include <gtest/gtest.h>

#include <random>

#include "base/engine_error.h"
#include "stream/frame_facts.h"
#include "stream/mp3_info.h"
#include "tag_builders.h"
#include "test_support.h"

namespace {

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// The number that follows prefix in a manifest note; -1 when the note has none.
int64_t NoteNumber(const std::string& note, const std::string& prefix) {
  const size_t at = note.find(prefix);
  if (at == std::string::npos) return -1;
  return std::stoll(note.substr(at + prefix.size()));
}

TMP3InfoType KindsOf(const std::string& tags) {
  TMP3InfoType kinds;
  if (tags.find("id3v1") != std::string::npos) kinds.Include(mitID3V1);
  if (tags.find("id3v2") != std::string::npos) kinds.Include(mitID3V2);
  if (tags.find("riff") != std::string::npos) kinds.Include(mitRiff);
  if (tags.find("macbinary") != std::string::npos) kinds.Include(mitMacBin);
  if (tags.find("lyrics3") != std::string::npos) kinds.Include(mitLyrics);
  if (tags.find("apev2") != std::string::npos) kinds.Include(mitAPE);
  return kinds;
}

Bytes Id3v1Tag(const std::string& title, const std::string& artist, uint8_t genre, int track) {
  Bytes tag(128, 0);
  std::copy_n("TAG", 3, tag.begin());
  std::copy(title.begin(), title.end(), tag.begin() + 3);
  std::copy(artist.begin(), artist.end(), tag.begin() + 33);
  if (track >= 0)
    tag[126] = static_cast<uint8_t>(track);
  else
    tag[125] = 'x';
  tag[127] = genre;
  return tag;
}

TMP3Info& ReadBytes(TTempDir& dir, const Bytes& bytes, TMP3Info& info) {
  const std::string path = dir.File("track.mp3");
  WriteFileBytes(path, bytes);
  info.ReadFromFile(path);
  return info;
}

}  // namespace

class CorpusTags : public testing::TestWithParam<TManifestRow> {};

// Every file of the corpus: the tag kinds found, title and artist, where the audio starts,
// what its first frame says, and which files hold no audio.
TEST_P(CorpusTags, ReadFromFileFindsWhatTheFileHolds) {
  const TManifestRow& row = GetParam();
  const std::string path = CorpusPath(row["file"]);
  const std::string expect = row["expect"];
  TMP3Info info;
  if (expect.starts_with("no_audio")) {
    try {
      info.ReadFromFile(path);
      FAIL() << "opened a file without audio";
    } catch (const EMP3Error& error) {
      EXPECT_STREQ(error.what(), "unknown MPEG Audio format.");
    }
    EXPECT_TRUE(info.Found().Empty());
    EXPECT_EQ(info.Title(), "");
    info.ReadTagsFromFile(path);  // a tag without audio is still read
  } else {
    ASSERT_NO_THROW(info.ReadFromFile(path));
    const TMPFrameHeader& h = info.FirstFrameHeader();
    EXPECT_EQ(std::to_string(LayerNumber(h)), row["layer"]);
    const char* versions[] = {"", "1", "2", "2.5"};
    EXPECT_EQ(versions[VersionNumber(h)], row["version"]);
    EXPECT_TRUE(row["sample_rate"].starts_with(std::to_string(StreamSampleRate(h))));
    EXPECT_EQ(std::to_string(StreamChannels(h)), row["channels"]);
    int64_t start = NoteNumber(row["note"], "MPEG audio at bytes ");
    if (start < 0) start = NoteNumber(row["note"], "real stream at byte ");
    EXPECT_EQ(info.DataStart(), std::max<int64_t>(start, 0));
  }
  const std::string title = row["expected_title"], artist = row["expected_artist"];
  EXPECT_EQ(info.Title(), title == "-" ? BaseName(path) : title);
  EXPECT_EQ(info.Artist(), artist == "-" ? "" : artist);
  EXPECT_EQ(info.Found().Bits(), KindsOf(row["tags"]).Bits()) << row["tags"];
  const std::string tags = row["tags"];
  for (int v = 2; v <= 4; ++v)
    if (tags.find("id3v2." + std::to_string(v)) != std::string::npos) {
      EXPECT_EQ(info.ID3v2Version(), v);
    }
}

INSTANTIATE_TEST_SUITE_P(Manifest, CorpusTags, testing::ValuesIn(CorpusManifest()),
                         [](const testing::TestParamInfo<TManifestRow>& c) {
                           std::string name = c.param["file"];
                           for (char& ch : name)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return name;
                         });

TEST(TagReader, LongestTitleAmongTheAllowedKindsWins) {
  TTempDir dir;
  const Bytes id3v2 = Id3v2Tag(3, 0, Id3v2Frame("TIT2", Text(std::string("\0Twelve chars", 13)), 3));
  const Bytes file =
      Concat({id3v2, BaseAudio(), Id3v1Tag("Exactly Thirty Characters Here", "Someone", 12, 3)});
  TMP3Info info;
  ReadBytes(dir, file, info);
  EXPECT_EQ(info.Title(), "Exactly Thirty Characters Here");
  EXPECT_EQ(info.Artist(), "Someone");
  info.SetNeedInfoType({mitID3V2});
  EXPECT_EQ(info.Title(), "Twelve chars");
  EXPECT_EQ(info.Artist(), "");
  EXPECT_EQ(info.ID3v1Values().Values("track"), "3");  // names compare without case
}

TEST(TagReader, LongestTitleIsMeasuredInBytes) {
  // An ID3v1 field that lost its Japanese to question marks must not beat the Unicode frame
  // that holds the same six characters.
  TTempDir dir;
  const std::string japanese = "\xE3\x81\xAF\xE3\x81\x98\xE3\x81\xBE\xE3\x82\x8A\xE3\x81\xAE\xE6\xAD\x8C";
  const Bytes id3v2 = Id3v2Tag(4, 0, Id3v2Frame("TIT2", Text("\x03" + japanese), 4));
  TMP3Info info;
  ReadBytes(dir, Concat({id3v2, BaseAudio(), Id3v1Tag("??????", "VARO", 12, 3)}), info);
  EXPECT_EQ(info.Title(), japanese);
}

TEST(TagReader, Id3v1GenresAndTrack) {
  TTempDir dir;
  TMP3Info info;
  ReadBytes(dir, Concat({BaseAudio(), Id3v1Tag("T", "A", 200, -1)}), info);
  EXPECT_EQ(info.ID3v1Values().Values("GENRE"), "");
  EXPECT_EQ(info.ID3v1Values().Values("GENREIDX"), "200");
  for (const std::string& line : info.ID3v1Values()) EXPECT_FALSE(line.starts_with("TRACK="));
  ReadBytes(dir, Concat({BaseAudio(), Id3v1Tag("T", "A", 255, 9)}), info);
  EXPECT_EQ(info.ID3v1Values().Values("GENRE"), "Anime(J)");
  EXPECT_EQ(info.ID3v1Values().Values("TRACK"), "9");
  ReadBytes(dir, Concat({BaseAudio(), Id3v1Tag("T", "A", 147, 0)}), info);
  EXPECT_EQ(info.ID3v1Values().Values("GENRE"), "Synthpop");
}

TEST(TagReader, Id3v24FooterExtendedHeaderAndFrameFlags) {
  TTempDir dir;
  Bytes ext = {0, 0, 0, 6, 1, 0};  // syncsafe size 6, one flag byte, no flags
  // TPE1 with a data length indicator and its own unsynchronisation: the FF 00 FE of its
  // byte-order mark stands for FF FE.
  Bytes artist = {0, 0, 0, 7, 1, 0xFF, 0x00, 0xFE, 'A', 0, 'B', 0};
  Bytes body = Concat({ext, Id3v2Frame("TIT2", Text(std::string("\x03T\xC3\xADtulo", 8)), 4),
                       Id3v2Frame("TPE1", artist, 4, 0x03), Bytes(40, 0)});
  Bytes tag = Id3v2Tag(4, 0x40 | 0x10, body);
  Bytes footer(tag.begin(), tag.begin() + 10);
  footer[0] = '3', footer[1] = 'D', footer[2] = 'I';
  TMP3Info info;
  ReadBytes(dir, Concat({tag, footer, BaseAudio()}), info);
  EXPECT_EQ(info.Title(), "T\xC3\xADtulo");
  EXPECT_EQ(info.Artist(), "AB");
  EXPECT_EQ(info.DataStart(), static_cast<int64_t>(tag.size() + 10));
}

TEST(TagReader, Id3v23TextEncodingsAndOversizedFrames) {
  TTempDir dir;
  const Bytes big(70000, 'x');
  Bytes body = Concat({Id3v2Frame("TIT2", Bytes{1, 0xFE, 0xFF, 0x59, 0x1C, 0, 0}, 3),  // UTF-16 BE
                       Id3v2Frame("TPE1", Bytes{0, 0x8E, 0x52, 0x93, 0x63}, 3),        // Shift-JIS
                       Id3v2Frame("PRIV", big, 3), Id3v2Frame("TALB", Text(std::string("\0After", 6)), 3),
                       Id3v2Frame("TCOM", Bytes{2, 0x59, 0x1C, 0, 0}, 3),       // UTF-16 BE, no BOM
                       Id3v2Frame("TEXT", Bytes{3, 0xE6, 0x98, 0xA5, 0}, 3)});  // UTF-8
  TMP3Info info;
  const Bytes tag = Id3v2Tag(3, 0, body);
  ReadBytes(dir, Concat({tag, BaseAudio()}), info);
  EXPECT_EQ(info.Title(), "\xE5\xA4\x9C");
  EXPECT_EQ(info.Artist(), "\xE5\xB1\xB1\xE7\x94\xB0");
  EXPECT_EQ(info.ID3v2Values().Values("PRIV"), "");  // too large for the reader: no line
  EXPECT_EQ(info.ID3v2Values().Count(), 5u);
  EXPECT_EQ(info.ID3v2Values().Values("TALB"), "After");
  EXPECT_EQ(info.ID3v2Values().Values("TCOM"), "\xE5\xA4\x9C");
  EXPECT_EQ(info.ID3v2Values().Values("TEXT"), "\xE6\x98\xA5");
  EXPECT_EQ(info.DataStart(), static_cast<int64_t>(tag.size()));
}

TEST(TagReader, UnknownId3v2VersionIsSkippedWhole) {
  TTempDir dir;
  TMP3Info info;
  const Bytes tag = Id3v2Tag(5, 0, Id3v2Frame("TIT2", Text(std::string("\0Never", 6)), 3));
  ReadBytes(dir, Concat({tag, BaseAudio()}), info);
  EXPECT_TRUE(info.Found().Contains(mitID3V2));
  EXPECT_TRUE(info.ID3v2Values().Empty());
  EXPECT_EQ(info.DataStart(), static_cast<int64_t>(tag.size()));
}

// Cut and damaged tags are no errors: whatever checks out is read, nothing crashes, and a
// file that still has its audio still opens.
TEST(TagReader, TruncatedAndDamagedTagFilesNeverCrash) {
  TTempDir dir;
  std::mt19937 random(7);
  for (const TManifestRow& row : CorpusManifest()) {
    if (!row["file"].starts_with("tags/") && !row["file"].starts_with("damaged/")) continue;
    const Bytes original = ReadFileBytes(CorpusPath(row["file"]));
    for (int round = 0; round < 12; ++round) {
      Bytes damaged = original;
      if (round % 2 == 0) {
        damaged.resize(random() % (original.size() + 1));
      } else {
        for (int k = 0; k < 8 && !damaged.empty(); ++k) {
          const size_t at = random() % std::min<size_t>(damaged.size(), 3000);
          damaged[at] = static_cast<uint8_t>(random());
          damaged[damaged.size() - 1 - at % std::min<size_t>(damaged.size(), 400)] =
              static_cast<uint8_t>(random());
        }
      }
      TMP3Info info;
      try {
        ReadBytes(dir, damaged, info);
        EXPECT_LE(info.DataStart(), static_cast<int64_t>(damaged.size()));
      } catch (const EMP3Error& error) {
        EXPECT_STREQ(error.what(), "unknown MPEG Audio format.");
      }
      info.Title();
      info.Artist();
    }
  }
}

// Headers with the forbidden bit rate, or free-format ones with no length to confirm them
// by, must not win over the real first frame behind them, nor make text pass for audio.
TEST(TagReader, UnconfirmableHeadersInJunkAreNotTheFirstFrame) {
  TTempDir dir;
  const Bytes forbidden = {0xFF, 0xFB, 0xF0, 0x00}, freeFormat = {0xFF, 0xFB, 0x00, 0x00};
  for (const Bytes& header : {forbidden, freeFormat}) {
    const Bytes junk = Concat({Text("junk before the audio "), header, Text(" more junk")});
    TMP3Info info;
    ReadBytes(dir, Concat({junk, BaseAudio()}), info);
    EXPECT_EQ(info.DataStart(), static_cast<int64_t>(junk.size()));
  }
  TMP3Info text;
  try {
    ReadBytes(dir, Concat({Text("a letter, not a song "), forbidden, Bytes(2000, 'x')}), text);
    FAIL() << "text with a forbidden header read as audio";
  } catch (const EMP3Error& error) {
    EXPECT_STREQ(error.what(), "unknown MPEG Audio format.");
  }
}

TEST(TagReader, FileThatCannotBeOpenedRaisesAndClears) {
  TMP3Info info;
  try {
    info.ReadFromFile("/nonexistent-varo/none.mp3");
    FAIL();
  } catch (const EMP3Error& error) {
    EXPECT_EQ(std::string(error.what()),
              "Cannot open file \"/nonexistent-varo/none.mp3\". No such file or directory");
  }
  EXPECT_EQ(info.FileName(), "");
}

namespace {

Bytes Txxx(const std::string& description, const std::string& value, int version = 4) {
  return Id3v2Frame("TXXX", Text(std::string(1, '\0') + description + std::string(1, '\0') + value), version);
}

// An RVA2 frame: identification, then (channel, adjustment in 512ths of a dB, peak bits, peak).
Bytes Rva2(const std::string& id, std::initializer_list<Bytes> channels) {
  Bytes payload = Text(id);
  payload.push_back(0);
  for (const Bytes& c : channels) payload.insert(payload.end(), c.begin(), c.end());
  return Id3v2Frame("RVA2", payload, 4);
}

Bytes Rva2Channel(uint8_t type, double db, Bytes peak, uint8_t bits) {
  const auto adjustment = static_cast<uint16_t>(static_cast<int16_t>(db * 512));
  peak.insert(peak.begin(),
              {type, static_cast<uint8_t>(adjustment >> 8), static_cast<uint8_t>(adjustment), bits});
  return peak;
}

// The corpus stream with its LAME tag's peak and gain fields set.
Bytes LameTagged(uint32_t peak, uint16_t radio, uint16_t audiophile) {
  Bytes audio = BaseAudio();
  const size_t lame = AsString(audio).find("LAME3.100");
  const uint8_t fields[] = {static_cast<uint8_t>(peak >> 24),      static_cast<uint8_t>(peak >> 16),
                            static_cast<uint8_t>(peak >> 8),       static_cast<uint8_t>(peak),
                            static_cast<uint8_t>(radio >> 8),      static_cast<uint8_t>(radio),
                            static_cast<uint8_t>(audiophile >> 8), static_cast<uint8_t>(audiophile)};
  std::copy(std::begin(fields), std::end(fields), audio.begin() + static_cast<ptrdiff_t>(lame + 11));
  return audio;
}

struct GainCase {
  const char* Name;
  Bytes File;
  TMP3GainSource TrackSource;
  double Track, TrackPeak;  // peak -1: none
  TMP3GainSource AlbumSource;
  double Album, AlbumPeak;
};

}  // namespace

// Every form a gain comes in, damaged values passed over, and which one counts when a file
// carries several: TXXX, then RVA2, then APE, then the LAME tag (-4.4 dB in the corpus stream).
TEST(TagReader, ReplayGainFromEveryFormAndTheirOrder) {
  const Bytes utf16Album = {1,   0xFF, 0xFE, 'R',  0,   'E', 0,   'P', 0,   'L', 0,   'A', 0,   'Y', 0,
                            'G', 0,    'A',  0,    'I', 0,   'N', 0,   '_', 0,   'A', 0,   'L', 0,   'B',
                            0,   'U',  0,    'M',  0,   '_', 0,   'G', 0,   'A', 0,   'I', 0,   'N', 0,
                            0,   0,    0xFF, 0xFE, '-', 0,   '1', 0,   ',', 0,   '5', 0,   0,   0};
  const GainCase cases[] = {
      {"TXXX in 2.3, any case, peak first, UTF-16, a decimal comma",
       Concat({Id3v2Tag(
                   3, 0,
                   Concat({Txxx("replaygain_track_peak", "0.988553", 3),
                           Txxx("Replaygain_Track_Gain", "-7.89 dB", 3), Id3v2Frame("TXXX", utf16Album, 3)})),
               BaseAudio()}),
       mgsTXXX, -7.89, 0.988553, mgsTXXX, -1.5, -1},
      {"damaged TXXX values fall through to the LAME tag",
       Concat(
           {Id3v2Tag(4, 0,
                     Concat({Txxx("REPLAYGAIN_TRACK_GAIN", "inf dB"), Txxx("REPLAYGAIN_TRACK_GAIN", "-99 dB"),
                             Txxx("REPLAYGAIN_TRACK_GAIN", "loud"), Txxx("REPLAYGAIN_ALBUM_GAIN", "1e3 dB"),
                             Txxx("REPLAYGAIN_ALBUM_GAIN", "-3 dBFS")})),
            BaseAudio()}),
       mgsLAME, -4.4, -1, mgsNone, 0, -1},
      {"RVA2: master channel, another channel in front, 16-bit peak",
       Concat({Id3v2Tag(
                   4, 0,
                   Concat({Rva2("track", {Rva2Channel(1, -3.5, {0x80, 0x00}, 16)}),
                           Rva2("album", {Rva2Channel(2, 9, {0x40, 0}, 16), Rva2Channel(1, 2.25, {}, 0)})})),
               BaseAudio()}),
       mgsRVA2, -3.5, 1.0, mgsRVA2, 2.25, -1},
      {"APEv2 items behind the audio",
       Concat({BaseAudio(), ApeTag({{"REPLAYGAIN_TRACK_GAIN", "+1.50 dB"},
                                    {"replaygain_track_peak", "0.5"},
                                    {"REPLAYGAIN_ALBUM_GAIN", "-0.25 dB"}})}),
       mgsAPE, 1.5, 0.5, mgsAPE, -0.25, -1},
      {"all at once: TXXX track, RVA2 album, APE and LAME below them",
       Concat(
           {Id3v2Tag(
                4, 0,
                Concat({Rva2("ALBUM", {Rva2Channel(1, -6, {}, 0)}), Txxx("REPLAYGAIN_TRACK_GAIN", "-2.19 dB"),
                        Txxx("REPLAYGAIN_TRACK_PEAK", "0.475349")})),
            BaseAudio(), ApeTag({{"REPLAYGAIN_TRACK_GAIN", "+1 dB"}, {"REPLAYGAIN_ALBUM_GAIN", "+2 dB"}})}),
       mgsTXXX, -2.19, 0.475349, mgsRVA2, -6, -1},
      {"LAME: 9.23 fixed-point peak, radio and audiophile gain",
       LameTagged(0x00733333u, 1 << 13 | 3 << 10 | 1 << 9 | 57, 2 << 13 | 2 << 10 | 12), mgsLAME, -5.7,
       0x733333 / 8388608.0, mgsLAME, 1.2, -1},
      {"LAME: a float peak, a field without originator", LameTagged(0x3F400000u, 1 << 13 | 0 << 10 | 57, 0),
       mgsNone, 0, -1, mgsNone, 0, -1},
  };
  TTempDir dir;
  for (const GainCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TMP3Info info;
    ReadBytes(dir, c.File, info);
    const TMP3ReplayGain g = info.ReplayGain();
    EXPECT_EQ(g.Track.Source, c.TrackSource);
    EXPECT_EQ(g.Album.Source, c.AlbumSource);
    if (c.TrackSource != mgsNone) {
      EXPECT_NEAR(g.Track.Gain, c.Track, 1e-9);
      EXPECT_NEAR(g.Track.Peak, c.TrackPeak, 1e-9);
    }
    if (c.AlbumSource != mgsNone) {
      EXPECT_NEAR(g.Album.Gain, c.Album, 1e-9);
      EXPECT_NEAR(g.Album.Peak, c.AlbumPeak, 1e-9);
    }
  }
  // The float peak is read as a float, though no gain came with it.
  TMP3Info info;
  ReadBytes(dir, LameTagged(0x3F400000u, 1 << 13 | 3 << 10, 0), info);
  EXPECT_EQ(info.ReplayGain().Track.Peak, 0.75);
  // The lines of the tag stay what they were: a TXXX line holds its description.
  ReadBytes(dir, Concat({Id3v2Tag(3, 0, Txxx("REPLAYGAIN_TRACK_GAIN", "-7.89 dB", 3)), BaseAudio()}), info);
  ASSERT_EQ(info.ID3v2Values().Count(), 1u);
  EXPECT_EQ(info.ID3v2Values()[0], "TXXX=REPLAYGAIN_TRACK_GAIN");
}
