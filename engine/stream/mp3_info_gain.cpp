#include "stream/mp3_info_gain.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <string>

#include "stream/mp_string_list.h"
#include "stream/unicode_text.h"

namespace {

constexpr double kLargestGain = 64.0;  // dB either way: RVA2's range
constexpr double kLargestPeak = 64.0;

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if ((x >= 'a' && x <= 'z' ? x - 32 : x) != (y >= 'a' && y <= 'z' ? y - 32 : y)) return false;
  }
  return true;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
  return text;
}

// A decimal number (a comma taken for the point) followed by nothing but the unit given.
bool ParseNumber(std::string_view text, std::string_view unit1, std::string_view unit2, double& value) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  char number[48];
  size_t n = 0;
  while (n < text.size() && n < sizeof number &&
         (text[n] == '-' || text[n] == '.' || text[n] == ',' || (text[n] >= '0' && text[n] <= '9'))) {
    number[n] = text[n] == ',' ? '.' : text[n];
    ++n;
  }
  double parsed = 0;
  const auto [end, error] = std::from_chars(number, number + n, parsed, std::chars_format::fixed);
  if (error != std::errc() || end != number + n || !std::isfinite(parsed)) return false;
  const std::string_view rest = TrimBlanks(text.substr(n));
  if (!rest.empty() && !SameText(rest, unit1) && !SameText(rest, unit2)) return false;
  value = parsed;
  return true;
}

void SetGain(TMP3Gain& gain, TMP3GainSource source, double db) {
  if (gain.Source != mgsNone) return;
  gain.Source = source;
  gain.Gain = db;
}

enum class TField { None, TrackGain, TrackPeak, AlbumGain, AlbumPeak };

TField FieldNamed(std::string_view name) {
  if (name.size() != 21 || !SameText(name.substr(0, 11), "REPLAYGAIN_")) return TField::None;
  const bool track = SameText(name.substr(11, 6), "TRACK_"), album = SameText(name.substr(11, 6), "ALBUM_");
  const bool gain = SameText(name.substr(17), "GAIN"), peak = SameText(name.substr(17), "PEAK");
  if (track && gain) return TField::TrackGain;
  if (track && peak) return TField::TrackPeak;
  if (album && gain) return TField::AlbumGain;
  if (album && peak) return TField::AlbumPeak;
  return TField::None;
}

// One of the four fields into its slot of one source (the first value of a field counts).
void SetNamedValue(std::string_view name, std::string_view value, TMP3GainSource source,
                   TMP3ReplayGain& gains) {
  const TField field = FieldNamed(name);
  if (field == TField::None) return;
  TMP3Gain& gain = field == TField::TrackGain || field == TField::TrackPeak ? gains.Track : gains.Album;
  double number = 0;
  if (field == TField::TrackGain || field == TField::AlbumGain) {
    if (ParseGainText(value, number)) SetGain(gain, source, number);
  } else if (gain.Peak < 0 && ParsePeakText(value, number)) {
    gain.Peak = number;  // kept until its gain arrives, whichever frame comes first
  }
}

// Text of an ID3v2 frame in its encoding, as UTF-8 (only ASCII matters here).
std::string EncodedText(uint8_t encoding, const uint8_t* p, size_t n) {
  const std::string_view bytes(reinterpret_cast<const char*>(p), n);
  if (encoding == 1 || encoding == 2) return Utf16ToUtf8(bytes, encoding == 2);
  return std::string(bytes);
}

// Where the text that starts at p ends in its encoding (at its terminator, or at n).
size_t TextEnd(uint8_t encoding, const uint8_t* p, size_t n) {
  size_t end = 0;
  if (encoding == 1 || encoding == 2) {
    while (end + 1 < n && !(p[end] == 0 && p[end + 1] == 0)) end += 2;
    return end + 1 < n ? end : n;
  }
  while (end < n && p[end] != 0) ++end;
  return end;
}

// The description and the value of a TXXX payload; false when it has no description's end.
bool TxxxFields(const uint8_t* payload, size_t n, std::string& description, std::string& value) {
  if (n < 2) return false;
  const uint8_t encoding = payload[0];
  const uint8_t* text = payload + 1;
  const size_t size = n - 1;
  const size_t descriptionEnd = TextEnd(encoding, text, size);
  if (descriptionEnd >= size) return false;
  const size_t valueStart = descriptionEnd + (encoding == 1 || encoding == 2 ? 2 : 1);
  description = EncodedText(encoding, text, descriptionEnd);
  value = EncodedText(encoding, text + valueStart, TextEnd(encoding, text + valueStart, size - valueStart));
  return true;
}

}  // namespace

const char* GainSourceName(TMP3GainSource source) {
  switch (source) {
    case mgsTXXX:
      return "TXXX";
    case mgsRVA2:
      return "RVA2";
    case mgsAPE:
      return "APE";
    case mgsLAME:
      return "LAME";
    default:
      return "none";
  }
}

bool ParseGainText(std::string_view text, double& db) {
  double value = 0;
  if (!ParseNumber(text, "dB", "LU", value) || std::fabs(value) > kLargestGain) return false;
  db = value;
  return true;
}

bool ParsePeakText(std::string_view text, double& peak) {
  double value = 0;
  if (!ParseNumber(text, "", "", value) || value < 0 || value > kLargestPeak) return false;
  peak = value;
  return true;
}

void ReadTxxxGain(const uint8_t* payload, size_t n, TMP3ReplayGain& gains) {
  std::string description, value;
  if (TxxxFields(payload, n, description, value))
    SetNamedValue(TrimBlanks(description), value, mgsTXXX, gains);
}

bool IsReplayGainTxxx(const uint8_t* payload, size_t n) {
  std::string description, value;
  return TxxxFields(payload, n, description, value) && FieldNamed(TrimBlanks(description)) != TField::None;
}

void ReadRva2Gain(const uint8_t* payload, size_t n, TMP3ReplayGain& gains) {
  size_t at = 0;
  while (at < n && payload[at] != 0) ++at;
  if (at >= n) return;
  const std::string_view id(reinterpret_cast<const char*>(payload), at);
  TMP3Gain& gain = SameText(id, "album") ? gains.Album : gains.Track;
  ++at;
  while (at + 4 <= n) {
    const uint8_t channel = payload[at];
    const auto adjustment = static_cast<int16_t>(payload[at + 1] << 8 | payload[at + 2]);
    const int32_t bits = payload[at + 3];
    const size_t peakBytes = (static_cast<size_t>(bits) + 7) / 8;
    at += 4;
    if (at + peakBytes > n) return;
    if (channel == 1) {  // master volume
      if (gain.Known()) return;
      gain.Source = mgsRVA2;
      gain.Gain = adjustment / 512.0;
      if (bits > 0 && bits <= 64) {
        uint64_t value = 0;
        for (size_t i = 0; i < peakBytes; ++i) value = value << 8 | payload[at + i];
        value >>= peakBytes * 8 - static_cast<size_t>(bits);  // the bits stand first
        gain.Peak = std::ldexp(static_cast<double>(value), 1 - bits);
      }
      return;
    }
    at += peakBytes;
  }
}

void ReadApeGains(const TMPStringList& items, TMP3ReplayGain& gains) {
  for (const std::string& line : items) {
    const size_t equals = line.find('=');
    if (equals != std::string::npos)
      SetNamedValue(std::string_view(line).substr(0, equals), std::string_view(line).substr(equals + 1),
                    mgsAPE, gains);
  }
}

TMP3ReplayGain ReadLameGains(const uint8_t* p) {
  TMP3ReplayGain gains;
  // LAME stores the peak in 9.23 fixed point; a writer that followed the description of the
  // field as a float gives a value no fixed-point peak reaches.
  const uint32_t raw = uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
  double peak = raw == 0 ? -1 : std::ldexp(static_cast<double>(raw), -23);
  if (peak > kLargestPeak) {
    const auto asFloat = std::bit_cast<float>(raw);
    peak = std::isfinite(asFloat) && asFloat > 0 && asFloat <= kLargestPeak ? asFloat : -1;
  }
  for (int field = 0; field < 2; ++field) {
    const uint32_t v = uint32_t{p[4 + 2 * field]} << 8 | p[5 + 2 * field];
    const uint32_t name = v >> 13, originator = (v >> 10) & 7;
    const double db = (v & 0x1FF) / 10.0 * ((v & 0x200) != 0 ? -1 : 1);
    if (originator == 0) continue;  // not set
    if (name == 1 && !gains.Track.Known()) gains.Track = {mgsLAME, db, peak};
    if (name == 2 && !gains.Album.Known()) gains.Album = {mgsLAME, db, -1};
  }
  return gains;
}

TMP3ReplayGain ChooseReplayGain(const TMP3ReplayGain (&bySource)[kGainSourceCount]) {
  TMP3ReplayGain chosen;
  for (const TMP3ReplayGain& g : bySource) {
    if (!chosen.Track.Known() && g.Track.Known()) chosen.Track = g.Track;
    if (!chosen.Album.Known() && g.Album.Known()) chosen.Album = g.Album;
  }
  return chosen;
}
