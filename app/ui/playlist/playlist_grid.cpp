#include "ui/playlist/playlist_grid.h"

#include <QColor>
#include <QHeaderView>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include <algorithm>

#include "core/platform/ui_font.h"

namespace {

// Room above and below the text of a row, and of the header row.
constexpr int kRowAir = 4;
constexpr int kHeaderAir = 6;
// Room beside the speed header's text.
constexpr int kSpeedAir = 14;

QFont GridFont() {
  QFont font = InterfaceFont();
  font.setPixelSize(kGridFontPixels);
  return font;
}

int TextHeight(const QFont& font) {
  QFont bold = font;
  bold.setBold(true);
  return std::max(QFontMetrics(font).height(), QFontMetrics(bold).height());
}

QString CssColor(QRgb rgb) { return QColor(rgb).name(); }

// A triangle pointing at the title, drawn for one and two device pixels per pixel.
QIcon PlayingMark(QRgb color, int size) {
  QIcon icon;
  for (int ratio : {1, 2}) {
    QPixmap pixmap(size * ratio, size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath triangle;
    const double inset = size / 5.0;
    triangle.moveTo(inset, inset);
    triangle.lineTo(size - inset, size / 2.0);
    triangle.lineTo(inset, size - inset);
    triangle.closeSubpath();
    p.fillPath(triangle, QColor(color));
    p.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

// Draws the cells: the lyrics path elided in the middle (its file name stays in sight) and
// the playing entry's row bold in the playing colour, with the mark before its title.
class TPlaylistGridDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  int PlayingRow = 0;  // grid row
  QRgb PlayingColor = 0;
  QIcon Mark;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.column() == kLyricsColumn) option->textElideMode = Qt::ElideMiddle;
    if (index.row() + 1 != PlayingRow) return;
    option->font.setBold(true);
    option->palette.setColor(QPalette::Text, QColor(PlayingColor));
    if (index.column() != kTitleColumn) return;
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->icon = Mark;
    const int side = option->fontMetrics.height();
    option->decorationSize = QSize(side, side);
  }
};

TPlaylistGrid::TPlaylistGrid(QTableWidget& table)
    : FTable(table), FDelegate(new TPlaylistGridDelegate(&table)), FColors() {
  FTable.setItemDelegate(FDelegate);
  FTable.setFont(GridFont());
  FTable.setWordWrap(false);
  FTable.verticalHeader()->setMinimumSectionSize(kGridRowHeight);
  FTable.verticalHeader()->setDefaultSectionSize(RowHeight());
  FTable.horizontalHeader()->setFixedHeight(HeaderHeight());
  SetColors(PlaylistGridColors(TSkinLayout(), QImage()));
}

int TPlaylistGrid::RowCount() const { return FTable.rowCount() + 1; }

void TPlaylistGrid::SetRowCount(int count) {
  const int old = FTable.rowCount();
  FTable.setRowCount(std::max(count, 1) - 1);
  for (int r = old; r < FTable.rowCount(); ++r) FTable.setRowHeight(r, RowHeight());
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
  QHeaderView* header = FTable.horizontalHeader();
  header->setMinimumSectionSize(0);
  FTable.setColumnHidden(0, true);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setSectionResizeMode(kTitleColumn, QHeaderView::Stretch);
  const QFontMetrics metrics(FTable.font());
  const QString speedHeader = FTable.horizontalHeaderItem(kSpeedColumn)
                                  ? FTable.horizontalHeaderItem(kSpeedColumn)->text()
                                  : QString();
  const int speed =
      std::max(metrics.horizontalAdvance(speedHeader), metrics.horizontalAdvance(QStringLiteral("99")));
  FTable.setColumnWidth(kLyricsColumn, FTable.width() * 3 / 10);
  FTable.setColumnWidth(kSpeedColumn, speed + kSpeedAir);
}

int TPlaylistGrid::RowHeight() const { return std::max(kGridRowHeight, TextHeight(FTable.font()) + kRowAir); }

int TPlaylistGrid::HeaderHeight() const {
  return std::max(kHeaderRowHeight, TextHeight(FTable.font()) + kHeaderAir);
}

void TPlaylistGrid::SetColors(const TGridColors& colors) {
  FColors = colors;
  FDelegate->PlayingColor = colors.PlayingColor;
  FDelegate->Mark = PlayingMark(colors.PlayingColor, TextHeight(FTable.font()));
  const QString rows = CssColor(colors.Color), text = CssColor(colors.TextColor),
                fixed = CssColor(colors.FixedColor), fixedText = CssColor(colors.FixedTextColor),
                lines = CssColor(colors.LineColor), select = CssColor(colors.SelectColor),
                selectText = CssColor(colors.SelectTextColor);
  // The scroll bars too: the platform's light ones would stand out of a dark grid.
  FTable.setStyleSheet(
      QStringLiteral("QTableWidget { background: %1; color: %2; gridline-color: %5; border: 1px solid %5;"
                     " selection-background-color: %6; selection-color: %7; }"
                     "QHeaderView { background: %3; border: none; }"
                     "QHeaderView::section { background: %3; color: %4; padding: 0px 4px; border: none;"
                     " border-right: 1px solid %5; border-bottom: 1px solid %5; }"
                     "QTableCornerButton::section { background: %3; border: none; }"
                     "QScrollBar { background: %1; border: none; margin: 0px; }"
                     "QScrollBar:vertical { width: 10px; } QScrollBar:horizontal { height: 10px; }"
                     "QScrollBar::handle { background: %3; border: 1px solid %5; border-radius: 4px; }"
                     "QScrollBar::handle:vertical { min-height: 16px; }"
                     "QScrollBar::handle:horizontal { min-width: 16px; }"
                     "QScrollBar::add-line, QScrollBar::sub-line { width: 0px; height: 0px; border: none; }"
                     "QScrollBar::add-page, QScrollBar::sub-page { background: none; }")
          .arg(rows, text, fixed, fixedText, lines, select, selectText));
}

void TPlaylistGrid::SetPlayingRow(int row) {
  if (row == FDelegate->PlayingRow) return;
  FDelegate->PlayingRow = row;
  FTable.viewport()->update();
  ScrollToPlayingRow();
}

int TPlaylistGrid::PlayingRow() const { return FDelegate->PlayingRow; }

void TPlaylistGrid::ScrollToPlayingRow() {
  const int row = FDelegate->PlayingRow;
  if (row >= 1 && row < RowCount()) FTable.scrollTo(FTable.model()->index(row - 1, kTitleColumn));
}
