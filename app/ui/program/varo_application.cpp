#include "ui/program/varo_application.h"

#include <exception>

#include "core/platform/ui_font.h"
#include "core/platform/window_system.h"
#include "ui/dialogs/error_box.h"

TVaroApplication::TVaroApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("VARO"));
  setApplicationVersion(QStringLiteral(VARO_VERSION));
  setDesktopFileName(QStringLiteral("varo"));
  setFont(InterfaceFont());
  InstallEngineErrorDisplay();
}

bool TVaroApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ShowErrorBox(QString::fromUtf8(e.what()));
    return false;
  }
}

void PrepareApplicationStart() {
  PreferXcbUnderWayland();
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Round);
}
