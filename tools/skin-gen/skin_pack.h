#pragma once
// A skin as the application loads it: the pack (19 BMP files back to back)
// and the 94-line layout that places and sizes them.
#include <QColor>
#include <QRect>

#include <array>
#include <string>

#include "buttons.h"
#include "byte_sink.h"
#include "theme.h"

namespace skingen {

inline constexpr int kPieceCount = 19;
inline constexpr int kLayoutLines = 94;
inline constexpr int kBlockSize = 2048;

struct SkinContent {
  std::array<Piece, kPieceCount> pieces;  // piece 1 first
  QRect combo, grid, paintBox, label;
  int labelFontSize = 0;
  QColor labelColour;
};

struct SkinFiles {
  Bytes pack;
  std::string layout;
};

// Block count and remainder of a piece of `size` bytes: size = (B - 2) * 2048 + R.
struct BlockSplit {
  int blocks;
  int remainder;
};
BlockSplit splitIntoBlocks(std::size_t size);

// A colour as the layout stores it: 0x00BBGGRR.
std::uint32_t layoutColour(const QColor& colour);

SkinFiles packSkin(const SkinContent& content);

// Draws every piece of a skin with the given theme.
SkinContent drawSkin(const Theme& theme);

}  // namespace skingen
