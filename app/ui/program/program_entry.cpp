#include "ui/program/program_entry.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QIcon>
#include <QThread>
#include <QTimer>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>

#include "core/platform/data_paths.h"
#include "core/platform/exit_signals.h"
#include "core/platform/mpris_service.h"
#include "core/platform/single_instance.h"
#include "core/platform/sleep_inhibitor.h"
#include "core/platform/window_system.h"
#include "core/playback/play_queue.h"
#include "core/playlist/playlist_service.h"
#include "core/session/player_session.h"
#include "core/settings/application_home.h"
#include "formats/playlist_files.h"
#include "ui/dialogs/error_box.h"
#include "ui/dialogs/intro_time_dialog.h"
#include "ui/dialogs/sleep_timer_dialog.h"
#include "ui/dialogs/version_dialog.h"
#include "ui/lyrics/lyrics_window.h"
#include "ui/main_window/main_window.h"
#include "ui/playlist/playlist_window.h"
#include "ui/program/varo_application.h"
#include "ui/widgets/window_activation.h"

namespace {

// How long a start waits for a player that holds the home while it is starting.
constexpr int kClaimAttempts = 30;
constexpr int kClaimRetryMs = 100;
constexpr int kFirstPaintWaitMs = 1000;
// What start-up read and let go of (skin files, decoded pieces, the font scan) is handed back
// to the system once things have settled, instead of staying in the heap for the whole run.
constexpr int kSettledMs = 2000;

// The window and tray icon. The window system is handed every size the icon has and they are
// held for the whole run: the 128 and 256 pixel ones (a third of a MiB) only for launchers,
// which read the installed icon anyway.
constexpr int kLargestWindowIcon = 64;

QIcon ApplicationIcon() {
  QIcon icon;
  const QDir pictures(PicturesDir());
  for (const QString& file : pictures.entryList({QStringLiteral("varo-*.png")}, QDir::Files))
    if (QFileInfo(file).completeBaseName().mid(5).toInt() <= kLargestWindowIcon)
      icon.addFile(pictures.filePath(file));
  return icon;
}

// A playlist file is loaded as the list, as if chosen in the playlist window, and played
// from its first entry unless something plays already. False for other files.
bool LoadStartPlaylist(TPlayerSession& s, const QString& file) {
  if (PlaylistKindOf(file) == TPlaylistKind::Other) return false;
  RunShowingErrors([&] { s.Playlist().LoadPlaylist(PlaylistName(s.Home(), file)); });
  if (s.Queue().QueueCount() > 0 && s.Player().PlayState() != psPlaying) s.StartEntry(0);
  return true;
}

}  // namespace

namespace {

struct TStartParser {
  QCommandLineParser Parser;
  QCommandLineOption Home{QStringLiteral("home"), QStringLiteral("Folder for settings, playlists and skins."),
                          QStringLiteral("DIR")};
  QCommandLineOption Enqueue{
      QStringLiteral("enqueue"),
      QStringLiteral("Add the files to the play queue without interrupting what plays.")};
  // For unattended start-up checks (an installed program's first start); not for users.
  QCommandLineOption ExitAfter{QStringLiteral("exit-after"),
                               QStringLiteral("Run the exit command MS milliseconds after start-up."),
                               QStringLiteral("MS")};

  TStartParser() {
    Parser.setApplicationDescription(QStringLiteral("VARO, an MP3 player"));
    Parser.addHelpOption();
    Parser.addVersionOption();
    Parser.addOption(Home);
    Parser.addOption(Enqueue);
    ExitAfter.setFlags(QCommandLineOption::HiddenFromHelp);
    Parser.addOption(ExitAfter);
    Parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("MP3 files or playlists to play."),
                                 QStringLiteral("[FILE...]"));
  }

  TStartOptions Options() const {
    TStartOptions options;
    options.Home = Parser.value(Home);
    options.Enqueue = Parser.isSet(Enqueue);
    for (const QString& file : Parser.positionalArguments())
      options.Files.append(QFileInfo(file).absoluteFilePath());
    return options;
  }
};

// Runs once, after the window's first paint has reached the screen (or after a while when it
// never paints, hidden or unmapped).
class TFirstPaint : public QObject {
 public:
  TFirstPaint(QWidget* window, std::function<void()> then) : FThen(std::move(then)) {
    window->installEventFilter(this);
    QTimer::singleShot(kFirstPaintWaitMs, this, &TFirstPaint::Run);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      watched->removeEventFilter(this);
      QTimer::singleShot(0, this, &TFirstPaint::Run);
    }
    return false;
  }

 private:
  void Run() {
    if (!FThen) return;
    std::exchange(FThen, nullptr)();
  }

  std::function<void()> FThen;
};

QString LauncherActivationToken() {
  const QString wayland = qEnvironmentVariable("XDG_ACTIVATION_TOKEN");
  return wayland.isEmpty() ? qEnvironmentVariable("DESKTOP_STARTUP_ID") : wayland;
}

THandOver HandOverOf(const TStartOptions& options) {
  return {options.Files, options.Enqueue, LauncherActivationToken()};
}

void RaiseMainWindow(TForm1& form1, const QString& activationToken) {
  if (form1.HiddenInTray()) form1.RestoreFromTray();
  ActivateForLaunch(&form1, activationToken);
}

}  // namespace

TStartOptions ParseCommandLine(const QStringList& arguments) {
  TStartParser p;
  p.Parser.process(arguments);
  TStartOptions options = p.Options();
  if (p.Parser.isSet(p.ExitAfter)) {
    bool ok = false;
    options.ExitAfterMs = p.Parser.value(p.ExitAfter).toInt(&ok);
    if (!ok || options.ExitAfterMs < 0) {
      std::fputs("varo: --exit-after needs a number of milliseconds\n", stderr);
      std::exit(2);
    }
  }
  return options;
}

int HandOverStart(const QStringList& arguments) {
  TStartParser p;
  // The version needs no display; help and mistakes are answered by the full start.
  const bool parsed = p.Parser.parse(arguments);
  if (parsed && p.Parser.isSet(QStringLiteral("version"))) {
    std::fputs("VARO " VARO_VERSION "\n", stdout);
    return 0;
  }
  if (!parsed || p.Parser.isSet(QStringLiteral("help")) || p.Parser.isSet(p.ExitAfter)) return -1;
  const TStartOptions options = p.Options();
  const QString home = ChooseApplicationHome(ProcessHomeCandidates(options.Home));
  switch (HandOverToRunningInstance(home, HandOverOf(options))) {
    case THandOverResult::Done:
      return 0;
    case THandOverResult::NoAnswer:
      std::fputs("varo: the running VARO does not answer\n", stderr);
      return 1;
    case THandOverResult::NoInstance:
      break;
  }
  return -1;
}

TApplicationWindows CreateMainWindow(const QString& home, bool holdStarts) {
  TApplicationWindows w;
  // Only the main window's exit paths end the program: closing a dialog, an error box or the
  // playlist window while the main window waits in the tray must not.
  QApplication::setQuitOnLastWindowClosed(false);
  PrepareApplicationHome(home, DataDir());
  w.Session = std::make_unique<TPlayerSession>(home);
  if (holdStarts) w.Session->HoldStarts();
  // Form1 listens to the session first: the lyrics window is shown before its lyrics start.
  w.Form1 = std::make_unique<TForm1>(*w.Session);
  if (!w.Form1->FormCreate()) {
    w.Form1.reset();
    w.Session.reset();
  }
  return w;
}

void CreateOtherWindows(TApplicationWindows& w) {
  w.Form2 = std::make_unique<TForm2>(*w.Session, w.Form1.get());
  w.Form3 = std::make_unique<TForm3>();
  w.Form4 = std::make_unique<TForm4>();
  w.Form5 = std::make_unique<TForm5>(*w.Session, w.Form1.get());
  w.Form6 = std::make_unique<TForm6>();
  w.Form1->AttachWindows(w.Form2.get(), w.Form3.get(), w.Form4.get(), w.Form5.get(), w.Form6.get());
  ConnectWindows(w);
}

TApplicationWindows CreateApplicationWindows(const QString& home) {
  TApplicationWindows w = CreateMainWindow(home, false);
  if (w.Form1) CreateOtherWindows(w);
  return w;
}

void ConnectWindows(TApplicationWindows& w) {
  QObject::connect(w.Form2.get(), &TForm2::Shown, w.Form1.get(), &TForm1::RunDeferredSkinLoad);
}

void ConnectDesktop(TApplicationWindows& w, TSingleInstance* instance, TMprisService* mpris) {
  TForm1* form1 = w.Form1.get();
  if (instance)
    QObject::connect(instance, &TSingleInstance::HandedOver, form1,
                     [&w, form1](const QStringList& files, bool enqueue, const QString& token) {
                       RunShowingErrors([&] {
                         if (enqueue) {
                           w.Session->Playlist().AddFiles(files, TAddPolicy::Enqueue);
                           return;
                         }
                         if (!files.isEmpty()) QueueStartFiles(w, files, QString());
                         RaiseMainWindow(*form1, token);
                       });
                     });
  if (!mpris) return;
  QObject::connect(mpris, &TMprisService::RaiseRequested, form1,
                   [form1] { RaiseMainWindow(*form1, QString()); });
  QObject::connect(mpris, &TMprisService::QuitRequested, form1, &TForm1::ExitProgram, Qt::QueuedConnection);
  QObject::connect(mpris, &TMprisService::OpenRequested, form1, [form1](const QStringList& files) {
    RunShowingErrors([&] { form1->FilesDropped(files); });
  });
  QObject::connect(mpris, &TMprisService::PlayModeRequested, form1,
                   [form1](int mode) { RunShowingErrors([&] { form1->ChoosePlayMode(mode); }); });
  QObject::connect(mpris, &TMprisService::CommandFailed, form1, &ShowErrorBox);
}

void QueueStartFiles(TApplicationWindows& w, const QStringList& files, const QString& demoDir) {
  TForm1& form1 = *w.Form1;
  TPlayerSession& s = *w.Session;
  if (!files.isEmpty()) {
    QStringList tracks;
    for (const QString& file : files)
      if (!LoadStartPlaylist(s, file)) tracks.append(file);
    if (!tracks.isEmpty()) form1.FilesDropped(tracks, TAddPolicy::StartFiles);
    form1.KeepStartList();
    return;
  }
  const QString demo = demoDir + QStringLiteral("/varo-demo.mp3");
  if (s.FirstStart() && s.Queue().QueueCount() == 0 && QFileInfo(demo).isFile())
    s.QueueDemoTrack(demo, demoDir + QStringLiteral("/varo-demo.txt"));
}

int RunProgram(const QStringList& arguments) {
  const TStartOptions options = ParseCommandLine(arguments);
  // After the command line: its help is written in English, and Qt's part of it stays so.
  InstallQtTranslations();
  const QString home = ChooseApplicationHome(ProcessHomeCandidates(options.Home));
  TSingleInstance instance(home);
  instance.HoldHandOvers();
  for (int attempt = 0; !instance.Claim(); ++attempt) {
    // The home is held but nobody answers yet: that player is still starting.
    if (HandOverToRunningInstance(home, HandOverOf(options)) == THandOverResult::Done) return 0;
    if (attempt == kClaimAttempts) {
      std::fputs("varo: another VARO holds this home but does not answer; starting anyway\n", stderr);
      break;
    }
    QThread::msleep(kClaimRetryMs);
  }
  TApplicationWindows windows;
  try {
    windows = CreateMainWindow(home, true);
  } catch (const std::exception& e) {
    ShowErrorBox(QString::fromUtf8(e.what()));
    return 1;
  }
  if (!windows.Form1) return 1;
  // The deferred skin load waits for the windows it skins.
  windows.Form1->HoldDeferredSkinLoad();
  TMprisService mpris(*windows.Session);
  TSleepInhibitor inhibitor(*windows.Session);
  windows.Form1->show();
  TExitSignals exitSignals([form1 = windows.Form1.get()] { form1->close(); });
  // The main window is on screen first; the rest of start-up follows its first paint: the
  // other windows (hidden until wanted), the window icon, the files to play, the session bus
  // and the sound device.
  TFirstPaint firstPaint(windows.Form1.get(), [&] {
    try {
      CreateOtherWindows(windows);
    } catch (const std::exception& e) {
      ShowErrorBox(QString::fromUtf8(e.what()));
      windows.Form1->close();
      return;
    }
    windows.Form1->StartDeferredSkinLoad();
    // Decoding the icon's sizes is not worth a later first window either.
    QApplication::setWindowIcon(ApplicationIcon());
    ConnectDesktop(windows, &instance, &mpris);
    mpris.Register(QDBusConnection::sessionBus());
    RunShowingErrors([&] { QueueStartFiles(windows, options.Files, DemoDir()); });
    instance.ReleaseHandOvers();  // after this start's own files
    RunShowingErrors([&] { windows.Session->ReleaseStarts(); });
    // By then the deferred skin load has run and the track plays.
    QTimer::singleShot(kSettledMs, [] { malloc_trim(0); });
  });
  if (options.ExitAfterMs >= 0)
    QTimer::singleShot(options.ExitAfterMs, windows.Form1.get(), &TForm1::ExitProgram);
  return QApplication::exec();
}
