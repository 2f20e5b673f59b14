// Form2, the playlist window: the queue as a grid, the playlist name, and the buttons to
// open, save and start a list. Shaped by its own skin background FR1.
#pragma once

#include <QWidget>

#include <array>

class QComboBox;
class QTableWidget;
class TForm1;
class TFormRgn;
class TImageButton;
class TWindowDragger;
struct TSkinLayout;

class TForm2 : public QWidget {
  Q_OBJECT

public:
  static constexpr int kClientWidth = 404;
  static constexpr int kClientHeight = 438;
  static constexpr int kHeaderRowHeight = 15;
  static constexpr int kRowHeight = 12;

  explicit TForm2(TForm1& main);

  TFormRgn* FR1;
  QComboBox* combo;
  QTableWidget* gd;
  TImageButton* Image1;  // new list
  TImageButton* Image3;  // open
  TImageButton* Image4;  // save
  TImageButton* Image9;  // close

  // The playlist part of a skin: pieces 16 ... 19, combo and grid rectangles.
  void ApplySkin(const TSkinLayout& layout, const std::array<QImage, 20>& pictures);
  // Takes the background from the main window's Image6 and cuts the window to it.
  void CopyMainBackground();

  // A queue entry was appended: the grid grows by one row and grid row `row` (1-based, the
  // fixed header is row 0) shows title in its title column.
  void AppendQueueRow(int row, const QString& title);
  QString RowTitle(int row) const;
  int GridRowCount() const;  // rows including the fixed header row

  // The playlist name in combo.
  QString ListName() const;
  void SetListName(const QString& name);

  // Loads the playlist file named by combo's text into the queue.
  void LoadPlaylist();

protected:
  void showEvent(QShowEvent* event) override;

private:
  void SetColumnWidths();

  TForm1& FMain;
  TWindowDragger* FDragger;
};
