// The main window on the offscreen platform with a temporary home: start-up from various
// settings files, exit, dropped files, the popup menu, skins, dragging, and the track's time
// with the inputs that seek in it.
#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <QtTest>

#include <memory>

#include "core/playback/play_queue.h"
#include "core/playback/ranking.h"
#include "core/playback/track_time.h"
#include "core/playlist/playlist_service.h"
#include "core/session/player_session.h"
#include "core/settings/application_home.h"
#include "formats/region_runs.h"
#include "formats/settings_file.h"
#include "formats/settings_keys.h"
#include "player/mp3_player.h"
#include "skin_fixture.h"
#include "stream/mp_stream.h"
#include "ui/dialogs/error_box.h"
#include "ui/dialogs/intro_time_dialog.h"
#include "ui/dialogs/sleep_timer_dialog.h"
#include "ui/dialogs/version_dialog.h"
#include "ui/lyrics/lyrics_window.h"
#include "ui/main_window/main_window.h"
#include "ui/playlist/playlist_window.h"
#include "ui/program/program_entry.h"
#include "ui/widgets/form_rgn.h"
#include "ui/widgets/image_button.h"
#include "ui/widgets/time_widgets.h"
#include "window_harness.h"

namespace {

const QString kMinute = QStringLiteral(VARO_TEST_DATA "/corpus/bench/bench_60s_mpeg1_l3_cbr128_joint.mp3");

void Wheel(QWidget* w, int angle) {
  const QPointF at(w->width() / 2.0, w->height() / 2.0);
  QWheelEvent event(at, w->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(w, &event);
}

QStringList Captions(const QMenu* menu) {
  QStringList captions;
  for (const QAction* a : menu->actions()) {
    QString c = a->isSeparator() ? QStringLiteral("-") : a->text();
    if (a->isCheckable()) c += a->isChecked() ? QStringLiteral(" [x]") : QStringLiteral(" [ ]");
    captions << c;
    if (a->menu()) captions << QStringLiteral(">") + Captions(a->menu()).join(QStringLiteral("|"));
  }
  return captions;
}

QImage Rgb(const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); }

QLabel& Label(const TForm1& f, int n) { return Ctl<QLabel>(f, ("Label" + std::to_string(n)).c_str()); }

// The window harness with a settings file written beforehand.
struct THarness : TWindowHarness {
  void WriteIni(const QString& text) { WriteFile(SettingsFileName(Home), text.toUtf8()); }
  // A stored queue of the named files, belonging to a named playlist unless listName is empty.
  void StoreQueue(const QStringList& files, int current, const QString& listName) {
    QString text = QStringLiteral("[varo]\nmax=%1\nlast_music_number=%2\n").arg(files.size()).arg(current);
    for (int i = 0; i < files.size(); ++i) text += QStringLiteral("list%1=%2\n").arg(i + 1).arg(files[i]);
    if (!listName.isEmpty()) text += QStringLiteral("listfilename=") + listName + u'\n';
    WriteIni(text);
  }
};

}  // namespace

class TestMainWindow : public QObject {
  Q_OBJECT

 private slots:
  void firstStartWithoutASettingsFile() {
    THarness h;
    TForm1& f = h.Start();
    QCOMPARE(f.pos(), QPoint(100, 100));
    QVERIFY(f.Menu().rep2->isChecked());
    QCOMPARE(f.Session().Queue().QueueCount(), 0);
    QCOMPARE(f.Session().mp3().Status(), mpsStopped);
    QVERIFY(f.Menu().music1->actions().isEmpty());
    QCOMPARE(Rgb(FR1(f).Picture()), Rgb(MakeTestSkin(0).Pieces[0]));
    QVERIFY(Label(f, 1).isVisibleTo(&f));
    QCOMPARE(h.Ini().ReadString(kKeySkin, QString()), QStringLiteral("default"));
    // The lyrics window gets its skin a moment later, the playlist window once shown.
    QTRY_VERIFY(F1::DeferredSkinDone(f));
    QVERIFY(!Ctl<QTimer>(f, "Timer3").isActive());
    QVERIFY(h.W.Form2->FR1->Picture().isNull());
    f.TogglePlaylistWindow();
    QCOMPARE(Rgb(h.W.Form2->FR1->Picture()), Rgb(MakeTestSkin(0).Pieces[14]));
    QCOMPARE(Rgb(h.W.Form2->Image9->Picture()), Rgb(MakeTestSkin(0).Pieces[18]));
    QCOMPARE(h.W.Form2->gd->geometry(), MakeTestSkin(0).Grid);
    QCOMPARE(Rgb(h.W.Form5->fr5->Picture()), Rgb(MakeTestSkin(0).Pieces[10]));
    QCOMPARE(h.W.Form5->pb1->geometry(), MakeTestSkin(0).PaintBox);
    QVERIFY(h.Errors.isEmpty());
  }

  void aMissingStandardSkinEndsTheProgram() {
    THarness h;
    QFile::remove(SkinDir(h.Home) + QStringLiteral("/default.bmp"));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, h.MainWindow());
    QCOMPARE(h.Errors, QStringList{QStringLiteral("SKINファイルが存在しません")});
  }

  void theWindowIsCutToTheSkinsOutline() {
    THarness h;
    TForm1& f = h.MainWindow();
    const QImage background = MakeTestSkin(0).Pieces[0];
    QCOMPARE(f.mask(), RegionFromRuns(BuildRegionRuns(background, 0), FR1(f).pos()));
    QVERIFY(!f.mask().contains(QPoint(1, 1)));  // a black corner
    QVERIFY(f.mask().contains(QPoint(background.width() / 2, background.height() / 2)));
  }

  // list1 ... list3 with the second file deleted; the list belongs to a named playlist.
  void aStoredQueueRestoresWithoutTheMissingFileAndPlays() {
    THarness h;
    const QString a = h.Track(QStringLiteral("a.mp2")), c = h.Track(QStringLiteral("c.mp2"));
    h.StoreQueue({a, h.Dir.filePath(QStringLiteral("b.mp2")), c}, 1, QStringLiteral("mine.vrl"));
    TForm1& f = h.MainWindow();
    QCOMPARE(f.Session().Queue().QueueCount(), 2);
    QCOMPARE(f.Session().Queue().Entry(1).FileName, c);
    QCOMPARE(f.Session().mp3().Status(), mpsPlaying);
    QCOMPARE(QString::fromStdString(f.Session().mp3().FileName()), c);
    QCOMPARE(Label(f, 1).text(), QStringLiteral("c.mp2"));
    QCOMPARE(Captions(f.Menu().music1), (QStringList{"&1 a.mp2 [ ]", "&2 c.mp2 [x]"}));
    f.ExitProgram();
    QCOMPARE(h.Ini().ReadInteger(kKeyMax, 0), 2);
    QVERIFY(!h.Ini().KeyExists(QStringLiteral("list3")));
  }

  void anUnnamedQueueIsNotKept() {
    THarness h;
    h.StoreQueue({h.Track(QStringLiteral("a.mp2")), h.Track(QStringLiteral("b.mp2")),
                  h.Track(QStringLiteral("c.mp2"))},
                 0, QStringLiteral("再生リスト"));
    TForm1& f = h.MainWindow();
    QCOMPARE(f.Session().Queue().QueueCount(), 0);
    QCOMPARE(f.Session().mp3().Status(), mpsStopped);
    QVERIFY(f.Menu().music1->actions().isEmpty());
  }

  void anIndexPastTheRestoredQueueStartsAtTheFirstEntry() {
    THarness h;
    h.StoreQueue({h.Track(QStringLiteral("a.mp2")), h.Dir.filePath(QStringLiteral("gone.mp2"))}, 1,
                 QStringLiteral("mine.vrl"));
    TForm1& f = h.MainWindow();
    QCOMPARE(f.Session().Queue().QueueCount(), 1);
    QCOMPARE(f.Session().Queue().CurrentIndex(), 0);
    QCOMPARE(Label(f, 1).text(), QStringLiteral("a.mp2"));
  }

  void windowZeroHidesTheTitleButSetsTheShadows() {
    THarness h;
    h.StoreQueue({h.Track(QStringLiteral("a.mp2"))}, 0, QStringLiteral("mine.vrl"));
    TSettingsFile(SettingsFileName(h.Home)).WriteInteger(kKeyWindow, 0);
    TForm1& f = h.MainWindow();
    QVERIFY(!Label(f, 1).isVisible());
    QVERIFY(!Label(f, 2).isVisible());
    QVERIFY(Label(f, 3).isVisible());
    QCOMPARE(Label(f, 3).text(), QStringLiteral("a.mp2"));
    QCOMPARE(Label(f, 1).text(), QStringLiteral("a.mp2"));
  }

  void storedSettingsAreRead() {
    THarness h;
    h.WriteIni(QStringLiteral("[varo]\nwindow_x=37\nwindow_y=41\nrepeat=3\nstaytop=1\n"));
    TForm1& f = h.MainWindow();
    QCOMPARE(f.pos(), QPoint(37, 41));
    QVERIFY(f.Menu().rep3->isChecked());
    QCOMPARE(f.Session().Player().PlayMode(), int(pmRandom));
    QVERIFY(f.Menu().staytop1->isChecked());
    QVERIFY(f.windowFlags() & Qt::WindowStaysOnTopHint);
  }

  void aModeOutsideOneToFourChecksNone() {
    THarness h;
    h.WriteIni(QStringLiteral("[varo]\nrepeat=9\n"));
    TForm1& f = h.MainWindow();
    for (int mode = 1; mode <= 4; ++mode) QVERIFY(!f.Menu().ModeItem(mode)->isChecked());
    f.Menu().rep1->trigger();
    QVERIFY(f.Menu().rep1->isChecked());
    QCOMPARE(h.Ini().ReadInteger(kKeyRepeat, 0), 1);
  }

  void closingTheWindowOtherwiseKeepsTheQueueToo() {
    THarness h;
    const QString a = h.Track(QStringLiteral("a.mp2")), b = h.Track(QStringLiteral("b.mp2"));
    h.StoreQueue({a, b, h.Track(QStringLiteral("c.mp2"))}, 0, QStringLiteral("mine.vrl"));
    TForm1& f = h.MainWindow();
    f.Session().Playlist().DeleteEntry(2);
    f.Session().Player().PlaySongMenuEntry(1);
    QVERIFY(f.close());
    const TSettingsFile ini = h.Ini();
    QCOMPARE(ini.ReadInteger(kKeyMax, 0), 2);
    QCOMPARE(ini.ReadString(QStringLiteral("list2"), QString()), b);
    QVERIFY(!ini.KeyExists(ListKey(3)));
    QCOMPARE(ini.ReadInteger(kKeyLastMusicNumber, -1), 1);
  }

  void exitAfterTheQueueShrankWritesOnlyTheRest() {
    THarness h;
    QStringList files;
    for (const char* n : {"1.mp2", "2.mp2", "3.mp2", "4.mp2", "5.mp2"})
      files << h.Track(QString::fromLatin1(n));
    h.StoreQueue(files, 4, QStringLiteral("mine.vrl"));
    TForm1& f = h.MainWindow();
    QCOMPARE(f.Session().Queue().QueueCount(), 5);
    for (int i = 0; i < 3; ++i) f.Session().Playlist().DeleteEntry(2);
    f.Session().Player().PlaySongMenuEntry(1);
    f.move(55, 66);
    f.ExitProgram();
    QVERIFY(!f.isVisible());
    const TSettingsFile ini = h.Ini();
    QCOMPARE(ini.ReadInteger(kKeyMax, 0), 2);
    QCOMPARE(ini.ReadString(QStringLiteral("list1"), QString()), files[0]);
    QCOMPARE(ini.ReadString(QStringLiteral("list2"), QString()), files[1]);
    for (int n = 3; n <= 5; ++n) QVERIFY(!ini.KeyExists(ListKey(n)));
    QCOMPARE(ini.ReadInteger(kKeyLastMusicNumber, -1), 1);
    QCOMPARE(ini.ReadInteger(kKeyWindowX, 0), 55);
    QCOMPARE(ini.ReadInteger(kKeyWindowY, 0), 66);
    QCOMPARE(ini.ReadString(kKeyListFileName, QString()), QStringLiteral("mine.vrl"));
  }

  void droppingWhilePausedAppendsAndStartsTheFirstEntry() {
    THarness h;
    const QString first = h.Track(QStringLiteral("first.mp2"));
    h.StoreQueue({first}, 0, QStringLiteral("mine.vrl"));
    TForm1& f = h.Start();
    f.Session().mp3().SetAudioDevice("null:1");
    f.Session().Player().PlayCommand();
    QTRY_COMPARE(f.Session().Player().PlayState(), psPlaying);  // the restart's own end report came
    f.Session().Player().PauseCommand();
    QCOMPARE(f.Session().mp3().Status(), mpsPaused);
    QFile notAudio(h.Dir.filePath(QStringLiteral("readme.mp3")));
    notAudio.open(QIODevice::WriteOnly);
    notAudio.write(QByteArray(3000, 'z'));
    notAudio.close();
    f.FilesDropped({h.Track(QStringLiteral("x.mp2")), notAudio.fileName(), h.Track(QStringLiteral("y.mp2")),
                    h.Track(QStringLiteral("z.mp2"))});
    QCOMPARE(f.Session().Queue().QueueCount(), 4);
    QCOMPARE(f.Session().Queue().Entry(3).Title, QStringLiteral("z.mp2"));
    QCOMPARE(f.Session().Queue().CurrentIndex(), 0);
    QCOMPARE(QString::fromStdString(f.Session().mp3().FileName()), first);
    QTRY_COMPARE(f.Session().Player().PlayState(), psPlaying);
    QCOMPARE(f.Session().mp3().Status(), mpsPlaying);
    QVERIFY(h.W.Form2->isVisible());
    QCOMPARE(h.W.Form2->pos(), QPoint(f.x() + FR1(f).width(), f.y()));
    QCOMPARE(h.W.Form2->RowTitle(4), QStringLiteral("z.mp2"));
    QCOMPARE(f.Menu().music1->actions().size(), 4);
    QVERIFY(h.Errors.isEmpty());
  }

  void droppingOntoAFullQueueSaysSoOnce() {
    THarness h;
    const QString track = h.Track(QStringLiteral("t.mp2"));
    h.WriteFile(h.Home + QStringLiteral("/long.vrl"),
                (track + "\nt\n\n\n").repeated(TPlayQueue::Capacity - 1).toUtf8());
    h.StoreQueue({track}, 0, QStringLiteral("long.vrl"));
    TForm1& f = h.MainWindow();  // plays: nothing to start
    f.Session().Playlist().LoadPlaylist(QStringLiteral("long.vrl"));
    f.FilesDropped({track, track, track});
    QCOMPARE(f.Session().Queue().QueueCount(), TPlayQueue::Capacity);
    QCOMPARE(h.Errors.size(), 1);
  }

  void thePopupMenu() {
    THarness h;
    WriteTestSkin(SkinDir(h.Home), QStringLiteral("b"), MakeTestSkin(2));
    WriteTestSkin(SkinDir(h.Home), QStringLiteral("a"), MakeTestSkin(1));
    TForm1& f = h.MainWindow();
    const QStringList expected{
        "再生(&P)",
        "停止(&Q)",
        "一時停止(&U)",
        "前の曲(&N)",
        "次の曲(&B)",
        "曲名(&M)",
        ">",
        "再生リスト(&A)",
        ">",
        "-",
        "再生モード(&S)",
        ">1曲リピート(&O) [ ]|全曲リピート(&A) [x]|ランダム再生(&R) [ ]|イントロ再生：5秒(&I) [ ]|>"
        "イントロ再生時間設定(&S)",
        "おやすみタイマー設定(&O) [ ]",
        "タスクトレイにしまう(&T)",
        "-",
        "常に手前に表示(&C) [ ]",
        "再生リスト表示(&L)",
        "歌詞画面表示(&K)",
        "-",
        "SKIN(&I)",
        ">標準(&H)|-|a|b",
        "-",
        "再生履歴(&H)",
        "バージョン情報(&V)",
        "終了(&X)"};
    QCOMPARE(Captions(f.Menu().PopupMenu1), expected);
    // The modes are radio items: choosing one unchecks the others.
    f.Menu().rep3->trigger();
    QVERIFY(f.Menu().rep3->isChecked() && !f.Menu().rep2->isChecked());
  }

  void choosingASkinChangesAllThreeWindows() {
    THarness h;
    WriteTestSkin(SkinDir(h.Home), QStringLiteral("b"), MakeTestSkin(2));
    TForm1& f = h.Start();
    QTRY_VERIFY(F1::DeferredSkinDone(f));
    const QList<QAction*> items = f.Menu().SKINI1->actions();
    items.last()->trigger();  // b
    const TTestSkin b = MakeTestSkin(2);
    QCOMPARE(Rgb(FR1(f).Picture()), Rgb(b.Pieces[0]));
    QCOMPARE(Rgb(h.W.Form2->FR1->Picture()), Rgb(b.Pieces[14]));
    QCOMPARE(Rgb(h.W.Form5->fr5->Picture()), Rgb(b.Pieces[10]));
    QCOMPARE(f.mask(), RegionFromRuns(BuildRegionRuns(b.Pieces[0], 0), QPoint(0, 0)));
    QCOMPARE(h.Ini().ReadString(kKeySkin, QString()), QStringLiteral("b"));
    f.Menu().H1->trigger();
    QCOMPARE(Rgb(FR1(f).Picture()), Rgb(MakeTestSkin(0).Pieces[0]));
    QCOMPARE(h.Ini().ReadString(kKeySkin, QString()), QStringLiteral("default"));
    // No piece file is left behind.
    QCOMPARE(QDir(SkinDir(h.Home)).entryList({QStringLiteral("ss*")}, QDir::Files), QStringList());
  }

  void aStoredSkinThatIsGoneFallsBackToTheStandardOne() {
    THarness h;
    h.WriteIni(QStringLiteral("[varo]\nskin=vanished\n"));
    TForm1& f = h.MainWindow();
    QCOMPARE(Rgb(FR1(f).Picture()), Rgb(MakeTestSkin(0).Pieces[0]));
    QCOMPARE(h.Ini().ReadString(kKeySkin, QString()), QStringLiteral("default"));
    QVERIFY(h.Errors.isEmpty());
  }

  void aBrokenSkinChangesNothingAndSaysWhy() {
    THarness h;
    WriteTestSkin(SkinDir(h.Home), QStringLiteral("broken"), MakeTestSkin(3));
    QFile layout(SkinDir(h.Home) + QStringLiteral("/broken.txt"));
    layout.open(QIODevice::WriteOnly);
    layout.write("10\r\n20\r\nthirty\r\n");
    layout.close();
    TForm1& f = h.MainWindow();
    QTRY_VERIFY(F1::DeferredSkinDone(f));
    f.Menu().SKINI1->actions().last()->trigger();
    QCOMPARE(h.Errors.size(), 1);
    QVERIFY(h.Errors[0].contains(QStringLiteral("thirty")));
    QCOMPARE(Rgb(FR1(f).Picture()), Rgb(MakeTestSkin(0).Pieces[0]));
    QCOMPARE(h.Ini().ReadString(kKeySkin, QString()), QStringLiteral("default"));
  }

  void aBrokenStoredSkinStillStartsWithTheStandardOne() {
    THarness h;
    QFile pack(SkinDir(h.Home) + QStringLiteral("/bad.bmp"));
    pack.open(QIODevice::WriteOnly);
    pack.write("not a pack");
    pack.close();
    h.WriteIni(QStringLiteral("[varo]\nskin=bad\n"));
    // A real error box is modal: timers go on running while it is open.
    SetErrorBoxHandler([&h](const QString& text) {
      h.Errors << text;
      QTest::qWait(400);
    });
    TForm1& f = h.Start();
    QTRY_VERIFY(F1::DeferredSkinDone(f));
    QCOMPARE(h.Errors.size(), 1);
    QCOMPARE(Rgb(FR1(f).Picture()), Rgb(MakeTestSkin(0).Pieces[0]));
    QCOMPARE(Rgb(h.W.Form5->fr5->Picture()), Rgb(MakeTestSkin(0).Pieces[10]));
    f.TogglePlaylistWindow();
    QCOMPARE(Rgb(h.W.Form2->FR1->Picture()), Rgb(MakeTestSkin(0).Pieces[14]));
  }

  void theTitleLabelsFollowTheLayout() {
    THarness h;
    TTestSkin skin = MakeTestSkin(0);
    WriteTestSkin(SkinDir(h.Home), QStringLiteral("default"), skin);
    TForm1& f = h.MainWindow();
    const QRect l = skin.Label;
    QCOMPARE(Label(f, 1).geometry(), l);
    QCOMPARE(Label(f, 3).geometry(), QRect(l.x() + 1, l.y() + 1, l.width(), l.height()));
    QCOMPARE(Label(f, 2).geometry(), QRect(l.x() + 1, l.y() + l.height() + 3, l.width(), l.height()));
    QCOMPARE(Label(f, 4).geometry(), QRect(l.x() + 1, l.y() + l.height() + 4, l.width(), l.height()));
    QCOMPARE(Label(f, 1).palette().color(QPalette::WindowText), QColor(255, 255, 0));
    QCOMPARE(Label(f, 3).palette().color(QPalette::WindowText), QColor(Qt::black));
    QCOMPARE(Label(f, 4).font().pixelSize(), 12);  // 9 points at 96 dpi
    QVERIFY(Label(f, 4).font().bold());

    skin.Label = QRect();  // left 0: the default layout over the full width
    WriteTestSkin(SkinDir(h.Home), QStringLiteral("plain"), skin);
    f.LoadSkin(QStringLiteral("plain"), kSkinMain);
    QCOMPARE(Label(f, 1).geometry().topLeft(), QPoint(0, 48));
    QCOMPARE(Label(f, 2).geometry().topLeft(), QPoint(0, 58));
    QCOMPARE(Label(f, 1).width(), FR1(f).width());
  }

  void regionFailuresKeepThePreviousRegion() {
    QWidget window;
    auto* control = new TFormRgn(&window);
    control->SetPicture(MakeTestSkin(0).Pieces[0]);
    control->BuildRegion();
    const QRegion built = control->Region();
    control->setParent(nullptr);  // no window to place the runs in, none to cut
    try {
      control->BuildRegion();
      QFAIL("no error");
    } catch (const ERegionError& e) {
      QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("CreateRectRgnに失敗しました"));
    }
    QCOMPARE(control->Region(), built);
    QVERIFY_THROWS_EXCEPTION(ERegionError, control->ApplyRegion());
    delete control;
  }

  void transparentButtonsLeaveOutTheirKeyColour() {
    THarness h;
    TForm1& f = h.MainWindow();
    QCOMPARE(qAlpha(Ctl<TImageButton>(f, "Image1").DrawnPicture().pixel(0, 0)), 0);
    QCOMPARE(qAlpha(Ctl<TImageButton>(f, "Image1").DrawnPicture().pixel(12, 10)), 255);
    QCOMPARE(qAlpha(Ctl<TImageButton>(f, "Image9").DrawnPicture().pixel(0, 0)), 255);  // drawn opaque
    QCOMPARE(Ctl<TImageButton>(f, "Image1").toolTip(), QStringLiteral("再生"));
    QCOMPARE(Ctl<TImageButton>(f, "Image1").pos(), MakeTestSkin(0).Positions[1]);
  }

  // A drag shows its target and seeks once, on release; the wheel asks for 5 s a notch, half
  // notches adding up; without a length the line takes no click.
  void theProgressLineSeeksOnRelease() {
    TProgressLine line(nullptr);
    line.resize(200, 6);
    line.SetTime(10000, 60000);
    QSignalSpy moved(&line, &TProgressLine::TargetMoved);
    QSignalSpy seek(&line, &TProgressLine::SeekRequested);
    QSignalSpy step(&line, &TProgressLine::StepRequested);
    QTest::mousePress(&line, Qt::LeftButton, {}, QPoint(50, 3));
    QTest::mouseMove(&line, QPoint(150, 3));
    QCOMPARE(line.Shown(), 45000);
    QCOMPARE(moved.size(), 2);
    QVERIFY(seek.isEmpty());
    QTest::mouseRelease(&line, Qt::LeftButton, {}, QPoint(100, 3));
    QCOMPARE(seek.size(), 1);
    QCOMPARE(seek[0][0].toLongLong(), 30000);
    QVERIFY(!line.Dragging());
    Wheel(&line, 60);
    QVERIFY(step.isEmpty());
    Wheel(&line, 60);
    Wheel(&line, -240);
    QCOMPARE(step.size(), 2);
    QCOMPARE(step[0][0].toLongLong(), kSeekStepMs);
    QCOMPARE(step[1][0].toLongLong(), -2 * kSeekStepMs);
    line.SetTime(0, 0);
    QTest::mouseClick(&line, Qt::LeftButton, {}, QPoint(50, 3));
    QCOMPARE(seek.size(), 1);
  }

  // The time text and the progress line sit where the skin's defaults put them; a click on
  // the text switches between time played and time left and is kept; a click on the line, the
  // arrow keys and the wheel seek through the session.
  void theTrackTimeAndItsSeekingInputs() {
    THarness h;
    h.StoreQueue({kMinute}, 0, QStringLiteral("a.vrl"));
    TForm1& f = h.MainWindow();
    TTimeLabel& time = Ctl<TTimeLabel>(f, "TimeLabel");
    TProgressLine& line = Ctl<TProgressLine>(f, "ProgressLine");
    // The test skin has no time lines: under its labels (20, 30, 240 x 14).
    QCOMPARE(time.geometry(), QRect(20, 64, 241, 16));
    QCOMPARE(line.geometry(), QRect(28, 82, 225, 6));
    TPlayerSession& s = f.Session();
    s.mp3().SetAudioDevice("null:1");
    s.StartEntry(0);
    QVERIFY(s.TrackOpen());
    QTest::mouseClick(&time, Qt::LeftButton);
    QCOMPARE(h.Ini().ReadInteger(kKeyTimeRemaining, 0), 1);
    QCOMPARE(time.text(), FormatTrackTime(s.TrackPosition(), s.TrackLength(), true));
    QTest::mouseClick(&time, Qt::LeftButton);
    QCOMPARE(h.Ini().ReadInteger(kKeyTimeRemaining, 1), 0);
    QVERIFY(s.TrackLength() > 0);

    QSignalSpy sought(&s, &TPlayerSession::Sought);
    auto near = [&sought](int i, qint64 ms) { return qAbs(sought[i][0].toLongLong() - ms) < 500; };
    QTest::mouseClick(&line, Qt::LeftButton, {}, QPoint(line.width() / 2, 3));
    QCOMPARE(sought.size(), 1);
    QVERIFY(near(0, s.TrackLength() / 2));
    QCOMPARE(time.text(), FormatTrackTime(s.TrackPosition(), s.TrackLength(), false));
    QTest::keyClick(&f, Qt::Key_Right);
    QTest::keyClick(&f, Qt::Key_Left);
    Wheel(&line, -120);
    QCOMPARE(sought.size(), 4);
    QVERIFY(near(1, sought[0][0].toLongLong() + kSeekStepMs));
    QVERIFY(near(2, sought[1][0].toLongLong() - kSeekStepMs));
    QVERIFY(near(3, sought[2][0].toLongLong() - kSeekStepMs));
    // A stream that cannot seek: play goes on, and nothing says a word.
    s.mp3().OpenStream(new TMPFileStream(kMinute.toStdString()), msoOwned);
    s.mp3().Play();
    f.SeekQuietly(10000);
    QTest::keyClick(&f, Qt::Key_Right);
    QCOMPARE(sought.size(), 4);
    QCOMPARE(s.mp3().Status(), mpsPlaying);
    QVERIFY(h.Errors.isEmpty());
  }

  void draggingSnapsToTheScreenEdges_data() {
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("landed");
    QTest::newRow("9 snaps") << 9 << 0;
    QTest::newRow("10 stays") << 10 << 10;
  }
  void draggingSnapsToTheScreenEdges() {
    QFETCH(int, left);
    QFETCH(int, landed);
    THarness h;
    TForm1& f = h.MainWindow();
    const QRect screen = f.screen()->availableGeometry();
    const QPoint grab(60, 60);  // on FR1, in window coordinates
    auto send = [&](QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
      QMouseEvent e(type, FR1(f).mapFromGlobal(global), global,
                    type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
      QApplication::sendEvent(&FR1(f), &e);
    };
    send(QEvent::MouseButtonPress, f.pos() + grab, Qt::LeftButton);
    send(QEvent::MouseMove, QPoint(screen.x() + left, 300) + grab, Qt::LeftButton);
    QCOMPARE(f.x(), screen.x() + landed);
    QCOMPARE(f.y(), 300);
    send(QEvent::MouseMove, QPoint(400, 300) + grab, Qt::NoButton);  // button released: no move
    QCOMPARE(f.x(), screen.x() + landed);
  }

  void stayOnTopIsToggledAndStored() {
    THarness h;
    TForm1& f = h.MainWindow();
    f.Menu().staytop1->trigger();
    QVERIFY(f.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(f.isVisible());
    QCOMPARE(h.Ini().ReadInteger(kKeyStayTop, 0), 1);
    f.Menu().staytop1->trigger();
    QVERIFY(!(f.windowFlags() & Qt::WindowStaysOnTopHint));
    QCOMPARE(h.Ini().ReadInteger(kKeyStayTop, 1), 0);
  }

  void thePlaylistWindowOpensBesideAndTakesTheStoredName() {
    THarness h;
    h.WriteIni(QStringLiteral("[varo]\nlistfilename=旅.vrl\n"));
    TForm1& f = h.Start();
    f.Menu().L1->trigger();
    QVERIFY(h.W.Form2->isVisible());
    QCOMPARE(h.W.Form2->pos(), QPoint(f.x() + FR1(f).width(), f.y()));
    QCOMPARE(h.W.Form2->combo->currentText(), QStringLiteral("旅.vrl"));
    QVERIFY(!F1::PlaylistPending(f));
    QVERIFY(F1::DeferredSkinDone(f));  // shown before the timer: it loaded its skin itself
    QCOMPARE(Rgb(h.W.Form2->Image1->Picture()), Rgb(MakeTestSkin(0).Pieces[15]));
    f.Menu().L1->trigger();
    QVERIFY(!h.W.Form2->isVisible());
  }

  void thePlaylistAndLyricsWindowsBelongToTheMainWindow() {
    THarness h;
    TForm1& f = h.Start();
    f.SetStayOnTop(true);  // the main window's native window is made anew
    for (QWidget* w : std::initializer_list<QWidget*>{h.W.Form2.get(), h.W.Form5.get()}) {
      w->show();
      QVERIFY(w->isWindow());
      QCOMPARE(w->windowType(), Qt::Tool);  // no taskbar entry of its own
      QVERIFY(w->windowFlags() & Qt::FramelessWindowHint);
      QCOMPARE(w->parentWidget(), &f);
      QCOMPARE(w->windowHandle()->transientParent(), f.windowHandle());
    }
    QTRY_VERIFY(F1::DeferredSkinDone(f));
    QVERIFY(!h.W.Form2->mask().isEmpty());
    QVERIFY(!h.W.Form5->mask().isEmpty());
  }

  void filesGivenAtStartStayWhenThePlaylistWindowFirstOpens() {
    THarness h;
    auto writeVrl = [&h](const QString& name, const QString& track, const QString& title) {
      QFile f(h.Home + u'/' + name);
      f.open(QIODevice::WriteOnly);
      f.write((track + u'\n' + title + QStringLiteral("\n\n\n")).toUtf8());
    };
    const QString stored = h.Track(QStringLiteral("stored.mp2"));
    h.StoreQueue({stored}, 0, QStringLiteral("mine.vrl"));
    writeVrl(QStringLiteral("mine.vrl"), stored, QStringLiteral("Stored"));
    writeVrl(QStringLiteral("other.vrl"), h.Track(QStringLiteral("listed.mp2")), QStringLiteral("Listed"));
    auto titles = [](TForm1& f) {
      QStringList t;
      for (int i = 0; i < f.Session().Queue().QueueCount(); ++i) t << f.Session().Queue().Entry(i).Title;
      return t;
    };
    {
      TForm1& f = h.Start();
      QueueStartFiles(h.W, {h.Track(QStringLiteral("given.mp2"))}, QString());
      h.W.Form2->hide();
      f.Menu().L1->trigger();
      QVERIFY(h.W.Form2->isVisible());
      QCOMPARE(titles(f), (QStringList{"stored.mp2", "given.mp2"}));
    }
    {
      TForm1& f = h.Start();
      QueueStartFiles(h.W, {h.Home + QStringLiteral("/other.vrl")}, QString());
      f.Menu().L1->trigger();
      QCOMPARE(titles(f), QStringList{"Listed"});
      QCOMPARE(h.W.Form2->ListName(), QStringLiteral("other.vrl"));
    }
  }

  // The song menu follows what the queue says: added files and whole lists at once, a move
  // or a delete at the next track start; a saved playlist joins the playlist menu.
  void theMenusFollowTheQueue() {
    THarness h;
    TForm1& f = h.MainWindow();
    TPlaylistService& playlist = f.Session().Playlist();
    playlist.AddFiles({h.Track(QStringLiteral("a.mp2")), h.Track(QStringLiteral("b.mp2"))},
                      TAddPolicy::OpenDialog);
    QCOMPARE(Captions(f.Menu().music1), (QStringList{"&1 a.mp2 [x]", "&2 b.mp2 [ ]"}));
    playlist.DeleteEntry(0);
    QCOMPARE(f.Menu().music1->actions().size(), 2);
    f.Session().StartEntry(0);
    QCOMPARE(Captions(f.Menu().music1), QStringList{"&1 b.mp2 [x]"});
    playlist.SavePlaylist(h.Home + QStringLiteral("/mine.vrl"));
    QCOMPARE(Captions(f.Menu().list1), QStringList{"mine.vrl [ ]"});
    playlist.NewPlaylist();
    QVERIFY(f.Menu().music1->actions().isEmpty());
    f.Menu().list1->actions().first()->trigger();
    QCOMPARE(Captions(f.Menu().music1), QStringList{"&1 b.mp2 [x]"});
    QVERIFY(f.Menu().list1->actions().first()->isChecked());
    QVERIFY(h.Errors.isEmpty());
  }

  void theFirstShowingLoadsTheStoredList() {
    THarness h;
    const QString one = h.Track(QStringLiteral("one.mp3"));
    h.WriteFile(h.Home + QStringLiteral("/旅.vrl"), (one + "\n旅の歌\n\n3\n").toUtf8());
    h.WriteFile(h.Home + QStringLiteral("/a.m3u"), "");
    h.WriteIni(QStringLiteral("[varo]\nlistfilename=旅.vrl\n"));
    TForm1& f = h.Start();
    QCOMPARE(Captions(f.Menu().list1), (QStringList{"旅.vrl [x]", "a.m3u [ ]"}));
    f.TogglePlaylistWindow();
    QCOMPARE(h.W.Form2->RowTitle(1), QStringLiteral("旅の歌"));
    QCOMPARE(h.W.Form2->SpeedCell(1), QStringLiteral("3"));
    QCOMPARE(h.W.Form2->combo->count(), 2);
  }

  void startFilesOrTheDemo() {
    THarness h;
    const QString demoDir = h.Dir.filePath(QStringLiteral("demo"));
    h.Track(QStringLiteral("varo-demo.mp3"), demoDir);
    QFile lyrics(demoDir + QStringLiteral("/varo-demo.txt"));
    lyrics.open(QIODevice::WriteOnly);
    lyrics.write("[00:00.00]la\n");
    lyrics.close();
    {
      TForm1& f = h.Start();
      QueueStartFiles(h.W, {}, demoDir);
      QCOMPARE(f.Session().Queue().QueueCount(), 1);
      QCOMPARE(f.Session().Queue().Entry(0).LyricsFile, lyrics.fileName());
      QCOMPARE(f.Session().mp3().Status(), mpsPlaying);
      QVERIFY(f.Session().LyricsActive());
      QVERIFY(h.W.Form5->isVisible());
      QCOMPARE(h.W.Form5->pos(), QPoint(f.x(), f.y() + FR1(f).height()));
    }
    {  // A home started before: no demo, and an unnamed list keeps nothing.
      TForm1& f = h.Start();
      QueueStartFiles(h.W, {}, demoDir);
      QCOMPARE(f.Session().Queue().QueueCount(), 0);
      QCOMPARE(f.Session().mp3().Status(), mpsStopped);
      QVERIFY(!h.W.Form5->isVisible());
      QCOMPARE(f.Session().Ranking().RankCounts(), QList<int>{1});
    }
    {
      TForm1& f = h.Start();
      QueueStartFiles(h.W, {h.Track(QStringLiteral("given.mp2"))}, demoDir);
      QCOMPARE(f.Session().Queue().QueueCount(), 1);
      QCOMPARE(f.Session().Queue().Entry(0).Title, QStringLiteral("given.mp2"));
      QVERIFY(h.W.Form2->isVisible());
    }
  }
};

QTEST_MAIN(TestMainWindow)
#include "main_window_test.moc"
