// The sleep timer: the minute at which the computer is switched off, and the check the
// main window runs every second.
#pragma once

#include <QString>
#include <QTime>

#include <functional>
#include <stdexcept>

class TPowerOff;

class EConvertError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TSleepTimer {
 public:
  // The texts shown for the armed minute: hour as typed, two-digit minute, seconds 00 / 59.
  QString SleepFrom;
  QString SleepTo;

  // Arms the minute. An hour or minute that is not a number of the clock (0-23, 0-59)
  // raises EConvertError and leaves the armed minute as it was. "07" is hour 7.
  void Set(const QString& hourText, const QString& minuteText);
  bool IsSet() const { return FFromSecond >= 0; }

  // Seconds 01 to 58 of the armed minute.
  bool InWindow(QTime now) const;

  // The check of one tick: inside the window, first saveState (what the exit sequence
  // writes, so nothing is lost), then the power-off if the system allows it. True when
  // the power-off was asked for; refused hears when it was not allowed, now or later.
  bool Check(QTime now, const std::function<void()>& saveState, TPowerOff& power,
             const std::function<void(const QString& why)>& refused = {}) const;

 private:
  int FFromSecond = -1;  // second of the day of the armed minute's second 00
};

inline const QString kPowerOffNotAllowedText = QStringLiteral("システムが許可していません");

// What the user is told when the computer could not be switched off.
inline QString PowerOffFailedText(const QString& why) {
  return QStringLiteral("パソコンの電源を切れませんでした（%1）。おやすみタイマーは解除されました。")
      .arg(why);
}

// A number of the clock from its text, or EConvertError.
int ClockNumber(const QString& text, int highest);
