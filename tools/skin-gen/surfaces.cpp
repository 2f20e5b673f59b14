#include "surfaces.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <algorithm>

#include "glyphs.h"

namespace skingen {

QImage bodyFill(QSize size, int top, int bottom, const Theme& theme, std::uint32_t seed) {
  QImage image(size, QImage::Format_RGB32);
  {
    QPainter p(&image);
    QLinearGradient g(0, top, 0, bottom);
    g.setColorAt(0, theme.bodyTop);
    g.setColorAt(1, theme.bodyBottom);
    p.fillRect(image.rect(), g);
    // A broad diagonal sheen keeps large areas from looking flat.
    QLinearGradient sheen(0, 0, size.width(), size.height());
    sheen.setColorAt(0.0, QColor(255, 255, 255, 14));
    sheen.setColorAt(0.45, QColor(255, 255, 255, 0));
    sheen.setColorAt(1.0, QColor(0, 0, 0, 18));
    p.fillRect(image.rect(), sheen);
  }
  for (int y = 0; y < size.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < size.width(); ++x) {
      const int n =
          static_cast<int>(hashOf(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), seed) % 5) -
          2;
      auto ch = [n](int v) { return std::clamp(v + n, 0, 255); };
      line[x] = qRgb(ch(qRed(line[x])), ch(qGreen(line[x])), ch(qBlue(line[x])));
    }
  }
  return image;
}

void paintWell(QPainter& p, const QRectF& rect, qreal radius, const Theme& theme) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath outer;
  outer.addRoundedRect(rect, radius, radius);
  // The lip: light below, dark above, one pixel outside the recess.
  QLinearGradient lip(0, rect.top() - 1, 0, rect.bottom() + 1);
  lip.setColorAt(0, QColor(0, 0, 0, 110));
  lip.setColorAt(0.5, QColor(0, 0, 0, 0));
  lip.setColorAt(1, QColor(255, 255, 255, 70));
  QPainterPath lipPath;
  lipPath.addRoundedRect(rect.adjusted(-1, -1, 1, 1), radius + 1, radius + 1);
  p.fillPath(lipPath.subtracted(outer), lip);

  QLinearGradient fill(0, rect.top(), 0, rect.bottom());
  fill.setColorAt(0, theme.wellTop);
  fill.setColorAt(1, theme.wellBottom);
  p.fillPath(outer, fill);
  // Inner shadow along the top edge.
  QLinearGradient shadow(0, rect.top(), 0, rect.top() + 6);
  shadow.setColorAt(0, QColor(0, 0, 0, 120));
  shadow.setColorAt(1, QColor(0, 0, 0, 0));
  p.fillPath(outer, shadow);
  // Thin edge line inside, brighter at the bottom.
  QLinearGradient edge(0, rect.top(), 0, rect.bottom());
  QColor e = theme.wellEdge;
  e.setAlpha(40);
  edge.setColorAt(0, e);
  e.setAlpha(150);
  edge.setColorAt(1, e);
  p.setPen(QPen(QBrush(edge), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
  p.restore();
}

void paintSoftShadow(QPainter& p, const QPainterPath& shape, qreal drop, int blur, int strength) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QPainterPath moved = shape.translated(0, drop);
  // Stacked widening outlines approximate a blur without any filtering.
  for (int i = blur; i >= 1; --i) {
    const int alpha = strength * (blur - i + 1) / (blur * blur);
    p.setPen(QPen(QColor(0, 0, 0, alpha), 2.0 * i, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(moved);
  }
  p.fillPath(moved, QColor(0, 0, 0, strength / blur));
  p.restore();
}

namespace {

void paintGrille(QPainter& p, const QRectF& area, const Theme& theme) {
  const qreal pitch = 6;
  const int cols = static_cast<int>(area.width() / pitch);
  const int rows = static_cast<int>(area.height() / pitch);
  const qreal x0 = area.left() + (area.width() - (cols - 1) * pitch) / 2;
  const qreal y0 = area.top() + (area.height() - (rows - 1) * pitch) / 2;
  QColor lip = theme.ornamentColour;
  lip.setAlpha(120);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      const QPointF at(x0 + c * pitch + (r % 2) * pitch / 2, y0 + r * pitch);
      if (!area.contains(at)) continue;
      p.setPen(Qt::NoPen);
      p.setBrush(lip);
      p.drawEllipse(at + QPointF(0, 0.8), 1.7, 1.7);
      p.setBrush(QColor(0, 0, 0, 200));
      p.drawEllipse(at, 1.6, 1.6);
    }
  }
}

void paintPetals(QPainter& p, const QRectF& area, const Theme& theme, std::uint32_t seed) {
  const int count = std::max(2, static_cast<int>(area.width() * area.height() / 1400));
  for (int i = 0; i < count; ++i) {
    const std::uint32_t h = hashOf(static_cast<std::uint32_t>(i), 77u, seed);
    const qreal radius = 5 + (h % 7);
    const qreal x = area.left() + radius +
                    (h >> 8) % static_cast<std::uint32_t>(std::max(1.0, area.width() - 2 * radius));
    const qreal y = area.top() + radius +
                    (h >> 18) % static_cast<std::uint32_t>(std::max(1.0, area.height() - 2 * radius));
    const qreal turn = (h % 628) / 100.0;
    QColor c = theme.ornamentColour;
    c.setAlpha(70 + static_cast<int>(h % 90));
    p.fillPath(blossom({x, y}, radius, turn), c);
    QColor heart = theme.accentB;
    heart.setAlpha(c.alpha());
    p.setPen(Qt::NoPen);
    p.setBrush(heart);
    p.drawEllipse(QPointF(x, y), radius * 0.16, radius * 0.16);
  }
}

}  // namespace

void paintOrnament(QPainter& p, const QRectF& area, const Theme& theme, std::uint32_t seed) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  if (theme.ornament == Ornament::Grille)
    paintGrille(p, area, theme);
  else
    paintPetals(p, area, theme, seed);
  p.restore();
}

void paintEmblem(QPainter& p, const QPainterPath& shape, const Theme& theme) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF box = shape.boundingRect();
  const bool darkBody = theme.bodyTop.lightness() < 128;
  p.fillPath(shape.translated(0, 1), darkBody ? QColor(0, 0, 0, 160) : QColor(255, 255, 255, 220));
  QLinearGradient g(box.topLeft(), box.bottomRight());
  g.setColorAt(0, theme.markA);
  g.setColorAt(1, theme.markB);
  p.fillPath(shape, g);
  p.restore();
}

void paintWordMark(QPainter& p, QPointF origin, qreal height, const Theme& theme) {
  paintEmblem(p, wordMark(origin, height), theme);
}

}  // namespace skingen
