#pragma once
// TScriptHost: what a script (TScript) asks of the platform it runs on besides the loop and
// the window procedure: time passing, and what a user does to the window itself. The headless
// back end does it on its virtual clock (THeadlessHost); a real window plays a script at the
// pace it gives, on the wall clock (see Player.h).
#include <cstdint>
#include <string>
#include <vector>

#include "shell/core/Export.h"

class TPlatformWindow;
class THeadlessBackend;

/// What a script asks of the platform it runs on besides the loop and the window procedure:
/// time passing, and what a user does to the window itself.
class KELVANE_API TScriptHost {
 public:
  virtual ~TScriptHost() = default;
  // Ms milliseconds pass, in which the timers fall due by the clock; the script goes on after.
  virtual void Advance(double Ms) = 0;
  // Ms milliseconds pass, in which exactly the timer messages Names (by TPlatform::TimerName)
  // are dispatched, in this order, and no other.
  virtual void Ticks(double Ms, const std::vector<std::string>& Names) = 0;
  // Why the last Advance ended before its time, once; empty when it did not.
  virtual std::string TakeStepError() { return {}; }
  // The user sizes the window's client area to Width × Height physical pixels.
  virtual void Resize(TPlatformWindow& Window, int32_t Width, int32_t Height) = 0;
  // The window moves to a monitor of the scale Scale.
  virtual void ChangeScale(TPlatformWindow& Window, float Scale) = 0;
  // The user closes the window.
  virtual void Close(TPlatformWindow& Window) = 0;
};

/// A script on the headless back end: virtual time, exact and the same every run (inside the
/// library, as the back end is: the start-up makes it for --headless-script).
class THeadlessHost : public TScriptHost {
 public:
  explicit THeadlessHost(THeadlessBackend& Backend) : FBackend(Backend) {}
  void Advance(double Ms) override;
  void Ticks(double Ms, const std::vector<std::string>& Names) override;
  std::string TakeStepError() override;
  void Resize(TPlatformWindow& Window, int32_t Width, int32_t Height) override;
  void ChangeScale(TPlatformWindow& Window, float Scale) override;
  void Close(TPlatformWindow& Window) override;

 private:
  THeadlessBackend& FBackend;
};
