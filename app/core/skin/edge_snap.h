// Where a dragged main window lands: within 10 pixels of an edge of the screen's available
// area it snaps to that edge.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

inline constexpr int kEdgeSnapDistance = 10;

// target: the top left the pointer asks for; size: the skin background's size.
QPoint SnapToScreenEdges(QPoint target, QSize size, const QRect& screen);
