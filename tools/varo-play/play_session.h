// varo-play's playing: the files in order on one TMP3Player, pumping its messages from a
// plain loop until the list is done, a quit command or an interrupt arrives.
#pragma once

#include <csignal>
#include <ostream>
#include <string>
#include <vector>

struct TPlayOptions {
  std::string Audio;  // device choice; empty: VARO_AUDIO or the default device
  int Volume = -1;    // -1: leave as is
  int Balance = 0;
  bool Repeat = false;
  bool Timestamps = false;  // reports carry the monotonic clock
  bool Control = false;     // commands arrive on standard input (play_commands.h)
  bool Gapless = true;      // trim encoder delay and padding; each file follows without a gap
  double Start = 0;         // seconds into the first file
};

// Returns the exit status: 0 when every file played, 1 when any failed, 128 + signal when
// interrupted.
int PlayFiles(const std::vector<std::string>& files, const TPlayOptions& options,
              volatile std::sig_atomic_t& interrupt, std::ostream& out, std::ostream& err);
