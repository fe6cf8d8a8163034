#pragma once
// The platform's timer service as the controls use it (the slider's paging timer, the button's
// repeat timer), and TControlTimer, a restartable timer on top of it. The service object is
// found in the platform service registry under "ITimerService".
#include <cstdint>

#include "shell/core/Object.h"

using TTimerProc = TEvent<>;

class ITimerService {
 public:
  static const char* ServiceName() { return "ITimerService"; }
  virtual ~ITimerService() = default;
  virtual uintptr_t CreateTimer(int32_t Interval, TTimerProc TimerFunc) = 0;
  virtual bool DestroyTimer(uintptr_t Timer) = 0;
};

// One platform timer with an interval and a handler; stopping or restarting it destroys the
// platform timer, so a handler may change the interval from inside its own tick.
class TControlTimer {
 public:
  TControlTimer() = default;
  ~TControlTimer() { Stop(); }
  TControlTimer(const TControlTimer&) = delete;
  TControlTimer& operator=(const TControlTimer&) = delete;

  // Starts (or restarts) the timer: the first tick comes after Interval milliseconds.
  void Start(int32_t Interval, TTimerProc Proc);
  void Stop();
  // Keeps running but with a new interval; the next tick comes a whole new interval from now.
  void SetInterval(int32_t Interval);
  bool Enabled() const { return FHandle != 0; }
  int32_t Interval() const { return FInterval; }

 private:
  uintptr_t FHandle = 0;
  int32_t FInterval = 0;
  TTimerProc FProc;
};
