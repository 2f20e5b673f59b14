#include "core/playback/intro_time.h"

#include <limits>

std::optional<int> ParseIntroSeconds(const QString& text) {
  bool ok = false;
  const int seconds = text.trimmed().toInt(&ok);
  if (!ok || seconds < 1 || seconds > std::numeric_limits<int>::max() / 1000) return std::nullopt;
  return seconds;
}
