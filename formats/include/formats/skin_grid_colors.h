// The colours the playlist grid is drawn in: the skin's optional grid lines, or for a skin
// without them dark colours in the hue of the frame its playlist picture draws around the grid.
#pragma once

#include <QImage>
#include <QRgb>

#include "formats/skin_layout.h"

struct TGridColors {
  QRgb Color;
  QRgb TextColor;
  QRgb FixedColor;
  QRgb FixedTextColor;
  QRgb LineColor;
  QRgb SelectColor;
  QRgb SelectTextColor;
  QRgb PlayingColor;
};

// Each colour the skin leaves unset is derived from the pixels of background (the playlist
// window's picture) just around layout.Grid, or from the whole picture, or, when it shows
// nothing but the transparent black, from a dark slate; derived text always stands out
// from its row.
TGridColors PlaylistGridColors(const TSkinLayout& layout, const QImage& background);
