// The application's own view of playback, separate from the engine's status, and the rules
// that move it.
#pragma once

enum TPlayState { psIdle, psPlaying, psPaused, psStopped, psSwitching };

enum TPlayMode { pmRepeatOne = 1, pmRepeatAll = 2, pmRandom = 3, pmIntro = 4 };

// The play command restarts the current track; a playing track is being replaced.
inline TPlayState PlayCommandState(TPlayState s) { return s == psPlaying ? psSwitching : psPlaying; }

// A double click on a playlist row.
inline TPlayState RowDoubleClickState(TPlayState s) {
  switch (s) {
    case psPlaying:
      return psSwitching;
    case psPaused:
    case psStopped:
      return psPlaying;
    default:
      return s;
  }
}

// What an end-of-play report means in state s.
enum class TEndPlayAction { Ignore, Swallow, PlayNext };
inline TEndPlayAction EndPlayAction(TPlayState s) {
  switch (s) {
    case psPaused:
    case psStopped:
      return TEndPlayAction::Ignore;
    case psSwitching:
      return TEndPlayAction::Swallow;
    default:
      return TEndPlayAction::PlayNext;
  }
}
