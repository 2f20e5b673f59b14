// varo-play --loudness: measures files on every core and prints their loudness, peak and gain
// and the album's; with --write-tags also writes the gains into the files' ID3v2 tags.
#pragma once

#include <ostream>
#include <string>
#include <vector>

struct TLoudnessCommandOptions {
  bool WriteTags = false;
  bool TruePeak = false;  // measure the true peak too, and write it as the peak
};

// The files are one album. Returns the exit status: 0 when every file was measured (and its
// tag written), else 1.
int RunLoudnessCommand(const std::vector<std::string>& files, const TLoudnessCommandOptions& options,
                       std::ostream& out, std::ostream& err);
