// Form2, the playlist window: the queue as a grid, the playlist name, and the buttons to
// open, save and start a list. Shaped by its own skin background FR1.
#pragma once

#include <QWidget>

#include <array>

#include "core/skin/skin_windows.h"
#include "ui/playlist/playlist_grid.h"

class QAction;
class QComboBox;
class QMenu;
class QTableWidget;
class TForm1;
class TFormRgn;
class TImageButton;
class TWindowDragger;
struct TFillResult;
struct TSkinLayout;

inline const QString kOpenFilter =
    QStringLiteral("MP3ファイル(*.mp3),再生リストファイル(*.vrl *.m3u)|*.mp3;*.vrl;*.m3u;*.m3u8");
inline const QString kSaveFilter = QStringLiteral("PLAYリストファイル(*.vrl)|*.vrl");
inline const QString kSaveTitle = QStringLiteral("プレイリストに名前をつけて保存");
inline const QString kLyricsFilter = QStringLiteral("歌詞|*.txt");

class TForm2 : public QWidget {
  Q_OBJECT

public:
  static constexpr int kClientWidth = kPlaylistWindowClient.width();
  static constexpr int kClientHeight = kPlaylistWindowClient.height();

  explicit TForm2(TForm1& main);

  TFormRgn* FR1;
  QComboBox* combo;
  QTableWidget* gd;
  TImageButton* Image1;  // new list
  TImageButton* Image3;  // open
  TImageButton* Image4;  // save
  TImageButton* Image9;  // close
  QMenu* PopupMenu1;
  QAction* U1;       // move up
  QAction* L1;       // move down
  QAction* Delete1;  // delete

  TPlaylistGrid& Grid() { return FGrid; }

  // The playlist part of a skin: pieces 16 ... 19, combo and grid rectangles.
  void ApplySkin(const TSkinLayout& layout, const std::array<QImage, 20>& pictures);
  // Takes the background from the main window's Image6 and cuts the window to it.
  void CopyMainBackground();

  // A queue entry was appended: the grid grows by one row and grid row `row` (1-based, the
  // fixed header is row 0) shows title in its title column.
  void AppendQueueRow(int row, const QString& title);
  QString RowTitle(int row) const { return FGrid.Cell(kTitleColumn, row); }
  int GridRowCount() const { return FGrid.RowCount(); }
  // The lyrics speed of grid row `row`, as the lyrics window reads and writes it.
  QString SpeedCell(int row) const { return FGrid.Cell(kSpeedColumn, row); }
  void SetSpeedCell(int row, const QString& text) { FGrid.SetCell(kSpeedColumn, row, text); }

  // The playlist name in combo; its list holds the playlists of the home.
  QString ListName() const;
  void SetListName(const QString& name);

  // Loads the playlist named by combo's text into the queue. Any error ends it silently,
  // keeping what was loaded so far.
  void LoadPlaylist();
  void ClearQueue();

  // The commands.
  void Image1Click();  // new list
  void Image3Click();  // open files or a playlist
  void Image4Click();  // save as
  void U1Click();
  void L1Click();
  void Delete1Click();
  void gdDblClick(int row, int column);  // grid row and column
  void FilesDropped(const QStringList& paths);

protected:
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void CreateGrid();
  void ComboEdited(const QString& text);
  void ShowQueueFull(const TFillResult& result);

  TForm1& FMain;
  TPlaylistGrid FGrid;
  TWindowDragger* FDragger;
};
