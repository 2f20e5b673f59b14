// The layout file of a skin: 94 decimal integers, one per line, placing the 19 pieces of
// the pack, telling how many bytes each piece takes, and placing the playlist combo and grid,
// the lyrics paint box and the title labels; then optional lines for the time text and the
// progress line of the main window, and for the colours of the playlist grid.
#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QRgb>

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>

inline constexpr int kSkinPieceCount = 19;
inline constexpr int kSkinLayoutLines = 94;
// The optional lines after them: time text left, top, width, height, colour; progress line
// left, top, width, height, played colour, rest colour.
inline constexpr int kSkinTimeLines = 11;
// After those: the playlist grid's colours (see TSkinGridLines).
inline constexpr int kSkinGridLines = 8;
inline constexpr int kSkinBlockSize = 2048;

class ESkinError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A piece's size as the layout gives it: a block count B and a remainder R.
struct TSkinBlocks {
  int Blocks;     // B
  int Remainder;  // R, 0 ... 2048
  bool operator==(const TSkinBlocks&) const = default;
};

// The form a writer gives a piece of `size` bytes: B = whole blocks + 2, R = the rest.
TSkinBlocks SplitIntoBlocks(qint64 size);

// The optional lines, each unset when the file lacks it or holds no number there (a rectangle
// counts as unset when its width or height is not above 0). Skins older than these lines have
// none of them.
struct TSkinTimeLines {
  QRect Time;
  std::optional<uint32_t> TimeColor;  // Windows colour values 0x00BBGGRR
  QRect Progress;
  std::optional<uint32_t> ProgressColor;      // the part played
  std::optional<uint32_t> ProgressBackColor;  // the rest of the track
  bool IsEmpty() const {
    return Time.isEmpty() && !TimeColor && Progress.isEmpty() && !ProgressColor && !ProgressBackColor;
  }
};

// The playlist grid's colours, Windows colour values 0x00BBGGRR, each unset when the file
// lacks it or holds no colour there.
struct TSkinGridLines {
  std::optional<uint32_t> Color;            // the rows
  std::optional<uint32_t> TextColor;        // their text
  std::optional<uint32_t> FixedColor;       // the header row
  std::optional<uint32_t> FixedTextColor;   // its text
  std::optional<uint32_t> LineColor;        // the grid lines
  std::optional<uint32_t> SelectColor;      // the selected row
  std::optional<uint32_t> SelectTextColor;  // its text
  std::optional<uint32_t> PlayingColor;     // the text and mark of the entry that plays
  bool IsEmpty() const {
    return !Color && !TextColor && !FixedColor && !FixedTextColor && !LineColor && !SelectColor &&
           !SelectTextColor && !PlayingColor;
  }
};

struct TSkinLayout {
  std::array<QPoint, kSkinPieceCount> Positions{};  // piece i+1 at Positions[i]
  std::array<int, kSkinPieceCount> Blocks{};        // B(i)
  std::array<int, kSkinPieceCount> Remainders{};    // R(i), 0 ... 2048
  QRect Combo;
  QRect Grid;
  QRect PaintBox;
  int LabelFontSize = 0;
  uint32_t LabelColor = 0;  // Windows colour value 0x00BBGGRR
  QRect Label;              // left 0 selects the default label layout
  TSkinTimeLines TimeLines;
  TSkinGridLines GridLines;

  // Bytes piece number (1 ... 19) takes in the pack.
  qint64 PieceSize(int piece) const;
  void SetPieceSize(int piece, qint64 size);
};

// Windows colour value 0x00BBGGRR to and from an RGB triple.
QRgb ColorRefToRgb(uint32_t colorRef);
uint32_t ColorRefFromRgb(QRgb rgb);

// Raises ESkinError: a short file, a value that is not an integer (the last four lines are
// lenient: empty or not a number counts as 0), or a block count or remainder out of range.
TSkinLayout ParseSkinLayout(const QByteArray& text);

// The 94 lines, each ended by a line feed, then the time lines when any of them or of the
// grid lines is set, then the grid lines when any of them is set (an unset line as an empty
// line).
QByteArray FormatSkinLayout(const TSkinLayout& layout);
