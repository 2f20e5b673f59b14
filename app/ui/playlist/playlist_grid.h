// The playlist grid gd seen the classic way: row 0 is the fixed header row, row i + 1 shows
// queue entry i; column 0 is hidden, 1 holds the title, 2 the lyrics file, 3 the lyrics
// speed. (The QTableWidget underneath has no header row of its own: its row r - 1 is grid
// row r.) It only shows: the queue decides what the rows hold and how many there are. It
// also gives the grid its look: the skin's colours, rows as tall as its font needs, and the
// mark of the entry that plays.
#pragma once

#include <QString>

#include "formats/skin_grid_colors.h"

class QTableWidget;
class TPlaylistGridDelegate;

inline constexpr int kTitleColumn = 1;
inline constexpr int kLyricsColumn = 2;
inline constexpr int kSpeedColumn = 3;
inline constexpr int kGridColumns = 4;
// The least heights of the header and the other rows; a font that needs more gets more.
inline constexpr int kHeaderRowHeight = 15;
inline constexpr int kGridRowHeight = 12;
inline constexpr int kGridFontPixels = 11;

class TPlaylistGrid {
 public:
  // Sets up the table's font, row heights, delegate and the colours of a skin without any.
  explicit TPlaylistGrid(QTableWidget& table);

  QTableWidget& Table() const { return FTable; }

  // Rows including the fixed header row (at least 1).
  int RowCount() const;
  // Keeps the header and count - 1 rows, each new one RowHeight() high and blank; rows that
  // stay keep their cells.
  void SetRowCount(int count);

  QString Cell(int column, int row) const;  // empty outside the grid
  void SetCell(int column, int row, const QString& text);

  // The selected row (0 when none).
  int SelectedRow() const;

  // The title takes the width the lyrics file (three tenths of the grid, elided in the
  // middle) and the speed (as wide as its header) leave; the user may resize them.
  void SetColumnWidths();

  // Heights for the grid's font, regular and bold, and never below 12 and 15 pixels.
  int RowHeight() const;
  int HeaderHeight() const;

  void SetColors(const TGridColors& colors);
  const TGridColors& Colors() const { return FColors; }

  // The grid row of the entry that plays (0: none): drawn bold in the playing colour with a
  // mark before its title, and scrolled into sight when it changes.
  void SetPlayingRow(int row);
  int PlayingRow() const;
  void ScrollToPlayingRow();

 private:
  QTableWidget& FTable;
  TPlaylistGridDelegate* FDelegate;
  TGridColors FColors;
};
