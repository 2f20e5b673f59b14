// The lyrics window with the session's lyrics clock: lyrics starting with a track, the speed
// buttons writing the playlist's speed column, the background and font menus, and the
// window staying away while the application is in the tray; and the window with a player
// session alone, without the main window or the playlist window.
#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "core/lyrics/lyrics_session.h"
#include "core/lyrics/lyrics_speed.h"
#include "core/session/player_session.h"
#include "formats/settings_keys.h"
#include "player/mp3_player.h"
#include "window_harness.h"

namespace {

bool HasWhite(const QImage& picture) {
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x)
      if (qRed(picture.pixel(x, y)) > 200 && qGreen(picture.pixel(x, y)) > 200 &&
          qBlue(picture.pixel(x, y)) > 200)
        return true;
  return false;
}

struct TLyricsStart {
  TWindowHarness H;
  TForm1* F = nullptr;
  TForm5* W = nullptr;

  // One queue entry with a lyrics file and the given speed cell, started.
  void Play(const QByteArray& lyrics, const QString& speed) {
    F = &H.Start();
    W = H.W.Form5.get();
    const QString track = H.Track(QStringLiteral("song.mp3"));
    const QString file = H.WriteFile(H.Dir.filePath(QStringLiteral("song.txt")), lyrics);
    H.OpenAnswers = {{track}, {file}};
    H.W.Form2->Image3Click();
    H.W.Form2->gdDblClick(1, kLyricsColumn);
    H.W.Form2->SetSpeedCell(1, speed);
    H.W.Form2->gdDblClick(1, kTitleColumn);
  }
};

}  // namespace

class TestLyricsWindow : public QObject {
  Q_OBJECT

 private slots:
  void timedLyricsStartWithTheTrack() {
    TLyricsStart s;
    s.Play("[00:00.00]はじまり\n[00:30.00]later\n", QStringLiteral("5"));
    TForm1& f = *s.F;
    QVERIFY(f.Session().LyricsActive);
    QVERIFY(s.W->isVisible());
    QCOMPARE(s.W->pos(), QPoint(f.x(), f.y() + f.FR1->height()));
    QVERIFY(f.Session().Timer1.isActive());
    QCOMPARE(f.Session().Timer1.interval(), kTimedLyricsIntervalMs);
    const auto& model = s.W->Session().Model();
    QVERIFY(model && model->Timed);
    QCOMPARE(model->CurrentLine(), 0);  // the line tagged 0:00 is lit from the start
    QVERIFY(HasWhite(model->Composite));
    s.W->LyricsTick();
    QCOMPARE(model->PendingText, QStringLiteral("later"));
    QCOMPARE(s.W->pb1->grab().toImage().convertToFormat(QImage::Format_RGB32),
             model->Composite.convertToFormat(QImage::Format_RGB32));

    f.Session().Player().StopCommand();
    QVERIFY(!f.Session().Timer1.isActive());
    QVERIFY(!f.Session().LyricsActive);
  }

  void speedButtonsWriteTheSpeedColumn() {
    TLyricsStart s;
    s.Play("la\nla\n", QStringLiteral("1"));
    TForm1& f = *s.F;
    QCOMPARE(f.Session().Timer1.interval(), 100);
    s.W->Image15Click();  // faster at 100 ms stays
    QCOMPARE(f.Session().Timer1.interval(), 100);
    QCOMPARE(s.H.W.Form2->SpeedCell(1), QStringLiteral("1"));
    s.W->Image16Click();
    s.W->Image16Click();
    QCOMPARE(f.Session().Timer1.interval(), 300);
    QCOMPARE(s.H.W.Form2->SpeedCell(1), QStringLiteral("3"));
    QVERIFY(f.Session().Timer1.isActive());
    // The next start of that entry runs at the speed the buttons left.
    s.H.W.Form2->gdDblClick(1, kTitleColumn);
    QCOMPARE(f.Session().Timer1.interval(), 300);
  }

  void theBackgroundAndFontMenus() {
    TLyricsStart s;
    s.Play("WWW\n", QString());
    TForm5& w = *s.W;
    w.N3->trigger();  // "なし"
    QCOMPARE(s.H.Ini().ReadInteger(kKeyKasiBack, 0), 100);
    QVERIFY(w.N3->isChecked());
    QCOMPARE(w.Session().Model()->Composite.pixel(w.pb1->width() - 1, 0), 0xFF000000u);
    w.N2->trigger();
    QCOMPARE(s.H.Ini().ReadInteger(kKeyKasiBack, 0), 2);
    QCOMPARE(w.Session().Model()->Composite.pixel(w.pb1->width() - 1, 0),
             w.img[1].pixel(w.pb1->width() - 1, 0));
    QVERIFY(w.img[0].isNull() && w.img[2].isNull());  // only the background in use is kept

    // "その他": cancelled keeps the mark where it was; confirmed takes the picture.
    w.N4->trigger();
    QVERIFY(w.N2->isChecked());
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(0xFF224466);
    const QString file = s.H.Dir.filePath(QStringLiteral("back.bmp"));
    picture.save(file, "BMP");
    s.H.OpenAnswers = {{file}};
    w.N4->trigger();
    QCOMPARE(s.H.OpenFilters.last(), QStringLiteral("背景画像ファイル(bmp)|*.bmp"));
    QVERIFY(w.N4->isChecked());
    QCOMPARE(s.H.Ini().ReadInteger(kKeyKasiBack, 0), 200);
    QCOMPARE(s.H.Ini().ReadString(kKeyKasiBackFile, QString()), file);
    QCOMPARE(s.H.Ini().ReadString(kKeyOpenDir, QString()), file);
    QCOMPARE(w.Session().Model()->Composite.pixel(w.pb1->width() - 1, 0), 0xFF224466u);

    s.H.FontAnswer = 15;
    w.Font1->trigger();
    QCOMPARE(s.H.Ini().ReadInteger(kKeyKasiFontSize, 0), 15);
    QCOMPARE(w.Session().Model()->FontSize, 15);
  }

  void anEntryWithoutLyricsClosesTheWindow() {
    TLyricsStart s;
    s.Play("la\n", QString());
    s.H.OpenAnswers = {{s.H.Track(QStringLiteral("plain.mp3"))}};
    s.H.W.Form2->Image3Click();
    s.H.W.Form2->gdDblClick(2, kTitleColumn);
    QVERIFY(!s.W->isVisible());
    QVERIFY(!s.F->Session().Timer1.isActive());
    QVERIFY(!s.F->Session().LyricsActive);
  }

  void aSessionWithoutTheOtherWindowsIsEnough() {
    TWindowHarness h;  // the application is not started
    TPlayerSession s(h.Home);
    TForm5 w(s);
    QVERIFY(!w.parentWidget());
    s.AppendToQueue(h.Track(QStringLiteral("song.mp3")));
    s.Queue().Slot(0).LyricsFile = h.WriteFile(h.Dir.filePath(QStringLiteral("song.txt")), "la\nla\n");
    s.SetLyricsSpeed(0, QStringLiteral("2"));
    s.StartEntry(0);
    QVERIFY(s.LyricsActive);
    QVERIFY(w.Session().Model());
    QVERIFY(s.Timer1.isActive());
    QCOMPARE(s.Timer1.interval(), 200);  // the entry's own speed
    w.Image16Click();                    // slower: the entry keeps the new speed
    QCOMPARE(s.Timer1.interval(), 300);
    QCOMPARE(s.Queue().Entry(0).LyricsSpeed, QStringLiteral("3"));
    s.Player().StopCommand();
    QVERIFY(!s.Timer1.isActive());
    QVERIFY(!s.LyricsActive);
  }

  // No lyrics file in the entry: NAME.lrc beside the track (its case aside) starts; a seek
  // lights the line due there, and a click on a line seeks.
  void lyricsBesideTheTrackFollowSeeksAndClicks() {
    TWindowHarness h;
    TPlayerSession s(h.Home);
    TForm5 w(s);
    s.AppendToQueue(h.Track(QStringLiteral("found.mp3")));
    const QString lrc =
        h.WriteFile(h.Dir.filePath(QStringLiteral("FOUND.LRC")), "[00:00]first\n[00:30]later\n");
    h.WriteFile(h.Dir.filePath(QStringLiteral("found.txt")), "not this one\n");
    s.StartEntry(0);
    QVERIFY(s.LyricsActive);
    QCOMPARE(s.LyricsFileName, lrc);
    const auto& model = w.Session().Model();
    QVERIFY(model && model->Timed);
    emit s.Sought(30000);
    QCOMPARE(model->CurrentLine(), 1);
    QSignalSpy sought(&s, &TPlayerSession::Sought);
    int firstRow = -1;
    for (int y = 0; y < w.pb1->height() && firstRow < 0; ++y)
      if (model->LineTimeAt(y) == 0) firstRow = y;
    QVERIFY(firstRow >= 0);
    w.LineClick(firstRow);
    QCOMPARE(sought.count(), 1);
    s.Player().StopCommand();
  }

  void theMenuOpensOnTheLyricsPicture() {
    TLyricsStart s;
    s.Play("la\n", QString());
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(3, 3), s.W->pb1->mapToGlobal(QPoint(3, 3)));
    QCoreApplication::sendEvent(s.W->pb1, &event);
    QVERIFY(s.W->PopupMenu1->isVisible());
    s.W->PopupMenu1->close();
  }
};

QTEST_MAIN(TestLyricsWindow)
#include "lyrics_window_test.moc"
