#include "glyphs.h"

#include <QPainterPathStroker>
#include <QPolygonF>
#include <QTransform>

#include <cmath>
#include <initializer_list>
#include <numbers>

namespace skingen {
namespace {

QPainterPath polygon(std::initializer_list<QPointF> points, qreal rounding) {
  QPainterPath p;
  p.addPolygon(QPolygonF(QList<QPointF>(points)));
  p.closeSubpath();
  if (rounding <= 0) return p;
  // Soften the corners: the polygon plus a thin round-joined stroke of its edge.
  return p.united(strokeOutline(p, rounding));
}

QPainterPath roundedBox(qreal left, qreal top, qreal right, qreal bottom, qreal radius) {
  QPainterPath p;
  p.addRoundedRect(QRectF(QPointF(left, top), QPointF(right, bottom)), radius, radius);
  return p;
}

QPainterPath polyline(std::initializer_list<QPointF> points) {
  QPainterPath p;
  bool first = true;
  for (const QPointF& pt : points) {
    if (first)
      p.moveTo(pt);
    else
      p.lineTo(pt);
    first = false;
  }
  return p;
}

QPainterPath disc(QPointF c, qreal r) {
  QPainterPath p;
  p.addEllipse(c, r, r);
  return p;
}

QPainterPath unitGlyph(Glyph glyph) {
  switch (glyph) {
    case Glyph::Play:
      return polygon({{-0.26, -0.36}, {0.38, 0.0}, {-0.26, 0.36}}, 0.08);
    case Glyph::Stop:
      return roundedBox(-0.29, -0.29, 0.29, 0.29, 0.07);
    case Glyph::Pause:
      return roundedBox(-0.3, -0.34, -0.08, 0.34, 0.05).united(roundedBox(0.08, -0.34, 0.3, 0.34, 0.05));
    case Glyph::Previous:
      return roundedBox(-0.38, -0.32, -0.24, 0.32, 0.04)
          .united(polygon({{0.36, -0.32}, {0.36, 0.32}, {-0.2, 0.0}}, 0.06));
    case Glyph::Next:
      return roundedBox(0.24, -0.32, 0.38, 0.32, 0.04)
          .united(polygon({{-0.36, -0.32}, {-0.36, 0.32}, {0.2, 0.0}}, 0.06));
    case Glyph::Playlist: {
      QPainterPath p;
      for (qreal y : {-0.27, 0.0, 0.27}) {
        p = p.united(disc({-0.3, y}, 0.075));
        p = p.united(roundedBox(-0.13, y - 0.06, 0.38, y + 0.06, 0.06));
      }
      return p;
    }
    case Glyph::Minimise:
      return roundedBox(-0.3, 0.06, 0.3, 0.2, 0.07);
    case Glyph::Close:
      return strokeOutline(polyline({{-0.26, -0.26}, {0.26, 0.26}}), 0.15)
          .united(strokeOutline(polyline({{0.26, -0.26}, {-0.26, 0.26}}), 0.15));
    case Glyph::Info:
      return disc({0.0, -0.29}, 0.09).united(roundedBox(-0.07, -0.12, 0.07, 0.37, 0.05));
    case Glyph::Faster:
      return strokeOutline(polyline({{-0.3, -0.02}, {0.0, -0.3}, {0.3, -0.02}}), 0.13)
          .united(strokeOutline(polyline({{-0.3, 0.3}, {0.0, 0.02}, {0.3, 0.3}}), 0.13));
    case Glyph::Slower:
      return strokeOutline(polyline({{-0.3, 0.02}, {0.0, 0.3}, {0.3, 0.02}}), 0.13)
          .united(strokeOutline(polyline({{-0.3, -0.3}, {0.0, -0.02}, {0.3, -0.3}}), 0.13));
    case Glyph::NewList:
      return strokeOutline(polyline({{-0.3, 0.0}, {0.3, 0.0}}), 0.15)
          .united(strokeOutline(polyline({{0.0, -0.3}, {0.0, 0.3}}), 0.15));
    case Glyph::OpenList:
      return polygon({{-0.38, -0.3}, {-0.1, -0.3}, {0.02, -0.19}, {0.38, -0.19}, {0.38, 0.3}, {-0.38, 0.3}},
                     0.06)
          .subtracted(roundedBox(-0.3, -0.08, 0.3, -0.02, 0.02));
    case Glyph::SaveList:
      return strokeOutline(polyline({{0.0, -0.38}, {0.0, 0.08}}), 0.13)
          .united(strokeOutline(polyline({{-0.17, -0.1}, {0.0, 0.08}, {0.17, -0.1}}), 0.13))
          .united(strokeOutline(polyline({{-0.34, 0.08}, {-0.34, 0.32}, {0.34, 0.32}, {0.34, 0.08}}), 0.12));
    case Glyph::Note: {
      QPainterPath head;
      head.addEllipse(QPointF(0, 0), 0.17, 0.12);
      head = QTransform().translate(-0.1, 0.25).rotate(-22).map(head);
      QPainterPath flag;
      flag.moveTo(0.06, -0.38);
      flag.cubicTo(0.1, -0.2, 0.36, -0.18, 0.28, 0.02);
      return head.united(roundedBox(0.0, -0.38, 0.08, 0.25, 0.02)).united(strokeOutline(flag, 0.09));
    }
  }
  return {};
}

}  // namespace

QPainterPath strokeOutline(const QPainterPath& centreLine, qreal width) {
  QPainterPathStroker stroker;
  stroker.setWidth(width);
  stroker.setCapStyle(Qt::RoundCap);
  stroker.setJoinStyle(Qt::RoundJoin);
  return stroker.createStroke(centreLine).simplified();
}

QPainterPath glyphPath(Glyph glyph, const QRectF& box) {
  const qreal side = std::min(box.width(), box.height());
  const QPointF c = box.center();
  return QTransform().translate(c.x(), c.y()).scale(side, side).map(unitGlyph(glyph));
}

QPainterPath wordMark(QPointF origin, qreal height, qreal* width) {
  const qreal s = 0.17;  // stroke width in letter heights
  const qreal inset = s / 2;
  QPainterPath mark;
  qreal x = 0;
  auto place = [&](QPainterPath centre, qreal advance) {
    mark = mark.united(strokeOutline(QTransform().translate(x, 0).map(centre), s));
    x += advance + 0.3;
  };
  place(polyline({{inset, inset}, {0.42, 1 - inset}, {0.84 - inset, inset}}), 0.84);
  place(polyline({{inset, 1 - inset}, {0.42, inset}, {0.84 - inset, 1 - inset}}), 0.84);
  QPainterPath r;
  r.moveTo(inset, 1 - inset);
  r.lineTo(inset, inset);
  r.lineTo(0.42, inset);
  r.arcTo(QRectF(0.42 - 0.22, inset, 0.44, 0.46), 90, -180);
  r.lineTo(inset, inset + 0.46);
  r.moveTo(0.36, inset + 0.46);
  r.lineTo(0.7 - inset, 1 - inset);
  place(r, 0.7);
  QPainterPath o;
  o.addEllipse(QPointF(0.5, 0.5), 0.5 - inset, 0.5 - inset);
  place(o, 1.0);
  const qreal total = x - 0.3;
  if (width) *width = total * height;
  return QTransform().translate(origin.x(), origin.y()).scale(height, height).map(mark);
}

namespace {

QTransform petalFrame(QPointF centre, qreal radius, qreal turn, int index) {
  return QTransform()
      .translate(centre.x(), centre.y())
      .rotateRadians(turn + index * 2 * std::numbers::pi / 5)
      .scale(radius, radius);
}

// One petal along +x from the heart to its tip at 1: narrow at the base,
// broad near the tip, like a cherry petal.
QPainterPath petal(bool notched) {
  QPainterPath p;
  p.moveTo(0.04, 0);
  p.cubicTo(0.25, -0.16, 0.55, -0.42, 0.84, -0.3);
  p.cubicTo(0.97, -0.24, 1.01, -0.13, 1.0, -0.06);
  if (notched) {
    p.lineTo(0.9, 0);
    p.lineTo(1.0, 0.06);
  } else {
    p.cubicTo(1.0, -0.02, 1.0, 0.02, 1.0, 0.06);
  }
  p.cubicTo(1.01, 0.13, 0.97, 0.24, 0.84, 0.3);
  p.cubicTo(0.55, 0.42, 0.25, 0.16, 0.04, 0);
  p.closeSubpath();
  return p;
}

}  // namespace

QPainterPath blossom(QPointF centre, qreal radius, qreal turn, bool notched) {
  QPainterPath flower;
  for (int i = 0; i < 5; ++i) flower = flower.united(petalFrame(centre, radius, turn, i).map(petal(notched)));
  return flower;
}

}  // namespace skingen
