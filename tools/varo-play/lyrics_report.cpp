#include "lyrics_report.h"

#include <chrono>

#include "lyrics/track_lyrics.h"
#include "player/mp3_player.h"

namespace {

// A position further on than this since the last look was a seek: the lines passed over
// were never heard, so they are not printed.
constexpr int64_t kSeekJumpMs = 1500;

class TDiscard : public std::streambuf {
 protected:
  int overflow(int c) override { return traits_type::not_eof(c); }
};

}  // namespace

std::ostream& DiscardedReports() {
  static TDiscard buffer;
  static std::ostream stream(&buffer);
  return stream;
}

void TLyricsReport::Start(const std::string& track) {
  lyrics_ = FindTrackLyrics(track).Text;
  playhead_ = TLyricsPlayhead();
  playhead_.MoveTo(0, TLyricsPlayhead::TClock::now());
  next_ = 0;
  lastMs_ = 0;
  if (!lyrics_.Timed)
    for (const std::string& line : lyrics_.PlainLines) lines_.Line(line);
}

void TLyricsReport::Update(const TMP3Player& player) {
  if (!lyrics_.Timed) return;
  const auto now = TLyricsPlayhead::TClock::now();
  if (player.Status() == mpsPaused)
    playhead_.Pause(now);
  else
    playhead_.Resume(now);
  const int64_t ms = playhead_.At(now, player.Position());
  const auto& timed = lyrics_.TimedLines;
  const int current = CurrentLyricsLine(timed, ms);
  const auto due = static_cast<size_t>(current + 1);
  if (due < next_ || ms - lastMs_ > kSeekJumpMs) {  // sought: the line due there comes next
    next_ = due;
    while (due > 0 && next_ > 0 && timed[next_ - 1].Ms == timed[due - 1].Ms) --next_;
  }
  lastMs_ = ms;
  for (; next_ < due; ++next_) lines_.Line(timed[next_].Text);
}
