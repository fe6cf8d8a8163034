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
#include "shell/controls/InputTypes.h"
#include "shell/core/Object.h"
#include "shell/forms/Form.h"
#include "shell/platform/Backend.h"
#include "shell/platform/PlatformWindow.h"

class TRecorder;

// A record of the timer service: one per running timer, in creation order.
struct TWin32TimerInfo {
  uintptr_t TimerID;
  uintptr_t TimerHandle;
  TTimerProc TimerFunc;
};

// A posted message: a procedure to run, or a request for a window. A message with a window
// goes away with the window.
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
  bool RequestFramePaint(TCommonCustomForm* AForm) override;

  // IScreenService
  TSizeF GetScreenSize() override { return FBackend->ScreenSize(); }
  TRectF GetWorkArea() override { return FBackend->WorkArea(); }
  float GetScreenScale() override { return FBackend->ScreenScale(); }
  void SetScreenOrientation(TScreenOrientations) override {}

  // IDialogService
  bool ShowErrorBox(const std::string& Text) override { return FBackend->ShowErrorBox(Text); }

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

  // The name of a timer in recordings: its owner's name (a component's Name, "Application" for
  // the application's own timer), with "#2", "#3"... for the second and later records whose
  // owners have the same name; empty when no such timer runs.
  std::string TimerName(uintptr_t TimerID) const;

  // Replaying a recording: from the first request on, timers no longer fall due by the clock;
  // each requested timer message (by TimerName) is dispatched in turn, with the loop's usual
  // priorities, and nothing else. A name that no running timer has when its turn comes is
  // skipped and kept as an error (TakeTickError, once).
  void RequestTick(const std::string& Name);
  // Timers fall due only by request from now on, none asked for yet.
  void StartTicksByRequest() { FTicksByRequest = true; }
  bool TicksByRequest() const { return FTicksByRequest; }
  // Requested ticks not yet dispatched.
  size_t RequestedTicks() const { return FRequested.size(); }
  std::string TakeTickError();
  // The timers fall due by the clock again, each a whole period from now.
  void StopTicksByRequest();

  // Called whenever the loop would wait for the system (nothing to dispatch, paint or tick):
  // returns the clock time by which it wants to be called again (NoDeadline: not before
  // something else happens; now or earlier: it has given the loop something to do). A real
  // window plays a script through it. None by default.
  void SetIdleDriver(std::function<double()> Driver) { FIdleDriver = std::move(Driver); }

  // Records what is dispatched from now on (see TRecorder); the platform owns it.
  void SetRecorder(std::unique_ptr<TRecorder> Recorder);
  TRecorder* Recorder() const { return FRecorder.get(); }
  // The fingerprint (FrameFingerprint) of what Window shows now, once what waits to be painted
  // is painted; empty when the back end cannot read it.
  std::string PresentedFingerprint(TPlatformWindow& Window);

  TPlatformWindow* FindWindow(TCommonCustomForm* AForm) const;
  const std::vector<std::unique_ptr<TPlatformWindow>>& Windows() const { return FWindows; }

  // The window procedure: what the system reports about a window, as a back end translates
  // it. Back ends post these (PostWindowMessage), so that each is one message of the loop.
  //
  // The window now has the outer rectangle Bounds (physical pixels) and the placement State:
  // the form follows; a new size needs the whole client area painted. A minimised window is
  // not painted; what waits is painted, once, when it is restored.
  void WindowPosChanged(TPlatformWindow& Window, const TPhysicalRect& Bounds, TWindowState State);
  // The monitor's scale for the window is now Scale (DPI / 96). A change of more than 0.0001
  // keeps the logical client size, so the physical size and the window are recomputed; the
  // form makes its resources anew.
  void WindowScaleChanged(TPlatformWindow& Window, float Scale);
  void WindowActivated(TPlatformWindow& Window, bool Active);
  // The system took the window off the screen or put it back (the window manager unmapped or
  // mapped it, as for another workspace): no paints meanwhile, one whole paint after.
  void WindowMapped(TPlatformWindow& Window, bool Mapped);
  // The system lost what the window showed: all of the client area is painted again.
  void WindowExposed(TPlatformWindow& Window);
  // Mouse and keys, at physical client coordinates; the form gets them in logical ones.
  void WindowMouseMove(TPlatformWindow& Window, TShiftState Shift, float X, float Y);
  void WindowMouseDown(TPlatformWindow& Window, TMouseButton Button, TShiftState Shift, float X, float Y);
  void WindowMouseUp(TPlatformWindow& Window, TMouseButton Button, TShiftState Shift, float X, float Y);
  void WindowMouseWheel(TPlatformWindow& Window, TShiftState Shift, int WheelDelta);
  void WindowMouseLeave(TPlatformWindow& Window);
  void WindowKeyDown(TPlatformWindow& Window, uint16_t Key, char32_t KeyChar, TShiftState Shift);
  void WindowKeyUp(TPlatformWindow& Window, uint16_t Key, char32_t KeyChar, TShiftState Shift);
  // Posts Proc as a message for Window; dropped if the window is destroyed before it is taken.
  void PostWindowMessage(TPlatformWindow& Window, std::function<void(TPlatformWindow&)> Proc);
  // The user asks to close the window: the form's Close, as one message of the loop.
  void PostCloseMessage(TPlatformWindow& Window) { PostMessage({TMessageKind::Close, &Window, nullptr}); }

  // The application's title, the default title (the program's file name up to its first ".",
  // letters after the first in lower case) unless set.
  const std::string& Title() const { return FTitle; }
  void SetTitle(const std::string& Value);
  static std::string DefaultTitle();
  // Gives the application window its text: the main form's caption while the title is
  // "application" or the default title, else the title (the default one when it is empty).
  // Runs after the forms are created and whenever the main form's caption changes.
  void UpdateAppTitle();
  const std::string& AppTitle() const { return FAppTitle; }

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
  int64_t FMainCaptionChangedId = 0;

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
  std::unique_ptr<TRecorder> FRecorder;
  std::function<double()> FIdleDriver;
  bool FTicksByRequest = false;
  std::deque<std::string> FRequested;
  std::string FTickError;
  std::string FTitle = DefaultTitle();
  std::string FAppTitle;
};
