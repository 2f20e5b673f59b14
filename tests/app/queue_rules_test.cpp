// The queue's table and arithmetic, the play-state rules, the entry that follows by play mode,
// the track's time rules and the queue restored at start-up.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>

#include "core/playback/play_queue.h"
#include "core/playback/play_state.h"
#include "core/playback/queue_restore.h"
#include "core/playback/track_time.h"
#include "formats/settings_file.h"
#include "formats/settings_keys.h"

Q_DECLARE_METATYPE(TPlayState)

namespace {

void Fill(TPlayQueue& q, int count, int current = 0) {
  for (int i = 0; i < count; ++i) q.Append({QStringLiteral("/m/%1.mp3").arg(i), {}, QString::number(i), {}});
  q.SetCurrentIndex(current);
}

QStringList Titles(const TPlayQueue& q) {
  QStringList titles;
  for (int i = 0; i < q.QueueCount(); ++i) titles << q.Entry(i).Title;
  return titles;
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
    TPlayQueue q;
    Fill(q, count, current);
    QTEST(q.NextIndex(), "next");
    QTEST(q.PreviousIndex(), "previous");
  }

  void theTableHolds256Entries() {
    TPlayQueue q;
    Fill(q, TPlayQueue::Capacity);
    QVERIFY(q.IsFull());
    QVERIFY_THROWS_EXCEPTION(EQueueFull, q.Append({QStringLiteral("/x.mp3"), {}, QStringLiteral("x"), {}}));
    QCOMPARE(q.QueueCount(), 256);
    QCOMPARE(q.Entry(255).Title, QStringLiteral("255"));
  }

  void entriesOutsideTheUsedOnesReadEmpty() {
    TPlayQueue q;
    Fill(q, 3);
    q.Remove(2);
    for (int i : {-1, 2, 3, 256, 100000}) QVERIFY(q.Entry(i).FileName.isEmpty());
    q.Clear();
    QCOMPARE(q.QueueCount(), 0);
    QVERIFY(q.Entry(0).FileName.isEmpty());
  }

  // Every write says what changed and where; the rows stay when entries go, and a batch
  // sends its appends as one insertion (anything else as a reset).
  void theQueueAnnouncesItsChanges() {
    TPlayQueue q;
    QStringList said;
    connect(&q, &TPlayQueue::Changed, this, [&said](const TQueueChange& c) {
      static const char* const kinds[] = {"inserted", "removed", "moved", "changed", "reset", "rows"};
      said << QStringLiteral("%1 %2 %3 %4")
                  .arg(QLatin1String(kinds[c.Kind]))
                  .arg(c.First)
                  .arg(c.Count)
                  .arg(c.To);
    });
    connect(&q, &TPlayQueue::CurrentChanged, this,
            [&said](int i) { said << QStringLiteral("current %1").arg(i); });
    Fill(q, 2, 1);
    q.Append({QStringLiteral("/m/2.mp3"), {}, QStringLiteral("2"), {}});
    q.Move(0, 2);
    q.Move(2, 3);  // past the entries: nothing
    q.Remove(0);
    q.SetLyrics(1, QStringLiteral("/l.txt"), QStringLiteral("5"));
    q.SetLyricsSpeed(4, QStringLiteral("7"));  // no such entry: nothing
    QCOMPARE(Titles(q), (QStringList{"2", "0"}));
    QCOMPARE(q.Rows(), 3);
    {
      const TPlayQueue::TBatch batch(q);
      q.AddRow();
      Fill(q, 2, 1);
    }
    QCOMPARE(q.Rows(), 4);
    {
      const TPlayQueue::TBatch batch(q);
      q.Clear();
      q.SetRows(1);
    }
    QCOMPARE(q.Rows(), 1);
    QCOMPARE(said,
             (QStringList{"inserted 0 1 -1", "inserted 1 1 -1", "current 1", "inserted 2 1 -1", "moved 0 1 2",
                          "removed 0 1 -1", "changed 1 1 -1", "inserted 2 2 -1", "reset 0 0 -1"}));
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

  void followingEntryByPlayMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("following");
    QTest::newRow("repeat all steps on") << int(pmRepeatAll) << 1 << 3 << 2;
    QTest::newRow("repeat all wraps") << int(pmRepeatAll) << 2 << 3 << 0;
    QTest::newRow("repeat all past a shrunk queue") << int(pmRepeatAll) << 7 << 3 << 0;
    QTest::newRow("random takes the pick") << int(pmRandom) << 1 << 5 << 4;  // the pick is 4
    QTest::newRow("repeat one keeps") << int(pmRepeatOne) << 1 << 3 << 1;
    QTest::newRow("intro keeps") << int(pmIntro) << 2 << 3 << 2;
    QTest::newRow("unknown mode keeps") << 9 << 1 << 3 << 1;
  }
  void followingEntryByPlayMode() {
    QFETCH(int, mode);
    QFETCH(int, current);
    QFETCH(int, count);
    QTEST(FollowingIndex(mode, current, count, 4), "following");
  }

  void timeText_data() {
    QTest::addColumn<qint64>("position");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<bool>("remaining");
    QTest::addColumn<QString>("text");
    QTest::newRow("start") << qint64(0) << qint64(215000) << false << "0:00";
    QTest::newRow("seconds are cut") << qint64(59999) << qint64(215000) << false << "0:59";
    QTest::newRow("ten minutes and more") << qint64(754000) << qint64(900000) << false << "12:34";
    QTest::newRow("left rounds up") << qint64(125400) << qint64(215000) << true << "-1:30";
    QTest::newRow("left at the start is the length") << qint64(0) << qint64(215000) << true << "-3:35";
    QTest::newRow("left at the end") << qint64(215000) << qint64(215000) << true << "-0:00";
    QTest::newRow("an hour-long track has hours from the start")
        << qint64(5000) << qint64(3600000) << false << "0:00:05";
    QTest::newRow("hours left") << qint64(0) << qint64(3723000) << true << "-1:02:03";
    QTest::newRow("past the end holds at the length") << qint64(300000) << qint64(215000) << false << "3:35";
    QTest::newRow("before the start") << qint64(-500) << qint64(215000) << false << "0:00";
    QTest::newRow("no length counts up") << qint64(61000) << qint64(0) << true << "1:01";
    QTest::newRow("no length past an hour") << qint64(3601000) << qint64(0) << false << "1:00:01";
  }
  void timeText() {
    QFETCH(qint64, position);
    QFETCH(qint64, length);
    QFETCH(bool, remaining);
    QTEST(FormatTrackTime(position, length, remaining), "text");
  }

  // Steps, points of the progress line and the resume position all stay inside the track.
  void seekTargetsStayInsideTheTrack() {
    QCOMPARE(StepTarget(10000, kSeekStepMs, 60000), 15000);
    QCOMPARE(StepTarget(3000, -kSeekStepMs, 60000), 0);
    QCOMPARE(StepTarget(58000, kSeekStepMs, 60000), 60000);
    QCOMPARE(StepTarget(1000, kSeekStepMs, 0), 0);
    QCOMPARE(ProgressTarget(50, 200, 60000), 15000);
    QCOMPARE(ProgressTarget(200, 200, 60000), 60000);
    QCOMPARE(ProgressTarget(260, 200, 60000), 60000);
    QCOMPARE(ProgressTarget(50, 0, 60000), 0);
    QCOMPARE(ProgressPixels(90000, 60000, 200), 200);
    QCOMPARE(ResumePosition(30000, 60000), 30000);
    for (qint64 stored : {qint64(0), qint64(-5), qint64(60000), qint64(999999999)})
      QCOMPARE(ResumePosition(stored, 60000), 0);
    QCOMPARE(ResumePosition(30000, 0), 0);  // no length: nothing to place it in
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
