#include "skin_files.h"

#include "bmp_file.h"
#include "formats/skin_pieces.h"
#include "skin_geometry.h"
#include "window_art.h"

namespace skingen {

SkinFiles packSkin(const SkinContent& content) {
  TSkinPieces pieces;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const Bytes bmp = encodeBmp24(content.pictures[i]);
    pieces[i] = QByteArray(reinterpret_cast<const char*>(bmp.data()), static_cast<qsizetype>(bmp.size()));
  }
  TSkinLayout layout = content.layout;
  SkinFiles files;
  files.pack = JoinSkinPack(pieces, layout);
  files.layout = FormatSkinLayout(layout);
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
  auto add = [&](QImage picture, QPoint pos) {
    skin.pictures[i] = std::move(picture);
    skin.layout.Positions[i++] = pos;
  };
  for (WindowArt* window : {&main, &lyrics, &playlist}) {
    add(std::move(window->background), QPoint(0, 0));
    for (Piece& p : window->buttons) add(std::move(p.image), p.pos);
  }
  skin.layout.Combo = g::kCombo;
  skin.layout.Grid = g::kGrid;
  skin.layout.PaintBox = g::kPaintBox;
  skin.layout.Label = g::kLabel;
  skin.layout.LabelFontSize = g::kLabelFontSize;
  auto ref = [](const QColor& c) { return ColorRefFromRgb(c.rgb()); };
  skin.layout.LabelColor = ref(theme.labelColour);
  // The time stands on the body, so it takes the word mark's colour rather than the labels'.
  skin.layout.TimeLines = {g::kTime, ref(theme.markA), g::kProgress, ref(theme.accentA), ref(theme.wellEdge)};
  skin.layout.GridLines = {ref(theme.listRows),       ref(theme.listText),   ref(theme.listHeader),
                           ref(theme.listHeaderText), ref(theme.listLines),  ref(theme.listSelect),
                           ref(theme.listSelectText), ref(theme.listPlaying)};
  return skin;
}

}  // namespace skingen
