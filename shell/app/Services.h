#pragma once
// The platform services that the shell asks for by interface through TPlatformServices.
// This header declares interfaces only, so that layers below the application (controls,
// forms) may use a service without linking the application library.
#include <cstdint>
#include <functional>
#include <string>

#include "shell/core/Export.h"
#include "shell/core/Geometry2D.h"
#include "shell/core/Object.h"

class TCommonCustomForm;
class TWindowHandle;

/// A procedure without arguments bound to an object: what a platform timer calls on each tick.
using TTimerProc = TEvent<>;

/// The main thread's event loop and the end of the program.
class KELVANE_API IApplicationService {
 public:
  static const char* ServiceName() { return "IApplicationService"; }
  virtual ~IApplicationService() = default;
  /// Creates the registered forms, shows the main form and runs the loop until terminated.
  virtual void Run() = 0;
  /// Takes and dispatches one message; False when the queue was empty.
  virtual bool HandleMessage() = 0;
  /// Waits until a message can be taken.
  virtual void WaitMessage() = 0;
  /// Stops every timer and asks the loop to end after the current message.
  virtual void Terminate() = 0;
  virtual bool Terminating() = 0;
  virtual bool Running() = 0;
  /// Posts a message that runs Proc when the loop takes it.
  virtual void PostCall(std::function<void()> Proc) = 0;
  /// Ends a WaitMessage of the main thread; safe from any thread.
  virtual void WakeMainThread() = 0;
};

/// Periodic timers delivered as messages of the event loop.
class KELVANE_API ITimerService {
 public:
  static const char* ServiceName() { return "ITimerService"; }
  virtual ~ITimerService() = default;
  /// A handle (never 0) for a new periodic timer, or 0 when refused.
  virtual uintptr_t CreateTimer(int32_t Interval, TTimerProc TimerFunc) = 0;
  /// Stops the timer behind Timer; whether one was stopped.
  virtual bool DestroyTimer(uintptr_t Timer) = 0;
  /// The service's clock in seconds.
  virtual double GetTick() = 0;
};

/// Native windows for forms. Rectangles and sizes are in logical pixels.
class KELVANE_API IWindowService {
 public:
  static const char* ServiceName() { return "IWindowService"; }
  virtual ~IWindowService() = default;
  /// Creates the form's window, hidden, at the system's default place and size.
  virtual TWindowHandle* CreateWindow(TCommonCustomForm* AForm) = 0;
  virtual void DestroyWindow(TCommonCustomForm* AForm) = 0;
  virtual void ShowWindow(TCommonCustomForm* AForm) = 0;
  virtual void HideWindow(TCommonCustomForm* AForm) = 0;
  virtual void SetWindowCaption(TCommonCustomForm* AForm, const std::string& ACaption) = 0;
  virtual TRectF GetWindowRect(TCommonCustomForm* AForm) = 0;
  virtual void SetWindowRect(TCommonCustomForm* AForm, const TRectF& ARect) = 0;
  virtual TSizeF GetClientSize(TCommonCustomForm* AForm) = 0;
  /// Gives the window a client area of ASize (rounded up to whole physical pixels), keeping
  /// its position.
  virtual void SetClientSize(TCommonCustomForm* AForm, const TSizeF& ASize) = 0;
  virtual float GetWindowScale(TCommonCustomForm* AForm) = 0;
  /// Marks ARect of the client area (logical pixels) for the next paint.
  virtual void InvalidateWindowRect(TCommonCustomForm* AForm, const TRectF& ARect) = 0;
  /// Asks for a paint of the window without marking any part of it: before the next paint takes
  /// the marked parts, the form prepares its frames (TCommonCustomForm::PrepareFrames), which
  /// mark what they changed. False when the window service cannot do that; the caller then
  /// marks what may change itself.
  virtual bool RequestFramePaint(TCommonCustomForm* /*AForm*/) { return false; }
};

enum class TScreenOrientation { Portrait, Landscape, InvertedPortrait, InvertedLandscape };
using TScreenOrientations = TSet<TScreenOrientation>;

/// The screen: its size and work area in logical pixels, and the orientations allowed.
class KELVANE_API IScreenService {
 public:
  static const char* ServiceName() { return "IScreenService"; }
  virtual ~IScreenService() = default;
  virtual TSizeF GetScreenSize() = 0;
  virtual TRectF GetWorkArea() = 0;
  virtual float GetScreenScale() = 0;
  virtual void SetScreenOrientation(TScreenOrientations Orientations) = 0;
};

/// Message boxes of the platform.
class KELVANE_API IDialogService {
 public:
  static const char* ServiceName() { return "IDialogService"; }
  virtual ~IDialogService() = default;
  /// Shows Text in an error box with a single OK button and returns when it is closed; false
  /// when no box could be shown (no display, or the system refused it).
  virtual bool ShowErrorBox(const std::string& Text) = 0;
};
