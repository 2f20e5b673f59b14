// Lyrics text as people write it, plain or LRC-timed, read into lines: the parser the lyrics
// window and varo-play share. Standard library only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TTimedLyric {
  int64_t Ms = 0;    // when the line falls due, offset applied
  std::string Text;  // empty: the line clears the one before
};

// The header tags: information only, never shown as lines.
struct TLyricsInfo {
  std::string Title;      // [ti:]
  std::string Artist;     // [ar:]
  std::string Album;      // [al:]
  std::string By;         // [by:]
  int64_t LengthMs = -1;  // [length:], -1 when not given
  int64_t OffsetMs = 0;   // [offset:], positive: the lines fall due sooner
};

struct TLyricsText {
  bool Timed = false;                   // at least one line carries a time tag
  std::vector<TTimedLyric> TimedLines;  // in time order; equal times keep the file's order
  std::vector<std::string> PlainLines;  // every line of the text, for scrolling
  TLyricsInfo Info;
};

// File bytes as UTF-8: UTF-16 with a byte-order mark, else legacy text (UTF-8 with or
// without a byte-order mark, CP932, ISO-8859-1).
std::string LyricsBytesToUtf8(std::string_view bytes);

// "[mm:ss]", "[mm:ss.x]", "[mm:ss.xx]" and "[mm:ss.xxx]" with any number of minute digits up
// to six (":" or "," also separate the fraction): the time inside the brackets in ms, or -1.
int64_t ParseLyricsTime(std::string_view inside);

// UTF-8 text to lines. A line may carry several time tags (shown at each) and word-time tags
// "<mm:ss.xx>" (dropped from the text); lines without a time tag, header lines and broken tags
// are not timed lines. Text without any time tag scrolls.
TLyricsText ParseLyricsText(std::string_view utf8);

// Timed lines already in hand (from a tag) put in time order.
TLyricsText TimedLyricsText(std::vector<TTimedLyric> lines);

// The index of the line showing at ms (the last one due), or -1 before the first.
int CurrentLyricsLine(const std::vector<TTimedLyric>& lines, int64_t ms);
