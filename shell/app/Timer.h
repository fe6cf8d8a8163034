#pragma once
#include <cstdint>

#include "shell/core/Export.h"
#include "shell/app/Services.h"
#include "shell/core/TreeObject.h"

/// The handle of a timer that has no platform timer.
constexpr uintptr_t cIdNoTimer = static_cast<uintptr_t>(-1);

/// TTimer: a non-visual component that calls OnTimer periodically on the main thread through a
/// timer of the platform's timer service.
class KELVANE_API TTimer : public TTreeObject {
  KLV_CLASS(TTimer)
 public:
  /// Raises EUnsupportedPlatformService when the platform has no timer service. Never starts a
  /// platform timer.
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);
  uint32_t Interval() const { return FInterval; }
  virtual void SetInterval(uint32_t Value);
  TNotifyEvent OnTimer() const { return FOnTimer; }
  virtual void SetOnTimer(TNotifyEvent Value);

  /// What the timer service calls on each tick.
  void Timer();
  uintptr_t TimerHandle() const { return FTimerHandle; }

  void Loaded() override;

 protected:
  void BeforeDestruction() override;
  virtual void DoOnTimer();
  /// The one place where a platform timer is started.
  virtual void UpdateTimer();
  virtual void KillTimer();

 private:
  uint32_t FInterval = 1000;
  uintptr_t FTimerHandle = cIdNoTimer;
  TNotifyEvent FOnTimer;
  bool FEnabled = true;
  ITimerService* FPlatformTimer = nullptr;
};
