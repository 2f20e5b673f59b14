#include "core/skin/skin_layout.h"

#include <QList>
#include <QString>

#include "core/settings/settings_file.h"

namespace {

constexpr int kFirstBlockLine = 38;      // zero-based index of B(1)
constexpr int kFirstRemainderLine = 57;  // R(1)
constexpr int kFirstLenientLine = 90;    // the label rectangle
constexpr int kFirstRectLine = 76;       // combo, grid, paint box: x, y, width, height each
constexpr int kFontSizeLine = 88;
// Coordinates and sizes beyond any screen: a layout holding them is damaged, and a paint box
// of them would ask for pictures of gigabytes.
constexpr int kLargestCoordinate = 8192;

// Lines holding positions and sizes: the pieces' places, the three rectangles and the label's.
bool IsGeometry(int line) {
  return line < kFirstBlockLine || (line >= kFirstRectLine && line < kFontSizeLine) || line >= kFirstLenientLine;
}

// Widths and heights (the last two of each rectangle) cannot be negative.
int LowestAllowed(int line) {
  const int first = line >= kFirstLenientLine ? kFirstLenientLine : kFirstRectLine;
  return line >= kFirstRectLine && (line - first) % 4 >= 2 ? 0 : -kLargestCoordinate;
}

QList<QByteArray> SplitLines(const QByteArray& text) {
  QList<QByteArray> lines = text.split('\n');
  for (QByteArray& line : lines)
    if (line.endsWith('\r')) line.chop(1);
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  return lines;
}

QRect RectAt(const std::array<int, kSkinLayoutLines>& v, int first) {
  return QRect(v[first], v[first + 1], v[first + 2], v[first + 3]);
}

}  // namespace

qint64 TSkinLayout::PieceSize(int piece) const {
  const int b = Blocks[piece - 1];
  const int r = Remainders[piece - 1];
  return b > 2 ? static_cast<qint64>(b - 2) * kSkinBlockSize + r : r;
}

TSkinLayout ParseSkinLayout(const QByteArray& text) {
  const QList<QByteArray> lines = SplitLines(text);
  std::array<int, kSkinLayoutLines> v{};
  for (int i = 0; i < kSkinLayoutLines; ++i) {
    const bool present = i < lines.size();
    const QString line = present ? QString::fromUtf8(lines[i]) : QString();
    if (i >= kFirstLenientLine) {
      if (!ParseSettingsInteger(line, v[i])) v[i] = 0;
      continue;
    }
    if (!present) throw ESkinError("Read beyond end of file");
    if (!ParseSettingsInteger(line, v[i]))
      throw ESkinError(QStringLiteral("'%1' is not a valid integer value").arg(line).toStdString());
  }
  for (int i = 0; i < kSkinLayoutLines; ++i) {
    if (!IsGeometry(i) || (v[i] >= LowestAllowed(i) && v[i] <= kLargestCoordinate)) continue;
    if (i >= kFirstLenientLine) {
      v[i] = 0;
      continue;
    }
    throw ESkinError(QStringLiteral("Invalid skin layout: line %1 holds %2 (%3 to %4)")
                         .arg(i + 1)
                         .arg(v[i])
                         .arg(LowestAllowed(i))
                         .arg(kLargestCoordinate)
                         .toStdString());
  }
  TSkinLayout layout;
  for (int i = 0; i < kSkinPieceCount; ++i) {
    layout.Positions[i] = QPoint(v[2 * i], v[2 * i + 1]);
    layout.Blocks[i] = v[kFirstBlockLine + i];
    layout.Remainders[i] = v[kFirstRemainderLine + i];
    // The pieces were cut through one block-sized buffer: more than a block of remainder, or
    // negative counts, cannot describe a piece.
    if (layout.Blocks[i] < 0 || layout.Remainders[i] < 0 || layout.Remainders[i] > kSkinBlockSize)
      throw ESkinError(QStringLiteral("Invalid skin layout: piece %1 has block count %2 and "
                                      "remainder %3 (0 to %4)")
                           .arg(i + 1)
                           .arg(layout.Blocks[i])
                           .arg(layout.Remainders[i])
                           .arg(kSkinBlockSize)
                           .toStdString());
  }
  layout.Combo = RectAt(v, 76);
  layout.Grid = RectAt(v, 80);
  layout.PaintBox = RectAt(v, 84);
  layout.LabelFontSize = v[88];
  layout.LabelColor = static_cast<uint32_t>(v[89]);
  layout.Label = RectAt(v, 90);
  return layout;
}
