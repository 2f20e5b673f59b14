#include "ui/lyrics/lyrics_window.h"

#include <QAction>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "core/lyrics/lyrics_display.h"
#include "core/platform/data_paths.h"
#include "core/platform/ui_font.h"
#include "core/platform/window_system.h"
#include "core/playback/play_queue.h"
#include "core/playlist/playlist_service.h"
#include "core/session/player_session.h"
#include "formats/settings_file.h"
#include "formats/settings_keys.h"
#include "formats/skin_layout.h"
#include "ui/dialogs/dialogs.h"
#include "ui/dialogs/error_box.h"
#include "ui/widgets/form_rgn.h"
#include "ui/widgets/image_button.h"
#include "ui/widgets/window_dragger.h"

namespace {

constexpr QSize kBackgroundSize(270, 157);

}  // namespace

QImage LoadLyricsBackground(const QString& picturesDir, size_t index) {
  // pink, blue, green, red, orange
  static constexpr std::array<QRgb, kBuiltInBackgroundCount> fallback{0xE87FA8, 0x4F7FD8, 0x4FA86A, 0xC8404A,
                                                                      0xE8903A};
  QImage image(QDir(picturesDir).filePath(QStringLiteral("kasi_back%1.bmp").arg(index + 1)));
  if (image.isNull()) {
    image = QImage(kBackgroundSize, QImage::Format_RGB32);
    image.fill(fallback.at(index));
  }
  return image;
}

// Owned by its parent (the main window), as a tool window: one taskbar entry for the program,
// and the window manager keeps it with the main window.
TForm5::TForm5(TPlayerSession& session, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), FSession(session) {
  setObjectName(QStringLiteral("Form5"));
  setWindowTitle(QStringLiteral("歌詞"));
  if (IsNativeWayland()) setAttribute(Qt::WA_TranslucentBackground);
  resize(kClientWidth, kClientHeight);
  fr5 = new TFormRgn(this);
  pb1 = new QWidget(this);
  Image9 = new TImageButton(this, QStringLiteral("終了"), false);
  Image15 = new TImageButton(this, QString(), false);
  Image16 = new TImageButton(this, QString(), false);
  pb1->resize(kBackgroundSize);

  PopupMenu1 = new QMenu(this);
  O1 = PopupMenu1->addMenu(QStringLiteral("背景画像変更(&O)"));
  FBackgrounds = new QActionGroup(this);
  FBackgrounds->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  auto background = [this](const QString& caption, int kind) {
    QAction* item = O1->addAction(caption);
    item->setCheckable(true);
    FBackgrounds->addAction(item);
    if (kind != kKasiBackUser)
      connect(item, &QAction::triggered, this, [this, item, kind] {
        FChosenBackground = item;
        ChooseBackground(kind);
      });
    return item;
  };
  N1 = background(QStringLiteral("ピンク"), 1);
  N2 = background(QStringLiteral("ブルー"), 2);
  iero1 = background(QStringLiteral("グリーン"), 3);
  N5 = background(QStringLiteral("レッド"), 4);
  N6 = background(QStringLiteral("オレンジ"), 5);
  N4 = background(QStringLiteral("その他"), kKasiBackUser);
  N3 = background(QStringLiteral("なし"), kKasiBackNone);
  Font1 = PopupMenu1->addAction(QStringLiteral("フォント(&F)"));
  connect(N4, &QAction::triggered, this, [this] { RunShowingErrors([this] { N4Click(); }); });
  connect(Font1, &QAction::triggered, this, [this] { RunShowingErrors([this] { Font1Click(); }); });

  connect(Image9, &TImageButton::clicked, this, &QWidget::close);
  connect(Image15, &TImageButton::clicked, this, &TForm5::Image15Click);
  connect(Image16, &TImageButton::clicked, this, &TForm5::Image16Click);

  TLyricsDisplay::TView view;
  view.PaintBoxSize = [this] { return pb1->size(); };
  view.Update = [this] { pb1->update(); };
  view.PixelStep = [this] {
    pb1->repaint();
    QCoreApplication::processEvents();  // a long scroll keeps the program responsive
  };
  view.Position = [&session] { return session.TrackPosition(); };
  view.PrepareBackground = [this](int kind) { KeepBackground(kind); };
  FLyrics = std::make_unique<TLyricsDisplay>(session.Settings(), session.Timer1(), img, img200,
                                             InterfaceFont(), view);
  connect(&session.Timer1(), &QTimer::timeout, this, &TForm5::LyricsTick);
  connect(&session, &TPlayerSession::LyricsStarted, this, &TForm5::StartLyrics);
  connect(&session, &TPlayerSession::LyricsStopped, this, &TForm5::CloseLyricsFile);
  connect(&session, &TPlayerSession::LyricsPaused, this, &TForm5::PauseLyrics);
  connect(&session, &TPlayerSession::LyricsResumed, this, &TForm5::ResumeLyrics);
  connect(&session, &TPlayerSession::Sought, this,
          [this](qint64 ms) { FLyrics->Seek(ms, TLyricsClock::now()); });
  connect(&session, &TPlayerSession::LyricsDropped, this, [this] {
    if (isVisible()) close();
  });

  for (QWidget* w : {static_cast<QWidget*>(fr5), pb1}) w->installEventFilter(this);
  fr5->BuildRegion();
  fr5->ApplyRegion();
  auto* dragger = new TWindowDragger(this);
  dragger->AddHandle(fr5);
}

TForm5::~TForm5() = default;

void TForm5::ApplySkin(const TSkinLayout& layout, const std::array<QImage, 20>& pictures) {
  Image1 = pictures[11];
  fr5->SetPicture(Image1);
  const std::array<std::pair<int, TImageButton*>, 3> buttons{{{12, Image9}, {13, Image15}, {14, Image16}}};
  for (const auto& [piece, button] : buttons) {
    button->SetPicture(pictures[static_cast<size_t>(piece)]);
    button->move(layout.Positions[static_cast<size_t>(piece - 1)]);
  }
  pb1->setGeometry(layout.PaintBox);
  fr5->BuildRegion();
  fr5->ApplyRegion();
}

// Only the built-in background in use stays decoded (a fifth of them); another is read
// again when chosen.
void TForm5::KeepBackground(int kind) {
  for (size_t i = 0; i < img.size(); ++i) {
    if (static_cast<int>(i) + 1 != kind)
      img[i] = QImage();
    else if (img[i].isNull())
      img[i] = LoadLyricsBackground(PicturesDir(), i);
  }
}

void TForm5::StartLyrics(const QString& lyricsFile, const QString& speedCell) {
  FLyrics->Start(lyricsFile, speedCell, TLyricsClock::now(), FSession.LyricsTrack());
}

void TForm5::CloseLyricsFile() { FLyrics->CloseFile(); }

void TForm5::LyricsTick() { FLyrics->Tick(TLyricsClock::now()); }

void TForm5::PauseLyrics() { FLyrics->Pause(TLyricsClock::now()); }

void TForm5::ResumeLyrics() { FLyrics->Resume(TLyricsClock::now()); }

void TForm5::ChooseBackground(int kind) { FLyrics->ChooseBackground(kind); }

void TForm5::N4Click() {
  TSettingsFile& settings = FSession.Settings();
  const QStringList files =
      Dialogs().OpenFiles(this, settings.ReadString(kKeyOpenDir, FSession.Home()), kBackgroundFilter);
  if (files.isEmpty()) {  // the mark goes back to the background still shown
    N4->setChecked(false);
    if (FChosenBackground) FChosenBackground->setChecked(true);
    return;
  }
  FLyrics->ChooseUserBackground(files.first());
  N4->setChecked(true);
  FChosenBackground = N4;
  settings.WriteString(kKeyOpenDir, files.first());
}

void TForm5::Font1Click() {
  const int current = FLyrics->Model()
                          ? FLyrics->Model()->FontSize
                          : FSession.Settings().ReadInteger(kKeyKasiFontSize, kDefaultKasiFontSize);
  if (const std::optional<int> size = Dialogs().FontSize(this, current)) FLyrics->ChooseFontSize(*size);
}

void TForm5::WriteSpeedCell(const QString& text) {
  FSession.Playlist().SetLyricsSpeed(FSession.Queue().CurrentIndex(), text);
}

void TForm5::Image15Click() { WriteSpeedCell(FLyrics->Faster()); }

void TForm5::Image16Click() { WriteSpeedCell(FLyrics->Slower()); }

void TForm5::LineClick(int y) {
  const auto& model = FLyrics->Model();
  if (!model) return;
  if (const std::optional<int64_t> ms = model->LineTimeAt(y))
    RunShowingErrors([this, ms] { FSession.SeekTo(*ms); });
}

bool TForm5::eventFilter(QObject* watched, QEvent* event) {
  if (watched == pb1 && event->type() == QEvent::Paint) {
    if (const auto& model = FLyrics->Model()) {
      QPainter painter(pb1);
      painter.drawImage(QPoint(0, 0), model->Composite);
    }
    return true;
  }
  if (watched == pb1 && event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    LineClick(static_cast<QMouseEvent*>(event)->position().toPoint().y());
    return true;
  }
  if (event->type() == QEvent::ContextMenu) {
    PopupMenu1->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
  }
  return QWidget::eventFilter(watched, event);
}
