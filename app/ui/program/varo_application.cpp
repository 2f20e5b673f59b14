#include "ui/program/varo_application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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

QTranslator* InstallQtTranslations() {
  auto* translator = new QTranslator(QCoreApplication::instance());
  if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      QCoreApplication::installTranslator(translator))
    return translator;
  delete translator;
  return nullptr;
}
