// The lyrics of the playing track over the settings file and the lyrics clock: the clock's
// interval (timed lyrics: until the next line is due), the lit line through pauses and seeks,
// a user picture that is gone, choices made before any lyrics, the font size, and a track
// change in the middle of a scroll.
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "core/lyrics/lyrics_display.h"
#include "core/lyrics/lyrics_speed.h"
#include "formats/settings_file.h"
#include "formats/settings_keys.h"

using namespace std::chrono_literals;

namespace {

struct TDisplayHarness {
  QTemporaryDir Dir;
  TSettingsFile Settings{Dir.filePath(QStringLiteral("varo.ini"))};
  QTimer Clock;
  std::array<QImage, kBuiltInBackgroundCount> BuiltIn;
  QImage UserPicture;
  int Updates = 0;
  std::function<void()> OnPixel;
  qint64 EnginePosition = 0;  // 0: the engine cannot tell
  std::unique_ptr<TLyricsDisplay> Display;

  TDisplayHarness() {
    for (size_t i = 0; i < BuiltIn.size(); ++i) {
      BuiltIn[i] = QImage(270, 157, QImage::Format_RGB32);
      BuiltIn[i].fill(QColor::fromHsv(int(i) * 60, 255, 255));
    }
    Clock.setInterval(100);
    TLyricsDisplay::TView view{[] { return QSize(270, 157); }, [this] { ++Updates; },
                               [this] {
                                 if (OnPixel) OnPixel();
                               },
                               [this] { return EnginePosition; }, nullptr};
    Display = std::make_unique<TLyricsDisplay>(Settings, Clock, BuiltIn, UserPicture, QFont(), view);
  }
  QString File(const QString& name, const QByteArray& bytes) {
    const QString path = Dir.filePath(name);
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
  }
  QString Picture(const QString& name, QRgb color) {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(color);
    const QString path = Dir.filePath(name);
    image.save(path, "BMP");
    return path;
  }
  QRgb BackgroundPixel() const { return Display->Model()->Background.pixel(200, 5); }
};

}  // namespace

class TestLyricsDisplay : public QObject {
  Q_OBJECT

 private slots:
  void theClockRunsAtTheEntrysSpeed_data() {
    QTest::addColumn<QByteArray>("lyrics");
    QTest::addColumn<QString>("speedCell");
    QTest::addColumn<int>("interval");
    QTest::newRow("scroll at speed 7") << QByteArray("la la\n") << "7" << 700;
    QTest::newRow("scroll, empty cell keeps the clock") << QByteArray("la la\n") << "" << 100;
    QTest::newRow("scroll, cell not a number") << QByteArray("la la\n") << "fast" << 500;
    QTest::newRow("scroll, 0 runs at the fastest step") << QByteArray("la la\n") << "0" << 100;
    QTest::newRow("timed ignores the cell") << QByteArray("[00:01.00]la\n") << "7" << kTimedLyricsIntervalMs;
  }
  void theClockRunsAtTheEntrysSpeed() {
    QFETCH(QByteArray, lyrics);
    QFETCH(QString, speedCell);
    TDisplayHarness h;
    h.Display->Start(h.File(QStringLiteral("l.txt"), lyrics), speedCell, TLyricsClock::now());
    QTEST(h.Clock.interval(), "interval");
    QVERIFY(h.Clock.isActive());
    QVERIFY(h.Updates > 0);
  }

  // Paused for ten seconds: the clock runs again on resume, and the line due two seconds in
  // lights two seconds of music later, not at once. A seek lights the line due there at once,
  // also while paused; an engine that tells its position is believed over the clock.
  void theLitLineFollowsPausesAndSeeks() {
    TDisplayHarness h;
    const auto t0 = TLyricsClock::now();
    h.Display->Start(h.File(QStringLiteral("l.txt"), "[00:01.00]one\n[00:03.00]two\n"), QString(), t0);
    const auto lit = [&h](TLyricsClock::time_point at) {
      h.Display->Tick(at);
      return h.Display->Model()->CurrentLine();
    };
    QCOMPARE(lit(t0 + 1500ms), 0);
    h.Display->Pause(t0 + 2s);
    h.Clock.stop();
    QCOMPARE(lit(t0 + 10s), 0);
    h.Display->Resume(t0 + 12s);
    QVERIFY(h.Clock.isActive());
    QCOMPARE(lit(t0 + 12900ms), 0);
    QCOMPARE(h.Clock.interval(), 100);  // the clock sleeps until the next line is due
    QCOMPARE(lit(t0 + 13100ms), 1);
    QCOMPARE(h.Clock.interval(), kLongestTimedWaitMs);  // the last line: nothing more due
    h.Display->Seek(500, t0 + 14s);                     // back before the first line
    QCOMPARE(h.Display->Model()->CurrentLine(), -1);
    QCOMPARE(h.Clock.interval(), 500);
    QCOMPARE(lit(t0 + 14600ms), 0);
    h.Display->Pause(t0 + 15s);
    h.Display->Seek(3000, t0 + 16s);
    QCOMPARE(h.Display->Model()->CurrentLine(), 1);
    QCOMPARE(lit(t0 + 30s), 1);
    h.EnginePosition = 1200;
    QCOMPARE(lit(t0 + 31s), 0);
    // Resuming again without a pause changes nothing; a pause while the clock was off
    // (no lyrics running) does not start it on resume.
    h.Display->Resume(t0 + 32s);
    h.Clock.stop();
    h.Display->Pause(t0 + 33s);
    h.Display->Resume(t0 + 34s);
    QVERIFY(!h.Clock.isActive());
  }

  void theUserPictureAndAMissingOne() {
    TDisplayHarness h;
    h.Settings.WriteInteger(kKeyKasiBack, kKasiBackUser);
    h.Settings.WriteString(kKeyKasiBackFile, h.Picture(QStringLiteral("mine.bmp"), 0xFF336699));
    const QString lyrics = h.File(QStringLiteral("l.txt"), "x\n");
    h.Display->Start(lyrics, QString(), TLyricsClock::now());
    QCOMPARE(h.BackgroundPixel(), 0xFF336699u);
    // Gone since: the picture held from before is drawn, without a word.
    h.Settings.WriteString(kKeyKasiBackFile, h.Dir.filePath(QStringLiteral("gone.bmp")));
    h.Display->Start(lyrics, QString(), TLyricsClock::now());
    QCOMPARE(h.BackgroundPixel(), 0xFF336699u);
  }

  void choosingNoneWritesTheSettingAndShowsBlack() {
    TDisplayHarness h;
    h.Display->ChooseBackground(kKasiBackNone);  // before any lyrics: kept for the next start
    QCOMPARE(h.Settings.ReadInteger(kKeyKasiBack, 0), 100);
    QVERIFY(!h.Display->Model());
    h.Settings.WriteInteger(kKeyKasiBack, 2);
    h.Display->Start(h.File(QStringLiteral("l.txt"), "x\n"), QString(), TLyricsClock::now());
    QCOMPARE(h.BackgroundPixel(), h.BuiltIn[1].pixel(200, 5));
    h.Display->ChooseBackground(kKasiBackNone);
    QCOMPARE(h.Settings.ReadInteger(kKeyKasiBack, 0), 100);
    QCOMPARE(h.Display->Model()->Composite.pixel(200, 5), 0xFF000000u);
  }

  void aNewFontSizeStartsAnEmptyTextLayer() {
    TDisplayHarness h;
    h.Display->Start(h.File(QStringLiteral("l.txt"), "WWWW\n"), QString(), TLyricsClock::now());
    const QImage before = h.Display->Model()->TextLayer;
    h.Display->ChooseFontSize(20);
    QCOMPARE(h.Settings.ReadInteger(kKeyKasiFontSize, 0), 20);
    QCOMPARE(h.Display->Model()->FontSize, 20);
    QVERIFY(before != h.Display->Model()->TextLayer);
    QImage black(270, 157, QImage::Format_RGB32);
    black.fill(Qt::black);
    QCOMPARE(h.Display->Model()->TextLayer, black);
  }

  void aTrackChangeDuringAScrollLeavesTheOldModelWhole() {
    TDisplayHarness h;
    const QString plain = h.File(QStringLiteral("p.txt"), "one\ntwo\n");
    const QString other = h.File(QStringLiteral("o.txt"), "[00:00.00]timed\n");
    const auto t0 = TLyricsClock::now();
    h.Display->Start(plain, QStringLiteral("1"), t0);
    const Tkasi* first = h.Display->Model().get();
    int pixels = 0;
    h.OnPixel = [&] {
      if (++pixels == 1) h.Display->Start(other, QString(), t0);  // the end of a track
    };
    h.Display->Tick(t0);
    QCOMPARE(pixels, 1);  // the old model finished its pixel
    QVERIFY(h.Display->Model().get() != first);
    QVERIFY(h.Display->Model()->Timed);
  }
};

QTEST_MAIN(TestLyricsDisplay)
#include "lyrics_display_test.moc"
