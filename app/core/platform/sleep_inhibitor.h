// Keeps the machine awake while a track plays: a logind inhibitor lock against idle sleep,
// taken when play starts and let go on pause, stop and exit.
#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>

class QDBusPendingCallWatcher;
class TPlayerSession;

class TSleepInhibitor : public QObject {
  Q_OBJECT

 public:
  // bus is where logind answers (the system bus; tests give their own).
  TSleepInhibitor(TPlayerSession& session, const QDBusConnection& bus, QObject* parent = nullptr);
  ~TSleepInhibitor() override;

  bool Held() const { return FLock.isValid(); }

 private:
  void Follow();

  TPlayerSession& FSession;
  QDBusConnection FBus;
  QDBusUnixFileDescriptor FLock;  // logind lets go when the last copy of the descriptor closes
  QDBusPendingCallWatcher* FPending = nullptr;
};
