#pragma once
// Every symbol of the skins as a vector outline, so no system font is ever
// involved. Glyphs are designed in a unit box centred on (0, 0).
#include <QPainterPath>
#include <QRectF>

namespace skingen {

enum class Glyph {
  Play,
  Stop,
  Pause,
  Previous,
  Next,
  Playlist,
  Minimise,
  Close,
  Info,
  Faster,
  Slower,
  NewList,
  OpenList,
  SaveList,
  Note,
};

// The glyph scaled to fit `box` (its unit box maps onto the box's square core).
QPainterPath glyphPath(Glyph glyph, const QRectF& box);

// A round-capped, round-joined stroke of a centre line, as a fillable outline.
QPainterPath strokeOutline(const QPainterPath& centreLine, qreal width);

// The word mark: the letters V A R O drawn as strokes, `height` pixels tall,
// starting at `origin` (top left). Returns the outline; `width` gets its width.
QPainterPath wordMark(QPointF origin, qreal height, qreal* width = nullptr);

// A five-petal blossom reaching `radius` at the petal tips, its first petal
// pointing `turn` radians from the right (clockwise on screen). Cherry
// petals carry a small notch at the tip; large outlines look cleaner without.
QPainterPath blossom(QPointF centre, qreal radius, qreal turn, bool notched = true);

}  // namespace skingen
