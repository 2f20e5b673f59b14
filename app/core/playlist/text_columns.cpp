#include "core/playlist/text_columns.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

// East Asian Wide and Fullwidth ranges, first and last, in order.
constexpr std::pair<char32_t, char32_t> kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x23E9, 0x23EC},   {0x23F0, 0x23F0},
    {0x23F3, 0x23F3},   {0x25FD, 0x25FE},   {0x2614, 0x2615},   {0x2648, 0x2653},   {0x267F, 0x267F},
    {0x2693, 0x2693},   {0x26A1, 0x26A1},   {0x26AA, 0x26AB},   {0x26BD, 0x26BE},   {0x26C4, 0x26C5},
    {0x26CE, 0x26CE},   {0x26D4, 0x26D4},   {0x26EA, 0x26EA},   {0x26F2, 0x26F3},   {0x26F5, 0x26F5},
    {0x26FA, 0x26FA},   {0x26FD, 0x26FD},   {0x2705, 0x2705},   {0x270A, 0x270B},   {0x2728, 0x2728},
    {0x274C, 0x274C},   {0x274E, 0x274E},   {0x2753, 0x2755},   {0x2757, 0x2757},   {0x2795, 0x2797},
    {0x27B0, 0x27B0},   {0x27BF, 0x27BF},   {0x2B1B, 0x2B1C},   {0x2B50, 0x2B50},   {0x2B55, 0x2B55},
    {0x2E80, 0x303E},   {0x3041, 0x3247},   {0x3250, 0x4DBF},   {0x4E00, 0xA4CF},   {0xA960, 0xA97F},
    {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},
    {0xFFE0, 0xFFE6},   {0x16FE0, 0x18CFF}, {0x1B000, 0x1B2FF}, {0x1F300, 0x1F64F}, {0x1F680, 0x1F6FF},
    {0x1F900, 0x1FAFF}, {0x20000, 0x3FFFD},
};

bool IsWide(char32_t c) {
  const auto after = std::upper_bound(std::begin(kWide), std::end(kWide), c,
                                      [](char32_t v, const auto& range) { return v < range.first; });
  return after != std::begin(kWide) && c <= std::prev(after)->second;
}

// The code point at i and how many UTF-16 units it takes.
std::pair<char32_t, qsizetype> CodePointAt(const QString& text, qsizetype i) {
  const QChar c = text[i];
  if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
    return {QChar::surrogateToUcs4(c, text[i + 1]), 2};
  return {c.unicode(), 1};
}

}  // namespace

int CharacterColumns(char32_t c) {
  switch (QChar::category(c)) {
    case QChar::Mark_NonSpacing:
    case QChar::Mark_Enclosing:
    case QChar::Other_Format:
      return 0;
    default:
      break;
  }
  if (c >= 0x1160 && c <= 0x11FF) return 0;  // Hangul vowels and finals join the syllable before
  return IsWide(c) ? 2 : 1;
}

qsizetype DisplayColumns(const QString& text) {
  qsizetype columns = 0;
  for (qsizetype i = 0; i < text.size();) {
    const auto [c, units] = CodePointAt(text, i);
    columns += CharacterColumns(c);
    i += units;
  }
  return columns;
}

QString ColumnPrefix(const QString& text, qsizetype maxColumns) {
  qsizetype columns = 0;
  qsizetype i = 0;
  while (i < text.size()) {
    const auto [c, units] = CodePointAt(text, i);
    const int width = CharacterColumns(c);
    if (columns + width > maxColumns) break;
    columns += width;
    i += units;
  }
  return text.left(i);
}

QString PadToColumns(const QString& text, qsizetype width) {
  const qsizetype columns = DisplayColumns(text);
  return columns < width ? text + QString(width - columns, u' ') : text;
}
