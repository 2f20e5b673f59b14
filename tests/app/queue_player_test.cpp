// The queue played through the real engine on the null sound device: what each transport
// command and each play mode does when tracks end, are switched, paused or stopped, and the
// entry the engine is told to follow on with gaplessly.
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "core/playback/engine_host.h"
#include "core/playback/queue_player.h"
#include "player/mp3_player.h"

namespace {

// 1.5 seconds of Layer II audio without tags: its title is its file name.
const QString kTrack = QStringLiteral(VARO_TEST_DATA "/corpus/layer2/l2_mpeg1_32k_stereo_64_pink.mp2");
const QString kMinute = QStringLiteral(VARO_TEST_DATA "/corpus/bench/bench_60s_mpeg1_l3_cbr128_joint.mp3");

struct TRecordingHost : TQueuePlayerHost {
  QStringList Shown;    // titles, in the order tracks started
  QStringList Counted;  // CountPlay titles
  QStringList Lyrics;   // lyrics files started
  int SongMenus = 0, Dropped = 0, Stopped = 0, Paused = 0, Resumed = 0;

  void ShowTrack(const QString& title, const QString&) override { Shown << title; }
  void CountPlay(const QString& title) override { Counted << title; }
  void BuildSongMenu() override { ++SongMenus; }
  void StartEntryLyrics(const QString& file) override { Lyrics << file; }
  void DropLyrics() override { ++Dropped; }
  void StopLyrics() override { ++Stopped; }
  void PauseLyrics() override { ++Paused; }
  void ResumeLyrics() override { ++Resumed; }
};

}  // namespace

class TestQueuePlayer : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QVERIFY(FDir.isValid());
    for (const char* name : {"a", "b", "c", "d", "e"}) {
      const QString path = FDir.filePath(QString::fromLatin1(name) + QStringLiteral(".mp2"));
      QVERIFY(QFile::copy(kTrack, path));
      FFiles << path;
    }
    for (const char* name : {"m1.mp3", "m2.mp3"}) {
      FMinutes << FDir.filePath(QString::fromLatin1(name));
      QVERIFY(QFile::copy(kMinute, FMinutes.back()));
    }
    FNotAudio = FDir.filePath(QStringLiteral("notes.mp3"));
    QFile f(FNotAudio);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(5000, 'x'));
  }

  void init() {
    FEngine = std::make_unique<TMP3Player>();
    ApplyMainPlayerSettings(*FEngine);
    FPump = std::make_unique<TEngineMessagePump>(*FEngine);
    FHost = std::make_unique<TRecordingHost>();
    FQueue = std::make_unique<TPlayQueue>();
    FPlayer = std::make_unique<TQueuePlayer>(*FEngine, *FQueue, *FHost);
  }

  void cleanup() {
    FPlayer.reset();
    FQueue.reset();
    FPump.reset();
    FEngine.reset();
    FHost.reset();
  }

  void repeatAllWrapsFromTheLastEntryToTheFirst() {
    Fill(3);
    StartAt(2);
    // Gapless, the fast null device goes through a track every few ticks: look at the start.
    QTRY_VERIFY_WITH_TIMEOUT(FHost->Shown.size() >= 2, 5000);
    QCOMPARE(FHost->Shown.mid(0, 2), (QStringList{"c.mp2", "a.mp2"}));
    QCOMPARE(FQueue->CurrentIndex(), (FHost->Shown.size() + 1) % 3);
  }

  void previousAndNextWrapAround() {
    Slow();
    Fill(5);
    StartAt(0);
    FPlayer->PreviousCommand();
    QCOMPARE(FQueue->CurrentIndex(), 4);
    QCOMPARE(FHost->Shown.last(), QStringLiteral("e.mp2"));
    FPlayer->NextCommand();
    QCOMPARE(FQueue->CurrentIndex(), 0);
    QCOMPARE(FHost->Shown.last(), QStringLiteral("a.mp2"));
    QCOMPARE(FEngine->Status(), mpsPlaying);
  }

  void repeatOneReplaysAndCountsEveryTime() {
    Fill(2);
    FPlayer->SetPlayMode(pmRepeatOne);
    StartAt(1);
    QTRY_VERIFY_WITH_TIMEOUT(FHost->Counted.size() >= 3, 5000);
    for (const QString& title : FHost->Counted) QCOMPARE(title, QStringLiteral("b.mp2"));
    QCOMPARE(FQueue->CurrentIndex(), 1);
  }

  // The stop inside the switch reports an end; it must not move the queue a second time.
  void nextWhilePlayingAdvancesOnce() {
    Slow();
    Fill(3);
    StartAt(0);
    FPlayer->NextCommand();
    QCOMPARE(FPlayer->PlayState(), psSwitching);
    QTRY_COMPARE_WITH_TIMEOUT(FPlayer->PlayState(), psPlaying, 5000);  // the report arrived
    QTest::qWait(50);
    QCOMPARE(FQueue->CurrentIndex(), 1);
    QCOMPARE(FHost->Shown, (QStringList{"a.mp2", "b.mp2"}));
    QCOMPARE(FEngine->Status(), mpsPlaying);
  }

  // Nothing plays after stop, so no end report can come: the next track must not wait for
  // one, and the queue goes on after it.
  void nextAfterStopKeepsTheQueueGoing() {
    Fill(3);
    FPlayer->SetPlayMode(pmRepeatAll);
    StartAt(0);
    FPlayer->StopCommand();
    QCOMPARE(FHost->Stopped, 1);
    QTRY_COMPARE_WITH_TIMEOUT(FPlayer->PlayState(), psStopped, 5000);
    QTest::qWait(20);  // the stop's own report is ignored
    FPlayer->NextCommand();
    QCOMPARE(FPlayer->PlayState(), psPlaying);
    QTRY_VERIFY_WITH_TIMEOUT(FHost->Shown.size() >= 3, 5000);
    QCOMPARE(FHost->Shown.mid(0, 3), (QStringList{"a.mp2", "b.mp2", "c.mp2"}));
  }

  void playAfterTheQueueShrankStartsAtItsFirstEntry() {
    Fill(3);
    FQueue->SetCurrentIndex(7);  // left from a longer list
    FPlayer->PlayCommand();
    QCOMPARE(FQueue->CurrentIndex(), 0);
    QCOMPARE(FEngine->Status(), mpsPlaying);
    QCOMPARE(FHost->Shown, QStringList{"a.mp2"});
  }

  void pauseThenNextPlaysTheNewTrack() {
    Slow();
    Fill(3);
    StartAt(0);
    FPlayer->PauseCommand();
    QCOMPARE(FEngine->Status(), mpsPaused);
    QCOMPARE(FPlayer->PlayState(), psPaused);
    QCOMPARE(FHost->Paused, 1);
    FPlayer->NextCommand();
    QTRY_COMPARE_WITH_TIMEOUT(FPlayer->PlayState(), psPlaying, 5000);
    QTest::qWait(50);
    QCOMPARE(FEngine->Status(), mpsPlaying);
    QCOMPARE(QString::fromStdString(FEngine->FileName()), FFiles[1]);
    QCOMPARE(FHost->Shown, (QStringList{"a.mp2", "b.mp2"}));
  }

  void pauseAndResume() {
    Slow();
    Fill(1);
    StartAt(0);
    FPlayer->PauseCommand();
    QCOMPARE(FEngine->Status(), mpsPaused);
    QCOMPARE(FHost->Resumed, 0);
    FPlayer->PauseCommand();
    QCOMPARE(FEngine->Status(), mpsPlaying);
    QCOMPARE(FPlayer->PlayState(), psPlaying);
    QCOMPARE(FHost->Resumed, 1);  // the lyrics go on with the music
    FPlayer->StopCommand();
    FPlayer->PauseCommand();  // stopped: nothing to pause
    QCOMPARE(FPlayer->PlayState(), psStopped);
    QCOMPARE(FEngine->Status(), mpsStopped);
  }

  // Four entries, a short intro: 0, 1, 2, 3, 0 ... in turn; stop does not end the cycle.
  void introModeCyclesThroughTheQueue() {
    Slow();
    Fill(4);
    FPlayer->SetIntroInterval(120);
    FQueue->SetCurrentIndex(2);
    FPlayer->ChoosePlayMode(pmIntro);
    QCOMPARE(FQueue->CurrentIndex(), 0);
    QVERIFY(FPlayer->IntroRunning());
    QTRY_VERIFY_WITH_TIMEOUT(FHost->Shown.size() >= 2, 5000);
    FPlayer->StopCommand();
    QTRY_VERIFY_WITH_TIMEOUT(FHost->Shown.size() >= 6, 5000);
    QCOMPARE(FHost->Shown.mid(0, 6), (QStringList{"a.mp2", "b.mp2", "c.mp2", "d.mp2", "a.mp2", "b.mp2"}));
  }

  void choosingRepeatAllEndsTheIntroCycle() {
    Fill(3);
    FPlayer->SetIntroInterval(60000);
    FPlayer->ChoosePlayMode(pmIntro);
    FPlayer->ChoosePlayMode(pmRepeatAll);
    QVERIFY(!FPlayer->IntroRunning());
    QTRY_VERIFY_WITH_TIMEOUT(FHost->Shown.size() >= 2, 5000);  // the track ends, the queue goes on
    QCOMPARE(FHost->Shown.mid(0, 2), (QStringList{"a.mp2", "b.mp2"}));
  }

  void nextAndPreviousOnAnEmptyQueueChangeNothing() {
    const TPlayState before = FPlayer->PlayState();
    FPlayer->NextCommand();
    FPlayer->PreviousCommand();
    QCOMPARE(FPlayer->PlayState(), before);
    QCOMPARE(FQueue->CurrentIndex(), 0);
    QVERIFY(FHost->Shown.isEmpty());
  }

  void introModeWithAnEmptyQueueStartsNothing() {
    FPlayer->ChoosePlayMode(pmIntro);
    QVERIFY(!FPlayer->IntroRunning());
    QCOMPARE(FPlayer->PlayMode(), int(pmIntro));
  }

  void randomModeStaysInsideTheQueue() {
    Fill(3);
    FPlayer->SetPlayMode(pmRandom);
    StartAt(0);
    QTRY_VERIFY_WITH_TIMEOUT(FHost->Shown.size() >= 6, 10000);
    for (const QString& title : FHost->Shown)
      QVERIFY2(QStringList({"a.mp2", "b.mp2", "c.mp2"}).contains(title), qPrintable(title));
  }

  void failuresEndPlayEntryQuietly() {
    // An end of play with an empty queue asks for entry 0, which does not exist.
    FPlayer->StartEntry(0);
    QCOMPARE(FPlayer->PlayState(), psPlaying);
    FPlayer->mp3EndPlay();
    QVERIFY(FHost->Shown.isEmpty());
    // A file that is no MPEG audio: labels and menus keep what they had.
    Append(FNotAudio);
    FPlayer->PlayEntry(0);
    FPlayer->PlayEntry(-3);
    FPlayer->PlayEntry(400);
    QVERIFY(FHost->Shown.isEmpty());
    QCOMPARE(FHost->SongMenus, 0);
    QCOMPARE(FEngine->Status(), mpsStopped);
  }

  void theEntrysLyricsStartOrTheWindowCloses() {
    Slow();
    Fill(2);
    FQueue->SetLyrics(1, QStringLiteral("/lyrics/b.txt"), QString());
    StartAt(0);
    QCOMPARE(FHost->Dropped, 1);
    FPlayer->NextCommand();
    QCOMPARE(FHost->Lyrics, QStringList{QStringLiteral("/lyrics/b.txt")});
    QCOMPARE(FHost->SongMenus, 2);
    QCOMPARE(FHost->Counted, (QStringList{"a.mp2", "b.mp2"}));
  }

  // The follow-on (the play-mode rule's entry) changes with the queue as soon as it says so,
  // and with the mode, and goes with stop and with gapless off.
  void theFollowOnIsKeptCurrent() {
    Slow();
    Fill(3);
    StartAt(2);
    QCOMPARE(NextFile(), FFiles[0]);
    Append(FFiles[3]);
    QCOMPARE(NextFile(), FFiles[3]);
    FQueue->Move(3, 0);
    QCOMPARE(NextFile(), FFiles[2]);  // the current index stays: entry 3 is c now
    FQueue->Remove(0);
    QCOMPARE(NextFile(), FFiles[0]);
    FPlayer->ChoosePlayMode(pmRepeatOne);
    QCOMPARE(NextFile(), FFiles[2]);
    FEngine->SetGapless(false);
    FPlayer->UpdateNextFile();
    QCOMPARE(NextFile(), QString());
    FEngine->SetGapless(true);
    FPlayer->UpdateNextFile();
    QCOMPARE(NextFile(), FFiles[2]);
    FPlayer->StopCommand();
    QCOMPARE(NextFile(), QString());
    Append(FFiles[4]);  // a change of the queue after the stop must not bring it back
    QCOMPARE(NextFile(), QString());
  }

  // Random mode draws the follow-on once per track; the end of the track takes that draw too.
  void theRandomDrawIsKeptUntilTheTrackEnds() {
    Slow();
    Fill(5);
    FPlayer->SetPlayMode(pmRandom);
    StartAt(0);
    const int drawn = FPlayer->NextIndex();
    QVERIFY(drawn >= 0 && drawn < 5);
    for (int i = 0; i < 20; ++i) FPlayer->UpdateNextFile();
    QCOMPARE(FPlayer->NextIndex(), drawn);
    QCOMPARE(NextFile(), FFiles[drawn]);
    FPlayer->mp3EndPlay();  // as when the engine could not go on into it
    QCOMPARE(FQueue->CurrentIndex(), drawn);
  }

  // Through the engine: gapless, the queue goes on without a single end report, each entry
  // announced as a started track (title, count, song menu, its lyrics); with gapless off, by
  // the end-of-track path as before. Both ways look the same to the host. (Minute-long
  // tracks: the follow-on after a change is told when the new track is heard, so a track that
  // fits the output buffers whole ends before it can be told and goes on by the end path.)
  void theQueueGoesOnGaplessOrByTheEndOfEachTrack() {
    for (const bool gapless : {true, false}) {
      cleanup();
      init();
      FEngine->SetAudioDevice("null:100");
      FEngine->SetGapless(gapless);
      int ends = 0;
      FEngine->OnEndPlay = [this, &ends](TMP3Player&, TMP3EndPlayReason) {
        ++ends;
        FPlayer->mp3EndPlay();
      };
      for (const QString& file : FMinutes) Append(file);
      FQueue->SetLyrics(1, QStringLiteral("/lyrics/m2.txt"), QString());
      StartAt(0);
      QTRY_VERIFY_WITH_TIMEOUT(FHost->Shown.size() >= 3, 10000);
      QCOMPARE(FHost->Shown.mid(0, 3), (QStringList{"m1.mp3", "m2.mp3", "m1.mp3"}));
      QCOMPARE(FHost->Counted.mid(0, 3), FHost->Shown.mid(0, 3));
      QCOMPARE(FHost->Lyrics.value(0), QStringLiteral("/lyrics/m2.txt"));
      QVERIFY(FHost->SongMenus >= 3 && FHost->Dropped >= 2);
      QVERIFY2((ends == 0) == gapless, qPrintable(QString::number(ends)));
      FPlayer->StopCommand();
    }
  }

 private:
  void Append(const QString& file) { FQueue->Append({file, {}, QFileInfo(file).fileName(), {}}); }
  void Fill(int count) {
    for (int i = 0; i < count; ++i) Append(FFiles[i]);
  }
  void StartAt(int index) {
    FPlayer->StartEntry(index);
    QCOMPARE(FEngine->Status(), mpsPlaying);
  }
  QString NextFile() const { return QString::fromStdString(FEngine->NextFileName()); }
  // Tracks long enough that a test acts before they end.
  void Slow() { FEngine->SetAudioDevice("null:1"); }

  QTemporaryDir FDir;
  QStringList FFiles;
  QStringList FMinutes;  // minute-long tracks
  QString FNotAudio;
  std::unique_ptr<TMP3Player> FEngine;
  std::unique_ptr<TEngineMessagePump> FPump;
  std::unique_ptr<TRecordingHost> FHost;
  std::unique_ptr<TPlayQueue> FQueue;
  std::unique_ptr<TQueuePlayer> FPlayer;
};

QTEST_GUILESS_MAIN(TestQueuePlayer)
#include "queue_player_test.moc"
