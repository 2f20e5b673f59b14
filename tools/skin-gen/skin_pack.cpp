#include "skin_pack.h"

#include <vector>

#include "bmp_file.h"
#include "skin_geometry.h"
#include "window_art.h"

namespace skingen {
namespace {

void line(std::string& out, long value) {
  out += std::to_string(value);
  out += '\n';
}

void rectLines(std::string& out, const QRect& r) {
  line(out, r.left());
  line(out, r.top());
  line(out, r.width());
  line(out, r.height());
}

}  // namespace

BlockSplit splitIntoBlocks(std::size_t size) {
  return {static_cast<int>(size / kBlockSize) + 2, static_cast<int>(size % kBlockSize)};
}

std::uint32_t layoutColour(const QColor& colour) {
  return (static_cast<std::uint32_t>(colour.blue()) << 16) | (static_cast<std::uint32_t>(colour.green()) << 8) |
         static_cast<std::uint32_t>(colour.red());
}

SkinFiles packSkin(const SkinContent& content) {
  SkinFiles files;
  std::vector<BlockSplit> splits;
  for (const Piece& piece : content.pieces) {
    const Bytes bmp = encodeBmp24(piece.image);
    splits.push_back(splitIntoBlocks(bmp.size()));
    files.pack.insert(files.pack.end(), bmp.begin(), bmp.end());
  }
  std::string& out = files.layout;
  for (const Piece& piece : content.pieces) {
    line(out, piece.pos.x());
    line(out, piece.pos.y());
  }
  for (const BlockSplit& s : splits) line(out, s.blocks);
  for (const BlockSplit& s : splits) line(out, s.remainder);
  rectLines(out, content.combo);
  rectLines(out, content.grid);
  rectLines(out, content.paintBox);
  line(out, content.labelFontSize);
  line(out, static_cast<long>(layoutColour(content.labelColour)));
  rectLines(out, content.label);
  return files;
}

SkinContent drawSkin(const Theme& theme) {
  namespace g = geometry;
  SkinContent skin;
  WindowArt main = drawMainWindow(theme);
  WindowArt lyrics = drawLyricsWindow(theme);
  WindowArt playlist = drawPlaylistWindow(theme);
  // Piece order: main background and its nine buttons, the lyrics window
  // and its three, the playlist window and its four. The two secondary
  // backgrounds are always shown at the window's corner.
  std::size_t i = 0;
  skin.pieces[i++] = {main.background, QPoint(0, 0)};
  for (Piece& p : main.buttons) skin.pieces[i++] = std::move(p);
  skin.pieces[i++] = {lyrics.background, QPoint(0, 0)};
  for (Piece& p : lyrics.buttons) skin.pieces[i++] = std::move(p);
  skin.pieces[i++] = {playlist.background, QPoint(0, 0)};
  for (Piece& p : playlist.buttons) skin.pieces[i++] = std::move(p);
  skin.combo = g::kCombo;
  skin.grid = g::kGrid;
  skin.paintBox = g::kPaintBox;
  skin.label = g::kLabel;
  skin.labelFontSize = g::kLabelFontSize;
  skin.labelColour = theme.labelColour;
  return skin;
}

}  // namespace skingen
