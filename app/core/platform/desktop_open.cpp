#include "core/platform/desktop_open.h"

#include <QDesktopServices>

namespace {

std::function<void(const QUrl&)>& Opener() {
  static std::function<void(const QUrl&)> opener;
  return opener;
}

}  // namespace

void OpenWithDesktop(const QUrl& url) {
  if (Opener()) {
    Opener()(url);
    return;
  }
  QDesktopServices::openUrl(url);  // a failure is not reported
}

void SetDesktopOpener(std::function<void(const QUrl&)> opener) { Opener() = std::move(opener); }
