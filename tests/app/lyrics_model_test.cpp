// The lyrics model: time tags, scroll timing, timed display and the pictures it renders.
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
  TLyricsClock::time_point T0{};

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
    Model->Begin(T0);
  }
  // Lines a timed display has shown: each one scrolls font size + 5 pixels.
  int LinesShown() const { return Pixels / (Model->FontSize + 5); }
  void At(std::chrono::milliseconds elapsed) { Model->TimedTick(T0 + elapsed); }

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

  void timeTags_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("seconds");  // -1: no time
    QTest::newRow("1:23") << "[01:23.45]text" << 83;
    QTest::newRow("zero") << "[00:00.00]" << 0;
    QTest::newRow("75 minutes") << "[75:00.00]late" << 4500;
    QTest::newRow("heading tag") << "[ti:Song]" << -1;
    QTest::newRow("one-digit minutes") << "[1:23.45]x" << -1;
    QTest::newRow("full-width digits") << "[０１:２３.00]x" << -1;
    QTest::newRow("plain text") << "text" << -1;
    QTest::newRow("empty") << "" << -1;
  }
  void timeTags() {
    QFETCH(QString, line);
    QFETCH(int, seconds);
    const std::optional<int> got = TimedLineSeconds(line);
    QCOMPARE(got.value_or(-1), seconds);
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

  void timedLinesShowAboutOneSecondAheadAndNoneIsLost() {
    TLyricsHarness h;
    h.Start(
        "[00:00.00]zero\n"
        "[00:10.00]ten\n"
        "[00:10.50]ten too\n"
        "[ti:a heading]\n"
        "[00:30.00]thirty\n"
        "\n"
        "[61:00.00]sixty-one\n");
    QVERIFY(h.Model->Timed);
    QCOMPARE(h.LinesShown(), 0);  // nothing before the first tick
    h.At(0ms);
    QCOMPARE(h.LinesShown(), 1);
    h.At(8900ms);  // 8.9 s + 1.04 s is still before 10 s
    QCOMPARE(h.LinesShown(), 1);
    QCOMPARE(h.Model->PendingText, QStringLiteral("ten"));
    h.At(8970ms);  // both lines of second 10 in one tick, in order
    QCOMPARE(h.LinesShown(), 3);
    QCOMPARE(h.Model->PendingText, QStringLiteral("thirty"));
    h.At(100s);  // its second passed unseen: shown all the same; the empty line is skipped
    QCOMPARE(h.LinesShown(), 4);
    QCOMPARE(h.Model->PendingText, QStringLiteral("sixty-one"));
    h.At(3658900ms);
    QCOMPARE(h.LinesShown(), 4);
    h.At(3659000ms);  // a tag of 61 minutes shows too
    QCOMPARE(h.LinesShown(), 5);
    QVERIFY(h.Model->Finished());
  }

  void twoEmptyLinesEndTheTimedDisplay() {
    TLyricsHarness h;
    h.Start("[00:00.00]a\n\n\n[00:01.00]b\n");
    h.At(0ms);
    h.At(5s);
    QCOMPARE(h.LinesShown(), 1);
    QVERIFY(h.Model->Finished());
  }

  void aTickDuringAScrollShowsNothingTwice() {
    TLyricsHarness h;
    h.Start("[00:00.00]a\n[00:00.50]b\n[00:02.00]c\n");
    // Every pixel of a scroll lets events run: here a further tick arrives each time.
    h.Model->SetPixelStep([&h] {
      ++h.Pixels;
      h.At(1s);
    });
    h.At(1s);
    QCOMPARE(h.LinesShown(), 3);
    QVERIFY(h.Model->Finished());
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
    model.Begin(TLyricsClock::now());
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
