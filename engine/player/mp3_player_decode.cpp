// TMP3Player's stream opening and the decode step its decoding thread runs while playing.
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
#include "stream/frame_facts.h"
#include "stream/mp_frame_walker.h"
#include "stream/mp_stream_reader.h"

namespace {

constexpr int32_t kPcmBufferBytes = 5120;  // one frame of 1152 stereo 16-bit samples
constexpr int32_t kCutoffHz = 24000;
constexpr int32_t kYieldBelowFreePercent = 25;

int32_t OpenDecoderOn(const TMPFrameHeader& header, int32_t frameSize) {
  return OpenDecoderStream(header, frameSize - PaddingBytes(header), 0, 0, 0, kCutoffHz);
}

}  // namespace

// Everything between storing the stream and the first Play: the audio behind the tags, the
// first frame, the decoder and the output format, and the VBR information frame.
void TMP3Player::PrepareDecoding() {
  TMPLock lock(*decoderLock_);
  reader_->Attach(stream_, (streamOptions_ & msoSeekable) != 0);
  pcmBuffer_.reset(new uint64_t[kPcmBufferBytes / sizeof(uint64_t)]);
  walker_->Open();
  pendingBytes_ = 0;
  const TMPFrameHeader& header = walker_->FirstFrameHeader();
  if (OpenDecoderOn(header, walker_->FrameSize()) == 0) RaiseUnknownFormat();
  needReinit_ = false;
  TMPOutputFormat format{};
  GetOutputFormat(format);
  bytesPerFrame_ = format.SamplesPerFrame * format.BitsPerSample / 8;
  if (bytesPerFrame_ <= 0 || bytesPerFrame_ > kPcmBufferBytes) RaiseUnknownFormat();
  {
    TMPLock output(*outputLock_);
    soundOut_->SetSampleRate(format.SampleRate);
    soundOut_->SetBitsPerSample(format.BitsPerSample);
    soundOut_->SetChannels(format.Channels);
  }
  sampleRate_ = format.SampleRate;
  channels_ = format.Channels;
  layer_ = walker_->Layer();
  version_ = walker_->Version();
  walker_->PassInfoFrame();
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
      if (walker_->Exhausted()) {
        FinishData(decoder, generation);
        return;
      }
      TMPFrameHeader header{};
      if (walker_->ParseNext(header) != TMPFrameWalker::TStep::Frame) return;
      if (needReinit_) {
        if (OpenDecoderOn(header, walker_->FrameSize()) == 0) {
          walker_->SkipByte();
          return;
        }
        needReinit_ = false;
      }
      if (!walker_->EnsureFrame()) return;
      TMPDecodeResult result{};
      DecodeFrame(result, walker_->FrameData(), walker_->FrameSize(), pcm);
      walker_->ConsumeFrame();
      pendingBytes_ = bytesPerFrame_;
      if (result.BytesConsumed < 1) std::memset(pcm, 0, static_cast<size_t>(bytesPerFrame_));
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
    freePercent = soundOut_->FreePercent();
  }
  // The output is full: spend the wait filling the reader, as long as this play lasts.
  while (freePercent == 0) {
    {
      TMPLock decoder(*decoderLock_);
      if (generation_ != generation || !reader_->Attached() || !reader_->ReadAhead()) break;
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
