// Plays the queue through the engine: the routine that makes an entry the current track, the
// transport commands, the four play modes with what happens when a track ends, the entry the
// engine follows on with gaplessly, and the intro timer. What a started track shows elsewhere (labels,
// ranking, song menu, lyrics) is asked of the host.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <random>

#include "core/playback/play_queue.h"
#include "core/playback/play_state.h"

class TMP3Player;

class TQueuePlayerHost {
 public:
  virtual ~TQueuePlayerHost() = default;
  virtual void ShowTrack(const QString& title, const QString& artist) = 0;  // labels, tray tip
  virtual void CountPlay(const QString& title) = 0;
  virtual void BuildSongMenu() = 0;
  virtual void StartEntryLyrics(const QString& lyricsFile) = 0;  // show window, start the clock
  virtual void DropLyrics() = 0;    // entry without lyrics: clock off, window closed
  virtual void StopLyrics() = 0;    // stop command: clock off, lyrics file closed
  virtual void PauseLyrics() = 0;   // pause command: clock off
  virtual void ResumeLyrics() = 0;  // resume: the clock on again, the pause not counted
};

class TQueuePlayer : public QObject {
  Q_OBJECT

 public:
  static constexpr int kDefaultIntroMs = 5000;

  // queue: the entries played; only the current index is written here.
  TQueuePlayer(TMP3Player& engine, TPlayQueue& queue, TQueuePlayerHost& host, QObject* parent = nullptr);
  ~TQueuePlayer() override;

  const TPlayQueue& Queue() const { return FQueue; }
  int PlayMode() const { return FPlayMode; }
  TPlayState PlayState() const { return FPlayState; }
  int IntroInterval() const { return FIntroTimer.interval(); }
  bool IntroRunning() const { return FIntroTimer.isActive(); }
  // The intro time dialog: a running intro cycle restarts with the new interval.
  void SetIntroInterval(int ms) { FIntroTimer.setInterval(ms); }
  // The mode alone, as start-up restores it: a restored intro mode starts no cycle.
  void SetPlayMode(int mode) { FPlayMode = mode; }

  // Makes entry index the current track and plays it. Any failure ends it silently at the
  // failing step. Title and artist are those the engine read when it opened the file.
  void PlayEntry(int index);
  // Starts playing entry index from a halt: it becomes the current entry, the play state
  // playing, and PlayEntry plays it (start-up, dropped files, a loaded list, the demo).
  void StartEntry(int index);
  // The entry becomes the current one and the state playing, without opening anything yet
  // (a start held until the main window is on screen).
  void MarkStarted(int index);

  void PlayCommand();
  void StopCommand();
  void PauseCommand();
  void NextCommand();
  void PreviousCommand();
  void PlaySongMenuEntry(int index);
  void PlayRow(int row);  // a double click on grid row `row` (1-based; row 0 is the header)

  // 1 to 3 stop the intro cycle; 4 starts it from the first entry.
  void ChoosePlayMode(int mode);

  void mp3EndPlay();
  void intro_timerTimer();

  // Tells the engine the entry that follows the playing one by the end-of-track rules (none
  // while stopped, with gapless off or on an empty queue). Runs whenever the queue, the mode
  // or the current entry has changed; the engine hears only real changes.
  void UpdateNextFile();
  // The engine went on into the next file without a gap: that entry becomes the current one
  // and is announced as a track start, without restarting the engine.
  void mp3TrackChanged();
  // The entry told to the engine as the next one, -1 for none.
  int NextIndex() const { return FNextIndex; }

 signals:
  void PlayStateChanged();  // read PlayState()

 private:
  void SetPlayState(TPlayState state);
  void SwitchTo(int index);
  // What every track start announces after the title: the count, the song menu, the lyrics.
  void AnnounceStart(const TQueueEntry& entry, const QString& title);
  // The entry after the current one; a random choice is drawn once per track and kept.
  int ChooseFollowing();

  TMP3Player& FEngine;
  TPlayQueue& FQueue;
  TQueuePlayerHost& FHost;
  int FPlayMode = pmRepeatAll;
  TPlayState FPlayState = psIdle;
  QTimer FIntroTimer;
  std::mt19937 FRandom;
  // A stop of a playing engine has queued an end report that has not arrived yet.
  bool FEndReportPending = false;
  int FRandomPick = -1;  // the random mode's choice for the end of the current track
  int FNextIndex = -1;
};
