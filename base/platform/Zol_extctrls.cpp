#include "base/platform/Zol_extctrls.h"

#include "base/platform/Zol_forms.h"

namespace zol {

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) { UpdateTimer(); }

TTimer::~TTimer() {
  FRunning = false;
  if (TApplication* app = Application()) app->TimerDestroying(this);
}

void TTimer::SetInterval(unsigned v) {
  if (v == FInterval) return;
  FInterval = v;
  UpdateTimer();
}

void TTimer::SetEnabled(bool v) {
  if (v == FEnabled) return;
  FEnabled = v;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (TApplication* app = Application()) app->TimerChanged(this);
}

void TTimer::Fire() {
  ++FFireCount;
  if (OnTimer) {
    TNotifyEvent handler = OnTimer;  // the handler may free the timer
    handler(this);
  }
}

}  // namespace zol
