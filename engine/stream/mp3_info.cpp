#include "stream/mp3_info.h"

#include <memory>

#include "base/engine_error.h"
#include "stream/frame_facts.h"
#include "stream/mp_info_frame.h"
#include "stream/mp_stream_reader.h"
#include "stream/unicode_text.h"

namespace {

constexpr int32_t kReaderCapacity = 65536;
constexpr int32_t kFrameSearch = 4096;
constexpr int32_t kLargestFrame = 2881;  // Layer II, 384 kbit/s at 32 kHz, with padding

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

TMP3Info::TMP3Info() : needInfoType_{mitID3V1, mitID3V2, mitRiff} {}

TMP3Info::~TMP3Info() { Clear(); }

void TMP3Info::Clear() {
  reader_ = nullptr;
  found_ = TMP3InfoType();
  fileName_.clear();
  dataStart_ = 0;
  dataLength_ = kUnknownLength;
  macDataStart_ = macDataLength_ = macDataEnd_ = macResourceLength_ = 0;
  riffDataStart_ = 0;
  riffDataLength_ = kUnknownLength;
  riffValues_.Clear();
  id3v1Values_.Clear();
  id3v1Position_ = 0;
  id3v2Values_.Clear();
  id3v2Version_ = 0;
  id3v2Lyrics_.clear();
  lyricsValues_.Clear();
  lyricsStart_ = 0;
  apeValues_.Clear();
  apeStart_ = 0;
  hasFirstFrame_ = false;
  firstFrame_ = TMPFrameHeader{};
  for (TMP3ReplayGain& g : gains_) g = {};
}

void TMP3Info::Attach(TMPStreamReader* reader) {
  if (reader != nullptr) Clear();
  reader_ = reader;
}

void TMP3Info::ReadFromFile(const std::string& fileName) { ReadFile(fileName, true); }

void TMP3Info::ReadTagsFromFile(const std::string& fileName) { ReadFile(fileName, false); }

void TMP3Info::ReadFile(const std::string& fileName, bool needAudio) {
  try {
    TMPFileStream file(fileName);
    TMPStreamReader reader(kReaderCapacity);
    reader.Attach(&file, file.CanSeek());
    Attach(&reader);
    fileName_ = fileName;
    bool ok = ReadFrontTags();
    if (ok) ok = FindFirstFrame();
    // A tag-only file still has its trailing tags read.
    if (ok || !needAudio) ok = ReadTrailingTags() && ok;
    reader_ = nullptr;
    if (!ok && needAudio) RaiseUnknownFormat();
  } catch (...) {
    Clear();
    throw;
  }
}

bool TMP3Info::ReadFrontTags() {
  if (ReadMacBinary()) found_.Include(mitMacBin);
  if (ReadRiffHeader() && FindRiffChunk("data", nullptr) && ReadRiffDataChunk()) found_.Include(mitRiff);
  if (ReadID3v2()) found_.Include(mitID3V2);
  return reader_->Ensure(1);
}

// Up to 4096 positions from the reader position: the first header that parses and is
// followed by a frame of the same format, else the first header that parses at all.
bool TMP3Info::FindFirstFrame() {
  const int32_t n = reader_->EnsureUpTo(kFrameSearch + 3 + kLargestFrame + 4);
  const uint8_t* bytes = reader_->Data();
  int32_t chosen = -1, chosenLength = 0;
  TMPFrameHeader chosenHeader{};
  for (int32_t i = 0; i < kFrameSearch && i + 4 <= n; ++i) {
    TMPFrameHeader header{};
    const int32_t length = ParseFrameHeader(bytes + i, 0, header);
    if (length < 0 || header.Sync == 0 || header.Layer < 1 || header.Layer > 3) continue;
    if (length == 0 && header.BitrateIndex != 0) continue;  // a forbidden bit rate is no frame
    // A free-format header has no length to find its follower by: a candidate, never confirmed.
    const bool confirmed = length > 0 && FollowedByMatchingFrame(bytes, n, i, length + PaddingBytes(header));
    if (chosen < 0 || confirmed) {
      chosen = i;
      chosenLength = length;
      chosenHeader = header;
    }
    if (confirmed) break;
  }
  if (chosen < 0) return false;
  // The LAME tag's gains, when the first frame is its Info frame.
  if (chosenLength > 0)
    gains_[mgsLAME - 1] =
        ParseInfoFrame(chosenHeader, bytes + chosen, chosenLength + PaddingBytes(chosenHeader), n - chosen)
            .Gains;
  reader_->Skip(chosen);
  dataStart_ = reader_->Position();
  hasFirstFrame_ = true;
  firstFrame_ = chosenHeader;
  return true;
}

bool TMP3Info::ReadTrailingTags() {
  if (!reader_->Seekable()) return false;
  if (dataLength_ == kUnknownLength) dataLength_ = reader_->Size() - dataStart_;
  if (found_.Contains(mitRiff)) {
    try {
      const int64_t end = riffDataStart_ + riffDataLength_;
      reader_->Seek(end + (end & 1), TMPSeekOrigin::soBeginning);
      FindRiffChunk("LIST", "INFO");
      ReadRiffInfo();
    } catch (const std::exception&) {
      // A broken INFO list costs its lines, nothing more.
    }
  }
  if (ReadID3v1()) found_.Include(mitID3V1);
  if (ReadLyrics3()) found_.Include(mitLyrics);
  if (ReadApe()) {
    found_.Include(mitAPE);
    ReadApeGains(apeValues_, gains_[mgsAPE - 1]);
  }
  return true;
}

// Where the trailing tags end: the MacBinary data fork's end, or the end of the stream.
int64_t TMP3Info::TrailingEnd() const { return found_.Contains(mitMacBin) ? macDataEnd_ : reader_->Size(); }

std::string TMP3Info::Choose(const char* id3v1Name, const char* id3v2Name, const char* riffName,
                             const char* apeName) const {
  const std::string candidates[] = {
      needInfoType_.Contains(mitID3V1) ? id3v1Values_.Values(id3v1Name) : std::string(),
      needInfoType_.Contains(mitID3V2) ? id3v2Values_.Values(id3v2Name) : std::string(),
      needInfoType_.Contains(mitRiff) ? riffValues_.Values(riffName) : std::string(),
  };
  // Longest in bytes, as the tags' own byte strings were measured: a Japanese title in a
  // Unicode frame outweighs an ID3v1 field that could only hold question marks in its place.
  const std::string* best = &candidates[0];
  for (const std::string& c : candidates)
    if (c.size() > best->size()) best = &c;
  if (!best->empty()) return *best;
  return apeValues_.Values(apeName);
}

std::string TMP3Info::Title() const {
  std::string title = Choose("TITLE", "TIT2", "INAM", "Title");
  return title.empty() ? BaseName(fileName_) : title;
}

std::string TMP3Info::Artist() const { return Choose("ARTIST", "TPE1", "IART", "Artist"); }
