// The lyrics of a track, found without asking: NAME.lrc, then NAME.txt beside it, then the
// ID3v2 SYLT frame, the USLT frame and the Lyrics3 v2 LYR field of the track itself.
#pragma once

#include <cstdint>
#include <string>

#include "lyrics/lyrics_text.h"

enum class TLyricsSource : uint8_t { None, File, Sylt, Uslt, Lyrics3 };

struct TTrackLyrics {
  TLyricsSource Source = TLyricsSource::None;
  std::string File;  // the lyrics file, or the track when the lyrics are in its tags
  TLyricsText Text;
};

// Lyrics files are read up to this size; the rest of a larger file is left out.
inline constexpr int64_t kLargestLyricsFile = 16 * 1024 * 1024;

// A lyrics file; one that cannot be read gives no lines.
TLyricsText ReadLyricsFile(const std::string& path);

// lyricsFile (the playlist's choice) when it is given, else the first source that holds
// lyrics. lyricsFile equal to track means the track's own tags.
TTrackLyrics FindTrackLyrics(const std::string& track, const std::string& lyricsFile = std::string());
