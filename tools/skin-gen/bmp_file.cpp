#include "bmp_file.h"

#include <QImage>

namespace skingen {

Bytes encodeBmp24(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  const auto width = static_cast<std::uint32_t>(rgb.width());
  const auto height = static_cast<std::uint32_t>(rgb.height());
  const std::uint32_t rowBytes = (width * 3 + 3) & ~3u;  // rows are padded to 4 bytes
  const std::uint32_t pixelBytes = rowBytes * height;
  constexpr std::uint32_t headerBytes = 14 + 40;
  constexpr std::uint32_t pixelsPerMetre = 2835;  // 72 dpi

  Bytes out;
  out.reserve(headerBytes + pixelBytes);
  putText(out, "BM");
  putLe32(out, headerBytes + pixelBytes);
  putLe32(out, 0);
  putLe32(out, headerBytes);
  putLe32(out, 40);
  putLe32(out, width);
  putLe32(out, height);
  putLe16(out, 1);   // planes
  putLe16(out, 24);  // bits per pixel
  putLe32(out, 0);   // no compression
  putLe32(out, pixelBytes);
  putLe32(out, pixelsPerMetre);
  putLe32(out, pixelsPerMetre);
  putLe32(out, 0);
  putLe32(out, 0);

  for (int y = rgb.height() - 1; y >= 0; --y) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    std::uint32_t written = 0;
    for (int x = 0; x < rgb.width(); ++x) {
      out.push_back(static_cast<std::uint8_t>(qBlue(line[x])));
      out.push_back(static_cast<std::uint8_t>(qGreen(line[x])));
      out.push_back(static_cast<std::uint8_t>(qRed(line[x])));
      written += 3;
    }
    for (; written < rowBytes; ++written) out.push_back(0);
  }
  return out;
}

}  // namespace skingen
