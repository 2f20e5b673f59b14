#pragma once
// Window outlines as binary masks. A skinned window is cut to the non-black
// pixels of its picture, so its edge is hard by nature; building the outline
// as a mask lets us round it off (closing) and bevel it pixel-exactly.
#include <QColor>

#include <cstdint>
#include <vector>

class QImage;
class QPainterPath;

namespace skingen {

class ShapeMask {
 public:
  ShapeMask(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  bool inside(int x, int y) const;

  // Pixels whose centres lie inside the path (no antialiasing).
  void unite(const QPainterPath& path);
  void subtract(const QPainterPath& path);
  // Fills every concave corner tighter than the radius with a round fillet.
  ShapeMask closed(int radius) const;
  // Euclidean distance from each pixel to the nearest outside pixel (the
  // image border counts as outside), capped at `cap`; 0 outside.
  std::vector<float> depth(int cap) const;

 private:
  void paint(const QPainterPath& path, bool set);

  int width_;
  int height_;
  std::vector<std::uint8_t> bits_;
};

struct EdgeStyle {
  QColor rim;        // the one-pixel line along the outline
  int bevelWidth;    // pixels of rounded shoulder inside the rim
  double highlight;  // 0..1, how much lit edges lighten
  double shade;      // 0..1, how much unlit edges darken
};

// Makes `art` a window picture: pure black outside the mask, a rim and a
// bevel lit from above along the edge, and no pure black left inside (that
// colour would punch holes into the window).
void finishWindow(QImage& art, const ShapeMask& mask, const EdgeStyle& edge);

}  // namespace skingen
