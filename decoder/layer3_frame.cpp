// Frame routines: side information and the bit reservoir.
#include "layer3_frame.h"

#include <algorithm>
#include <cstring>

#include "decoder/mp_frame_header.h"
#include "layer3_granule.h"
#include "layer3_state.h"
#include "mp_bit_reader.h"

namespace {

// Side information is read field by field through a 64-bit window over the state's main-data
// reader, which refills once for several fields.
struct TFieldReader {
  TWideBits& Bits;
  int32_t operator()(int32_t n) const { return static_cast<int32_t>(GetWide(Bits, n)); }
};

void ReadGranuleInfo(TMPLayer3State& st, const TFieldReader& field, TMPGranuleInfo& gi, bool lsf) {
  gi.Part23Length = field(12);
  gi.BigValues = field(9);
  gi.GlobalGain = field(8) + st.GainOffset - (st.MsStereo ? 2 : 0);
  gi.ScalefacCompress = field(lsf ? 9 : 4);
  gi.WindowSwitching = field(1);
  if (gi.WindowSwitching) {
    gi.BlockType = field(2);
    gi.MixedBlock = field(1);
    for (int32_t r = 0; r < 2; ++r) gi.TableSelect[r] = field(5);
    for (int32_t w = 0; w < 3; ++w) gi.SubblockGain[w] = field(3);
    const bool lsfShort = lsf && gi.BlockType == 2;
    gi.Region0Count = lsfShort ? 5 : 7;
    gi.Region1Count = lsfShort ? 15 : 13;
  } else {
    gi.BlockType = 0;
    gi.MixedBlock = 0;
    for (int32_t r = 0; r < 3; ++r) gi.TableSelect[r] = field(5);
    gi.Region0Count = field(4);
    gi.Region1Count = field(3);
  }
  gi.Preflag = lsf ? 0 : field(1);
  gi.ScalefacScale = field(1);
  gi.Count1TableSelect = field(1);
}

// Reads header and side information after the 12 sync bits. Returns the bytes of header and
// side information, or 0 when the frame does not belong to the open stream.
int32_t ReadSideInfo(TMPLayer3State& st, const TFieldReader& field, const uint8_t* frame, bool lsf) {
  st.Id = field(1);
  const int32_t layer = field(2);
  const int32_t protection = field(1);
  const int32_t bitrateIndex = field(4);
  st.SamplingIndex = field(2);
  st.Padding = field(1);
  field(1);  // private bit
  st.Mode = field(2);
  st.ModeExtension = field(2);
  if (st.Mode != 1) st.ModeExtension = 0;
  st.MsStereo = st.ModeExtension >> 1;
  st.IntensityStereo = st.ModeExtension & 1;
  field(4);  // copyright, original, emphasis
  st.CrcBytes = protection ? 0 : 2;
  if (!protection) field(16);  // the CRC is not checked
  // Another layer or version than the stream was opened for would be read with the wrong syntax.
  if (layer != 1 || st.Id != st.StreamId || st.IsMpeg25 != st.StreamMpeg25 || st.SamplingIndex == 3) return 0;
  if (bitrateIndex > 0) {
    TMPFrameHeader header;
    st.FrameLength = ParseFrameHeader(frame, 0, header);
  }

  st.CodedChannels = st.Mode == 3 ? 1 : 2;
  int32_t size;
  if (!lsf) {
    st.MainDataBegin = field(9);
    st.PrivateBits = field(st.CodedChannels == 1 ? 5 : 3);
    for (int32_t ch = 0; ch < st.CodedChannels; ++ch) st.Scfsi[ch] = field(4);
    for (int32_t gr = 0; gr < 2; ++gr)
      for (int32_t ch = 0; ch < st.CodedChannels; ++ch) ReadGranuleInfo(st, field, st.Granule[gr][ch], false);
    size = st.CodedChannels == 1 ? 21 : 36;
  } else {
    st.MainDataBegin = field(8);
    st.PrivateBits = field(st.CodedChannels == 1 ? 1 : 2);
    for (int32_t ch = 0; ch < st.CodedChannels; ++ch)
      ReadGranuleInfo(st, field, st.Granule[st.GranuleParity][ch], true);
    size = st.CodedChannels == 1 ? 13 : 21;
  }
  return size;
}

void WriteSilence(const TMPLayer3State& st, int16_t* output) {
  std::memset(output, st.SilenceByte, static_cast<size_t>(st.OutputBytes));
}

TMPDecodeResult DecodeFrameWith(TMPLayer3State& st, TSynthesisState& synthesis, const uint8_t* frame,
                                int32_t available, int16_t* output, bool lsf) {
  if (available < 4) return {0, 0};
  ResetBits(st.MainDataBits, frame, frame + available);
  const uint32_t sync = GetMainBits(st.MainDataBits, 12);
  if (!lsf && sync != 0xFFF) return {0, 0};
  if (lsf && sync != 0xFFF && sync != 0xFFE) return {0, 0};
  st.IsMpeg25 = sync == 0xFFE ? 1 : 0;

  TWideBits fields = WidenBits(st.MainDataBits);
  const int32_t size = ReadSideInfo(st, TFieldReader{fields}, frame, lsf);
  NarrowBits(fields, st.MainDataBits);
  if (size == 0) return {0, 0};
  st.FrameBytes = st.FrameLength + st.Padding;
  const int32_t mainBytes = st.FrameBytes - size - st.CrcBytes;
  if (mainBytes < 0 || mainBytes > kReservoirBytes || st.FrameBytes > available) return {0, 0};

  // Compact when the reservoir runs high or this frame's main data would not fit behind it;
  // only the bytes MainDataBegin can still reach are kept.
  if (st.ReservoirFill > kReservoirCompactAbove || st.ReservoirFill + mainBytes > kReservoirBytes) {
    const int32_t keep = std::min(st.MainDataBegin, st.ReservoirFill);
    std::memmove(st.Reservoir, st.Reservoir + st.ReservoirFill - keep, static_cast<size_t>(keep));
    st.ReservoirFill = keep;
  }
  st.ReservoirStart = st.ReservoirFill - st.MainDataBegin;
  const TMPDecodeResult done = {st.FrameBytes, st.OutputBytes};
  if (st.ReservoirFill + mainBytes > kReservoirBytes) {
    // Larger than any reservoir can hold: the frame plays as silence and later frames, whose
    // data would lie behind it, wait for a fresh start.
    st.ReservoirFill = 0;
    WriteSilence(st, output);
    if (lsf) st.GranuleParity ^= 1;
    return done;
  }
  std::memcpy(st.Reservoir + st.ReservoirFill, frame + size + st.CrcBytes, static_cast<size_t>(mainBytes));
  st.ReservoirFill += mainBytes;

  if (st.ReservoirStart < 0) {
    // Main data begins before what the reservoir holds (stream start, after a jump).
    WriteSilence(st, output);
  } else {
    st.ReservoirBitPosition = 8 * st.ReservoirStart;
    if (!lsf) {
      DecodeGranule(st, synthesis, output, 0);
      DecodeGranule(st, synthesis, output + st.GranuleOutputOffset / 2, 1);
    } else {
      DecodeGranule(st, synthesis, output, st.GranuleParity);
    }
  }
  if (lsf) st.GranuleParity ^= 1;
  return done;
}

}  // namespace

TMPDecodeResult DecodeLayer3FrameMpeg1(TMPLayer3State& st, TSynthesisState& synthesis, const uint8_t* frame,
                                       int32_t available, int16_t* output) {
  return DecodeFrameWith(st, synthesis, frame, available, output, false);
}

TMPDecodeResult DecodeLayer3FrameLsf(TMPLayer3State& st, TSynthesisState& synthesis, const uint8_t* frame,
                                     int32_t available, int16_t* output) {
  return DecodeFrameWith(st, synthesis, frame, available, output, true);
}
