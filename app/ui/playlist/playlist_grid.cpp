#include "ui/playlist/playlist_grid.h"

#include <QHeaderView>
#include <QTableWidget>

#include <algorithm>

int TPlaylistGrid::RowCount() const { return FTable.rowCount() + 1; }

void TPlaylistGrid::SetRowCount(int count) {
  const int old = FTable.rowCount();
  FTable.setRowCount(std::max(count, 1) - 1);
  for (int r = old; r < FTable.rowCount(); ++r) FTable.setRowHeight(r, kGridRowHeight);
}

QString TPlaylistGrid::Cell(int column, int row) const {
  const QTableWidgetItem* item = row >= 1 ? FTable.item(row - 1, column) : nullptr;
  return item ? item->text() : QString();
}

void TPlaylistGrid::SetCell(int column, int row, const QString& text) {
  if (row < 1 || row >= RowCount() || column < 0 || column >= kGridColumns) return;
  if (QTableWidgetItem* item = FTable.item(row - 1, column))
    item->setText(text);
  else if (!text.isEmpty())
    FTable.setItem(row - 1, column, new QTableWidgetItem(text));
}

int TPlaylistGrid::SelectedRow() const { return FTable.currentRow() + 1; }

void TPlaylistGrid::SetColumnWidths() {
  const int unit = FTable.width() / 20;
  FTable.horizontalHeader()->setMinimumSectionSize(0);  // the widths are exact, however narrow
  FTable.setColumnWidth(0, 0);
  FTable.setColumnWidth(kTitleColumn, unit * 9);
  FTable.setColumnWidth(kLyricsColumn, unit * 8);
  FTable.setColumnWidth(kSpeedColumn, unit * 2);
}
