// A TMP3Player under test: counts its events, plays into a WAV file in a temporary folder
// (or the null device), and pumps its messages the way a host does.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "player/mp3_player.h"
#include "test_support.h"

class TPlayerHarness {
 public:
  // speed: how many times faster than real time the device consumes audio.
  explicit TPlayerHarness(double speed = 50, bool wav = true);

  TMP3Player& Player() { return *player_; }
  std::string WavPath() const { return wavPath_; }
  std::vector<uint8_t> Played() const { return WavData(wavPath_); }

  // Pumps messages until pred holds; false when it did not within the time limit.
  bool PumpUntil(const std::function<bool()>& pred,
                 std::chrono::milliseconds limit = std::chrono::seconds(20));
  // Plays the open stream to its end; true when OnEndPlay reported the end of data.
  bool PlayToEnd();

  int statusEvents = 0;
  int positionEvents = 0;
  std::vector<TMP3EndPlayReason> endReasons;
  std::vector<TMP3PlayerStatus> statusSeen;
  std::function<void(TMP3EndPlayReason)> onEnd;

 private:
  TTempDir dir_;
  std::string wavPath_;
  std::unique_ptr<TMP3Player> player_;
};

// The frames of an MPEG audio file, cut apart by their headers.
std::vector<std::vector<uint8_t>> SplitFrames(const std::vector<uint8_t>& bytes);
std::vector<uint8_t> JoinFrames(const std::vector<std::vector<uint8_t>>& frames, size_t from, size_t to);
