#pragma once
// TPlatform: the platform object behind the shell's services (application loop, timers,
// windows, screen, dialogs). The event loop, the message priorities, the timer records and the
// paint bookkeeping are written here once; a back end (TPlatformBackend) only waits for OS
// events, translates them into posted messages, and keeps native windows.
//
// Message order, one message per pass: posted messages and input (first in, first out), then
// the quit message, then paints, then timer ticks. A periodic timer that falls due gets one
// waiting tick; periods that pass while it waits are not made up, and the timer keeps its
// phase. Waiting ticks go out in the order in which they fell due (creation order on a tie).
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "shell/app/Services.h"
#include "shell/core/Object.h"
#include "shell/platform/Backend.h"
#include "shell/platform/PlatformWindow.h"

// A record of the timer service: one per running timer, in creation order.
struct TWin32TimerInfo {
  uintptr_t TimerID;
  uintptr_t TimerHandle;
  TTimerProc TimerFunc;
};

// A posted message: a procedure to run, or a request for a window.
enum class TMessageKind { Call, Close };
struct TMessage {
  TMessageKind Kind = TMessageKind::Call;
  TPlatformWindow* Window = nullptr;
  std::function<void()> Proc;
};

class TPlatform : public TObject,
                  public IApplicationService,
                  public ITimerService,
                  public IWindowService,
                  public IScreenService,
                  public IDialogService {
 public:
  // Registers the services and, if there is none yet, creates the application object, which
  // the platform then owns.
  explicit TPlatform(std::unique_ptr<TPlatformBackend> ABackend);
  ~TPlatform() override;
  TPlatform(const TPlatform&) = delete;
  TPlatform& operator=(const TPlatform&) = delete;

  // The platform alive, or none.
  static TPlatform* Current();

  TPlatformBackend& Backend() const { return *FBackend; }

  // IApplicationService
  void Run() override;
  bool HandleMessage() override;
  void WaitMessage() override;
  void Terminate() override;
  bool Terminating() override { return FTerminating; }
  bool Running() override { return FRunning; }
  void PostCall(std::function<void()> Proc) override { PostMessage({TMessageKind::Call, nullptr, std::move(Proc)}); }
  void WakeMainThread() override { FBackend->Wake(); }

  // ITimerService
  uintptr_t CreateTimer(int32_t Interval, TTimerProc TimerFunc) override;
  bool DestroyTimer(uintptr_t Timer) override;
  double GetTick() override { return FBackend->Now() / 1000.0; }

  // IWindowService
  TWindowHandle* CreateWindow(TCommonCustomForm* AForm) override;
  void DestroyWindow(TCommonCustomForm* AForm) override;
  void ShowWindow(TCommonCustomForm* AForm) override;
  void HideWindow(TCommonCustomForm* AForm) override;
  void SetWindowCaption(TCommonCustomForm* AForm, const std::string& ACaption) override;
  TRectF GetWindowRect(TCommonCustomForm* AForm) override;
  void SetWindowRect(TCommonCustomForm* AForm, const TRectF& ARect) override;
  TSizeF GetClientSize(TCommonCustomForm* AForm) override;
  void SetClientSize(TCommonCustomForm* AForm, const TSizeF& ASize) override;
  float GetWindowScale(TCommonCustomForm* AForm) override;
  void InvalidateWindowRect(TCommonCustomForm* AForm, const TRectF& ARect) override;

  // IScreenService
  TSizeF GetScreenSize() override { return FBackend->ScreenSize(); }
  TRectF GetWorkArea() override { return FBackend->WorkArea(); }
  float GetScreenScale() override { return FBackend->ScreenScale(); }
  void SetScreenOrientation(TScreenOrientations) override {}

  // IDialogService
  void ShowErrorBox(const std::string& Text) override { FBackend->ShowErrorBox(Text); }

  // Queue access for back ends and tools.
  void PostMessage(TMessage Message);
  void PostQuitMessage() { FQuitPosted = true; }
  // Whether a message can be taken now (due timers count).
  bool HasMessage();
  // The clock time at which the next timer falls due; NoDeadline when none runs.
  double NextTimerDue() const;

  // The timer records, in order; and the period of a record's platform timer.
  const std::vector<TWin32TimerInfo>& TimerData() const { return FTimerData; }
  int32_t TimerInterval(uintptr_t TimerID) const;
  // The timer callback: calls the record of TimerID, found from the last record to the first.
  void TimerCallBackProc(uintptr_t TimerID);

  TPlatformWindow* FindWindow(TCommonCustomForm* AForm) const;
  const std::vector<std::unique_ptr<TPlatformWindow>>& Windows() const { return FWindows; }

 private:
  // A periodic platform timer.
  struct TPeriodic {
    int32_t Interval;
    double NextDue;
    bool Pending = false;
    double FellDue = 0;
  };

  // Marks the timers that have fallen due by the back end's clock.
  void CheckTimers();
  bool PeekMessage(TMessage& Message, bool& Quit, TPlatformWindow*& Paint, uintptr_t& Tick);
  void Dispatch(const TMessage& Message);
  void DispatchPaint(TPlatformWindow& Window);
  void DispatchTimer(uintptr_t TimerID);
  void StopAllTimers();
  TPlatformWindow& WindowOf(TCommonCustomForm* AForm) const;

  std::unique_ptr<TPlatformBackend> FBackend;
  bool FOwnsApplication = false;

  bool FRunning = false;
  bool FTerminating = false;
  bool FIsPostQuitMessage = false;
  bool FQuitPosted = false;
  int FDispatching = 0;
  std::deque<TMessage> FPosted;

  std::vector<TWin32TimerInfo> FTimerData;
  std::atomic<int32_t> FHandleCounter{128};
  uintptr_t FNextTimerID = 1;
  std::map<uintptr_t, TPeriodic> FPeriodic;

  std::vector<std::unique_ptr<TPlatformWindow>> FWindows;
};
