#pragma once
// Button faces and the sockets they sit in, and cutting a finished button
// out of its window picture.
#include <QImage>
#include <QPainterPath>
#include <QPoint>

#include <functional>

#include "glyphs.h"
#include "theme.h"

class QPainter;

namespace skingen {

// Buttons drawn with a transparent colour carry it in their bottom-left
// pixel. Pure magenta never occurs in the art.
inline constexpr QRgb kKeyColour = 0xFFFF00FFu;

struct Piece {
  QImage image;
  QPoint pos;
};

enum class Cut { Keyed, Opaque };

// Draws a button over the finished background and cuts its piece. `face`
// is the button's outline in window coordinates: in a keyed piece every
// pixel it does not touch at all becomes the key colour, so the edge keeps
// its antialiasing against the real background beneath.
Piece cutButton(const QImage& background, const QRect& rect, const QPainterPath& face, Cut cut,
                const std::function<void(QPainter&)>& paint);

// The recess under a round button, painted into the background.
void paintSocket(QPainter& p, QPointF centre, qreal radius, const Theme& theme);
void paintSocket(QPainter& p, const QRectF& rect, qreal radius, const Theme& theme);

// The big accent-coloured play orb.
void paintAccentButton(QPainter& p, QPointF centre, qreal radius, Glyph glyph, const Theme& theme);

// An ordinary glass button, round or pill-shaped.
void paintBead(QPainter& p, QPointF centre, qreal radius, Glyph glyph, const Theme& theme);
void paintPill(QPainter& p, const QRectF& rect, Glyph glyph, const Theme& theme);

QPainterPath discPath(QPointF centre, qreal radius);
QPainterPath pillPath(const QRectF& rect);

}  // namespace skingen
