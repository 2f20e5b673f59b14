#include "core/skin/edge_snap.h"

QPoint SnapToScreenEdges(QPoint target, QSize size, const QRect& screen) {
  const int screenRight = screen.x() + screen.width();
  const int screenBottom = screen.y() + screen.height();
  QPoint result = target;
  // A window larger than the screen meets both tests; the far edge wins.
  if (target.x() < screen.x() + kEdgeSnapDistance) result.rx() = screen.x();
  if (target.x() + size.width() > screenRight) result.rx() = screenRight - size.width();
  if (target.y() < screen.y() + kEdgeSnapDistance) result.ry() = screen.y();
  if (target.y() + size.height() > screenBottom) result.ry() = screenBottom - size.height();
  return result;
}
