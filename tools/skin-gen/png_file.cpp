#include "png_file.h"

#include <QImage>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "deflate.h"

namespace skingen {
namespace {

std::uint32_t crc32(const Bytes& data, std::size_t from) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t c = 0xFFFFFFFFu;
  for (std::size_t i = from; i < data.size(); ++i) c = table[(c ^ data[i]) & 0xFFu] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void chunk(Bytes& out, const char* type, const Bytes& payload) {
  putBe32(out, static_cast<std::uint32_t>(payload.size()));
  const std::size_t typeStart = out.size();
  putText(out, type);
  out.insert(out.end(), payload.begin(), payload.end());
  putBe32(out, crc32(out, typeStart));
}

std::uint8_t paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
  return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

// Each row gets the filter whose output has the smallest sum of magnitudes,
// the usual cheap heuristic; ties go to the lower filter number.
void filterRow(const std::uint8_t* row, const std::uint8_t* up, std::size_t length, Bytes& out) {
  constexpr std::size_t bpp = 4;
  std::array<Bytes, 5> candidates;
  std::array<long, 5> cost{};
  for (int f = 0; f < 5; ++f) {
    Bytes& c = candidates[static_cast<std::size_t>(f)];
    c.resize(length);
    for (std::size_t i = 0; i < length; ++i) {
      const int a = i >= bpp ? row[i - bpp] : 0;
      const int b = up ? up[i] : 0;
      const int cc = (up && i >= bpp) ? up[i - bpp] : 0;
      int predicted = 0;
      switch (f) {
        case 1:
          predicted = a;
          break;
        case 2:
          predicted = b;
          break;
        case 3:
          predicted = (a + b) / 2;
          break;
        case 4:
          predicted = paeth(a, b, cc);
          break;
        default:
          break;
      }
      c[i] = static_cast<std::uint8_t>(row[i] - predicted);
      cost[static_cast<std::size_t>(f)] += std::abs(static_cast<int>(static_cast<std::int8_t>(c[i])));
    }
  }
  std::size_t best = 0;
  for (std::size_t f = 1; f < 5; ++f)
    if (cost[f] < cost[best]) best = f;
  out.push_back(static_cast<std::uint8_t>(best));
  out.insert(out.end(), candidates[best].begin(), candidates[best].end());
}

// Straight (not premultiplied) RGBA rows, worked out here in integers: Qt's own
// conversion picks vector code by processor, and one form divides by alpha with an
// approximate reciprocal whose last bit differs between processor makers.
std::vector<std::uint8_t> straightRgba(const QImage& image) {
  const bool straightAlready = image.format() == QImage::Format_ARGB32;
  const QImage pixels = straightAlready ? image : image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  std::vector<std::uint8_t> out;
  out.reserve(static_cast<std::size_t>(image.width()) * static_cast<std::size_t>(image.height()) * 4);
  for (int y = 0; y < pixels.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
    for (int x = 0; x < pixels.width(); ++x) {
      const int a = qAlpha(line[x]);
      auto straight = [a, straightAlready](int c) {
        if (straightAlready) return c;
        return a == 0 ? 0 : std::min(255, (c * 255 + a / 2) / a);
      };
      out.push_back(static_cast<std::uint8_t>(straight(qRed(line[x]))));
      out.push_back(static_cast<std::uint8_t>(straight(qGreen(line[x]))));
      out.push_back(static_cast<std::uint8_t>(straight(qBlue(line[x]))));
      out.push_back(static_cast<std::uint8_t>(a));
    }
  }
  return out;
}

}  // namespace

Bytes encodePng(const QImage& image) {
  const std::vector<std::uint8_t> rgba = straightRgba(image);
  const auto width = static_cast<std::uint32_t>(image.width());
  const auto height = static_cast<std::uint32_t>(image.height());

  Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  putBe32(header, width);
  putBe32(header, height);
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, adaptive filters, no interlace
  chunk(out, "IHDR", header);

  Bytes filtered;
  const std::size_t rowLength = std::size_t{width} * 4;
  for (std::size_t y = 0; y < height; ++y)
    filterRow(&rgba[y * rowLength], y > 0 ? &rgba[(y - 1) * rowLength] : nullptr, rowLength, filtered);
  chunk(out, "IDAT", zlibCompress(filtered));
  chunk(out, "IEND", {});
  return out;
}

}  // namespace skingen
