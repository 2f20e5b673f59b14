#include "ui/main_window/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>

#include "core/platform/ui_font.h"
#include "core/platform/window_system.h"
#include "core/playback/play_queue.h"
#include "core/playlist/playlist_service.h"
#include "core/session/player_session.h"
#include "core/settings/application_home.h"
#include "core/settings/settings_update.h"
#include "formats/settings_file.h"
#include "formats/settings_keys.h"
#include "formats/skin_pack.h"
#include "ui/dialogs/error_box.h"
#include "ui/lyrics/lyrics_window.h"
#include "ui/playlist/playlist_window.h"
#include "ui/tray/task_tray.h"
#include "ui/widgets/file_drops.h"
#include "ui/widgets/form_rgn.h"
#include "ui/widgets/image_button.h"
#include "ui/widgets/window_dragger.h"

namespace {

template <class T>
T* Named(T* control, const char* name) {
  control->setObjectName(QLatin1String(name));
  return control;
}

QLabel* TitleLabel(QWidget* parent, const char* name, const QColor& color, QRect geometry) {
  auto* label = Named(new QLabel(parent), name);
  label->setAlignment(Qt::AlignCenter);
  label->setFont(LabelFont(TForm1::kDefaultLabelPixels));
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, color);
  label->setPalette(palette);
  label->setGeometry(geometry);
  return label;
}

}  // namespace

TForm1::TForm1(TPlayerSession& session)
    : QWidget(nullptr, Qt::FramelessWindowHint), FSession(session), FMenu(this) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("VARO"));
  if (IsNativeWayland()) setAttribute(Qt::WA_TranslucentBackground);
  resize(kClientWidth, kClientHeight);
  Timer2 = Named(new QTimer(this), "Timer2");
  Timer3 = Named(new QTimer(this), "Timer3");
  Timer2->setInterval(1000);
  Timer3->setInterval(100);
  connect(Timer3, &QTimer::timeout, this, &TForm1::Timer3Timer);
  connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
  CreateControls();
  ConnectSession();
  ConnectMenu();
  ConnectButtons();
  CreateTaskTray();
}

TForm1::~TForm1() = default;

void TForm1::CreateControls() {
  FR1 = Named(new TFormRgn(this), "FR1");
  // The shadows first, so the white text lies above them.
  Label3 = TitleLabel(this, "Label3", Qt::black, QRect(1, 49, kClientWidth, 20));
  Label4 = TitleLabel(this, "Label4", Qt::black, QRect(1, 69, kClientWidth, 20));
  Label1 = TitleLabel(this, "Label1", Qt::white, QRect(0, 48, kClientWidth, 20));
  Label2 = TitleLabel(this, "Label2", Qt::white, QRect(0, 68, kClientWidth, 20));
  Image1 = Named(new TImageButton(this, QStringLiteral("再生"), true), "Image1");
  Image2 = Named(new TImageButton(this, QStringLiteral("停止"), true), "Image2");
  Image3 = Named(new TImageButton(this, QStringLiteral("一時停止"), true), "Image3");
  Image11 = Named(new TImageButton(this, QStringLiteral("前の曲"), true), "Image11");
  Image12 = Named(new TImageButton(this, QStringLiteral("次の曲"), true), "Image12");
  Image8 = Named(new TImageButton(this, QStringLiteral("再生リスト"), true), "Image8");
  Image10 = Named(new TImageButton(this, QStringLiteral("最小化"), false), "Image10");
  Image9 = Named(new TImageButton(this, QStringLiteral("終了"), false), "Image9");
  Image14 = Named(new TImageButton(this, QString(), false), "Image14");
  CreateTimeControls();

  FDragger = new TWindowDragger(this, [this] { return FR1->size(); });
  for (QWidget* handle : std::initializer_list<QWidget*>{FR1, Label1, Label2, Label3, Label4}) {
    FDragger->AddHandle(handle);
    handle->installEventFilter(this);  // right click: PopupMenu1
  }
}

// First of the session's listeners: the lyrics window is shown before its lyrics start.
void TForm1::ConnectSession() {
  connect(&FSession, &TPlayerSession::TrackStarted, this, &TForm1::ShowTrack);
  connect(&FSession, &TPlayerSession::SongListChanged, this, &TForm1::BuildSongMenu);
  // Added files and whole lists show in the song menu; a move or a delete waits for the next
  // track start.
  connect(&FSession.Queue(), &TPlayQueue::Changed, this, [this](const TQueueChange& change) {
    if (change.Kind == TQueueChange::Inserted || change.Kind == TQueueChange::Reset ||
        change.Kind == TQueueChange::Rows)
      BuildSongMenu();
  });
  connect(&FSession.Playlist(), &TPlaylistService::PlaylistSaved, this, &TForm1::BuildPlaylistMenu);
  connect(&FSession, &TPlayerSession::LyricsStarted, this, &TForm1::ShowLyricsWindow);
  ConnectTime();
}

void TForm1::ConnectButtons() {
  TQueuePlayer& p = FSession.Player();
  connect(Image1, &TImageButton::clicked, this, [&p] { p.PlayCommand(); });
  connect(Image2, &TImageButton::clicked, this, [&p] { p.StopCommand(); });
  connect(Image3, &TImageButton::clicked, this, [&p] { p.PauseCommand(); });
  connect(Image11, &TImageButton::clicked, this, [&p] { p.PreviousCommand(); });
  connect(Image12, &TImageButton::clicked, this, [&p] { p.NextCommand(); });
  connect(Image8, &TImageButton::clicked, this,
          [this] { RunShowingErrors([this] { TogglePlaylistWindow(); }); });
  connect(Image10, &TImageButton::clicked, this, [this] { RunShowingErrors([this] { ToggleTaskTray(); }); });
  connect(Image9, &TImageButton::clicked, this, &TForm1::ExitProgram);
  connect(Image14, &TImageButton::clicked, this, &TForm1::ShowVersionDialog);
}

void TForm1::ConnectMenu() {
  TQueuePlayer& p = FSession.Player();
  TMainPopupMenu& m = FMenu;
  auto on = [this](QAction* action, auto&& fn) {
    connect(action, &QAction::triggered, this, [fn] { RunShowingErrors(fn); });
  };
  on(m.P1, [&p] { p.PlayCommand(); });
  on(m.Q1, [&p] { p.StopCommand(); });
  on(m.U1, [&p] { p.PauseCommand(); });
  on(m.N3, [&p] { p.PreviousCommand(); });
  on(m.B1, [&p] { p.NextCommand(); });
  for (int mode = pmRepeatOne; mode <= pmRandom; ++mode)
    on(m.ModeItem(mode), [this, mode] { ChoosePlayMode(mode); });
  connect(m.rep4, &QMenu::aboutToShow, this,
          [this] { RunShowingErrors([this] { ChoosePlayMode(pmIntro); }); });
  on(m.S2, [this] { ShowIntroTimeDialog(); });
  on(m.O1, [this] { ShowSleepTimerDialog(); });
  on(m.N1, [this] { ToggleTaskTray(); });
  on(m.staytop1, [this] { SetStayOnTop(FMenu.staytop1->isChecked()); });
  on(m.L1, [this] { TogglePlaylistWindow(); });
  on(m.K1, [this] { ShowLyricsWindow(); });
  on(m.H1,
     [this] { LoadSkin(QString::fromLatin1(kDefaultSkinName), kSkinMain | kSkinPlaylist | kSkinLyrics); });
  on(m.N8, [this] { WriteHistory(); });
  on(m.About1, [this] { ShowVersionDialog(); });
  on(m.Exit1, [this] { ExitProgram(); });
}

void TForm1::AttachWindows(TForm2* form2, TForm3* form3, TForm4* form4, TForm5* form5, TForm6* form6) {
  Form2 = form2;
  Form3 = form3;
  Form4 = form4;
  Form5 = form5;
  Form6 = form6;
  ConnectDialogs();
}

bool TForm1::FormCreate() {
  TSettingsFile& settings = FSession.Settings();
  const QString skin = settings.ReadString(kKeySkin, QString::fromLatin1(kDefaultSkinName));
  if (!QFileInfo(SkinDir(FSession.Home()) + QStringLiteral("/default.bmp")).isFile()) {
    ShowErrorBox(kMissingSkinText);
    return false;
  }
  try {
    LoadSkin(skin, kSkinMain);
  } catch (const std::exception& e) {
    // A broken skin must not cost the rest of the start: say so, then try the standard one.
    ShowErrorBox(QString::fromUtf8(e.what()));
    if (skin != QLatin1String(kDefaultSkinName))
      RunShowingErrors([this] { LoadSkin(QString::fromLatin1(kDefaultSkinName), kSkinMain); });
  }
  RunShowingErrors([this] {
    FR1->BuildRegion();
    FR1->ApplyRegion();
  });
  setAcceptDrops(true);

  Label1->clear();
  Label2->clear();
  Label1->hide();
  Label2->hide();
  if (settings.ReadInteger(kKeyWindow, 1) == 1) {
    Label1->show();
    Label2->show();
  }
  if (CanPlaceWindows())
    move(settings.ReadInteger(kKeyWindowX, kDefaultWindowPos),
         settings.ReadInteger(kKeyWindowY, kDefaultWindowPos));
  FShowRemaining = settings.ReadInteger(kKeyTimeRemaining, 0) == 1;

  // The play mode, the stored queue, the ranking; a restored queue starts playing.
  FSession.RestoreState();
  ShowTime();
  for (QAction* item : FMenu.repGroup->actions()) item->setChecked(false);
  if (QAction* item = FMenu.ModeItem(FSession.Player().PlayMode())) item->setChecked(true);

  if (!CanStayOnTop()) FMenu.staytop1->setEnabled(false);
  if (settings.ReadInteger(kKeyStayTop, 0) == 1 && CanStayOnTop()) {
    FMenu.staytop1->setChecked(true);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
  }
  FPlaylistPending = true;
  FillSkinMenu();
  BuildSongMenu();
  BuildPlaylistMenu();
  FDeferredSkinDone = false;
  FPlaylistSkinPending = true;
  // Last: an error box above runs the event loop, and the deferred load must neither run
  // before the other windows exist nor find a skin name that failed and was replaced.
  StartDeferredSkinLoad();
  return true;
}

void TForm1::HoldDeferredSkinLoad() { Timer3->stop(); }

void TForm1::StartDeferredSkinLoad() { Timer3->start(); }

void TForm1::WriteExitState() {
  // One replace of the file for the whole queue: an exit cut short leaves the old queue.
  TSettingsFile& settings = FSession.Settings();
  InOneSettingsUpdate(settings, [this, &settings] {
    FSession.StoreQueueState();
    if (CanPlaceWindows()) {
      settings.WriteInteger(kKeyWindowX, x());
      settings.WriteInteger(kKeyWindowY, y());
    }
  });
}

void TForm1::ExitProgram() {
  RunShowingErrors([this] { WriteExitState(); });
  FExitStateWritten = true;
  // The user asked to leave: a settings file that cannot be written (the box said so) does
  // not keep the program open.
  close();
}

void TForm1::closeEvent(QCloseEvent* event) {
  // Closed by the window manager or the desktop (Alt+F4, logging out): keep what the exit
  // command keeps.
  if (!FExitStateWritten) {
    FExitStateWritten = true;
    RunShowingErrors([this] { WriteExitState(); });
  }
  event->accept();
  for (QWidget* w : std::initializer_list<QWidget*>{Form2, Form5})
    if (w) w->hide();
  QCoreApplication::quit();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ContextMenu) {
    FMenu.PopupMenu1->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) { AcceptFileDrag(event); }

void TForm1::dropEvent(QDropEvent* event) {
  const QStringList files = TakeFileDrop(event);
  RunShowingErrors([this, files] { FilesDropped(files); });
}

// Unreadable files are skipped without a word; then the queue starts unless it plays.
void TForm1::FilesDropped(const QStringList& paths, TAddPolicy policy) {
  PlacePlaylistWindow();
  if (Form2) Form2->show();
  RunShowingErrors([this, &paths, policy] { FSession.Playlist().AddFiles(paths, policy); });
}

void TForm1::PlacePlaylistWindow() {
  if (Form2 && CanPlaceWindows()) Form2->move(x() + FR1->width(), y());
}

void TForm1::TogglePlaylistWindow() {
  if (!Form2) return;
  if (Form2->isVisible()) {
    Form2->close();
    return;
  }
  PlacePlaylistWindow();
  Form2->show();
  if (FPlaylistPending) {
    TPlaylistService& playlist = FSession.Playlist();
    playlist.SetListName(FSession.ListFileName());
    FPlaylistPending = false;
    if (playlist.ListName() != kUnnamedListName) playlist.LoadPlaylist(playlist.ListName());
  }
}

void TForm1::ChoosePlayMode(int mode) {
  if (QAction* item = FMenu.ModeItem(mode)) item->setChecked(true);
  FSession.ChoosePlayMode(mode);
}

void TForm1::SetStayOnTop(bool on) {
  if (!CanStayOnTop()) return;
  FMenu.staytop1->setChecked(on);
  const bool visible = isVisible();
  const QPoint at = pos();
  setWindowFlag(Qt::WindowStaysOnTopHint, on);  // hides the window
  if (visible) {
    setAttribute(Qt::WA_ShowWithoutActivating, on);
    move(at);
    show();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
  }
  FSession.Settings().WriteInteger(kKeyStayTop, on ? 1 : 0);
}

void TForm1::ShowLyricsWindow() {
  if (FHiddenInTray || !Form5) return;
  if (CanPlaceWindows()) Form5->move(x(), y() + FR1->height());
  Form5->show();
}
