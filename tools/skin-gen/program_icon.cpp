#include "program_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include "glyphs.h"
#include "theme.h"

namespace skingen {
namespace {

QPainterPath roundedSquare(qreal inset, qreal radius) {
  QPainterPath p;
  p.addRoundedRect(QRectF(inset, inset, kIconCanvas - 2 * inset, kIconCanvas - 2 * inset), radius, radius);
  return p;
}

QPainterPath disc(qreal r) {
  QPainterPath p;
  p.addEllipse(QPointF(kIconCanvas / 2.0, kIconCanvas / 2.0), r, r);
  return p;
}

}  // namespace

std::vector<IconLayer> iconLayers(bool compact) {
  const Theme& t = defaultTheme();
  std::vector<IconLayer> layers;
  const QPainterPath base = compact ? roundedSquare(4, 60) : roundedSquare(14, 58);
  const QRectF box = base.boundingRect();

  QLinearGradient body(box.topLeft(), box.bottomRight());
  body.setColorAt(0, QColor(0x34, 0x3d, 0x5e));
  body.setColorAt(1, QColor(0x0c, 0x0f, 0x1a));
  layers.push_back({base, QBrush(body)});

  QRadialGradient glow(QPointF(128, 128), 112);
  QColor g0 = t.accentB, g1 = t.accentB;
  g0.setAlpha(110);
  g1.setAlpha(0);
  glow.setColorAt(0.45, g0);
  glow.setColorAt(1, g1);
  layers.push_back({base, QBrush(glow)});

  // A lit top edge, fading towards the sides.
  QLinearGradient lit(box.left(), 0, box.right(), 0);
  lit.setColorAt(0, QColor(255, 255, 255, 0));
  lit.setColorAt(0.5, QColor(255, 255, 255, 90));
  lit.setColorAt(1, QColor(255, 255, 255, 0));
  layers.push_back({base.subtracted(base.translated(0, compact ? 8 : 4)), QBrush(lit)});

  QLinearGradient ring(60, 60, 196, 196);
  ring.setColorAt(0, t.accentA);
  ring.setColorAt(1, t.accentB);
  layers.push_back({compact ? disc(100).subtracted(disc(72)) : disc(86).subtracted(disc(64)), QBrush(ring)});

  const QPainterPath play = compact ? glyphPath(Glyph::Play, QRectF(64, 60, 136, 136))
                                    : glyphPath(Glyph::Play, QRectF(86, 84, 88, 88));
  if (!compact) layers.push_back({play.translated(0, 4), QBrush(QColor(0, 0, 0, 90))});
  layers.push_back({play, QBrush(QColor(255, 255, 255))});
  return layers;
}

QImage renderIcon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(static_cast<qreal>(size) / kIconCanvas, static_cast<qreal>(size) / kIconCanvas);
  for (const IconLayer& layer : iconLayers(size <= 32)) p.fillPath(layer.path, layer.brush);
  p.end();
  return image;
}

}  // namespace skingen
