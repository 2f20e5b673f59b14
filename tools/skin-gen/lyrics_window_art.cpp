#include <QPainter>

#include "shape_mask.h"
#include "skin_geometry.h"
#include "surfaces.h"
#include "window_art.h"

namespace skingen {
namespace {

namespace g = geometry;

ShapeMask lyricsOutline(const Theme& theme) {
  ShapeMask mask(g::kLyricsSize.width(), g::kLyricsSize.height());
  QPainterPath body, spine;
  body.addRoundedRect(QRectF(g::kLyricsBody), theme.bodyRadius, theme.bodyRadius);
  spine.addRoundedRect(QRectF(g::kLyricsSpine), 22, 22);
  mask.unite(body);
  mask.unite(spine);
  return mask.closed(12);
}

QPointF buttonCentre(QPoint topLeft) {
  return QPointF(topLeft) + QPointF(g::kLyricsButton / 2.0, g::kLyricsButton / 2.0);
}

QImage lyricsBackground(const Theme& theme) {
  QImage art = bodyFill(g::kLyricsSize, 0, g::kLyricsSize.height(), theme, 23);
  QPainter p(&art);
  p.setRenderHint(QPainter::Antialiasing);
  // The frame round the lyrics picture; the picture itself covers the middle.
  paintWell(p, QRectF(g::kPaintBox).adjusted(-6, -6, 6, 6), 8, theme);
  p.fillRect(g::kPaintBox.adjusted(-1, -1, 1, 1), QColor(0x0a, 0x0a, 0x0c));
  const qreal radius = g::kLyricsButton / 2.0 - 2;
  for (QPoint at : {g::kLyricsClose, g::kLyricsFaster, g::kLyricsSlower})
    paintSocket(p, buttonCentre(at), radius, theme);
  paintEmblem(p, glyphPath(Glyph::Note, QRectF(322, 60, 22, 22)), theme);
  paintOrnament(p, QRectF(304, 160, 42, 22), theme, 9);
  p.end();
  finishWindow(art, lyricsOutline(theme), {theme.rim, 3, theme.bevelHighlight, theme.bevelShade});
  return art;
}

}  // namespace

WindowArt drawLyricsWindow(const Theme& theme) {
  WindowArt art{lyricsBackground(theme), {}};
  const qreal radius = g::kLyricsButton / 2.0 - 2;
  auto button = [&](QPoint at, Glyph glyph) {
    const QPointF c = buttonCentre(at);
    art.buttons.push_back(cutButton(art.background, QRect(at, QSize(g::kLyricsButton, g::kLyricsButton)),
                                    discPath(c, radius), Cut::Opaque,
                                    [&](QPainter& p) { paintBead(p, c, radius, glyph, theme); }));
  };
  button(g::kLyricsClose, Glyph::Close);
  button(g::kLyricsFaster, Glyph::Faster);
  button(g::kLyricsSlower, Glyph::Slower);
  return art;
}

}  // namespace skingen
