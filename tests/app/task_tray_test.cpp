// The tray icon component over a fake notification area: identifiers, registration, the tip
// as it reaches the shell, and the mouse messages with their menus.
#include <QMenu>
#include <QPixmap>
#include <QtTest>

#include <memory>
#include <vector>

#include "ui/tray/qt_tray_shell.h"
#include "ui/tray/task_tray.h"

namespace {

struct TShellCall {
  int Message;
  int Id;
  int Flags;
  QByteArray Tip;
};

class TFakeShell : public TTrayShell {
 public:
  bool Refuse = false;
  std::vector<TShellCall> Calls;
  TNotifyIconData Last;
  bool NotifyIcon(int message, const TNotifyIconData& data) override {
    Calls.push_back({message, data.uID, data.uFlags, data.szTip});
    Last = data;
    return !Refuse;
  }
};

QIcon SomeIcon() {
  QPixmap p(16, 16);
  p.fill(Qt::red);
  return QIcon(p);
}

QString ErrorText(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const EInvalidOperation& e) {
    return QString::fromUtf8(e.what());
  }
  return QString();
}

}  // namespace

class TestTaskTray : public QObject {
  Q_OBJECT

  TFakeShell FShell;
  std::vector<std::pair<QMenu*, QPoint>> FMenusOpened;

 private slots:
  void init() {
    FShell = TFakeShell();
    FMenusOpened.clear();
    SetTrayShell(&FShell);
    TTaskTray::SetMenuRunner([this](QMenu& menu, QPoint at) { FMenusOpened.emplace_back(&menu, at); });
  }
  void cleanup() {
    SetTrayShell(nullptr);
    TTaskTray::SetMenuRunner(nullptr);
  }

  void identifiersAreNumberedAndUnique() {
    TTaskTray a;
    TTaskTray b;
    QCOMPARE(a.IconID(), 1);
    QCOMPARE(b.IconID(), 2);
    QCOMPARE(ErrorText([&] { b.SetIconID(1); }), QStringLiteral("同じアイコン識別子が有ります"));
    QCOMPARE(ErrorText([&] { b.SetIconID(0); }), QStringLiteral("0以下は指定できません"));
    QCOMPARE(ErrorText([&] { b.SetIconID(-3); }), QStringLiteral("0以下は指定できません"));
    b.SetIconID(2);  // its own number: nothing happens
    QCOMPARE(b.IconID(), 2);
    a.SetIconID(3);
    TTaskTray c;  // 3 is taken by the first instance now
    QCOMPARE(c.IconID(), 4);
    QCOMPARE(TNotifyWindow::Find(3), &a);
    QCOMPARE(TNotifyWindow::Find(1), nullptr);
  }

  void numbersAreFreedWithTheirInstance() {
    auto a = std::make_unique<TTaskTray>();
    QCOMPARE(a->IconID(), 1);
    a.reset();
    TTaskTray b;
    QCOMPARE(b.IconID(), 1);
  }

  void registeringNeedsAPicture() {
    TTaskTray t;
    QCOMPARE(ErrorText([&] { t.SetRegistered(true); }), QStringLiteral("アイコンが指定されていません"));
    QVERIFY(!t.Registered());
    QVERIFY(FShell.Calls.empty());
  }

  void addModifyDelete() {
    TTaskTray t;
    t.SetIcon(SomeIcon());
    t.SetTipString(QStringLiteral("ignored while not shown"));
    QVERIFY(FShell.Calls.empty());
    t.SetRegistered(true);
    t.SetTipString(QString());
    t.SetTipString(QString());  // unchanged: the shell is not told again
    t.SetRegistered(false);
    t.SetRegistered(false);
    QCOMPARE(FShell.Calls.size(), size_t(3));
    QCOMPARE(FShell.Calls[0].Message, NIM_ADD);
    QCOMPARE(FShell.Calls[0].Flags, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    QCOMPARE(FShell.Calls[1].Message, NIM_MODIFY);
    QCOMPARE(FShell.Calls[1].Flags, NIF_MESSAGE | NIF_ICON);
    QCOMPARE(FShell.Calls[2].Message, NIM_DELETE);
    QCOMPARE(FShell.Last.cbSize, 88);
    QCOMPARE(FShell.Last.uCallbackMessage, 1126);
  }

  void aNewIdentifierMovesAShownIcon() {
    TTaskTray t;
    t.SetIcon(SomeIcon());
    t.SetRegistered(true);
    t.SetIconID(7);
    QVERIFY(t.Registered());
    QCOMPARE(FShell.Calls.size(), size_t(3));
    QCOMPARE(FShell.Calls[1].Message, NIM_DELETE);
    QCOMPARE(FShell.Calls[1].Id, 1);
    QCOMPARE(FShell.Calls[2].Message, NIM_ADD);
    QCOMPARE(FShell.Calls[2].Id, 7);
    t.SetIcon(QIcon());  // no picture: taken away
    QVERIFY(!t.Registered());
    QCOMPARE(FShell.Calls.back().Message, NIM_DELETE);
  }

  void aRefusingShellRaisesAndThePropertyStays() {
    TTaskTray t;
    t.SetIcon(SomeIcon());
    FShell.Refuse = true;
    QCOMPARE(ErrorText([&] { t.SetRegistered(true); }), QStringLiteral("タスクトレイに登録できません"));
    QVERIFY(t.Registered());
    FShell.Refuse = false;
    t.SetRegistered(false);  // never added: nothing to delete
    QCOMPARE(FShell.Calls.size(), size_t(1));
  }

  void theTipReachesTheShellCutTo63ColumnsOnACharacterBoundary_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<QByteArray>("tip");
    const QString hundred(100, u'x');
    const QString note = QString::fromUtf8("\xF0\x9F\x8E\xB5");  // wide, and two UTF-16 units
    QTest::newRow("100 columns of ASCII") << hundred << hundred.toUtf8().left(63);
    QTest::newRow("exactly 63") << QString(63, u'y') << QByteArray(63, 'y');
    QTest::newRow("wide characters, 31 fit") << QString(40, u'あ') << QString(31, u'あ').toUtf8();
    QTest::newRow("one wide character more would reach 64")
        << u'a' + QString(40, u'あ') << (u'a' + QString(31, u'あ')).toUtf8();
    QTest::newRow("wide outside the basic plane") << note.repeated(40) << note.repeated(31).toUtf8();
    QTest::newRow("a combining accent stays with its letter")
        << QString(62, u'x') + QStringLiteral("e\u0301z")
        << (QString(62, u'x') + QStringLiteral("e\u0301")).toUtf8();
    QTest::newRow("halfwidth katakana, one column each")
        << QString(70, u'\uFF71') << QString(63, u'\uFF71').toUtf8();
  }
  void theTipReachesTheShellCutTo63ColumnsOnACharacterBoundary() {
    QFETCH(QString, title);
    TTaskTray t;
    t.SetIcon(SomeIcon());
    t.SetTipString(title);
    t.SetRegistered(true);
    QCOMPARE(t.TipString(), title);  // the property keeps the whole title
    QTEST(FShell.Calls.back().Tip, "tip");
    QTEST(t.NotifyData().szTip, "tip");
  }

  void pressesOpenTheirMenuAndFireEvents() {
    QWidget owner;
    TTaskTray t(&owner);
    QMenu left;
    QMenu right;
    t.SetPopupMenuL(&left);
    t.SetPopupMenuR(&right);
    QStringList events;
    t.OnMouseDown = [&](TTaskTray&, Qt::MouseButton b, Qt::MouseButtons shift, int x, int y) {
      events << QStringLiteral("down %1 %2 %3,%4").arg(int(b)).arg(int(shift)).arg(x).arg(y);
    };
    t.OnMouseUp = [&](TTaskTray&, Qt::MouseButton b, Qt::MouseButtons, int, int) {
      events << QStringLiteral("up %1").arg(int(b));
    };
    t.OnDblClick = [&](TTaskTray&, Qt::MouseButton b) { events << QStringLiteral("dbl %1").arg(int(b)); };
    t.OnMouseMove = [&](TTaskTray&, Qt::MouseButtons shift, int x, int y) {
      events << QStringLiteral("move %1 %2,%3").arg(int(shift)).arg(x).arg(y);
    };
    const int id = t.IconID();
    TNotifyWindow::IconMessage(id, WM_RBUTTONDOWN, QPoint(30, 40));
    TNotifyWindow::IconMessage(id, WM_RBUTTONUP, QPoint(30, 40));
    TNotifyWindow::IconMessage(id, WM_LBUTTONDOWN, QPoint(1, 2));
    TNotifyWindow::IconMessage(id, WM_RBUTTONDBLCLK, QPoint(1, 2));
    TNotifyWindow::IconMessage(id, WM_MBUTTONDOWN, QPoint(1, 2));
    TNotifyWindow::IconMessage(id, WM_MOUSEMOVE, QPoint(5, 6));
    TNotifyWindow::IconMessage(id + 1, WM_RBUTTONDOWN, QPoint(1, 2));  // nobody's
    QCOMPARE(events,
             (QStringList{"down 2 2 30,40", "up 2", "down 1 1 1,2", "dbl 2", "down 4 4 1,2", "move 0 5,6"}));
    QCOMPARE(FMenusOpened.size(), size_t(2));
    QCOMPARE(FMenusOpened[0], std::make_pair(&right, QPoint(30, 40)));
    QCOMPARE(FMenusOpened[1], std::make_pair(&left, QPoint(1, 2)));
  }

  void aMessageWhileAMenuIsOpenIsIgnored() {
    TTaskTray t;
    QMenu right;
    t.SetPopupMenuR(&right);
    int downs = 0;
    t.OnMouseDown = [&](TTaskTray&, Qt::MouseButton, Qt::MouseButtons, int, int) { ++downs; };
    TTaskTray::SetMenuRunner([&](QMenu&, QPoint) {
      TNotifyWindow::IconMessage(t.IconID(), WM_RBUTTONDOWN, QPoint());  // while the menu is open
    });
    TNotifyWindow::IconMessage(t.IconID(), WM_RBUTTONDOWN, QPoint());
    QCOMPARE(downs, 1);
    TNotifyWindow::IconMessage(t.IconID(), WM_RBUTTONDOWN, QPoint());  // after it closed
    QCOMPARE(downs, 2);
  }

  void aDestroyedMenuIsForgotten() {
    TTaskTray t;
    auto menu = std::make_unique<QMenu>();
    t.SetPopupMenuR(menu.get());
    menu.reset();
    QCOMPARE(t.PopupMenuR(), nullptr);
    TNotifyWindow::IconMessage(t.IconID(), WM_RBUTTONDOWN, QPoint());
    QVERIFY(FMenusOpened.empty());
  }

  void qtActivationsStandForMouseMessages() {
    QCOMPARE(TrayMouseMessages(QSystemTrayIcon::Context), (std::vector<int>{0x204, 0x205}));
    QCOMPARE(TrayMouseMessages(QSystemTrayIcon::DoubleClick), std::vector<int>{0x203});
    QCOMPARE(TrayMouseMessages(QSystemTrayIcon::Trigger), (std::vector<int>{0x201, 0x202}));
    QCOMPARE(TrayMouseMessages(QSystemTrayIcon::MiddleClick), (std::vector<int>{0x207, 0x208}));
    QVERIFY(TrayMouseMessages(QSystemTrayIcon::Unknown).empty());
  }

  void iconClicksArriveAfterTheIconHasHandledThem() {
    // On X11 the icon widget is still inside its own click handler when it reports a click,
    // and restoring from the tray takes the icon away: the click must be handled later, and
    // not at all once the icon is gone.
    TTaskTray t;
    int clicks = 0;
    t.OnDblClick = [&](TTaskTray&, Qt::MouseButton) { ++clicks; };
    auto icon = std::make_unique<QSystemTrayIcon>();
    ConnectTrayMessages(*icon, t.IconID());
    emit icon->activated(QSystemTrayIcon::DoubleClick);
    QCOMPARE(clicks, 0);
    QTRY_COMPARE(clicks, 1);
    emit icon->activated(QSystemTrayIcon::DoubleClick);
    icon.reset();
    QCoreApplication::processEvents();
    QCOMPARE(clicks, 1);
  }

  void withoutATrayTheRealShellRefuses() {
    // The offscreen platform has no notification area: hiding must not be possible there.
    SetTrayShell(nullptr);
    QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
    TTaskTray t;
    t.SetIcon(SomeIcon());
    QCOMPARE(ErrorText([&] { t.SetRegistered(true); }), QStringLiteral("タスクトレイに登録できません"));
  }
};

QTEST_MAIN(TestTaskTray)
#include "task_tray_test.moc"
