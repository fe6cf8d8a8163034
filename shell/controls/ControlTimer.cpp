#include "shell/controls/ControlTimer.h"

#include "shell/core/PlatformServices.h"

void TControlTimer::Start(int32_t Interval, TTimerProc Proc) {
  Stop();
  FInterval = Interval;
  FProc = Proc;
  FHandle = TPlatformServices::Current().Get<ITimerService>().CreateTimer(Interval, Proc);
}

void TControlTimer::Stop() {
  if (FHandle == 0) return;
  uintptr_t Handle = FHandle;
  FHandle = 0;
  // The service may be gone at shutdown; then its timers are gone with it.
  if (ITimerService* Service = TPlatformServices::Current().Find<ITimerService>()) Service->DestroyTimer(Handle);
}

void TControlTimer::SetInterval(int32_t Interval) {
  if (Interval == FInterval) return;
  if (Enabled())
    Start(Interval, FProc);
  else
    FInterval = Interval;
}
