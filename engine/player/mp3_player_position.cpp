// TMP3Player's time: the track's length, the position heard, seeking and the gapless follow-on.
// Placeholder bodies until the seeking engine lands.
#include "player/mp3_player.h"

int64_t TMP3Player::Length() const { return 0; }

int64_t TMP3Player::Position() const { return 0; }

void TMP3Player::Seek(int64_t) {}

void TMP3Player::SetNextFileName(const std::string& value) { nextFileName_ = value; }
