#include "core/playback/queue_player.h"

#include <algorithm>
#include <exception>

#include "core/playback/track_tags.h"
#include "player/mp3_player.h"

TQueuePlayer::TQueuePlayer(TMP3Player& engine, TPlayQueue& queue, TQueuePlayerHost& host, QObject* parent)
    : QObject(parent), FEngine(engine), FQueue(queue), FHost(host), FRandom(std::random_device{}()) {
  FIntroTimer.setInterval(kDefaultIntroMs);
  connect(&FIntroTimer, &QTimer::timeout, this, &TQueuePlayer::intro_timerTimer);
  // Entries added, moved or deleted may change the entry that follows the playing one.
  connect(&FQueue, &TPlayQueue::Changed, this, [this] {
    try {
      UpdateNextFile();
    } catch (const std::exception&) {
      // The engine would not take the follow-on: the queue goes on by the end of the track.
    }
  });
  FEngine.OnEndPlay = [this](TMP3Player&, TMP3EndPlayReason) { mp3EndPlay(); };
  FEngine.OnTrackChanged = [this](TMP3Player&) { mp3TrackChanged(); };
}

TQueuePlayer::~TQueuePlayer() {
  FEngine.OnEndPlay = nullptr;
  FEngine.OnTrackChanged = nullptr;
}

void TQueuePlayer::PlayEntry(int index) {
  FRandomPick = -1;
  FNextIndex = -1;
  try {
    // The old track's follow-on must not outlive it, whatever step fails below.
    FEngine.SetNextFileName(std::string());
    if (FEngine.Status() == mpsPaused) {
      FEngine.Resume();
      SetPlayState(psSwitching);
    }
    if (FEngine.Status() != mpsStopped) FEndReportPending = true;
    FEngine.Stop();
    // Nothing was playing, so no end report will come for this switch: a switching state
    // left behind would swallow the end of the new track and halt the queue after it.
    if (FPlayState == psSwitching && !FEndReportPending) SetPlayState(psPlaying);
    const TQueueEntry entry = FQueue.Entry(index);
    FEngine.SetFileName(EnginePath(entry.FileName));  // opens the file and reads its tags
    if (!FEngine.IsOpen()) return;                    // no such entry: there was no file to open
    const TTrackTags tags = OpenedTrackTags(FEngine, entry.FileName);
    FHost.ShowTrack(tags.Title, tags.Artist);
    FEngine.Play();
    AnnounceStart(entry, tags.Title);
    UpdateNextFile();
  } catch (const std::exception&) {
    // A file that cannot be opened or played ends the routine quietly.
  }
}

void TQueuePlayer::AnnounceStart(const TQueueEntry& entry, const QString& title) {
  FHost.CountPlay(title);
  FHost.BuildSongMenu();
  if (!entry.LyricsFile.isEmpty())
    FHost.StartEntryLyrics(entry.LyricsFile);
  else
    FHost.DropLyrics();
}

int TQueuePlayer::ChooseFollowing() {
  const int count = FQueue.QueueCount();
  if (FPlayMode == pmRandom && (FRandomPick < 0 || FRandomPick >= std::max(count, 1))) {
    std::uniform_int_distribution<int> pick(0, std::max(count - 1, 0));
    FRandomPick = pick(FRandom);
  }
  return FollowingIndex(FPlayMode, FQueue.CurrentIndex(), count, FRandomPick);
}

void TQueuePlayer::UpdateNextFile() {
  int index = -1;
  if (FEngine.Gapless() && FEngine.IsOpen() && FEngine.Status() != mpsStopped && FPlayState != psStopped &&
      FQueue.QueueCount() > 0)
    index = ChooseFollowing();
  const QString file = FQueue.Entry(index).FileName;
  FNextIndex = file.isEmpty() ? -1 : index;
  const std::string path = file.isEmpty() ? std::string() : EnginePath(file);
  if (path != FEngine.NextFileName()) FEngine.SetNextFileName(path);
}

void TQueuePlayer::mp3TrackChanged() {
  // The entry told to the engine, unless the queue moved under it since: then the entry that
  // holds the file heard now.
  const std::string heard = FEngine.FileName();
  int index = FNextIndex;
  if (EnginePath(FQueue.Entry(index).FileName) != heard) {
    index = -1;
    for (int i = 0; i < FQueue.QueueCount() && index < 0; ++i)
      if (EnginePath(FQueue.Entry(i).FileName) == heard) index = i;
  }
  if (index >= 0) FQueue.SetCurrentIndex(index);
  FRandomPick = -1;
  FNextIndex = -1;
  try {
    const TQueueEntry entry = FQueue.Entry(index);
    const TTrackTags tags =
        OpenedTrackTags(FEngine, entry.FileName.isEmpty() ? QString::fromStdString(heard) : entry.FileName);
    FHost.ShowTrack(tags.Title, tags.Artist);
    AnnounceStart(entry, tags.Title);
  } catch (const std::exception&) {
    // As a started entry: what cannot be shown is left as it was.
  }
  UpdateNextFile();
}

void TQueuePlayer::StartEntry(int index) {
  MarkStarted(index);
  PlayEntry(index);
}

void TQueuePlayer::MarkStarted(int index) {
  FQueue.SetCurrentIndex(index);
  SetPlayState(psPlaying);
}

void TQueuePlayer::SetPlayState(TPlayState state) {
  if (state == FPlayState) return;
  FPlayState = state;
  emit PlayStateChanged();
}

void TQueuePlayer::SwitchTo(int index) {
  FQueue.SetCurrentIndex(index);
  SetPlayState(psSwitching);
  PlayEntry(index);
}

void TQueuePlayer::PlayCommand() {
  if (FQueue.QueueCount() == 0) return;
  // A shorter list was loaded since the index was set: play from its start, not nothing.
  if (FQueue.CurrentIndex() < 0 || FQueue.CurrentIndex() >= FQueue.QueueCount()) FQueue.SetCurrentIndex(0);
  SetPlayState(PlayCommandState(FPlayState));
  PlayEntry(FQueue.CurrentIndex());
}

void TQueuePlayer::StopCommand() {
  if (FEngine.Status() != mpsStopped) FEndReportPending = true;
  FEngine.SetNextFileName(std::string());
  FNextIndex = -1;
  FEngine.Stop();
  FHost.StopLyrics();
  SetPlayState(psStopped);
}

void TQueuePlayer::PauseCommand() {
  if (FPlayState == psPlaying) {
    FEngine.Pause();
    SetPlayState(psPaused);
    FHost.PauseLyrics();
  } else if (FPlayState == psPaused) {
    FEngine.Resume();
    SetPlayState(psPlaying);
    FHost.ResumeLyrics();
  }
}

// On an empty queue there is nothing to switch to: the play state stays as it is, so files
// dropped afterwards still start playing.
void TQueuePlayer::NextCommand() {
  if (FQueue.QueueCount() > 0) SwitchTo(FQueue.NextIndex());
}

void TQueuePlayer::PreviousCommand() {
  if (FQueue.QueueCount() > 0) SwitchTo(FQueue.PreviousIndex());
}

void TQueuePlayer::PlaySongMenuEntry(int index) { SwitchTo(index); }

void TQueuePlayer::PlayRow(int row) {
  FQueue.SetCurrentIndex(row - 1);
  SetPlayState(RowDoubleClickState(FPlayState));
  PlayEntry(row - 1);
}

void TQueuePlayer::ChoosePlayMode(int mode) {
  FPlayMode = mode;
  FRandomPick = -1;
  if (mode != pmIntro) {
    FIntroTimer.stop();
    UpdateNextFile();
    return;
  }
  if (FQueue.QueueCount() > 0) {
    SwitchTo(0);
    FIntroTimer.start();
  }
}

void TQueuePlayer::mp3EndPlay() {
  FEndReportPending = false;
  switch (EndPlayAction(FPlayState)) {
    case TEndPlayAction::Ignore:
      return;
    case TEndPlayAction::Swallow:
      SetPlayState(psPlaying);
      return;
    case TEndPlayAction::PlayNext:
      break;
  }
  // The same choice a gapless follow-on was told, when the engine could not take it.
  const int following = ChooseFollowing();
  FQueue.SetCurrentIndex(following);
  SetPlayState(psPlaying);
  PlayEntry(following);
}

void TQueuePlayer::intro_timerTimer() { SwitchTo(FQueue.NextIndex()); }
