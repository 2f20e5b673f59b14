#include "core/platform/logind_power_off.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>

#include <memory>

namespace {

constexpr int kCanPowerOffTimeoutMs = 3000;

const QString kNoLoginManagerText = QStringLiteral("ログインマネージャーに接続できません");

QString RefusalText(const QDBusError& error) {
  const QString name = error.name();
  if (name == QLatin1String("org.freedesktop.DBus.Error.AccessDenied") ||
      name == QLatin1String("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired"))
    return QStringLiteral("許可されませんでした");
  return error.message().isEmpty() ? name : error.message();
}

std::unique_ptr<QDBusInterface> LoginManager() {
  auto manager = std::make_unique<QDBusInterface>(
      QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
      QStringLiteral("org.freedesktop.login1.Manager"), QDBusConnection::systemBus());
  manager->setTimeout(kCanPowerOffTimeoutMs);
  return manager;
}

}  // namespace

TLogindPowerOff::TLogindPowerOff() = default;

TLogindPowerOff::~TLogindPowerOff() { delete FPending; }

bool TLogindPowerOff::CanPowerOff() {
  const auto manager = LoginManager();
  if (!manager->isValid()) return false;
  const QDBusReply<QString> answer = manager->call(QStringLiteral("CanPowerOff"));
  return answer.isValid() &&
         (answer.value() == QLatin1String("yes") || answer.value() == QLatin1String("challenge"));
}

void TLogindPowerOff::PowerOff(TPowerOffRefused refused) {
  if (FPending) return;
  const auto manager = LoginManager();
  if (!manager->isValid()) {
    if (refused) refused(kNoLoginManagerText);
    return;
  }
  FPending = new QDBusPendingCallWatcher(manager->asyncCall(QStringLiteral("PowerOff"), true));
  QObject::connect(FPending, &QDBusPendingCallWatcher::finished, FPending,
                   [this, refused](QDBusPendingCallWatcher* watcher) {
                     watcher->deleteLater();
                     if (watcher == FPending) FPending = nullptr;
                     if (watcher->isError() && refused) refused(RefusalText(watcher->error()));
                   });
}

namespace {

TPowerOff*& ReplacedPowerOff() {
  static TPowerOff* service = nullptr;
  return service;
}

}  // namespace

TPowerOff& PowerOffService() {
  static TLogindPowerOff logind;
  return ReplacedPowerOff() ? *ReplacedPowerOff() : logind;
}

void SetPowerOffService(TPowerOff* service) { ReplacedPowerOff() = service; }
