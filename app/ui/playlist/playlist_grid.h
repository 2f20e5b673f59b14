// The playlist grid gd seen the classic way: row 0 is the fixed header row, row i + 1 shows
// queue entry i; column 0 is hidden, 1 holds the title, 2 the lyrics file, 3 the lyrics
// speed. (The QTableWidget underneath has no header row of its own: its row r - 1 is grid
// row r.)
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
  // Keeps the header and count - 1 rows; rows that stay keep their cells.
  void SetRowCount(int count);
  void AddRow();  // one more row, 12 pixels high
  // Grows the grid so that it has row `row` (a queue restored at start-up has no rows yet).
  void EnsureRow(int row);

  QString Cell(int column, int row) const;  // empty outside the grid
  void SetCell(int column, int row, const QString& text);
  void ClearRow(int row);
  void SwapRows(int a, int b);

  // The selected row (0 when none).
  int SelectedRow() const;
  int SelectedColumn() const;
  void Select(int column, int row);

  // Column widths from the grid's width w (integer division): 0, w/20*9, w/20*8, w/20*2.
  void SetColumnWidths();

 private:
  QTableWidget& FTable;
};
