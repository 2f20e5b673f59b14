#include "ui/widgets/form_rgn.h"

#include <QPainter>

#include "formats/region_runs.h"

TFormRgn::TFormRgn(QWidget* parent) : QWidget(parent) {}

void TFormRgn::SetPicture(const QImage& picture) {
  FPicture = picture;
  resize(picture.isNull() ? QSize(0, 0) : picture.size());
  update();
}

void TFormRgn::BuildRegion() {
  if (!parentWidget()) throw ERegionError(kCreateRectRgnFailed);
  const QPoint offset = mapTo(window(), QPoint(0, 0));
  FRegion = RegionFromRuns(BuildRegionRuns(FPicture, FTransparentColor), offset);
  FHasRegion = true;
  update();
}

void TFormRgn::ApplyRegion() {
  if (!FHasRegion) return;
  QWidget* target = window();
  if (target == this) throw ERegionError(kSetWindowRgnFailed);
  target->setMask(FRegion);
  target->update();
}

void TFormRgn::paintEvent(QPaintEvent*) {
  if (FPicture.isNull()) return;
  QPainter painter(this);
  // Where the window cannot be cut (translucent windows), the outside stays unpainted.
  if (FHasRegion && window()->testAttribute(Qt::WA_TranslucentBackground))
    painter.setClipRegion(FRegion.translated(-mapTo(window(), QPoint(0, 0))));
  painter.drawImage(QPoint(0, 0), FPicture);
}
