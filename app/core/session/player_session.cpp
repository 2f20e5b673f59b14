#include "core/session/player_session.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <climits>
#include <utility>

#include "core/playback/engine_host.h"
#include "core/playback/queue_restore.h"
#include "core/playback/ranking.h"
#include "core/playback/track_tags.h"
#include "core/playback/track_time.h"
#include "core/settings/application_home.h"
#include "formats/playlist_files.h"
#include "formats/settings_file.h"
#include "formats/settings_keys.h"
#include "lyrics/track_lyrics.h"
#include "player/mp3_player.h"

TPlayerSession::TPlayerSession(const QString& home, QObject* parent) : QObject(parent), FHome(home) {
  Fmp3 = std::make_unique<TMP3Player>();
  ApplyMainPlayerSettings(*Fmp3);
  FPump = std::make_unique<TEngineMessagePump>(*Fmp3);
  TQueuePlayerHost& host = *this;
  FPlayer = std::make_unique<TQueuePlayer>(*Fmp3, host);
  FFirstStart = !QFileInfo::exists(SettingsFileName(FHome));
  FSettings = std::make_unique<TSettingsFile>(SettingsFileName(FHome));
  FRanking = std::make_unique<TRanking>(*FSettings);
  Fmp3->SetGapless(FSettings->ReadInteger(kKeyGapless, 1) != 0);
  Fmp3->OnChangePosition = [this](TMP3Player& mp3) {
    // Rows moved or deleted in the grid tell nobody: the follow-on is checked on every tick.
    FPlayer->UpdateNextFile();
    emit PositionChanged(mp3.Position());
  };
  Fmp3->OnChangeStatus = [this](TMP3Player& mp3) { emit PositionChanged(mp3.Position()); };
  Timer1.setInterval(100);
}

TPlayerSession::~TPlayerSession() {
  Fmp3->OnChangePosition = nullptr;
  Fmp3->OnChangeStatus = nullptr;
}

void TPlayerSession::RestoreState() {
  TPlayQueue& queue = FPlayer->Queue;
  queue.Clear();
  FPlayer->PlayMode = FSettings->ReadInteger(kKeyRepeat, kDefaultRepeat);
  ListFileName = FSettings->ReadString(kKeyListFileName, kUnnamedListName);
  // Only a queue that belongs to a named playlist is kept, so an unnamed one is not read.
  if (ListFileName != kUnnamedListName)
    RestoreQueue(queue, *FSettings, [](const QString& path) { return ReadTrackTags(path).Title; });
  FRanking->Read();
  queue.CurrentIndex = FSettings->ReadInteger(kKeyLastMusicNumber, 0);
  // A stored index past the restored queue (files gone since) starts at the first entry, and
  // from its beginning: the stored position was another track's.
  bool resume = true;
  if (queue.CurrentIndex < 0 || queue.CurrentIndex >= queue.QueueCount()) {
    queue.CurrentIndex = 0;
    resume = false;
  }
  if (queue.QueueCount() == 0) return;
  StartEntryAt(queue.CurrentIndex, resume ? FSettings->ReadInteger(kKeyLastMusicPosition, 0) : 0);
}

void TPlayerSession::StoreQueueState() {
  StoreQueue(FPlayer->Queue, *FSettings);
  FSettings->WriteInteger(kKeyLastMusicNumber, FPlayer->Queue.CurrentIndex);
  FSettings->WriteInteger(kKeyLastMusicPosition,
                          static_cast<int>(std::clamp<qint64>(TrackPosition(), 0, INT_MAX)));
}

void TPlayerSession::NotifySongListChanged() {
  FPlayer->UpdateNextFile();
  emit SongListChanged();
}

void TPlayerSession::StartEntry(int index) { StartEntryAt(index, 0); }

void TPlayerSession::StartEntryAt(int index, qint64 resumeMs) {
  if (!FStartsHeld) {
    FPlayer->StartEntry(index);
    ResumeAt(resumeMs);
    return;
  }
  FPlayer->Queue.CurrentIndex = index;
  FPlayer->PlayState = psPlaying;
  FHeldStart = index;
  FHeldResume = resumeMs;
}

void TPlayerSession::ResumeAt(qint64 storedMs) {
  const qint64 at = ResumePosition(storedMs, TrackLength());
  if (at <= 0 || !TrackOpen()) return;
  try {
    SeekTo(at);
  } catch (const std::exception&) {
    // A stream that cannot seek plays from its beginning.
  }
}

void TPlayerSession::ReleaseStarts() {
  FStartsHeld = false;
  const int index = std::exchange(FHeldStart, -1);
  const qint64 resumeMs = std::exchange(FHeldResume, 0);
  // Something since (a stop, another entry) has taken over from the held start.
  if (index < 0 || FPlayer->PlayState != psPlaying || FPlayer->Queue.CurrentIndex != index ||
      Fmp3->Status() != mpsStopped)
    return;
  FPlayer->StartEntry(index);
  ResumeAt(resumeMs);
}

bool TPlayerSession::TrackOpen() const { return Fmp3->IsOpen(); }

qint64 TPlayerSession::TrackLength() const { return Fmp3->Length(); }

qint64 TPlayerSession::TrackPosition() const { return Fmp3->Position(); }

void TPlayerSession::SeekTo(qint64 ms) {
  if (!Fmp3->IsOpen()) return;
  Fmp3->Seek(ms);
  emit Sought(Fmp3->Position());
}

void TPlayerSession::AppendToQueue(const QString& path) {
  FPlayer->AppendToQueue(path);
  FPlayer->UpdateNextFile();  // the new last entry may be the one that follows
  emit EntryAppended(FPlayer->Queue.QueueCount() - 1);
}

void TPlayerSession::SetLyricsSpeed(int index, const QString& speed) {
  TPlayQueue& queue = FPlayer->Queue;
  if (index < 0 || index >= queue.QueueCount()) return;
  queue.Slot(index).LyricsSpeed = speed;
  emit EntryChanged(index);
}

void TPlayerSession::ChoosePlayMode(int mode) {
  if (mode != pmIntro) {
    FPlayer->ChoosePlayMode(mode);
    FSettings->WriteInteger(kKeyRepeat, mode);
  } else {  // kept before the intro cycle starts its first entry
    FPlayer->PlayMode = mode;
    FSettings->WriteInteger(kKeyRepeat, mode);
    FPlayer->ChoosePlayMode(mode);
  }
  emit PlayModeChanged(mode);
}

void TPlayerSession::ShowTrack(const QString& title, const QString& artist) {
  emit TrackStarted(title, artist);
  AnnouncePlayState();
}

// The queue player calls its host before it sets the new state: the news goes out after.
void TPlayerSession::AnnouncePlayState() {
  QMetaObject::invokeMethod(
      this, [this] { emit PlayStateChanged(); }, Qt::QueuedConnection);
}

void TPlayerSession::CountPlay(const QString& title) { FRanking->CountPlay(title); }

void TPlayerSession::BuildSongMenu() { emit SongListChanged(); }

void TPlayerSession::StartEntryLyrics(const QString& lyricsFile) {
  const TQueueEntry entry = FPlayer->Queue.Entry(FPlayer->Queue.CurrentIndex);
  LyricsFileName = lyricsFile;
  LyricsTrack = entry.FileName;
  LyricsActive = true;
  emit LyricsStarted(LyricsFileName, entry.LyricsSpeed);
}

// The entry names no lyrics file: lyrics beside the track or in its tags start all the same.
void TPlayerSession::DropLyrics() {
  const QString track = FPlayer->Queue.Entry(FPlayer->Queue.CurrentIndex).FileName;
  const TTrackLyrics found = FindTrackLyrics(EnginePath(track));
  if (found.Source != TLyricsSource::None) {
    StartEntryLyrics(found.Source == TLyricsSource::File ? QFile::decodeName(found.File.c_str()) : track);
    return;
  }
  Timer1.stop();
  emit LyricsDropped();
  LyricsActive = false;
}

void TPlayerSession::StopLyrics() {
  Timer1.stop();
  if (LyricsActive) emit LyricsStopped();
  LyricsActive = false;
  AnnouncePlayState();
}

void TPlayerSession::PauseLyrics() {
  if (LyricsActive) emit LyricsPaused();
  Timer1.stop();
  AnnouncePlayState();
}

// The lyrics follow the music again: a clock left off after a pause froze them for the rest
// of the track.
void TPlayerSession::ResumeLyrics() {
  if (LyricsActive) emit LyricsResumed();
  AnnouncePlayState();
}
