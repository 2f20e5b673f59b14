// TMP3Player: construction, properties, and the operations that move it between closed,
// stopped, playing and paused.
#include "player/mp3_player.h"

#include <cerrno>

#include "base/engine_error.h"
#include "base/mp_loop_thread.h"
#include "base/mp_messages.h"
#include "base/mp_simple_mutex.h"
#include "decoder/mp3_decoder.h"
#include "output/sound_out.h"
#include "player/player_message_queue.h"
#include "stream/mp_frame_walker.h"
#include "stream/mp_stream_reader.h"
#include "stream/mp_track_decoder.h"

namespace {

// Windows thread priorities of TThreadPriority.
constexpr int kThreadPriorities[] = {-15, -2, -1, 0, 1, 2, 15};

}  // namespace

class TMP3Player::ThreadOwner final : public TMPMessageTarget {
 public:
  explicit ThreadOwner(TMP3Player& player) : player_(player) {}
  void Dispatch(TMPMessage& message) override {
    if (message.Msg == MPM_SIGNALED) player_.DecodeStep();
  }

 private:
  TMP3Player& player_;
};

TMP3Player::TMP3Player()
    : usingCpuCapabilities_{mccMMX, mcc3DNow, mccKNI, mccE3DNow, mccCMOV, mccEMMX, mccSSE2, mccAVX2, mccFMA} {
  info_ = std::make_unique<TMP3Info>();
  window_ = std::make_unique<TMPPlayerMessageQueue>();
  track_ = std::make_unique<TMPTrackDecoder>();
  decodeTrack_ = track_.get();
  cpuFeatures_ = CpuFeatureWord();
  UseForms(*track_);
  soundOut_ = std::make_unique<TSoundOut>();
  soundOut_->SetNotifyInterval(changePosStep_);
  soundOut_->OnThreadException = [this](const std::exception& error, bool& handled) {
    ThreadException(error, handled);
  };
  soundOut_->SetOnPosition([this](TSoundOut&) { PositionTick(); });
  outputLock_ = std::make_unique<TMPSimpleMutex>();
  decoderLock_ = std::make_unique<TMPSimpleMutex>();
  threadOwner_ = std::make_unique<ThreadOwner>(*this);
  thread_ = std::make_unique<TMPLoopThread>(threadOwner_.get());
  thread_->SetName("varo-decoder");
  thread_->OnException = [this](TMPLoopThread&, const std::exception& error, bool& handled) {
    ThreadException(error, handled);
  };
  thread_->Resume();
}

TMP3Player::~TMP3Player() {
  destroying_ = true;
  try {
    Stop();
  } catch (const std::exception&) {
  }
  try {
    Close();
  } catch (const std::exception&) {
  }
  window_->Shutdown();
  // The decoding thread goes first: its steps use everything else, itself included.
  thread_->Join();
  thread_.reset();
  soundOut_.reset();
}

void TMP3Player::BeginLoading() { loading_ = true; }

void TMP3Player::Loaded() {
  loading_ = false;
  if (equalizerMode_ == memFreq) SetEqualizerRange(60, 16000);
  if (autoOpen_ && !fileName_.empty()) Open();
}

void TMP3Player::SetAutoOpen(bool value) {
  autoOpen_ = value;
  if (value && !loading_) Open();
}

void TMP3Player::SetAutoPlay(bool value) {
  autoPlay_ = value;
  if (value && IsOpen() && status_ == mpsStopped) Play();
}

void TMP3Player::SetChangePosStep(int value) {
  if (value < 100) return;
  changePosStep_ = value;
  TMPLock lock(*outputLock_);
  soundOut_->SetNotifyInterval(value);
}

TThreadPriority TMP3Player::DecodePriority() const {
  const int priority = thread_->Priority();
  for (int p = tpIdle; p <= tpTimeCritical; ++p) {
    if (kThreadPriorities[p] == priority) return static_cast<TThreadPriority>(p);
  }
  return tpNormal;
}

int TMP3Player::SetDecodePriority(TThreadPriority value) {
  if (value > tpTimeCritical) return EINVAL;
  return thread_->SetPriority(kThreadPriorities[value]);
}

void TMP3Player::SetEqualizerEnabled(bool value) {
  if (value == equalizerEnabled_) return;
  equalizerEnabled_ = value;
  PostOnce(MPM_EQUALIZER);
}

// At most one value per band: counts above the band arrays are refused like those below 1.
void TMP3Player::SetEqualizerCount(int value) {
  if (value < 1 || value > kEqualizerBands || value == equalizerCount_) return;
  equalizerCount_ = value;
  PostOnce(MPM_EQUALIZER);
}

void TMP3Player::SetEqualizerMode(TMP3EqualizerMode value) {
  if (value == equalizerMode_ || value > memFreq) return;
  equalizerMode_ = value;
  PostOnce(MPM_EQUALIZER);
}

void TMP3Player::SetFileName(const std::string& value) {
  fileName_ = value;
  if (autoOpen_ && !loading_) Open();
}

TMP3InfoType TMP3Player::NeedInfoType() const { return info_->NeedInfoType(); }

void TMP3Player::SetNeedInfoType(TMP3InfoType value) { info_->SetNeedInfoType(value); }

bool TMP3Player::InvertPolarity() const {
  TMPLock lock(*decoderLock_);
  return invertPolarity_;
}

void TMP3Player::SetInvertPolarity(bool value) {
  TMPLock lock(*decoderLock_);
  invertPolarity_ = value;
  ::SetInvertPolarity(track_->DecoderState(), value ? 1 : 0);
  if (next_) ::SetInvertPolarity(next_->DecoderState(), value ? 1 : 0);
}

// Under the decoder lock.
void TMP3Player::UseForms(TMPTrackDecoder& track) {
  SelectCpuRoutines(track.DecoderState(), cpuFeatures_);
  ::SetInvertPolarity(track.DecoderState(), invertPolarity_ ? 1 : 0);
}

void TMP3Player::SetVolBalance(int value) {
  if (value < -100 || value > 100) return;
  volBalance_ = value;
  TMPLock lock(*outputLock_);
  soundOut_->SetBalance(value);
}

void TMP3Player::SetVolume(int value) {
  if (value < 0 || value > 100) return;
  if (value == 0 && loading_) {
    volume_ = soundOut_->Volume();  // a stored 0 keeps the device's volume
    return;
  }
  volume_ = value;
  TMPLock lock(*outputLock_);
  soundOut_->SetVolume(value);
}

int64_t TMP3Player::AudioStart() const {
  TMPLock lock(*decoderLock_);
  return IsOpen() ? track_->Walker().AudioStart() : 0;
}

int64_t TMP3Player::AudioLength() const {
  TMPLock lock(*decoderLock_);
  return IsOpen() ? track_->Walker().AudioLength() : 0;
}

const TMP3Info& TMP3Player::Info() const { return IsOpen() ? track_->Info() : *info_; }

void TMP3Player::Open() {
  if (fileName_.empty()) {
    Close();
    return;
  }
  auto file = std::make_unique<TMPFileStream>(fileName_);
  const uint8_t options = msoOwned | (file->CanSeek() ? msoSeekable : 0);
  const std::string name = fileName_;
  try {
    OpenStream(file.release(), options);
  } catch (...) {
    if (IsOpen()) fileName_ = name;  // opened, but Play failed
    throw;
  }
  if (IsOpen()) fileName_ = name;
}

void TMP3Player::OpenStream(TMPStream* stream, uint8_t options) {
  try {
    Close();
  } catch (...) {
    if (options & msoOwned) delete stream;
    throw;
  }
  stream_ = stream;
  streamOptions_ = options;
  if (options & msoOwned) ownedStream_.reset(stream);
  if (stream != nullptr) {
    try {
      PrepareDecoding();
    } catch (...) {
      Close();
      throw;
    }
    PostOnce(MPM_EQUALIZER);
    SetStatus(mpsStopped);
  }
  if (autoPlay_) Play();
}

void TMP3Player::Close() {
  if (!IsOpen()) return;
  if (status_ != mpsStopped) Stop();
  DropNext();
  {
    TMPLock lock(*decoderLock_);
    ++generation_;
    track_->Close();
    decodeTrack_ = track_.get();
    pcmBuffer_.reset();
    pendingBytes_ = 0;
    UpdateTotal();
  }
  fileName_.clear();
  nextFileName_.clear();
  stream_ = nullptr;
  ownedStream_.reset();
  streamOptions_ = 0;
  info_->Clear();
  channels_ = layer_ = version_ = sampleRate_ = 0;
  SetStatus(mpsStopped);
}

void TMP3Player::Play() {
  if (!IsOpen() || status_ != mpsStopped) return;
  {
    TMPLock lock(*decoderLock_);
    cpuFeatures_ = CpuFeatureWord();
    UseForms(*track_);
    if (next_) UseForms(*next_);
  }
  {
    TMPLock decoder(*decoderLock_);
    TMPLock lock(*outputLock_);
    soundOut_->SetOnPosition([this](TSoundOut&) { PositionTick(); });
    soundOut_->SetDeviceId(waveOutDevice_);
    soundOut_->SetDeviceSelection(audioDevice_);
    soundOut_->Open();
    std::lock_guard time(timeLock_);
    markSample_ = track_->NextSample();
    markBytes_ = 0;
  }
  if (!nextFileName_.empty() && !next_) PrepareNext();
  thread_->Event().SetEvent();
  SetStatus(mpsPlaying);
  endReason_ = merStopped;
  PostOnce(MPM_POSITION);
}

void TMP3Player::Pause() {
  if (status_ != mpsPlaying) return;
  {
    TMPLock lock(*outputLock_);
    soundOut_->Pause();
  }
  SetStatus(mpsPaused);
}

void TMP3Player::Resume() {
  if (status_ != mpsPaused) return;
  {
    TMPLock lock(*outputLock_);
    soundOut_->Unpause();
  }
  SetStatus(mpsPlaying);
}

// Holds both locks while the output is dropped and the decoding thread's event is reset,
// and the decoder lock also while the reader is rewound: no decode step or read-ahead of
// this play works once Stop has returned. A step may hold the decoder lock while it waits
// for a pipe whose writer stalls: the stream's wake-up ends that wait first.
void TMP3Player::Stop() {
  if (!IsOpen() || status_ == mpsStopped) return;
  std::exception_ptr failure;
  stream_->Interrupt();
  {
    TMPLock decoder(*decoderLock_);
    stream_->ClearInterrupt();
    {
      TMPLock output(*outputLock_);
      soundOut_->SetOnPosition(nullptr);
      try {
        soundOut_->Reset();
        soundOut_->Close();
      } catch (...) {
        failure = std::current_exception();
      }
      thread_->Event().ResetEvent();
    }
    ++generation_;
    UndoSwitch();
    try {
      if (track_->Reader().Seekable()) track_->SeekSample(0);
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
    pendingBytes_ = 0;
    UpdateTotal();
  }
  window_->RemoveAll(MPM_ENDOFDATA);  // an end of this play that is still queued
  SetStatus(mpsStopped);
  PostOnce(MPM_POSITION);
  if (!(streamOptions_ & msoSeekable)) Close();
  if (failure) std::rethrow_exception(failure);
}

void TMP3Player::SetStatus(TMP3PlayerStatus status) {
  const bool endOfPlay = IsOpen() && (status_ == mpsPlaying || status_ == mpsPaused) && status == mpsStopped;
  status_ = status;
  PostOnce(MPM_STATUS);
  if (endOfPlay) PostOnce(MPM_ENDPLAY);
}

void TMP3Player::ReadFileInfo(const std::string& fileName, TMP3Info& info) { info.ReadFromFile(fileName); }
