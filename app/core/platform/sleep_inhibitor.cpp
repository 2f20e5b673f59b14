#include "core/platform/sleep_inhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include "core/playback/play_state.h"
#include "core/session/player_session.h"

TSleepInhibitor::TSleepInhibitor(TPlayerSession& session, QObject* parent)
    : QObject(parent), FSession(session) {
  connect(&session, &TPlayerSession::PlayStateChanged, this, &TSleepInhibitor::Follow);
}

TSleepInhibitor::~TSleepInhibitor() { delete FPending; }

void TSleepInhibitor::Follow() {
  const TPlayState state = FSession.Player().PlayState();
  const bool playing = state == psPlaying || state == psSwitching;
  if (!playing) {
    FLock = QDBusUnixFileDescriptor();
    return;
  }
  // One request at a time; its answer looks at the state again.
  if (Held() || FPending) return;
  if (!FBus) FBus = QDBusConnection::systemBus();
  if (!FBus->isConnected()) return;
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
      QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
  call << QStringLiteral("sleep:idle") << QStringLiteral("VARO") << QStringLiteral("Playing music")
       << QStringLiteral("block");
  FPending = new QDBusPendingCallWatcher(FBus->asyncCall(call));
  connect(FPending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    FPending = nullptr;
    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *watcher;
    // No logind (a container, another init): play on without the lock.
    if (reply.isError()) return;
    FLock = reply.value();
    Follow();  // paused while the request was out: let go at once
  });
}
