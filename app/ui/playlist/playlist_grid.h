// The playlist grid gd seen the classic way: row 0 is the fixed header row, row i + 1 shows
// queue entry i; column 0 is hidden, 1 holds the title, 2 the lyrics file, 3 the lyrics
// speed. (The QTableWidget underneath has no header row of its own: its row r - 1 is grid
// row r.) It only shows: the queue decides what the rows hold and how many there are.
#pragma once

#include <QString>

class QTableWidget;

inline constexpr int kTitleColumn = 1;
inline constexpr int kLyricsColumn = 2;
inline constexpr int kSpeedColumn = 3;
inline constexpr int kGridColumns = 4;
inline constexpr int kHeaderRowHeight = 15;
inline constexpr int kGridRowHeight = 12;

class TPlaylistGrid {
 public:
  explicit TPlaylistGrid(QTableWidget& table) : FTable(table) {}

  QTableWidget& Table() const { return FTable; }

  // Rows including the fixed header row (at least 1).
  int RowCount() const;
  // Keeps the header and count - 1 rows, each new one 12 pixels high and blank; rows that
  // stay keep their cells.
  void SetRowCount(int count);

  QString Cell(int column, int row) const;  // empty outside the grid
  void SetCell(int column, int row, const QString& text);

  // The selected row (0 when none).
  int SelectedRow() const;

  // Column widths from the grid's width w (integer division): 0, w/20*9, w/20*8, w/20*2.
  void SetColumnWidths();

 private:
  QTableWidget& FTable;
};
