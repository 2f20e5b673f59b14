// The playlist window over a player session of its own, on the offscreen platform: open,
// save, new, .vrl and .m3u lists from the home and from elsewhere, typing or choosing a name,
// moving and deleting by menu and keys, double clicks, drops, a list longer than the queue,
// the grid as a view of the queue, and its look: skin colours, row heights, the playing mark.
#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

#include "core/playback/play_queue.h"
#include "core/playlist/playlist_service.h"
#include "core/session/player_session.h"
#include "formats/settings_keys.h"
#include "formats/skin_grid_colors.h"
#include "formats/skin_layout.h"
#include "player/mp3_player.h"
#include "ui/playlist/playlist_window.h"
#include "window_harness.h"

namespace {

QStringList QueueFiles(const TPlayerSession& s) {
  QStringList files;
  for (int i = 0; i < s.Queue().QueueCount(); ++i) files << s.Queue().Entry(i).FileName;
  return files;
}

QStringList RowTitles(TForm2& w) {
  QStringList titles;
  for (int r = 1; r < w.GridRowCount(); ++r) titles << w.RowTitle(r);
  return titles;
}

void Drop(QWidget& target, const QStringList& files) {
  QMimeData data;
  QList<QUrl> urls;
  for (const QString& file : files) urls << QUrl::fromLocalFile(file);
  data.setUrls(urls);
  // The drop goes to the widget that accepted the drag's entry.
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&target, &enter);
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&target, &drop);
}

// The playlist window over a session of its own.
struct TPlaylistWindow : TWindowHarness {
  TPlayerSession& S = Session();
  TForm2 W2{S};
};

}  // namespace

class TestPlaylistWindow : public QObject {
  Q_OBJECT

 private slots:
  void openSaveNewAndChoosingAList() {
    TPlaylistWindow h;
    TForm2& w = h.W2;
    const QString a = h.Track(QStringLiteral("a.MP3"));
    const QString b = h.Track(QStringLiteral("b.mp3"));
    const QString lyrics = h.WriteFile(h.Dir.filePath(QStringLiteral("a.txt")), "la\n");
    h.OpenAnswers = {{a, b}, {lyrics}};
    w.Image3Click();
    QCOMPARE(h.OpenFilters.value(0), QStringLiteral("MP3ファイル(*.mp3),再生リストファイル(*.vrl *.m3u)"
                                                    "|*.mp3;*.vrl;*.m3u;*.m3u8"));
    QCOMPARE(QueueFiles(h.S), (QStringList{a, b}));
    QCOMPARE(RowTitles(w), (QStringList{"a.MP3", "b.mp3"}));
    QCOMPARE(h.Ini().ReadString(kKeyOpenDir, QString()), a);

    w.gdDblClick(1, kLyricsColumn);
    QCOMPARE(h.OpenFilters.value(1), QStringLiteral("歌詞|*.txt"));
    QCOMPARE(w.SpeedCell(1), QStringLiteral("5"));
    QCOMPARE(h.S.Queue().Entry(0).LyricsFile, lyrics);
    QCOMPARE(h.Ini().ReadString(kKeyOpenDir, QString()), lyrics);
    h.S.Playlist().SetLyricsSpeed(0, QStringLiteral("7"));

    const QString saved = h.Home + QStringLiteral("/mine.vrl");
    h.SaveAnswers = {saved};
    QSignalSpy savedSignal(&h.S.Playlist(), &TPlaylistService::PlaylistSaved);
    w.Image4Click();
    QCOMPARE(h.ReadFile(saved), (a + u'\n' + "a.MP3\n" + lyrics + "\n7\n" + b + "\nb.mp3\n\n\n").toUtf8());
    QCOMPARE(w.ListName(), QStringLiteral("mine.vrl"));
    QVERIFY(w.combo->findText(QStringLiteral("mine.vrl")) >= 0);
    QCOMPARE(savedSignal.size(), 1);                // the main window's playlist menu hears it
    QVERIFY(!h.Ini().KeyExists(kKeyListFileName));  // saving names no list

    h.S.Player().PlayRow(2);
    h.S.Player().StopCommand();
    w.Image1Click();
    QCOMPARE(h.S.Queue().QueueCount(), 0);
    QCOMPARE(w.GridRowCount(), 2);
    QCOMPARE(RowTitles(w), QStringList{""});
    QCOMPARE(w.ListName(), QStringLiteral("再生リスト"));

    emit w.combo->textActivated(QStringLiteral("mine.vrl"));
    QCOMPARE(QueueFiles(h.S), (QStringList{a, b}));
    QCOMPARE(h.S.Queue().Entry(0).LyricsFile, lyrics);
    QCOMPARE(w.SpeedCell(1), QStringLiteral("7"));
    QCOMPARE(w.ListName(), QStringLiteral("mine.vrl"));
    QCOMPARE(h.Ini().ReadString(kKeyListFileName, QString()), QStringLiteral("mine.vrl"));
    QCOMPARE(h.S.Queue().CurrentIndex(), 1);  // loading plays nothing and keeps the index
    QCOMPARE(h.S.mp3().Status(), mpsStopped);
    QVERIFY(h.Errors.isEmpty());
  }

  void m3uListsInTheHome() {
    TPlaylistWindow h;
    TForm2& w = h.W2;
    const QString one = h.Track(QStringLiteral("one.mp3"), h.Home + QStringLiteral("/music"));
    const QString two = h.Track(QStringLiteral("曲.mp3"), h.Home + QStringLiteral("/music"));
    h.WriteFile(h.Home + QStringLiteral("/list.m3u8"),
                ("#EXTM3U\n#EXTINF:1,one\n" + one + "\nmusic/曲.mp3\n\n" + one + "\n").toUtf8());

    h.S.Playlist().LoadPlaylist(QStringLiteral("list.m3u8"));
    QCOMPARE(QueueFiles(h.S), (QStringList{one, two}));
    QCOMPARE(RowTitles(w), (QStringList{"one.mp3", "曲.mp3"}));
    QCOMPARE(w.ListName(), QStringLiteral("list.m3u8"));
    QCOMPARE(h.Ini().ReadString(kKeyListFileName, QString()), QStringLiteral("list.m3u8"));

    h.S.Playlist().LoadPlaylist(QStringLiteral("gone.vrl"));
    QCOMPARE(h.S.Queue().QueueCount(), 0);
    QCOMPARE(h.Ini().ReadString(kKeyListFileName, QString()), QStringLiteral("list.m3u8"));
    QVERIFY(h.Errors.isEmpty());
  }

  void typingClearsNothingUntilTheNameNamesAList() {
    TPlaylistWindow h;
    TForm2& w = h.W2;
    const QString one = h.Track(QStringLiteral("one.mp3"));
    h.WriteFile(h.Home + QStringLiteral("/mine.vrl"),
                (one + "\nOne\n\n\n" + one + "\nOne again\n\n\n").toUtf8());
    h.Queue({h.Track(QStringLiteral("x.mp3"))});
    for (const QString& typed :
         {QStringLiteral("m"), QStringLiteral("mine.vr"), QStringLiteral("nothing.vrl")}) {
      w.combo->lineEdit()->setText(typed);
      emit w.combo->lineEdit()->textEdited(typed);
      QCOMPARE(h.S.Queue().QueueCount(), 1);
    }
    emit w.combo->textActivated(QStringLiteral("gone.vrl"));  // a listed file deleted since
    QCOMPARE(h.S.Queue().QueueCount(), 1);
    w.combo->lineEdit()->setText(QStringLiteral("mine.vrl"));
    emit w.combo->lineEdit()->textEdited(QStringLiteral("mine.vrl"));
    QCOMPARE(RowTitles(w), (QStringList{"One", "One again"}));
  }

  void aListOpenedFromElsewhereIsTheOneRead() {
    TPlaylistWindow h;
    TForm2& w = h.W2;
    const QString away = h.Dir.filePath(QStringLiteral("away"));
    const QString track = h.Track(QStringLiteral("far.mp3"), away + QStringLiteral("/music"));
    const QString list = h.WriteFile(away + QStringLiteral("/list.m3u"), "music/far.mp3\n");
    h.WriteFile(h.Home + QStringLiteral("/list.m3u"), "/nonexistent/namesake.mp3\n");
    h.OpenAnswers = {{list}};
    w.Image3Click();
    QCOMPARE(QueueFiles(h.S), QStringList{track});
    QCOMPARE(w.ListName(), list);
    QCOMPARE(h.Ini().ReadString(kKeyListFileName, QString()), list);
  }

  void theOpenCommandGoesByTheFirstFilesExtension() {
    TPlaylistWindow h;
    TForm2& w = h.W2;
    const QString mp3 = h.Track(QStringLiteral("first.MP3"));
    const QString wav = h.Track(QStringLiteral("second.wav"));
    const QString other = h.Track(QStringLiteral("third.Mp3"));
    const QString notAudio = h.WriteFile(h.Dir.filePath(QStringLiteral("readme.mp3")), QByteArray(3000, 'z'));
    h.OpenAnswers = {{wav, mp3}, {mp3, notAudio, wav, other}};
    w.Image3Click();
    QCOMPARE(h.S.Queue().QueueCount(), 0);
    w.Image3Click();
    QCOMPARE(QueueFiles(h.S), (QStringList{mp3, other}));
    // The file that is no MPEG audio is left out without a word; its row stays empty.
    QCOMPARE(RowTitles(w), (QStringList{"first.MP3", "third.Mp3", ""}));
    QVERIFY(h.Errors.isEmpty());
    QCOMPARE(h.Ini().ReadString(kKeyOpenDir, QString()), mp3);
  }

  void movingAndDeletingByKeysAndMenu() {
    TPlaylistWindow h;
    TForm2& w = h.W2;
    const QString a = h.Track(QStringLiteral("a.mp3"));
    const QString b = h.Track(QStringLiteral("b.mp3"));
    const QString c = h.Track(QStringLiteral("c.mp3"));
    h.Queue({a, b, c});
    w.gd->setCurrentCell(1, kTitleColumn);  // grid row 2
    QTest::keyClick(w.gd, Qt::Key_Down);
    QCOMPARE(QueueFiles(h.S), (QStringList{a, c, b}));
    QCOMPARE(w.Grid().SelectedRow(), 3);  // the selection stays on the moved entry
    QTest::keyClick(w.gd, Qt::Key_Down);  // the last entry: nothing moves
    QCOMPARE(QueueFiles(h.S), (QStringList{a, c, b}));
    QTest::keyClick(w.gd, Qt::Key_Up);
    QCOMPARE(QueueFiles(h.S), (QStringList{a, b, c}));
    QCOMPARE(w.Grid().SelectedRow(), 2);
    w.gd->setCurrentCell(0, kTitleColumn);
    w.U1->trigger();  // the first entry cannot go up
    w.L1->trigger();
    QCOMPARE(QueueFiles(h.S), (QStringList{b, a, c}));
    QCOMPARE(RowTitles(w), (QStringList{"b.mp3", "a.mp3", "c.mp3"}));
    QCOMPARE(w.Grid().SelectedRow(), 1);  // the menu leaves the selection where it was
    QTest::keyClick(w.gd, Qt::Key_Delete);
    QCOMPARE(QueueFiles(h.S), (QStringList{a, c}));
    QCOMPARE(RowTitles(w), (QStringList{"a.mp3", "c.mp3", ""}));
    w.gd->setCurrentCell(2, kTitleColumn);
    w.Delete1->trigger();  // a blank row: nothing
    QCOMPARE(h.S.Queue().QueueCount(), 2);
  }

  void doubleClickingATitlePlaysIt() {
    TPlaylistWindow h;
    TForm2& w = h.W2;
    h.Queue({h.Track(QStringLiteral("a.mp3")), h.Track(QStringLiteral("b.mp3"))});
    w.gdDblClick(3, kTitleColumn);  // an empty row
    QCOMPARE(h.S.mp3().Status(), mpsStopped);
    w.gdDblClick(2, kSpeedColumn);
    QCOMPARE(h.S.mp3().Status(), mpsStopped);
    w.gdDblClick(2, kTitleColumn);
    QCOMPARE(h.S.Queue().CurrentIndex(), 1);
    QCOMPARE(QString::fromStdString(h.S.mp3().FileName()), h.S.Queue().Entry(1).FileName);
    QCOMPARE(h.S.mp3().Status(), mpsPlaying);
  }

  void aDropStopsAtTheFirstFileThatIsNoMusic() {
    TPlaylistWindow h;
    TForm2& w = h.W2;
    const QString notAudio = h.WriteFile(h.Dir.filePath(QStringLiteral("readme.mp3")), QByteArray(3000, 'z'));
    w.show();
    Drop(w, {h.Track(QStringLiteral("x.mp3")), notAudio, h.Track(QStringLiteral("y.mp3"))});
    QCOMPARE(h.S.Queue().QueueCount(), 1);
    QCOMPARE(RowTitles(w), QStringList{"x.mp3"});
    QCOMPARE(h.Errors, QStringList{"unknown MPEG Audio format."});
    QCOMPARE(h.S.mp3().Status(), mpsStopped);  // nothing starts playing
  }

  void aListLongerThanTheQueueLoadsItsFirst256AndSaysSo() {
    TPlaylistWindow h;
    TForm2& w = h.W2;
    QByteArray text;
    for (int i = 0; i < 300; ++i) text += QStringLiteral("/m/%1.mp3\n%1\n\n\n").arg(i).toUtf8();
    h.WriteFile(h.Home + QStringLiteral("/long.vrl"), text);
    emit w.combo->textActivated(QStringLiteral("long.vrl"));
    QCOMPARE(h.S.Queue().QueueCount(), TPlayQueue::Capacity);
    QCOMPARE(w.GridRowCount(), TPlayQueue::Capacity + 1);
    QCOMPARE(h.Errors, QStringList{QString::fromUtf8(EQueueFull().what())});
    QCOMPARE(h.Ini().ReadString(kKeyListFileName, QString()), QStringLiteral("long.vrl"));
  }

  // Whoever changes the queue, the grid shows it: a queue restored before the window, the
  // entry's speed, an entry appended elsewhere, a reset.
  void theGridIsAViewOfTheQueue() {
    TWindowHarness h;
    const QString a = h.Track(QStringLiteral("a.mp3"));
    h.Queue({a});
    TForm2 w(h.Session());
    QVERIFY(!w.parentWidget());
    QCOMPARE(RowTitles(w), QStringList{"a.mp3"});
    TPlaylistService& playlist = h.Session().Playlist();
    playlist.AppendToQueue(h.Track(QStringLiteral("b.mp3")));
    playlist.SetLyricsSpeed(1, QStringLiteral("8"));
    QCOMPARE(w.SpeedCell(2), QStringLiteral("8"));
    QCOMPARE(RowTitles(w), (QStringList{"a.mp3", "b.mp3"}));
    playlist.ClearQueue();
    QCOMPARE(RowTitles(w), (QStringList{"", ""}));
  }

  // The title takes the width the others leave; rows and header are as tall as the font needs
  // (bold too), never below 12 and 15 pixels.
  void theGridFitsItsFontAndGivesTheTitleTheRoom() {
    TPlaylistWindow h;
    QTableWidget& gd = *h.W2.gd;
    h.Queue({h.Track(QStringLiteral("lrc_test.mp3"))});
    gd.resize(250, 100);
    h.W2.Grid().SetColumnWidths();
    h.W2.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.W2));
    QCOMPARE(gd.columnWidth(0), 0);
    QCOMPARE(gd.columnWidth(kLyricsColumn), 75);
    const QFontMetrics metrics(gd.font());
    QVERIFY(gd.columnWidth(kSpeedColumn) > metrics.horizontalAdvance(QStringLiteral("速度")));
    QCOMPARE(gd.columnWidth(kTitleColumn) + gd.columnWidth(kLyricsColumn) + gd.columnWidth(kSpeedColumn),
             gd.viewport()->width());
    QFont bold = gd.font();
    bold.setBold(true);
    QVERIFY(gd.rowHeight(0) > std::max(QFontMetrics(bold).height(), kGridRowHeight));
    QVERIFY(gd.horizontalHeader()->height() > std::max(metrics.height(), kHeaderRowHeight));
  }

  // The skin's grid lines colour the grid and the name box; a skin without them gets colours
  // from its picture.
  void theGridIsDrawnInTheSkinsColours() {
    TPlaylistWindow h;
    TForm2& w = h.W2;
    const TTestSkin skin = MakeTestSkin(1);
    TSkinLayout layout = ParseSkinLayout(TestSkinFiles(skin).Layout);
    std::array<QImage, 20> pictures;
    for (size_t i = 0; i < skin.Pieces.size(); ++i) pictures[i + 1] = skin.Pieces[i];
    w.ApplySkin(layout, pictures);
    QCOMPARE(w.Grid().Colors().TextColor, PlaylistGridColors(layout, pictures[15]).TextColor);
    layout.GridLines.Color = 0x00336699;
    w.ApplySkin(layout, pictures);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QImage shot = w.gd->viewport()->grab().toImage();
    QCOMPARE(QColor(shot.pixel(shot.width() / 2, shot.height() - 3)), QColor(0x99, 0x66, 0x33));
    QCOMPARE(w.combo->palette().color(QPalette::Base), QColor(0x99, 0x66, 0x33));
  }

  // The entry that plays is drawn in the playing colour with its mark, in its row only, and
  // the grid scrolls to it when it changes.
  void thePlayingEntryIsMarkedAndKeptInSight() {
    TPlaylistWindow h;
    TForm2& w = h.W2;
    h.Queue(QStringList(40, h.Track(QStringLiteral("a.mp3"))));
    w.gd->setGeometry(0, 0, 300, 150);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QCOMPARE(w.Grid().PlayingRow(), 0);  // nothing started yet
    h.S.StartEntry(30);
    QTRY_COMPARE(w.Grid().PlayingRow(), 31);
    QTableWidget& gd = *w.gd;
    auto rowRect = [&gd](int row) {
      return gd.visualRect(gd.model()->index(row, kTitleColumn)) |
             gd.visualRect(gd.model()->index(row, kSpeedColumn));
    };
    QVERIFY(gd.viewport()->rect().contains(rowRect(30)));
    const QImage shot = gd.viewport()->grab().toImage();
    const QColor playing(w.Grid().Colors().PlayingColor);
    auto playingPixels = [&](const QRect& r) {
      int n = 0;
      for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
          const QColor c(shot.pixel(x, y));
          n += std::abs(c.red() - playing.red()) + std::abs(c.green() - playing.green()) +
                   std::abs(c.blue() - playing.blue()) <
               24;
        }
      return n;
    };
    QVERIFY(playingPixels(rowRect(30)) > 20);
    QCOMPARE(playingPixels(rowRect(29)), 0);
    h.S.Playlist().ClearQueue();
    QCOMPARE(w.Grid().PlayingRow(), 0);
  }
};

QTEST_MAIN(TestPlaylistWindow)
#include "playlist_window_test.moc"
