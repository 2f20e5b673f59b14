// Our own file encoders and outline operations, checked against Qt's
// readers and plain geometry.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QPainterPath>

#include <algorithm>

#include "bmp_file.h"
#include "deflate.h"
#include "png_file.h"
#include "shape_mask.h"
#include "stable_hash.h"

namespace {

using skingen::Bytes;

struct Sample {
  const char* name;
  Bytes data;
};

void PrintTo(const Sample& s, std::ostream* os) { *os << s.name; }

Bytes repeated(std::size_t n, std::uint8_t value) { return Bytes(n, value); }

Bytes noise(std::size_t n, std::uint32_t seed) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i)
    b[i] = static_cast<std::uint8_t>(skingen::hashOf(static_cast<std::uint32_t>(i), 1, seed));
  return b;
}

// A block of noise seen again 40000 bytes later: beyond the 32 KiB window,
// so the second copy must not be coded as a match.
Bytes farRepeat() {
  Bytes head = noise(3000, 7), out = head;
  const Bytes gap = noise(40000, 8);
  out.insert(out.end(), gap.begin(), gap.end());
  out.insert(out.end(), head.begin(), head.end());
  return out;
}

Bytes text() {
  const std::string s = "the quick brown fox jumps over the lazy dog; ";
  Bytes b;
  for (int i = 0; i < 300; ++i) b.insert(b.end(), s.begin(), s.end() - (i % 7));
  return b;
}

class Deflate : public testing::TestWithParam<Sample> {};

TEST_P(Deflate, ZlibReadsBackWhatWeWrote) {
  const Bytes& in = GetParam().data;
  const Bytes packed = skingen::zlibCompress(in);
  QByteArray framed(4, '\0');  // qUncompress wants the expected length in front
  const auto n = static_cast<std::uint32_t>(in.size());
  framed[0] = static_cast<char>(n >> 24);
  framed[1] = static_cast<char>(n >> 16);
  framed[2] = static_cast<char>(n >> 8);
  framed[3] = static_cast<char>(n);
  framed.append(reinterpret_cast<const char*>(packed.data()), static_cast<qsizetype>(packed.size()));
  const QByteArray out = qUncompress(framed);
  ASSERT_EQ(static_cast<std::size_t>(out.size()), in.size());
  EXPECT_TRUE(std::equal(in.begin(), in.end(), reinterpret_cast<const std::uint8_t*>(out.constData())));
}

INSTANTIATE_TEST_SUITE_P(Inputs, Deflate,
                         testing::Values(Sample{"Empty", {}}, Sample{"OneByte", {42}},
                                         Sample{"LongRun", repeated(70000, 0xAB)},
                                         Sample{"Noise", noise(5000, 3)}, Sample{"BeyondWindow", farRepeat()},
                                         Sample{"Text", text()},
                                         Sample{"AllByteValues",
                                                [] {
                                                  Bytes b;
                                                  for (int i = 0; i < 1024; ++i)
                                                    b.push_back(static_cast<std::uint8_t>(i * 7));
                                                  return b;
                                                }()}),
                         [](const auto& p) { return std::string(p.param.name); });

QImage testPattern(bool alpha) {
  QImage img(37, 23, QImage::Format_ARGB32);  // odd sizes exercise row padding
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      img.setPixel(x, y, qRgba(x * 7, y * 11, (x * y) % 256, alpha ? (x * 13 + y) % 256 : 255));
  return img;
}

TEST(PngFile, QtDecodesTheSamePixelsIncludingAlpha) {
  const QImage img = testPattern(true);
  const Bytes png = skingen::encodePng(img);
  const QImage back = QImage::fromData(png.data(), static_cast<int>(png.size()), "PNG");
  ASSERT_FALSE(back.isNull());
  EXPECT_EQ(back.convertToFormat(QImage::Format_ARGB32), img);
}

// Premultiplied pictures (the icon) are made straight by the encoder itself, rounded to
// nearest for every alpha and channel value, the same on every processor.
TEST(PngFile, PremultipliedPixelsAreMadeStraightExactly) {
  QImage img(256, 256, QImage::Format_ARGB32_Premultiplied);
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c < 256; ++c) {
      const int v = std::min(a, c);
      reinterpret_cast<QRgb*>(img.scanLine(a))[c] = qRgba(v, v / 2, 0, a);
    }
  const Bytes png = skingen::encodePng(img);
  const QImage back = QImage::fromData(png.data(), static_cast<int>(png.size()), "PNG")
                          .convertToFormat(QImage::Format_ARGB32);
  ASSERT_FALSE(back.isNull());
  int wrong = 0;
  for (int a = 0; a < 256; ++a)
    for (int c = 0; c < 256; ++c) {
      const int v = std::min(a, c);
      auto straight = [a](int x) { return a == 0 ? 0 : (x * 255 + a / 2) / a; };
      const QRgb got = back.pixel(c, a);
      if (qAlpha(got) != a || qRed(got) != straight(v) || qGreen(got) != straight(v / 2) || qBlue(got) != 0)
        ++wrong;
    }
  EXPECT_EQ(wrong, 0);
}

TEST(BmpFile, QtDecodesTheSamePixels) {
  const QImage img = testPattern(false);
  const Bytes bmp = skingen::encodeBmp24(img);
  EXPECT_EQ(bmp.size(), 54u + 23u * ((37u * 3 + 3) & ~3u));
  const QImage back = QImage::fromData(bmp.data(), static_cast<int>(bmp.size()), "BMP");
  ASSERT_FALSE(back.isNull());
  EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), img.convertToFormat(QImage::Format_RGB32));
}

QPainterPath disc(double x, double y, double r) {
  QPainterPath p;
  p.addEllipse(QPointF(x, y), r, r);
  return p;
}

int count(const skingen::ShapeMask& m) {
  int n = 0;
  for (int y = 0; y < m.height(); ++y)
    for (int x = 0; x < m.width(); ++x) n += m.inside(x, y);
  return n;
}

TEST(ShapeMask, ClosingLeavesConvexShapesAloneEvenAtThePictureEdge) {
  for (QPointF c : {QPointF(40, 30), QPointF(20, 20), QPointF(60, 40)}) {  // the last two overhang the edge
    skingen::ShapeMask m(80, 60);
    m.unite(disc(c.x(), c.y(), 22));
    const skingen::ShapeMask closed = m.closed(12);
    for (int y = 0; y < m.height(); ++y)
      for (int x = 0; x < m.width(); ++x) ASSERT_EQ(closed.inside(x, y), m.inside(x, y)) << x << "," << y;
  }
}

TEST(ShapeMask, ClosingFillsTheNeckBetweenTwoDiscs) {
  skingen::ShapeMask m(120, 60);
  m.unite(disc(35, 30, 20));
  m.unite(disc(85, 30, 20));
  m.unite(QPainterPath([] {
    QPainterPath bar;
    bar.addRect(30, 26, 60, 8);
    return bar;
  }()));
  const skingen::ShapeMask closed = m.closed(10);
  EXPECT_FALSE(m.inside(60, 22));
  EXPECT_TRUE(closed.inside(60, 24)) << "the concave corners get fillets";
  EXPECT_FALSE(closed.inside(60, 8)) << "but the gap is not bridged wholesale";
  EXPECT_GT(count(closed), count(m));
  for (int y = 0; y < m.height(); ++y)
    for (int x = 0; x < m.width(); ++x)
      if (m.inside(x, y)) {
        ASSERT_TRUE(closed.inside(x, y));
      }
}

TEST(ShapeMask, DepthIsTheDistanceToTheOutline) {
  skingen::ShapeMask m(50, 50);
  QPainterPath square;
  square.addRect(10, 10, 30, 30);
  m.unite(square);
  const auto d = m.depth(8);
  auto at = [&](int x, int y) { return d[static_cast<std::size_t>(y * 50 + x)]; };
  EXPECT_EQ(at(5, 5), 0.0f);
  EXPECT_FLOAT_EQ(at(10, 20), 1.0f);
  EXPECT_FLOAT_EQ(at(13, 20), 4.0f);
  EXPECT_FLOAT_EQ(at(25, 25), 9.0f) << "capped one past the limit";
  EXPECT_NEAR(at(12, 12), 3.0f, 1e-6) << "nearest outside pixel is straight out, not diagonal";
}

TEST(FinishWindow, OutsideIsBlackAndInsideNeverIs) {
  skingen::ShapeMask m(40, 30);
  m.unite(disc(20, 15, 12));
  QImage art(40, 30, QImage::Format_RGB32);
  art.fill(Qt::black);  // the worst case: art that is black inside the outline
  skingen::finishWindow(art, m, {QColor(0, 0, 0), 3, 0.3, 0.5});
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const bool black = (art.pixel(x, y) & 0xFFFFFF) == 0;
      ASSERT_EQ(black, !m.inside(x, y)) << x << "," << y;
    }
}

}  // namespace
