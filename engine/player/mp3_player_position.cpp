// TMP3Player's time: the track's length, the position heard, seeking and the gapless follow-on.
#include <algorithm>

#include "base/engine_error.h"
#include "base/mp_loop_thread.h"
#include "base/mp_messages.h"
#include "base/mp_simple_mutex.h"
#include "output/sound_out.h"
#include "player/mp3_player.h"
#include "player/player_message_queue.h"
#include "stream/mp_track_decoder.h"

namespace {

constexpr const char* kCannotSeekText = "Cannot seek: the stream can only be read forward.";

int64_t SamplesToMs(int64_t samples, int32_t rate) { return rate > 0 ? samples * 1000 / rate : 0; }

}  // namespace

int64_t TMP3Player::Length() const {
  if (!IsOpen()) return 0;
  std::lock_guard time(timeLock_);
  return SamplesToMs(std::max<int64_t>(totalSamples_, 0), sampleRate_);
}

// What has been heard: the output's count of bytes played (less what the device still holds)
// measured from where the reported track's mark was written.
int64_t TMP3Player::Position() const {
  if (!IsOpen()) return 0;
  int64_t heard = 0;
  if (status_ != mpsStopped) {
    TMPLock output(*outputLock_);
    heard = soundOut_->HeardBytes();
  }
  std::lock_guard time(timeLock_);
  int64_t sample = markSample_;
  if (status_ != mpsStopped) {
    if (switched_) heard = std::min(heard, switchBytes_);
    const int32_t block = track_->Format().Channels * track_->Format().BitsPerSample / 8;
    if (block > 0) sample += std::max<int64_t>(heard - markBytes_, 0) / block;
  }
  if (totalSamples_ >= 0) sample = std::min(sample, totalSamples_);
  return SamplesToMs(sample, sampleRate_);
}

// Drops what the output holds and has the decoding thread go on from the target; a next
// track already decoding ahead is wound back to wait for the end again.
void TMP3Player::Seek(int64_t ms) {
  if (!IsOpen()) return;
  if (!(streamOptions_ & msoSeekable)) throw EMP3Error(kCannotSeekText);
  const int64_t sample = std::max<int64_t>(ms, 0) * sampleRate_ / 1000;
  {
    TMPLock decoder(*decoderLock_);
    int64_t written = 0;
    if (status_ != mpsStopped) {
      TMPLock output(*outputLock_);
      soundOut_->SetWaiter(nullptr);
      soundOut_->Reset();
      written = soundOut_->WrittenBytes();
    }
    ++generation_;
    pendingBytes_ = 0;
    UndoSwitch();
    track_->SeekSample(sample);
    UpdateTotal();
    {
      std::lock_guard time(timeLock_);
      markBytes_ = written;
      markSample_ = track_->NextSample();
    }
    // What the play before the seek reported, dropped before the decoding thread goes on:
    // an end it reaches at once (a seek past the end) must not be taken with them.
    window_->RemoveAll(MPM_ENDOFDATA);
    window_->RemoveAll(MPM_TRACKCHANGED);
    if (status_ != mpsStopped) thread_->Event().SetEvent();
  }
  PostOnce(MPM_POSITION);
}

void TMP3Player::SetGapless(bool value) {
  gapless_ = value;
  if (!value) DropNext();
}

void TMP3Player::SetNextFileName(const std::string& value) {
  nextFileName_ = value;
  DropNext();
  if (IsOpen() && status_ != mpsStopped) PrepareNext();
}

// Opens the next file ahead with its own reader and decoder state. A file that fails to open
// is left out: the current track then ends as it would without it.
void TMP3Player::PrepareNext() {
  if (!gapless_ || nextFileName_.empty()) return;
  try {
    auto stream = std::make_unique<TMPFileStream>(nextFileName_);
    auto track = std::make_unique<TMPTrackDecoder>();
    track->Info().SetNeedInfoType(info_->NeedInfoType());
    TMPTrackOptions options;
    options.Gapless = gapless_;
    track->Open(stream.get(), stream->CanSeek(), options);
    TMPLock decoder(*decoderLock_);
    if (switched_) return;  // the last next track is already playing on
    nextSeekable_ = stream->CanSeek();
    UseForms(*track);
    next_ = std::move(track);
    nextStream_ = std::move(stream);
  } catch (const std::exception&) {
  }
}

// Forgets the next track unless its PCM is already in the output.
void TMP3Player::DropNext() {
  std::unique_ptr<TMPTrackDecoder> track;
  std::unique_ptr<TMPStream> stream;
  {
    TMPLock decoder(*decoderLock_);
    if (switched_) return;
    track = std::move(next_);
    stream = std::move(nextStream_);
  }
}

// Under the decoder lock, with the output dropped: decoding is back on the reported track,
// and the next one waits at its start (or is forgotten when it cannot rewind).
void TMP3Player::UndoSwitch() {
  {
    std::lock_guard time(timeLock_);
    markSample_ = markBytes_ = 0;
    if (!switched_) return;
    switched_ = false;
  }
  decodeTrack_ = track_.get();
  if (nextSeekable_) {
    next_->SeekSample(0);
  } else {
    next_.reset();
    nextStream_.reset();
  }
}

// On the owning thread: the next track has been heard (or everything has been played), so it
// becomes the reported one and the finished one is closed.
bool TMP3Player::CompleteSwitch(bool everythingPlayed) {
  // Asked at every position tick: whether it is due is told without the decoder lock.
  {
    int64_t heard = 0;
    if (!everythingPlayed) {
      TMPLock output(*outputLock_);
      heard = soundOut_->HeardBytes();
    }
    std::lock_guard time(timeLock_);
    if (!switched_ || (!everythingPlayed && heard < switchBytes_)) return false;
  }
  std::unique_ptr<TMPTrackDecoder> finished;
  std::unique_ptr<TMPStream> finishedStream;
  {
    TMPLock decoder(*decoderLock_);
    std::swap(track_, next_);
    finished = std::move(next_);
    finishedStream = std::move(ownedStream_);
    ownedStream_ = std::move(nextStream_);
    stream_ = ownedStream_.get();
    streamOptions_ = static_cast<uint8_t>(msoOwned | (nextSeekable_ ? msoSeekable : 0));
    decodeTrack_ = track_.get();
    {
      std::lock_guard time(timeLock_);
      switched_ = false;
      markSample_ = 0;
      markBytes_ = switchBytes_;
    }
    UpdateTotal();
    const TMPOutputFormat& format = track_->Format();
    sampleRate_ = format.SampleRate;
    channels_ = format.Channels;
    layer_ = track_->Layer();
    version_ = track_->Version();
  }
  fileName_ = nextFileName_;
  nextFileName_.clear();
  PostOnce(MPM_EQUALIZER);
  if (!destroying_ && OnTrackChanged) OnTrackChanged(*this);
  return true;
}
