// ReplayGain as files carry it: track and album gain with their peaks, where each came from,
// and the readers of its forms (ID3v2 TXXX and RVA2, APEv2 items, the LAME tag's fields).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

class TMPStringList;

// Where a gain was read from; when a file carries several, the first in this order counts.
enum TMP3GainSource : uint8_t { mgsNone, mgsTXXX, mgsRVA2, mgsAPE, mgsLAME };
inline constexpr int kGainSourceCount = 4;  // the sources after mgsNone

const char* GainSourceName(TMP3GainSource source);

struct TMP3Gain {
  TMP3GainSource Source = mgsNone;
  double Gain = 0;   // dB that bring the audio to the reference loudness
  double Peak = -1;  // 1.0 = full scale; below 0 when not given
  bool Known() const { return Source != mgsNone; }
  bool HasPeak() const { return Peak >= 0; }
};

struct TMP3ReplayGain {
  TMP3Gain Track;
  TMP3Gain Album;
  bool Empty() const { return !Track.Known() && !Album.Known(); }
};

// "-7.89 dB", "+3.5", "-7,89 dB", " 2.1 LU": the number whatever the process's locale. False
// for anything else, and for gains beyond ±64 dB (what RVA2 can hold), which only damaged or
// nonsensical tags give ("inf dB" for a silent track).
bool ParseGainText(std::string_view text, double& db);
// "0.988553": a linear peak from 0 to 64.
bool ParsePeakText(std::string_view text, double& peak);

// The ID3v2 frames, payload as read (text encoding first for TXXX): a TXXX frame described
// REPLAYGAIN_TRACK_GAIN, _TRACK_PEAK, _ALBUM_GAIN or _ALBUM_PEAK in any case, and an RVA2 frame
// identified "album" (album) or anything else (track), its master volume channel. A value
// already read is kept.
void ReadTxxxGain(const uint8_t* payload, size_t n, TMP3ReplayGain& gains);
// A TXXX payload described as one of those four fields, whatever its value.
bool IsReplayGainTxxx(const uint8_t* payload, size_t n);
void ReadRva2Gain(const uint8_t* payload, size_t n, TMP3ReplayGain& gains);
// The APEv2 text items REPLAYGAIN_TRACK_GAIN, … (keys in any case).
void ReadApeGains(const TMPStringList& items, TMP3ReplayGain& gains);
// The LAME tag's peak (4 bytes) and its radio and audiophile gain fields (2 bytes each), as
// they follow one another in the tag. The gains are the encoder's ReplayGain (89 dB reference,
// which ReplayGain 2.0's -18 LUFS was chosen to match), taken as they are.
TMP3ReplayGain ReadLameGains(const uint8_t* peakAndGains);

// Track and album each from the first source, in source order, that gives it; the peak comes
// with its gain from the same source.
TMP3ReplayGain ChooseReplayGain(const TMP3ReplayGain (&bySource)[kGainSourceCount]);
