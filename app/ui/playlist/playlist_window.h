// Form2, the playlist window: a view of the session's queue as a grid in the skin's colours,
// redrawn where the queue says it changed and marking its current entry, the current list's
// name, and the buttons to open, save and start a list, which hand their work to the session's
// playlist. Shaped by its own skin background FR1. It takes the session only.
#pragma once

#include <QWidget>

#include <array>

#include "formats/skin_windows.h"
#include "ui/playlist/playlist_grid.h"

class QAction;
class QComboBox;
class QMenu;
class QTableWidget;
class TFormRgn;
class TImageButton;
class TPlayerSession;
class TWindowDragger;
struct TQueueChange;
struct TSkinLayout;

inline const QString kOpenFilter =
    QStringLiteral("MP3ファイル(*.mp3),再生リストファイル(*.vrl *.m3u)|*.mp3;*.vrl;*.m3u;*.m3u8");
inline const QString kSaveFilter = QStringLiteral("PLAYリストファイル(*.vrl)|*.vrl");
inline const QString kSaveTitle = QStringLiteral("プレイリストに名前をつけて保存");
inline const QString kLyricsFilter = QStringLiteral("歌詞|*.txt");

// Form2 (the original design's name): the playlist window.
class TForm2 : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kClientWidth = kPlaylistWindowClient.width();
  static constexpr int kClientHeight = kPlaylistWindowClient.height();

  // parent: the window that owns this one as a tool window (the main window), or none.
  explicit TForm2(TPlayerSession& session, QWidget* parent = nullptr);

  TFormRgn* FR1;         // the skin background that shapes the window
  QComboBox* combo;      // the playlist name
  QTableWidget* gd;      // the grid
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
  // Takes the background (the main window's Image6) and cuts the window to it.
  void CopyMainBackground(const QImage& background);

  // Grid row `row` (1-based, the fixed header is row 0).
  QString RowTitle(int row) const { return FGrid.Cell(kTitleColumn, row); }
  int GridRowCount() const { return FGrid.RowCount(); }
  // The lyrics speed grid row `row` shows (its entry's).
  QString SpeedCell(int row) const { return FGrid.Cell(kSpeedColumn, row); }
  // The playlist name in combo; its list holds the playlists of the home.
  QString ListName() const;

  // The commands.
  void Image1Click();                    // new list
  void Image3Click();                    // open files or a playlist
  void Image4Click();                    // save as
  void U1Click();                        // move the selected entry up
  void L1Click();                        // move the selected entry down
  void Delete1Click();                   // delete the selected entry
  void gdDblClick(int row, int column);  // grid row and column
  void FilesDropped(const QStringList& paths);

 signals:
  void Shown();  // the window is shown (the deferred skin load runs then)

 protected:
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ComboEdited(const QString& text);
  void ShowListName(const QString& name);
  // Grid row `row` shows entry row - 1 (blank past the queue).
  void ShowRow(int row);
  void ShowChange(const TQueueChange& change);
  // Marks the queue's current entry in the grid, when it is one and has been started.
  void ShowPlayingEntry();

  TPlayerSession& FSession;
  TPlaylistGrid FGrid;
  TWindowDragger* FDragger;
};
