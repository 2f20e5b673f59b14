// Lyrics text: time tags in every form people write, LRC files with headers, offsets, word
// times and several tags a line, text that is not lyrics, and the encodings of the files.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "lyrics/lyrics_playhead.h"
#include "lyrics/lyrics_text.h"

namespace {

struct TTimeCase {
  const char* Inside;
  int64_t Ms;  // -1: no time
};

class LyricsTime : public testing::TestWithParam<TTimeCase> {};

TEST_P(LyricsTime, ReadsTheFormsPeopleWrite) { EXPECT_EQ(ParseLyricsTime(GetParam().Inside), GetParam().Ms); }

INSTANTIATE_TEST_SUITE_P(
    Forms, LyricsTime,
    testing::Values(TTimeCase{"01:23.45", 83450}, TTimeCase{"00:00.00", 0}, TTimeCase{"75:00.00", 4500000},
                    TTimeCase{"01:23", 83000}, TTimeCase{"01:23.4", 83400}, TTimeCase{"01:23.456", 83456},
                    TTimeCase{"1:23.45", 83450}, TTimeCase{"01:23:45", 83450}, TTimeCase{"99:59.99", 5999990},
                    TTimeCase{"100:00.00", 6000000}, TTimeCase{"999999:59.999", 59999999999},
                    TTimeCase{"9999999:00", -1}, TTimeCase{"00:60.00", -1}, TTimeCase{"00:5x", -1},
                    TTimeCase{"01:23.4567", -1}, TTimeCase{"01:23.", -1}, TTimeCase{"ti:Song", -1},
                    TTimeCase{":12", -1}, TTimeCase{"12:", -1}, TTimeCase{"", -1},
                    TTimeCase{"\xEF\xBC\x90\xEF\xBC\x91:23.00", -1}));  // full-width digits

struct TTextCase {
  const char* Name;
  std::string Text;
  bool Timed;
  std::vector<TTimedLyric> Lines;
};

void PrintTo(const TTextCase& c, std::ostream* out) { *out << c.Name; }

class LyricsText : public testing::TestWithParam<TTextCase> {};

TEST_P(LyricsText, GivesTheTimedLinesInTimeOrder) {
  const TLyricsText got = ParseLyricsText(GetParam().Text);
  EXPECT_EQ(got.Timed, GetParam().Timed);
  ASSERT_EQ(got.TimedLines.size(), GetParam().Lines.size());
  for (size_t i = 0; i < got.TimedLines.size(); ++i) {
    EXPECT_EQ(got.TimedLines[i].Ms, GetParam().Lines[i].Ms) << i;
    EXPECT_EQ(got.TimedLines[i].Text, GetParam().Lines[i].Text) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, LyricsText,
    testing::Values(
        TTextCase{"TodaysForm", "[00:01.00]one\r\n[00:02.50]two\r\n", true, {{1000, "one"}, {2500, "two"}}},
        TTextCase{"SeveralTagsShowAtEachTime",
                  "[00:12.00][01:30.50]chorus\n[00:20]verse\n",
                  true,
                  {{12000, "chorus"}, {20000, "verse"}, {90500, "chorus"}}},
        TTextCase{"AnyOrderSortedEqualTimesKeepOrder",
                  "[00:05.0]b\n[00:01.000]a\n[00:05.00]c\n",
                  true,
                  {{1000, "a"}, {5000, "b"}, {5000, "c"}}},
        TTextCase{"HeadersAreNoLines",
                  "[ti:Song]\n[ar:Someone]\n[al:Album]\n[by:me]\n[length:03:25]\n[re:tool]\n[00:01]x\n",
                  true,
                  {{1000, "x"}}},
        TTextCase{"PositiveOffsetShowsSooner",
                  "[00:02.00]a\n[offset:+500]\n[00:00.20]b\n",
                  true,
                  {{0, "b"}, {1500, "a"}}},
        TTextCase{"NegativeOffsetShowsLater", "[offset:-250]\n[00:01.00]a\n", true, {{1250, "a"}}},
        TTextCase{"WordTimesAreNoText",
                  "[00:01.00]<00:01.00>Hel<00:01.50>lo <a> <1:2x>\n",
                  true,
                  {{1000, "Hello <a> <1:2x>"}}},
        TTextCase{"BlankTimedLineClears",
                  "[00:01]a\n[00:02]\n[00:03]b\n",
                  true,
                  {{1000, "a"}, {2000, ""}, {3000, "b"}}},
        TTextCase{"MixedFormsAndPlainLines",
                  "\xEF\xBB\xBF[ti:x]\nintro words\n  [1:02]late\n[00:01.5]early\n[Chorus]\n",
                  true,
                  {{1500, "early"}, {62000, "late"}}},
        TTextCase{
            "BrokenTagsAreNotTimed", "[00:61.00]a\n[00:01.00\n[0a:01]b\n[00:01]]c\n", true, {{1000, "]c"}}},
        TTextCase{"PastTheHour", "[99:59.99]a\n[100:00.00]b\n", true, {{5999990, "a"}, {6000000, "b"}}},
        TTextCase{"NotLyricsScrolls", "[Verse 1]\nsome words [00:01] later\n", false, {}},
        TTextCase{"EmptyFile", "", false, {}}));

TEST(LyricsText, KeepsTheHeadersAsInformationAndEveryLineForScrolling) {
  const TLyricsText got =
      ParseLyricsText("[ti: Song ]\r[ar:Someone]\r\n[al:Album]\n[by:me]\n[length: 3:25.5]\nplain");
  EXPECT_EQ(got.Info.Title, "Song");
  EXPECT_EQ(got.Info.Artist, "Someone");
  EXPECT_EQ(got.Info.Album, "Album");
  EXPECT_EQ(got.Info.By, "me");
  EXPECT_EQ(got.Info.LengthMs, 205500);
  EXPECT_EQ(got.PlainLines.size(), 6u);
  EXPECT_EQ(got.PlainLines.back(), "plain");
}

// Files of megabytes in one line or many, of tags without end, are read in linear time.
TEST(LyricsText, HugeAndHostileTextIsReadQuickly) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ParseLyricsText("[00:01]" + std::string(4 << 20, '<')).TimedLines.size(), 1u);
  std::string tags;
  for (int i = 0; i < 200000; ++i) tags += "[00:00.00][" + std::string(i % 7, '[') + "<00:00<\n";
  EXPECT_EQ(ParseLyricsText(tags).TimedLines.size(), 200000u);
  EXPECT_EQ(ParseLyricsText("[00:01]" + std::string(4 << 20, '[')).TimedLines.size(), 1u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST(LyricsText, BytesOfEveryEncodingBecomeUtf8) {
  const std::string kasi = "\xE6\xAD\x8C\xE8\xA9\x9E";  // "歌詞"
  EXPECT_EQ(LyricsBytesToUtf8("\xEF\xBB\xBF" + kasi), kasi);
  EXPECT_EQ(LyricsBytesToUtf8(kasi), kasi);
  EXPECT_EQ(LyricsBytesToUtf8(std::string("\xFF\xFE\x4C\x6B\x5E\x8A", 6)), kasi);
  EXPECT_EQ(LyricsBytesToUtf8(std::string("\xFE\xFF\x6B\x4C\x8A\x5E", 6)), kasi);
  EXPECT_EQ(LyricsBytesToUtf8("\x89\xCC\x8E\x8C"), kasi);  // Shift-JIS
  EXPECT_EQ(LyricsBytesToUtf8("caf\xE9"), "caf\xC3\xA9");  // ISO-8859-1
}

TEST(LyricsText, TheLineShowingIsTheLastOneDue) {
  const std::vector<TTimedLyric> lines{{1000, "a"}, {2000, "b"}, {2000, "c"}};
  EXPECT_EQ(CurrentLyricsLine(lines, 999), -1);
  EXPECT_EQ(CurrentLyricsLine(lines, 1000), 0);
  EXPECT_EQ(CurrentLyricsLine(lines, 2000), 2);
  EXPECT_EQ(CurrentLyricsLine({}, 5000), -1);
}

// The clock stands in for an engine that cannot tell its position, holds through a pause and
// moves with a seek; an engine that tells is believed.
TEST(LyricsPlayhead, FollowsPausesAndSeeks) {
  using namespace std::chrono_literals;
  const auto t0 = TLyricsPlayhead::TClock::now();
  TLyricsPlayhead head;
  head.MoveTo(0, t0);
  EXPECT_EQ(head.At(t0 + 1500ms, 0), 1500);
  head.Pause(t0 + 2s);
  EXPECT_EQ(head.At(t0 + 9s, 0), 2000);
  head.MoveTo(7000, t0 + 9s);  // a seek while paused
  EXPECT_EQ(head.At(t0 + 10s, 0), 7000);
  head.Resume(t0 + 11s);
  EXPECT_EQ(head.At(t0 + 11500ms, 0), 7500);
  EXPECT_EQ(head.At(t0 + 11500ms, 42), 42);
}

}  // namespace
