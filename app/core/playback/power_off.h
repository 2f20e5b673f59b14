// Switching the computer off. The program asks the desktop's login manager; tests put a
// fake in its place, so no test can ever switch anything off.
#pragma once

#include <QString>

#include <functional>

// Why a power-off did not happen, in words for the user.
using TPowerOffRefused = std::function<void(const QString& why)>;

class TPowerOff {
 public:
  virtual ~TPowerOff() = default;
  virtual bool CanPowerOff() = 0;
  // Asks for the power-off and returns at once; refused runs later if the system says no
  // (or the authorisation it asked for was not given).
  virtual void PowerOff(TPowerOffRefused refused) = 0;
};

// The power-off the sleep timer uses: systemd-logind unless replaced (tests).
TPowerOff& PowerOffService();
// nullptr restores the program's own.
void SetPowerOffService(TPowerOff* service);
