#include "player_harness.h"

#include <sstream>
#include <thread>

#include "decoder/mp_frame_header.h"
#include "stream/frame_facts.h"

TPlayerHarness::TPlayerHarness(double speed, bool wav) : wavPath_(dir_.File("played.wav")) {
  player_ = std::make_unique<TMP3Player>();
  player_->SetAutoPlay(false);
  std::ostringstream choice;
  if (wav)
    choice << "wav@" << speed << ":" << wavPath_;
  else
    choice << "null:" << speed;
  player_->SetAudioDevice(choice.str());
  player_->OnChangeStatus = [this](TMP3Player& p) {
    ++statusEvents;
    statusSeen.push_back(p.Status());
  };
  player_->OnChangePosition = [this](TMP3Player&) { ++positionEvents; };
  player_->OnEndPlay = [this](TMP3Player&, TMP3EndPlayReason reason) {
    endReasons.push_back(reason);
    if (onEnd) onEnd(reason);
  };
}

bool TPlayerHarness::PumpUntil(const std::function<bool()>& pred, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    player_->ProcessMessages();
    if (pred()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    player_->WaitForMessages(10);
  }
}

bool TPlayerHarness::PlayToEnd() {
  const size_t ends = endReasons.size();
  player_->Play();
  if (!PumpUntil([&] { return endReasons.size() > ends; })) return false;
  return endReasons.back() == merEndOfData;
}

std::vector<std::vector<uint8_t>> SplitFrames(const std::vector<uint8_t>& bytes) {
  std::vector<std::vector<uint8_t>> frames;
  size_t at = 0;
  while (at + 4 <= bytes.size()) {
    TMPFrameHeader header{};
    const int32_t length = ParseFrameHeader(bytes.data() + at, 0, header);
    if (length <= 0) break;
    const size_t size = static_cast<size_t>(length + PaddingBytes(header));
    if (at + size > bytes.size()) break;
    frames.emplace_back(bytes.begin() + static_cast<ptrdiff_t>(at),
                        bytes.begin() + static_cast<ptrdiff_t>(at + size));
    at += size;
  }
  return frames;
}

std::vector<uint8_t> JoinFrames(const std::vector<std::vector<uint8_t>>& frames, size_t from, size_t to) {
  std::vector<uint8_t> bytes;
  for (size_t i = from; i < to && i < frames.size(); ++i)
    bytes.insert(bytes.end(), frames[i].begin(), frames[i].end());
  return bytes;
}
