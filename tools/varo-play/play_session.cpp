#include "play_session.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>

#include "lyrics_report.h"
#include "play_commands.h"
#include "player/mp3_player.h"
#include "timed_lines.h"

namespace {

constexpr int kPumpIntervalMs = 100;  // how often an interrupt is noticed at the latest

const char* StatusText(TMP3PlayerStatus status) {
  switch (status) {
    case mpsPlaying:
      return "playing";
    case mpsPaused:
      return "paused";
    default:
      return "stopped";
  }
}

const char* ReasonText(TMP3EndPlayReason reason) {
  switch (reason) {
    case merEndOfData:
      return "end of data";
    case merError:
      return "error";
    default:
      return "stopped";
  }
}

std::string SecondsText(int64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%" PRId64 ".%03" PRId64, ms / 1000, ms % 1000);
  return text;
}

int64_t SecondsToMs(double seconds) { return std::llround(seconds * 1000); }

// An eventfd the player's message notifier rings, so the loop can sleep in poll() on it
// and on the command input at once.
class TWakeUp {
 public:
  TWakeUp() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
  ~TWakeUp() {
    if (fd_ >= 0) close(fd_);
  }
  TWakeUp(const TWakeUp&) = delete;
  TWakeUp& operator=(const TWakeUp&) = delete;

  int Fd() const { return fd_; }
  void Ring() const {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(fd_, &one, sizeof one);
  }
  void Clear() const {
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = read(fd_, &count, sizeof count);
  }

 private:
  int fd_;
};

class Session {
 public:
  Session(const std::vector<std::string>& files, const TPlayOptions& options, std::ostream& out,
          std::ostream& err)
      : files_(files),
        options_(options),
        lines_(options.Lyrics ? DiscardedReports() : out, options.Timestamps),
        err_(err) {
    if (options.Lyrics) lyrics_ = std::make_unique<TLyricsReport>(out, options.Timestamps);
    if (options.Control) commands_ = std::make_unique<TCommandLines>(STDIN_FILENO);
    player_.SetAutoOpen(false);
    player_.SetAutoPlay(false);
    player_.SetAudioDevice(options.Audio);
    if (options.Volume >= 0) player_.SetVolume(options.Volume);
    player_.SetVolBalance(options.Balance);
    player_.SetGapless(options.Gapless);
    // A gapless change is noticed at a position tick: lyrics want it within a tenth of a second.
    if (options.Lyrics) player_.SetChangePosStep(100);
    player_.OnChangeStatus = [this](TMP3Player& p) {
      lines_.Line(std::string("status: ") + StatusText(p.Status()));
    };
    player_.OnEndPlay = [this](TMP3Player&, TMP3EndPlayReason reason) {
      lines_.Line(std::string("end: ") + ReasonText(reason));
      if (reason == merError) failed_ = true;
      if (reason == merStopped && holdAfterStop_) {
        holdAfterStop_ = false;
        return;
      }
      if (!interrupted_) advance_ = true;
    };
    // The file queued behind the playing one is now heard: report it as a new file.
    player_.OnTrackChanged = [this](TMP3Player& p) {
      next_ = FollowerIndex();
      ReportFile(next_++, p.FileName());
      PrintTitleAndArtist(p.FileName());
      if (lyrics_) lyrics_->Start(p.FileName());
      anyPlayed_ = true;
      QueueFollower();
    };
    if (wakeUp_.Fd() >= 0) player_.SetMessageNotifier([this] { wakeUp_.Ring(); });
  }

  int Run(volatile std::sig_atomic_t& interrupt) {
    advance_ = true;
    for (;;) {
      if (interrupt != 0) return Finish(128 + interrupt);
      if (quit_) return Finish(failed_ ? 1 : 0);
      if (advance_) {
        advance_ = false;
        if (!StartNext()) break;
      }
      Wait();
      player_.ProcessMessages();
      if (lyrics_) lyrics_->Update(player_);
      RunCommands();
    }
    player_.ProcessMessages();
    return failed_ ? 1 : 0;
  }

 private:
  // Sleeps until the player posts, a command line arrives or the pump interval is over.
  void Wait() {
    if (wakeUp_.Fd() < 0) {
      player_.WaitForMessages(kPumpIntervalMs);
      return;
    }
    pollfd fds[2] = {{wakeUp_.Fd(), POLLIN, 0}, {-1, POLLIN, 0}};
    if (commands_ && !commands_->AtEnd()) fds[1].fd = commands_->Fd();
    if (poll(fds, 2, kPumpIntervalMs) > 0 && (fds[0].revents & POLLIN) != 0) wakeUp_.Clear();
  }

  void RunCommands() {
    if (!commands_) return;
    for (const std::string& line : commands_->ReadAvailable()) {
      if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
      TPlayCommand command;
      std::string error;
      if (!ParsePlayCommand(line, command, error)) {
        err_ << "varo-play: " << error << std::endl;
        continue;
      }
      lines_.Line("command: " + line);
      try {
        Execute(command);
      } catch (const std::exception& e) {
        err_ << e.what() << std::endl;
        failed_ = true;
      }
    }
  }

  void Execute(const TPlayCommand& command) {
    const bool stopped = player_.Status() == mpsStopped;
    switch (command.Kind) {
      case TPlayCommand::Pause:
        player_.Pause();
        break;
      case TPlayCommand::Resume:
        player_.Resume();
        break;
      case TPlayCommand::Play:
        player_.Play();
        break;
      case TPlayCommand::Stop:
        holdAfterStop_ = !stopped;  // its end report must not move on to the next file
        player_.Stop();
        break;
      case TPlayCommand::Next:
        // A playing file moves on through its end report; a stopped one at once.
        if (stopped) advance_ = true;
        player_.Stop();
        break;
      case TPlayCommand::Quit:
        quit_ = true;
        break;
      case TPlayCommand::Volume:
        player_.SetVolume(command.Value);
        break;
      case TPlayCommand::Balance:
        player_.SetVolBalance(command.Value);
        break;
      case TPlayCommand::Seek:
        player_.Seek(SecondsToMs(command.Seconds));
        lines_.Line("position: " + SecondsText(player_.Position()));
        break;
    }
  }

  // Index of the file that follows the playing one (the list starts again with --repeat);
  // files_.size() when none does.
  size_t FollowerIndex() const {
    if (next_ < files_.size()) return next_;
    return options_.Repeat ? 0 : files_.size();
  }

  // Gapless: the following file is opened ahead and plays on without a gap. One that cannot
  // be opened is left to StartNext, which reports it.
  void QueueFollower() {
    const size_t follower = FollowerIndex();
    player_.SetNextFileName(options_.Gapless && follower < files_.size() ? files_[follower] : std::string());
  }

  void ReportFile(size_t index, const std::string& file) {
    lines_.Line("file " + std::to_string(index + 1) + "/" + std::to_string(files_.size()) + ": " + file);
  }

  // Opens and plays the next file that can be played; false when the list is done.
  bool StartNext() {
    size_t tried = 0;
    while (tried < files_.size()) {
      if (next_ >= files_.size()) {
        if (!options_.Repeat || !anyPlayed_) return false;
        next_ = 0;
        anyPlayed_ = false;
      }
      const std::string& file = files_[next_];
      ReportFile(next_++, file);
      ++tried;
      try {
        player_.SetFileName(file);
        player_.Open();
        PrintTitleAndArtist(file);
        if (!started_ && options_.Start > 0) player_.Seek(SecondsToMs(options_.Start));
        started_ = true;
        QueueFollower();  // before Play, which opens it: a short file may be decoded at once
        player_.Play();
        if (lyrics_) lyrics_->Start(file);
        anyPlayed_ = true;
        return true;
      } catch (const std::exception& error) {
        err_ << file << ": " << error.what() << std::endl;
        failed_ = true;
        player_.ProcessMessages();
      }
    }
    return options_.Repeat && anyPlayed_;
  }

  // What the tags say; a file the tag reader cannot take (a pipe) shows its name.
  void PrintTitleAndArtist(const std::string& file) {
    TMP3Info info;
    std::string title = file.substr(file.find_last_of('/') + 1), artist;
    try {
      TMP3Player::ReadFileInfo(file, info);
      title = info.Title();
      artist = info.Artist();
    } catch (const std::exception&) {
    }
    lines_.Line("  Title: " + title);
    lines_.Line("  Artist: " + artist);
  }

  // Interrupt or quit: stop and close, report what that causes, and leave.
  int Finish(int status) {
    interrupted_ = true;
    try {
      player_.Stop();
      player_.Close();
    } catch (const std::exception& error) {
      err_ << error.what() << std::endl;
    }
    player_.ProcessMessages();
    return status;
  }

  TWakeUp wakeUp_;  // outlives the player, whose threads ring it
  TMP3Player player_;
  const std::vector<std::string>& files_;
  const TPlayOptions& options_;
  TTimedLines lines_;
  std::ostream& err_;
  std::unique_ptr<TCommandLines> commands_;
  std::unique_ptr<TLyricsReport> lyrics_;
  size_t next_ = 0;
  bool advance_ = false;
  bool anyPlayed_ = false;
  bool failed_ = false;
  bool interrupted_ = false;
  bool quit_ = false;
  bool holdAfterStop_ = false;
  bool started_ = false;  // the first file has been started (--start applies to it only)
};

}  // namespace

int PlayFiles(const std::vector<std::string>& files, const TPlayOptions& options,
              volatile std::sig_atomic_t& interrupt, std::ostream& out, std::ostream& err) {
  Session session(files, options, out, err);
  return session.Run(interrupt);
}
