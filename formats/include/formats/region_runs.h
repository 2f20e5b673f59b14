// The outline of a skin picture as horizontal runs of pixels that are not the transparent
// colour. Row 0 and column 0 never belong to the outline; the pixel one past the right edge
// counts as not transparent, so a run reaching the edge ends there.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>

#include <cstdint>
#include <vector>

#include "formats/skin_layout.h"

struct TRegionRun {
  int Y;
  int Left;   // first pixel
  int Right;  // one past the last pixel
  bool operator==(const TRegionRun&) const = default;
};

// transparentColorRef is a Windows colour value (ColorRefToRgb).
std::vector<TRegionRun> BuildRegionRuns(const QImage& picture, uint32_t transparentColorRef);

// The runs as a region, each moved by offset (the picture's place in its window).
QRegion RegionFromRuns(const std::vector<TRegionRun>& runs, QPoint offset);
