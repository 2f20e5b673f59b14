#include "lyrics/lyrics_playhead.h"

#include <algorithm>

void TLyricsPlayhead::MoveTo(int64_t ms, TClock::time_point now) {
  anchorMs_ = std::max<int64_t>(0, ms);
  anchorAt_ = now;
}

void TLyricsPlayhead::Pause(TClock::time_point now) {
  if (paused_) return;
  anchorMs_ = At(now, 0);
  paused_ = true;
}

void TLyricsPlayhead::Resume(TClock::time_point now) {
  if (!paused_) return;
  anchorAt_ = now;
  paused_ = false;
}

int64_t TLyricsPlayhead::At(TClock::time_point now, int64_t enginePositionMs) const {
  if (enginePositionMs > 0) return enginePositionMs;
  if (paused_) return anchorMs_;
  return anchorMs_ + std::chrono::duration_cast<std::chrono::milliseconds>(now - anchorAt_).count();
}
