#include "core/lyrics/lyrics_speed.h"

#include <algorithm>
#include <limits>

int LyricsIntervalForSpeed(const QString& speedCell, int currentMs) {
  if (speedCell.isEmpty()) return currentMs;
  bool ok = false;
  const int steps = speedCell.trimmed().toInt(&ok);
  if (!ok) return kUnreadableSpeedIntervalMs;
  constexpr int kMaxSteps = std::numeric_limits<int>::max() / kLyricsSpeedStepMs;
  return std::clamp(steps, 1, kMaxSteps) * kLyricsSpeedStepMs;
}

int FasterLyricsInterval(int currentMs) {
  return currentMs > kLyricsSpeedStepMs ? currentMs - kLyricsSpeedStepMs : currentMs;
}

int SlowerLyricsInterval(int currentMs) {
  return currentMs <= std::numeric_limits<int>::max() - kLyricsSpeedStepMs ? currentMs + kLyricsSpeedStepMs
                                                                           : currentMs;
}

QString LyricsSpeedCell(int intervalMs) { return QString::number(intervalMs / kLyricsSpeedStepMs); }
