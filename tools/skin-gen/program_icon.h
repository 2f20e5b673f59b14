#pragma once
// The program (and tray) icon, defined once as filled layers so the PNG
// sizes and the SVG come from the same drawing.
#include <QBrush>
#include <QImage>
#include <QPainterPath>

#include <string>
#include <vector>

namespace skingen {

inline constexpr int kIconCanvas = 256;  // the layers' coordinate space
inline constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};

struct IconLayer {
  QPainterPath path;
  QBrush brush;  // solid colour, linear or radial gradient
};

// Small sizes (32 px and less) get a bolder cut of the same design: a wider
// ring and a larger triangle, so they still read in a panel.
std::vector<IconLayer> iconLayers(bool compact);
QImage renderIcon(int size);
std::string iconSvg();

}  // namespace skingen
