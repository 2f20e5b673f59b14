// The player session: everything the application owns apart from its windows (the settings
// file, the engine and its message pump, the queue with its player and its lists, the
// ranking, the current list and the lyrics clock). The windows take the session, hear from it
// through its signals and the queue's, and change the queue only through its operations.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

#include "core/playback/queue_player.h"

class TEngineMessagePump;
class TMP3Player;
class TPlaylistService;
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
  // The transport commands and the play modes; the queue's state is read here.
  TQueuePlayer& Player() { return *FPlayer; }
  const TQueuePlayer& Player() const { return *FPlayer; }
  // The model the windows show; its Changed and CurrentChanged say what changed.
  const TPlayQueue& Queue() const { return *FQueue; }
  // Every write of the queue's entries: lists, added files, moves, deletes, lyrics.
  TPlaylistService& Playlist() { return *FPlaylist; }
  const TRanking& Ranking() const { return *FRanking; }

  // The lyrics clock; its ticks drive the lyrics window.
  QTimer& Timer1() { return FTimer1; }
  bool LyricsActive() const { return FLyricsActive; }  // the current entry's lyrics run
  // The lyrics file started last (the track itself for lyrics in its tags), and its track.
  const QString& LyricsFileName() const { return FLyricsFileName; }
  const QString& LyricsTrack() const { return FLyricsTrack; }
  // The current list as the settings file named it at start-up (listfilename); the playlist
  // window takes it when it first opens.
  const QString& ListFileName() const { return FListFileName; }

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
  // The demo track with its lyrics file (when there is one), queued and started.
  void QueueDemoTrack(const QString& mp3File, const QString& lyricsFile);
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
  // A track started: the song menu is built anew (its mark on the current entry).
  void SongListChanged();
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
  // After a transport change has settled (read Player().PlayState()).
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
  // Starts entry index, then seeks to the stored resume position when it lies inside the track.
  void StartEntryAt(int index, qint64 resumeMs);
  void ResumeAt(qint64 storedMs);
  void StartIfIdle();

  QString FHome;
  bool FFirstStart = false;
  bool FStartsHeld = false;
  int FHeldStart = -1;
  qint64 FHeldResume = 0;
  bool FPlayStateNewsQueued = false;
  QTimer FTimer1;
  bool FLyricsActive = false;
  QString FLyricsFileName;
  QString FLyricsTrack;
  QString FListFileName;
  std::unique_ptr<TSettingsFile> FSettings;
  std::unique_ptr<TMP3Player> Fmp3;
  std::unique_ptr<TEngineMessagePump> FPump;
  std::unique_ptr<TPlayQueue> FQueue;
  std::unique_ptr<TQueuePlayer> FPlayer;
  std::unique_ptr<TPlaylistService> FPlaylist;
  std::unique_ptr<TRanking> FRanking;
};
