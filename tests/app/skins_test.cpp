// Skin pictures and files: the outline runs, the layout, cutting the pack, the fallback.
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

#include "formats/file_errors.h"
#include "formats/region_runs.h"
#include "formats/skin_grid_colors.h"
#include "formats/skin_layout.h"
#include "formats/skin_pack.h"
#include "formats/skin_time_places.h"
#include "skin_fixture.h"

namespace {

QImage Picture(const QStringList& rows) {  // '#' body, '.' black
  QImage image(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      image.setPixel(x, y, rows[y][x] == u'#' ? qRgb(200, 10, 10) : qRgb(0, 0, 0));
  return image;
}

// The outline as it must come out: every pixel not of the transparent colour, except row 0
// and column 0.
// WCAG contrast of two colours (1 ... 21).
double Contrast(QRgb a, QRgb b) {
  auto luminance = [](QRgb c) {
    auto channel = [](int v) {
      const double x = v / 255.0;
      return x <= 0.03928 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QRegion ExpectedOutline(const QImage& image, QRgb transparent) {
  QRegion region;
  for (int y = 1; y < image.height(); ++y)
    for (int x = 1; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) != (transparent & 0xFFFFFF)) region += QRect(x, y, 1, 1);
  return region;
}

QByteArray LayoutWith(int line, const QByteArray& value) {  // line is 1-based
  QList<QByteArray> lines = TestSkinFiles(MakeTestSkin(0)).Layout.split('\n');
  lines[line - 1] = value + "\r";
  return lines.join('\n');
}

}  // namespace

class TestSkins : public QObject {
  Q_OBJECT

 private slots:
  void runsOfSmallPictures_data() {
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QList<int>>("runs");  // y, left, right triples
    QTest::newRow("full row reaches the edge") << QStringList{"####", "####"} << QList<int>{1, 1, 4};
    QTest::newRow("single pixel between black") << QStringList{".....", "..#.."} << QList<int>{1, 2, 3};
    QTest::newRow("row 0 and column 0 never count")
        << QStringList{"#####", "#....", "#.##."} << QList<int>{2, 2, 4};
    QTest::newRow("two runs in a row") << QStringList{"......", ".##.##"} << QList<int>{1, 1, 3, 1, 4, 6};
    QTest::newRow("all black") << QStringList{"...", "..."} << QList<int>{};
    QTest::newRow("one column wide") << QStringList{"#", "#"} << QList<int>{};
  }
  void runsOfSmallPictures() {
    QFETCH(QStringList, rows);
    QFETCH(QList<int>, runs);
    std::vector<TRegionRun> expected;
    for (qsizetype i = 0; i < runs.size(); i += 3) expected.push_back({runs[i], runs[i + 1], runs[i + 2]});
    QCOMPARE(BuildRegionRuns(Picture(rows), 0), expected);
  }

  // Random pictures, several transparent colours: the runs cover exactly the outline.
  void runsCoverExactlyTheOutline() {
    QRandomGenerator random(1234);
    const std::array<quint32, 3> colorRefs{0x000000, 0xFF00FF, 0x0080FF};  // 0x00BBGGRR
    for (int round = 0; round < 30; ++round) {
      const quint32 colorRef = colorRefs[static_cast<size_t>(round) % colorRefs.size()];
      const QRgb t = ColorRefToRgb(colorRef);
      QImage image(1 + random.bounded(40), 1 + random.bounded(12), QImage::Format_RGB32);
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
          image.setPixel(x, y, random.bounded(3) == 0 ? t : qRgb(random.bounded(256), 20, 30));
      const QRegion got = RegionFromRuns(BuildRegionRuns(image, colorRef), QPoint(0, 0));
      QCOMPARE(got, ExpectedOutline(image, t));
    }
  }

  void colorRefIsBlueGreenRed() {
    QCOMPARE(ColorRefToRgb(0x00112233), qRgb(0x33, 0x22, 0x11));
    QCOMPARE(ColorRefFromRgb(qRgb(0x33, 0x22, 0x11)), 0x00112233u);
  }

  void regionIsPlacedAtTheControl() {
    const QRegion r = RegionFromRuns({{1, 2, 5}}, QPoint(10, 20));
    QCOMPARE(r, QRegion(QRect(12, 21, 3, 1)));
  }

  void pieceSizes_data() {
    QTest::addColumn<int>("blocks");
    QTest::addColumn<int>("remainder");
    QTest::addColumn<qint64>("size");
    QTest::newRow("B3 R100") << 3 << 100 << qint64(2148);
    QTest::newRow("B2 R100") << 2 << 100 << qint64(100);
    QTest::newRow("B0 R0") << 0 << 0 << qint64(0);
    QTest::newRow("B1 R2048") << 1 << 2048 << qint64(2048);
    QTest::newRow("B7 R0") << 7 << 0 << qint64(5 * 2048);
  }
  void pieceSizes() {
    QFETCH(int, blocks);
    QFETCH(int, remainder);
    QFETCH(qint64, size);
    TSkinLayout layout;
    layout.Blocks[4] = blocks;
    layout.Remainders[4] = remainder;
    QCOMPARE(layout.PieceSize(5), size);
    // Written back, the size may take the writer's form but must stay the same.
    layout.SetPieceSize(5, size);
    QCOMPARE(layout.PieceSize(5), size);
  }

  void theWriterSplitsIntoWholeBlocksPlusTwo() {
    QCOMPARE(SplitIntoBlocks(2148), (TSkinBlocks{3, 100}));
    QCOMPARE(SplitIntoBlocks(100), (TSkinBlocks{2, 100}));
    QCOMPARE(SplitIntoBlocks(2048), (TSkinBlocks{3, 0}));
  }

  // Each line read into its own field: a layout whose line alone holds 777.
  void layoutLinesLandWhereTheyBelong() {
    using TField = int (*)(const TSkinLayout&);
    const std::pair<int, TField> fields[] = {
        {1, [](const TSkinLayout& l) { return l.Positions[0].x(); }},
        {38, [](const TSkinLayout& l) { return l.Positions[18].y(); }},
        {39, [](const TSkinLayout& l) { return l.Blocks[0]; }},
        {76, [](const TSkinLayout& l) { return l.Remainders[18]; }},
        {77, [](const TSkinLayout& l) { return l.Combo.x(); }},
        {82, [](const TSkinLayout& l) { return l.Grid.y(); }},
        {84, [](const TSkinLayout& l) { return l.Grid.height(); }},
        {87, [](const TSkinLayout& l) { return l.PaintBox.width(); }},
        {89, [](const TSkinLayout& l) { return l.LabelFontSize; }},
        {90, [](const TSkinLayout& l) { return static_cast<int>(l.LabelColor); }},
        {91, [](const TSkinLayout& l) { return l.Label.x(); }},
        {94, [](const TSkinLayout& l) { return l.Label.height(); }},
    };
    const TSkinLayout base = ParseSkinLayout(LayoutWith(1, "0"));
    for (const auto& [line, field] : fields) {
      const QByteArray where = "line " + QByteArray::number(line);
      QVERIFY2(field(base) != 777, where.constData());
      QVERIFY2(field(ParseSkinLayout(LayoutWith(line, "777"))) == 777, where.constData());
    }
  }

  void writtenLayoutsReadBackWhole() {
    const TTestSkin skin = MakeTestSkin(2);
    const QByteArray text = TestSkinFiles(skin).Layout;
    const TSkinLayout layout = ParseSkinLayout(text);
    QCOMPARE(layout.Positions, skin.Positions);
    QCOMPARE(layout.Combo, skin.Combo);
    QCOMPARE(layout.Grid, skin.Grid);
    QCOMPARE(layout.PaintBox, skin.PaintBox);
    QCOMPARE(layout.LabelFontSize, skin.LabelFontSize);
    QCOMPARE(layout.LabelColor, skin.LabelColor);
    QCOMPARE(layout.Label, skin.Label);
    QCOMPARE(FormatSkinLayout(layout), QByteArray(text).replace("\r\n", "\n"));
  }

  void badLayoutsAreRefused_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("short") << LayoutWith(1, "0").left(40);
    QTest::newRow("not a number") << LayoutWith(12, "abc");
    QTest::newRow("empty line among the integers") << LayoutWith(89, "");
    QTest::newRow("remainder above a block") << LayoutWith(58, "2049");
    QTest::newRow("negative remainder") << LayoutWith(60, "-1");
    QTest::newRow("negative block count") << LayoutWith(39, "-3");
    QTest::newRow("piece far off any screen") << LayoutWith(3, "-100000");
    QTest::newRow("paint box of gigabytes") << LayoutWith(87, "20000");
    QTest::newRow("negative grid width") << LayoutWith(83, "-5");
  }
  void badLayoutsAreRefused() {
    QFETCH(QByteArray, text);
    QVERIFY_THROWS_EXCEPTION(ESkinError, ParseSkinLayout(text));
  }

  void theLabelLinesAreLenient() {
    for (const QByteArray& value : {QByteArray(""), QByteArray("x")}) {
      const TSkinLayout layout = ParseSkinLayout(LayoutWith(91, value));
      QCOMPARE(layout.Label.x(), 0);
    }
    QByteArray cut = LayoutWith(1, "0");
    cut.truncate(cut.lastIndexOf("\r\n", cut.size() - 3) + 2);  // drop line 94
    QCOMPARE(ParseSkinLayout(cut).Label.height(), 0);
    QCOMPARE(ParseSkinLayout(LayoutWith(93, "99999")).Label.width(), 0);
  }

  // The time lines after line 94: read back whole, each unset one written as an empty line,
  // none at all for a skin without them (so older layouts keep their 94 lines).
  void theTimeLinesRoundTrip() {
    const QByteArray old = LayoutWith(1, "0");
    QVERIFY(ParseSkinLayout(old).TimeLines.IsEmpty());
    const QByteArray full =
        old + "300\r\n102\r\n92\r\n16\r\n16768061\r\n220\r\n93\r\n180\r\n5\r\n255\r\n0\r\n";
    const TSkinLayout layout = ParseSkinLayout(full);
    const TSkinTimeLines& t = layout.TimeLines;
    QCOMPARE(t.Time, QRect(300, 102, 92, 16));
    QCOMPARE(t.TimeColor, std::optional<uint32_t>(16768061));
    QCOMPARE(t.Progress, QRect(220, 93, 180, 5));
    QCOMPARE(t.ProgressColor, std::optional<uint32_t>(255));
    QCOMPARE(t.ProgressBackColor, std::optional<uint32_t>(0));  // black is a colour, not unset
    QCOMPARE(FormatSkinLayout(layout), QByteArray(full).replace("\r\n", "\n"));

    // Only the progress line given; a broken time rectangle and colour count as unset.
    const TSkinTimeLines part =
        ParseSkinLayout(old + "1\r\n2\r\n0\r\n16\r\nx\r\n5\r\n6\r\n70\r\n8\r\n").TimeLines;
    QVERIFY(part.Time.isNull() && !part.TimeColor && !part.ProgressColor && !part.ProgressBackColor);
    QCOMPARE(part.Progress, QRect(5, 6, 70, 8));
    TSkinLayout written;
    written.TimeLines = part;
    QCOMPARE(ParseSkinLayout(FormatSkinLayout(written)).TimeLines.Progress, part.Progress);
    QVERIFY(FormatSkinLayout(written).endsWith("\n0\n\n\n\n\n\n5\n6\n70\n8\n\n\n"));
    QVERIFY(!ParseSkinLayout(old + "1\n2\n3\n4\n16777216\n").TimeLines.TimeColor);  // beyond 0xFFFFFF
  }

  // The grid lines follow the time lines (written empty when unset) and read back whole; an
  // old layout has none, and neither has one with time lines only.
  void theGridLinesFollowTheTimeLines() {
    const QByteArray old = LayoutWith(1, "0");
    QVERIFY(ParseSkinLayout(old).GridLines.IsEmpty());
    QVERIFY(ParseSkinLayout(old + "1\n2\n3\n4\n5\n").GridLines.IsEmpty());
    TSkinLayout layout = ParseSkinLayout(old);
    layout.GridLines.Color = 0x102030;
    layout.GridLines.PlayingColor = 0;  // black is a colour
    const QByteArray written = FormatSkinLayout(layout);
    QVERIFY(written.endsWith(QByteArray(11, '\n') + "1056816\n\n\n\n\n\n\n0\n"));
    const TSkinGridLines back = ParseSkinLayout(written).GridLines;
    QCOMPARE(back.Color, std::optional<uint32_t>(0x102030));
    QCOMPARE(back.PlayingColor, std::optional<uint32_t>(0));
    QVERIFY(ParseSkinLayout(written).TimeLines.IsEmpty() && !back.TextColor && !back.SelectColor);
    QVERIFY(!ParseSkinLayout(old + QByteArray(11, '\n') + "x\n-1\n16777216\n").GridLines.Color);
  }

  // Without grid lines the grid takes dark rows and light text in the hue of the frame around
  // it, on a light skin as on a dark one; a picture of nothing gives a dark slate; what the
  // skin gives wins.
  void gridColorsComeFromTheFrameAroundTheGrid() {
    TSkinLayout layout = ParseSkinLayout(LayoutWith(1, "0"));  // the grid at (10, 40), 260 x 200
    for (const QColor& frame :
         {QColor(0xf4, 0xc4, 0xd5), QColor(0x10, 0x30, 0x18), QColor(0x80, 0x80, 0x80)}) {
      QImage picture(300, 300, QImage::Format_RGB32);
      picture.fill(frame);
      QPainter(&picture).fillRect(layout.Grid, Qt::white);  // what the grid covers counts not
      const TGridColors c = PlaylistGridColors(layout, picture);
      const QByteArray what = frame.name().toLatin1();
      QVERIFY2(QColor(c.Color).lightnessF() < 0.2, what);
      if (frame.hslSaturationF() > 0.1)
        QVERIFY2(std::abs(QColor(c.Color).hslHueF() - frame.hslHueF()) < 0.03, what);
      for (QRgb text : {c.TextColor, c.PlayingColor, c.SelectTextColor})
        QVERIFY2(Contrast(text, c.Color) >= 4.5, what);
      QVERIFY2(Contrast(c.FixedTextColor, c.FixedColor) >= 4.5, what);
      QVERIFY2(Contrast(c.SelectTextColor, c.SelectColor) >= 4.5, what);
      QVERIFY2(c.PlayingColor != c.TextColor, what);
    }
    QImage outside(300, 300, QImage::Format_RGB32);
    outside.fill(Qt::black);  // all of it outside the window
    const TGridColors slate = PlaylistGridColors(layout, outside);
    QCOMPARE(PlaylistGridColors(layout, QImage()).Color, slate.Color);
    QVERIFY(QColor(slate.Color).lightnessF() < 0.2 && Contrast(slate.TextColor, slate.Color) >= 4.5);
    layout.GridLines.TextColor = 0x0000FF;  // red, as 0x00BBGGRR
    QCOMPARE(PlaylistGridColors(layout, outside).TextColor, qRgb(0xFF, 0, 0));
  }

  // A skin without time lines places them under its labels, in the labels' colour; what a
  // skin gives wins.
  void timePlacesDefaultUnderTheLabels() {
    TSkinLayout layout = ParseSkinLayout(LayoutWith(1, "0"));  // labels at (20, 30), 240 x 14
    TTimePlaces p = MainTimePlaces(layout, 300);
    QCOMPARE(p.Time, QRect(20, 64, 241, 16));  // under the artist's shadow, which ends at 62
    QCOMPARE(p.Progress, QRect(28, 82, 225, 6));
    QCOMPARE(p.TimeColor, 0x0000FFFFu);
    QCOMPARE(p.ProgressColor, 0x0000FFFFu);
    QCOMPARE(p.ProgressBackColor, 0x00007F7Fu);
    layout.Label = QRect();  // the default label layout: title at 48, artist at 58, 20 high
    p = MainTimePlaces(layout, 300);
    QCOMPARE(p.Time, QRect(0, 80, 300, 16));
    QCOMPARE(p.Progress, QRect(8, 98, 284, 6));
    layout.TimeLines.Time = QRect(1, 2, 3, 4);
    layout.TimeLines.ProgressBackColor = 0x123456;
    p = MainTimePlaces(layout, 300);
    QCOMPARE(p.Time, QRect(1, 2, 3, 4));
    QCOMPARE(p.ProgressBackColor, 0x123456u);
    QCOMPARE(p.Progress, QRect(8, 98, 284, 6));
  }

  void cuttingGivesBackEveryPiece() {
    const TTestSkin skin = MakeTestSkin(1);
    const TTestSkinFiles files = TestSkinFiles(skin);
    TSkin loaded;
    loaded.Layout = ParseSkinLayout(files.Layout);
    loaded.Pieces = CutSkinPack(files.Pack + "trailing bytes are ignored", loaded.Layout);
    for (int piece = 1; piece <= 19; ++piece)
      QCOMPARE(loaded.Picture(piece).convertToFormat(QImage::Format_RGB32),
               skin.Pieces[piece - 1].convertToFormat(QImage::Format_RGB32));
    TSkinLayout rejoined;
    QCOMPARE(JoinSkinPack(loaded.Pieces, rejoined), files.Pack);
    QCOMPARE(rejoined.Blocks, loaded.Layout.Blocks);
    QCOMPARE(rejoined.Remainders, loaded.Layout.Remainders);
  }

  void aShortPackIsRefused() {
    const TTestSkinFiles files = TestSkinFiles(MakeTestSkin(1));
    const TSkinLayout layout = ParseSkinLayout(files.Layout);
    QVERIFY_THROWS_EXCEPTION(ESkinError, CutSkinPack(files.Pack.chopped(1), layout));
  }

  void emptyAndBrokenPieces() {
    TSkin skin;
    QVERIFY(skin.Picture(3).isNull());  // an empty piece is an empty picture
    skin.Pieces[3] = "BM this is no bitmap";
    QVERIFY_THROWS_EXCEPTION(ESkinError, skin.Picture(4));
  }

  void aMissingPackFallsBackToDefault() {
    QTemporaryDir dir;
    WriteTestSkin(dir.path(), QStringLiteral("default"), MakeTestSkin(0));
    WriteTestSkin(dir.path(), QStringLiteral("blue"), MakeTestSkin(3));
    QCOMPARE(ResolveSkinName(dir.path(), QStringLiteral("blue")), QStringLiteral("blue"));
    QCOMPARE(ResolveSkinName(dir.path(), QStringLiteral("gone")), QStringLiteral("default"));
    QCOMPARE(ResolveSkinName(dir.path(), QString()), QStringLiteral("default"));
    const TSkin skin = ReadSkin(dir.path(), QStringLiteral("gone"));
    QCOMPARE(skin.Name, QStringLiteral("default"));
    QCOMPARE(skin.Picture(1).size(), MakeTestSkin(0).Pieces[0].size());
  }

  void aMissingLayoutRaisesTheFileError() {
    QTemporaryDir dir;
    WriteTestSkin(dir.path(), QStringLiteral("default"), MakeTestSkin(0));
    QFile::remove(dir.filePath(QStringLiteral("default.txt")));
    try {
      ReadSkin(dir.path(), QStringLiteral("default"));
      QFAIL("no error");
    } catch (const EFileError& e) {
      QVERIFY(QString::fromUtf8(e.what()).contains(QStringLiteral("default.txt")));
    }
  }

  void skinNamesForTheMenu() {
    QTemporaryDir dir;
    for (const char* name : {"b", "default", "a", "C"})
      WriteTestSkin(dir.path(), QString::fromLatin1(name), MakeTestSkin(0));
    QFile::remove(dir.filePath(QStringLiteral("C.bmp")));  // listed by its layout alone
    QFile(dir.filePath(QStringLiteral("notes.md"))).open(QIODevice::WriteOnly);
    QCOMPARE(ListSkinNames(dir.path()),
             (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("C")}));
  }
};

QTEST_GUILESS_MAIN(TestSkins)
#include "skins_test.moc"
