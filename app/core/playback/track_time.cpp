#include "core/playback/track_time.h"

#include <algorithm>

namespace {

constexpr qint64 kHourMs = 3600 * 1000;

}  // namespace

QString FormatTrackTime(qint64 positionMs, qint64 lengthMs, bool remaining) {
  // A stream that gives no length has no time left to show: it counts up.
  if (lengthMs <= 0) remaining = false;
  const qint64 position = std::max<qint64>(lengthMs > 0 ? std::min(positionMs, lengthMs) : positionMs, 0);
  const qint64 seconds = remaining ? (lengthMs - position + 999) / 1000 : position / 1000;
  const bool hours = std::max(lengthMs, position) >= kHourMs;
  const QString sign = remaining ? QStringLiteral("-") : QString();
  const QString ss = QStringLiteral("%1").arg(seconds % 60, 2, 10, QLatin1Char('0'));
  if (!hours) return sign + QString::number(seconds / 60) + u':' + ss;
  const QString mm = QStringLiteral("%1").arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'));
  return sign + QString::number(seconds / 3600) + u':' + mm + u':' + ss;
}

qint64 StepTarget(qint64 positionMs, qint64 deltaMs, qint64 lengthMs) {
  return std::clamp<qint64>(positionMs + deltaMs, 0, std::max<qint64>(lengthMs, 0));
}

qint64 ProgressTarget(int x, int width, qint64 lengthMs) {
  if (width <= 0 || lengthMs <= 0) return 0;
  return std::clamp<qint64>(x, 0, width) * lengthMs / width;
}

int ProgressPixels(qint64 positionMs, qint64 lengthMs, int width) {
  if (width <= 0 || lengthMs <= 0) return 0;
  return static_cast<int>(std::clamp<qint64>(positionMs, 0, lengthMs) * width / lengthMs);
}

qint64 ResumePosition(qint64 storedMs, qint64 lengthMs) {
  return storedMs > 0 && storedMs < lengthMs ? storedMs : 0;
}
