#include "lyrics/track_lyrics.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>
#include <vector>

#include "stream/frame_facts.h"
#include "stream/mp3_info.h"
#include "stream/tag_lyrics.h"

namespace {

namespace fs = std::filesystem;

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// NAME.extension beside the track, the base name and extension compared without case; of
// several such files the first by name.
std::optional<std::string> FileBeside(const fs::path& track, std::string_view extension) {
  const std::string stem = track.stem().string();
  fs::path folder = track.parent_path();
  if (folder.empty()) folder = ".";
  std::vector<std::string> found;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const fs::path& name = it->path();
    if (SameIgnoringCase(name.stem().string(), stem) &&
        SameIgnoringCase(name.extension().string(), extension) && it->is_regular_file(error))
      found.push_back(name.string());
  }
  if (found.empty()) return std::nullopt;
  return *std::min_element(found.begin(), found.end());
}

// Samples per frame and sampling rate of the track's first frame, to turn frame counts
// into time.
int64_t FramesToMs(uint32_t frames, const TMP3Info& info) {
  if (!info.HasFirstFrame()) return -1;
  const TMPFrameHeader& header = info.FirstFrameHeader();
  const int32_t layer = LayerNumber(header);
  const int32_t rate = StreamSampleRate(header);
  if (rate <= 0 || layer == 0) return -1;
  const int64_t samples = layer == 1 ? 384 : (layer == 3 && VersionNumber(header) != 1 ? 576 : 1152);
  return int64_t{frames} * samples * 1000 / rate;
}

std::optional<TLyricsText> SyltLyrics(const TMP3Info& info) {
  for (const auto& [name, body] : info.ID3v2LyricsFrames()) {
    if (name != "SYLT") continue;
    const std::optional<TSyltLyrics> sylt = ParseSyltFrame(body);
    if (!sylt || sylt->Lines.empty()) continue;
    std::vector<TTimedLyric> lines;
    for (const TSyltLine& line : sylt->Lines) {
      const int64_t ms =
          sylt->Format == TSyltStampFormat::Frames ? FramesToMs(line.Stamp, info) : int64_t{line.Stamp};
      if (ms >= 0) lines.push_back({ms, line.Text});
    }
    if (!lines.empty()) return TimedLyricsText(std::move(lines));
  }
  return std::nullopt;
}

std::optional<TLyricsText> UsltLyrics(const TMP3Info& info) {
  for (const auto& [name, body] : info.ID3v2LyricsFrames()) {
    if (name != "USLT") continue;
    const std::optional<std::string> text = ParseUsltFrame(body);
    if (text && text->find_first_not_of(" \t\r\n") != std::string::npos) return ParseLyricsText(*text);
  }
  return std::nullopt;
}

std::optional<TLyricsText> Lyrics3Lyrics(const TMP3Info& info) {
  const std::string text = info.LyricsValues().Values("LYR");
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) return std::nullopt;
  return ParseLyricsText(text);
}

// The first of the tag sources that holds lyrics.
TTrackLyrics TagLyrics(const std::string& track) {
  TMP3Info info;
  try {
    info.ReadFromFile(track);
  } catch (const std::exception&) {
    return {};
  }
  using TReader = std::optional<TLyricsText> (*)(const TMP3Info&);
  const std::pair<TLyricsSource, TReader> sources[] = {{TLyricsSource::Sylt, SyltLyrics},
                                                       {TLyricsSource::Uslt, UsltLyrics},
                                                       {TLyricsSource::Lyrics3, Lyrics3Lyrics}};
  for (const auto& [source, read] : sources)
    if (std::optional<TLyricsText> text = read(info)) return {source, track, std::move(*text)};
  return {};
}

}  // namespace

TLyricsText ReadLyricsFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  file.seekg(0, std::ios::end);
  const std::streamoff size = std::min<std::streamoff>(file.tellg(), kLargestLyricsFile);
  file.seekg(0, std::ios::beg);
  if (size <= 0) return {};
  std::string bytes(static_cast<size_t>(size), '\0');
  file.read(bytes.data(), size);
  bytes.resize(static_cast<size_t>(file.gcount()));
  return ParseLyricsText(LyricsBytesToUtf8(bytes));
}

TTrackLyrics FindTrackLyrics(const std::string& track, const std::string& lyricsFile) {
  if (!lyricsFile.empty() && lyricsFile != track)
    return {TLyricsSource::File, lyricsFile, ReadLyricsFile(lyricsFile)};
  if (lyricsFile.empty()) {
    for (const char* extension : {".lrc", ".txt"})
      if (const std::optional<std::string> file = FileBeside(track, extension))
        return {TLyricsSource::File, *file, ReadLyricsFile(*file)};
  }
  return TagLyrics(track);
}
