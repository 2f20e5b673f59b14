// Which folder becomes the application home, and what a first start puts into it.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "core/settings/application_home.h"
#include "skin_fixture.h"

class TestApplicationHome : public QObject {
  Q_OBJECT

 private slots:
  void choosingTheHome() {
    QTemporaryDir tmp;
    const QString exe = tmp.filePath(QStringLiteral("bin"));
    QDir().mkpath(exe);
    THomeCandidates c;
    c.ExecutableDir = exe;
    c.UserHome = tmp.filePath(QStringLiteral("user"));
    QCOMPARE(ChooseApplicationHome(c), tmp.filePath(QStringLiteral("user/.local/share/varo")));
    c.XdgDataHome = QStringLiteral("relative/is/ignored");
    QCOMPARE(ChooseApplicationHome(c), tmp.filePath(QStringLiteral("user/.local/share/varo")));
    c.XdgDataHome = tmp.filePath(QStringLiteral("xdg"));
    QCOMPARE(ChooseApplicationHome(c), tmp.filePath(QStringLiteral("xdg/varo")));
    // Portable use: the executable's folder holds the standard skin.
    WriteTestSkin(exe + QStringLiteral("/skin"), QStringLiteral("default"), MakeTestSkin(0));
    QCOMPARE(ChooseApplicationHome(c), exe);
    c.Environment = tmp.filePath(QStringLiteral("env"));
    QCOMPARE(ChooseApplicationHome(c), tmp.filePath(QStringLiteral("env")));
    c.CommandLine = tmp.filePath(QStringLiteral("cli"));
    QCOMPARE(ChooseApplicationHome(c), tmp.filePath(QStringLiteral("cli")));
  }

  void theFirstStartCopiesTheInstalledSkins() {
    QTemporaryDir tmp;
    const QString data = tmp.filePath(QStringLiteral("share"));
    WriteTestSkin(data + QStringLiteral("/skins"), QStringLiteral("default"), MakeTestSkin(0));
    WriteTestSkin(data + QStringLiteral("/skins"), QStringLiteral("night"), MakeTestSkin(1));
    const QString home = tmp.filePath(QStringLiteral("deep/home"));
    PrepareApplicationHome(home, data);
    QCOMPARE(QDir(SkinDir(home)).entryList(QDir::Files),
             (QStringList{"default.bmp", "default.txt", "night.bmp", "night.txt"}));
    // Later starts leave the user's skin folder alone, also what was deleted from it.
    QFile::remove(SkinDir(home) + QStringLiteral("/night.bmp"));
    PrepareApplicationHome(home, data);
    QVERIFY(!QFile::exists(SkinDir(home) + QStringLiteral("/night.bmp")));
    QVERIFY(!QFile::exists(SettingsFileName(home)));
  }

  // A first start cut short while copying left only a part of the skins, under another
  // name: the next start copies them all and keeps nothing of the part.
  void aCopyCutShortIsDoneAgainWhole() {
    QTemporaryDir tmp;
    const QString data = tmp.filePath(QStringLiteral("share"));
    WriteTestSkin(data + QStringLiteral("/skins"), QStringLiteral("default"), MakeTestSkin(0));
    const QString home = tmp.filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(SkinDir(home) + QStringLiteral(".partial")));
    QFile::copy(data + QStringLiteral("/skins/default.txt"),
                SkinDir(home) + QStringLiteral(".partial/default.txt"));
    QVERIFY(!QFileInfo::exists(SkinDir(home)));
    PrepareApplicationHome(home, data);
    QCOMPARE(QDir(SkinDir(home)).entryList(QDir::Files), (QStringList{"default.bmp", "default.txt"}));
    QVERIFY(!QFileInfo::exists(SkinDir(home) + QStringLiteral(".partial")));
  }
};

QTEST_GUILESS_MAIN(TestApplicationHome)
#include "application_home_test.moc"
