#include "ui/widgets/window_dragger.h"

#include <QMouseEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include "core/platform/window_system.h"
#include "core/skin/edge_snap.h"

TWindowDragger::TWindowDragger(QWidget* window, std::function<QSize()> snapSize)
    : QObject(window), FWindow(window), FSnapSize(std::move(snapSize)) {
  AddHandle(window);
}

void TWindowDragger::AddHandle(QWidget* handle) { handle->installEventFilter(this); }

bool TWindowDragger::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    const auto* e = static_cast<QMouseEvent*>(event);
    FPressOffset = e->globalPosition().toPoint() - FWindow->pos();
    FSystemMove = false;
    if (e->button() == Qt::LeftButton && IsNativeWayland() && FWindow->windowHandle())
      FSystemMove = FWindow->windowHandle()->startSystemMove();
  } else if (event->type() == QEvent::MouseMove) {
    const auto* e = static_cast<QMouseEvent*>(event);
    if (!(e->buttons() & Qt::LeftButton) || FSystemMove) return QObject::eventFilter(watched, event);
    QPoint target = e->globalPosition().toPoint() - FPressOffset;
    if (FSnapSize && FWindow->screen())
      target = SnapToScreenEdges(target, FSnapSize(), FWindow->screen()->availableGeometry());
    if (target != FWindow->pos()) FWindow->move(target);
  }
  return QObject::eventFilter(watched, event);
}
