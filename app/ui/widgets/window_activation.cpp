#include "ui/widgets/window_activation.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGlobal>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/platform/window_system.h"

namespace {

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

// The startup-notification protocol's "remove": the launcher stops its busy feedback. The
// message goes to the root window in 20-byte pieces, the first typed _BEGIN.
void EndStartupNotification(xcb_connection_t* c, xcb_window_t window, xcb_window_t root,
                            const QByteArray& id) {
  QByteArray message = "remove: ID=\"" + QByteArray(id).replace('\\', "\\\\").replace('"', "\\\"") + '"';
  message.append('\0');
  const xcb_atom_t begin = Atom(c, "_NET_STARTUP_INFO_BEGIN");
  const xcb_atom_t more = Atom(c, "_NET_STARTUP_INFO");
  for (qsizetype at = 0; at < message.size(); at += 20) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 8;
    event.window = window;
    event.type = at == 0 ? begin : more;
    std::memcpy(event.data.data8, message.constData() + at,
                size_t(std::min<qsizetype>(20, message.size() - at)));
    xcb_send_event(c, 0, root, XCB_EVENT_MASK_PROPERTY_CHANGE, reinterpret_cast<const char*>(&event));
  }
}

void UseX11StartupId(QWidget* window, const QString& id) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->connection()) return;
  xcb_connection_t* c = x11->connection();
  const auto handle = static_cast<xcb_window_t>(window->winId());
  const QByteArray bytes = id.toUtf8();
  // The window manager takes the launch's time from the id when the window asks for focus.
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, handle, Atom(c, "_NET_STARTUP_ID"), Atom(c, "UTF8_STRING"), 8,
                      static_cast<uint32_t>(bytes.size()), bytes.constData());
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  if (screen) EndStartupNotification(c, handle, screen->root, bytes);
  xcb_flush(c);
}

}  // namespace

void ActivateForLaunch(QWidget* window, const QString& token) {
  window->show();
  window->raise();
  if (!token.isEmpty()) {
    if (IsNativeWayland())
      qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());  // taken by the next activation request
    else if (QGuiApplication::platformName() == QLatin1String("xcb"))
      UseX11StartupId(window, token);
  }
  window->activateWindow();
}
