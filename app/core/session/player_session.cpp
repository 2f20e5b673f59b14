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
#include "core/playlist/playlist_service.h"
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
  FFirstStart = !QFileInfo::exists(SettingsFileName(FHome));
  FSettings = std::make_unique<TSettingsFile>(SettingsFileName(FHome));
  FQueue = std::make_unique<TPlayQueue>();
  TQueuePlayerHost& host = *this;
  FPlayer = std::make_unique<TQueuePlayer>(*Fmp3, *FQueue, host);
  FPlaylist = std::make_unique<TPlaylistService>(*FQueue, *FSettings, FHome, [this] { StartIfIdle(); });
  FRanking = std::make_unique<TRanking>(*FSettings);
  Fmp3->SetGapless(FSettings->ReadInteger(kKeyGapless, 1) != 0);
  Fmp3->OnChangePosition = [this](TMP3Player& mp3) { emit PositionChanged(mp3.Position()); };
  Fmp3->OnChangeStatus = [this](TMP3Player& mp3) { emit PositionChanged(mp3.Position()); };
  // The queue player changes its state in the middle of its work: the news goes out after.
  connect(FPlayer.get(), &TQueuePlayer::PlayStateChanged, this, [this] {
    if (std::exchange(FPlayStateNewsQueued, true)) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
          FPlayStateNewsQueued = false;
          emit PlayStateChanged();
        },
        Qt::QueuedConnection);
  });
  FTimer1.setInterval(100);
}

TPlayerSession::~TPlayerSession() {
  Fmp3->OnChangePosition = nullptr;
  Fmp3->OnChangeStatus = nullptr;
}

void TPlayerSession::RestoreState() {
  TPlayQueue& queue = *FQueue;
  queue.Clear();
  FPlayer->SetPlayMode(FSettings->ReadInteger(kKeyRepeat, kDefaultRepeat));
  FListFileName = FSettings->ReadString(kKeyListFileName, kUnnamedListName);
  // Only a queue that belongs to a named playlist is kept, so an unnamed one is not read.
  if (FListFileName != kUnnamedListName) RestoreQueue(queue, *FSettings, TagTitle);
  FRanking->Read();
  int current = FSettings->ReadInteger(kKeyLastMusicNumber, 0);
  // A stored index past the restored queue (files gone since) starts at the first entry, and
  // from its beginning: the stored position was another track's.
  const bool resume = current >= 0 && current < queue.QueueCount();
  if (!resume) current = 0;
  queue.SetCurrentIndex(current);
  if (queue.QueueCount() == 0) return;
  StartEntryAt(current, resume ? FSettings->ReadInteger(kKeyLastMusicPosition, 0) : 0);
}

void TPlayerSession::StoreQueueState() {
  StoreQueue(*FQueue, *FSettings);
  FSettings->WriteInteger(kKeyLastMusicNumber, FQueue->CurrentIndex());
  FSettings->WriteInteger(kKeyLastMusicPosition,
                          static_cast<int>(std::clamp<qint64>(TrackPosition(), 0, INT_MAX)));
}

void TPlayerSession::StartEntry(int index) { StartEntryAt(index, 0); }

void TPlayerSession::StartEntryAt(int index, qint64 resumeMs) {
  if (!FStartsHeld) {
    FPlayer->StartEntry(index);
    ResumeAt(resumeMs);
    return;
  }
  FPlayer->MarkStarted(index);
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
  if (index < 0 || FPlayer->PlayState() != psPlaying || FQueue->CurrentIndex() != index ||
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

// Files dropped on the main window, or named at start: what plays goes on.
void TPlayerSession::StartIfIdle() {
  if (FPlayer->PlayState() != psPlaying) StartEntry(0);
}

void TPlayerSession::QueueDemoTrack(const QString& mp3File, const QString& lyricsFile) {
  FPlaylist->AppendToQueue(mp3File, QFileInfo(lyricsFile).isFile() ? lyricsFile : QString());
  StartEntry(FQueue->QueueCount() - 1);
}

void TPlayerSession::ChoosePlayMode(int mode) {
  if (mode != pmIntro) {
    FPlayer->ChoosePlayMode(mode);
    FSettings->WriteInteger(kKeyRepeat, mode);
  } else {  // kept before the intro cycle starts its first entry
    FPlayer->SetPlayMode(mode);
    FSettings->WriteInteger(kKeyRepeat, mode);
    FPlayer->ChoosePlayMode(mode);
  }
  emit PlayModeChanged(mode);
}

void TPlayerSession::ShowTrack(const QString& title, const QString& artist) {
  emit TrackStarted(title, artist);
}

void TPlayerSession::CountPlay(const QString& title) { FRanking->CountPlay(title); }

void TPlayerSession::BuildSongMenu() { emit SongListChanged(); }

void TPlayerSession::StartEntryLyrics(const QString& lyricsFile) {
  const TQueueEntry entry = FQueue->Entry(FQueue->CurrentIndex());
  FLyricsFileName = lyricsFile;
  FLyricsTrack = entry.FileName;
  FLyricsActive = true;
  emit LyricsStarted(FLyricsFileName, entry.LyricsSpeed);
}

// The entry names no lyrics file: lyrics beside the track or in its tags start all the same.
void TPlayerSession::DropLyrics() {
  const QString track = FQueue->Entry(FQueue->CurrentIndex()).FileName;
  const TTrackLyrics found = FindTrackLyrics(EnginePath(track));
  if (found.Source != TLyricsSource::None) {
    StartEntryLyrics(found.Source == TLyricsSource::File ? QFile::decodeName(found.File.c_str()) : track);
    return;
  }
  FTimer1.stop();
  emit LyricsDropped();
  FLyricsActive = false;
}

void TPlayerSession::StopLyrics() {
  FTimer1.stop();
  if (FLyricsActive) emit LyricsStopped();
  FLyricsActive = false;
}

void TPlayerSession::PauseLyrics() {
  if (FLyricsActive) emit LyricsPaused();
  FTimer1.stop();
}

// The lyrics follow the music again: a clock left off after a pause froze them for the rest
// of the track.
void TPlayerSession::ResumeLyrics() {
  if (FLyricsActive) emit LyricsResumed();
}
