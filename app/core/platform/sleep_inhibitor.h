// Keeps the machine awake while a track plays: a logind inhibitor lock against idle sleep,
// taken when play starts and let go on pause, stop and exit.
#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>

#include <optional>

class QDBusPendingCallWatcher;
class TPlayerSession;

class TSleepInhibitor : public QObject {
  Q_OBJECT

 public:
  // logind answers on the system bus (DBUS_SYSTEM_BUS_ADDRESS when set), reached at the
  // first play and not before: start-up does not wait for it.
  explicit TSleepInhibitor(TPlayerSession& session, QObject* parent = nullptr);
  ~TSleepInhibitor() override;

  bool Held() const { return FLock.isValid(); }

 private:
  void Follow();

  TPlayerSession& FSession;
  std::optional<QDBusConnection> FBus;
  QDBusUnixFileDescriptor FLock;  // logind lets go when the last copy of the descriptor closes
  QDBusPendingCallWatcher* FPending = nullptr;
};
