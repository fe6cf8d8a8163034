#include "shell/script/ScriptHost.h"

#include "shell/platform/headless/HeadlessPlatform.h"

void THeadlessHost::Advance(double Ms) { FBackend.Advance(Ms); }

void THeadlessHost::Ticks(double Ms, const std::vector<std::string>& Names) {
  TPlatform& P = *TPlatform::Current();
  P.StartTicksByRequest();
  for (const std::string& Name : Names) P.RequestTick(Name);
  FBackend.Advance(Ms);
}

std::string THeadlessHost::TakeStepError() { return FBackend.TakeStepError(); }

void THeadlessHost::Resize(TPlatformWindow& Window, int32_t Width, int32_t Height) {
  FBackend.Resize(Window, Width, Height);
}

void THeadlessHost::ChangeScale(TPlatformWindow& Window, float Scale) { FBackend.ChangeScale(Window, Scale); }

void THeadlessHost::Close(TPlatformWindow& Window) { FBackend.Close(Window); }
