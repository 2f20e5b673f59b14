// One track's decoding: its reader, tags, frame walk, decoder state and frame index, with the
// encoder's delay and padding trimmed (gapless), its length, and seeking to an exact sample.
// The player keeps one for the playing track and one for the track that follows it.
#pragma once

#include <cstdint>
#include <vector>

#include "decoder/mp3_decoder.h"
#include "stream/mp3_info.h"
#include "stream/mp_constant_rate.h"
#include "stream/mp_frame_index.h"
#include "stream/mp_frame_walker.h"
#include "stream/mp_stream_reader.h"

struct TMPTrackOptions {
  bool Gapless = true;  // trim the encoder delay and padding a LAME tag gives
  TMPFrameWalkOptions Walk;
  uint8_t OutputFlags = 0;
  int32_t CutoffHz = 24000;
};

class TMPTrackDecoder {
 public:
  // The decoder's own delay: a sample enters the output this much later than it was encoded.
  static constexpr int32_t kDecoderDelay = 529;
  static constexpr int32_t kReaderCapacity = 65536;
  static constexpr int32_t kScanCapacity = 65536;

  enum class TStep { Pcm, Nothing, Ended };

  TMPTrackDecoder();
  TMPTrackDecoder(const TMPTrackDecoder&) = delete;
  TMPTrackDecoder& operator=(const TMPTrackDecoder&) = delete;

  // Reads the tags, finds the first frame, sets the decoder up and passes over an information
  // frame. The stream stays the caller's. Raises "unknown MPEG Audio format.".
  void Open(TMPStream* stream, bool seekable, const TMPTrackOptions& options = {});
  void Close();
  bool IsOpen() const { return reader_.Attached(); }

  const TMPOutputFormat& Format() const { return format_; }
  int32_t BytesPerFrame() const { return frameBytes_; }  // PCM of one whole frame
  int32_t Layer() const { return walker_.Layer(); }
  int32_t Version() const { return walker_.Version(); }
  TMP3Info& Info() { return info_; }
  const TMP3Info& Info() const { return info_; }
  TMPFrameWalker& Walker() { return walker_; }
  TMPStreamReader& Reader() { return reader_; }
  // Its own decoder state: its owner chooses the processor forms and the polarity there.
  TMPDecoderState& DecoderState() { return *state_; }
  // The encoder's delay and padding are being trimmed.
  bool Trimmed() const { return startTrim_ > 0 || endSample_ >= 0; }

  // Samples per channel the track plays: exact when the information frame counts the frames
  // or the whole stream has been walked, else estimated from its bytes and bit rate; -1 when
  // nothing tells.
  int64_t TotalSamples() const;
  // The track sample that the next PCM starts with.
  int64_t NextSample() const { return nextSample_; }

  // Decodes the next frame into pcm (room for BytesPerFrame) and sets bytes to what of it
  // plays; Nothing when no PCM came of this step (junk, or samples trimmed or passed over).
  TStep DecodeNext(uint8_t* pcm, int32_t& bytes);
  // The next PCM starts at track sample `sample`, exactly as decoding from the start would
  // give it; at or past the end the next step ends the track. Seekable streams only.
  void SeekSample(int64_t sample);
  // The stream was found to be of one bit rate with nothing between its frames, so that seeks
  // beyond the frame index find their frames by the rate (decided at the first such seek).
  bool ConstantRate() const { return rate_.Constant(); }
  // Walks the headers of every frame, so that TotalSamples is exact, and comes back to where
  // the track stood. Seekable streams only.
  void WalkAll();
  // Extends the frame index by up to `frames` frames through a reader of its own, leaving the
  // stream where the track's reader expects it; false once every frame is indexed. Lets a
  // player index the whole track while it waits, so that any seek finds its frame at once.
  bool IndexAhead(int32_t frames);

 private:
  struct TFrameFacts {
    int64_t Offset;
    int32_t MainDataBegin;  // Layer III: bytes of earlier frames its main data starts in
    int32_t MainBytes;      // Layer III: main data bytes the frame itself carries
  };
  int64_t PrerollStart(int64_t target, int64_t from, const TFrameFacts* facts) const;
  TFrameFacts ReadFacts();
  int64_t WalkFrom(int64_t frame, int64_t offset, int64_t last, int64_t factsFrom,
                   std::vector<TFrameFacts>* facts, bool junkStops);
  int64_t WalkFrames(int64_t last, int64_t factsFrom, std::vector<TFrameFacts>* facts);
  bool FactsByRate(int64_t target, int64_t from, std::vector<TFrameFacts>& facts);
  void EndTrack();

  TMPStreamReader reader_{kReaderCapacity};
  TMP3Info info_;
  TMPFrameWalker walker_{reader_, info_};
  TMPStreamReader scanReader_{kScanCapacity};  // IndexAhead's own
  TMP3Info scanInfo_;
  TMPFrameWalker scanWalker_{scanReader_, scanInfo_};
  TMPStream* stream_ = nullptr;
  TMPDecoderStatePtr state_;
  TMPTrackOptions options_;
  TMPOutputFormat format_{};
  TMPFrameIndex index_;
  TMPConstantRate rate_;         // decided at the first seek that would walk beyond the index
  int32_t samplesPerFrame_ = 0;  // per channel
  int32_t blockAlign_ = 0;
  int32_t frameBytes_ = 0;
  int32_t bitrate_ = 0;      // of the first audio frame, for estimates
  int64_t infoFrames_ = -1;  // frame count of the information frame
  int64_t startTrim_ = 0;    // decoded samples in front of the track's first sample
  int64_t endSample_ = -1;   // decoded sample where the track ends; -1: where the frames end
  int64_t frameNo_ = 0;      // the next frame to decode, counted from the first audio frame
  int64_t outStart_ = 0;     // decoded sample the output starts at
  int64_t nextSample_ = 0;
  bool needOpen_ = false;  // set the decoder up afresh on the next frame
  bool ended_ = false;
};
