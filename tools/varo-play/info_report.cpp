#include "info_report.h"

#include <cstdio>
#include <exception>

#include "stream/frame_facts.h"
#include "stream/mp3_info.h"

namespace {

struct KindName {
  TMP3InfoKind Kind;
  const char* Name;
};
constexpr KindName kKinds[] = {
    {mitID3V1, "ID3v1"},      {mitID3V2, "ID3v2"},    {mitRiff, "RIFF"},
    {mitMacBin, "MacBinary"}, {mitLyrics, "Lyrics3"}, {mitAPE, "APE"},
};

std::string KindList(const TMP3Info& info) {
  std::string list;
  for (const KindName& k : kKinds) {
    if (!info.Found().Contains(k.Kind)) continue;
    if (!list.empty()) list += ", ";
    list += k.Name;
    if (k.Kind == mitID3V2) list += "." + std::to_string(info.ID3v2Version());
  }
  return list.empty() ? "none" : list;
}

void PrintLines(std::ostream& out, const char* kind, const TMPStringList& lines) {
  for (const std::string& line : lines) out << "  " << kind << ": " << line << '\n';
}

void PrintTags(std::ostream& out, const TMP3Info& info) {
  out << "  tags: " << KindList(info) << '\n';
  PrintLines(out, "ID3v2", info.ID3v2Values());
  PrintLines(out, "RIFF", info.RiffValues());
  PrintLines(out, "ID3v1", info.ID3v1Values());
  PrintLines(out, "Lyrics3", info.LyricsValues());
  PrintLines(out, "APE", info.ApeValues());
  out << "  Title: " << info.Title() << '\n';
  out << "  Artist: " << info.Artist() << '\n';
}

std::string GainText(const TMP3Gain& gain) {
  char text[64];
  if (gain.HasPeak())
    std::snprintf(text, sizeof text, "%.2f dB, peak %.6f", gain.Gain, gain.Peak);
  else
    std::snprintf(text, sizeof text, "%.2f dB", gain.Gain);
  return text;
}

// What each source gives, then the track and album gain that count.
void PrintGains(std::ostream& out, const TMP3Info& info) {
  for (int s = mgsTXXX; s <= mgsLAME; ++s) {
    const auto source = static_cast<TMP3GainSource>(s);
    const TMP3ReplayGain& g = info.ReplayGainFrom(source);
    if (g.Empty()) continue;
    out << "  ReplayGain " << GainSourceName(source) << ':';
    if (g.Track.Known()) out << " track " << GainText(g.Track) << (g.Album.Known() ? ";" : "");
    if (g.Album.Known()) out << " album " << GainText(g.Album);
    out << '\n';
  }
  const TMP3ReplayGain chosen = info.ReplayGain();
  if (chosen.Empty()) out << "  ReplayGain: none\n";
  if (chosen.Track.Known())
    out << "  track gain: " << GainText(chosen.Track) << " (" << GainSourceName(chosen.Track.Source) << ")\n";
  if (chosen.Album.Known())
    out << "  album gain: " << GainText(chosen.Album) << " (" << GainSourceName(chosen.Album.Source) << ")\n";
}

const char* VersionText(int32_t version) {
  switch (version) {
    case 1:
      return "MPEG-1";
    case 2:
      return "MPEG-2";
    case 3:
      return "MPEG-2.5";
    default:
      return "reserved";
  }
}

}  // namespace

bool ReportFileInfo(const std::string& fileName, std::ostream& out, std::ostream& err) {
  out << fileName << '\n';
  TMP3Info info;
  try {
    info.ReadFromFile(fileName);
  } catch (const std::exception& error) {
    err << fileName << ": " << error.what() << '\n';
    // Tags of a file without audio are still worth showing.
    try {
      info.ReadTagsFromFile(fileName);
      if (!info.Found().Empty()) PrintTags(out, info);
    } catch (const std::exception&) {
    }
    return false;
  }
  PrintTags(out, info);
  out << "  audio start: " << info.DataStart() << '\n';
  out << "  audio length: ";
  if (info.DataLength() == kUnknownLength)
    out << "unknown\n";
  else
    out << info.DataLength() << '\n';
  const TMPFrameHeader& h = info.FirstFrameHeader();
  out << "  layer: " << LayerNumber(h) << '\n';
  out << "  version: " << VersionText(VersionNumber(h)) << '\n';
  out << "  sample rate: " << StreamSampleRate(h) << '\n';
  out << "  channels: " << StreamChannels(h) << '\n';
  PrintGains(out, info);
  return true;
}
