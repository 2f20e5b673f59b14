#include <QConicalGradient>
#include <QPainter>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

#include "shape_mask.h"
#include "skin_geometry.h"
#include "surfaces.h"
#include "window_art.h"

namespace skingen {
namespace {

namespace g = geometry;

constexpr double kBlossomReach = 1.03;  // petal tips reach a little past the round orb

QPointF ringCentre(g::RingSlot slot) {
  const double a = g::kRingAngles[static_cast<std::size_t>(slot)] * std::numbers::pi / 180;
  // Whole pixels keep every button crisp and its piece aligned with its socket.
  return {std::round(g::kOrbCentre.x() + g::kRingRadius * std::cos(a)),
          std::round(g::kOrbCentre.y() + g::kRingRadius * std::sin(a))};
}

double firstPetalTurn() { return g::kRingAngles[0] * std::numbers::pi / 180; }

QPainterPath orbFace(const Theme& theme) {
  if (theme.orb == OrbShape::Round) return discPath(g::kOrbCentre, g::kOrbRadius);
  return blossom(g::kOrbCentre, g::kOrbRadius * kBlossomReach, firstPetalTurn(), false)
      .united(discPath(g::kOrbCentre, g::kOrbRadius * 0.62));
}

ShapeMask mainOutline(const Theme& theme) {
  ShapeMask mask(g::kMainSize.width(), g::kMainSize.height());
  QPainterPath body;
  body.addRoundedRect(QRectF(g::kMainBody), theme.bodyRadius, theme.bodyRadius);
  mask.unite(body);
  mask.unite(orbFace(theme));
  return mask.closed(theme.orbFillet);
}

void paintOrb(QPainter& p, const Theme& theme) {
  const QPainterPath face = orbFace(theme);
  paintSoftShadow(p, face, 3, 6, 150);
  QRadialGradient fill(g::kOrbCentre + QPointF(-18, -26), g::kOrbRadius * 1.25);
  fill.setColorAt(0, theme.orbCentre);
  fill.setColorAt(1, theme.orbEdge);
  p.fillPath(face, fill);
  // Rim where the orb stands over the body; lit on top.
  QLinearGradient rim(0, g::kOrbCentre.y() - g::kOrbRadius, 0, g::kOrbCentre.y() + g::kOrbRadius);
  rim.setColorAt(0, QColor(255, 255, 255, 120));
  rim.setColorAt(0.5, QColor(255, 255, 255, 10));
  rim.setColorAt(1, QColor(0, 0, 0, 120));
  p.setPen(QPen(QBrush(rim), 1.2));
  p.setBrush(Qt::NoBrush);
  p.drawPath(face);

  if (theme.orb == OrbShape::Round) {
    // A groove joining the five buttons, like a click wheel.
    const qreal inner = g::kRingRadius - g::kBeadRadius - 5, outer = g::kRingRadius + g::kBeadRadius + 5;
    const QPainterPath groove = discPath(g::kOrbCentre, outer).subtracted(discPath(g::kOrbCentre, inner));
    QLinearGradient gr(0, g::kOrbCentre.y() - outer, 0, g::kOrbCentre.y() + outer);
    QColor a = theme.track, b = theme.track;
    a.setAlpha(200);
    b.setAlpha(90);
    gr.setColorAt(0, a);
    gr.setColorAt(1, b);
    p.fillPath(groove, gr);
    p.setPen(QPen(QColor(0, 0, 0, 110), 1));
    p.drawEllipse(g::kOrbCentre, outer - 0.5, outer - 0.5);
    p.setPen(QPen(QColor(255, 255, 255, 40), 1));
    p.drawEllipse(g::kOrbCentre, inner + 0.5, inner + 0.5);
    p.drawEllipse(g::kOrbCentre + QPointF(0, 0.8), outer + 0.3, outer + 0.3);
  } else {
    // Veins from the heart of the blossom to each petal.
    QColor vein = theme.track;
    vein.setAlpha(150);
    p.setPen(QPen(vein, 1.2, Qt::SolidLine, Qt::RoundCap));
    for (std::size_t i = 0; i < 5; ++i) {
      const double a = g::kRingAngles[i] * std::numbers::pi / 180;
      for (double spread : {-0.16, 0.16}) {
        p.drawLine(QPointF(g::kOrbCentre.x() + 38 * std::cos(a + spread),
                           g::kOrbCentre.y() + 38 * std::sin(a + spread)),
                   QPointF(g::kOrbCentre.x() + 80 * std::cos(a + spread * 0.4),
                           g::kOrbCentre.y() + 80 * std::sin(a + spread * 0.4)));
      }
    }
  }
  // A thin light ring around the play button, running through the accent colours.
  QConicalGradient glow(g::kOrbCentre, 90);
  glow.setColorAt(0, theme.accentA);
  glow.setColorAt(0.5, theme.accentB);
  glow.setColorAt(1, theme.accentA);
  paintSocket(p, g::kOrbCentre, g::kPlayRadius, theme);
  p.setPen(QPen(QBrush(glow), 1.6));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(g::kOrbCentre, g::kPlayRadius + 6.5, g::kPlayRadius + 6.5);
  for (int slot = 0; slot < 5; ++slot)
    paintSocket(p, ringCentre(static_cast<g::RingSlot>(slot)), g::kBeadRadius, theme);
}

QImage mainBackground(const Theme& theme) {
  QImage art = bodyFill(g::kMainSize, g::kMainBody.top(), g::kMainBody.bottom(), theme, 11);
  QPainter p(&art);
  p.setRenderHint(QPainter::Antialiasing);
  paintWell(p, QRectF(g::kDisplay), 10, theme);
  // Faint reflection across the display glass.
  QPainterPath glare;
  glare.moveTo(g::kDisplay.left() + 2, g::kDisplay.top() + 2);
  glare.lineTo(g::kDisplay.left() + 120, g::kDisplay.top() + 2);
  glare.lineTo(g::kDisplay.left() + 70, g::kDisplay.top() + 30);
  glare.lineTo(g::kDisplay.left() + 2, g::kDisplay.top() + 30);
  QPainterPath display;
  display.addRoundedRect(QRectF(g::kDisplay).adjusted(1, 1, -1, -1), 9, 9);
  p.fillPath(glare.intersected(display), QColor(255, 255, 255, 9));
  // An accent hairline along the foot of the display, fading at both ends.
  const qreal footY = g::kDisplay.bottom() - 3.5;
  QLinearGradient hairline(g::kDisplay.left() + 24, 0, g::kDisplay.right() - 24, 0);
  QColor a = theme.accentA, b = theme.accentB, clear = theme.accentA;
  clear.setAlpha(0);
  a.setAlpha(150);
  b.setAlpha(150);
  hairline.setColorAt(0, clear);
  hairline.setColorAt(0.3, a);
  hairline.setColorAt(0.7, b);
  clear = theme.accentB;
  clear.setAlpha(0);
  hairline.setColorAt(1, clear);
  p.setPen(QPen(QBrush(hairline), 1));
  p.drawLine(QPointF(g::kDisplay.left() + 24, footY), QPointF(g::kDisplay.right() - 24, footY));

  paintWordMark(p, g::kWordMarkAt, g::kWordMarkHeight, theme);
  paintOrnament(p, QRectF(268, 113, 52, 36), theme, 5);
  for (const QPointF& c : g::kSmallCentres) paintSocket(p, c, g::kSmallRadius, theme);
  paintOrb(p, theme);
  p.end();
  finishWindow(art, mainOutline(theme), {theme.rim, 3, theme.bevelHighlight, theme.bevelShade});
  return art;
}

QRect squareAround(QPointF centre, int half) {
  return {static_cast<int>(centre.x()) - half, static_cast<int>(centre.y()) - half, 2 * half, 2 * half};
}

}  // namespace

WindowArt drawMainWindow(const Theme& theme) {
  WindowArt art{mainBackground(theme), {}};
  const QImage& bg = art.background;

  const QRect playBox = squareAround(g::kOrbCentre, static_cast<int>(g::kPlayRadius) + 2);
  art.buttons.push_back(cutButton(
      bg, playBox, discPath(g::kOrbCentre, g::kPlayRadius), Cut::Keyed,
      [&](QPainter& p) { paintAccentButton(p, g::kOrbCentre, g::kPlayRadius, Glyph::Play, theme); }));
  auto bead = [&](g::RingSlot slot, Glyph glyph) {
    const QPointF c = ringCentre(slot);
    const QRect box = squareAround(c, static_cast<int>(g::kBeadRadius) + 2);
    art.buttons.push_back(cutButton(bg, box, discPath(c, g::kBeadRadius), Cut::Keyed,
                                    [&](QPainter& p) { paintBead(p, c, g::kBeadRadius, glyph, theme); }));
  };
  bead(g::RingSlot::Stop, Glyph::Stop);
  bead(g::RingSlot::Pause, Glyph::Pause);
  bead(g::RingSlot::Previous, Glyph::Previous);
  bead(g::RingSlot::Next, Glyph::Next);
  bead(g::RingSlot::Playlist, Glyph::Playlist);

  auto small = [&](std::size_t index, Glyph glyph) {
    const QPointF c = g::kSmallCentres[index];
    const QRect box = squareAround(c, static_cast<int>(g::kSmallRadius) + 2);
    art.buttons.push_back(cutButton(bg, box, discPath(c, g::kSmallRadius), Cut::Opaque,
                                    [&](QPainter& p) { paintBead(p, c, g::kSmallRadius, glyph, theme); }));
  };
  small(1, Glyph::Minimise);
  small(2, Glyph::Close);
  small(0, Glyph::Info);
  return art;
}

}  // namespace skingen
