#include <QPainter>

#include "shape_mask.h"
#include "skin_geometry.h"
#include "surfaces.h"
#include "window_art.h"

namespace skingen {
namespace {

namespace g = geometry;

ShapeMask playlistOutline(const Theme& theme) {
  ShapeMask mask(g::kPlaylistSize.width(), g::kPlaylistSize.height());
  QPainterPath body, tab;
  body.addRoundedRect(QRectF(g::kPlaylistBody), theme.bodyRadius, theme.bodyRadius);
  tab.addRoundedRect(QRectF(g::kPlaylistTab), 12, 12);
  mask.unite(body);
  mask.unite(tab);
  return mask.closed(10);
}

QPointF closeCentre() {
  return QPointF(g::kListClose) + QPointF(g::kListCloseSize / 2.0, g::kListCloseSize / 2.0);
}

QRectF pillRect(std::size_t index) {
  return QRectF(QPointF(g::kListPills[index]), QSizeF(g::kPillSize)).adjusted(2, 2, -2, -2);
}

QImage playlistBackground(const Theme& theme) {
  QImage art = bodyFill(g::kPlaylistSize, 0, g::kPlaylistSize.height(), theme, 37);
  QPainter p(&art);
  p.setRenderHint(QPainter::Antialiasing);
  // The tab carries the list emblem and the word mark.
  paintEmblem(p, glyphPath(Glyph::Playlist, QRectF(24, 5, 20, 20)), theme);
  paintWordMark(p, QPointF(52, 10), 10, theme);
  // Recesses for the playlist name box and the list; the widgets fill their middles.
  paintWell(p, QRectF(g::kCombo).adjusted(-3, -3, 3, 3), 6, theme);
  paintWell(p, QRectF(g::kGrid).adjusted(-4, -4, 4, 4), 7, theme);
  p.fillRect(g::kGrid, theme.listRows);
  for (std::size_t i = 0; i < g::kListPills.size(); ++i) {
    const QRectF r = pillRect(i);
    paintSocket(p, r, r.height() / 2, theme);
  }
  paintSocket(p, closeCentre(), g::kListCloseSize / 2.0 - 2, theme);
  paintOrnament(p, QRectF(252, 342, 104, 34), theme, 41);
  p.end();
  finishWindow(art, playlistOutline(theme), {theme.rim, 3, theme.bevelHighlight, theme.bevelShade});
  return art;
}

}  // namespace

WindowArt drawPlaylistWindow(const Theme& theme) {
  WindowArt art{playlistBackground(theme), {}};
  const Glyph pillGlyphs[] = {Glyph::NewList, Glyph::OpenList, Glyph::SaveList};
  for (std::size_t i = 0; i < g::kListPills.size(); ++i) {
    const QRectF r = pillRect(i);
    art.buttons.push_back(cutButton(art.background, QRect(g::kListPills[i], g::kPillSize), pillPath(r),
                                    Cut::Opaque,
                                    [&](QPainter& p) { paintPill(p, r, pillGlyphs[i], theme); }));
  }
  const QPointF c = closeCentre();
  const qreal radius = g::kListCloseSize / 2.0 - 2;
  art.buttons.push_back(cutButton(
      art.background, QRect(g::kListClose, QSize(g::kListCloseSize, g::kListCloseSize)), discPath(c, radius),
      Cut::Opaque, [&](QPainter& p) { paintBead(p, c, radius, Glyph::Close, theme); }));
  return art;
}

}  // namespace skingen
