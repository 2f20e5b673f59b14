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
}

TQueuePlayer::~TQueuePlayer() { FEngine.OnEndPlay = nullptr; }

void TQueuePlayer::PlayEntry(int index) {
  try {
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
    FHost.CountPlay(tags.Title);
    FHost.BuildSongMenu();
    if (!entry.LyricsFile.isEmpty())
      FHost.StartEntryLyrics(entry.LyricsFile);
    else
      FHost.DropLyrics();
  } catch (const std::exception&) {
    // A file that cannot be opened or played ends the routine quietly.
  }
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
  if (mode != pmIntro) {
    intro_timer.stop();
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
  if (PlayMode == pmRepeatAll) {
    Queue.CurrentIndex = Queue.NextIndex();
  } else if (PlayMode == pmRandom) {
    std::uniform_int_distribution<int> pick(0, std::max(Queue.QueueCount() - 1, 0));
    Queue.CurrentIndex = pick(FRandom);
  }  // repeat one and intro: the same entry again
  PlayState = psPlaying;
  PlayEntry(Queue.CurrentIndex);
}

void TQueuePlayer::intro_timerTimer() { SwitchTo(Queue.NextIndex()); }
