#include "core/playback/sleep_timer.h"

#include "core/playback/power_off.h"

int ClockNumber(const QString& text, int highest) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok);
  if (!ok) throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text).toStdString());
  if (value < 0 || value > highest)
    throw EConvertError(QStringLiteral("'%1' is not a valid time").arg(text).toStdString());
  return value;
}

void TSleepTimer::Set(const QString& hourText, const QString& minuteText) {
  const int minute = ClockNumber(minuteText, 59);
  const int hour = ClockNumber(hourText, 23);
  const QString mm = QStringLiteral("%1").arg(minute, 2, 10, QLatin1Char('0'));
  SleepFrom = hourText + u':' + mm + QStringLiteral(":00");
  SleepTo = hourText + u':' + mm + QStringLiteral(":59");
  FFromSecond = (hour * 60 + minute) * 60;
}

bool TSleepTimer::InWindow(QTime now) const {
  if (!IsSet() || !now.isValid()) return false;
  const int second = now.msecsSinceStartOfDay() / 1000;
  return second > FFromSecond && second < FFromSecond + 59;
}

bool TSleepTimer::Check(QTime now, const std::function<void()>& saveState, TPowerOff& power,
                        const std::function<void(const QString& why)>& refused) const {
  if (!InWindow(now)) return false;
  if (saveState) saveState();
  if (!power.CanPowerOff()) {
    if (refused) refused(kPowerOffNotAllowedText);
    return false;
  }
  power.PowerOff(refused);
  return true;
}
