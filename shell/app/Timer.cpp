#include "shell/app/Timer.h"

#include "shell/core/PlatformServices.h"

const TMetaClass& TTimer::StaticClass() {
  return ClassRecord<TTimer>("TTimer", &TTreeObject::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true);
    B.Property("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(uint32_t{1000});
    B.Property("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
  });
}

TTimer::TTimer(TComponent* AOwner) : TTreeObject(AOwner) {
  FPlatformTimer = &TPlatformServices::Current().Get<ITimerService>();
}

TTimer::~TTimer() {
  // A plain delete skips BeforeDestruction; the platform timer must not outlive the object.
  if (FTimerHandle != cIdNoTimer) TTimer::KillTimer();
}

void TTimer::BeforeDestruction() {
  FOnTimer = nullptr;
  FEnabled = false;
  KillTimer();
  TTreeObject::BeforeDestruction();
}

void TTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(uint32_t Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
  if (Value == FOnTimer) return;
  FOnTimer = Value;
  UpdateTimer();
}

void TTimer::Loaded() {
  TTreeObject::Loaded();
  UpdateTimer();
}

void TTimer::Timer() {
  if (FEnabled && FInterval > 0) DoOnTimer();
}

void TTimer::DoOnTimer() {
  if (FOnTimer) FOnTimer(this);
}

void TTimer::UpdateTimer() {
  KillTimer();
  TComponentState State = ComponentState();
  if (!FEnabled || FInterval == 0 || State.Contains(csLoading) || State.Contains(csDestroying) ||
      State.Contains(csDesigning) || !FOnTimer)
    return;
  // An interval above the signed range arrives negative and is refused like any other.
  FTimerHandle = FPlatformTimer->CreateTimer(static_cast<int32_t>(FInterval), TTimerProc(this, &TTimer::Timer));
  if (FTimerHandle == 0) FEnabled = false;
}

void TTimer::KillTimer() {
  if (FTimerHandle == cIdNoTimer) return;
  FPlatformTimer->DestroyTimer(FTimerHandle);
  FTimerHandle = cIdNoTimer;
}
