// Platform services: the periodic timer.
#pragma once

#include <cstdint>

#include "base/platform/Zol_classes.h"

namespace zol {

// A periodic timer on the host's clock (Application()->Clock(), milliseconds).
// A timer that is enabled and has a positive Interval runs: enabled at time t
// it fires (calls OnTimer when assigned) at t + Interval, t + 2·Interval, …
// Changing Interval or re-enabling it starts the period again from the
// current time.  Timers fire on the calling thread from the host's clock
// (AdvanceClock in the headless host).
class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  unsigned Interval() const { return FInterval; }
  void SetInterval(unsigned v);  // default 1000
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool v);       // default true
  // True while the timer is scheduled on the host clock.
  bool Running() const { return FRunning; }
  // The host time of the next firing (valid while Running).
  uint64_t DueTime() const { return FDue; }
  // Number of times OnTimer was fired.
  int64_t FireCount() const { return FFireCount; }
  TNotifyEvent OnTimer;

  // Called by the host when the timer is due.
  void Fire();

 private:
  friend class TApplication;
  void UpdateTimer();
  unsigned FInterval = 1000;
  bool FEnabled = true;
  bool FRunning = false;
  uint64_t FDue = 0;
  uint64_t FSeq = 0;  // start order, breaks ties between timers due at the same time
  int64_t FFireCount = 0;
};

}  // namespace zol
