// What the window system lets a skinned window do. Shaped windows, placing one's own
// windows and stay-on-top need X11; under Wayland the program runs through XWayland when it
// can, and on native Wayland those features are switched off instead of half working.
#pragma once

// Before the application object exists: under Wayland with XWayland available and
// no platform chosen by the user, pick xcb.
void PreferXcbUnderWayland();

// After the application object exists.
bool IsNativeWayland();
inline bool CanPlaceWindows() { return !IsNativeWayland(); }
inline bool CanStayOnTop() { return !IsNativeWayland(); }
