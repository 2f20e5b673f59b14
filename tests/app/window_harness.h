// The application's windows on the offscreen platform with a temporary home, and fakes for
// everything that would reach out of the test: the common dialogs, the notification area,
// the desktop's opener, the power-off and the error box. A window is tested over a session
// of its own (Session(), then the window), the main window alone (MainWindow()), or all the
// program's windows as the program entry wires them (Start()).
#pragma once

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QStringList>
#include <QTemporaryDir>
#include <QUrl>

#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/platform/desktop_open.h"
#include "core/playback/play_queue.h"
#include "core/playback/power_off.h"
#include "core/playlist/playlist_service.h"
#include "core/session/player_session.h"
#include "core/settings/application_home.h"
#include "formats/settings_file.h"
#include "skin_fixture.h"
#include "ui/dialogs/dialogs.h"
#include "ui/dialogs/error_box.h"
#include "ui/dialogs/intro_time_dialog.h"
#include "ui/dialogs/sleep_timer_dialog.h"
#include "ui/dialogs/version_dialog.h"
#include "ui/lyrics/lyrics_window.h"
#include "ui/main_window/main_window.h"
#include "ui/playlist/playlist_window.h"
#include "ui/program/program_entry.h"
#include "ui/tray/task_tray.h"
#include "ui/widgets/form_rgn.h"

// A control of a window by its object name (Image1, Timer2, ...), not one of the windows it owns.
template <class T = QWidget>
T& Ctl(const QObject& window, const char* name) {
  T* control = window.findChild<T*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
  if (!control) throw std::runtime_error(std::string("no control ") + name);
  return *control;
}

inline TFormRgn& FR1(const QWidget& window) { return Ctl<TFormRgn>(window, "FR1"); }

// The main window's state behind its controls.
struct TForm1TestAccess {
  static bool DeferredSkinDone(const TForm1& f) { return f.FDeferredSkinDone; }
  static bool PlaylistPending(const TForm1& f) { return f.FPlaylistPending; }
  static const TSleepTimer& SleepTimer(const TForm1& f) { return f.FSleepTimer; }
  static void SetSleepClock(TForm1& f, std::function<QTime()> clock) { f.FSleepClock = std::move(clock); }
};
using F1 = TForm1TestAccess;

class TFakePowerOff : public TPowerOff {
 public:
  int Asked = 0;
  bool Can = true;
  QString RefuseWith;  // the system's answer when it says no
  std::function<void()> OnPowerOff;
  bool CanPowerOff() override { return Can; }
  void PowerOff(TPowerOffRefused refused) override {
    ++Asked;
    if (OnPowerOff) OnPowerOff();
    if (!RefuseWith.isEmpty()) refused(RefuseWith);
  }
};

class TFakeTrayShell : public TTrayShell {
 public:
  std::vector<std::pair<int, TNotifyIconData>> Calls;
  bool NotifyIcon(int message, const TNotifyIconData& data) override {
    Calls.emplace_back(message, data);
    return true;
  }
};

struct TWindowHarness {
  QTemporaryDir Dir;
  QString Home;
  QStringList Errors;
  std::vector<QUrl> Opened;
  std::deque<QStringList> OpenAnswers;  // what the open dialog answers, in turn
  QStringList OpenFilters;              // the filters it was asked with
  std::deque<QString> SaveAnswers;
  std::optional<int> FontAnswer;
  TFakePowerOff PowerOff;
  TFakeTrayShell TrayShell;
  TApplicationWindows W;

  TWindowHarness() {
    Home = Dir.filePath(QStringLiteral("home"));
    WriteTestSkin(SkinDir(Home), QStringLiteral("default"), MakeTestSkin(0));
    SetErrorBoxHandler([this](const QString& text) { Errors << text; });
    SetDesktopOpener([this](const QUrl& url) { Opened.push_back(url); });
    SetPowerOffService(&PowerOff);
    SetTrayShell(&TrayShell);
    Dialogs().OpenFiles = [this](QWidget*, const QString&, const QString& filter) {
      OpenFilters << filter;
      if (OpenAnswers.empty()) return QStringList();
      const QStringList answer = OpenAnswers.front();
      OpenAnswers.pop_front();
      return answer;
    };
    Dialogs().SaveFile = [this](QWidget*, const QString&, const QString&, const QString&, const QString&) {
      if (SaveAnswers.empty()) return QString();
      const QString answer = SaveAnswers.front();
      SaveAnswers.pop_front();
      return answer;
    };
    Dialogs().FontSize = [this](QWidget*, int) { return FontAnswer; };
  }
  ~TWindowHarness() {
    Close();
    ResetDialogs();
    SetTrayShell(nullptr);
    SetPowerOffService(nullptr);
    SetDesktopOpener(nullptr);
    SetErrorBoxHandler(nullptr);
  }
  TWindowHarness(const TWindowHarness&) = delete;
  TWindowHarness& operator=(const TWindowHarness&) = delete;

  void Close() {  // the windows refer to the session and Form1 owns the others: they go first
    W.Form6.reset();
    W.Form5.reset();
    W.Form4.reset();
    W.Form3.reset();
    W.Form2.reset();
    W.Form1.reset();
    W.Session.reset();
  }
  TForm1& Start() {
    Close();
    W = CreateApplicationWindows(Home);
    if (!W.Form1) throw std::runtime_error("start-up ended the program");
    W.Form1->show();
    return *W.Form1;
  }
  TPlayerSession& Session() {
    if (!W.Session) W.Session = std::make_unique<TPlayerSession>(Home);
    return *W.Session;
  }
  // The main window over a session of its own, started up and shown; no other window.
  TForm1& MainWindow() {
    Close();
    W.Form1 = std::make_unique<TForm1>(Session());
    if (!W.Form1->FormCreate()) throw std::runtime_error("start-up ended the program");
    W.Form1->show();
    return *W.Form1;
  }
  // Entries of the session's queue, tag titles read from the files.
  void Queue(const QStringList& files) {
    for (const QString& file : files) Session().Playlist().AppendToQueue(file);
  }
  // A copy of the test track under name (its title is its name when it has no tags).
  QString Track(const QString& name, const QString& folder = QString()) {
    const QString dir = folder.isEmpty() ? Dir.path() : folder;
    QDir().mkpath(dir);
    const QString path = dir + u'/' + name;
    if (!QFile::exists(path))
      QFile::copy(QStringLiteral(VARO_TEST_DATA "/corpus/layer2/l2_mpeg1_32k_stereo_64_pink.mp2"), path);
    return path;
  }
  QString WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write the test file");
    f.write(bytes);
    return path;
  }
  QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  TSettingsFile Ini() { return TSettingsFile(SettingsFileName(Home)); }
};
