// Stands in for systemd-logind on a test's private bus (taken as the system bus through
// DBUS_SYSTEM_BUS_ADDRESS): Inhibit hands out a pipe's write end and reports on stdout when
// the holder lets go of it; CanPowerOff answers "na", so nothing is ever powered off.
//   gui_logind_standin
// Prints "ready" once the name is owned, "inhibit WHAT WHO WHY MODE" per lock and
// "released" when the last copy of a lock's descriptor closes.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

class TLoginManager : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

 public slots:
  QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why,
                                  const QString& mode) {
    std::printf("inhibit %s %s %s %s\n", qPrintable(what), qPrintable(who), qPrintable(why),
                qPrintable(mode));
    std::fflush(stdout);
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return {};
    const QDBusUnixFileDescriptor lock(ends[1]);  // keeps its own copy until sent
    ::close(ends[1]);
    auto* watch = new QSocketNotifier(ends[0], QSocketNotifier::Read, this);
    connect(watch, &QSocketNotifier::activated, this, [watch, fd = ends[0]] {
      char byte;
      if (::read(fd, &byte, 1) > 0) return;
      std::puts("released");
      std::fflush(stdout);
      watch->setEnabled(false);
      watch->deleteLater();
      ::close(fd);
    });
    return lock;
  }
  QString CanPowerOff() { return QStringLiteral("na"); }
};

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QDBusConnection bus = QDBusConnection::systemBus();
  TLoginManager manager;
  if (!bus.registerObject(QStringLiteral("/org/freedesktop/login1"), &manager,
                          QDBusConnection::ExportAllSlots) ||
      !bus.registerService(QStringLiteral("org.freedesktop.login1"))) {
    std::fputs("gui_logind_standin: cannot take the name on the bus\n", stderr);
    return 1;
  }
  std::puts("ready");
  std::fflush(stdout);
  return QCoreApplication::exec();
}

#include "logind_standin.moc"
