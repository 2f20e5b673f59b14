#include "formats/skin_grid_colors.h"

#include <QColor>

#include <algorithm>
#include <optional>

namespace {

// How far around the grid the picture's frame is looked for.
constexpr int kFrameBand = 6;
// Every how many pixels the whole picture is sampled when the band shows nothing.
constexpr int kPictureStep = 3;
const QColor kDefaultFrame(0x2a, 0x31, 0x44);
// The hue of the playing mark when the frame is grey.
constexpr float kAmberHue = 45.0F / 360.0F;

struct TAverage {
  qint64 R = 0, G = 0, B = 0, N = 0;
  // Black is the transparent colour: it lies outside the window.
  void Add(QRgb p) {
    if ((p & 0xFFFFFF) == 0) return;
    R += qRed(p);
    G += qGreen(p);
    B += qBlue(p);
    ++N;
  }
  std::optional<QColor> Color() const {
    if (N == 0) return std::nullopt;
    return QColor(static_cast<int>(R / N), static_cast<int>(G / N), static_cast<int>(B / N));
  }
};

QColor FrameColor(const QImage& background, const QRect& grid) {
  if (background.isNull()) return kDefaultFrame;
  const QImage image = background.convertToFormat(QImage::Format_RGB32);
  const QRect band = grid.adjusted(-kFrameBand, -kFrameBand, kFrameBand, kFrameBand) & image.rect();
  TAverage around;
  for (int y = band.top(); y <= band.bottom(); ++y)
    for (int x = band.left(); x <= band.right(); ++x)
      if (!grid.contains(x, y)) around.Add(image.pixel(x, y));
  if (const std::optional<QColor> c = around.Color()) return *c;
  TAverage whole;
  for (int y = 0; y < image.height(); y += kPictureStep)
    for (int x = 0; x < image.width(); x += kPictureStep) whole.Add(image.pixel(x, y));
  return whole.Color().value_or(kDefaultFrame);
}

QRgb Choose(const std::optional<uint32_t>& given, QRgb derived) {
  return given ? ColorRefToRgb(*given) : derived;
}

}  // namespace

TGridColors PlaylistGridColors(const TSkinLayout& layout, const QImage& background) {
  const QColor frame = FrameColor(background, layout.Grid);
  const bool grey = frame.hslHueF() < 0;
  const float hue = grey ? 0.0F : frame.hslHueF();
  const float saturation = grey ? 0.0F : frame.hslSaturationF();
  // Dark rows and light text in the frame's hue, whatever its lightness: the grid reads the
  // same on a light skin as on a dark one.
  auto tone = [&](float maxSaturation, float lightness) {
    return QColor::fromHslF(hue, std::min(saturation, maxSaturation), lightness).rgb();
  };
  const TSkinGridLines& g = layout.GridLines;
  return {
      Choose(g.Color, tone(0.35F, 0.10F)),
      Choose(g.TextColor, tone(0.25F, 0.88F)),
      Choose(g.FixedColor, tone(0.40F, 0.24F)),
      Choose(g.FixedTextColor, tone(0.20F, 0.95F)),
      Choose(g.LineColor, tone(0.30F, 0.18F)),
      Choose(g.SelectColor, tone(0.55F, 0.34F)),
      Choose(g.SelectTextColor, qRgb(0xFF, 0xFF, 0xFF)),
      Choose(g.PlayingColor, QColor::fromHslF(grey ? kAmberHue : hue, 0.85F, 0.70F).rgb()),
  };
}
