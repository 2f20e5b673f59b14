// The player session alone, without any window: the one call that starts an entry, with the
// title and artist the engine read when it opened the file, the ranking counted, the song menu
// and the lyrics told, and the lyrics clock set from the entry's own speed.
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "core/playback/ranking.h"
#include "core/playback/track_tags.h"
#include "core/session/player_session.h"
#include "player/mp3_player.h"

namespace {

const QString kPlain = QStringLiteral(VARO_TEST_DATA "/corpus/layer2/l2_mpeg1_32k_stereo_64_pink.mp2");
const QString kTagged = QStringLiteral(VARO_TEST_DATA "/corpus/tags/tag_id3v24_utf8.mp3");

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
    QSignalSpy appended(&s, &TPlayerSession::EntryAppended);
    s.AppendToQueue(plain);
    s.AppendToQueue(kTagged);
    QCOMPARE(appended.size(), 2);
    QCOMPARE(appended[1][0].toInt(), 1);
    s.Queue().Slot(1).LyricsFile = dir.filePath(QStringLiteral("song.txt"));
    QSignalSpy changed(&s, &TPlayerSession::EntryChanged);
    s.SetLyricsSpeed(1, QStringLiteral("3"));
    s.SetLyricsSpeed(7, QStringLiteral("4"));  // no such entry: nothing
    QCOMPARE(changed.size(), 1);
    QCOMPARE(s.Queue().Entry(1).LyricsSpeed, QStringLiteral("3"));

    QSignalSpy started(&s, &TPlayerSession::TrackStarted);
    QSignalSpy songs(&s, &TPlayerSession::SongListChanged);
    QSignalSpy lyrics(&s, &TPlayerSession::LyricsStarted);
    s.StartEntry(1);
    QCOMPARE(s.Queue().CurrentIndex, 1);
    QCOMPARE(s.Player().PlayState, psPlaying);
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
    QVERIFY(s.LyricsActive);

    s.Player().StopCommand();
    QVERIFY(!s.LyricsActive);
    QVERIFY(!s.Timer1.isActive());
  }
};

QTEST_GUILESS_MAIN(TestPlayerSession)
#include "player_session_test.moc"
