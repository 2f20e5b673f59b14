// Commands read by varo-play --control, one per line on standard input:
//   pause, resume, play, stop, next, quit, volume N (0..100), balance N (-100..100),
//   seek SECONDS (from the start of the track, fractions allowed).
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct TPlayCommand {
  enum TKind { Pause, Resume, Play, Stop, Next, Quit, Volume, Balance, Seek };
  TKind Kind = Pause;
  int Value = 0;       // volume or balance
  double Seconds = 0;  // seek
};

// False with `error` set when the line is no command. Blank lines are no commands either;
// the caller skips them.
bool ParsePlayCommand(std::string_view line, TPlayCommand& command, std::string& error);

// A number of seconds, 0 or more, fractions allowed ("12", "0.5"); false when it is none.
bool ParseSeconds(std::string_view text, double& seconds);

// Collects the lines arriving on a non-blocking descriptor.
class TCommandLines {
 public:
  explicit TCommandLines(int fd);

  int Fd() const { return fd_; }
  bool AtEnd() const { return atEnd_; }
  // Reads what is there; returns the complete lines (a last line without a line end is
  // complete once the input has ended).
  std::vector<std::string> ReadAvailable();

 private:
  int fd_;
  bool atEnd_ = false;
  std::string partial_;
};
