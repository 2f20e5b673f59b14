#include "ui/playlist/playlist_window.h"

#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTableWidget>

#include <algorithm>

#include "core/platform/window_system.h"
#include "core/playback/play_queue.h"
#include "core/playback/queue_player.h"
#include "core/playlist/playlist_service.h"
#include "core/session/player_session.h"
#include "formats/playlist_files.h"
#include "formats/skin_grid_colors.h"
#include "formats/skin_layout.h"
#include "ui/dialogs/dialogs.h"
#include "ui/dialogs/error_box.h"
#include "ui/widgets/file_drops.h"
#include "ui/widgets/form_rgn.h"
#include "ui/widgets/image_button.h"
#include "ui/widgets/window_dragger.h"

namespace {

QTableWidget* NewGrid(QWidget* parent) {
  auto* gd = new QTableWidget(0, kGridColumns, parent);
  gd->setHorizontalHeaderLabels(
      {QString(), QStringLiteral("MP3"), QStringLiteral("歌詞"), QStringLiteral("速度")});
  gd->verticalHeader()->hide();
  gd->setEditTriggers(QAbstractItemView::NoEditTriggers);
  gd->setSelectionMode(QAbstractItemView::SingleSelection);
  gd->setContextMenuPolicy(Qt::CustomContextMenu);
  return gd;
}

// The name box in the grid's colours.
void PaintCombo(QComboBox* combo, const TGridColors& colors) {
  QPalette palette = combo->palette();
  const std::pair<QPalette::ColorRole, QRgb> roles[] = {{QPalette::Base, colors.Color},
                                                        {QPalette::Text, colors.TextColor},
                                                        {QPalette::Window, colors.FixedColor},
                                                        {QPalette::WindowText, colors.TextColor},
                                                        {QPalette::Button, colors.FixedColor},
                                                        {QPalette::ButtonText, colors.FixedTextColor},
                                                        {QPalette::Highlight, colors.SelectColor},
                                                        {QPalette::HighlightedText, colors.SelectTextColor}};
  for (const auto& [role, rgb] : roles) palette.setColor(role, QColor(rgb));
  combo->setPalette(palette);
}

}  // namespace

// Owned by its parent (the main window) as a tool window, like the lyrics window.
TForm2::TForm2(TPlayerSession& session, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), gd(NewGrid(this)), FSession(session), FGrid(*gd) {
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(QStringLiteral("再生リスト"));
  if (IsNativeWayland()) setAttribute(Qt::WA_TranslucentBackground);
  resize(kClientWidth, kClientHeight);
  FR1 = new TFormRgn(this);
  FR1->lower();  // the background lies under the grid made before it
  combo = new QComboBox(this);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->addItems(PlaylistFilesIn(FSession.Home()));
  combo->setEditText(FSession.Playlist().ListName());
  Image1 = new TImageButton(this, QStringLiteral("再生リスト新規作成"), false);
  Image3 = new TImageButton(this, QStringLiteral("音楽ファイル、再生リストファイルを開く"), false);
  Image4 = new TImageButton(this, QStringLiteral("再生リストファイルに名前をつけて保存"), false);
  Image9 = new TImageButton(this, QStringLiteral("終了"), false);

  PopupMenu1 = new QMenu(this);
  U1 = PopupMenu1->addAction(QStringLiteral("上へ移動(&U)"));
  L1 = PopupMenu1->addAction(QStringLiteral("下へ移動(&L)"));
  Delete1 = PopupMenu1->addAction(QStringLiteral("削除(&D)"));

  auto guarded = [this](void (TForm2::*command)()) {
    return [this, command] { RunShowingErrors([this, command] { (this->*command)(); }); };
  };
  connect(Image1, &TImageButton::clicked, this, guarded(&TForm2::Image1Click));
  connect(Image3, &TImageButton::clicked, this, guarded(&TForm2::Image3Click));
  connect(Image4, &TImageButton::clicked, this, guarded(&TForm2::Image4Click));
  connect(Image9, &TImageButton::clicked, this, &QWidget::close);
  connect(U1, &QAction::triggered, this, guarded(&TForm2::U1Click));
  connect(L1, &QAction::triggered, this, guarded(&TForm2::L1Click));
  connect(Delete1, &QAction::triggered, this, guarded(&TForm2::Delete1Click));
  connect(gd, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu1->popup(gd->viewport()->mapToGlobal(at)); });
  connect(gd, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
    RunShowingErrors([this, row, column] { gdDblClick(row + 1, column); });
  });
  connect(combo, &QComboBox::textActivated, this, &TForm2::ComboEdited);
  connect(combo->lineEdit(), &QLineEdit::textEdited, this, &TForm2::ComboEdited);
  gd->installEventFilter(this);
  TPlaylistService& playlist = FSession.Playlist();
  connect(&FSession.Queue(), &TPlayQueue::Changed, this, &TForm2::ShowChange);
  connect(&FSession.Queue(), &TPlayQueue::CurrentChanged, this, &TForm2::ShowPlayingEntry);
  connect(&FSession, &TPlayerSession::PlayStateChanged, this, &TForm2::ShowPlayingEntry);
  connect(&playlist, &TPlaylistService::ListNameChanged, this, &TForm2::ShowListName);
  connect(&playlist, &TPlaylistService::PlaylistSaved, combo,
          [this](const QString& name) { combo->addItem(name); });

  ShowChange({TQueueChange::Reset});  // the queue as it is (restored at start-up)
  FGrid.SetColumnWidths();
  PaintCombo(combo, FGrid.Colors());
  setAcceptDrops(true);
  FDragger = new TWindowDragger(this);
  FDragger->AddHandle(FR1);
}

void TForm2::ApplySkin(const TSkinLayout& layout, const std::array<QImage, 20>& pictures) {
  const std::array<std::pair<int, TImageButton*>, 4> buttons{
      {{16, Image1}, {17, Image3}, {18, Image4}, {19, Image9}}};
  for (const auto& [piece, button] : buttons) {
    button->SetPicture(pictures[static_cast<size_t>(piece)]);
    button->move(layout.Positions[static_cast<size_t>(piece - 1)]);
  }
  combo->setGeometry(layout.Combo);
  gd->setGeometry(layout.Grid);
  FGrid.SetColumnWidths();
  const TGridColors colors = PlaylistGridColors(layout, pictures[15]);
  FGrid.SetColors(colors);
  PaintCombo(combo, colors);
  FGrid.ScrollToPlayingRow();
}

void TForm2::CopyMainBackground(const QImage& background) {
  FR1->SetPicture(background);
  FR1->BuildRegion();
  FR1->ApplyRegion();
}

void TForm2::ShowRow(int row) {
  const TQueueEntry& entry = FSession.Queue().Entry(row - 1);
  FGrid.SetCell(kTitleColumn, row, entry.Title);
  FGrid.SetCell(kLyricsColumn, row, entry.LyricsFile);
  FGrid.SetCell(kSpeedColumn, row, entry.LyricsSpeed);
}

// The grid takes the queue's rows, then shows the entries that changed (new rows are blank).
void TForm2::ShowChange(const TQueueChange& change) {
  const int rows = FSession.Queue().Rows();
  FGrid.SetRowCount(rows + 1);
  int first = 0;
  int last = rows - 1;
  switch (change.Kind) {
    case TQueueChange::Inserted:
    case TQueueChange::Changed:
      first = change.First;
      last = change.First + change.Count - 1;
      break;
    case TQueueChange::Moved:
      first = std::min(change.First, change.To);
      last = std::max(change.First, change.To);
      break;
    case TQueueChange::Removed:
      first = change.First;  // the entries after it moved up
      break;
    case TQueueChange::Rows:
      return;
    case TQueueChange::Reset:
      break;
  }
  for (int i = first; i <= last; ++i) ShowRow(i + 1);
  ShowPlayingEntry();  // entries came or went under the current index
}

// The current entry once something has been started (stopped, it is the one play starts).
void TForm2::ShowPlayingEntry() {
  const TPlayQueue& queue = FSession.Queue();
  const int current = queue.CurrentIndex();
  const bool marked = FSession.Player().PlayState() != psIdle && current >= 0 && current < queue.QueueCount();
  FGrid.SetPlayingRow(marked ? current + 1 : 0);
}

QString TForm2::ListName() const { return combo->currentText(); }

void TForm2::ShowListName(const QString& name) {
  if (combo->currentText() != name) combo->setEditText(name);
}

void TForm2::ComboEdited(const QString& text) {
  // Typing or choosing loads a list once the name names one; until then the queue stays as
  // it is.
  if (PlaylistKindOf(text) != TPlaylistKind::Other && QFileInfo(PlaylistPath(FSession.Home(), text)).isFile())
    RunShowingErrors([this, &text] { FSession.Playlist().LoadPlaylist(text); });
}

void TForm2::Image1Click() { FSession.Playlist().NewPlaylist(); }

void TForm2::Image3Click() {
  TPlaylistService& playlist = FSession.Playlist();
  playlist.OpenFiles(Dialogs().OpenFiles(this, playlist.OpenDir(), kOpenFilter));
}

void TForm2::Image4Click() {
  const QString path =
      Dialogs().SaveFile(this, kSaveTitle, FSession.Home(), kSaveFilter, QStringLiteral("vrl"));
  if (!path.isEmpty()) FSession.Playlist().SavePlaylist(path);
}

void TForm2::U1Click() { FSession.Playlist().MoveEntryUp(FGrid.SelectedRow() - 1); }

void TForm2::L1Click() { FSession.Playlist().MoveEntryDown(FGrid.SelectedRow() - 1); }

void TForm2::Delete1Click() { FSession.Playlist().DeleteEntry(FGrid.SelectedRow() - 1); }

void TForm2::gdDblClick(int row, int column) {
  if (column == kTitleColumn) {
    if (!FSession.Queue().Entry(row - 1).Title.isEmpty()) FSession.Player().PlayRow(row);
    return;
  }
  if (column != kLyricsColumn) return;
  TPlaylistService& playlist = FSession.Playlist();
  const QStringList files = Dialogs().OpenFiles(this, playlist.OpenDir(), kLyricsFilter);
  if (!files.isEmpty()) playlist.AttachLyrics(row - 1, files.first());
}

// The first file that cannot be added stops the drop with its error.
void TForm2::FilesDropped(const QStringList& paths) {
  FSession.Playlist().AddFiles(paths, TAddPolicy::PlaylistDrop);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
  if (watched == gd && event->type() == QEvent::KeyPress) {
    // Before the grid's own cursor movement, so the selection follows the moved entry.
    switch (static_cast<QKeyEvent*>(event)->key()) {
      case Qt::Key_Up:
        U1Click();
        break;
      case Qt::Key_Down:
        L1Click();
        break;
      case Qt::Key_Delete:
        Delete1Click();
        return true;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TForm2::dragEnterEvent(QDragEnterEvent* event) { AcceptFileDrag(event); }

void TForm2::dropEvent(QDropEvent* event) {
  const QStringList files = TakeFileDrop(event);
  RunShowingErrors([this, &files] { FilesDropped(files); });
}

void TForm2::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FGrid.ScrollToPlayingRow();  // it may have changed while the window was hidden
  emit Shown();
}
