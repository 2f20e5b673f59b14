#include "buttons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

#include <functional>

namespace skingen {
namespace {

// Glyphs sit engraved: a light glyph gets a dark shadow under it, a dark
// glyph a light one.
void paintGlyph(QPainter& p, const QPainterPath& glyph, const QColor& colour) {
  const bool light = colour.lightness() >= 128;
  p.fillPath(glyph.translated(0, 1), light ? QColor(0, 0, 0, 150) : QColor(255, 255, 255, 200));
  p.fillPath(glyph, colour);
}

// The common glass finish over any button shape: a darker rim, a bright
// inner top edge and a gloss over the upper half.
void paintGlass(QPainter& p, const QPainterPath& shape, const QColor& top, const QColor& bottom,
                const QColor& edge) {
  const QRectF box = shape.boundingRect();
  QLinearGradient fill(0, box.top(), 0, box.bottom());
  fill.setColorAt(0, top);
  fill.setColorAt(1, bottom);
  p.fillPath(shape, fill);

  QLinearGradient shine(0, box.top(), 0, box.center().y());
  shine.setColorAt(0, QColor(255, 255, 255, 60));
  shine.setColorAt(1, QColor(255, 255, 255, 0));
  QPainterPath upper;
  upper.addRect(QRectF(box.left(), box.top(), box.width(), box.height() * 0.5));
  p.fillPath(shape.intersected(upper), shine);

  QLinearGradient innerEdge(0, box.top(), 0, box.bottom());
  innerEdge.setColorAt(0, QColor(255, 255, 255, 110));
  innerEdge.setColorAt(0.5, QColor(255, 255, 255, 0));
  innerEdge.setColorAt(1, QColor(255, 255, 255, 30));
  const QPainterPath inner =
      shape.subtracted(QTransform()
                           .translate(box.center().x(), box.center().y())
                           .scale((box.width() - 3) / box.width(), (box.height() - 3) / box.height())
                           .translate(-box.center().x(), -box.center().y())
                           .map(shape));
  p.fillPath(inner, innerEdge);
  p.setPen(QPen(edge, 1));
  p.setBrush(Qt::NoBrush);
  p.drawPath(QTransform()
                 .translate(box.center().x(), box.center().y())
                 .scale((box.width() - 1) / box.width(), (box.height() - 1) / box.height())
                 .translate(-box.center().x(), -box.center().y())
                 .map(shape));
}

}  // namespace

QPainterPath discPath(QPointF centre, qreal radius) {
  QPainterPath p;
  p.addEllipse(centre, radius, radius);
  return p;
}

QPainterPath pillPath(const QRectF& rect) {
  QPainterPath p;
  const qreal r = rect.height() / 2;
  p.addRoundedRect(rect, r, r);
  return p;
}

Piece cutButton(const QImage& background, const QRect& rect, const QPainterPath& face, Cut cut,
                const std::function<void(QPainter&)>& paint) {
  QImage image = background.copy(rect).convertToFormat(QImage::Format_RGB32);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(-rect.topLeft());
    paint(p);
  }
  if (cut == Cut::Keyed) {
    QImage coverage(rect.size(), QImage::Format_Alpha8);
    coverage.fill(0);
    {
      QPainter p(&coverage);
      p.setRenderHint(QPainter::Antialiasing);
      p.translate(-rect.topLeft());
      p.fillPath(face, Qt::black);
    }
    for (int y = 0; y < image.height(); ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      const std::uint8_t* cover = coverage.constScanLine(y);
      for (int x = 0; x < image.width(); ++x) {
        if (cover[x] == 0)
          line[x] = kKeyColour;
        else if (line[x] == kKeyColour)
          line[x] = qRgb(254, 0, 255);
      }
    }
    image.setPixel(0, image.height() - 1, kKeyColour);
  }
  return {image, rect.topLeft()};
}

void paintSocket(QPainter& p, QPointF centre, qreal radius, const Theme& theme) {
  paintSocket(p, QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), radius, theme);
}

void paintSocket(QPainter& p, const QRectF& rect, qreal radius, const Theme& theme) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF outer = rect.adjusted(-3, -3, 3, 3);
  QPainterPath hole;
  hole.addRoundedRect(outer, radius + 3, radius + 3);
  QLinearGradient g(0, outer.top(), 0, outer.bottom());
  QColor top = theme.track, bottom = theme.track;
  top.setAlpha(230);
  bottom.setAlpha(120);
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  p.fillPath(hole, g);
  // The lower lip of the recess catches the light.
  QLinearGradient lip(0, outer.top(), 0, outer.bottom());
  lip.setColorAt(0, QColor(0, 0, 0, 90));
  lip.setColorAt(0.55, QColor(255, 255, 255, 0));
  lip.setColorAt(1, QColor(255, 255, 255, 90));
  p.setPen(QPen(QBrush(lip), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(outer.adjusted(-0.5, -0.5, 0.5, 0.5), radius + 3.5, radius + 3.5);
  // The button's own shadow inside the recess.
  QPainterPath shadow;
  shadow.addRoundedRect(rect.adjusted(-1, 0, 1, 2), radius + 1, radius + 1);
  p.fillPath(shadow, QColor(0, 0, 0, 90));
  p.restore();
}

void paintAccentButton(QPainter& p, QPointF centre, qreal radius, Glyph glyph, const Theme& theme) {
  const QPainterPath shape = discPath(centre, radius);
  QRadialGradient g(centre + QPointF(-radius * 0.35, -radius * 0.45), radius * 1.5);
  g.setColorAt(0, theme.accentA);
  g.setColorAt(1, theme.accentB);
  p.fillPath(shape, g);
  // Gloss: a soft ellipse over the top.
  QPainterPath gloss;
  gloss.addEllipse(
      QRectF(centre.x() - radius * 0.72, centre.y() - radius * 0.92, radius * 1.44, radius * 0.95));
  QLinearGradient glossFill(0, centre.y() - radius, 0, centre.y());
  glossFill.setColorAt(0, QColor(255, 255, 255, 120));
  glossFill.setColorAt(1, QColor(255, 255, 255, 0));
  p.fillPath(gloss.intersected(shape), glossFill);
  QPainterPath ring = shape.subtracted(discPath(centre, radius - 1.5));
  QLinearGradient ringFill(0, centre.y() - radius, 0, centre.y() + radius);
  ringFill.setColorAt(0, QColor(255, 255, 255, 150));
  ringFill.setColorAt(0.5, QColor(255, 255, 255, 20));
  ringFill.setColorAt(1, QColor(255, 255, 255, 70));
  p.fillPath(ring, ringFill);
  p.setPen(QPen(theme.rim, 1));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(centre, radius - 0.5, radius - 0.5);
  const qreal side = radius * 1.05;
  const QPainterPath mark =
      glyphPath(glyph, QRectF(centre.x() - side / 2 + radius * 0.06, centre.y() - side / 2, side, side));
  p.fillPath(mark.translated(0, 1.5), QColor(0, 0, 0, 70));
  p.fillPath(mark, theme.accentGlyph);
}

void paintBead(QPainter& p, QPointF centre, qreal radius, Glyph glyph, const Theme& theme) {
  paintGlass(p, discPath(centre, radius), theme.beadTop, theme.beadBottom, theme.beadEdge);
  const qreal side = radius * 1.0;
  paintGlyph(p, glyphPath(glyph, QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side)),
             glyph == Glyph::Close ? theme.closeGlyph : theme.beadGlyph);
}

void paintPill(QPainter& p, const QRectF& rect, Glyph glyph, const Theme& theme) {
  paintGlass(p, pillPath(rect), theme.beadTop, theme.beadBottom, theme.beadEdge);
  const qreal side = rect.height() * 0.62;
  const QPointF c = rect.center();
  paintGlyph(p, glyphPath(glyph, QRectF(c.x() - side / 2, c.y() - side / 2, side, side)), theme.beadGlyph);
}

}  // namespace skingen
