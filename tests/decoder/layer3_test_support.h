// Test helpers for the Layer III decoder: paths, opening streams, reading files frame by frame,
// writing Layer III frames bit by bit, and the processor forms of the Layer III slots.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bit_writer.h"
#include "decoder/mp3_decoder.h"
#include "decoder/mp_cpu.h"
#include "decoder/mp_frame_header.h"
#include "decoder_forms.h"
#include "decoder_state.h"
#include "decoder_tables.h"
#include "layer3.h"
#include "layer3_state.h"

namespace layer3_test {

inline std::string RepoPath(const std::string& relative) {
  return std::string(VARO_TEST_DATA) + "/../../" + relative;
}
inline std::string DataPath(const std::string& relative) {
  return std::string(VARO_TEST_DATA) + "/" + relative;
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline std::vector<int16_t> ReadPcm(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadFile(path);
  std::vector<int16_t> pcm(bytes.size() / 2);
  for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  return pcm;
}

// The Layer III part of the process-wide decoder state, which OpenLayer3 sets up.
inline TMPLayer3State& L3() { return ProcessDecoderState().Layer3; }

// Opens a Layer III stream on the process-wide state, tables built as a stream open builds them.
inline int32_t OpenLayer3(const TMPFrameHeader& header, int32_t frameLength, int32_t downShift,
                          int32_t reserved, uint8_t outputFlags, int32_t cutoffHz, TMPOutputFormat& format) {
  BuildDecoderTables(header.Layer);
  return Layer3Open(ProcessDecoderState(), header, frameLength, downShift, reserved, outputFlags, cutoffHz,
                    format);
}

// The Layer III slot forms this machine can run.
struct TLayer3Form {
  std::string Name;
  uint32_t Features;
  THybridFilterRoutine Hybrid;
};

inline std::vector<TLayer3Form> Layer3Forms() {
  std::vector<TLayer3Form> forms = {{"plain", cpuFPU, HybridFilterPlain}};
#if defined(VARO_X86)
  forms.push_back({"sse2", cpuFPU | cpuSSE2, HybridFilterSse2});
  forms.push_back({"avx2", cpuFPU | cpuSSE2 | cpuAVX2 | cpuFMA, HybridFilterAvx2});
#endif
  return forms;
}

inline std::string Layer3FormName(const testing::TestParamInfo<TLayer3Form>& info) { return info.param.Name; }

// Selects the form; false when the processor lacks it.
inline bool SelectLayer3Form(const TLayer3Form& form) {
  SelectCpuRoutines(form.Features);
  return ProcessDecoderState().Forms->HybridFilter == form.Hybrid;
}

// Restores the best forms after a test that changed them.
struct TAutoForms {
  ~TAutoForms() { SelectCpuRoutines(GetCpuFeatures()); }
};

// A Layer III header: MPEG-1 when sync 1 and id 1, MPEG-2 with id 0, MPEG-2.5 with sync 2.
inline TMPFrameHeader MakeHeader(int32_t sync, int32_t id, int32_t samplingIndex, int32_t mode,
                                 int32_t bitrateIndex = 9) {
  TMPFrameHeader h{};
  h.Sync = sync;
  h.Id = id;
  h.Layer = 1;
  h.ProtectionBit = 1;
  h.BitrateIndex = bitrateIndex;
  h.SamplingIndex = samplingIndex;
  h.Mode = mode;
  return h;
}

// A file decoded frame by frame as a player walks it, on a decoder state of its own choosing:
// ID3v2 passed over, the first frame found and parsed, every further frame parsed from its own
// header (free format keeps the first length). Frames that do not parse end the walk.
struct TDecodedFile {
  TMPOutputFormat Format{};
  std::vector<int16_t> Pcm;
  int32_t Frames = 0;
  bool Opened = false;
};

class TFileDecode {
 public:
  TFileDecode(const std::vector<uint8_t>& data, TMPDecoderState& state, uint8_t outputFlags,
              int32_t cutoffHz = 24000)
      : data_(data), state_(state) {
    if (data.size() >= 10 && data[0] == 'I' && data[1] == 'D' && data[2] == '3') {
      pos_ =
          10 + ((data[6] & 0x7F) << 21 | (data[7] & 0x7F) << 14 | (data[8] & 0x7F) << 7 | (data[9] & 0x7F));
    }
    if (pos_ >= data.size()) return;
    TMPFrameHeader header;
    int32_t bitrate = 0, offset = 0;
    const int32_t window = static_cast<int32_t>(std::min<size_t>(data.size() - pos_, 4096));
    length_ = FindFrameHeader(data.data() + pos_, window, header, bitrate, offset);
    if (length_ <= 0) return;
    pos_ += offset;
    if (header.BitrateIndex == 0)
      length_ = ParseFrameHeader(data.data() + pos_, static_cast<int32_t>(data.size() - pos_), header);
    if (length_ <= 0 || !OpenDecoderStream(state, header, length_, 0, 0, outputFlags, cutoffHz)) return;
    result_.Opened = true;
    GetOutputFormat(state, result_.Format);
    first_ = data.data() + pos_;
  }

  // Decodes the next frame onto the result; false at the end of the walk.
  bool Next() {
    if (!result_.Opened || pos_ + 4 > data_.size()) return false;
    const uint8_t* frame = data_.data() + pos_;
    if (!SameFrameFormat(first_, frame)) return false;
    TMPFrameHeader h;
    int32_t len = ParseFrameHeader(frame, 0, h);
    if (h.BitrateIndex == 0) len = length_;  // free format keeps the first frame's length
    if (len <= 0 || pos_ + static_cast<size_t>(FrameSizeWithPadding(h, len)) > data_.size()) return false;
    TMPDecodeResult r;
    DecodeFrame(state_, r, frame, static_cast<int32_t>(data_.size() - pos_), pcm_.data());
    if (r.BytesConsumed <= 0) return false;
    result_.Pcm.insert(result_.Pcm.end(), pcm_.begin(), pcm_.begin() + r.BytesProduced / 2);
    pos_ += static_cast<size_t>(r.BytesConsumed);
    ++result_.Frames;
    return true;
  }

  const TDecodedFile& Result() const { return result_; }

 private:
  const std::vector<uint8_t>& data_;
  TMPDecoderState& state_;
  size_t pos_ = 0;
  int32_t length_ = 0;
  const uint8_t* first_ = nullptr;
  std::vector<int16_t> pcm_ = std::vector<int16_t>(4608);
  TDecodedFile result_;
};

inline TDecodedFile DecodeWholeFile(const std::vector<uint8_t>& data, uint8_t outputFlags,
                                    int32_t cutoffHz = 24000) {
  TFileDecode decode(data, ProcessDecoderState(), outputFlags, cutoffHz);
  while (decode.Next()) {
  }
  return decode.Result();
}

// RMS and largest difference of a against b from the given offsets, over n samples.
struct TPcmDifference {
  double Rms = 0.0;
  int32_t Largest = 0;
};

inline TPcmDifference ComparePcm(const int16_t* a, const int16_t* b, size_t n) {
  TPcmDifference d;
  double squares = 0.0;
  for (size_t i = 0; i < n; ++i) {
    const int32_t e = a[i] - b[i];
    squares += static_cast<double>(e) * e;
    d.Largest = std::max(d.Largest, std::abs(e));
  }
  d.Rms = n ? std::sqrt(squares / static_cast<double>(n)) : 0.0;
  return d;
}

// Writes MPEG-1/2 Layer III frames field by field. The caller fills side information and
// main data; Frame() lays them out with the header in a frame of the header's length.
struct TGranuleFields {
  int32_t Part23Length = 0;
  int32_t BigValues = 0;
  int32_t GlobalGain = 150;
  int32_t ScalefacCompress = 0;
  int32_t WindowSwitching = 0;
  int32_t BlockType = 0;
  int32_t MixedBlock = 0;
  int32_t TableSelect[3] = {1, 1, 1};
  int32_t SubblockGain[3] = {0, 0, 0};
  int32_t Region0Count = 15;
  int32_t Region1Count = 7;
  int32_t Preflag = 0;
  int32_t ScalefacScale = 0;
  int32_t Count1TableSelect = 1;
};

struct TFrameFields {
  bool Lsf = false;                                   // MPEG-2 side information
  uint8_t HeaderBytes[4] = {0xFF, 0xFB, 0x90, 0x44};  // 44.1 kHz, 128 kbit/s, joint stereo
  int32_t MainDataBegin = 0;
  int32_t Scfsi[2] = {0, 0};
  TGranuleFields Granule[2][2];  // [gr][ch]; MPEG-2 uses granule 0
  std::vector<uint8_t> MainData;
  int32_t FrameSize = 0;  // bytes of the whole frame; 0 = as the header's bit rate says

  int32_t Channels() const { return (HeaderBytes[3] >> 6) == 3 ? 1 : 2; }
};

inline std::vector<uint8_t> WriteFrame(const TFrameFields& f) {
  TBitWriter w;
  for (uint8_t b : f.HeaderBytes) w.Put(b, 8);
  const int32_t channels = f.Channels();
  w.Put(static_cast<uint32_t>(f.MainDataBegin), f.Lsf ? 8 : 9);
  w.Put(0, f.Lsf ? (channels == 1 ? 1 : 2) : (channels == 1 ? 5 : 3));
  if (!f.Lsf)
    for (int32_t ch = 0; ch < channels; ++ch) w.Put(static_cast<uint32_t>(f.Scfsi[ch]), 4);
  for (int32_t gr = 0; gr < (f.Lsf ? 1 : 2); ++gr) {
    for (int32_t ch = 0; ch < channels; ++ch) {
      const TGranuleFields& g = f.Granule[gr][ch];
      w.Put(static_cast<uint32_t>(g.Part23Length), 12);
      w.Put(static_cast<uint32_t>(g.BigValues), 9);
      w.Put(static_cast<uint32_t>(g.GlobalGain), 8);
      w.Put(static_cast<uint32_t>(g.ScalefacCompress), f.Lsf ? 9 : 4);
      w.Put(static_cast<uint32_t>(g.WindowSwitching), 1);
      if (g.WindowSwitching) {
        w.Put(static_cast<uint32_t>(g.BlockType), 2);
        w.Put(static_cast<uint32_t>(g.MixedBlock), 1);
        for (int32_t r = 0; r < 2; ++r) w.Put(static_cast<uint32_t>(g.TableSelect[r]), 5);
        for (int32_t k = 0; k < 3; ++k) w.Put(static_cast<uint32_t>(g.SubblockGain[k]), 3);
      } else {
        for (int32_t r = 0; r < 3; ++r) w.Put(static_cast<uint32_t>(g.TableSelect[r]), 5);
        w.Put(static_cast<uint32_t>(g.Region0Count), 4);
        w.Put(static_cast<uint32_t>(g.Region1Count), 3);
      }
      if (!f.Lsf) w.Put(static_cast<uint32_t>(g.Preflag), 1);
      w.Put(static_cast<uint32_t>(g.ScalefacScale), 1);
      w.Put(static_cast<uint32_t>(g.Count1TableSelect), 1);
    }
  }
  for (uint8_t b : f.MainData) w.Put(b, 8);
  TMPFrameHeader h;
  const int32_t length = ParseFrameHeader(f.HeaderBytes, 4, h);
  return w.Finish(static_cast<size_t>(f.FrameSize ? f.FrameSize : FrameSizeWithPadding(h, length)));
}

// Opens a stream on the header of frame bytes.
inline bool OpenOn(const std::vector<uint8_t>& frame, uint8_t outputFlags, int32_t cutoffHz = 24000) {
  TMPFrameHeader h;
  const int32_t length = ParseFrameHeader(frame.data(), static_cast<int32_t>(frame.size()), h);
  return length > 0 && OpenDecoderStream(h, length, 0, 0, outputFlags, cutoffHz) == 1;
}

}  // namespace layer3_test
