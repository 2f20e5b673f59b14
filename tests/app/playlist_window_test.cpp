// The playlist window on the offscreen platform: open, save, new, the playlist submenu,
// .vrl and .m3u lists from the home and from elsewhere, typing a name, moving and deleting
// by menu and keys, double clicks, drops, and a list longer than the queue; and the window
// with a player session alone, without the main window.
#include <QAction>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

#include "core/playback/play_queue.h"
#include "core/session/player_session.h"
#include "formats/settings_keys.h"
#include "player/mp3_player.h"
#include "ui/playlist/playlist_window.h"
#include "window_harness.h"

namespace {

QStringList Captions(const QMenu* menu) {
  QStringList captions;
  for (const QAction* a : menu->actions()) captions << a->text();
  return captions;
}

QStringList QueueFiles(TForm1& f) {
  QStringList files;
  for (int i = 0; i < f.Session().Queue().QueueCount(); ++i) files << f.Session().Queue().Entry(i).FileName;
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

}  // namespace

class TestPlaylistWindow : public QObject {
  Q_OBJECT

 private slots:
  void openSaveNewAndTheSubmenu() {
    TWindowHarness h;
    TForm1& f = h.Start();
    TForm2& w = *h.W.Form2;
    const QString a = h.Track(QStringLiteral("a.MP3"));
    const QString b = h.Track(QStringLiteral("b.mp3"));
    const QString lyrics = h.WriteFile(h.Dir.filePath(QStringLiteral("a.txt")), "la\n");
    h.OpenAnswers = {{a, b}, {lyrics}};
    w.Image3Click();
    QCOMPARE(h.OpenFilters.value(0), QStringLiteral("MP3ファイル(*.mp3),再生リストファイル(*.vrl *.m3u)"
                                                    "|*.mp3;*.vrl;*.m3u;*.m3u8"));
    QCOMPARE(QueueFiles(f), (QStringList{a, b}));
    QCOMPARE(RowTitles(w), (QStringList{"a.MP3", "b.mp3"}));
    QCOMPARE(f.Menu().music1->actions().size(), 2);
    QCOMPARE(h.Ini().ReadString(kKeyOpenDir, QString()), a);

    w.gdDblClick(1, kLyricsColumn);
    QCOMPARE(h.OpenFilters.value(1), QStringLiteral("歌詞|*.txt"));
    QCOMPARE(w.SpeedCell(1), QStringLiteral("5"));
    QCOMPARE(f.Session().Queue().Entry(0).LyricsFile, lyrics);
    w.SetSpeedCell(1, QStringLiteral("7"));

    const QString saved = h.Home + QStringLiteral("/mine.vrl");
    h.SaveAnswers = {saved};
    w.Image4Click();
    QCOMPARE(h.ReadFile(saved), (a + u'\n' + "a.MP3\n" + lyrics + "\n7\n" + b + "\nb.mp3\n\n\n").toUtf8());
    QCOMPARE(w.ListName(), QStringLiteral("mine.vrl"));
    QVERIFY(w.combo->findText(QStringLiteral("mine.vrl")) >= 0);
    QCOMPARE(Captions(f.Menu().list1), QStringList{"mine.vrl"});
    QVERIFY(!h.Ini().KeyExists(kKeyListFileName));  // saving names no list

    f.Session().Queue().CurrentIndex = 1;
    w.Image1Click();
    QCOMPARE(f.Session().Queue().QueueCount(), 0);
    QCOMPARE(w.GridRowCount(), 2);
    QCOMPARE(RowTitles(w), QStringList{""});
    QCOMPARE(w.ListName(), QStringLiteral("再生リスト"));
    QVERIFY(f.Menu().music1->actions().isEmpty());

    f.Menu().list1->actions().first()->trigger();
    QCOMPARE(QueueFiles(f), (QStringList{a, b}));
    QCOMPARE(f.Session().Queue().Entry(0).LyricsFile, lyrics);
    QCOMPARE(w.SpeedCell(1), QStringLiteral("7"));
    QCOMPARE(h.Ini().ReadString(kKeyListFileName, QString()), QStringLiteral("mine.vrl"));
    QCOMPARE(f.Session().Queue().CurrentIndex, 1);  // loading plays nothing and keeps the index
    QCOMPARE(f.Session().mp3().Status(), mpsStopped);
    QVERIFY(f.Menu().list1->actions().first()->isChecked());
    QVERIFY(h.Errors.isEmpty());
  }

  void m3uListsInTheHome() {
    TWindowHarness h;
    TForm1& f = h.Start();
    TForm2& w = *h.W.Form2;
    const QString one = h.Track(QStringLiteral("one.mp3"), h.Home + QStringLiteral("/music"));
    const QString two = h.Track(QStringLiteral("曲.mp3"), h.Home + QStringLiteral("/music"));
    const QString bad = h.WriteFile(h.Home + QStringLiteral("/music/bad.mp3"), QByteArray(3000, 'z'));
    h.WriteFile(h.Home + QStringLiteral("/list.m3u8"),
                ("#EXTM3U\n#EXTINF:1,one\n" + one + "\nmusic/曲.mp3\n\n" + one + "\n").toUtf8());
    h.WriteFile(h.Home + QStringLiteral("/broken.m3u"), (one + '\n' + bad + '\n' + one + '\n').toUtf8());

    w.SetListName(QStringLiteral("list.m3u8"));
    w.LoadPlaylist();
    QCOMPARE(QueueFiles(f), (QStringList{one, two}));
    QCOMPARE(RowTitles(w), (QStringList{"one.mp3", "曲.mp3"}));
    QCOMPARE(h.Ini().ReadString(kKeyListFileName, QString()), QStringLiteral("list.m3u8"));

    w.SetListName(QStringLiteral("broken.m3u"));
    w.LoadPlaylist();  // ends at the file that is no MPEG audio, without a word
    QCOMPARE(QueueFiles(f), QStringList{one});
    QCOMPARE(RowTitles(w), (QStringList{"one.mp3", ""}));
    QCOMPARE(h.Ini().ReadString(kKeyListFileName, QString()), QStringLiteral("list.m3u8"));

    w.SetListName(QStringLiteral("gone.vrl"));
    w.LoadPlaylist();
    QCOMPARE(f.Session().Queue().QueueCount(), 0);
    QVERIFY(h.Errors.isEmpty());
  }

  void typingClearsNothingUntilTheNameNamesAList() {
    TWindowHarness h;
    TForm1& f = h.Start();
    TForm2& w = *h.W.Form2;
    const QString one = h.Track(QStringLiteral("one.mp3"));
    h.WriteFile(h.Home + QStringLiteral("/mine.vrl"),
                (one + "\nOne\n\n\n" + one + "\nOne again\n\n\n").toUtf8());
    h.OpenAnswers = {{h.Track(QStringLiteral("x.mp3"))}};
    w.Image3Click();
    for (const QString& typed :
         {QStringLiteral("m"), QStringLiteral("mine.vr"), QStringLiteral("nothing.vrl")}) {
      w.combo->lineEdit()->setText(typed);
      emit w.combo->lineEdit()->textEdited(typed);
      QCOMPARE(f.Session().Queue().QueueCount(), 1);
    }
    emit w.combo->textActivated(QStringLiteral("gone.vrl"));  // a listed file deleted since
    QCOMPARE(f.Session().Queue().QueueCount(), 1);
    w.combo->lineEdit()->setText(QStringLiteral("mine.vrl"));
    emit w.combo->lineEdit()->textEdited(QStringLiteral("mine.vrl"));
    QCOMPARE(RowTitles(w), (QStringList{"One", "One again"}));
  }

  void aListOpenedFromElsewhereIsTheOneRead() {
    TWindowHarness h;
    TForm1& f = h.Start();
    TForm2& w = *h.W.Form2;
    const QString away = h.Dir.filePath(QStringLiteral("away"));
    const QString track = h.Track(QStringLiteral("far.mp3"), away + QStringLiteral("/music"));
    const QString list = h.WriteFile(away + QStringLiteral("/list.m3u"), "music/far.mp3\n");
    h.WriteFile(h.Home + QStringLiteral("/list.m3u"), "/nonexistent/namesake.mp3\n");
    h.OpenAnswers = {{list}};
    w.Image3Click();
    QCOMPARE(QueueFiles(f), QStringList{track});
    QCOMPARE(w.ListName(), list);
    QCOMPARE(h.Ini().ReadString(kKeyListFileName, QString()), list);
  }

  void theOpenCommandGoesByTheFirstFilesExtension() {
    TWindowHarness h;
    TForm1& f = h.Start();
    TForm2& w = *h.W.Form2;
    const QString mp3 = h.Track(QStringLiteral("first.MP3"));
    const QString wav = h.Track(QStringLiteral("second.wav"));
    const QString other = h.Track(QStringLiteral("third.Mp3"));
    const QString notAudio = h.WriteFile(h.Dir.filePath(QStringLiteral("readme.mp3")), QByteArray(3000, 'z'));
    h.OpenAnswers = {{wav, mp3}, {mp3, notAudio, wav, other}};
    w.Image3Click();
    QCOMPARE(f.Session().Queue().QueueCount(), 0);
    w.Image3Click();
    QCOMPARE(QueueFiles(f), (QStringList{mp3, other}));
    // The file that is no MPEG audio is left out without a word; its row stays empty.
    QCOMPARE(RowTitles(w), (QStringList{"first.MP3", "third.Mp3", ""}));
    QVERIFY(h.Errors.isEmpty());
    QCOMPARE(h.Ini().ReadString(kKeyOpenDir, QString()), mp3);
  }

  void movingAndDeletingByKeysAndMenu() {
    TWindowHarness h;
    TForm1& f = h.Start();
    TForm2& w = *h.W.Form2;
    const QString a = h.Track(QStringLiteral("a.mp3"));
    const QString b = h.Track(QStringLiteral("b.mp3"));
    const QString c = h.Track(QStringLiteral("c.mp3"));
    h.OpenAnswers = {{a, b, c}};
    w.Image3Click();
    f.Session().Queue().CurrentIndex = 2;
    w.gd->setCurrentCell(1, kTitleColumn);  // grid row 2
    QTest::keyClick(w.gd, Qt::Key_Down);
    QCOMPARE(QueueFiles(f), (QStringList{a, c, b}));
    QCOMPARE(w.Grid().SelectedRow(), 3);  // the selection stays on the moved entry
    QTest::keyClick(w.gd, Qt::Key_Down);  // the last entry: nothing moves
    QCOMPARE(QueueFiles(f), (QStringList{a, c, b}));
    QTest::keyClick(w.gd, Qt::Key_Up);
    QCOMPARE(QueueFiles(f), (QStringList{a, b, c}));
    QCOMPARE(w.Grid().SelectedRow(), 2);
    w.gd->setCurrentCell(0, kTitleColumn);
    w.U1->trigger();  // the first entry cannot go up
    w.L1->trigger();
    QCOMPARE(QueueFiles(f), (QStringList{b, a, c}));
    QCOMPARE(w.Grid().SelectedRow(), 1);  // the menu leaves the selection where it was
    QTest::keyClick(w.gd, Qt::Key_Delete);
    QCOMPARE(QueueFiles(f), (QStringList{a, c}));
    QCOMPARE(RowTitles(w), (QStringList{"a.mp3", "c.mp3", ""}));
    w.gd->setCurrentCell(2, kTitleColumn);
    w.Delete1->trigger();  // a blank row: nothing
    QCOMPARE(f.Session().Queue().QueueCount(), 2);
    QCOMPARE(f.Session().Queue().CurrentIndex, 2);   // moving and deleting leave the index alone
    QCOMPARE(f.Menu().music1->actions().size(), 3);  // and the song menu
  }

  void doubleClickingATitlePlaysIt() {
    TWindowHarness h;
    TForm1& f = h.Start();
    TForm2& w = *h.W.Form2;
    const QString a = h.Track(QStringLiteral("a.mp3"));
    const QString b = h.Track(QStringLiteral("b.mp3"));
    h.OpenAnswers = {{a, b}};
    w.Image3Click();
    w.Grid().AddRow();
    w.gdDblClick(3, kTitleColumn);  // an empty row
    QCOMPARE(f.Session().mp3().Status(), mpsStopped);
    w.gdDblClick(2, kSpeedColumn);
    QCOMPARE(f.Session().mp3().Status(), mpsStopped);
    w.gdDblClick(2, kTitleColumn);
    QCOMPARE(f.Session().Queue().CurrentIndex, 1);
    QCOMPARE(QString::fromStdString(f.Session().mp3().FileName()), b);
    QCOMPARE(f.Session().mp3().Status(), mpsPlaying);
    QCOMPARE(f.Label1->text(), QStringLiteral("b.mp3"));
  }

  void aDropStopsAtTheFirstFileThatIsNoMusic() {
    TWindowHarness h;
    TForm1& f = h.Start();
    TForm2& w = *h.W.Form2;
    const QString notAudio = h.WriteFile(h.Dir.filePath(QStringLiteral("readme.mp3")), QByteArray(3000, 'z'));
    w.show();
    Drop(w, {h.Track(QStringLiteral("x.mp3")), notAudio, h.Track(QStringLiteral("y.mp3"))});
    QCOMPARE(f.Session().Queue().QueueCount(), 1);
    QCOMPARE(h.Errors, QStringList{"unknown MPEG Audio format."});
    QCOMPARE(f.Menu().music1->actions().size(), 1);
    QCOMPARE(f.Session().mp3().Status(), mpsStopped);  // nothing starts playing
  }

  void aListLongerThanTheQueueLoadsItsFirst256AndSaysSo() {
    TWindowHarness h;
    TForm1& f = h.Start();
    TForm2& w = *h.W.Form2;
    QByteArray text;
    for (int i = 0; i < 300; ++i) text += QStringLiteral("/m/%1.mp3\n%1\n\n\n").arg(i).toUtf8();
    h.WriteFile(h.Home + QStringLiteral("/long.vrl"), text);
    w.SetListName(QStringLiteral("long.vrl"));
    w.LoadPlaylist();
    QCOMPARE(f.Session().Queue().QueueCount(), TPlayQueue::Capacity);
    QCOMPARE(w.GridRowCount(), TPlayQueue::Capacity + 1);
    QCOMPARE(h.Errors, QStringList{QString::fromUtf8(EQueueFull().what())});
    QCOMPARE(h.Ini().ReadString(kKeyListFileName, QString()), QStringLiteral("long.vrl"));
  }

  void aSessionWithoutTheMainWindowIsEnough() {
    TWindowHarness h;  // its fake dialogs; the application is not started
    TPlayerSession s(h.Home);
    TForm2 w(s);
    QVERIFY(!w.parentWidget());
    QSignalSpy songs(&s, &TPlayerSession::SongListChanged);
    const QString a = h.Track(QStringLiteral("a.mp3"));
    const QString b = h.Track(QStringLiteral("b.mp3"));
    h.OpenAnswers = {{a, b}};
    w.Image3Click();
    QCOMPARE(s.Queue().QueueCount(), 2);
    QCOMPARE(RowTitles(w), (QStringList{"a.mp3", "b.mp3"}));
    QCOMPARE(songs.size(), 1);
    // The grid is a view of the queue: the entry's speed and an entry appended elsewhere.
    s.SetLyricsSpeed(1, QStringLiteral("8"));
    QCOMPARE(w.SpeedCell(2), QStringLiteral("8"));
    const QString c = h.Track(QStringLiteral("c.mp3"));
    s.AppendToQueue(c);
    QCOMPARE(RowTitles(w), (QStringList{"a.mp3", "b.mp3", "c.mp3"}));
    w.gdDblClick(2, kTitleColumn);
    QCOMPARE(s.Queue().CurrentIndex, 1);
    QCOMPARE(s.mp3().Status(), mpsPlaying);
    QSignalSpy saved(&w, &TForm2::PlaylistSaved);
    const QString list = h.Home + QStringLiteral("/alone.vrl");
    h.SaveAnswers = {list};
    w.Image4Click();
    QCOMPARE(saved.size(), 1);
    QCOMPARE(h.ReadFile(list), (a + "\na.mp3\n\n\n" + b + "\nb.mp3\n\n8\n" + c + "\nc.mp3\n\n\n").toUtf8());
    QVERIFY(h.Errors.isEmpty());
  }

  void theFirstShowingLoadsTheStoredList() {
    TWindowHarness h;
    const QString one = h.Track(QStringLiteral("one.mp3"));
    h.WriteFile(h.Home + QStringLiteral("/旅.vrl"), (one + "\n旅の歌\n\n3\n").toUtf8());
    h.WriteFile(h.Home + QStringLiteral("/a.m3u"), "");
    h.WriteFile(SettingsFileName(h.Home), "[varo]\nlistfilename=旅.vrl\n");
    TForm1& f = h.Start();
    QCOMPARE(Captions(f.Menu().list1), (QStringList{"旅.vrl", "a.m3u"}));
    QVERIFY(f.Menu().list1->actions().first()->isChecked());
    f.TogglePlaylistWindow();
    QCOMPARE(RowTitles(*h.W.Form2), QStringList{"旅の歌"});
    QCOMPARE(h.W.Form2->SpeedCell(1), QStringLiteral("3"));
    QCOMPARE(h.W.Form2->combo->count(), 2);
  }
};

QTEST_MAIN(TestPlaylistWindow)
#include "playlist_window_test.moc"
