// Where a dragged main window lands near the edges of the screen's available area.
#include <QtTest>

#include "core/skin/edge_snap.h"

class TestEdgeSnap : public QObject {
  Q_OBJECT

 private slots:
  void snapping_data() {
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("target");
    QTest::addColumn<QPoint>("landed");
    const QRect screen(0, 0, 1920, 1080);
    const QSize w(300, 200);
    QTest::newRow("left 9 snaps") << screen << QPoint(9, 500) << QPoint(0, 500);
    QTest::newRow("left 10 stays") << screen << QPoint(10, 500) << QPoint(10, 500);
    QTest::newRow("negative left snaps") << screen << QPoint(-50, 500) << QPoint(0, 500);
    QTest::newRow("top 9 snaps") << screen << QPoint(500, 9) << QPoint(500, 0);
    QTest::newRow("top 10 stays") << screen << QPoint(500, 10) << QPoint(500, 10);
    QTest::newRow("right edge exactly stays")
        << screen << QPoint(1920 - w.width(), 500) << QPoint(1920 - w.width(), 500);
    QTest::newRow("past the right edge snaps")
        << screen << QPoint(1921 - w.width(), 500) << QPoint(1920 - w.width(), 500);
    QTest::newRow("past the bottom snaps") << screen << QPoint(500, 900) << QPoint(500, 880);
    QTest::newRow("corner") << screen << QPoint(3, 2000) << QPoint(0, 880);
    // A panel on the left and at the top: the available area starts at (64, 32).
    const QRect panel(64, 32, 1856, 1048);
    QTest::newRow("beside a panel 9") << panel << QPoint(73, 41) << QPoint(64, 32);
    QTest::newRow("beside a panel 10") << panel << QPoint(74, 42) << QPoint(74, 42);
    QTest::newRow("second screen") << QRect(1920, 0, 1280, 1024) << QPoint(1925, 300) << QPoint(1920, 300);
  }
  void snapping() {
    QFETCH(QRect, screen);
    QFETCH(QPoint, target);
    QTEST(SnapToScreenEdges(target, QSize(300, 200), screen), "landed");
  }

  void aWindowWiderThanTheScreenKeepsItsRightEdgeOnIt() {
    QCOMPARE(SnapToScreenEdges(QPoint(5, 5), QSize(900, 700), QRect(0, 0, 800, 600)), QPoint(-100, -100));
  }
};

QTEST_GUILESS_MAIN(TestEdgeSnap)
#include "edge_snap_test.moc"
