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

// The entry that follows entry `current` of `count` when its track ends: repeat all steps on
// and wraps around, random takes randomPick (drawn by the caller ahead of the end, so the
// entry told to the engine for a gapless follow-on is the one that plays), repeat one, intro
// and any other mode keep the entry (a track shorter than the intro time repeats).
inline int FollowingIndex(int playMode, int current, int count, int randomPick) {
  switch (playMode) {
    case pmRepeatAll:
      return current < count - 1 ? current + 1 : 0;
    case pmRandom:
      return randomPick;
    default:
      return current;
  }
}
