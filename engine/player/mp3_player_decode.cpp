// TMP3Player's stream opening and the decode step its decoding thread runs while playing,
// with the hand-over to the next track when the current one ends.
#include <cstring>
#include <mutex>
#include <thread>

#include "decoder/mp3_decoder.h"
#include "output/mp_loop_thread.h"
#include "output/mp_messages.h"
#include "output/mp_simple_mutex.h"
#include "output/sound_out.h"
#include "player/mp3_player.h"
#include "stream/engine_error.h"
#include "stream/mp_track_decoder.h"

namespace {

constexpr int32_t kPcmBufferBytes = 5120;  // one frame of 1152 stereo 16-bit samples
constexpr int32_t kYieldBelowFreePercent = 25;

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
  markSample_ = markBytes_ = 0;
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
  // The output is full: spend the wait filling the reader, as long as this play lasts.
  while (freePercent == 0) {
    {
      TMPLock decoder(*decoderLock_);
      TMPStreamReader& reader = decodeTrack_->Reader();
      if (generation_ != generation || !reader.Attached() || !reader.ReadAhead()) break;
    }
    TMPLock output(*outputLock_);
    freePercent = soundOut_->FreePercent();
  }
  if (freePercent <= kYieldBelowFreePercent) std::this_thread::yield();
}

// The audio is used up: queue what is left, wait until it has been heard, and report the
// end, or the failure of a write no later Write reported. The wait lets go of the decoder
// lock, so that Stop (and with it Pause followed by Stop) is never held up by it; a Stop
// meanwhile makes the end go unreported.
void TMP3Player::FinishData(std::unique_lock<TMPAbstractMutex>& decoder, uint64_t generation) {
  {
    TMPLock output(*outputLock_);
    soundOut_->SetWaiter(nullptr);
    soundOut_->Flush();
  }
  decoder.unlock();
  soundOut_->WaitAllDone();
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
  if (switched_ || !next_ || decodeTrack_ != track_.get()) return false;
  if (SameOutputFormat(next_->Format(), *soundOut_)) {
    TMPLock output(*outputLock_);
    switchBytes_ = soundOut_->WrittenBytes();
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
    switchBytes_ = 0;
  }
  switched_ = true;
  switchPosted_ = false;
  decodeTrack_ = next_.get();
  {
    TMPLock output(*outputLock_);
    PostSwitchWhenHeard();
  }
  return true;
}

// Under both locks: once the output has played up to the next track's first sample, the
// owning thread is told to make it the reported one.
void TMP3Player::PostSwitchWhenHeard() {
  if (!switched_ || switchPosted_ || soundOut_->HeardBytes() < switchBytes_) return;
  switchPosted_ = true;
  PostAlways(MPM_TRACKCHANGED);
}
