// The main window's tray icon, ranking and history, and its three dialogs (sleep timer with a
// fake clock and a fake power-off, intro time, version) on the offscreen platform, and Qt's
// own dialogs in Japanese.
#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

#include "core/platform/memory_status.h"
#include "core/playback/queue_player.h"
#include "core/playback/ranking.h"
#include "formats/settings_keys.h"
#include "player/mp3_player.h"
#include "ui/program/varo_application.h"
#include "ui/tray/qt_tray_shell.h"
#include "ui/widgets/image_button.h"
#include "window_harness.h"

namespace {

// Answers the next modal dialog from inside its event loop.
void WhenShown(QDialog* dialog, std::function<void()> answer) {
  QTimer::singleShot(0, dialog, [dialog, answer = std::move(answer)] {
    QTRY_VERIFY(dialog->isVisible());
    answer();
    if (dialog->isVisible()) dialog->reject();
  });
}

}  // namespace

class TestTrayAndDialogs : public QObject {
  Q_OBJECT

 private slots:
  void hidingInTheTrayAndComingBack() {
    TWindowHarness h;
    TForm1& f = h.Start();
    h.W.Form2->show();
    h.W.Form5->show();
    QCOMPARE(Ctl<TTaskTray>(f, "TaskTray1").IconID(), 1);
    // The application icon comes after the first paint; the tray takes it then.
    QPixmap picture(16, 16);
    picture.fill(Qt::red);
    QApplication::setWindowIcon(QIcon(picture));
    QCOMPARE(Ctl<TTaskTray>(f, "TaskTray1").Icon().cacheKey(), QApplication::windowIcon().cacheKey());
    QApplication::setWindowIcon(QIcon());
    f.Menu().N1->trigger();
    QVERIFY(!f.isVisible());
    QVERIFY(!h.W.Form2->isVisible());
    QVERIFY(!h.W.Form5->isVisible());
    QVERIFY(Ctl<TTaskTray>(f, "TaskTray1").Registered());
    QCOMPARE(f.Menu().N1->text(), QStringLiteral("元のサイズに戻す(&T)"));
    QCOMPARE(h.TrayShell.Calls.back().first, NIM_ADD);
    f.ShowLyricsWindow();  // nothing while in the tray
    QVERIFY(!h.W.Form5->isVisible());

    // A right click opens the main menu; its first item now brings the window back.
    std::vector<QMenu*> opened;
    TTaskTray::SetMenuRunner([&](QMenu& menu, QPoint) {
      opened.push_back(&menu);
      f.Menu().N1->trigger();
    });
    TNotifyWindow::IconMessage(1, WM_RBUTTONDOWN, QPoint(10, 10));
    TTaskTray::SetMenuRunner(nullptr);
    QCOMPARE(opened, std::vector<QMenu*>{f.Menu().PopupMenu1});
    QVERIFY(f.isVisible());
    QVERIFY(!Ctl<TTaskTray>(f, "TaskTray1").Registered());
    QCOMPARE(h.TrayShell.Calls.back().first, NIM_DELETE);
    QCOMPARE(f.Menu().N1->text(), QStringLiteral("タスクトレイにしまう(&T)"));
    QVERIFY(!h.W.Form2->isVisible());  // they stay hidden

    QTest::mouseClick(&Ctl<TImageButton>(f, "Image10"), Qt::LeftButton);
    QVERIFY(!f.isVisible());
    TNotifyWindow::IconMessage(1, WM_RBUTTONDBLCLK, QPoint());
    QVERIFY(f.isVisible());
    QVERIFY(h.Errors.isEmpty());
  }

  void withoutANotificationAreaTheWindowStays() {
    TWindowHarness h;
    TForm1& f = h.MainWindow();
    SetTrayShell(nullptr);  // the offscreen platform has none
    f.Menu().N1->trigger();
    QCOMPARE(h.Errors, QStringList{"タスクトレイに登録できません"});
    QVERIFY(f.isVisible());
    QVERIFY(!Ctl<TTaskTray>(f, "TaskTray1").Registered());
    QCOMPARE(f.Menu().N1->text(), QStringLiteral("タスクトレイにしまう(&T)"));
  }

  void theTipIsTheTitleCutTo63Columns() {
    TWindowHarness h;
    TForm1& f = h.MainWindow();
    // Two columns a character: the 32nd would end past column 63, so it goes whole.
    const QString name = QStringLiteral("あ").repeated(32) + QStringLiteral(".mp3");
    h.Queue({h.Track(name)});
    f.Session().Player().PlayRow(1);
    QCOMPARE(Ctl<TTaskTray>(f, "TaskTray1").TipString(), name);
    f.Menu().N1->trigger();
    QCOMPARE(h.TrayShell.Calls.back().second.szTip, QStringLiteral("あ").repeated(31).toUtf8());
  }

  void aClickOnTheIconRestoresAsADoubleClickDoes() {
    TWindowHarness h;
    TForm1& f = h.MainWindow();
    // Stands for the desktop's icon: its activations reach the program as they would.
    QSystemTrayIcon icon;
    ConnectTrayMessages(icon, Ctl<TTaskTray>(f, "TaskTray1").IconID());
    using R = QSystemTrayIcon::ActivationReason;
    // A status-notifier host reports a click alone; an XEmbed host a click, then the double.
    for (const QList<R>& reasons : {QList<R>{QSystemTrayIcon::Trigger},
                                    QList<R>{QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick},
                                    QList<R>{QSystemTrayIcon::DoubleClick}}) {
      f.Menu().N1->trigger();
      QVERIFY(!f.isVisible());
      for (R reason : reasons) emit icon.activated(reason);
      QTRY_VERIFY(f.isVisible());
      QCoreApplication::sendPostedEvents();
      QVERIFY(f.isVisible());
      QVERIFY(!Ctl<TTaskTray>(f, "TaskTray1").Registered());
      QCOMPARE(f.Menu().N1->text(), QStringLiteral("タスクトレイにしまう(&T)"));
    }
    QVERIFY(h.Errors.isEmpty());
  }

  void closingWindowsOpenedFromTheTrayKeepsTheProgramRunning() {
    QApplication::setQuitOnLastWindowClosed(true);  // Qt's default; the program must not rely on it
    TWindowHarness h;
    TForm1& f = h.Start();
    f.Menu().N1->trigger();
    QObject scope;
    QTimer::singleShot(0, &scope, [&] {
      WhenShown(h.W.Form3.get(), [&h] { h.W.Form3->Button1->click(); });
      f.Menu().About1->trigger();
      f.Menu().L1->trigger();
      QVERIFY(h.W.Form2->isVisible());
      h.W.Form2->close();
      QTimer::singleShot(200, &scope, [] { QCoreApplication::exit(7); });
    });
    QCOMPARE(QApplication::exec(), 7);  // 0 had the last closed window ended it
    QVERIFY(Ctl<TTaskTray>(f, "TaskTray1").Registered());
  }

  void everyStartIsCountedAndTheHistoryOpens() {
    TWindowHarness h;
    TForm1& f = h.MainWindow();
    h.Queue({h.Track(QStringLiteral("a.mp3")), h.Track(QStringLiteral("b.mp3"))});
    for (int row : {2, 1, 2}) f.Session().Player().PlayRow(row);
    QCOMPARE(f.Session().Ranking().RankTitles(), (QStringList{"b.mp3", "a.mp3"}));
    QCOMPARE(h.Ini().ReadInteger(RankPcntKey(1), 0), 2);
    f.Menu().N8->trigger();
    const QString history = h.Home + QStringLiteral("/history.txt");
    QCOMPARE(h.Opened, std::vector<QUrl>{QUrl::fromLocalFile(history)});
    QVERIFY(h.ReadFile(history).endsWith("2\xE4\xBD\x8D:a.mp3" + QByteArray(35, ' ') + "1\n"));
  }

  void theSleepTimerSavesThenSwitchesOffOnceInItsMinute() {
    TWindowHarness h;
    TForm1& f = h.Start();
    h.Queue({h.Track(QStringLiteral("a.mp3"))});
    f.move(123, 45);
    TForm4& d = *h.W.Form4;
    WhenShown(&d, [&d] {
      d.c1->setEditText(QStringLiteral("23"));
      d.c2->setEditText(QStringLiteral("50"));
      d.Button1->click();
    });
    f.Menu().O1->trigger();
    QVERIFY(Ctl<QTimer>(f, "Timer2").isActive());
    QVERIFY(f.Menu().O1->isChecked());
    QCOMPARE(F1::SleepTimer(f).SleepFrom, QStringLiteral("23:50:00"));

    // What the power-off finds in the settings file.
    int savedQueue = -1;
    h.PowerOff.OnPowerOff = [&] { savedQueue = h.Ini().ReadInteger(kKeyMax, -1); };
    F1::SetSleepClock(f, [] { return QTime(23, 50, 0); });
    f.Timer2Timer();
    QCOMPARE(h.PowerOff.Asked, 0);
    F1::SetSleepClock(f, [] { return QTime(23, 50, 1); });
    f.Timer2Timer();
    QCOMPARE(h.PowerOff.Asked, 1);
    QCOMPARE(savedQueue, 1);
    QCOMPARE(h.Ini().ReadString(ListKey(1), QString()), f.Session().Queue().Entry(0).FileName);
    QCOMPARE(h.Ini().ReadInteger(kKeyWindowX, 0), 123);
    // Asked once: a refused or cancelled power-off is not asked again every second.
    QVERIFY(!Ctl<QTimer>(f, "Timer2").isActive());
    QVERIFY(!f.Menu().O1->isChecked());
    F1::SetSleepClock(f, [] { return QTime(23, 50, 58); });
    f.Timer2Timer();
    QCOMPARE(h.PowerOff.Asked, 1);

    WhenShown(&d, [&d] { d.Button2->click(); });
    f.Menu().O1->trigger();
    QVERIFY(!Ctl<QTimer>(f, "Timer2").isActive());
    QVERIFY(!f.Menu().O1->isChecked());
  }

  void aPowerOffThatIsRefusedIsToldAndTheTimerIsOff() {
    TWindowHarness h;
    TForm1& f = h.Start();
    auto arm = [&h] { h.W.Form4->OnSet(QStringLiteral("7"), QStringLiteral("10")); };  // as the dialog does
    F1::SetSleepClock(f, [] { return QTime(7, 10, 5); });
    arm();
    h.PowerOff.Can = false;
    f.Timer2Timer();
    QCOMPARE(h.PowerOff.Asked, 0);
    QCOMPARE(h.Errors.size(), 1);
    QVERIFY(h.Errors[0].contains(QStringLiteral("おやすみタイマー")));
    QVERIFY(!Ctl<QTimer>(f, "Timer2").isActive());
    QVERIFY(!f.Menu().O1->isChecked());

    // Allowed, then refused: no authorisation given.
    h.PowerOff.Can = true;
    h.PowerOff.RefuseWith = QStringLiteral("許可されませんでした");
    arm();
    f.Timer2Timer();
    QCOMPARE(h.PowerOff.Asked, 1);
    QCOMPARE(h.Errors.size(), 2);
    QVERIFY(h.Errors[1].contains(QStringLiteral("許可されませんでした")));
    QVERIFY(!Ctl<QTimer>(f, "Timer2").isActive());
  }

  void aSleepTimeThatIsNoTimeKeepsTheDialogOpen() {
    TWindowHarness h;
    TForm1& f = h.Start();
    TForm4& d = *h.W.Form4;
    bool stillOpen = false;
    WhenShown(&d, [&] {
      d.c1->setEditText(QStringLiteral("7"));
      d.c2->setEditText(QStringLiteral("xx"));
      d.Button1->click();
      stillOpen = d.isVisible();
    });
    f.Menu().O1->trigger();
    QVERIFY(stillOpen);
    QCOMPARE(h.Errors, QStringList{"'xx' is not a valid integer value"});
    QVERIFY(!Ctl<QTimer>(f, "Timer2").isActive());
    QVERIFY(!f.Menu().O1->isChecked());
  }

  void theIntroTime() {
    TWindowHarness h;
    TForm1& f = h.Start();
    TForm6& d = *h.W.Form6;
    bool stillOpen = false;
    WhenShown(&d, [&] {
      d.Edit1->setText(QStringLiteral("x"));
      d.Button1->click();
      stillOpen = d.isVisible();
      d.Edit1->setText(QStringLiteral("8"));
      d.Button1->click();
    });
    f.Menu().S2->trigger();
    QVERIFY(stillOpen);
    QCOMPARE(f.Session().Player().IntroInterval(), 8000);
    QCOMPARE(f.Menu().rep4->title(), QStringLiteral("イントロ再生：8秒(&I)"));
    WhenShown(&d, [&d] {
      d.Edit1->setText(QStringLiteral("3"));
      d.Button2->click();
    });
    f.Menu().S2->trigger();
    QCOMPARE(f.Session().Player().IntroInterval(), 8000);
  }

  void theVersionDialog() {
    TWindowHarness h;
    TForm1& f = h.Start();
    TForm3& d = *h.W.Form3;
    // The program icon comes after the windows are made (after the first paint).
    QPixmap picture(32, 32);
    picture.fill(Qt::red);
    QApplication::setWindowIcon(QIcon(picture));
    QString figure;
    QImage icon;
    WhenShown(&d, [&] {
      figure = d.Label6->text();
      icon = d.Image1->pixmap().toImage();
      QTest::mouseClick(d.Label4, Qt::LeftButton);
      d.Button1->click();
    });
    f.Menu().About1->trigger();
    QCOMPARE(figure.size(), 4);  // " 5.0" ... "99.9"; the machine's own figure
    QCOMPARE(h.Opened, std::vector<QUrl>{QUrl::fromLocalFile(h.Home)});
    d.SetFreeMemory({512, 2048});
    QCOMPARE(d.Label6->text(), QStringLiteral("25.0"));
    QCOMPARE(d.Label2->text(), QStringLiteral("Ver1.09"));
    QCOMPARE(d.size(), QSize(240, 163));
    QApplication::setWindowIcon(QIcon());
    QVERIFY(!icon.isNull());
    QCOMPARE(QColor(icon.pixel(icon.width() / 2, icon.height() / 2)), QColor(Qt::red));

    // The program says the same version, without a display.
    QProcess varo;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("DISPLAY"), QString());
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QString());
    varo.setProcessEnvironment(environment);
    varo.start(QStringLiteral(VARO_EXECUTABLE), {QStringLiteral("--version")});
    QVERIFY(varo.waitForFinished(30000));
    QCOMPARE(varo.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(varo.readAllStandardOutput()), "VARO " + d.Label2->text().mid(3) + "\n");
  }

  // Qt's own dialogs and buttons speak Japanese with the program's translator.
  void qtsDialogsReadJapanese() {
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    const QString english = buttons.button(QDialogButtonBox::Cancel)->text();
    std::unique_ptr<QTranslator> translator(InstallQtTranslations());
    QVERIFY2(translator, "qt6-translations-l10n is not installed");
    QDialogButtonBox translated(QDialogButtonBox::Ok | QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog);
    auto label = [&files](const char* name) {
      const QLabel* l = files.findChild<QLabel*>(QLatin1String(name));
      return l ? l->text() : QString();
    };
    const QString lookIn = label("lookInLabel"), fileName = label("fileNameLabel");
    translator.reset();
    QVERIFY(english.contains(QStringLiteral("Cancel")));
    QCOMPARE(translated.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("キャンセル"));
    QCOMPARE(translated.button(QDialogButtonBox::Save)->text(), QStringLiteral("保存"));
    QCOMPARE(lookIn, QStringLiteral("アドレス:"));
    QCOMPARE(fileName, QStringLiteral("ファイル名(&N):"));
  }
};

QTEST_MAIN(TestTrayAndDialogs)
#include "tray_and_dialogs_test.moc"
