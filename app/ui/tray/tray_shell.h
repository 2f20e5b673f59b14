// The notification area as the tray icons see it: one record per icon, added, changed and
// removed by identifier, and mouse messages coming back for an identifier. The program's
// shell is QSystemTrayIcon (qt_tray_shell.h); tests put a fake in its place.
#pragma once

#include <QByteArray>
#include <QIcon>

#include "base/window_messages.h"

class QObject;

inline constexpr int NIM_ADD = 0;
inline constexpr int NIM_MODIFY = 1;
inline constexpr int NIM_DELETE = 2;

inline constexpr int NIF_MESSAGE = 1;
inline constexpr int NIF_ICON = 2;
inline constexpr int NIF_TIP = 4;

inline constexpr int kTrayCallbackMessage = WM_USER + 102;  // 1126
inline constexpr int kNotifyIconDataSize = 88;
inline constexpr int kTrayTipColumns = 63;  // what the old 64-byte tip buffer held on screen

// The mouse messages reported for an icon.
inline constexpr int WM_MOUSEMOVE = 0x200;
inline constexpr int WM_LBUTTONDOWN = 0x201;
inline constexpr int WM_LBUTTONUP = 0x202;
inline constexpr int WM_LBUTTONDBLCLK = 0x203;
inline constexpr int WM_RBUTTONDOWN = 0x204;
inline constexpr int WM_RBUTTONUP = 0x205;
inline constexpr int WM_RBUTTONDBLCLK = 0x206;
inline constexpr int WM_MBUTTONDOWN = 0x207;
inline constexpr int WM_MBUTTONUP = 0x208;

struct TNotifyIconData {
  int cbSize = 0;
  QObject* hWnd = nullptr;  // the owner the messages belong to
  int uID = 0;
  int uFlags = 0;
  int uCallbackMessage = 0;
  QIcon hIcon;
  QByteArray szTip;  // UTF-8, at most kTrayTipColumns wide, never a split character
};

class TTrayShell {
 public:
  virtual ~TTrayShell() = default;
  // NIM_ADD, NIM_MODIFY or NIM_DELETE; false when the shell refuses.
  virtual bool NotifyIcon(int message, const TNotifyIconData& data) = 0;
};

// The shell every TTaskTray talks to.
TTrayShell& TrayShell();
// Replaces it (tests); nullptr restores the program's own.
void SetTrayShell(TTrayShell* shell);
