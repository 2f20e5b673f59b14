// Lyrics found for a track: the order of the sources beside and inside it, SYLT with both
// kinds of time stamp, and the ID3v2 versions, unsynchronisation and text encodings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lyrics/track_lyrics.h"
#include "stream/tag_lyrics.h"
#include "tag_builders.h"
#include "test_support.h"

namespace {

const std::string kKasiUtf8 = "\xE6\xAD\x8C\xE8\xA9\x9E";  // "歌詞"

// One piece of SYLT text in its encoding, with its terminator, then its stamp.
struct TPiece {
  Bytes Text;
  uint32_t Stamp;
};

Bytes Terminator(uint8_t encoding) { return encoding == 1 || encoding == 2 ? Bytes{0, 0} : Bytes{0}; }

Bytes SyltBody(uint8_t encoding, uint8_t format, const std::vector<TPiece>& pieces) {
  Bytes body = Concat({{encoding}, Text("eng"), {format, 1}, Terminator(encoding)});
  for (const TPiece& piece : pieces) {
    body = Concat({body, piece.Text, Terminator(encoding), Bytes(4)});
    PutBigEndian(body, body.size() - 4, piece.Stamp, false);
  }
  return body;
}

Bytes UsltBody(uint8_t encoding, const Bytes& text) {
  return Concat({{encoding}, Text("eng"), Terminator(encoding), text});
}

struct TSources {
  const char* Name;
  bool Lrc, Txt, Sylt, Uslt, Lyr;
  TLyricsSource Expect;
  const char* FirstLine;
};

void PrintTo(const TSources& c, std::ostream* out) { *out << c.Name; }

class LyricsSearch : public testing::TestWithParam<TSources> {};

// The first source in the order NAME.lrc, NAME.txt, SYLT, USLT, LYR is taken, whichever
// others are there; the file names match without regard to case.
TEST_P(LyricsSearch, TakesTheFirstSourceThatIsThere) {
  const TSources& c = GetParam();
  TTempDir dir;
  const std::string track = dir.File("track.mp3");
  Bytes frames;
  if (c.Sylt) frames = Concat({frames, Id3v2Frame("SYLT", SyltBody(0, 2, {{Text("from sylt"), 1000}}), 3)});
  if (c.Uslt) frames = Concat({frames, Id3v2Frame("USLT", UsltBody(0, Text("from uslt\nmore")), 3)});
  WriteFileBytes(track,
                 Concat({frames.empty() ? Bytes() : Id3v2Tag(3, 0, frames), BaseAudio(),
                         c.Lyr ? Lyrics3v2Block({{"IND", "10"}, {"LYR", "[00:01]from lyr\r\n"}}) : Bytes()}));
  if (c.Lrc) WriteFileBytes(dir.File("Track.LRC"), Text("[00:01]from lrc\n"));
  if (c.Txt) WriteFileBytes(dir.File("TRACK.txt"), Text("[00:01]from txt\n"));
  WriteFileBytes(dir.File("track.mp3.txt"), Text("[00:01]never\n"));
  WriteFileBytes(dir.File("other.lrc"), Text("[00:01]never\n"));

  const TTrackLyrics found = FindTrackLyrics(track);
  EXPECT_EQ(found.Source, c.Expect);
  const std::vector<std::string>& lines = found.Text.PlainLines;
  if (c.Expect == TLyricsSource::None) {
    EXPECT_TRUE(lines.empty());
    return;
  }
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), c.FirstLine);
  EXPECT_EQ(found.Text.Timed, c.Expect != TLyricsSource::Uslt);

  // A lyrics file named in the playlist wins over all of them.
  WriteFileBytes(dir.File("chosen.txt"), Text("chosen\n"));
  const TTrackLyrics chosen = FindTrackLyrics(track, dir.File("chosen.txt"));
  EXPECT_EQ(chosen.Source, TLyricsSource::File);
  EXPECT_EQ(chosen.Text.PlainLines, std::vector<std::string>{"chosen"});
}

INSTANTIATE_TEST_SUITE_P(
    Sources, LyricsSearch,
    testing::Values(
        TSources{"None", false, false, false, false, false, TLyricsSource::None, ""},
        TSources{"LrcAlone", true, false, false, false, false, TLyricsSource::File, "[00:01]from lrc"},
        TSources{"TxtAlone", false, true, false, false, false, TLyricsSource::File, "[00:01]from txt"},
        TSources{"SyltAlone", false, false, true, false, false, TLyricsSource::Sylt, "from sylt"},
        TSources{"UsltAlone", false, false, false, true, false, TLyricsSource::Uslt, "from uslt"},
        TSources{"LyrAlone", false, false, false, false, true, TLyricsSource::Lyrics3, "[00:01]from lyr"},
        TSources{"All", true, true, true, true, true, TLyricsSource::File, "[00:01]from lrc"},
        TSources{"AllButLrc", false, true, true, true, true, TLyricsSource::File, "[00:01]from txt"},
        TSources{"TagsOnly", false, false, true, true, true, TLyricsSource::Sylt, "from sylt"},
        TSources{"UsltAndLyr", false, false, false, true, true, TLyricsSource::Uslt, "from uslt"}));

struct TSyltCase {
  const char* Name;
  int Version;
  uint8_t TagFlags;    // 0x80: the whole tag unsynchronised (2.2, 2.3)
  uint8_t FrameFlags;  // 2.4: 0x02 unsynchronised, 0x01 data length indicator
  uint8_t Encoding;
  uint8_t Format;  // 1 frames, 2 ms
  Bytes Text;
  uint32_t Stamp;
  std::string ExpectText;
  int64_t ExpectMs;
};

void PrintTo(const TSyltCase& c, std::ostream* out) { *out << c.Name; }

class SyltFrames : public testing::TestWithParam<TSyltCase> {};

TEST_P(SyltFrames, GiveTheLineAtItsTime) {
  const TSyltCase& c = GetParam();
  Bytes body = SyltBody(c.Encoding, c.Format, {{c.Text, c.Stamp}});
  if (c.FrameFlags & 0x02) body = Unsynchronised(body);
  if (c.FrameFlags & 0x01) {
    body.insert(body.begin(), 4, 0);
    PutBigEndian(body, 0, 0, true);
  }
  Bytes frame = Id3v2Frame(c.Version == 2 ? "SLT" : "SYLT", body, c.Version, c.FrameFlags);
  if (c.TagFlags & 0x80) frame = Unsynchronised(frame);
  TTempDir dir;
  const std::string track = dir.File("t.mp3");
  WriteFileBytes(track, Concat({Id3v2Tag(c.Version, c.TagFlags, frame), BaseAudio()}));
  const TTrackLyrics found = FindTrackLyrics(track);
  ASSERT_EQ(found.Source, TLyricsSource::Sylt);
  ASSERT_EQ(found.Text.TimedLines.size(), 1u);
  EXPECT_EQ(found.Text.TimedLines[0].Text, c.ExpectText);
  EXPECT_EQ(found.Text.TimedLines[0].Ms, c.ExpectMs);
}

INSTANTIATE_TEST_SUITE_P(
    Tags, SyltFrames,
    testing::Values(
        // 100 frames of 1152 samples at 44.1 kHz
        TSyltCase{"Frames", 3, 0, 0, 0, 1, Text("la"), 100, "la", 2612},
        TSyltCase{"Milliseconds", 3, 0, 0, 0, 2, Text("la"), 65280, "la", 65280},
        TSyltCase{"Version22", 2, 0, 0, 0, 2, Text("la"), 1500, "la", 1500},
        TSyltCase{"Version23Unsynchronised", 3, 0x80, 0, 0, 2, Text("\xFF\xE0x"), 0xFF00, "\xC3\xBF\xC3\xA0x",
                  0xFF00},
        TSyltCase{"Version24FrameUnsynchronised", 4, 0, 0x03, 3, 2, Text(kKasiUtf8), 0xFFFF, kKasiUtf8,
                  0xFFFF},
        TSyltCase{"ShiftJis", 3, 0, 0, 0, 2, Text("\x89\xCC\x8E\x8C"), 1, kKasiUtf8, 1},
        TSyltCase{"Utf16WithBom", 3, 0, 0, 1, 2, Bytes{0xFF, 0xFE, 0x4C, 0x6B, 0x5E, 0x8A}, 1, kKasiUtf8, 1},
        TSyltCase{"Utf16BigEndian", 3, 0, 0, 2, 2, Bytes{0x6B, 0x4C, 0x8A, 0x5E}, 1, kKasiUtf8, 1}));

// Writers that time each syllable start a line with a line break; the pieces join into lines.
TEST(SyltFrame, SyllablesJoinIntoLines) {
  const auto got = ParseSyltFrame(
      AsString(SyltBody(0, 2, {{Text("Hel"), 1000}, {Text("lo"), 1200}, {Text("\nWorld"), 2000}})));
  ASSERT_TRUE(got);
  ASSERT_EQ(got->Lines.size(), 2u);
  EXPECT_EQ(got->Lines[0].Text, "Hello");
  EXPECT_EQ(got->Lines[0].Stamp, 1000u);
  EXPECT_EQ(got->Lines[1].Text, "World");
  EXPECT_FALSE(ParseSyltFrame(AsString(SyltBody(0, 3, {}))));  // no such stamp format
  EXPECT_FALSE(
      ParseSyltFrame("\x00"
                     "en"));
  const auto uslt = ParseUsltFrame(AsString(UsltBody(1, Bytes{0xFF, 0xFE, 0x4C, 0x6B, 0x5E, 0x8A, 0, 0})));
  EXPECT_EQ(uslt, kKasiUtf8);
}

}  // namespace
