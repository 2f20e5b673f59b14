// Long use: a queue of 500 short tracks played on the null device far faster than real
// time, in repeat-all order four times round, every fourth track left early by a "next"
// command and some paused and resumed. Resident memory must stay flat, nothing may hang,
// and every play must report its end exactly once.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "player/mp3_player.h"
#include "resident_memory.h"
#include "soak_tracks.h"
#include "test_support.h"
#include "watchdog.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int kTracks = 500;
constexpr int kPlays = 4 * kTracks;  // four times round the queue
constexpr int kWarmUpPlays = 200;    // allocator pools and caches settle first
constexpr int kSwitchEvery = 4;      // every fourth play is left by a "next" command
constexpr int kPauseEvery = 7;       // ... and every seventh other one paused for a moment
constexpr int64_t kMaxGrowthBytes = 2 << 20;
constexpr const char* kDevice = "null:400";

struct TPlay {
  int Track = 0;
  bool Switched = false;
  bool Paused = false;
  int Ends = 0;
  TMP3EndPlayReason Reason = merStopped;
};

double MiB(int64_t bytes) { return static_cast<double>(bytes) / (1 << 20); }

class TSoakDriver {
 public:
  explicit TSoakDriver(std::vector<std::string> tracks, TWatchdog& watchdog)
      : tracks_(std::move(tracks)), watchdog_(watchdog) {
    plays_.reserve(kPlays);
    player_.SetAutoOpen(false);
    player_.SetAutoPlay(false);
    player_.SetAudioDevice(kDevice);
    player_.OnEndPlay = [this](TMP3Player&, TMP3EndPlayReason reason) {
      if (plays_.empty()) return;  // nothing of ours is playing: counted as a stray report
      ++plays_.back().Ends;
      plays_.back().Reason = reason;
      advance_ = true;
      watchdog_.Progress();
    };
  }

  // Plays until kPlays plays have ended; returns the resident memory after the warm-up.
  int64_t Run() {
    int64_t warm = 0;
    advance_ = true;
    while (true) {
      if (advance_) {
        advance_ = false;
        if (static_cast<int>(plays_.size()) == kWarmUpPlays) warm = ResidentBytes();
        if (static_cast<int>(plays_.size()) == kPlays) break;
        StartNext();
      }
      player_.WaitForMessages(1);
      player_.ProcessMessages();
      Command();
    }
    return warm;
  }

  const std::vector<TPlay>& Plays() const { return plays_; }

 private:
  // Repeat-all: after the last track the first again.
  void StartNext() {
    TPlay play;
    play.Track = static_cast<int>(plays_.size()) % kTracks;
    const int n = static_cast<int>(plays_.size());
    play.Switched = n % kSwitchEvery == kSwitchEvery - 1;
    play.Paused = !play.Switched && n % kPauseEvery == 0;
    plays_.push_back(play);
    player_.SetFileName(tracks_[static_cast<size_t>(play.Track)]);
    player_.Open();
    player_.Play();
    started_ = Clock::now();
    stage_ = 0;
    commandAfter_ = milliseconds(1 + n % 4);
  }

  // The user's commands of the current play, by the time it has played.
  void Command() {
    const TPlay& play = plays_.back();
    if (advance_ || stage_ > 1 || Clock::now() - started_ < commandAfter_) return;
    if (play.Switched && stage_ == 0) {
      player_.Stop();  // "next": its end report moves the queue on
      stage_ = 2;
    } else if (play.Paused && stage_ == 0 && player_.Status() == mpsPlaying) {
      player_.Pause();
      stage_ = 1;
      commandAfter_ += milliseconds(2);
    } else if (play.Paused && stage_ == 1) {
      player_.Resume();
      stage_ = 2;
    }
  }

  std::vector<std::string> tracks_;
  TWatchdog& watchdog_;
  TMP3Player player_;
  std::vector<TPlay> plays_;
  bool advance_ = false;
  Clock::time_point started_;
  milliseconds commandAfter_{0};
  int stage_ = 0;  // 0 nothing done yet, 1 paused, 2 done
};

TEST(Soak, RepeatAllQueueOfShortTracksWithSwitchesStaysFlatAndReportsEveryEndOnce) {
  TTempDir dir;
  const std::vector<std::string> tracks = MakeSoakTracks(dir.File("."), kTracks);
  TWatchdog watchdog(std::chrono::seconds(30), "the soak queue stopped moving (deadlock?)");
  TSoakDriver driver(tracks, watchdog);
  const auto begin = Clock::now();
  const int64_t warm = driver.Run();
  const int64_t end = ResidentBytes();
  const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();

  int natural = 0, switchedAway = 0, paused = 0;
  for (size_t i = 0; i < driver.Plays().size(); ++i) {
    const TPlay& play = driver.Plays()[i];
    ASSERT_EQ(play.Ends, 1) << "play " << i << " (track " << play.Track << ") reported its end " << play.Ends
                            << " times";
    ASSERT_NE(play.Reason, merError) << "play " << i << " (track " << play.Track << ") failed";
    // A "next" can come after the data ran out but before its report: then that end counts.
    if (!play.Switched) {
      ASSERT_EQ(play.Reason, merEndOfData) << "play " << i << " (track " << play.Track << ")";
    }
    natural += play.Reason == merEndOfData;
    switchedAway += play.Reason == merStopped;
    paused += play.Paused;
  }
  EXPECT_GT(switchedAway, kPlays / kSwitchEvery / 2) << "few switches hit a playing track";

  std::cout << kPlays << " plays of " << kTracks << " tracks in " << seconds << " s: " << natural
            << " to their end, " << switchedAway << " left by a switch, " << paused << " paused and resumed\n"
            << "resident memory " << MiB(warm) << " MiB after " << kWarmUpPlays << " plays, " << MiB(end)
            << " MiB after " << kPlays << '\n';
  RecordProperty("resident_after_warm_up_kib", static_cast<int>(warm / 1024));
  RecordProperty("resident_at_end_kib", static_cast<int>(end / 1024));
  ASSERT_GT(warm, 0) << "/proc/self/statm could not be read";
  EXPECT_LE(end - warm, kMaxGrowthBytes) << "resident memory grew by " << MiB(end - warm) << " MiB";
}

}  // namespace
