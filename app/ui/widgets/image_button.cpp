#include "ui/widgets/image_button.h"

#include <QMouseEvent>
#include <QPainter>

QImage WithBottomLeftColorTransparent(const QImage& picture) {
  if (picture.isNull()) return picture;
  QImage image = picture.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = image.pixel(0, image.height() - 1) & 0xFFFFFF;
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if ((row[x] & 0xFFFFFF) == key) row[x] = 0;
  }
  return image;
}

TImageButton::TImageButton(QWidget* parent, const QString& hint, bool transparent)
    : QWidget(parent), FTransparent(transparent) {
  if (!hint.isEmpty()) setToolTip(hint);
}

void TImageButton::SetPicture(const QImage& picture) {
  FPicture = picture;
  FDrawn = FTransparent ? WithBottomLeftColorTransparent(picture) : picture;
  resize(picture.isNull() ? QSize(0, 0) : picture.size());
  update();
}

void TImageButton::paintEvent(QPaintEvent*) {
  if (FDrawn.isNull()) return;
  QPainter painter(this);
  painter.drawImage(QPoint(0, 0), FDrawn);
}

void TImageButton::mousePressEvent(QMouseEvent* event) {
  FPressed = event->button() == Qt::LeftButton;
  event->accept();
}

void TImageButton::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      FPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  FPressed = false;
  event->accept();
  if (click) emit clicked();
}
