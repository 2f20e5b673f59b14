#include "formats/skin_layout.h"

#include <QList>
#include <QString>

#include "decimal_integer.h"

namespace {

// Zero-based line indices.
constexpr int kFirstBlockLine = 38;      // B(1)
constexpr int kFirstRemainderLine = 57;  // R(1)
constexpr int kComboLine = 76;           // combo, grid, paint box: x, y, width, height each
constexpr int kGridLine = 80;
constexpr int kPaintBoxLine = 84;
constexpr int kFontSizeLine = 88;
constexpr int kColorLine = 89;
constexpr int kLabelLine = 90;  // the label rectangle, read leniently
// Coordinates and sizes beyond any screen: a layout holding them is damaged, and a paint box
// of them would ask for pictures of gigabytes.
constexpr int kLargestCoordinate = 8192;

using TLayoutValues = std::array<qint64, kSkinLayoutLines>;

// Offsets of the time lines after line 94.
constexpr int kTimeRectLine = 0;
constexpr int kTimeColorLine = 4;
constexpr int kProgressRectLine = 5;
constexpr int kProgressColorLine = 9;
constexpr int kProgressBackColorLine = 10;

// The grid colours in the order of their lines.
std::array<std::optional<uint32_t>*, kSkinGridLines> GridFields(TSkinGridLines& g) {
  return {&g.Color,     &g.TextColor,   &g.FixedColor,      &g.FixedTextColor,
          &g.LineColor, &g.SelectColor, &g.SelectTextColor, &g.PlayingColor};
}

// Lines holding positions and sizes: the pieces' places, the three rectangles and the label's.
bool IsGeometry(int line) {
  return line < kFirstBlockLine || (line >= kComboLine && line < kFontSizeLine) || line >= kLabelLine;
}

// Widths and heights (the last two of each rectangle) cannot be negative.
int LowestAllowed(int line) {
  const int first = line >= kLabelLine ? kLabelLine : kComboLine;
  return line >= kComboLine && (line - first) % 4 >= 2 ? 0 : -kLargestCoordinate;
}

// The conversion the layout was written for: blanks around an optional sign and ASCII digits,
// within the range of int. The settings file reads its integers by the same rule.
QList<QByteArray> SplitLines(const QByteArray& text) {
  QList<QByteArray> lines = text.split('\n');
  for (QByteArray& line : lines)
    if (line.endsWith('\r')) line.chop(1);
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  return lines;
}

QRect RectAt(const TLayoutValues& v, int first) {
  return QRect(static_cast<int>(v[first]), static_cast<int>(v[first + 1]), static_cast<int>(v[first + 2]),
               static_cast<int>(v[first + 3]));
}

void PutRect(TLayoutValues& v, int first, const QRect& r) {
  v[first] = r.x();
  v[first + 1] = r.y();
  v[first + 2] = r.width();
  v[first + 3] = r.height();
}

// The optional lines after line 94 are read leniently: what is missing or no number is unset.
std::optional<int> OptionalLine(const QList<QByteArray>& lines, int at) {
  int value = 0;
  if (at < lines.size() && ParseDecimalInteger(QString::fromUtf8(lines[at]), value)) return value;
  return std::nullopt;
}

// A colour is unset beyond 0x00FFFFFF.
std::optional<uint32_t> OptionalColor(const QList<QByteArray>& lines, int at) {
  const std::optional<int> v = OptionalLine(lines, at);
  if (!v || *v < 0 || *v > 0xFFFFFF) return std::nullopt;
  return static_cast<uint32_t>(*v);
}

// A rectangle without area or reaching beyond any screen is unset too.
TSkinTimeLines ParseTimeLines(const QList<QByteArray>& lines) {
  auto rect = [&lines](int first) {
    std::array<int, 4> v{};
    for (int i = 0; i < 4; ++i) {
      const std::optional<int> value = OptionalLine(lines, kSkinLayoutLines + first + i);
      if (!value || *value < -kLargestCoordinate || *value > kLargestCoordinate) return QRect();
      v[i] = *value;
    }
    const QRect r(v[0], v[1], v[2], v[3]);
    return r.width() > 0 && r.height() > 0 ? r : QRect();
  };
  auto color = [&lines](int line) { return OptionalColor(lines, kSkinLayoutLines + line); };
  return {rect(kTimeRectLine), color(kTimeColorLine), rect(kProgressRectLine), color(kProgressColorLine),
          color(kProgressBackColorLine)};
}

TSkinGridLines ParseGridLines(const QList<QByteArray>& lines) {
  TSkinGridLines g;
  int at = kSkinLayoutLines + kSkinTimeLines;
  for (std::optional<uint32_t>* field : GridFields(g)) *field = OptionalColor(lines, at++);
  return g;
}

void FormatColor(QByteArray& text, const std::optional<uint32_t>& c) {
  text += (c ? QByteArray::number(*c) : QByteArray()) + '\n';
}

QByteArray FormatTimeLines(const TSkinTimeLines& t) {
  QByteArray text;
  auto rect = [&text](const QRect& r) {
    for (int value : {r.x(), r.y(), r.width(), r.height()})
      text += (r.isEmpty() ? QByteArray() : QByteArray::number(value)) + '\n';
  };
  rect(t.Time);
  FormatColor(text, t.TimeColor);
  rect(t.Progress);
  FormatColor(text, t.ProgressColor);
  FormatColor(text, t.ProgressBackColor);
  return text;
}

QByteArray FormatGridLines(TSkinGridLines g) {
  QByteArray text;
  for (const std::optional<uint32_t>* field : GridFields(g)) FormatColor(text, *field);
  return text;
}

}  // namespace

TSkinBlocks SplitIntoBlocks(qint64 size) {
  return {static_cast<int>(size / kSkinBlockSize) + 2, static_cast<int>(size % kSkinBlockSize)};
}

qint64 TSkinLayout::PieceSize(int piece) const {
  const int b = Blocks[piece - 1];
  const int r = Remainders[piece - 1];
  return b > 2 ? static_cast<qint64>(b - 2) * kSkinBlockSize + r : r;
}

void TSkinLayout::SetPieceSize(int piece, qint64 size) {
  const TSkinBlocks split = SplitIntoBlocks(size);
  Blocks[piece - 1] = split.Blocks;
  Remainders[piece - 1] = split.Remainder;
}

QRgb ColorRefToRgb(uint32_t colorRef) {
  return qRgb(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
              static_cast<int>((colorRef >> 16) & 0xFF));
}

uint32_t ColorRefFromRgb(QRgb rgb) {
  return static_cast<uint32_t>(qBlue(rgb)) << 16 | static_cast<uint32_t>(qGreen(rgb)) << 8 |
         static_cast<uint32_t>(qRed(rgb));
}

TSkinLayout ParseSkinLayout(const QByteArray& text) {
  const QList<QByteArray> lines = SplitLines(text);
  TLayoutValues v{};
  for (int i = 0; i < kSkinLayoutLines; ++i) {
    const bool present = i < lines.size();
    const QString line = present ? QString::fromUtf8(lines[i]) : QString();
    int value = 0;
    if (i >= kLabelLine) {
      if (ParseDecimalInteger(line, value)) v[i] = value;
      continue;
    }
    if (!present) throw ESkinError("Read beyond end of file");
    if (!ParseDecimalInteger(line, value))
      throw ESkinError(QStringLiteral("'%1' is not a valid integer value").arg(line).toStdString());
    v[i] = value;
  }
  for (int i = 0; i < kSkinLayoutLines; ++i) {
    if (!IsGeometry(i) || (v[i] >= LowestAllowed(i) && v[i] <= kLargestCoordinate)) continue;
    if (i >= kLabelLine) {
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
    layout.Positions[i] = QPoint(static_cast<int>(v[2 * i]), static_cast<int>(v[2 * i + 1]));
    layout.Blocks[i] = static_cast<int>(v[kFirstBlockLine + i]);
    layout.Remainders[i] = static_cast<int>(v[kFirstRemainderLine + i]);
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
  layout.Combo = RectAt(v, kComboLine);
  layout.Grid = RectAt(v, kGridLine);
  layout.PaintBox = RectAt(v, kPaintBoxLine);
  layout.LabelFontSize = static_cast<int>(v[kFontSizeLine]);
  layout.LabelColor = static_cast<uint32_t>(v[kColorLine]);
  layout.Label = RectAt(v, kLabelLine);
  layout.TimeLines = ParseTimeLines(lines);
  layout.GridLines = ParseGridLines(lines);
  return layout;
}

QByteArray FormatSkinLayout(const TSkinLayout& layout) {
  TLayoutValues v{};
  for (int i = 0; i < kSkinPieceCount; ++i) {
    v[2 * i] = layout.Positions[i].x();
    v[2 * i + 1] = layout.Positions[i].y();
    v[kFirstBlockLine + i] = layout.Blocks[i];
    v[kFirstRemainderLine + i] = layout.Remainders[i];
  }
  PutRect(v, kComboLine, layout.Combo);
  PutRect(v, kGridLine, layout.Grid);
  PutRect(v, kPaintBoxLine, layout.PaintBox);
  v[kFontSizeLine] = layout.LabelFontSize;
  v[kColorLine] = layout.LabelColor;
  PutRect(v, kLabelLine, layout.Label);
  QByteArray text;
  for (qint64 value : v) text += QByteArray::number(value) + '\n';
  // Older layouts end after line 94; the grid lines come after the time lines, set or not.
  if (!layout.TimeLines.IsEmpty() || !layout.GridLines.IsEmpty()) text += FormatTimeLines(layout.TimeLines);
  if (!layout.GridLines.IsEmpty()) text += FormatGridLines(layout.GridLines);
  return text;
}
