// Writes ReplayGain into a file's ID3v2 tag as TXXX frames REPLAYGAIN_TRACK_GAIN, _TRACK_PEAK,
// _ALBUM_GAIN and _ALBUM_PEAK in place of any there were: the tag's other frames kept byte for
// byte and its version kept (a file without a tag gets a 2.4 one), the audio and whatever
// follows it untouched, the file replaced atomically.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "stream/mp3_info_gain.h"

// The tag that replaces the one at the front of a file (`front` holds at least the whole old
// tag, or the first 10 bytes when there is none) and how many bytes the old one takes. Gains
// not Known() and peaks not given are not written. Raises EMP3Error with the reason when the
// old tag cannot be kept as it is (an unknown version, a CRC over its frames, damage).
struct TReplayGainTag {
  std::vector<uint8_t> Tag;
  int64_t OldTagBytes = 0;
};
TReplayGainTag BuildReplayGainTag(const std::vector<uint8_t>& front, const TMP3ReplayGain& gains);

// Writes the tag into the file (through its symbolic link): a temporary file in the same
// folder, written, flushed to the disk and read back before it is renamed over the file,
// which keeps its permissions. When expectedSize and expectedModified (nanoseconds) are given
// (not -1), a file changed since then is refused. Raises EMP3Error when nothing was written.
void WriteReplayGainTag(const std::string& path, const TMP3ReplayGain& gains, int64_t expectedSize = -1,
                        int64_t expectedModified = -1);
