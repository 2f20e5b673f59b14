#include "play_session.h"

#include <exception>

#include "mp3_player.h"

namespace {

const char* StatusText(TMP3PlayerStatus status) {
  switch (status) {
    case mpsPlaying: return "playing";
    case mpsPaused: return "paused";
    default: return "stopped";
  }
}

const char* ReasonText(TMP3EndPlayReason reason) {
  switch (reason) {
    case merEndOfData: return "end of data";
    case merError: return "error";
    default: return "stopped";
  }
}

class Session {
 public:
  Session(const std::vector<std::string>& files, const TPlayOptions& options, std::ostream& out,
          std::ostream& err)
      : files_(files), options_(options), out_(out), err_(err) {
    player_.SetAutoOpen(false);
    player_.SetAutoPlay(false);
    player_.SetAudioDevice(options.Audio);
    if (options.Volume >= 0) player_.SetVolume(options.Volume);
    player_.SetVolBalance(options.Balance);
    player_.OnChangeStatus = [this](TMP3Player& p) {
      out_ << "status: " << StatusText(p.Status()) << std::endl;
    };
    player_.OnEndPlay = [this](TMP3Player&, TMP3EndPlayReason reason) {
      out_ << "end: " << ReasonText(reason) << std::endl;
      if (reason == merError) failed_ = true;
      if (!interrupted_) advance_ = true;
    };
  }

  int Run(volatile std::sig_atomic_t& interrupt) {
    advance_ = true;
    for (;;) {
      if (interrupt != 0) return Interrupt(interrupt);
      if (advance_) {
        advance_ = false;
        if (!StartNext()) break;
      }
      if (player_.WaitForMessages(100)) player_.ProcessMessages();
    }
    player_.ProcessMessages();
    return failed_ ? 1 : 0;
  }

 private:
  // Opens and plays the next file that can be played; false when the list is done.
  bool StartNext() {
    size_t tried = 0;
    while (tried < files_.size()) {
      if (next_ >= files_.size()) {
        if (!options_.Repeat || !anyPlayed_) return false;
        next_ = 0;
        anyPlayed_ = false;
      }
      const std::string& file = files_[next_++];
      ++tried;
      out_ << "file " << next_ << "/" << files_.size() << ": " << file << std::endl;
      try {
        player_.SetFileName(file);
        player_.Open();
        PrintTitleAndArtist(file);
        player_.Play();
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
    out_ << "  Title: " << title << '\n' << "  Artist: " << artist << std::endl;
  }

  int Interrupt(volatile std::sig_atomic_t& signal) {
    interrupted_ = true;
    try {
      player_.Stop();
      player_.Close();
    } catch (const std::exception& error) {
      err_ << error.what() << std::endl;
    }
    player_.ProcessMessages();
    return 128 + signal;
  }

  TMP3Player player_;
  const std::vector<std::string>& files_;
  const TPlayOptions& options_;
  std::ostream& out_;
  std::ostream& err_;
  size_t next_ = 0;
  bool advance_ = false;
  bool anyPlayed_ = false;
  bool failed_ = false;
  bool interrupted_ = false;
};

}  // namespace

int PlayFiles(const std::vector<std::string>& files, const TPlayOptions& options,
              volatile std::sig_atomic_t& interrupt, std::ostream& out, std::ostream& err) {
  Session session(files, options, out, err);
  return session.Run(interrupt);
}
