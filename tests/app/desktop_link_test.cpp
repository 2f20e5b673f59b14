// The desktop's ways in without a bus or a window: one player per home with the hand-over of
// a later start (files, --enqueue, the activation token), the leftovers of a crash, and the
// media controls' play-mode and state mapping over a session.
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <future>

#include "core/platform/mpris_service.h"
#include "core/platform/single_instance.h"
#include "core/playlist/playlist_service.h"
#include "core/session/player_session.h"
#include "player/mp3_player.h"

namespace {

const QString kTrack = QStringLiteral(VARO_TEST_DATA "/corpus/layer2/l2_mpeg1_32k_stereo_64_pink.mp2");

THandOverResult HandOverWhileServing(const QString& home, const THandOver& h) {
  // The running side answers from the event loop, so the later start runs beside it.
  auto later = std::async(std::launch::async, [&] { return HandOverToRunningInstance(home, h); });
  while (later.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return later.get();
}

// What a crash leaves: a socket file nobody listens on.
void LeaveSocket(const QString& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const QByteArray name = QFile::encodeName(path);
  std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
  QCOMPARE(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
  ::close(fd);
}

}  // namespace

class TestDesktopLink : public QObject {
  Q_OBJECT

 private slots:
  void oneInstancePerHomeTakesHandOvers() {
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home"));
    const QString other = dir.filePath(QStringLiteral("other"));
    QCOMPARE(HandOverToRunningInstance(home, {}), THandOverResult::NoInstance);
    TSingleInstance first(home);
    QVERIFY(first.Claim());
    TSingleInstance second(home);
    QVERIFY(!second.Claim());
    TSingleInstance elsewhere(other);
    QVERIFY(elsewhere.Claim());

    QSignalSpy handed(&first, &TSingleInstance::HandedOver);
    first.HoldHandOvers();  // answered at once, announced on release
    QCOMPARE(HandOverWhileServing(home, {{QStringLiteral("/early.mp3")}, false, QString()}),
             THandOverResult::Done);
    QCOMPARE(handed.size(), 0);
    first.ReleaseHandOvers();
    QCOMPARE(handed.size(), 1);
    QCOMPARE(handed.takeFirst()[0].toStringList(), QStringList{QStringLiteral("/early.mp3")});
    const QStringList files{QStringLiteral("/music/一曲目.mp3"), QStringLiteral("/music/with\nnewline.mp3")};
    QCOMPARE(HandOverWhileServing(home, {files, true, QStringLiteral("token-1")}), THandOverResult::Done);
    QCOMPARE(HandOverWhileServing(home, {{}, false, QString()}), THandOverResult::Done);
    QCOMPARE(handed.size(), 2);
    QCOMPARE(handed[0][0].toStringList(), files);
    QCOMPARE(handed[0][1].toBool(), true);
    QCOMPARE(handed[0][2].toString(), QStringLiteral("token-1"));
    QCOMPARE(handed[1][0].toStringList(), QStringList());
    QCOMPARE(handed[1][1].toBool(), false);
  }

  void crashLeftoversDoNotBlock() {
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home"));
    const QString socket = InstanceSocketPath(home);
    LeaveSocket(socket);
    QVERIFY(QFile::exists(socket));
    QCOMPARE(HandOverToRunningInstance(home, {}), THandOverResult::NoInstance);
    {
      // A lock whose process is gone: written by a child that has ended.
      QFile lock(socket.chopped(7) + QStringLiteral(".lock"));
      QVERIFY(lock.open(QIODevice::WriteOnly));
      const pid_t child = ::fork();
      if (child == 0) ::_exit(0);
      QVERIFY(child > 0);
      QVERIFY(::waitpid(child, nullptr, 0) == child);
      lock.write(QByteArray::number(child) + "\ndesktop_link_test\n" + QSysInfo::machineHostName().toUtf8() +
                 "\n");
    }
    TSingleInstance instance(home);
    QVERIFY(instance.Claim());
    QSignalSpy handed(&instance, &TSingleInstance::HandedOver);
    QCOMPARE(HandOverWhileServing(home, {{QStringLiteral("/a.mp3")}, false, QString()}),
             THandOverResult::Done);
    QCOMPARE(handed.size(), 1);
  }

  void mediaControlsFollowTheSession() {
    QTemporaryDir dir;
    TPlayerSession s(dir.path());
    s.mp3().SetAudioDevice("null:1");
    TMprisService mpris(s);
    QSignalSpy modes(&mpris, &TMprisService::PlayModeRequested);
    s.ChoosePlayMode(pmRepeatAll);
    QCOMPARE(mpris.LoopStatus(), QStringLiteral("Playlist"));
    mpris.SetLoopStatus(QStringLiteral("None"));  // no such mode: nothing asked
    mpris.SetShuffle(true);
    s.ChoosePlayMode(pmRepeatOne);
    QCOMPARE(mpris.LoopStatus(), QStringLiteral("Track"));
    mpris.SetLoopStatus(QStringLiteral("Playlist"));
    QCOMPARE(modes.size(), 2);
    QCOMPARE(modes[0][0].toInt(), int(pmRandom));
    QCOMPARE(modes[1][0].toInt(), int(pmRepeatAll));

    QCOMPARE(mpris.PlaybackStatus(), QStringLiteral("Stopped"));
    QVERIFY(!mpris.CanPlay());
    mpris.Play();  // an empty queue: nothing
    s.Playlist().AppendToQueue(kTrack);
    mpris.PlayPause();
    QCOMPARE(mpris.PlaybackStatus(), QStringLiteral("Playing"));
    mpris.Play();  // playing already: not restarted
    QCOMPARE(s.Player().PlayState(), psPlaying);
    mpris.Pause();
    QCOMPARE(mpris.PlaybackStatus(), QStringLiteral("Paused"));
    QCOMPARE(s.mp3().Status(), mpsPaused);
    mpris.Play();  // resumes
    QCOMPARE(s.mp3().Status(), mpsPlaying);
    QCOMPARE(mpris.Metadata().value(QStringLiteral("xesam:url")).toString(),
             QUrl::fromLocalFile(kTrack).toString());
    mpris.Stop();
    QCOMPARE(mpris.PlaybackStatus(), QStringLiteral("Stopped"));
    mpris.SetVolume(0.5);
    QCOMPARE(s.mp3().Volume(), 50);
  }
};

QTEST_GUILESS_MAIN(TestDesktopLink)
#include "desktop_link_test.moc"
