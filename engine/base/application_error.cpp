#include "base/application_error.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace {

std::mutex displayMutex;
TApplicationErrorDisplay installedDisplay;

void DefaultDisplay(const std::exception& error) {
  std::fprintf(stderr, "VARO: %s\n", error.what());
  std::fflush(stderr);
}

}  // namespace

void SetApplicationErrorDisplay(TApplicationErrorDisplay display) {
  std::lock_guard lock(displayMutex);
  installedDisplay = std::move(display);
}

void ShowApplicationError(const std::exception& error) {
  TApplicationErrorDisplay display;
  {
    std::lock_guard lock(displayMutex);
    display = installedDisplay;
  }
  if (display)
    display(error);
  else
    DefaultDisplay(error);
}
