// The player session: everything the application owns apart from its windows (the settings
// file, the engine and its message pump, the queue player, the ranking, the current list and
// the lyrics clock). The windows take the session and hear from it through its signals; the
// queue is the model the playlist grid and the song menu show.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

#include "core/playback/queue_player.h"

class TEngineMessagePump;
class TMP3Player;
class TRanking;
class TSettingsFile;

class TPlayerSession : public QObject, private TQueuePlayerHost {
  Q_OBJECT

 public:
  // The settings file of home is read from here on (nothing is written yet); the engine is
  // set up with the main player settings.
  explicit TPlayerSession(const QString& home, QObject* parent = nullptr);
  ~TPlayerSession() override;

  const QString& Home() const { return FHome; }
  bool FirstStart() const { return FFirstStart; }  // the home had no settings file before
  TSettingsFile& Settings() { return *FSettings; }
  TMP3Player& mp3() { return *Fmp3; }
  TQueuePlayer& Player() { return *FPlayer; }
  TPlayQueue& Queue() { return FPlayer->Queue; }
  const TRanking& Ranking() const { return *FRanking; }

  QTimer Timer1;              // the lyrics clock; its ticks drive the lyrics window
  bool LyricsActive = false;  // the current entry's lyrics run
  QString LyricsFileName;     // the lyrics file started last; the track itself for lyrics in its tags
  QString LyricsTrack;        // the track those lyrics belong to
  // The current list as the settings file named it at start-up (listfilename); the playlist
  // window takes it when it first opens.
  QString ListFileName;

  // The start-up part of the session: the play mode, the current list and, for a named list,
  // the stored queue, the ranking and the current index; a restored queue starts playing
  // where it was left.
  void RestoreState();
  // The queue, the current index and the position in its track into the settings file (the
  // exit sequence's part).
  void StoreQueueState();

  // Starts playing entry index from a halt: the one call for start-up, dropped files, a
  // loaded list and the demo track.
  void StartEntry(int index);
  // While held, StartEntry makes the entry current and the state playing at once but opens
  // the sound device only on release: the program's first window is not kept waiting for
  // the sound server. The last start asked for wins.
  void HoldStarts() { FStartsHeld = true; }
  void ReleaseStarts();
  // Reads the tags of path and appends it (EntryAppended); raises the tag reader's error or
  // EQueueFull.
  void AppendToQueue(const QString& path);
  // The speed of entry index (the lyrics window's buttons); EntryChanged tells the views.
  void SetLyricsSpeed(int index, const QString& speed);
  // The queue's titles or order changed as a whole: the song menu is built anew.
  void NotifySongListChanged();
  // The play mode chosen (1 ... 4), kept as repeat in the settings file.
  void ChoosePlayMode(int mode);

  // The current track's time in ms, and seeking in it: the progress line, the keys and the
  // desktop controls all seek here. Sought tells the lyrics and the views where play went;
  // the engine's error (a stream that cannot seek) reaches the caller.
  bool TrackOpen() const;  // a track is open (playing, paused or stopped at its start)
  qint64 TrackLength() const;
  qint64 TrackPosition() const;
  void SeekTo(qint64 ms);

 signals:
  void TrackStarted(const QString& title, const QString& artist);
  void SongListChanged();
  void EntryAppended(int index);
  void EntryChanged(int index);
  // An entry with lyrics started: its lyrics file (the playlist's, else one found beside the
  // track, else the track for lyrics in its tags) and its speed; the clock is the session's.
  void LyricsStarted(const QString& lyricsFile, const QString& speed);
  void LyricsDropped();  // no lyrics anywhere: the clock is off, the window closes
  void LyricsStopped();  // the stop command: the lyrics file closes
  void LyricsPaused();   // the pause command, before the clock goes off
  void LyricsResumed();
  void Sought(qint64 ms);
  // The position heard moved: the engine's ticks while playing, and a stop's rewind.
  void PositionChanged(qint64 ms);
  // After a transport change has settled (read Player().PlayState); may come more than once.
  void PlayStateChanged();
  void PlayModeChanged(int mode);

 private:
  // TQueuePlayerHost: what a started track shows goes out as signals.
  void ShowTrack(const QString& title, const QString& artist) override;
  void CountPlay(const QString& title) override;
  void BuildSongMenu() override;
  void StartEntryLyrics(const QString& lyricsFile) override;
  void DropLyrics() override;
  void StopLyrics() override;
  void PauseLyrics() override;
  void ResumeLyrics() override;
  void AnnouncePlayState();
  // Starts entry index, then seeks to the stored resume position when it lies inside the track.
  void StartEntryAt(int index, qint64 resumeMs);
  void ResumeAt(qint64 storedMs);

  QString FHome;
  bool FFirstStart = false;
  bool FStartsHeld = false;
  int FHeldStart = -1;
  qint64 FHeldResume = 0;
  std::unique_ptr<TSettingsFile> FSettings;
  std::unique_ptr<TMP3Player> Fmp3;
  std::unique_ptr<TEngineMessagePump> FPump;
  std::unique_ptr<TQueuePlayer> FPlayer;
  std::unique_ptr<TRanking> FRanking;
};
