#pragma once
// The painted surfaces shared by the three windows: body fill with grain,
// recessed wells, soft shadows and the ornaments.
#include <QImage>
#include <QPainterPath>
#include <QRectF>

#include "stable_hash.h"
#include "theme.h"

class QPainter;

namespace skingen {

// A picture of the given size filled with the body gradient (top to bottom
// over [top, bottom]) and a faint fixed grain.
QImage bodyFill(QSize size, int top, int bottom, const Theme& theme, std::uint32_t seed);

// A recess: darker inside, shadowed at the top, its lower lip catching light.
void paintWell(QPainter& p, const QRectF& rect, qreal radius, const Theme& theme);

// A soft shadow of `shape` moved down by `drop`, spread over `blur` pixels.
void paintSoftShadow(QPainter& p, const QPainterPath& shape, qreal drop, int blur, int strength);

// The theme's decoration (speaker grille or blossoms) inside `area`.
void paintOrnament(QPainter& p, const QRectF& area, const Theme& theme, std::uint32_t seed);

// The word mark in the accent gradient, engraved into the body.
void paintWordMark(QPainter& p, QPointF origin, qreal height, const Theme& theme);

// A small emblem glyph in the accent gradient.
void paintEmblem(QPainter& p, const QPainterPath& shape, const Theme& theme);

}  // namespace skingen
