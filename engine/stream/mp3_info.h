// Track information: the tags and wrappers around the MPEG audio of a file, where the audio
// lies, and the title and artist chosen among the tag kinds the caller allows.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "decoder/mp_frame_header.h"
#include "stream/mp3_info_gain.h"
#include "stream/mp_set.h"
#include "stream/mp_string_list.h"

class TMPStreamReader;

enum TMP3InfoKind : uint8_t { mitID3V1, mitID3V2, mitRiff, mitMacBin, mitLyrics, mitAPE };
using TMP3InfoType = TMPSet<TMP3InfoKind>;

// Audio length while the stream gives none.
inline constexpr int64_t kUnknownLength = std::numeric_limits<int64_t>::max();

class TMP3Info {
 public:
  TMP3Info();
  ~TMP3Info();
  TMP3Info(const TMP3Info&) = delete;
  TMP3Info& operator=(const TMP3Info&) = delete;

  // Forgets everything read, and the reader.
  void Clear();
  // With a reader: Clear, then work on that reader (not owned). With nullptr: forget it.
  void Attach(TMPStreamReader* reader);

  // Reads the tags of a file and finds its first frame. Raises "unknown MPEG Audio format."
  // when the file holds no MPEG audio and EMP3Error when it cannot be opened; either way
  // the object is cleared.
  void ReadFromFile(const std::string& fileName);
  // Reads the tags of a file whether or not it holds audio (for tag-only files); raises only
  // when the file cannot be opened.
  void ReadTagsFromFile(const std::string& fileName);

  // Steps on the attached reader, used by the player while it opens a stream.
  bool ReadFrontTags();     // MacBinary, RIFF "data", ID3v2; true when a byte follows
  bool ReadTrailingTags();  // RIFF "INFO", ID3v1, Lyrics3, APEv2; needs a seekable reader
  bool FindFirstFrame();    // first frame header within 4096 bytes of the reader position

  // Title and artist: the longest value among the kinds of NeedInfoType (ID3v1, ID3v2,
  // RIFF in that order on equal lengths); then APEv2; the title falls back to the file
  // name without its folder, the artist to empty.
  std::string Title() const;
  std::string Artist() const;

  TMP3InfoType Found() const { return found_; }
  TMP3InfoType NeedInfoType() const { return needInfoType_; }
  void SetNeedInfoType(TMP3InfoType kinds) { needInfoType_ = kinds; }
  const std::string& FileName() const { return fileName_; }

  int64_t DataStart() const { return dataStart_; }
  int64_t DataLength() const { return dataLength_; }  // kUnknownLength when not known

  const TMPStringList& ID3v1Values() const { return id3v1Values_; }
  const TMPStringList& ID3v2Values() const { return id3v2Values_; }
  const TMPStringList& RiffValues() const { return riffValues_; }
  const TMPStringList& LyricsValues() const { return lyricsValues_; }
  const TMPStringList& ApeValues() const { return apeValues_; }
  // The bodies of the ID3v2 lyrics frames (SYLT, USLT; 2.2's SLT, ULT under those names) in
  // tag order, unsynchronisation and frame flags undone: their text is not name=value text.
  const std::vector<std::pair<std::string, std::string>>& ID3v2LyricsFrames() const { return id3v2Lyrics_; }

  int64_t ID3v1Position() const { return id3v1Position_; }
  int64_t LyricsStart() const { return lyricsStart_; }
  int64_t ApeStart() const { return apeStart_; }
  int32_t ID3v2Version() const { return id3v2Version_; }  // major version; 0 when none
  int64_t MacBinaryDataLength() const { return macDataLength_; }
  int64_t MacBinaryResourceLength() const { return macResourceLength_; }
  int64_t RiffDataStart() const { return riffDataStart_; }
  int64_t RiffDataLength() const { return riffDataLength_; }

  // The ReplayGain the file carries: track and album each from the first source that gives it
  // (ID3v2 TXXX, ID3v2 RVA2, APEv2, the LAME tag of the first frame FindFirstFrame found).
  TMP3ReplayGain ReplayGain() const { return ChooseReplayGain(gains_); }
  const TMP3ReplayGain& ReplayGainFrom(TMP3GainSource source) const { return gains_[source - 1]; }

  // The header of the first frame FindFirstFrame found; HasFirstFrame false before that.
  bool HasFirstFrame() const { return hasFirstFrame_; }
  const TMPFrameHeader& FirstFrameHeader() const { return firstFrame_; }

 private:
  void ReadFile(const std::string& fileName, bool needAudio);
  std::string Choose(const char* id3v1Name, const char* id3v2Name, const char* riffName,
                     const char* apeName) const;

  bool ReadMacBinary();
  bool ReadRiffHeader();
  bool FindRiffChunk(const char* name, const char* listType);
  bool ReadRiffDataChunk();
  void ReadRiffInfo();
  bool ReadID3v2();
  bool ReadID3v1();
  bool ReadLyrics3();
  bool ReadApe();
  int64_t TrailingEnd() const;

  TMPStreamReader* reader_ = nullptr;
  std::string fileName_;
  TMP3InfoType found_;
  TMP3InfoType needInfoType_;
  int64_t dataStart_ = 0;
  int64_t dataLength_ = kUnknownLength;
  int64_t macDataStart_ = 0;
  int64_t macDataLength_ = 0;
  int64_t macDataEnd_ = 0;
  int64_t macResourceLength_ = 0;
  int64_t riffDataStart_ = 0;
  int64_t riffDataLength_ = kUnknownLength;
  TMPStringList riffValues_;
  TMPStringList id3v1Values_;
  int64_t id3v1Position_ = 0;
  TMPStringList id3v2Values_;
  int32_t id3v2Version_ = 0;
  std::vector<std::pair<std::string, std::string>> id3v2Lyrics_;
  TMPStringList lyricsValues_;
  int64_t lyricsStart_ = 0;
  TMPStringList apeValues_;
  int64_t apeStart_ = 0;
  bool hasFirstFrame_ = false;
  TMPFrameHeader firstFrame_{};
  TMP3ReplayGain gains_[kGainSourceCount];  // by source, mgsTXXX first
};
