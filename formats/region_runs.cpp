#include "formats/region_runs.h"

std::vector<TRegionRun> BuildRegionRuns(const QImage& picture, uint32_t transparentColorRef) {
  std::vector<TRegionRun> runs;
  if (picture.isNull()) return runs;
  const QImage image = picture.convertToFormat(QImage::Format_RGB32);
  const int width = image.width();
  const int height = image.height();
  const QRgb t = ColorRefToRgb(transparentColorRef) & 0xFFFFFF;
  int s = 1;  // run start, carried from row to row
  for (int y = 1; y < height; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    auto transparent = [&](int x) { return x < width && (row[x] & 0xFFFFFF) == t; };
    for (int x = 1; x <= width; ++x) {
      const bool before = transparent(x - 1);
      const bool here = transparent(x);
      if ((before || x == 1) && !here) {
        s = x;
      } else if (before) {
        continue;
      } else if ((here || x == width) && x != 1) {
        runs.push_back({y, s, x});
      }
    }
  }
  return runs;
}

QRegion RegionFromRuns(const std::vector<TRegionRun>& runs, QPoint offset) {
  QRegion region;
  for (const TRegionRun& r : runs)
    region += QRect(offset.x() + r.Left, offset.y() + r.Y, r.Right - r.Left, 1);
  return region;
}
