#include "ui/widgets/time_widgets.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "core/playback/track_time.h"

namespace {

constexpr int kNotchAngle = 120;  // eighths of a degree in one wheel notch

}  // namespace

TTimeLabel::TTimeLabel(QWidget* parent) : QLabel(parent) { setAlignment(Qt::AlignCenter); }

void TTimeLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    emit clicked();
    event->accept();
    return;
  }
  QLabel::mousePressEvent(event);
}

TProgressLine::TProgressLine(QWidget* parent) : QWidget(parent) { setCursor(Qt::PointingHandCursor); }

void TProgressLine::SetColors(const QColor& played, const QColor& rest) {
  FPlayed = played;
  FRest = rest;
  update();
}

void TProgressLine::SetTime(qint64 positionMs, qint64 lengthMs) {
  if (positionMs == FPosition && lengthMs == FLength) return;
  const int drawn = ProgressPixels(Shown(), FLength, width());
  FPosition = positionMs;
  FLength = lengthMs;
  if (FLength <= 0) FDragging = false;
  // Most ticks move the line by less than a pixel: no repaint for those.
  if (ProgressPixels(Shown(), FLength, width()) != drawn) update();
}

void TProgressLine::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const int played = ProgressPixels(Shown(), FLength, width());
  p.fillRect(QRect(played, 0, width() - played, height()), FRest);
  p.fillRect(QRect(0, 0, played, height()), FPlayed);
}

void TProgressLine::MoveTarget(int x) {
  FTarget = ProgressTarget(x, width(), FLength);
  emit TargetMoved(FTarget);
  update();
}

void TProgressLine::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton || FLength <= 0) return;
  FDragging = true;
  MoveTarget(event->position().toPoint().x());
}

void TProgressLine::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (FDragging) MoveTarget(event->position().toPoint().x());
}

void TProgressLine::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton || !FDragging) return;
  MoveTarget(event->position().toPoint().x());
  FDragging = false;
  // Shown as reached until the engine's next tick says where play really is.
  FPosition = FTarget;
  emit SeekRequested(FTarget);
}

void TProgressLine::wheelEvent(QWheelEvent* event) {
  event->accept();
  FWheelAngle += event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
  const int notches = FWheelAngle / kNotchAngle;
  if (notches == 0) return;
  FWheelAngle -= notches * kNotchAngle;
  emit StepRequested(notches * kSeekStepMs);
}
