// Where the music is, for timed lyrics: the engine's position once it reports one, else a
// steady clock started with the track, moved by seeks and held through pauses.
#pragma once

#include <chrono>
#include <cstdint>

class TLyricsPlayhead {
 public:
  using TClock = std::chrono::steady_clock;

  // The music is at ms now (a start, or a seek); a paused playhead stays paused.
  void MoveTo(int64_t ms, TClock::time_point now);
  void Pause(TClock::time_point now);
  void Resume(TClock::time_point now);
  bool Paused() const { return paused_; }

  // An engine that reports its position (above zero) is believed; one that cannot tell
  // gives 0 and the clock stands in.
  int64_t At(TClock::time_point now, int64_t enginePositionMs) const;

 private:
  int64_t anchorMs_ = 0;
  TClock::time_point anchorAt_{};
  bool paused_ = false;
};
