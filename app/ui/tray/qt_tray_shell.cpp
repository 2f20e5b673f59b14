#include "ui/tray/qt_tray_shell.h"

#include <QCursor>

#include "ui/tray/task_tray.h"

namespace {

void Apply(QSystemTrayIcon& icon, const TNotifyIconData& data) {
  if (data.uFlags & NIF_ICON) icon.setIcon(data.hIcon);
  icon.setToolTip((data.uFlags & NIF_TIP) ? QString::fromUtf8(data.szTip) : QString());
}

TTrayShell*& ReplacedShell() {
  static TTrayShell* shell = nullptr;
  return shell;
}

}  // namespace

std::vector<int> TrayMouseMessages(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Trigger:
      return {WM_LBUTTONDOWN, WM_LBUTTONUP};
    case QSystemTrayIcon::DoubleClick:
      return {WM_LBUTTONDBLCLK};
    case QSystemTrayIcon::Context:
      return {WM_RBUTTONDOWN, WM_RBUTTONUP};
    case QSystemTrayIcon::MiddleClick:
      return {WM_MBUTTONDOWN, WM_MBUTTONUP};
    default:
      return {};
  }
}

void ConnectTrayMessages(QSystemTrayIcon& icon, int id) {
  // Queued: on X11 the icon's click handler is still running when it reports the click, and a
  // handler that takes the icon away (restoring from the tray) would pull the widget out from
  // under it.
  QObject::connect(
      &icon, &QSystemTrayIcon::activated, &icon,
      [id](QSystemTrayIcon::ActivationReason reason) {
        for (int mouseMessage : TrayMouseMessages(reason))
          TNotifyWindow::IconMessage(id, mouseMessage, QCursor::pos());
      },
      Qt::QueuedConnection);
}

bool TQtTrayShell::NotifyIcon(int message, const TNotifyIconData& data) {
  const auto found = FIcons.find(data.uID);
  switch (message) {
    case NIM_ADD: {
      if (found != FIcons.end() || !QSystemTrayIcon::isSystemTrayAvailable()) return false;
      auto icon = std::make_unique<QSystemTrayIcon>();
      Apply(*icon, data);
      ConnectTrayMessages(*icon, data.uID);
      icon->show();
      FIcons.emplace(data.uID, std::move(icon));
      return true;
    }
    case NIM_MODIFY:
      if (found == FIcons.end()) return false;
      Apply(*found->second, data);
      return true;
    case NIM_DELETE:
      if (found == FIcons.end()) return false;
      found->second->hide();
      // Later: the icon may be the one whose click is being handled right now.
      found->second.release()->deleteLater();
      FIcons.erase(found);
      return true;
    default:
      return false;
  }
}

TTrayShell& TrayShell() {
  static TQtTrayShell shell;
  return ReplacedShell() ? *ReplacedShell() : shell;
}

void SetTrayShell(TTrayShell* shell) { ReplacedShell() = shell; }
