#include "soak_tracks.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>

#include "test_support.h"

namespace {

// Corpus files the player opens and plays to their end (free-format files are refused by
// design; the damaged ones are the engine tests' business).
std::vector<std::string> PlayableSources() {
  std::vector<std::string> sources;
  for (const TManifestRow& row : CorpusManifest()) {
    const std::string& file = row["file"];
    if (row["expect"] == "ok" && row["bitrate_kind"] != "free" && file.rfind("bench/", 0) != 0)
      sources.push_back(CorpusPath(file));
  }
  if (sources.empty()) throw std::runtime_error("no playable corpus files found");
  return sources;
}

void AppendSyncSafe(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 21; shift >= 0; shift -= 7) out.push_back(static_cast<uint8_t>((value >> shift) & 0x7F));
}

// An ID3v2.3 tag with a title frame and some padding.
std::vector<uint8_t> Id3v2Tag(const std::string& title, uint32_t padding) {
  std::vector<uint8_t> frame = {'T', 'I', 'T', '2'};
  const uint32_t size = static_cast<uint32_t>(title.size() + 1);
  for (int shift = 24; shift >= 0; shift -= 8) frame.push_back(static_cast<uint8_t>(size >> shift));
  frame.insert(frame.end(), {0, 0, 0});  // flags, encoding ISO-8859-1
  frame.insert(frame.end(), title.begin(), title.end());
  std::vector<uint8_t> tag = {'I', 'D', '3', 3, 0, 0};
  AppendSyncSafe(tag, static_cast<uint32_t>(frame.size()) + padding);
  tag.insert(tag.end(), frame.begin(), frame.end());
  tag.resize(tag.size() + padding, 0);
  return tag;
}

std::vector<uint8_t> Id3v1Tag(const std::string& title) {
  std::vector<uint8_t> tag(128, 0);
  tag[0] = 'T';
  tag[1] = 'A';
  tag[2] = 'G';
  for (size_t i = 0; i < title.size() && i < 30; ++i) tag[3 + i] = static_cast<uint8_t>(title[i]);
  tag[127] = 255;  // no genre
  return tag;
}

}  // namespace

std::vector<std::string> MakeSoakTracks(const std::string& folder, int count) {
  const std::vector<std::string> sources = PlayableSources();
  std::vector<std::string> tracks;
  const int n = static_cast<int>(sources.size());
  for (int i = 0; i < count; ++i) {
    std::vector<uint8_t> bytes = ReadFileBytes(sources[static_cast<size_t>(i % n)]);
    const std::string title = "Soak track " + std::to_string(i);
    switch ((i / n + i) % 4) {
      case 1: {
        std::vector<uint8_t> tag = Id3v2Tag(title, static_cast<uint32_t>(i * 37 % 2000));
        bytes.insert(bytes.begin(), tag.begin(), tag.end());
        break;
      }
      case 2:  // cut between 40 % and 99 % of its length, mostly inside a frame
        bytes.resize(bytes.size() * static_cast<size_t>(40 + i % 60) / 100);
        break;
      case 3: {
        std::vector<uint8_t> tag = Id3v1Tag(title);
        bytes.insert(bytes.end(), tag.begin(), tag.end());
        break;
      }
      default:
        break;
    }
    char name[32];
    std::snprintf(name, sizeof name, "/track-%03d.mp3", i);
    tracks.push_back(folder + name);
    WriteFileBytes(tracks.back(), bytes);
  }
  return tracks;
}
