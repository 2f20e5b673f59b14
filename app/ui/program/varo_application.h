// The application object: errors that reach the event loop are shown in the standard error
// box instead of ending the program; Qt's own texts in Japanese.
#pragma once

#include <QApplication>

class QTranslator;

class TVaroApplication : public QApplication {
  Q_OBJECT

 public:
  TVaroApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// Process-wide settings that must precede the application object: XWayland over native
// Wayland, whole-number HiDPI scale factors (skins stay crisp).
void PrepareApplicationStart();

// Installs Qt's own Japanese texts (the file, message and font dialogs, the standard buttons)
// for the whole program, whatever the locale: every text of the program's own is Japanese, so
// an English "Cancel" beside a Japanese title would be the odd one out. Returns the installed
// translator (owned by the application; deleting it uninstalls it), or none when Qt's
// translations are not installed, and the dialogs stay in Qt's English.
QTranslator* InstallQtTranslations();
