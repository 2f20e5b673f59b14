// The main window's three dialogs: the sleep timer with its check every second, the intro
// time, and the version dialog.
#include <QAction>
#include <QMenu>
#include <QUrl>

#include "core/platform/memory_status.h"
#include "core/playback/power_off.h"
#include "core/session/player_session.h"
#include "ui/dialogs/error_box.h"
#include "ui/dialogs/intro_time_dialog.h"
#include "ui/dialogs/sleep_timer_dialog.h"
#include "ui/dialogs/version_dialog.h"
#include "ui/main_window/main_window.h"

void TForm1::ConnectDialogs() {
  if (Form4) {
    Form4->OnSet = [this](const QString& hour, const QString& minute) {
      FSleepTimer.Set(hour, minute);  // raises for a text that is no time: nothing is armed
      Timer2->start();
      FMenu.O1->setChecked(true);
    };
    Form4->OnClear = [this] {
      Timer2->stop();
      FMenu.O1->setChecked(false);
    };
  }
  if (Form6) {
    Form6->OnSet = [this](int seconds, const QString& text) {
      FSession.Player().SetIntroInterval(seconds * 1000);  // a running intro cycle restarts
      FMenu.rep4->setTitle(IntroCaption(text));
    };
  }
}

void TForm1::ShowSleepTimerDialog() {
  if (Form4) Form4->exec();
  FMenu.O1->setChecked(Timer2->isActive());  // the mark follows the timer, not the click
}

void TForm1::Timer2Timer() {
  const QTime now = FSleepClock();
  if (!Timer2->isActive() || !FSleepTimer.InWindow(now)) return;  // a tick queued before it stopped
  // One attempt per setting: a power-off refused, or cancelled in the system's prompt, is not
  // asked for again every second of the minute.
  Timer2->stop();
  FMenu.O1->setChecked(false);
  FSleepTimer.Check(
      now,
      [this] {
        try {
          WriteExitState();  // what leaving the program would have kept
        } catch (const std::exception&) {
          // The computer is switched off all the same: that is what was asked for.
        }
      },
      PowerOffService(),
      // The timer is off already; the user must not find the computer on without a word.
      [](const QString& why) { ShowErrorBox(PowerOffFailedText(why)); });
}

void TForm1::ShowIntroTimeDialog() {
  if (Form6) Form6->exec();
}

void TForm1::ShowVersionDialog() {
  if (!Form3) return;
  Form3->SetFreeMemory(QueryMemoryStatus());
  Form3->SetLink(QStringLiteral("VARO のフォルダを開く"), QUrl::fromLocalFile(FSession.Home()));
  Form3->exec();
}
