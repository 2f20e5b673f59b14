// The program itself, started offscreen with a temporary home: a SIGTERM or SIGHUP ends it
// as the session closing its window does, with the queue, index and position written.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

#include "core/settings/application_home.h"
#include "formats/settings_file.h"
#include "formats/settings_keys.h"
#include "skin_fixture.h"

class TestExitSignals : public QObject {
  Q_OBJECT

 private slots:
  void aSignalWritesTheExitState_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGHUP") << SIGHUP;
  }
  void aSignalWritesTheExitState() {
    QFETCH(int, signal);
    QTemporaryDir dir;
    const QString home = dir.filePath(QStringLiteral("home"));
    WriteTestSkin(SkinDir(home), QStringLiteral("default"), MakeTestSkin(0));
    const QString track = dir.filePath(QStringLiteral("a.mp2"));
    QVERIFY(
        QFile::copy(QStringLiteral(VARO_TEST_DATA "/corpus/layer2/l2_mpeg1_32k_stereo_64_pink.mp2"), track));
    QProcess varo;
    varo.setProcessChannelMode(QProcess::ForwardedChannels);
    varo.start(QStringLiteral(VARO_EXECUTABLE), {QStringLiteral("--home"), home, track});
    QVERIFY(varo.waitForStarted());
    const TSettingsFile ini(SettingsFileName(home));
    // The given track has started (and was counted): the program is past its start-up.
    QTRY_VERIFY_WITH_TIMEOUT(ini.ReadInteger(kKeyRankCount, 0) == 1, 60000);
    QVERIFY(!ini.KeyExists(kKeyMax));
    QCOMPARE(::kill(static_cast<pid_t>(varo.processId()), signal), 0);
    QVERIFY(varo.waitForFinished(60000));
    QCOMPARE(varo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(ini.ReadInteger(kKeyMax, 0), 1);
    QCOMPARE(ini.ReadString(ListKey(1), QString()), track);
    QCOMPARE(ini.ReadInteger(kKeyLastMusicNumber, -1), 0);
    QVERIFY(ini.KeyExists(kKeyWindowX));
  }
};

QTEST_GUILESS_MAIN(TestExitSignals)
#include "exit_signals_test.moc"
