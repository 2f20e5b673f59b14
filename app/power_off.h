// Switching the computer off. The program asks the desktop's login manager; tests put a
// fake in its place, so no test can ever switch anything off.
#pragma once

class TPowerOff {
public:
  virtual ~TPowerOff() = default;
  virtual bool CanPowerOff() = 0;
  // Asks for the power-off and returns at once; the result is not awaited.
  virtual void PowerOff() = 0;
};

// The power-off the sleep timer uses: systemd-logind unless replaced (tests).
TPowerOff& PowerOffService();
// nullptr restores the program's own.
void SetPowerOffService(TPowerOff* service);
