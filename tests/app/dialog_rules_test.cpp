// The sleep timer's window with a fake clock and a fake power-off, the intro time, and the
// free-memory figure of the version dialog.
#include <QtTest>

#include <vector>

#include "core/platform/memory_status.h"
#include "core/playback/intro_time.h"
#include "core/playback/power_off.h"
#include "core/playback/sleep_timer.h"

namespace {

class TFakePowerOff : public TPowerOff {
 public:
  bool Allowed = true;
  std::vector<QString> Calls;  // "can" and "off", in order
  bool CanPowerOff() override {
    Calls.push_back(QStringLiteral("can"));
    return Allowed;
  }
  void PowerOff(TPowerOffRefused) override { Calls.push_back(QStringLiteral("off")); }
};

}  // namespace

class TestDialogRules : public QObject {
  Q_OBJECT

 private slots:
  void sleepWindowRunsFromSecond01ToSecond58_data() {
    QTest::addColumn<QString>("hour");
    QTest::addColumn<QString>("minute");
    QTest::addColumn<QTime>("now");
    QTest::addColumn<bool>("fires");
    // clang-format off
    QTest::newRow("23:50:00") << "23" << "50" << QTime(23, 50, 0) << false;
    QTest::newRow("23:50:01") << "23" << "50" << QTime(23, 50, 1) << true;
    QTest::newRow("23:50:58") << "23" << "50" << QTime(23, 50, 58) << true;
    QTest::newRow("23:50:59") << "23" << "50" << QTime(23, 50, 59) << false;
    QTest::newRow("23:49:30") << "23" << "50" << QTime(23, 49, 30) << false;
    QTest::newRow("0:00:00") << "0" << "00" << QTime(0, 0, 0) << false;
    QTest::newRow("0:00:01") << "0" << "00" << QTime(0, 0, 1) << true;
    QTest::newRow("0:00:58") << "0" << "00" << QTime(0, 0, 58) << true;
    QTest::newRow("hour with a leading zero") << "07" << "10" << QTime(7, 10, 5) << true;
    QTest::newRow("9 o'clock is not 19") << "9" << "10" << QTime(19, 10, 5) << false;
    QTest::newRow("10 o'clock, text after 9") << "10" << "00" << QTime(10, 0, 30) << true;
    QTest::newRow("minute 5 typed as 5") << "7" << "5" << QTime(7, 5, 1) << true;
    // clang-format on
  }
  void sleepWindowRunsFromSecond01ToSecond58() {
    QFETCH(QString, hour);
    QFETCH(QString, minute);
    QFETCH(QTime, now);
    QFETCH(bool, fires);
    TSleepTimer timer;
    timer.Set(hour, minute);
    TFakePowerOff power;
    int saved = 0;
    QCOMPARE(timer.Check(
                 now, [&saved] { ++saved; }, power),
             fires);
    QCOMPARE(saved, fires ? 1 : 0);
    QCOMPARE(power.Calls, fires ? (std::vector<QString>{"can", "off"}) : std::vector<QString>{});
  }

  void theStateIsSavedBeforeThePowerOffIsAskedFor() {
    TSleepTimer timer;
    timer.Set(QStringLiteral("7"), QStringLiteral("10"));
    TFakePowerOff power;
    std::vector<QString> order;
    const bool asked = timer.Check(
        QTime(7, 10, 30),
        [&] {
          order.push_back(QStringLiteral("save"));
          QVERIFY(power.Calls.empty());
        },
        power);
    QVERIFY(asked);
    QCOMPARE(order.size(), size_t(1));
    // A system that does not allow it is not asked to switch off (the state is saved all the same).
    power.Allowed = false;
    power.Calls.clear();
    QVERIFY(!timer.Check(
        QTime(7, 10, 31), [&] { order.push_back(QStringLiteral("save")); }, power));
    QCOMPARE(power.Calls, std::vector<QString>{"can"});
    QCOMPARE(order.size(), size_t(2));
  }

  void textsShowTheTypedHourAndATwoDigitMinute() {
    TSleepTimer timer;
    QVERIFY(!timer.IsSet());
    timer.Set(QStringLiteral("7"), QStringLiteral("0"));
    QCOMPARE(timer.SleepFrom, QStringLiteral("7:00:00"));
    QCOMPARE(timer.SleepTo, QStringLiteral("7:00:59"));
  }

  void aBadNumberRaisesAndKeepsTheArmedMinute_data() {
    QTest::addColumn<QString>("hour");
    QTest::addColumn<QString>("minute");
    // clang-format off
    QTest::newRow("minute not a number") << "7" << "aa";
    QTest::newRow("hour not a number") << "x" << "10";
    QTest::newRow("minute 60") << "7" << "60";
    QTest::newRow("hour 24") << "24" << "00";
    QTest::newRow("negative") << "-1" << "00";
    // clang-format on
  }
  void aBadNumberRaisesAndKeepsTheArmedMinute() {
    QFETCH(QString, hour);
    QFETCH(QString, minute);
    TSleepTimer timer;
    timer.Set(QStringLiteral("22"), QStringLiteral("30"));
    QVERIFY_THROWS_EXCEPTION(EConvertError, timer.Set(hour, minute));
    QCOMPARE(timer.SleepFrom, QStringLiteral("22:30:00"));
    QVERIFY(timer.InWindow(QTime(22, 30, 10)));
  }

  void anUnsetTimerNeverFires() {
    TSleepTimer timer;
    TFakePowerOff power;
    QVERIFY(!timer.Check(QTime(0, 0, 1), {}, power));
    QVERIFY(power.Calls.empty());
  }

  void introTime_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("seconds");  // -1: refused
    QTest::newRow("8") << "8" << 8;
    QTest::newRow("blanks around") << " 12 " << 12;
    QTest::newRow("not a number") << "8s" << -1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("zero would switch tracks without pause") << "0" << -1;
    QTest::newRow("negative") << "-5" << -1;
    QTest::newRow("too long for a timer") << "3000000" << -1;
  }
  void introTime() {
    QFETCH(QString, text);
    QTEST(ParseIntroSeconds(text).value_or(-1), "seconds");
  }

  void freeMemoryFigure_data() {
    QTest::addColumn<quint64>("available");
    QTest::addColumn<quint64>("total");
    QTest::addColumn<QString>("shown");
    QTest::newRow("512 of 2048") << quint64(512) << quint64(2048) << "25.0";
    QTest::newRow("5 percent") << quint64(5) << quint64(100) << " 5.0";
    QTest::newRow("45.25 rounds up") << quint64(4525) << quint64(10000) << "45.3";
    QTest::newRow("all free") << quint64(8) << quint64(8) << "100.0";
    QTest::newRow("unknown total") << quint64(0) << quint64(0) << " 0.0";
  }
  void freeMemoryFigure() {
    QFETCH(quint64, available);
    QFETCH(quint64, total);
    QTEST(FormatFreeMemory(FreeMemoryPercent({available, total})), "shown");
  }

  void memInfoGivesAvailableAndTotal() {
    const QByteArray text(
        "MemTotal:       16318436 kB\nMemFree:         1234 kB\n"
        "MemAvailable:    8159218 kB\nBuffers: 1 kB\n");
    const auto status = ParseMemInfo(text);
    QVERIFY(status);
    QCOMPARE(status->Available, quint64(8159218));
    QCOMPARE(status->Total, quint64(16318436));
    QVERIFY(!ParseMemInfo("MemTotal: 10 kB\n"));
    const TMemoryStatus here = QueryMemoryStatus();
    QVERIFY(here.Total > 0);
    QVERIFY(here.Available <= here.Total);
  }
};

QTEST_GUILESS_MAIN(TestDialogRules)
#include "dialog_rules_test.moc"
