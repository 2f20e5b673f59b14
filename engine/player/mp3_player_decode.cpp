// TMP3Player's stream opening and the decode step its decoding thread runs while playing,
// with the hand-over to the next track when the current one ends.
#include <cstring>
#include <mutex>
#include <thread>

#include "base/engine_error.h"
#include "base/mp_loop_thread.h"
#include "base/mp_messages.h"
#include "base/mp_simple_mutex.h"
#include "decoder/mp3_decoder.h"
#include "output/sound_out.h"
#include "player/mp3_player.h"
#include "stream/mp_track_decoder.h"

namespace {

constexpr int32_t kPcmBufferBytes = 5120;  // one frame of 1152 stereo 16-bit samples
constexpr int32_t kYieldBelowFreePercent = 25;
constexpr int32_t kIndexSlice = 1000;    // frames indexed under one hold of the decoder lock
constexpr int32_t kLateNextPollMs = 20;  // how often the end of a track looks for a next file

bool SameOutputFormat(const TMPOutputFormat& format, const TSoundOut& output) {
  return format.SampleRate == output.SampleRate() && format.Channels == output.Channels() &&
         format.BitsPerSample == output.BitsPerSample();
}

void SetOutputFormat(TSoundOut& output, const TMPOutputFormat& format) {
  output.SetSampleRate(format.SampleRate);
  output.SetBitsPerSample(format.BitsPerSample);
  output.SetChannels(format.Channels);
}

}  // namespace

// Everything between storing the stream and the first Play: the audio behind the tags, the
// first frame, the decoder and the output format, and the VBR information frame.
void TMP3Player::PrepareDecoding() {
  TMPLock lock(*decoderLock_);
  pcmBuffer_.reset(new uint64_t[kPcmBufferBytes / sizeof(uint64_t)]);
  track_->Info().SetNeedInfoType(info_->NeedInfoType());
  TMPTrackOptions options;
  options.Gapless = gapless_;
  track_->Open(stream_, (streamOptions_ & msoSeekable) != 0, options);
  decodeTrack_ = track_.get();
  pendingBytes_ = 0;
  UpdateTotal();
  const TMPOutputFormat& format = track_->Format();
  if (track_->BytesPerFrame() > kPcmBufferBytes) RaiseUnknownFormat();
  {
    TMPLock output(*outputLock_);
    SetOutputFormat(*soundOut_, format);
  }
  sampleRate_ = format.SampleRate;
  channels_ = format.Channels;
  layer_ = track_->Layer();
  version_ = track_->Version();
}

void TMP3Player::DecodeStep() {
  uint8_t* pcm = nullptr;
  int32_t freePercent = 0;
  uint64_t generation = 0;
  {
    std::unique_lock<TMPAbstractMutex> decoder(*decoderLock_);
    if (thread_->Event().WaitFor(0) != WAIT_OBJECT_0) return;  // stopped meanwhile
    generation = generation_;
    pcm = reinterpret_cast<uint8_t*>(pcmBuffer_.get());
    if (pendingBytes_ == 0) {
      int32_t bytes = 0;
      switch (decodeTrack_->DecodeNext(pcm, bytes)) {
        case TMPTrackDecoder::TStep::Ended:
          if (!StartNextTrack(decoder, generation)) FinishData(decoder, generation);
          return;
        case TMPTrackDecoder::TStep::Nothing:
          return;
        case TMPTrackDecoder::TStep::Pcm:
          pendingBytes_ = bytes;
          break;
      }
      if (decodeTrack_ == track_.get()) UpdateTotal();
    }
    MPAssert(pendingBytes_ > 0);
    TMPLock output(*outputLock_);
    if (soundOut_->CanWrite()) {
      const int32_t accepted = soundOut_->Write(pcm, pendingBytes_);
      pendingBytes_ -= accepted;
      std::memmove(pcm, pcm + accepted, static_cast<size_t>(pendingBytes_));
    } else {
      thread_->Event().ResetEvent();
      soundOut_->SetWaiter(&thread_->Event());
    }
    PostSwitchWhenHeard();
    freePercent = soundOut_->FreePercent();
  }
  // The output is full: spend the wait filling the reader and then indexing the frames of the
  // track, so that a seek finds its frame at once, as long as this play lasts.
  while (freePercent == 0) {
    {
      TMPLock decoder(*decoderLock_);
      TMPStreamReader& reader = decodeTrack_->Reader();
      if (generation_ != generation || !reader.Attached()) break;
      if (!reader.ReadAhead()) {
        const bool more = decodeTrack_->IndexAhead(kIndexSlice);
        if (decodeTrack_ == track_.get()) UpdateTotal();
        if (!more) break;
      }
    }
    TMPLock output(*outputLock_);
    freePercent = soundOut_->FreePercent();
  }
  if (freePercent <= kYieldBelowFreePercent) std::this_thread::yield();
}

// The audio is used up: queue what is left, wait until it has been heard, and report the
// end, or the failure of a write no later Write reported. The wait lets go of the decoder
// lock, so that Stop (and with it Pause followed by Stop) is never held up by it; a Stop
// meanwhile makes the end go unreported. A next file set while the output still plays
// follows on from there.
void TMP3Player::FinishData(std::unique_lock<TMPAbstractMutex>& decoder, uint64_t generation) {
  {
    TMPLock output(*outputLock_);
    soundOut_->SetWaiter(nullptr);
    soundOut_->Flush();
  }
  decoder.unlock();
  while (!soundOut_->WaitAllDone(kLateNextPollMs)) {
    decoder.lock();
    const bool current = generation_ == generation && thread_->Event().WaitFor(0) == WAIT_OBJECT_0;
    if (current && next_ && StartNextTrack(decoder, generation)) return;
    decoder.unlock();
  }
  decoder.lock();
  if (generation_ != generation || thread_->Event().WaitFor(0) != WAIT_OBJECT_0) return;
  thread_->Event().ResetEvent();
  {
    TMPLock output(*outputLock_);
    soundOut_->CheckDevice();
  }
  PostAlways(MPM_ENDOFDATA);
}

// The reported track has ended and a next one is open: its PCM follows in the same output.
// Of another format, the output plays out and opens again for it (a gap there cannot be
// helped). False when there is nothing to follow.
bool TMP3Player::StartNextTrack(std::unique_lock<TMPAbstractMutex>& decoder, uint64_t generation) {
  if (!next_ || decodeTrack_ != track_.get()) return false;
  int64_t switchBytes = 0;
  if (SameOutputFormat(next_->Format(), *soundOut_)) {
    TMPLock output(*outputLock_);
    switchBytes = soundOut_->WrittenBytes();
  } else {
    {
      TMPLock output(*outputLock_);
      soundOut_->SetWaiter(nullptr);
      soundOut_->Flush();
    }
    decoder.unlock();
    soundOut_->WaitAllDone();
    decoder.lock();
    if (generation_ != generation || thread_->Event().WaitFor(0) != WAIT_OBJECT_0 || !next_) return true;
    TMPLock output(*outputLock_);
    soundOut_->CheckDevice();
    soundOut_->Close();
    SetOutputFormat(*soundOut_, next_->Format());
    soundOut_->Open();
  }
  decodeTrack_ = next_.get();
  TMPLock output(*outputLock_);
  {
    std::lock_guard time(timeLock_);
    switched_ = true;
    switchPosted_ = false;
    switchBytes_ = switchBytes;
  }
  PostSwitchWhenHeard();
  return true;
}

// Under both locks: once the output has played up to the next track's first sample, the
// owning thread is told to make it the reported one.
void TMP3Player::PostSwitchWhenHeard() {
  const int64_t heard = soundOut_->HeardBytes();
  {
    std::lock_guard time(timeLock_);
    if (!switched_ || switchPosted_ || heard < switchBytes_) return;
    switchPosted_ = true;
  }
  PostAlways(MPM_TRACKCHANGED);
}

// Under the decoder lock: the reported track's length as the owning thread reads it.
void TMP3Player::UpdateTotal() {
  const int64_t total = track_->IsOpen() ? track_->TotalSamples() : 0;
  std::lock_guard time(timeLock_);
  totalSamples_ = total;
}
