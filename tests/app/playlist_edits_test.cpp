// The edge cases of the playlist window's edits on the queue and its grid: deleting and
// moving at the ends, a full queue, a queue without rows, an unreadable file in a list.
#include <QTableWidget>
#include <QtTest>

#include <stdexcept>

#include "core/playback/play_queue.h"
#include "ui/playlist/playlist_edits.h"
#include "ui/playlist/playlist_grid.h"

namespace {

struct TGridHarness {
  QTableWidget Table{0, kGridColumns};
  TPlaylistGrid Grid{Table};
  TPlayQueue Queue;

  QStringList Titles() const {  // the title column of every data row
    QStringList titles;
    for (int r = 1; r < Grid.RowCount(); ++r) titles << Grid.Cell(kTitleColumn, r);
    return titles;
  }
  QStringList Files() const {
    QStringList files;
    for (int i = 0; i < Queue.QueueCount(); ++i) files << Queue.Entry(i).FileName;
    return files;
  }
  void FillAbc() {
    FillFromVrl(Grid, Queue,
                {{"/a.mp3", "A", "/a.txt", "3"}, {"/b.mp3", "B", "", ""}, {"/c.mp3", "C", "/c.txt", "9"}});
  }
};

// Titles are the file names; a name with "bad" in it is not MPEG audio.
QString FakeTitle(const QString& path) {
  if (path.contains(QLatin1String("bad"))) throw std::runtime_error("unknown MPEG Audio format.");
  return path.section(u'/', -1);
}

}  // namespace

class TestPlaylistEdits : public QObject {
  Q_OBJECT

 private slots:
  void deletingAtTheEdges_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("first") << 1 << QStringList{"B", "C", ""};
    QTest::newRow("middle") << 2 << QStringList{"A", "C", ""};
    QTest::newRow("last") << 3 << QStringList{"A", "B", ""};
    QTest::newRow("header row") << 0 << QStringList{"A", "B", "C"};
    QTest::newRow("below the entries") << 4 << QStringList{"A", "B", "C"};
  }
  void deletingAtTheEdges() {
    QFETCH(int, row);
    TGridHarness h;
    h.FillAbc();
    h.Grid.AddRow();  // an empty row below the entries
    const bool deleted = DeleteRow(h.Grid, h.Queue, row);
    QFETCH(QStringList, titles);
    QCOMPARE(h.Titles(), titles + QStringList{""});
    QCOMPARE(h.Grid.RowCount(), 5);  // the grid keeps its rows
    QCOMPARE(h.Queue.QueueCount(), deleted ? 2 : 3);
    QCOMPARE(h.Queue.Slot(2).FileName, deleted ? QString() : QStringLiteral("/c.mp3"));  // nothing stale
    for (int r = 1; r <= h.Queue.QueueCount(); ++r)  // lyrics and speed travel with their title
      QCOMPARE(h.Grid.Cell(kSpeedColumn, r), h.Titles()[r - 1] == u"A"   ? QStringLiteral("3")
                                             : h.Titles()[r - 1] == u"C" ? QStringLiteral("9")
                                                                         : QString());
  }

  void aFullQueueCanDeleteItsLastEntry() {
    TGridHarness h;
    QList<TPlaylistEntry> many;
    for (int i = 0; i < TPlayQueue::Capacity; ++i)
      many.append({QStringLiteral("/%1.mp3").arg(i), QString::number(i), QString(), QString()});
    FillFromVrl(h.Grid, h.Queue, many);
    QVERIFY(DeleteRow(h.Grid, h.Queue, TPlayQueue::Capacity));
    QCOMPARE(h.Queue.QueueCount(), TPlayQueue::Capacity - 1);
    QCOMPARE(h.Grid.Cell(kTitleColumn, TPlayQueue::Capacity), QString());
  }

  void moving_data() {
    QTest::addColumn<bool>("down");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("moved");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("last down") << true << 3 << false << QStringList{"A", "B", "C"};
    QTest::newRow("first up") << false << 1 << false << QStringList{"A", "B", "C"};
    QTest::newRow("first down") << true << 1 << true << QStringList{"B", "A", "C"};
    QTest::newRow("last up") << false << 3 << true << QStringList{"A", "C", "B"};
    QTest::newRow("empty row up") << false << 4 << false << QStringList{"A", "B", "C"};
    QTest::newRow("nothing selected") << true << 0 << false << QStringList{"A", "B", "C"};
  }
  void moving() {
    QFETCH(bool, down);
    QFETCH(int, row);
    TGridHarness h;
    h.FillAbc();
    h.Grid.AddRow();
    h.Queue.CurrentIndex = 1;
    const bool moved = down ? MoveRowDown(h.Grid, h.Queue, row) : MoveRowUp(h.Grid, h.Queue, row);
    QTEST(moved, "moved");
    QFETCH(QStringList, titles);
    QCOMPARE(h.Titles(), titles + QStringList{""});
    // Files, lyrics and speed travel with their title; the current index stays.
    for (int r = 1; r <= 3; ++r) {
      const QString t = h.Grid.Cell(kTitleColumn, r).toLower();
      QCOMPARE(h.Queue.Entry(r - 1).FileName, u'/' + t + QStringLiteral(".mp3"));
      QCOMPARE(h.Grid.Cell(kSpeedColumn, r), t == u"a"   ? QStringLiteral("3")
                                             : t == u"c" ? QStringLiteral("9")
                                                         : QString());
    }
    QCOMPARE(h.Queue.CurrentIndex, 1);
  }

  void addingToAQueueThatHasNoRowsYetShowsTheTitleInItsRow() {
    TGridHarness h;  // a queue restored at start-up is not in the grid
    h.Queue.Append(QStringLiteral("/m/old1.mp3"), QStringLiteral("old1"));
    h.Queue.Append(QStringLiteral("/m/old2.mp3"), QStringLiteral("old2"));
    AddMusicFiles(h.Grid, h.Queue, {"/m/new.mp3"}, FakeTitle);
    QCOMPARE(h.Grid.Cell(kTitleColumn, 3), QStringLiteral("new.mp3"));
  }

  void anUnreadableFileEndsAnM3uLoadKeepingWhatCameBefore() {
    TGridHarness h;
    QVERIFY_THROWS_EXCEPTION(
        std::runtime_error,
        FillFromPaths(h.Grid, h.Queue, {"/m/one.mp3", "/m/bad.mp3", "/m/x.mp3"}, FakeTitle));
    QCOMPARE(h.Files(), QStringList{"/m/one.mp3"});
    QCOMPARE(h.Titles(), (QStringList{"one.mp3", ""}));
  }

  void aFullQueueTakesNoMore() {
    TGridHarness h;
    QStringList paths;
    for (int i = 0; i < 300; ++i) paths << QStringLiteral("/m/%1.mp3").arg(i);
    const TFillResult r = FillFromPaths(h.Grid, h.Queue, paths, FakeTitle);
    QCOMPARE(r.Added, TPlayQueue::Capacity);
    QVERIFY(r.QueueFull);
    QCOMPARE(h.Grid.RowCount(), TPlayQueue::Capacity + 1);
    const TFillResult more = AddMusicFiles(h.Grid, h.Queue, {"/m/more.mp3"}, FakeTitle);
    QCOMPARE(more.Added, 0);
    QVERIFY(more.QueueFull);
  }

  void columnWidthsFollowTheGridWidth() {
    TGridHarness h;
    h.Table.resize(250, 100);
    h.Grid.SetColumnWidths();
    QCOMPARE(h.Table.columnWidth(0), 0);
    QCOMPARE(h.Table.columnWidth(1), 108);
    QCOMPARE(h.Table.columnWidth(2), 96);
    QCOMPARE(h.Table.columnWidth(3), 24);
  }
};

QTEST_MAIN(TestPlaylistEdits)
#include "playlist_edits_test.moc"
