// SIGTERM and SIGHUP (logging out, a system shutdown, kill) are only noted where they
// arrive and acted on from the event loop, so the program can end the way it always does.
#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

class TExitSignals : public QObject {
 public:
  // onSignal runs from the event loop once for every SIGTERM or SIGHUP received while this
  // object lives; their previous handling returns when it goes.
  explicit TExitSignals(std::function<void()> onSignal, QObject* parent = nullptr);
  ~TExitSignals() override;

  TExitSignals(const TExitSignals&) = delete;
  TExitSignals& operator=(const TExitSignals&) = delete;

 private:
  std::function<void()> FOnSignal;
  QSocketNotifier* FNotifier = nullptr;
};
