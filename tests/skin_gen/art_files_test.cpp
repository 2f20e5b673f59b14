// The committed art is reproducible, and the pictures beside the skins are
// what the player needs: five readable lyrics backgrounds and the icon.
#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QXmlStreamReader>

#include "generated_art.h"

namespace {

using skintest::committedArtDir;
using skintest::generatedArtDir;

QStringList filesUnder(const QString& root) {
  QStringList files;
  for (const char* sub : {"skins", "pictures"})
    for (const QString& name : QDir(root + "/" + sub).entryList(QDir::Files, QDir::Name))
      files << QString(sub) + "/" + name;
  return files;
}

QByteArray contents(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class GeneratedArt : public testing::TestWithParam<bool> {};

TEST_P(GeneratedArt, IsByteIdenticalToTheCommittedFiles) {
  const QString fresh = generatedArtDir(GetParam());
  const QStringList made = filesUnder(fresh);
  ASSERT_EQ(made, filesUnder(committedArtDir())) << "the generator and data/ hold different files";
  for (const QString& file : made) {
    const QByteArray a = contents(fresh + "/" + file), b = contents(committedArtDir() + "/" + file);
    EXPECT_FALSE(a.isEmpty()) << file.toStdString();
    EXPECT_TRUE(a == b) << file.toStdString()
                        << " differs from the committed copy (rerun varo-skin-gen data)";
  }
}

INSTANTIATE_TEST_SUITE_P(Variants, GeneratedArt, testing::Values(false, true),
                         [](const auto& p) { return p.param ? "MathsWithoutFma" : "ThisProcessor"; });

struct Background {
  int index;
  const char* colour;
  int hueLow, hueHigh;  // degrees; a range may wrap past 360
};

void PrintTo(const Background& b, std::ostream* os) { *os << b.colour; }

class LyricsBackground : public testing::TestWithParam<Background> {};

TEST_P(LyricsBackground, HasTheSizeColourAndContrastTheMenuPromises) {
  const Background& b = GetParam();
  const QImage img(committedArtDir() + QString("/pictures/kasi_back%1.bmp").arg(b.index));
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(img.size(), QSize(270, 157));
  double r = 0, g = 0, bl = 0, worst = 100;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const QRgb px = img.pixel(x, y);
      r += qRed(px);
      g += qGreen(px);
      bl += qBlue(px);
      worst = std::min(worst, skintest::whiteContrast(px));
    }
  // White lyrics must stay readable on every pixel (the usual 4.5:1).
  EXPECT_GE(worst, 4.5) << b.colour;
  const double n = img.width() * img.height();
  const int hue = QColor::fromRgb(int(r / n), int(g / n), int(bl / n)).hsvHue();
  const bool inRange =
      b.hueLow <= b.hueHigh ? (hue >= b.hueLow && hue <= b.hueHigh) : (hue >= b.hueLow || hue <= b.hueHigh);
  EXPECT_TRUE(inRange) << b.colour << " background has mean hue " << hue;
}

INSTANTIATE_TEST_SUITE_P(MenuOrder, LyricsBackground,
                         testing::Values(Background{1, "pink", 300, 345}, Background{2, "blue", 200, 240},
                                         Background{3, "green", 120, 170}, Background{4, "red", 346, 8},
                                         Background{5, "orange", 15, 40}),
                         [](const auto& p) { return std::string(p.param.colour); });

TEST(ProgramIcon, EverySizeIsARoundedSquareWithTransparentCorners) {
  for (int size : {16, 32, 48, 64, 128, 256}) {
    const QImage icon = QImage(committedArtDir() + QString("/pictures/varo-%1.png").arg(size))
                            .convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(icon.isNull()) << size;
    EXPECT_EQ(icon.size(), QSize(size, size));
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << size;
    EXPECT_EQ(qAlpha(icon.pixel(size - 1, size - 1)), 0) << size;
    EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255) << size;
    EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 8)), 255) << size;
  }
}

TEST(ProgramIcon, SvgIsWellFormedAndScalable) {
  QXmlStreamReader xml(contents(committedArtDir() + "/pictures/varo.svg"));
  int paths = 0;
  QString viewBox;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == QLatin1String("svg")) viewBox = xml.attributes().value("viewBox").toString();
    if (xml.name() == QLatin1String("path")) {
      ++paths;
      EXPECT_TRUE(xml.attributes().value("d").startsWith(QLatin1String("M")));
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_EQ(viewBox, "0 0 256 256");
  EXPECT_GE(paths, 4);
}

}  // namespace
