// The notification area through QSystemTrayIcon. Where the desktop has none (plain GNOME
// without an AppIndicator extension) every add is refused, so nothing is ever hidden into a
// tray that cannot be seen.
#pragma once

#include <QSystemTrayIcon>

#include <map>
#include <memory>
#include <vector>

#include "ui/tray/tray_shell.h"

class TQtTrayShell : public TTrayShell {
 public:
  bool NotifyIcon(int message, const TNotifyIconData& data) override;

 private:
  std::map<int, std::unique_ptr<QSystemTrayIcon>> FIcons;
};

// Hands the icon's activations to TNotifyWindow as mouse messages for the identifier, once
// the icon's own event handling has returned.
void ConnectTrayMessages(QSystemTrayIcon& icon, int id);

// The mouse messages an activation of a QSystemTrayIcon stands for.
std::vector<int> TrayMouseMessages(QSystemTrayIcon::ActivationReason reason);
