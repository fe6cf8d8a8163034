#pragma once
#include <cstdint>

#include "shell/core/Export.h"
#include "shell/app/Services.h"

/// TControlTimer: a restartable platform timer for controls (the slider's paging timer, the
/// button's repeat timer), on the "ITimerService" of the platform service registry.
class KELVANE_API TControlTimer {
 public:
  TControlTimer() = default;
  ~TControlTimer() { Stop(); }
  TControlTimer(const TControlTimer&) = delete;
  TControlTimer& operator=(const TControlTimer&) = delete;

  /// Starts (or restarts) the timer: the first tick comes after Interval milliseconds.
  void Start(int32_t Interval, TTimerProc Proc);
  void Stop();
  /// Keeps running with a new interval; the next tick comes a whole new interval from now.
  /// A handler may call it (or Stop) from inside its own tick.
  void SetInterval(int32_t Interval);
  bool Enabled() const { return FHandle != 0; }
  int32_t Interval() const { return FInterval; }

 private:
  uintptr_t FHandle = 0;
  int32_t FInterval = 0;
  TTimerProc FProc;
};
