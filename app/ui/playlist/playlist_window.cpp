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

#include "core/platform/platform_session.h"
#include "core/playback/track_tags.h"
#include "core/playlist/open_selection.h"
#include "core/session/player_session.h"
#include "formats/atomic_file.h"
#include "formats/file_errors.h"
#include "formats/playlist_files.h"
#include "formats/settings_file.h"
#include "formats/settings_keys.h"
#include "formats/skin_layout.h"
#include "ui/dialogs/dialogs.h"
#include "ui/dialogs/error_box.h"
#include "ui/playlist/playlist_edits.h"
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
  gd->verticalHeader()->setMinimumSectionSize(kGridRowHeight);
  gd->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
  gd->horizontalHeader()->setFixedHeight(kHeaderRowHeight);
  gd->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  gd->setEditTriggers(QAbstractItemView::NoEditTriggers);
  gd->setSelectionMode(QAbstractItemView::SingleSelection);
  gd->setContextMenuPolicy(Qt::CustomContextMenu);
  gd->setStyleSheet(QStringLiteral(
      "QTableWidget { background: white; color: navy; font-size: 11px; gridline-color: #c0c0c0; }"
      "QHeaderView::section { background: #0080c0; color: white; font-size: 11px;"
      " padding: 0px; border: 1px solid #006090; }"));
  return gd;
}

QString TagTitle(const QString& path) { return ReadTrackTags(path).Title; }

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
  combo->setEditText(kUnnamedListName);
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
  connect(&FSession, &TPlayerSession::EntryAppended, this, &TForm2::ShowAppendedEntry);
  connect(&FSession, &TPlayerSession::EntryChanged, this,
          [this](int index) { ShowRow(FGrid, FSession.Queue(), index + 1); });

  // The queue as it is (restored at start-up): one row per entry.
  FGrid.EnsureRow(FSession.Queue().QueueCount());
  ShowQueue(FGrid, FSession.Queue());
  FGrid.SetColumnWidths();
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
}

void TForm2::CopyMainBackground(const QImage& background) {
  FR1->SetPicture(background);
  FR1->BuildRegion();
  FR1->ApplyRegion();
}

// An entry appended elsewhere (a drop, the demo track): the grid grows by one row.
void TForm2::ShowAppendedEntry(int index) {
  FGrid.AddRow();
  FGrid.EnsureRow(index + 1);
  ShowRow(FGrid, FSession.Queue(), index + 1);
}

void TForm2::SetSpeedCell(int row, const QString& text) { FSession.SetLyricsSpeed(row - 1, text); }

QString TForm2::ListName() const { return combo->currentText(); }

void TForm2::SetListName(const QString& name) { combo->setEditText(name); }

void TForm2::ClearQueue() { ::ClearQueue(FGrid, FSession.Queue()); }

void TForm2::ShowQueueFull(const TFillResult& result) {
  if (result.QueueFull) ShowErrorBox(QString::fromUtf8(EQueueFull().what()));
}

void TForm2::LoadPlaylist() {
  ClearQueue();
  TFillResult result;
  try {
    const QString name = ListName();
    const QString path = PlaylistPath(FSession.Home(), name);
    const QByteArray bytes = ReadWholeFile(path);
    switch (const TPlaylistKind kind = PlaylistKindOf(name)) {
      case TPlaylistKind::Vrl:
        result = FillFromVrl(FGrid, FSession.Queue(), ParseVrl(bytes));
        break;
      case TPlaylistKind::M3u:
      case TPlaylistKind::M3u8: {
        const QStringList paths = ParseM3u(bytes, QFileInfo(path).absolutePath(), kind);
        result = FillFromPaths(FGrid, FSession.Queue(), paths, TagTitle);
        break;
      }
      case TPlaylistKind::Other:
        break;
    }
    FSession.Settings().WriteString(kKeyListFileName, name);
    FSession.NotifySongListChanged();
  } catch (const std::exception&) {
    return;  // a list that cannot be read loads as far as it could, without a word
  }
  ShowQueueFull(result);
}

void TForm2::ComboEdited(const QString& text) {
  // Typing or choosing loads a list once the name names one; until then the queue stays as
  // it is.
  if (PlaylistKindOf(text) != TPlaylistKind::Other && QFileInfo(PlaylistPath(FSession.Home(), text)).isFile())
    LoadPlaylist();
}

void TForm2::Image1Click() {
  ClearQueue();
  FGrid.SetRowCount(2);
  SetListName(kUnnamedListName);
  FSession.NotifySongListChanged();  // the song menu of an empty queue
}

void TForm2::Image3Click() {
  TSettingsFile& settings = FSession.Settings();
  const QStringList files =
      Dialogs().OpenFiles(this, settings.ReadString(kKeyOpenDir, FSession.Home()), kOpenFilter);
  if (files.isEmpty()) return;
  TFillResult result;
  switch (OpenKindOf(files)) {
    case TOpenKind::Music:
      result = AddMusicFiles(FGrid, FSession.Queue(), MusicFilesOf(files), TagTitle);
      break;
    case TOpenKind::Playlist:
      SetListName(PlaylistName(FSession.Home(), files.first()));
      LoadPlaylist();
      break;
    case TOpenKind::Nothing:
      break;
  }
  FSession.NotifySongListChanged();
  settings.WriteString(kKeyOpenDir, files.first());
  ShowQueueFull(result);
}

void TForm2::Image4Click() {
  const QString path =
      Dialogs().SaveFile(this, kSaveTitle, FSession.Home(), kSaveFilter, QStringLiteral("vrl"));
  if (path.isEmpty()) return;
  WriteFileAtomically(path, FormatVrl(EntriesToSave(FSession.Queue())));
  const QString name = PlaylistName(FSession.Home(), path);
  SetListName(name);
  combo->addItem(name);
  emit PlaylistSaved();
}

void TForm2::U1Click() { MoveRowUp(FGrid, FSession.Queue(), FGrid.SelectedRow()); }

void TForm2::L1Click() { MoveRowDown(FGrid, FSession.Queue(), FGrid.SelectedRow()); }

void TForm2::Delete1Click() { DeleteRow(FGrid, FSession.Queue(), FGrid.SelectedRow()); }

void TForm2::gdDblClick(int row, int column) {
  if (column == kTitleColumn) {
    if (!FGrid.Cell(kTitleColumn, row).isEmpty()) FSession.Player().PlayRow(row);
    return;
  }
  if (column != kLyricsColumn) return;
  TSettingsFile& settings = FSession.Settings();
  const QStringList files =
      Dialogs().OpenFiles(this, settings.ReadString(kKeyOpenDir, FSession.Home()), kLyricsFilter);
  if (files.isEmpty()) return;
  SetRowLyrics(FGrid, FSession.Queue(), row, files.first());
  settings.WriteString(kKeyOpenDir, files.first());
}

void TForm2::FilesDropped(const QStringList& paths) {
  try {
    for (const QString& path : paths) FSession.AppendToQueue(path);
  } catch (...) {
    // The first file that cannot be added stops the drop; the song menu still shows the
    // files added before it.
    FSession.NotifySongListChanged();
    throw;
  }
  FSession.NotifySongListChanged();
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
  emit Shown();
}
