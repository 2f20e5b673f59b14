// Opening a file or web address with the desktop's default application. Replaceable, so
// tests can see what would be opened without opening anything.
#pragma once

#include <QUrl>

#include <functional>

void OpenWithDesktop(const QUrl& url);

// An empty function restores QDesktopServices::openUrl.
void SetDesktopOpener(std::function<void(const QUrl&)> opener);
