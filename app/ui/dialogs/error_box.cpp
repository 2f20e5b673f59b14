#include "ui/dialogs/error_box.h"

#include <QApplication>
#include <QMessageBox>

#include "base/application_error.h"

namespace {

std::function<void(const QString&)>& Handler() {
  static std::function<void(const QString&)> handler;
  return handler;
}

}  // namespace

void ShowErrorBox(const QString& text) {
  if (Handler()) {
    Handler()(text);
    return;
  }
  QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("VARO"), text);
}

void SetErrorBoxHandler(std::function<void(const QString&)> handler) { Handler() = std::move(handler); }

void RunShowingErrors(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const std::exception& e) {
    ShowErrorBox(QString::fromUtf8(e.what()));
  }
}

void InstallEngineErrorDisplay() {
  SetApplicationErrorDisplay([](const std::exception& e) { ShowErrorBox(QString::fromUtf8(e.what())); });
}
