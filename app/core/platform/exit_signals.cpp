#include "core/platform/exit_signals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>
#include <array>
#include <cerrno>
#include <csignal>
#include <stdexcept>

namespace {

constexpr std::array<int, 2> kExitSignals{SIGTERM, SIGHUP};

// The write end is all the handler touches: a write(2) is safe in a signal handler.
int SignalPipe[2] = {-1, -1};
struct sigaction Previous[kExitSignals.size()];

extern "C" void NoteSignal(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds a note that has not been read: nothing is lost.
  [[maybe_unused]] const ssize_t written = ::write(SignalPipe[1], &byte, 1);
  errno = saved;
}

}  // namespace

TExitSignals::TExitSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), FOnSignal(std::move(onSignal)) {
  if (SignalPipe[0] >= 0) throw std::logic_error("the exit signals are taken already");
  if (::pipe2(SignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
    throw std::runtime_error("cannot create the signal pipe");
  FNotifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, this);
  connect(FNotifier, &QSocketNotifier::activated, this, [this] {
    char bytes[16];
    while (::read(SignalPipe[0], bytes, sizeof bytes) > 0) {
    }
    if (FOnSignal) FOnSignal();
  });
  struct sigaction action {};
  action.sa_handler = NoteSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (size_t i = 0; i < kExitSignals.size(); ++i) sigaction(kExitSignals[i], &action, &Previous[i]);
}

TExitSignals::~TExitSignals() {
  for (size_t i = 0; i < kExitSignals.size(); ++i) sigaction(kExitSignals[i], &Previous[i], nullptr);
  delete FNotifier;
  for (int& fd : SignalPipe) {
    ::close(fd);
    fd = -1;
  }
}
