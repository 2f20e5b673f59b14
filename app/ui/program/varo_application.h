// The application object: errors that reach the event loop are shown in the standard error
// box instead of ending the program.
#pragma once

#include <QApplication>

class TVaroApplication : public QApplication {
  Q_OBJECT

 public:
  TVaroApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// Process-wide settings that must precede the application object: XWayland over native
// Wayland, whole-number HiDPI scale factors (skins stay crisp).
void PrepareApplicationStart();
