#include "core/platform/window_system.h"

#include <QGuiApplication>
#include <QtGlobal>

void PreferXcbUnderWayland() {
  if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
  const bool wayland =
      qEnvironmentVariableIsSet("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
  if (wayland && qEnvironmentVariableIsSet("DISPLAY")) qputenv("QT_QPA_PLATFORM", "xcb");
}

bool IsNativeWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }
