// The player session alone, without any window: the one call that starts an entry, with the
// title and artist the engine read when it opened the file, the ranking counted, the song menu
// and the lyrics told, and the lyrics clock set from the entry's own speed; the position kept
// at exit and resumed at start-up; the gapless setting.
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "core/playback/play_queue.h"
#include "core/playback/ranking.h"
#include "core/playback/track_tags.h"
#include "core/playlist/playlist_service.h"
#include "core/session/player_session.h"
#include "core/settings/application_home.h"
#include "formats/settings_file.h"
#include "formats/settings_keys.h"
#include "player/mp3_player.h"

namespace {

const QString kPlain = QStringLiteral(VARO_TEST_DATA "/corpus/layer2/l2_mpeg1_32k_stereo_64_pink.mp2");
const QString kTagged = QStringLiteral(VARO_TEST_DATA "/corpus/tags/tag_id3v24_utf8.mp3");
const QString kMinute = QStringLiteral(VARO_TEST_DATA "/corpus/bench/bench_60s_mpeg1_l3_cbr128_joint.mp3");

// A home whose settings file holds a named list of the minute-long track, current entry
// `index`, and the given extra lines.
QString HomeWithStoredTrack(const QTemporaryDir& dir, int index, const QString& extra) {
  const QString home = dir.filePath(QStringLiteral("home"));
  QDir().mkpath(home);
  QFile f(SettingsFileName(home));
  if (!f.open(QIODevice::WriteOnly)) return home;
  f.write(QStringLiteral("[varo]\nmax=1\nlist1=%1\nlast_music_number=%2\nlistfilename=a.vrl\n%3")
              .arg(kMinute)
              .arg(index)
              .arg(extra)
              .toUtf8());
  return home;
}

}  // namespace

class TestPlayerSession : public QObject {
  Q_OBJECT

 private slots:
  void startEntryIsOneCall() {
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(home));
    TPlayerSession s(home);
    QVERIFY(s.FirstStart());
    s.mp3().SetAudioDevice("null:1");  // long enough to look at
    const QString plain = dir.filePath(QStringLiteral("plain.mp2"));
    QVERIFY(QFile::copy(kPlain, plain));
    int changes = 0;
    connect(&s.Queue(), &TPlayQueue::Changed, this, [&changes] { ++changes; });
    s.Playlist().AppendToQueue(plain);
    s.Playlist().AppendToQueue(kTagged, dir.filePath(QStringLiteral("song.txt")));
    s.Playlist().SetLyricsSpeed(1, QStringLiteral("3"));
    s.Playlist().SetLyricsSpeed(7, QStringLiteral("4"));  // no such entry: nothing
    QCOMPARE(changes, 3);
    QCOMPARE(s.Queue().Entry(1).LyricsSpeed, QStringLiteral("3"));

    QSignalSpy started(&s, &TPlayerSession::TrackStarted);
    QSignalSpy songs(&s, &TPlayerSession::SongListChanged);
    QSignalSpy lyrics(&s, &TPlayerSession::LyricsStarted);
    s.StartEntry(1);
    QCOMPARE(s.Queue().CurrentIndex(), 1);
    QCOMPARE(s.Player().PlayState(), psPlaying);
    QCOMPARE(s.mp3().Status(), mpsPlaying);
    QCOMPARE(QString::fromStdString(s.mp3().FileName()), kTagged);
    // The engine's own open gives what a separate read of the tags gives.
    const TTrackTags tags = ReadTrackTags(kTagged);
    QVERIFY(tags.Title != QStringLiteral("tag_id3v24_utf8.mp3"));
    QCOMPARE(started.size(), 1);
    QCOMPARE(started[0][0].toString(), tags.Title);
    QCOMPARE(started[0][1].toString(), tags.Artist);
    QCOMPARE(s.Ranking().RankTitles(), QStringList{tags.Title});
    QCOMPARE(songs.size(), 1);
    QCOMPARE(lyrics.size(), 1);
    QCOMPARE(lyrics[0][0].toString(), s.Queue().Entry(1).LyricsFile);
    QCOMPARE(lyrics[0][1].toString(), QStringLiteral("3"));
    QVERIFY(s.LyricsActive());

    s.Player().StopCommand();
    QVERIFY(!s.LyricsActive());
    QVERIFY(!s.Timer1().isActive());
  }

  void gaplessIsOnUnlessTheSettingsSayZero() {
    for (const auto& [line, on] :
         {std::pair{"", true}, {"gapless=0\n", false}, {"gapless=1\n", true}, {"gapless=x\n", true}}) {
      QTemporaryDir dir;
      TPlayerSession s(HomeWithStoredTrack(dir, 0, QString::fromLatin1(line)));
      QVERIFY2(s.mp3().Gapless() == on, line);
    }
  }

  // The exit keeps the position beside the queue and the index; start-up seeks there, and a
  // position that is garbled, past the track or another entry's starts from the beginning.
  void theExitPositionIsResumed_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<qint64>("resumed");
    QTest::addColumn<bool>("held");  // the start waits for the first paint
    QTest::newRow("inside the track") << 0 << "30000" << qint64(30000) << false;
    QTest::newRow("inside the track, start held") << 0 << "30000" << qint64(30000) << true;
    QTest::newRow("garbled") << 0 << "3o000" << qint64(0) << false;
    QTest::newRow("past the end") << 0 << "61000" << qint64(0) << false;
    QTest::newRow("negative") << 0 << "-400" << qint64(0) << false;
    QTest::newRow("index past the queue") << 4 << "30000" << qint64(0) << false;
  }
  void theExitPositionIsResumed() {
    QFETCH(int, index);
    QFETCH(QString, stored);
    QFETCH(qint64, resumed);
    QFETCH(bool, held);
    QTemporaryDir dir;
    const QString home =
        HomeWithStoredTrack(dir, index, QStringLiteral("last_music_position=%1\n").arg(stored));
    TPlayerSession s(home);
    s.mp3().SetAudioDevice("null:1");
    if (held) s.HoldStarts();
    s.RestoreState();
    if (held) {
      QVERIFY(!s.TrackOpen());
      s.ReleaseStarts();
    }
    QVERIFY(s.TrackOpen());
    s.StoreQueueState();
    TSettingsFile ini(SettingsFileName(home));
    QCOMPARE(ini.ReadString(ListKey(1), QString()), kMinute);
    QCOMPARE(ini.ReadInteger(kKeyLastMusicNumber, -1), 0);
    const qint64 kept = ini.ReadInteger(kKeyLastMusicPosition, -1);
    QVERIFY2(kept >= 0 && qAbs(kept - s.TrackPosition()) < 500, qPrintable(QString::number(kept)));
    QVERIFY(s.TrackLength() > 0);
    QVERIFY2(qAbs(kept - resumed) < 1000, qPrintable(QString::number(kept)));
  }
};

QTEST_GUILESS_MAIN(TestPlayerSession)
#include "player_session_test.moc"
