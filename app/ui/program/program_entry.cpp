#include "ui/program/program_entry.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include "core/platform/data_paths.h"
#include "core/platform/exit_signals.h"
#include "core/playlist/playlist_files.h"
#include "core/session/player_session.h"
#include "core/settings/application_home.h"
#include "ui/dialogs/error_box.h"
#include "ui/dialogs/intro_time_dialog.h"
#include "ui/dialogs/sleep_timer_dialog.h"
#include "ui/dialogs/version_dialog.h"
#include "ui/lyrics/lyrics_window.h"
#include "ui/main_window/main_window.h"
#include "ui/playlist/playlist_window.h"

namespace {

QIcon ApplicationIcon() {
  QIcon icon;
  const QDir pictures(PicturesDir());
  for (const QString& file : pictures.entryList({QStringLiteral("varo-*.png")}, QDir::Files))
    icon.addFile(pictures.filePath(file));
  return icon;
}

// A playlist file is loaded as the list, as if chosen in the playlist window, and played
// from its first entry unless something plays already. False for other files.
bool LoadStartPlaylist(TApplicationWindows& w, const QString& file) {
  if (PlaylistKindOf(file) == TPlaylistKind::Other || !w.Form2) return false;
  w.Form2->SetListName(PlaylistName(w.Session->Home(), file));
  w.Form2->LoadPlaylist();
  if (w.Session->Queue().QueueCount() > 0 && w.Session->Player().PlayState != psPlaying)
    w.Session->StartEntry(0);
  return true;
}

}  // namespace

TStartOptions ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("VARO, an MP3 player"));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption home(QStringLiteral("home"),
                                QStringLiteral("Folder for settings, playlists and skins."),
                                QStringLiteral("DIR"));
  parser.addOption(home);
  // For unattended start-up checks (an installed program's first start); not for users.
  QCommandLineOption exitAfter(QStringLiteral("exit-after"),
                               QStringLiteral("Run the exit command MS milliseconds after start-up."),
                               QStringLiteral("MS"));
  exitAfter.setFlags(QCommandLineOption::HiddenFromHelp);
  parser.addOption(exitAfter);
  parser.addPositionalArgument(QStringLiteral("files"), QStringLiteral("MP3 files or playlists to play."),
                               QStringLiteral("[FILE...]"));
  parser.process(arguments);
  TStartOptions options;
  options.Home = parser.value(home);
  if (parser.isSet(exitAfter)) {
    bool ok = false;
    options.ExitAfterMs = parser.value(exitAfter).toInt(&ok);
    if (!ok || options.ExitAfterMs < 0) {
      std::fputs("varo: --exit-after needs a number of milliseconds\n", stderr);
      std::exit(2);
    }
  }
  for (const QString& file : parser.positionalArguments())
    options.Files.append(QFileInfo(file).absoluteFilePath());
  return options;
}

TApplicationWindows CreateApplicationWindows(const QString& home) {
  TApplicationWindows w;
  // Only the main window's exit paths end the program: closing a dialog, an error box or the
  // playlist window while the main window waits in the tray must not.
  QApplication::setQuitOnLastWindowClosed(false);
  PrepareApplicationHome(home, DataDir());
  w.Session = std::make_unique<TPlayerSession>(home);
  // Form1 listens to the session first: the lyrics window is shown before its lyrics start.
  w.Form1 = std::make_unique<TForm1>(*w.Session);
  if (!w.Form1->FormCreate()) {
    w.Form1.reset();
    w.Session.reset();
    return w;
  }
  w.Form2 = std::make_unique<TForm2>(*w.Session, w.Form1.get());
  w.Form3 = std::make_unique<TForm3>();
  w.Form4 = std::make_unique<TForm4>();
  w.Form5 = std::make_unique<TForm5>(*w.Session, w.Form1.get());
  w.Form6 = std::make_unique<TForm6>();
  w.Form1->AttachWindows(w.Form2.get(), w.Form3.get(), w.Form4.get(), w.Form5.get(), w.Form6.get());
  ConnectWindows(w);
  return w;
}

void ConnectWindows(TApplicationWindows& w) {
  TForm1* form1 = w.Form1.get();
  QObject::connect(w.Form2.get(), &TForm2::PlaylistSaved, form1, &TForm1::BuildPlaylistMenu);
  QObject::connect(w.Form2.get(), &TForm2::Shown, form1, &TForm1::RunDeferredSkinLoad);
}

void QueueStartFiles(TApplicationWindows& w, const QStringList& files, const QString& demoDir) {
  TForm1& form1 = *w.Form1;
  if (!files.isEmpty()) {
    QStringList tracks;
    for (const QString& file : files)
      if (!LoadStartPlaylist(w, file)) tracks.append(file);
    if (!tracks.isEmpty()) form1.FilesDropped(tracks);
    // What the user asked to open is not replaced by the stored list later.
    form1.PlaylistPending = false;
    return;
  }
  const QString demo = demoDir + QStringLiteral("/varo-demo.mp3");
  if (w.Session->FirstStart() && w.Session->Queue().QueueCount() == 0 && QFileInfo(demo).isFile())
    form1.QueueDemoTrack(demo, demoDir + QStringLiteral("/varo-demo.txt"));
}

int RunProgram(const QStringList& arguments) {
  const TStartOptions options = ParseCommandLine(arguments);
  QApplication::setWindowIcon(ApplicationIcon());
  TApplicationWindows windows;
  try {
    windows = CreateApplicationWindows(ChooseApplicationHome(ProcessHomeCandidates(options.Home)));
  } catch (const std::exception& e) {
    ShowErrorBox(QString::fromUtf8(e.what()));
    return 1;
  }
  if (!windows.Form1) return 1;
  windows.Form1->show();
  TExitSignals exitSignals([form1 = windows.Form1.get()] { form1->close(); });
  RunShowingErrors([&] { QueueStartFiles(windows, options.Files, DemoDir()); });
  if (options.ExitAfterMs >= 0)
    QTimer::singleShot(options.ExitAfterMs, windows.Form1.get(), &TForm1::ExitProgram);
  return QApplication::exec();
}
