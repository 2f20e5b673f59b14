#include "core/playback/queue_player.h"

#include <algorithm>
#include <exception>

#include "core/playback/track_tags.h"
#include "player/mp3_player.h"

TQueuePlayer::TQueuePlayer(TMP3Player& engine, TQueuePlayerHost& host, QObject* parent)
    : QObject(parent), FEngine(engine), FHost(host), FRandom(std::random_device{}()) {
  intro_timer.setInterval(kDefaultIntroMs);
  connect(&intro_timer, &QTimer::timeout, this, &TQueuePlayer::intro_timerTimer);
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
      PlayState = psSwitching;
    }
    if (FEngine.Status() != mpsStopped) FEndReportPending = true;
    FEngine.Stop();
    // Nothing was playing, so no end report will come for this switch: a switching state
    // left behind would swallow the end of the new track and halt the queue after it.
    if (PlayState == psSwitching && !FEndReportPending) PlayState = psPlaying;
    const TQueueEntry entry = Queue.Entry(index);
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
  const int count = Queue.QueueCount();
  if (PlayMode == pmRandom && (FRandomPick < 0 || FRandomPick >= std::max(count, 1))) {
    std::uniform_int_distribution<int> pick(0, std::max(count - 1, 0));
    FRandomPick = pick(FRandom);
  }
  return FollowingIndex(PlayMode, Queue.CurrentIndex, count, FRandomPick);
}

void TQueuePlayer::UpdateNextFile() {
  int index = -1;
  if (FEngine.Gapless() && FEngine.IsOpen() && FEngine.Status() != mpsStopped && PlayState != psStopped &&
      Queue.QueueCount() > 0)
    index = ChooseFollowing();
  const QString file = Queue.Entry(index).FileName;
  FNextIndex = file.isEmpty() ? -1 : index;
  const std::string path = file.isEmpty() ? std::string() : EnginePath(file);
  if (path != FEngine.NextFileName()) FEngine.SetNextFileName(path);
}

void TQueuePlayer::mp3TrackChanged() {
  // The entry told to the engine, unless the queue moved under it since: then the entry that
  // holds the file heard now.
  const std::string heard = FEngine.FileName();
  int index = FNextIndex;
  if (EnginePath(Queue.Entry(index).FileName) != heard) {
    index = -1;
    for (int i = 0; i < Queue.QueueCount() && index < 0; ++i)
      if (EnginePath(Queue.Entry(i).FileName) == heard) index = i;
  }
  if (index >= 0) Queue.CurrentIndex = index;
  FRandomPick = -1;
  FNextIndex = -1;
  try {
    const TQueueEntry entry = Queue.Entry(index);
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
  Queue.CurrentIndex = index;
  PlayState = psPlaying;
  PlayEntry(index);
}

void TQueuePlayer::AppendToQueue(const QString& path) {
  if (Queue.IsFull()) throw EQueueFull();
  const TTrackTags tags = ReadTrackTags(path);
  Queue.Append(path, tags.Title);
}

void TQueuePlayer::SwitchTo(int index) {
  Queue.CurrentIndex = index;
  PlayState = psSwitching;
  PlayEntry(index);
}

void TQueuePlayer::PlayCommand() {
  if (Queue.QueueCount() == 0) return;
  // A shorter list was loaded since the index was set: play from its start, not nothing.
  if (Queue.CurrentIndex < 0 || Queue.CurrentIndex >= Queue.QueueCount()) Queue.CurrentIndex = 0;
  PlayState = PlayCommandState(PlayState);
  PlayEntry(Queue.CurrentIndex);
}

void TQueuePlayer::StopCommand() {
  if (FEngine.Status() != mpsStopped) FEndReportPending = true;
  FEngine.SetNextFileName(std::string());
  FNextIndex = -1;
  FEngine.Stop();
  FHost.StopLyrics();
  PlayState = psStopped;
}

void TQueuePlayer::PauseCommand() {
  if (PlayState == psPlaying) {
    FEngine.Pause();
    PlayState = psPaused;
    FHost.PauseLyrics();
  } else if (PlayState == psPaused) {
    FEngine.Resume();
    PlayState = psPlaying;
    FHost.ResumeLyrics();
  }
}

// On an empty queue there is nothing to switch to: the play state stays as it is, so files
// dropped afterwards still start playing.
void TQueuePlayer::NextCommand() {
  if (Queue.QueueCount() > 0) SwitchTo(Queue.NextIndex());
}

void TQueuePlayer::PreviousCommand() {
  if (Queue.QueueCount() > 0) SwitchTo(Queue.PreviousIndex());
}

void TQueuePlayer::PlaySongMenuEntry(int index) { SwitchTo(index); }

void TQueuePlayer::PlayRow(int row) {
  Queue.CurrentIndex = row - 1;
  PlayState = RowDoubleClickState(PlayState);
  PlayEntry(Queue.CurrentIndex);
}

void TQueuePlayer::ChoosePlayMode(int mode) {
  PlayMode = mode;
  FRandomPick = -1;
  if (mode != pmIntro) {
    intro_timer.stop();
    UpdateNextFile();
    return;
  }
  if (Queue.QueueCount() > 0) {
    SwitchTo(0);
    intro_timer.start();
  }
}

void TQueuePlayer::mp3EndPlay() {
  FEndReportPending = false;
  switch (EndPlayAction(PlayState)) {
    case TEndPlayAction::Ignore:
      return;
    case TEndPlayAction::Swallow:
      PlayState = psPlaying;
      return;
    case TEndPlayAction::PlayNext:
      break;
  }
  // The same choice a gapless follow-on was told, when the engine could not take it.
  Queue.CurrentIndex = ChooseFollowing();
  PlayState = psPlaying;
  PlayEntry(Queue.CurrentIndex);
}

void TQueuePlayer::intro_timerTimer() { SwitchTo(Queue.NextIndex()); }
