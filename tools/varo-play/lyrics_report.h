// varo-play --lyrics: the lines of the playing track's lyrics, found as the player finds
// them, printed on their own as they fall due (scrolling lyrics all at the track's start).
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

#include "lyrics/lyrics_playhead.h"
#include "lyrics/lyrics_text.h"
#include "timed_lines.h"

class TMP3Player;

class TLyricsReport {
 public:
  TLyricsReport(std::ostream& out, bool timestamps) : lines_(out, timestamps) {}

  // The track has started playing.
  void Start(const std::string& track);
  // From the pump: the lines due by now; a pause holds them, a seek moves them.
  void Update(const TMP3Player& player);

 private:
  TTimedLines lines_;
  TLyricsText lyrics_;
  TLyricsPlayhead playhead_;
  size_t next_ = 0;  // the first timed line not printed yet
  int64_t lastMs_ = 0;
};

// A stream that takes the other reports when only the lyrics are wanted.
std::ostream& DiscardedReports();
