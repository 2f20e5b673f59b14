#include "shape_mask.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace skingen {
namespace {

// Distance from every pixel to the nearest pixel where `target` is set,
// capped at cap + 1. Exact within the cap: per row the horizontal distance,
// then the best over the rows within reach.
std::vector<float> distanceTo(const std::vector<std::uint8_t>& target, int w, int h, int cap,
                              bool borderIsTarget) {
  const int far = cap + 1;
  std::vector<int> across(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  for (int y = 0; y < h; ++y) {
    int* row = &across[static_cast<std::size_t>(y) * static_cast<std::size_t>(w)];
    const std::uint8_t* t = &target[static_cast<std::size_t>(y) * static_cast<std::size_t>(w)];
    int last = borderIsTarget ? 1 : far;  // distance to the last target on the left
    for (int x = 0; x < w; ++x) {
      last = t[x] ? 0 : std::min(far, last + (x == 0 ? 0 : 1));
      row[x] = last;
    }
    last = borderIsTarget ? 1 : far;
    for (int x = w - 1; x >= 0; --x) {
      last = t[x] ? 0 : std::min(far, last + (x == w - 1 ? 0 : 1));
      row[x] = std::min(row[x], last);
    }
  }
  std::vector<float> result(across.size());
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int best = far * far;
      for (int dy = -cap; dy <= cap; ++dy) {
        const int yy = y + dy;
        int d;
        if (yy < 0 || yy >= h) {
          if (!borderIsTarget || (yy != -1 && yy != h)) continue;
          d = 0;
        } else {
          d = across[static_cast<std::size_t>(yy) * static_cast<std::size_t>(w) +
                     static_cast<std::size_t>(x)];
        }
        best = std::min(best, d * d + dy * dy);
      }
      result[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] =
          std::min(static_cast<float>(far), std::sqrt(static_cast<float>(best)));
    }
  }
  return result;
}

std::uint8_t channel(double v) { return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

ShapeMask::ShapeMask(int width, int height)
    : width_(width),
      height_(height),
      bits_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0) {}

bool ShapeMask::inside(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
  return bits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x)] != 0;
}

void ShapeMask::paint(const QPainterPath& path, bool set) {
  QImage plate(width_, height_, QImage::Format_Grayscale8);
  plate.fill(0);
  {
    QPainter p(&plate);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.fillPath(path, Qt::white);
  }
  for (int y = 0; y < height_; ++y) {
    const std::uint8_t* line = plate.constScanLine(y);
    for (int x = 0; x < width_; ++x)
      if (line[x] >= 128)
        bits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] =
            set ? 1 : 0;
  }
}

void ShapeMask::unite(const QPainterPath& path) { paint(path, true); }
void ShapeMask::subtract(const QPainterPath& path) { paint(path, false); }

ShapeMask ShapeMask::closed(int radius) const {
  // Work on a copy padded by the radius so the shape may grow past the
  // picture's edge and shrink back exactly as it would on an endless plane.
  const int pad = radius + 1;
  const int pw = width_ + 2 * pad, ph = height_ + 2 * pad;
  std::vector<std::uint8_t> padded(static_cast<std::size_t>(pw) * static_cast<std::size_t>(ph), 0);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      padded[static_cast<std::size_t>(y + pad) * static_cast<std::size_t>(pw) +
             static_cast<std::size_t>(x + pad)] = inside(x, y) ? 1 : 0;
  const auto grown = distanceTo(padded, pw, ph, radius, false);
  std::vector<std::uint8_t> outsideGrown(padded.size());
  for (std::size_t i = 0; i < padded.size(); ++i)
    outsideGrown[i] = grown[i] > static_cast<float>(radius) ? 1 : 0;
  const auto shrunk = distanceTo(outsideGrown, pw, ph, radius, false);
  ShapeMask result(width_, height_);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      const std::size_t i =
          static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x);
      const std::size_t j = static_cast<std::size_t>(y + pad) * static_cast<std::size_t>(pw) +
                            static_cast<std::size_t>(x + pad);
      result.bits_[i] = (bits_[i] || shrunk[j] > static_cast<float>(radius)) ? 1 : 0;
    }
  return result;
}

std::vector<float> ShapeMask::depth(int cap) const {
  std::vector<std::uint8_t> outside(bits_.size());
  for (std::size_t i = 0; i < bits_.size(); ++i) outside[i] = bits_[i] ? 0 : 1;
  return distanceTo(outside, width_, height_, cap, true);
}

void finishWindow(QImage& art, const ShapeMask& mask, const EdgeStyle& edge) {
  art = art.convertToFormat(QImage::Format_RGB32);
  const int w = mask.width(), h = mask.height();
  const auto d = mask.depth(edge.bevelWidth + 2);
  auto at = [&](int x, int y) -> float {
    if (x < 0 || y < 0 || x >= w || y >= h) return 0.0f;
    return d[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)];
  };
  // Light falls from above, a little from the left.
  const double lightX = -0.38, lightY = -0.925;
  for (int y = 0; y < h; ++y) {
    auto* line = reinterpret_cast<QRgb*>(art.scanLine(y));
    for (int x = 0; x < w; ++x) {
      if (!mask.inside(x, y)) {
        line[x] = qRgb(0, 0, 0);
        continue;
      }
      double r = qRed(line[x]), g = qGreen(line[x]), b = qBlue(line[x]);
      const float depth = at(x, y);
      if (depth < 1.5f) {
        const double a = edge.rim.alphaF();
        r = r * (1 - a) + edge.rim.red() * a;
        g = g * (1 - a) + edge.rim.green() * a;
        b = b * (1 - a) + edge.rim.blue() * a;
      } else if (depth < 1.5f + static_cast<float>(edge.bevelWidth)) {
        // The depth field rises inwards, so its negative gradient is the outward normal.
        const double gx = at(x + 1, y) - at(x - 1, y);
        const double gy = at(x, y + 1) - at(x, y - 1);
        const double len = std::hypot(gx, gy);
        if (len > 0) {
          const double facing = (-gx * lightX - gy * lightY) / len;
          const double falloff = 1.0 - (depth - 1.5) / edge.bevelWidth;
          if (facing > 0) {
            const double k = edge.highlight * facing * falloff;
            r += (255 - r) * k;
            g += (255 - g) * k;
            b += (255 - b) * k;
          } else {
            const double k = 1.0 + edge.shade * facing * falloff;
            r *= k;
            g *= k;
            b *= k;
          }
        }
      }
      std::uint8_t cr = channel(r), cg = channel(g), cb = channel(b);
      if (cr == 0 && cg == 0 && cb == 0) cr = cg = cb = 10;  // never a hole
      line[x] = qRgb(cr, cg, cb);
    }
  }
}

}  // namespace skingen
