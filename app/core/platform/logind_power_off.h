// Power-off through systemd-logind on the system bus: CanPowerOff, then PowerOff with
// interactive authorisation (the desktop may ask for a password).
#pragma once

#include "core/playback/power_off.h"

class QDBusPendingCallWatcher;

class TLogindPowerOff : public TPowerOff {
 public:
  TLogindPowerOff();
  ~TLogindPowerOff() override;

  // "yes" and "challenge" can; "no", "na" or no login manager cannot.
  bool CanPowerOff() override;
  // While an earlier request still waits (an authorisation dialog is open), none is added.
  void PowerOff(TPowerOffRefused refused) override;

 private:
  QDBusPendingCallWatcher* FPending = nullptr;
};
