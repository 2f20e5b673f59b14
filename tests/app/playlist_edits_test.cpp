// The session's playlist on the queue and its rows, without any window: deleting and moving
// at the ends, the rows each way of adding leaves, a full queue, an unreadable file in a list,
// and what each add policy does with files that cannot be read.
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>

#include "core/playback/play_queue.h"
#include "core/playlist/playlist_service.h"
#include "formats/settings_file.h"
#include "formats/settings_keys.h"

Q_DECLARE_METATYPE(TAddPolicy)

namespace {

// Titles are the file names; a name with "bad" in it is not MPEG audio.
QString FakeTitle(const QString& path) {
  if (path.contains(QLatin1String("bad"))) throw std::runtime_error("unknown MPEG Audio format.");
  return path.section(u'/', -1);
}

struct TPlaylistHarness {
  QTemporaryDir Dir;
  TSettingsFile Settings{Dir.filePath(QStringLiteral("varo.ini"))};
  TPlayQueue Queue;
  int Starts = 0;
  TPlaylistService Playlist{Queue, Settings, Dir.path(), [this] { ++Starts; }, FakeTitle};

  QStringList Titles() const {  // every row's title; rows past the entries are blank
    QStringList titles;
    for (int i = 0; i < Queue.Rows(); ++i) titles << Queue.Entry(i).Title;
    return titles;
  }
  QStringList Files() const {
    QStringList files;
    for (int i = 0; i < Queue.QueueCount(); ++i) files << Queue.Entry(i).FileName;
    return files;
  }
  void Load(const QString& name, const QByteArray& text) {
    QFile f(Dir.filePath(name));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
    f.close();
    Playlist.LoadPlaylist(name);
  }
  void FillAbc() {
    Load(QStringLiteral("abc.vrl"), "/a.mp3\nA\n/a.txt\n3\n/b.mp3\nB\n\n\n/c.mp3\nC\n/c.txt\n9\n");
  }
  // A's lyrics speed is 3, C's 9, B has none.
  void CheckSpeedsTravelWithTheirTitles() const {
    for (int i = 0; i < Queue.QueueCount(); ++i) {
      const TQueueEntry& e = Queue.Entry(i);
      QCOMPARE(e.LyricsSpeed, e.Title == u"A"   ? QStringLiteral("3")
                              : e.Title == u"C" ? QStringLiteral("9")
                                                : QString());
      QCOMPARE(e.FileName, u'/' + e.Title.toLower() + QStringLiteral(".mp3"));
    }
  }
};

}  // namespace

class TestPlaylistEdits : public QObject {
  Q_OBJECT

 private slots:
  void deletingAtTheEdges_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("first") << 0 << QStringList{"B", "C", ""};
    QTest::newRow("middle") << 1 << QStringList{"A", "C", ""};
    QTest::newRow("last") << 2 << QStringList{"A", "B", ""};
    QTest::newRow("no row") << -1 << QStringList{"A", "B", "C"};
    QTest::newRow("below the entries") << 3 << QStringList{"A", "B", "C"};
  }
  void deletingAtTheEdges() {
    QFETCH(int, index);
    TPlaylistHarness h;
    h.FillAbc();
    h.Queue.AddRow();  // an empty row below the entries
    h.Playlist.DeleteEntry(index);
    QFETCH(QStringList, titles);
    QCOMPARE(h.Titles(), titles + QStringList{""});  // the rows stay
    QCOMPARE(h.Queue.QueueCount(), titles.last().isEmpty() ? 2 : 3);
    h.CheckSpeedsTravelWithTheirTitles();
  }

  void aFullQueueCanDeleteItsLastEntry() {
    TPlaylistHarness h;
    QByteArray text;
    for (int i = 0; i < TPlayQueue::Capacity; ++i)
      text += QStringLiteral("/%1.mp3\n%1\n\n\n").arg(i).toUtf8();
    h.Load(QStringLiteral("full.vrl"), text);
    h.Playlist.DeleteEntry(TPlayQueue::Capacity - 1);
    QCOMPARE(h.Queue.QueueCount(), TPlayQueue::Capacity - 1);
    QCOMPARE(h.Queue.Rows(), TPlayQueue::Capacity);
    QCOMPARE(h.Titles().last(), QString());
  }

  void moving_data() {
    QTest::addColumn<bool>("down");
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("titles");
    QTest::newRow("last down") << true << 2 << QStringList{"A", "B", "C"};
    QTest::newRow("first up") << false << 0 << QStringList{"A", "B", "C"};
    QTest::newRow("first down") << true << 0 << QStringList{"B", "A", "C"};
    QTest::newRow("last up") << false << 2 << QStringList{"A", "C", "B"};
    QTest::newRow("empty row up") << false << 3 << QStringList{"A", "B", "C"};
    QTest::newRow("nothing selected") << true << -1 << QStringList{"A", "B", "C"};
  }
  void moving() {
    QFETCH(bool, down);
    QFETCH(int, index);
    TPlaylistHarness h;
    h.FillAbc();
    h.Queue.AddRow();
    h.Queue.SetCurrentIndex(1);
    if (down)
      h.Playlist.MoveEntryDown(index);
    else
      h.Playlist.MoveEntryUp(index);
    QFETCH(QStringList, titles);
    QCOMPARE(h.Titles(), titles + QStringList{""});
    h.CheckSpeedsTravelWithTheirTitles();
    QCOMPARE(h.Queue.CurrentIndex(), 1);
  }

  // Files x, bad, y (bad is no MPEG audio) added to a list of one, as each policy says.
  void eachWayOfAddingFiles_data() {
    QTest::addColumn<TAddPolicy>("policy");
    QTest::addColumn<QStringList>("titles");  // every row
    QTest::addColumn<bool>("raised");
    QTest::addColumn<int>("starts");
    QTest::newRow("main window drop")
        << TAddPolicy::MainWindowDrop << QStringList{"one", "x", "y"} << false << 1;
    QTest::newRow("start files") << TAddPolicy::StartFiles << QStringList{"one", "x", "y"} << false << 1;
    QTest::newRow("playlist drop") << TAddPolicy::PlaylistDrop << QStringList{"one", "x"} << true << 0;
    QTest::newRow("open dialog") << TAddPolicy::OpenDialog << QStringList{"one", "x", "y", ""} << false << 0;
    QTest::newRow("enqueue") << TAddPolicy::Enqueue << QStringList{"one", "x", "y"} << false << 0;
  }
  void eachWayOfAddingFiles() {
    QFETCH(TAddPolicy, policy);
    TPlaylistHarness h;
    h.Playlist.AppendToQueue(QStringLiteral("/m/one"));
    bool raised = false;
    try {
      h.Playlist.AddFiles({"/m/x", "/m/bad", "/m/y"}, policy);
    } catch (const std::runtime_error& e) {
      raised = true;
      QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("unknown MPEG Audio format."));
    }
    QTEST(h.Titles(), "titles");
    QTEST(raised, "raised");
    QTEST(h.Starts, "starts");
  }

  // Each policy says so when the queue is full, except the one that plays on unasked; what
  // fits is added either way.
  void aFullQueueTakesNoMore() {
    TPlaylistHarness h;
    QByteArray text;
    for (int i = 0; i < 300; ++i) text += QStringLiteral("/m/%1.mp3\n").arg(i).toUtf8();
    QVERIFY_THROWS_EXCEPTION(EQueueFull, h.Load(QStringLiteral("long.m3u"), text));
    QCOMPARE(h.Queue.QueueCount(), TPlayQueue::Capacity);
    QCOMPARE(h.Queue.Rows(), TPlayQueue::Capacity);
    QCOMPARE(h.Settings.ReadString(kKeyListFileName, QString()), QStringLiteral("long.m3u"));
    QVERIFY_THROWS_EXCEPTION(EQueueFull, h.Playlist.AddFiles({"/m/more.mp3"}, TAddPolicy::OpenDialog));
    QVERIFY_THROWS_EXCEPTION(EQueueFull, h.Playlist.AddFiles({"/m/more.mp3"}, TAddPolicy::MainWindowDrop));
    QCOMPARE(h.Starts, 1);  // the drop still starts what is there
    h.Playlist.AddFiles({"/m/more.mp3"}, TAddPolicy::Enqueue);
    QVERIFY_THROWS_EXCEPTION(EQueueFull, h.Playlist.AppendToQueue(QStringLiteral("/m/more.mp3")));
    QCOMPARE(h.Queue.QueueCount(), TPlayQueue::Capacity);
  }

  void anUnreadableFileEndsAnM3uLoadKeepingWhatCameBefore() {
    TPlaylistHarness h;
    h.Load(QStringLiteral("list.m3u"), "/m/one.mp3\n/m/bad.mp3\n/m/x.mp3\n");
    QCOMPARE(h.Files(), QStringList{"/m/one.mp3"});
    QCOMPARE(h.Titles(), (QStringList{"one.mp3", ""}));
    QVERIFY(!h.Settings.KeyExists(kKeyListFileName));
    QCOMPARE(h.Playlist.ListName(), QStringLiteral("list.m3u"));  // as typed
  }
};

QTEST_GUILESS_MAIN(TestPlaylistEdits)
#include "playlist_edits_test.moc"
