#include "lyrics_backgrounds.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>
#include <cmath>
#include <numbers>

#include "stable_hash.h"

namespace skingen {
namespace {

enum class Pattern { Bokeh, Waves, Rays, Rings, Sunburst };

struct Recipe {
  QColor light, dark;
  Pattern pattern;
};

constexpr int W = kLyricsBackgroundSize.width();
constexpr int H = kLyricsBackgroundSize.height();

const std::array<Recipe, kLyricsBackgroundCount> kRecipes{{
    {QColor(0xb4, 0x3c, 0x7c), QColor(0x4c, 0x10, 0x36), Pattern::Bokeh},     // pink
    {QColor(0x26, 0x58, 0xb4), QColor(0x09, 0x17, 0x42), Pattern::Waves},     // blue
    {QColor(0x17, 0x6c, 0x48), QColor(0x06, 0x30, 0x1f), Pattern::Rays},      // green
    {QColor(0xb0, 0x1e, 0x2e), QColor(0x46, 0x07, 0x10), Pattern::Rings},     // red
    {QColor(0xb8, 0x52, 0x0e), QColor(0x58, 0x21, 0x04), Pattern::Sunburst},  // orange
}};

void bokeh(QPainter& p) {
  for (std::uint32_t i = 0; i < 16; ++i) {
    const std::uint32_t h = hashOf(i, 3, 101);
    const QPointF c(h % W, (h >> 10) % H);
    const qreal r = 8 + (h >> 20) % 26;
    QRadialGradient g(c, r);
    const int a = 14 + static_cast<int>((h >> 5) % 16);
    g.setColorAt(0, QColor(255, 220, 240, a));
    g.setColorAt(0.8, QColor(255, 220, 240, a / 2));
    g.setColorAt(1, QColor(255, 220, 240, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(c, r, r);
  }
}

void waves(QPainter& p) {
  for (int k = 0; k < 7; ++k) {
    QPainterPath wave;
    const qreal base = 22 + k * 19, amplitude = 5 + k % 3 * 3, phase = k * 0.9;
    for (int x = -4; x <= W + 4; x += 3) {
      const QPointF pt(x, base + amplitude * std::sin(x / 38.0 + phase));
      if (x == -4)
        wave.moveTo(pt);
      else
        wave.lineTo(pt);
    }
    p.setPen(QPen(QColor(190, 225, 255, 16 + k % 3 * 6), 1.2 + k % 2 * 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
  }
}

void rays(QPainter& p) {
  p.setPen(Qt::NoPen);
  for (int k = 0; k < 6; ++k) {
    const qreal x = -60 + k * 62;
    QPainterPath beam;
    beam.moveTo(x, 0);
    beam.lineTo(x + 26 + k % 2 * 12, 0);
    beam.lineTo(x + 96 + k % 2 * 12, H);
    beam.lineTo(x + 70, H);
    QLinearGradient g(0, 0, 0, H);
    g.setColorAt(0, QColor(210, 255, 220, 26));
    g.setColorAt(1, QColor(210, 255, 220, 0));
    p.fillPath(beam, g);
  }
  for (std::uint32_t i = 0; i < 40; ++i) {
    const std::uint32_t h = hashOf(i, 5, 202);
    p.setBrush(QColor(220, 255, 230, 20 + static_cast<int>(h % 30)));
    p.drawEllipse(QPointF(h % W, (h >> 9) % H), 1.0 + (h >> 20) % 2, 1.0 + (h >> 20) % 2);
  }
}

void rings(QPainter& p) {
  const QPointF c(W * 0.82, H * 0.12);
  QRadialGradient glow(c, 150);
  glow.setColorAt(0, QColor(255, 150, 140, 40));
  glow.setColorAt(1, QColor(255, 150, 140, 0));
  p.fillRect(QRect(0, 0, W, H), glow);
  p.setBrush(Qt::NoBrush);
  for (int k = 1; k <= 12; ++k) {
    p.setPen(QPen(QColor(255, 200, 200, 9 + k % 2 * 8), 1.0 + k % 3));
    p.drawEllipse(c, k * 22.0, k * 22.0);
  }
}

void sunburst(QPainter& p) {
  const QPointF c(-20, H + 20);
  p.setPen(Qt::NoPen);
  for (int k = 0; k < 18; ++k) {
    const double a0 = -std::numbers::pi / 2 + k * std::numbers::pi / 36, a1 = a0 + std::numbers::pi / 72;
    QPainterPath ray;
    ray.moveTo(c);
    ray.lineTo(c + QPointF(500 * std::cos(a0), 500 * std::sin(a0)));
    ray.lineTo(c + QPointF(500 * std::cos(a1), 500 * std::sin(a1)));
    ray.closeSubpath();
    p.fillPath(ray, QColor(255, 210, 150, 16));
  }
}

}  // namespace

QImage drawLyricsBackground(int index) {
  const Recipe& r = kRecipes.at(static_cast<std::size_t>(index - 1));
  QImage image(kLyricsBackgroundSize, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient base(0, 0, W * 0.6, H * 1.2);
  base.setColorAt(0, r.light);
  base.setColorAt(1, r.dark);
  p.fillRect(image.rect(), base);
  switch (r.pattern) {
    case Pattern::Bokeh:
      bokeh(p);
      break;
    case Pattern::Waves:
      waves(p);
      break;
    case Pattern::Rays:
      rays(p);
      break;
    case Pattern::Rings:
      rings(p);
      break;
    case Pattern::Sunburst:
      sunburst(p);
      break;
  }
  // A soft vignette frames the text and darkens where lines enter and leave.
  QRadialGradient vignette(QPointF(W / 2.0, H / 2.0), W * 0.72);
  vignette.setColorAt(0.55, QColor(0, 0, 0, 0));
  vignette.setColorAt(1, QColor(0, 0, 0, 90));
  p.fillRect(image.rect(), vignette);
  return image;
}

}  // namespace skingen
