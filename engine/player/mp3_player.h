// TMP3Player: the playback engine as one object. The host configures it through properties,
// gives it a file and calls Play/Pause/Resume/Stop; it reports through three events, which
// always run on the owning thread from ProcessMessages.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "decoder/mp_frame_header.h"
#include "stream/mp3_info.h"
#include "stream/mp_set.h"
#include "stream/mp_stream.h"

class TMPStreamReader;
class TSoundOut;
class TMPLoopThread;
class TMPSimpleMutex;
class TMPAbstractMutex;
class TMPSimpleEvent;
class TMPPlayerMessageQueue;
class TMPTrackDecoder;
struct TMPMessage;
struct TMPPlayerMessage;

enum TMP3EndPlayReason : uint8_t { merEndOfData, merStopped, merError };
enum TMP3PlayerStatus : uint8_t { mpsStopped, mpsPlaying, mpsPaused };
enum TMP3EqualizerMode : uint8_t { memSubBand, memFreq };
enum TThreadPriority : uint8_t { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };
enum TMP3CpuCapability : uint8_t {
  mccMMX,
  mcc3DNow,
  mccKNI,
  mccE3DNow,
  mccCMOV,
  mccEMMX,
  mccSSE2,
  mccAVX2,
  mccFMA
};
using TMP3CpuCapabilities = TMPSet<TMP3CpuCapability>;

// OpenStream options.
inline constexpr uint8_t msoSeekable = 0x01;
inline constexpr uint8_t msoOwned = 0x02;  // the player deletes the stream on Close

inline constexpr int kEqualizerBands = 32;

class TMP3Player {
 public:
  TMP3Player();
  virtual ~TMP3Player();
  TMP3Player(const TMP3Player&) = delete;
  TMP3Player& operator=(const TMP3Player&) = delete;

  // Stored settings are applied between BeginLoading and Loaded: while loading, FileName
  // does not open and a Volume of 0 keeps the device volume. Loaded then sets the equalizer
  // range (frequency mode) and opens FileName when AutoOpen is set.
  void BeginLoading();
  void Loaded();

  // Properties. Setters ignore values outside their range.
  bool AutoOpen() const { return autoOpen_; }
  void SetAutoOpen(bool value);
  bool AutoPlay() const { return autoPlay_; }
  void SetAutoPlay(bool value);
  int ChangePosStep() const { return changePosStep_; }  // ms, at least 100
  void SetChangePosStep(int value);
  // The decoding thread's priority in effect, read back from the system. Setting one the
  // system refuses (an ordinary user cannot go back from a lower priority) leaves it as it
  // was; the setter returns 0 or the errno of the refusal.
  TThreadPriority DecodePriority() const;
  int SetDecodePriority(TThreadPriority value);
  bool EqualizerEnabled() const { return equalizerEnabled_; }
  void SetEqualizerEnabled(bool value);
  int EqualizerCount() const { return equalizerCount_; }  // 1..32
  void SetEqualizerCount(int value);
  TMP3EqualizerMode EqualizerMode() const { return equalizerMode_; }
  void SetEqualizerMode(TMP3EqualizerMode value);
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& value);
  TMP3InfoType NeedInfoType() const;
  void SetNeedInfoType(TMP3InfoType value);
  bool NoisySeek() const { return noisySeek_; }
  void SetNoisySeek(bool value) { noisySeek_ = value; }
  bool InvertPolarity() const;
  void SetInvertPolarity(bool value);
  TMP3CpuCapabilities UsingCpuCapabilities() const { return usingCpuCapabilities_; }
  void SetUsingCpuCapabilities(TMP3CpuCapabilities value);
  int VolBalance() const { return volBalance_; }  // -100..100
  void SetVolBalance(int value);
  int Volume() const { return volume_; }  // 0..100
  void SetVolume(int value);
  // Output device: -1 is the default device, N >= 0 the ALSA card N.
  int WaveOutDevice() const { return waveOutDevice_; }
  void SetWaveOutDevice(int value) { waveOutDevice_ = value; }
  // Explicit device, "alsa[:DEVICE]", "null[:SPEED]" or "wav[@SPEED]:PATH"; when not empty
  // it wins over VARO_AUDIO, which wins over WaveOutDevice.
  const std::string& AudioDevice() const { return audioDevice_; }
  void SetAudioDevice(const std::string& value) { audioDevice_ = value; }

  TMP3PlayerStatus Status() const { return status_; }

  // The open stream (all zero when closed).
  bool IsOpen() const { return stream_ != nullptr; }
  int Channels() const { return channels_; }
  int Layer() const { return layer_; }      // 1, 2 or 3
  int Version() const { return version_; }  // 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5
  int SampleRate() const { return sampleRate_; }
  int64_t AudioStart() const;
  int64_t AudioLength() const;  // kUnknownLength while the stream gives none

  // Time in ms. Length: the open track's duration (0 when closed). Position: what has been
  // heard of it so far; ticks report it.
  int64_t Length() const;
  int64_t Position() const;
  // Moves playback to ms, playing, paused or stopped, to the exact sample; past the end the
  // track ends as at the end of its data. Raises EMP3Error on a stream that cannot seek.
  void Seek(int64_t ms);
  // Gapless (on by default): the encoder's delay and padding are not played, and a next file
  // set while playing follows the current one without a gap. Trimming follows the setting
  // in force when a file is opened.
  bool Gapless() const { return gapless_; }
  void SetGapless(bool value);
  // The file to follow the current one ("" for none); opened and decoded ahead as the current
  // one ends. OnTrackChanged reports when it is heard: FileName, Info and Length are then its.
  const std::string& NextFileName() const { return nextFileName_; }
  void SetNextFileName(const std::string& value);
  // Tags of the open stream, read while opening.
  const TMP3Info& Info() const;
  int EqFrequency(int band) const;  // Hz, band 0..31

  // Events, raised on the owning thread by ProcessMessages.
  std::function<void(TMP3Player&)> OnChangeStatus;
  std::function<void(TMP3Player&)> OnChangePosition;
  std::function<void(TMP3Player&, TMP3EndPlayReason)> OnEndPlay;
  std::function<void(TMP3Player&)> OnTrackChanged;

  // Operations, all on the owning thread.
  void Open();
  void OpenStream(TMPStream* stream, uint8_t options);
  void Close();
  void Play();
  void Pause();
  void Resume();
  void Stop();
  void SetEqualizerRange(int low, int high);
  static void ReadFileInfo(const std::string& fileName, TMP3Info& info);

  // Message pump. The notifier is called from any thread whenever a message is queued; the
  // host then calls ProcessMessages on the owning thread. A console host may instead block
  // in WaitForMessages (timeout -1 waits without limit); true when messages are queued.
  void SetMessageNotifier(std::function<void()> notifier);
  void ProcessMessages();
  bool WaitForMessages(int timeoutMs);

 protected:
  virtual void DoChangeStatus();
  virtual void DoChangePosition();
  virtual void DoEndPlay(TMP3Player& sender);

 private:
  class ThreadOwner;
  friend class ThreadOwner;

  void SetStatus(TMP3PlayerStatus status);
  void PostOnce(uint32_t message);
  void PostAlways(uint32_t message);
  void HandleMessage(TMPPlayerMessage& message);
  void HandleThreadError(TMPPlayerMessage& message);
  void ThreadException(const std::exception& error, bool& handled);
  void PositionTick();
  void UpdateEqualizer();
  void PrepareDecoding();
  void DecodeStep();
  void FinishData(std::unique_lock<TMPAbstractMutex>& decoder, uint64_t generation);
  bool StartNextTrack(std::unique_lock<TMPAbstractMutex>& decoder, uint64_t generation);
  void PrepareNext();
  void DropNext();
  void UndoSwitch();
  bool CompleteSwitch(bool everythingPlayed);
  void PostSwitchWhenHeard();
  void UpdateTotal();
  uint32_t CpuFeatureWord() const;
  void UseForms(TMPTrackDecoder& track);

  std::unique_ptr<TMPStream> ownedStream_;
  TMPStream* stream_ = nullptr;
  uint8_t streamOptions_ = 0;
  std::unique_ptr<TMP3Info> info_;          // what a closed player reports; holds NeedInfoType
  std::unique_ptr<TMPTrackDecoder> track_;  // the track reported (FileName, Info, Length)
  std::unique_ptr<TSoundOut> soundOut_;
  std::unique_ptr<TMPSimpleMutex> outputLock_;
  std::unique_ptr<TMPSimpleMutex> decoderLock_;
  std::unique_ptr<TMPPlayerMessageQueue> window_;
  std::unique_ptr<ThreadOwner> threadOwner_;
  std::unique_ptr<TMPLoopThread> thread_;

  bool loading_ = false;
  bool destroying_ = false;
  bool autoOpen_ = true;
  bool autoPlay_ = true;
  std::string fileName_;
  int changePosStep_ = 400;
  int volBalance_ = 0;
  int volume_ = 100;
  TMP3PlayerStatus status_ = mpsStopped;
  int channels_ = 0;
  int layer_ = 0;
  int version_ = 0;
  int sampleRate_ = 0;
  TMP3EndPlayReason endReason_ = merStopped;

  // Decoding state, guarded by the decoder lock.
  std::unique_ptr<uint64_t[]> pcmBuffer_;  // one frame of PCM, 8-byte aligned
  int32_t pendingBytes_ = 0;
  uint64_t generation_ = 0;  // bumped by every Stop and Seek: a step of an older play ends quietly
  // The forms chosen at the last Play and the polarity, put into each track's decoder state:
  // nothing process-wide, so that other players and decoders run undisturbed.
  uint32_t cpuFeatures_ = 0;
  bool invertPolarity_ = false;
  TMPTrackDecoder* decodeTrack_ = nullptr;  // track_, or next_ once its PCM follows track_'s
  std::unique_ptr<TMPTrackDecoder> next_;   // the next file, opened ahead
  std::unique_ptr<TMPStream> nextStream_;
  bool nextSeekable_ = false;
  // The time of the reported track, guarded by timeLock_ (taken last, after the decoder and
  // output locks), so that the owning thread reads it without waiting for a decode step that
  // may be held up by its stream.
  mutable std::mutex timeLock_;
  bool switched_ = false;  // the output holds next_'s PCM from switchBytes_ on
  bool switchPosted_ = false;
  int64_t switchBytes_ = 0;
  int64_t markSample_ = 0;  // the reported track's sample at markBytes_ in the output
  int64_t markBytes_ = 0;
  int64_t totalSamples_ = 0;  // the reported track's TotalSamples

  TMP3CpuCapabilities usingCpuCapabilities_;
  int equalizerCount_ = 6;
  TMP3EqualizerMode equalizerMode_ = memSubBand;
  std::array<int32_t, kEqualizerBands> eqGains_{};
  std::array<int32_t, kEqualizerBands> eqFrequencies_{};
  bool equalizerEnabled_ = false;
  bool noisySeek_ = true;
  bool gapless_ = true;
  std::string nextFileName_;
  int waveOutDevice_ = -1;
  std::string audioDevice_;
};
