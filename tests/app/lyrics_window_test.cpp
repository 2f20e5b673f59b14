// The lyrics window over a player session of its own, with the session's lyrics clock:
// lyrics starting with a track, the speed buttons setting the entry's speed, the background
// and font menus, lyrics found beside the track, seeks and clicks on timed lines.
#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include "core/lyrics/lyrics_display.h"
#include "core/lyrics/lyrics_speed.h"
#include "core/playlist/playlist_service.h"
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
  TPlayerSession& S = H.Session();
  TForm5 W{S};

  // One queue entry with a lyrics file and the given speed, started.
  void Play(const QByteArray& lyrics, const QString& speed) {
    H.Queue({H.Track(QStringLiteral("song.mp3"))});
    S.Playlist().AttachLyrics(0, H.WriteFile(H.Dir.filePath(QStringLiteral("song.txt")), lyrics));
    S.Playlist().SetLyricsSpeed(0, speed);
    S.Player().PlayRow(1);
  }
};

}  // namespace

class TestLyricsWindow : public QObject {
  Q_OBJECT

 private slots:
  void timedLyricsStartWithTheTrack() {
    TLyricsStart s;
    s.Play("[00:00.00]はじまり\n[00:30.00]later\n", QStringLiteral("5"));
    QVERIFY(s.S.LyricsActive());
    QVERIFY(s.S.Timer1().isActive());
    QCOMPARE(s.S.Timer1().interval(), kTimedLyricsIntervalMs);
    const auto& model = s.W.Lyrics().Model();
    QVERIFY(model && model->Timed);
    QCOMPARE(model->CurrentLine(), 0);  // the line tagged 0:00 is lit from the start
    QVERIFY(HasWhite(model->Composite));
    s.W.LyricsTick();
    QCOMPARE(model->PendingText, QStringLiteral("later"));
    QCOMPARE(s.W.pb1->grab().toImage().convertToFormat(QImage::Format_RGB32),
             model->Composite.convertToFormat(QImage::Format_RGB32));

    s.S.Player().StopCommand();
    QVERIFY(!s.S.Timer1().isActive());
    QVERIFY(!s.S.LyricsActive());
  }

  // The entry keeps the speed the buttons leave, and its next start runs at it.
  void speedButtonsSetTheEntrysSpeed() {
    TLyricsStart s;
    s.Play("la\nla\n", QStringLiteral("1"));
    QCOMPARE(s.S.Timer1().interval(), 100);
    s.W.Image15Click();  // faster at 100 ms stays
    QCOMPARE(s.S.Timer1().interval(), 100);
    QCOMPARE(s.S.Queue().Entry(0).LyricsSpeed, QStringLiteral("1"));
    s.W.Image16Click();
    s.W.Image16Click();
    QCOMPARE(s.S.Timer1().interval(), 300);
    QCOMPARE(s.S.Queue().Entry(0).LyricsSpeed, QStringLiteral("3"));
    QVERIFY(s.S.Timer1().isActive());
    s.S.Player().StopCommand();
    s.S.Timer1().setInterval(100);
    s.S.Player().PlayRow(1);
    QCOMPARE(s.S.Timer1().interval(), 300);
  }

  void theBackgroundAndFontMenus() {
    TLyricsStart s;
    s.Play("WWW\n", QString());
    TForm5& w = s.W;
    w.N3->trigger();  // "なし"
    QCOMPARE(s.H.Ini().ReadInteger(kKeyKasiBack, 0), 100);
    QVERIFY(w.N3->isChecked());
    QCOMPARE(w.Lyrics().Model()->Composite.pixel(w.pb1->width() - 1, 0), 0xFF000000u);
    w.N2->trigger();
    QCOMPARE(s.H.Ini().ReadInteger(kKeyKasiBack, 0), 2);
    QCOMPARE(w.Lyrics().Model()->Composite.pixel(w.pb1->width() - 1, 0),
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
    QCOMPARE(w.Lyrics().Model()->Composite.pixel(w.pb1->width() - 1, 0), 0xFF224466u);

    s.H.FontAnswer = 15;
    w.Font1->trigger();
    QCOMPARE(s.H.Ini().ReadInteger(kKeyKasiFontSize, 0), 15);
    QCOMPARE(w.Lyrics().Model()->FontSize, 15);
  }

  void anEntryWithoutLyricsClosesTheWindow() {
    TLyricsStart s;
    s.Play("la\n", QString());
    s.W.show();
    s.H.Queue({s.H.Track(QStringLiteral("plain.mp3"))});
    s.S.Player().PlayRow(2);
    QVERIFY(!s.W.isVisible());
    QVERIFY(!s.S.Timer1().isActive());
    QVERIFY(!s.S.LyricsActive());
  }

  // No lyrics file in the entry: NAME.lrc beside the track (its case aside) starts; a seek
  // lights the line due there, and a click on a line seeks.
  void lyricsBesideTheTrackFollowSeeksAndClicks() {
    TWindowHarness h;
    TPlayerSession& s = h.Session();
    TForm5 w(s);
    h.Queue({h.Track(QStringLiteral("found.mp3"))});
    const QString lrc =
        h.WriteFile(h.Dir.filePath(QStringLiteral("FOUND.LRC")), "[00:00]first\n[00:30]later\n");
    h.WriteFile(h.Dir.filePath(QStringLiteral("found.txt")), "not this one\n");
    s.StartEntry(0);
    QVERIFY(s.LyricsActive());
    QCOMPARE(s.LyricsFileName(), lrc);
    const auto& model = w.Lyrics().Model();
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
    s.W.show();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(3, 3), s.W.pb1->mapToGlobal(QPoint(3, 3)));
    QCoreApplication::sendEvent(s.W.pb1, &event);
    QVERIFY(s.W.PopupMenu1->isVisible());
    s.W.PopupMenu1->close();
  }
};

QTEST_MAIN(TestLyricsWindow)
#include "lyrics_window_test.moc"
