// Bringing a window to the front for another process's launch: the launcher's activation
// token (Wayland) or startup id (X11) lets the window take the focus that the desktop's
// focus-stealing prevention would otherwise refuse.
#pragma once

#include <QString>

class QWidget;

// Shows, raises and activates window; token is the launched process's XDG_ACTIVATION_TOKEN
// or DESKTOP_STARTUP_ID, or empty. On X11 the launch's startup notification is also ended.
void ActivateForLaunch(QWidget* window, const QString& token);
