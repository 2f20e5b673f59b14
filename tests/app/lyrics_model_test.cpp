// The lyrics model: scroll timing, the lit line of timed lyrics and the pictures it renders.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <limits>
#include <memory>

#include "core/lyrics/lyrics_model.h"
#include "core/platform/ui_font.h"

using namespace std::chrono_literals;

namespace {

constexpr QSize kPaintBox(270, 157);

bool IsWhite(QRgb c) { return qRed(c) > 200 && qGreen(c) > 200 && qBlue(c) > 200; }

// First and last row of the text layer holding white text; -1 when none.
std::pair<int, int> InkRows(const QImage& layer) {
  int first = -1;
  int last = -1;
  for (int y = 0; y < layer.height(); ++y)
    for (int x = 0; x < layer.width(); ++x)
      if (IsWhite(layer.pixel(x, y))) {
        if (first < 0) first = y;
        last = y;
        break;
      }
  return {first, last};
}

struct TLyricsHarness {
  QTemporaryDir Dir;
  std::unique_ptr<Tkasi> Model;
  int Pixels = 0;  // pixels scrolled so far

  void Start(const QByteArray& fileBytes, int fontSize = kDefaultKasiFontSize, int backKind = kKasiBackNone) {
    const QString path = Dir.filePath(QStringLiteral("lyrics.txt"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(fileBytes);
    f.close();
    Model = std::make_unique<Tkasi>(backKind, fontSize, QFont());
    Model->SetPixelStep([this] { ++Pixels; });
    Model->OpenFile(path);
    Model->CreatePictures(kPaintBox);
    Model->DrawBackground(Builtins(), QImage());
    Model->Begin();
  }
  int At(std::chrono::milliseconds position) {
    Model->ShowAt(position.count());
    return Model->CurrentLine();
  }

  static std::array<QImage, kBuiltInBackgroundCount> Builtins() {
    std::array<QImage, kBuiltInBackgroundCount> images;
    const std::array<QRgb, kBuiltInBackgroundCount> colors{0xFF8080, 0x0000FF, 0x00FF00, 0xFF0000, 0xFF8000};
    for (size_t i = 0; i < images.size(); ++i) {
      images[i] = QImage(270, 157, QImage::Format_RGB32);
      images[i].fill(colors[i]);
    }
    return images;
  }
};

}  // namespace

class TestLyricsModel : public QObject {
  Q_OBJECT

 private slots:
  void fontSizesFromDamagedFilesAreHeld() {
    QCOMPARE(PointsToSkinPixels(std::numeric_limits<int>::max()), PointsToSkinPixels(kLargestFontSize));
    QCOMPARE(PointsToSkinPixels(-7), PointsToSkinPixels(1));
    QCOMPARE(PointsToSkinPixels(9), 12);
  }

  void scrollModeMovesOnePixelPerTickAndTakesALineEveryFontSizePlus3Ticks() {
    TLyricsHarness h;
    h.Start("Hello\nHello\nHello\n");
    QVERIFY(!h.Model->Timed);
    const auto [top0, bottom0] = InkRows(h.Model->TextLayer);
    QVERIFY(top0 > 0);
    for (int tick = 1; tick <= 10; ++tick) {
      h.Model->ScrollTick();
      QCOMPARE(h.Model->Ticks(), tick);
      QCOMPARE(InkRows(h.Model->TextLayer), std::make_pair(top0 - tick, bottom0 - tick));
    }
    h.Model->ScrollTick();  // the 11th: the second line enters at the bottom, then one pixel up
    QCOMPARE(h.Model->Ticks(), 0);
    QCOMPARE(InkRows(h.Model->TextLayer), std::make_pair(top0 - 11, bottom0 - 1));
    QCOMPARE(h.Pixels, 11);
    // The composite is the text over the background.
    QCOMPARE(h.Model->Composite, h.Model->TextLayer);
  }

  void aLargerFontTakesLinesLessOften() {
    TLyricsHarness h;
    h.Start("a\nb\n", 12);
    for (int tick = 1; tick <= 14; ++tick) h.Model->ScrollTick();
    QCOMPARE(h.Model->Ticks(), 14);
    h.Model->ScrollTick();
    QCOMPARE(h.Model->Ticks(), 0);
  }

  // Lines light at their own time, forward and back; heading lines and blank untagged
  // lines are no lines, and a tag of 61 minutes lights too.
  void timedLinesLightAtTheirTime() {
    TLyricsHarness h;
    h.Start(
        "[00:00.00]zero\n"
        "[00:10.00]ten\n"
        "[00:10.50]ten too\n"
        "[ti:a heading]\n"
        "[00:30.00]thirty\n"
        "\n\n"
        "[61:00.00]sixty-one\n");
    QVERIFY(h.Model->Timed);
    QCOMPARE(h.Model->CurrentLine(), 0);  // due at the start
    QCOMPARE(h.At(9999ms), 0);
    QCOMPARE(h.Model->PendingText, QStringLiteral("ten"));
    QCOMPARE(h.At(10500ms), 2);
    QCOMPARE(h.At(100s), 3);
    QCOMPARE(h.Model->PendingText, QStringLiteral("sixty-one"));
    QCOMPARE(h.At(10s), 1);  // back
    QVERIFY(!h.Model->Finished());
    QCOMPARE(h.At(3660s), 4);
    QVERIFY(h.Model->Finished());
    QCOMPARE(h.Pixels, 0);  // timed lines never scroll, so no tick runs inside another
  }

  // A scroll lets events run after its pixel: a tick arriving then is skipped, not nested.
  void aTickDuringAScrollIsSkipped() {
    TLyricsHarness h;
    h.Start("a\nb\n");
    h.Model->SetPixelStep([&h] {
      ++h.Pixels;
      h.Model->ScrollTick();
    });
    h.Model->ScrollTick();
    QCOMPARE(h.Pixels, 1);
    QCOMPARE(h.Model->Ticks(), 1);
  }

  // The lit line reads on every background: bright letters with a dark edge around them,
  // brighter than the lines sung before it. A click on a row gives that row's time.
  void theLitLineReadsOnEveryBackground_data() {
    QTest::addColumn<int>("kind");
    for (const int kind : {1, 2, 3, 4, 5, kKasiBackNone, kKasiBackUser})
      QTest::addRow("kind %d", kind) << kind;
  }
  void theLitLineReadsOnEveryBackground() {
    QFETCH(int, kind);
    TLyricsHarness h;
    h.Start("[00:00.00]WWWWWWWW\n[00:05.00]WWWWWWWW\n", 12, kind);
    QImage white(10, 10, QImage::Format_RGB32);
    white.fill(Qt::white);  // the hardest user picture
    h.Model->DrawBackground(TLyricsHarness::Builtins(), white);
    h.At(5s);
    const QImage& c = h.Model->Composite;
    const auto brightest = [&c](int top, int bottom, bool dark) {
      int best = dark ? 255 : 0;
      for (int y = std::max(top, 0); y < std::min(bottom, c.height()); ++y)
        for (int x = 0; x < c.width() / 2; ++x) {
          const int v = qGray(c.pixel(x, y));
          best = dark ? std::min(best, v) : std::max(best, v);
        }
      return best;
    };
    const int rowHeight = h.Model->FontSize + 5;
    int litTop = -1;
    for (int y = 0; y < c.height() && litTop < 0; ++y)
      if (h.Model->LineTimeAt(y) == 5000) litTop = y;
    QVERIFY(litTop > rowHeight);
    QVERIFY(brightest(litTop, litTop + rowHeight, false) > 240);
    QVERIFY(brightest(litTop, litTop + rowHeight, true) < 60);
    QCOMPARE(h.Model->LineTimeAt(litTop - 1), std::optional<int64_t>(0));
    if (kind == kKasiBackNone)
      QVERIFY(brightest(litTop - rowHeight, litTop, false) < brightest(litTop, litTop + rowHeight, false));
    QCOMPARE(h.Model->LineTimeAt(litTop + rowHeight), std::nullopt);  // nothing below the last
  }

  void legacyShiftJisLyricsAreRead() {
    TLyricsHarness h;
    h.Start("[00:01.00]\x89\xCC\x8E\x8C\r\n");  // "歌詞"
    QCOMPARE(h.Model->PendingText, QStringLiteral("歌詞"));
  }

  void aMissingFileShowsTheBackgroundOnly() {
    Tkasi model(3, kDefaultKasiFontSize, QFont());
    model.OpenFile(QStringLiteral("/nonexistent/lyrics.txt"));
    model.CreatePictures(kPaintBox);
    model.DrawBackground(TLyricsHarness::Builtins(), QImage());
    model.Begin();
    QVERIFY(!model.Timed);
    model.ScrollTick();
    QCOMPARE(model.Composite.pixel(100, 100), 0xFF00FF00u);
    QCOMPARE(InkRows(model.TextLayer).first, -1);
  }

  void backgrounds_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QSize>("paintBox");
    QTest::addColumn<QRgb>("inside");  // at (5, 5)
    QTest::addColumn<QRgb>("corner");  // the last pixel
    QTest::newRow("blue, same size") << 2 << kPaintBox << QRgb(0xFF0000FF) << QRgb(0xFF0000FF);
    QTest::newRow("orange, larger box: black beyond")
        << 5 << QSize(300, 200) << QRgb(0xFFFF8000) << QRgb(0xFF000000);
    QTest::newRow("none") << kKasiBackNone << kPaintBox << QRgb(0xFF000000) << QRgb(0xFF000000);
    QTest::newRow("user picture stretched")
        << kKasiBackUser << QSize(300, 200) << QRgb(0xFF123456) << QRgb(0xFF123456);
  }
  void backgrounds() {
    QFETCH(int, kind);
    QFETCH(QSize, paintBox);
    Tkasi model(kind, kDefaultKasiFontSize, QFont());
    model.CreatePictures(paintBox);
    QImage user(10, 10, QImage::Format_RGB32);
    user.fill(0x123456);
    model.DrawBackground(TLyricsHarness::Builtins(), user);
    model.Refresh();
    QTEST(model.Composite.pixel(5, 5), "inside");
    QTEST(model.Composite.pixel(paintBox.width() - 1, paintBox.height() - 1), "corner");
  }

  void textIsOredOntoTheBackground() {
    TLyricsHarness h;
    h.Start("WWWWWWWW\n", 20, 4);  // red background
    const QImage& c = h.Model->Composite;
    bool whiteText = false;
    for (int y = 0; y < c.height(); ++y)
      for (int x = 0; x < c.width(); ++x) {
        const QRgb p = c.pixel(x, y);
        QCOMPARE(qRed(p), 255);  // OR with red keeps red everywhere
        whiteText = whiteText || IsWhite(p);
      }
    QVERIFY(whiteText);
  }
};

QTEST_MAIN(TestLyricsModel)
#include "lyrics_model_test.moc"
