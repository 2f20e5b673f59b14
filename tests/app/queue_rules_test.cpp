// The queue's table and arithmetic, the play-state rules and the queue restored at start-up.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>

#include "core/playback/play_queue.h"
#include "core/playback/play_state.h"
#include "core/playback/queue_restore.h"
#include "core/settings/settings_file.h"
#include "core/settings/settings_keys.h"

Q_DECLARE_METATYPE(TPlayState)

namespace {

TPlayQueue QueueOf(int count, int current) {
  TPlayQueue q;
  for (int i = 0; i < count; ++i) q.Append(QStringLiteral("/m/%1.mp3").arg(i), QString::number(i));
  q.CurrentIndex = current;
  return q;
}

void Touch(const QString& path) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
}

}  // namespace

class TestQueueRules : public QObject {
  Q_OBJECT

 private slots:
  void nextAndPreviousWrapAround_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("next");
    QTest::addColumn<int>("previous");
    QTest::newRow("middle") << 5 << 2 << 3 << 1;
    QTest::newRow("first") << 5 << 0 << 1 << 4;
    QTest::newRow("last") << 5 << 4 << 0 << 3;
    QTest::newRow("repeat-all wrap of three") << 3 << 2 << 0 << 1;
    QTest::newRow("one entry") << 1 << 0 << 0 << 0;
    QTest::newRow("past the end") << 3 << 7 << 0 << 2;
    QTest::newRow("empty queue") << 0 << 0 << 0 << -1;
  }
  void nextAndPreviousWrapAround() {
    QFETCH(int, count);
    QFETCH(int, current);
    const TPlayQueue q = QueueOf(count, current);
    QTEST(q.NextIndex(), "next");
    QTEST(q.PreviousIndex(), "previous");
  }

  void theTableHolds256Entries() {
    TPlayQueue q = QueueOf(TPlayQueue::Capacity, 0);
    QVERIFY(q.IsFull());
    QVERIFY_THROWS_EXCEPTION(EQueueFull, q.Append(QStringLiteral("/x.mp3"), QStringLiteral("x")));
    QCOMPARE(q.QueueCount(), 256);
    QCOMPARE(q.Entry(255).Title, QStringLiteral("255"));
  }

  void entriesOutsideTheUsedOnesReadEmpty() {
    TPlayQueue q = QueueOf(3, 0);
    q.Slot(5).FileName = QStringLiteral("/stale.mp3");
    for (int i : {-1, 3, 5, 256, 100000}) QVERIFY(q.Entry(i).FileName.isEmpty());
    q.Clear();
    QCOMPARE(q.QueueCount(), 0);
    QVERIFY(q.Entry(0).FileName.isEmpty());
  }

  void appendKeepsTheSlotsLyricsFile() {
    TPlayQueue q;
    q.Slot(0).LyricsFile = QStringLiteral("/l.txt");
    q.Append(QStringLiteral("/a.mp3"), QStringLiteral("A"));
    QCOMPARE(q.Entry(0).LyricsFile, QStringLiteral("/l.txt"));
  }

  void playStateRules_data() {
    QTest::addColumn<TPlayState>("state");
    QTest::addColumn<TPlayState>("afterPlay");
    QTest::addColumn<TPlayState>("afterRowDoubleClick");
    QTest::addColumn<int>("endAction");
    const int ignore = int(TEndPlayAction::Ignore), swallow = int(TEndPlayAction::Swallow),
              next = int(TEndPlayAction::PlayNext);
    QTest::newRow("idle") << psIdle << psPlaying << psIdle << next;
    QTest::newRow("playing") << psPlaying << psSwitching << psSwitching << next;
    QTest::newRow("paused") << psPaused << psPlaying << psPlaying << ignore;
    QTest::newRow("stopped") << psStopped << psPlaying << psPlaying << ignore;
    QTest::newRow("switching") << psSwitching << psPlaying << psSwitching << swallow;
  }
  void playStateRules() {
    QFETCH(TPlayState, state);
    QTEST(PlayCommandState(state), "afterPlay");
    QTEST(RowDoubleClickState(state), "afterRowDoubleClick");
    QTEST(int(EndPlayAction(state)), "endAction");
  }

  // list1 ... list3 with the second file deleted: the first and third, without a gap.
  void restoringSkipsGoneAndUnreadableFiles() {
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.mp3")), b = dir.filePath(QStringLiteral("b.mp3")),
                  c = dir.filePath(QStringLiteral("c.mp3")), bad = dir.filePath(QStringLiteral("bad.mp3"));
    Touch(a);
    Touch(c);
    Touch(bad);
    TSettingsFile ini(dir.filePath(QStringLiteral("varo.ini")));
    ini.WriteInteger(kKeyMax, 4);
    ini.WriteString(ListKey(1), a);
    ini.WriteString(ListKey(2), b);
    ini.WriteString(ListKey(3), bad);
    ini.WriteString(ListKey(4), c);
    TPlayQueue q;
    RestoreQueue(q, ini, [&](const QString& path) {
      if (path == bad) throw std::runtime_error("unknown MPEG Audio format.");
      return QStringLiteral("title of ") + QFileInfo(path).fileName();
    });
    QCOMPARE(q.QueueCount(), 2);
    QCOMPARE(q.Entry(0).FileName, a);
    QCOMPARE(q.Entry(1).FileName, c);
    QCOMPARE(q.Entry(1).Title, QStringLiteral("title of c.mp3"));
    QVERIFY(q.Entry(1).LyricsFile.isEmpty());
    StoreQueue(q, ini);
    QCOMPARE(ini.ReadInteger(kKeyMax, 0), 2);
  }

  void restoringNeverPassesTheTable() {
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.mp3"));
    Touch(a);
    TSettingsFile ini(dir.filePath(QStringLiteral("varo.ini")));
    ini.BeginUpdate();
    ini.WriteInteger(kKeyMax, 300);
    for (int n = 1; n <= 300; ++n) ini.WriteString(ListKey(n), a);
    ini.EndUpdate();
    TPlayQueue q;
    int reads = 0;
    RestoreQueue(q, ini, [&](const QString&) {
      ++reads;
      return QStringLiteral("A");
    });
    QCOMPARE(q.QueueCount(), TPlayQueue::Capacity);
    QCOMPARE(reads, TPlayQueue::Capacity);

    ini.WriteInteger(kKeyMax, -4);
    RestoreQueue(q, ini, [](const QString&) { return QStringLiteral("A"); });
    QCOMPARE(q.QueueCount(), 0);
  }
};

QTEST_GUILESS_MAIN(TestQueueRules)
#include "queue_rules_test.moc"
