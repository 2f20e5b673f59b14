// Every skin cuts into 19 valid pictures by its own layout, and every piece,
// widget rectangle and label lands inside the shaped window that shows it.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>

#include <vector>

#include "formats/skin_pieces.h"
#include "formats/skin_windows.h"
#include "generated_art.h"

namespace {

constexpr QRgb kOutside = 0xFF000000u;  // pure black: not part of the window

struct Skin {
  TSkinLayout layout;
  std::vector<QImage> pieces;
  QByteArray pack;
  const QImage& piece(int i) const { return pieces[static_cast<std::size_t>(i - 1)]; }
  QPoint pos(int i) const { return layout.Positions[static_cast<std::size_t>(i - 1)]; }
};

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Window {
  const char* name;
  int background;   // its background piece
  int first, last;  // its buttons
  QSize client;
};

const Window kWindows[] = {
    {"main", 1, 2, 10, kMainWindowClient},
    {"lyrics", 11, 12, 14, kLyricsWindowClient},
    {"playlist", 15, 16, 19, kPlaylistWindowClient},
};

bool keyed(int piece) { return piece >= 2 && piece <= 7; }

// A yes/no per pixel.
class Marks {
 public:
  explicit Marks(QSize size)
      : width_(size.width()), bits_(static_cast<std::size_t>(size.width() * size.height()), 0) {}
  bool operator[](QPoint p) const { return bits_[index(p)] != 0; }
  void set(QPoint p) { bits_[index(p)] = 1; }

 private:
  std::size_t index(QPoint p) const { return static_cast<std::size_t>(p.y() * width_ + p.x()); }
  int width_;
  std::vector<std::uint8_t> bits_;
};

// Pixels of a piece that are drawn: all of them, or all but the key colour.
std::vector<QPoint> drawnPixels(const QImage& img, bool withKey) {
  std::vector<QPoint> pts;
  const QRgb key = img.pixel(0, img.height() - 1);
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (!withKey || img.pixel(x, y) != key) pts.emplace_back(x, y);
  return pts;
}

bool inRegion(const QImage& bg, QPoint p) {
  return p.x() >= 1 && p.y() >= 1 && p.x() < bg.width() && p.y() < bg.height() && bg.pixel(p) != kOutside;
}

class SkinLayout : public testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    const QString base = skintest::committedArtDir() + "/skins/" + GetParam();
    const QByteArray text = readAll(base + ".txt");
    skin_.pack = readAll(base + ".bmp");
    TSkinPieces cut;
    try {
      skin_.layout = ParseSkinLayout(text);
      cut = CutSkinPack(skin_.pack, skin_.layout);
    } catch (const ESkinError& e) {
      FAIL() << e.what();
    }
    // Joined and written again, the pieces give back both files: 94 integer lines, each
    // ended, and no byte in the pack that no piece accounts for.
    TSkinLayout rejoined = skin_.layout;
    ASSERT_TRUE(JoinSkinPack(cut, rejoined) == skin_.pack) << "the pack holds bytes no piece accounts for";
    ASSERT_EQ(FormatSkinLayout(rejoined).toStdString(), text.toStdString());
    for (int i = 1; i <= kSkinPieceCount; ++i) {
      const QImage img = QImage::fromData(cut[static_cast<std::size_t>(i - 1)], "BMP");
      ASSERT_FALSE(img.isNull()) << "piece " << i << " is not a bitmap";
      skin_.pieces.push_back(img.convertToFormat(QImage::Format_RGB32));
    }
  }

  Skin skin_;
};

TEST_P(SkinLayout, PackOpensAsTheMainBackground) {
  EXPECT_EQ(QImage::fromData(skin_.pack, "BMP").convertToFormat(QImage::Format_RGB32), skin_.piece(1));
}

TEST_P(SkinLayout, BackgroundsFitTheirWindowsAndKeepRowAndColumnZeroOutside) {
  for (const Window& w : kWindows) {
    const QImage& bg = skin_.piece(w.background);
    const QRect placed(w.background == 1 ? skin_.pos(1) : QPoint(0, 0), bg.size());
    EXPECT_TRUE(QRect(QPoint(0, 0), w.client).contains(placed)) << w.name;
    for (int x = 0; x < bg.width(); ++x)
      EXPECT_EQ(bg.pixel(x, 0), kOutside) << w.name << " row 0 would be cut off";
    for (int y = 0; y < bg.height(); ++y)
      EXPECT_EQ(bg.pixel(0, y), kOutside) << w.name << " column 0 would be cut off";
  }
}

TEST_P(SkinLayout, ButtonsLieInsideTheShapeAndNeverOverlap) {
  for (const Window& w : kWindows) {
    const QImage& bg = skin_.piece(w.background);
    const QPoint origin = w.background == 1 ? skin_.pos(1) : QPoint(0, 0);
    Marks taken(bg.size());
    for (int i = w.first; i <= w.last; ++i) {
      const QImage& img = skin_.piece(i);
      const std::vector<QPoint> drawn = drawnPixels(img, keyed(i));
      ASSERT_FALSE(drawn.empty()) << "piece " << i;
      int outside = 0, overlapping = 0;
      for (QPoint p : drawn) {
        const QPoint at = skin_.pos(i) - origin + p;
        if (!inRegion(bg, at)) {
          ++outside;
          continue;
        }
        if (taken[at]) ++overlapping;
        taken.set(at);
      }
      EXPECT_EQ(outside, 0) << w.name << " piece " << i << " reaches outside the window's outline";
      EXPECT_EQ(overlapping, 0) << w.name << " piece " << i << " covers another button";
    }
  }
}

TEST_P(SkinLayout, TransparentButtonsKeepTheKeyColourOutsideTheirFace) {
  for (int i = 2; i <= 7; ++i) {
    const QImage& img = skin_.piece(i);
    const QRgb key = img.pixel(0, img.height() - 1);
    // Flood the key colour in from the border: a key pixel it cannot reach
    // would punch a hole into the button's face.
    Marks reached(img.size());
    std::vector<QPoint> todo;
    for (int x = 0; x < img.width(); ++x) todo.insert(todo.end(), {{x, 0}, {x, img.height() - 1}});
    for (int y = 0; y < img.height(); ++y) todo.insert(todo.end(), {{0, y}, {img.width() - 1, y}});
    while (!todo.empty()) {
      const QPoint p = todo.back();
      todo.pop_back();
      if (!img.rect().contains(p) || reached[p] || img.pixel(p) != key) continue;
      reached.set(p);
      todo.insert(todo.end(), {p + QPoint(1, 0), p - QPoint(1, 0), p + QPoint(0, 1), p - QPoint(0, 1)});
    }
    int holes = 0, keys = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        if (img.pixel(x, y) == key) {
          ++keys;
          if (!reached[{x, y}]) ++holes;
        }
    EXPECT_GT(keys, 0) << "piece " << i;
    EXPECT_EQ(holes, 0) << "piece " << i;
  }
}

TEST_P(SkinLayout, WidgetRectanglesFitTheirWindows) {
  const QImage& list = skin_.piece(15);
  const QImage& lyrics = skin_.piece(11);
  const QRect combo = skin_.layout.Combo, grid = skin_.layout.Grid, paintBox = skin_.layout.PaintBox;
  EXPECT_EQ(paintBox.size(), QSize(270, 157)) << "the lyrics backgrounds are drawn unscaled";
  for (auto [bg, r, name] :
       {std::tuple{&list, combo, "combo"}, {&list, grid, "grid"}, {&lyrics, paintBox, "pb1"}}) {
    EXPECT_FALSE(r.isEmpty()) << name;
    for (QPoint corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
      EXPECT_TRUE(inRegion(*bg, corner)) << name << " corner outside the window";
  }
  EXPECT_FALSE(combo.intersects(grid));
  // Neither widget may hide a button.
  for (int i = 16; i <= 19; ++i) {
    const QRect button(skin_.pos(i), skin_.piece(i).size());
    EXPECT_FALSE(button.intersects(combo) || button.intersects(grid)) << "piece " << i;
  }
  for (int i = 12; i <= 14; ++i)
    EXPECT_FALSE(QRect(skin_.pos(i), skin_.piece(i).size()).intersects(paintBox)) << "piece " << i;
}

TEST_P(SkinLayout, TitleAndArtistSitOnACalmDarkPanel) {
  const int size = skin_.layout.LabelFontSize;
  EXPECT_GE(size, 8);
  EXPECT_LE(size, 16);
  EXPECT_LE(skin_.layout.LabelColor, 0xFFFFFFu);
  const QRect label = skin_.layout.Label;
  const int lx = label.x(), ly = label.y(), lw = label.width(), lh = label.height();
  ASSERT_GT(lx, 0) << "the skin places its own labels";
  // Label1 and its shadow, Label2 and its shadow, as the loader places them.
  const QRect labels = QRect(lx, ly, lw, lh).united(QRect(lx + 1, ly + lh + 4, lw, lh));
  EXPECT_GE(lh, size * 2) << "room for CJK glyphs of that size";
  const QImage& bg = skin_.piece(1);
  double worst = 100;
  for (int y = labels.top(); y <= labels.bottom(); ++y)
    for (int x = labels.left(); x <= labels.right(); ++x) {
      ASSERT_TRUE(inRegion(bg, {x, y})) << "label area leaves the window at " << x << "," << y;
      worst = std::min(worst, skintest::whiteContrast(bg.pixel(x, y)));
    }
  EXPECT_GE(worst, 7.0) << "white title text needs a dark panel";
  for (int i = 2; i <= 10; ++i)
    EXPECT_FALSE(QRect(skin_.pos(i), skin_.piece(i).size()).intersects(labels))
        << "piece " << i << " covers the labels";
}

// The bundled skins place the time text and the progress line themselves: inside the main
// window, clear of its buttons and of the title labels.
TEST_P(SkinLayout, TimeAndProgressSitClearOfButtonsAndLabels) {
  const TSkinTimeLines& t = skin_.layout.TimeLines;
  ASSERT_FALSE(t.Time.isEmpty() || t.Progress.isEmpty());
  ASSERT_TRUE(t.TimeColor && t.ProgressColor && t.ProgressBackColor);
  const QRect l = skin_.layout.Label;
  const QRect labels(l.x(), l.y(), l.width() + 1, 2 * l.height() + 5);
  for (auto [r, name] : {std::pair{t.Time, "time"}, {t.Progress, "progress"}}) {
    for (QPoint corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
      EXPECT_TRUE(inRegion(skin_.piece(1), corner)) << name << " corner outside the window";
    EXPECT_FALSE(r.intersects(labels)) << name << " covers the labels";
    for (int i = 2; i <= 10; ++i)
      EXPECT_FALSE(QRect(skin_.pos(i), skin_.piece(i).size()).intersects(r))
          << "piece " << i << " covers " << name;
  }
  EXPECT_FALSE(t.Time.intersects(t.Progress));
}

INSTANTIATE_TEST_SUITE_P(Skins, SkinLayout, testing::Values("default", "sakura"),
                         [](const auto& p) { return std::string(p.param); });

}  // namespace
