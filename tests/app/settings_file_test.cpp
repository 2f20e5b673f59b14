// varo.ini: reading, writing, atomic replacement, and the queue's part of the exit sequence.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "core/playback/play_queue.h"
#include "core/playback/queue_restore.h"
#include "formats/settings_file.h"
#include "formats/settings_keys.h"

namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  QVERIFY(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}

ino_t Inode(const QString& path) {
  struct stat st {};
  return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

}  // namespace

class TestSettingsFile : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    QVERIFY(FDir.isValid());
    FPath = FDir.filePath(QStringLiteral("varo.ini"));
    QFile::remove(FPath);
  }

  void missingFileReadsDefaults() {
    const TSettingsFile ini(FPath);
    QCOMPARE(ini.ReadString(kKeySkin, QStringLiteral("default")), QStringLiteral("default"));
    QCOMPARE(ini.ReadInteger(kKeyRepeat, 2), 2);
    QVERIFY(!QFile::exists(FPath));  // reading never creates the file
  }

  void integersThatAreNotNumbersReadAsDefault_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("number") << QByteArray("42") << 42;
    QTest::newRow("negative") << QByteArray("-7") << -7;
    QTest::newRow("blanks") << QByteArray("  12  ") << 12;
    QTest::newRow("empty") << QByteArray("") << 5;
    QTest::newRow("letters") << QByteArray("abc") << 5;
    QTest::newRow("trailing junk") << QByteArray("12abc") << 5;
    QTest::newRow("too large") << QByteArray("99999999999") << 5;
    QTest::newRow("fraction") << QByteArray("1.5") << 5;
  }
  void integersThatAreNotNumbersReadAsDefault() {
    QFETCH(QByteArray, text);
    QFETCH(int, expected);
    WriteAll(FPath, "[varo]\nmax=" + text + "\n");
    QCOMPARE(TSettingsFile(FPath).ReadInteger(kKeyMax, 5), expected);
  }

  void keysIgnoreCaseAndOtherSectionsAndLinesAreKept() {
    WriteAll(FPath,
             "; written by hand\r\n[other]\r\nskin=not this one\r\n\r\n[VARO]\r\nSkin = blue \r\n"
             "odd line without equals\r\nrepeat=3\r\n\r\n[tail]\r\nx=1\r\n");
    TSettingsFile ini(FPath);
    QCOMPARE(ini.ReadString(QStringLiteral("SKIN"), QString()), QStringLiteral("blue"));
    ini.WriteInteger(kKeyRepeat, 4);
    ini.WriteString(kKeyListFileName, QStringLiteral("旅.vrl"));
    const QString text = QString::fromUtf8(ReadAll(FPath));
    QVERIFY(text.contains(QStringLiteral("; written by hand\n")));
    QVERIFY(text.contains(QStringLiteral("[other]\nskin=not this one\n")));
    QVERIFY(text.contains(QStringLiteral("Skin = blue \n")));  // untouched lines stay as written
    QVERIFY(text.contains(QStringLiteral("odd line without equals\nrepeat=4\nlistfilename=旅.vrl\n")));
    QVERIFY(text.contains(QStringLiteral("[tail]\nx=1\n")));
    QCOMPARE(TSettingsFile(FPath).ReadString(kKeyListFileName, QString()), QStringLiteral("旅.vrl"));
  }

  void valuesSurviveTheRoundTrip_data() {
    QTest::addColumn<QString>("value");
    QTest::newRow("plain") << QStringLiteral("/home/u/music/a.mp3");
    QTest::newRow("japanese") << QStringLiteral("再生リスト");
    QTest::newRow("equals inside") << QStringLiteral("a=b=c");
    QTest::newRow("blanks at the ends") << QStringLiteral("  spaced title  ");
    QTest::newRow("quoted") << QStringLiteral("\"quoted\"");
    QTest::newRow("empty") << QString();
  }
  void valuesSurviveTheRoundTrip() {
    QFETCH(QString, value);
    TSettingsFile(FPath).WriteString(QStringLiteral("list1"), value);
    QCOMPARE(TSettingsFile(FPath).ReadString(QStringLiteral("list1"), QStringLiteral("x")), value);
  }

  void aLineBreakCannotInjectKeys() {
    TSettingsFile ini(FPath);
    ini.WriteString(QStringLiteral("rank_list1"), QStringLiteral("evil\nmax=999"));
    QCOMPARE(ini.ReadInteger(kKeyMax, 0), 0);
    QCOMPARE(TSettingsFile(FPath).ReadString(QStringLiteral("rank_list1"), QString()),
             QStringLiteral("evil max=999"));
  }

  void everyWriteReplacesTheFileAtOnce() {
    TSettingsFile ini(FPath);
    ini.WriteString(kKeySkin, QStringLiteral("a"));
    const ino_t first = Inode(FPath);
    QVERIFY(first != 0);
    QVERIFY(ReadAll(FPath).contains("skin=a"));
    ini.WriteString(kKeySkin, QStringLiteral("b"));
    QVERIFY(Inode(FPath) != first);  // a new file renamed over the old one
    QVERIFY(ReadAll(FPath).contains("skin=b"));
    QCOMPARE(QDir(FDir.path()).entryList(QDir::Files), QStringList{QStringLiteral("varo.ini")});
  }

  void changesMadeByOthersAreSeen() {
    TSettingsFile ini(FPath);
    ini.WriteInteger(kKeyRepeat, 1);
    WriteAll(FPath, "[varo]\nrepeat=3\nmax=7\n");
    QCOMPARE(ini.ReadInteger(kKeyRepeat, 0), 3);
    ini.WriteInteger(kKeyStayTop, 1);  // a write keeps what the other writer added
    QCOMPARE(TSettingsFile(FPath).ReadInteger(kKeyMax, 0), 7);
  }

  void aFailedWriteRaisesAndLeavesNoHalfFile() {
    TSettingsFile ini(FDir.filePath(QStringLiteral("missing-folder/varo.ini")));
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, ini.WriteInteger(kKeyRepeat, 1));
    QVERIFY(!QFile::exists(FDir.filePath(QStringLiteral("missing-folder"))));
  }

  // A read that fails (here: no file descriptor left) gives defaults but must not leave an
  // empty file image behind that a later write would store over every key.
  void aFailedReadNeverLeadsToAnEmptiedFile() {
    WriteAll(FPath, "[varo]\nskin=sakura\nmax=1\nlist1=/music/a.mp3\n");
    TSettingsFile ini(FPath);
    rlimit saved{};
    QCOMPARE(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    std::vector<int> fillers;
    rlimit low = saved;
    low.rlim_cur = 64;
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &low), 0);
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) fillers.push_back(fd);
    const QString skin = ini.ReadString(QStringLiteral("skin"), QStringLiteral("default"));
    bool refused = false;
    try {
      ini.WriteInteger(QStringLiteral("repeat"), 3);
    } catch (const std::exception&) {
      refused = true;
    }
    for (const int fd : fillers) ::close(fd);
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &saved), 0);
    QCOMPARE(skin, QStringLiteral("default"));
    QVERIFY(refused);
    QCOMPARE(ReadAll(FPath), QByteArray("[varo]\nskin=sakura\nmax=1\nlist1=/music/a.mp3\n"));
    ini.WriteInteger(QStringLiteral("repeat"), 3);
    QCOMPARE(ReadAll(FPath), QByteArray("[varo]\nskin=sakura\nmax=1\nlist1=/music/a.mp3\nrepeat=3\n"));
  }

  void anUpdateWritesOnceAtItsEnd() {
    TSettingsFile ini(FPath);
    ini.WriteString(kKeySkin, QStringLiteral("x"));
    const ino_t before = Inode(FPath);
    ini.BeginUpdate();
    ini.WriteInteger(kKeyMax, 2);
    ini.WriteString(QStringLiteral("list1"), QStringLiteral("/a"));
    QCOMPARE(Inode(FPath), before);
    QCOMPARE(ini.ReadInteger(kKeyMax, 0), 2);  // pending values read back
    ini.EndUpdate();
    QVERIFY(Inode(FPath) != before);
    QCOMPARE(TSettingsFile(FPath).ReadString(QStringLiteral("list1"), QString()), QStringLiteral("/a"));
  }

  // The exit sequence after the queue shrank from 5 entries to 2.
  void storingAShorterQueueDropsTheOldListKeys() {
    WriteAll(FPath,
             "[varo]\nmax=5\nlist1=/1\nlist2=/2\nlist3=/3\nlist4=/4\nlist5=/5\nlist05=keep\n"
             "listfilename=mine.vrl\nlist6=beyond max\n");
    TPlayQueue queue;
    queue.Append({QStringLiteral("/a.mp3"), {}, QStringLiteral("A"), {}});
    queue.Append({QStringLiteral("/b.mp3"), {}, QStringLiteral("B"), {}});
    TSettingsFile ini(FPath);
    StoreQueue(queue, ini);
    const TSettingsFile after(FPath);
    QCOMPARE(after.ReadInteger(kKeyMax, 0), 2);
    QCOMPARE(after.ReadString(QStringLiteral("list1"), QString()), QStringLiteral("/a.mp3"));
    QCOMPARE(after.ReadString(QStringLiteral("list2"), QString()), QStringLiteral("/b.mp3"));
    for (int n = 3; n <= 5; ++n) QVERIFY(!after.KeyExists(ListKey(n)));
    QVERIFY(after.KeyExists(QStringLiteral("list05")));
    QVERIFY(after.KeyExists(QStringLiteral("list6")));
    QCOMPARE(after.ReadString(kKeyListFileName, QString()), QStringLiteral("mine.vrl"));
  }

  void aHugeStoredCountCostsNothing() {
    WriteAll(FPath, "[varo]\nmax=2147483647\nlist1=/1\nlist70000=/x\n");
    TPlayQueue queue;
    TSettingsFile ini(FPath);
    StoreQueue(queue, ini);
    QVERIFY(!ini.KeyExists(QStringLiteral("list1")));
    QVERIFY(!ini.KeyExists(QStringLiteral("list70000")));
    QCOMPARE(ini.ReadInteger(kKeyMax, -1), 0);
  }

 private:
  QTemporaryDir FDir;
  QString FPath;
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "settings_file_test.moc"
