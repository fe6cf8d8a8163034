#pragma once
// TPlatformBackend: what a back end supplies to the shared platform object: a clock, the
// wait for OS events (translated into messages posted on the platform), native windows, the
// screen and the error box. Everything else (the queue and its priorities, the timers, the
// paint bookkeeping) is the platform's own.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "shell/canvas/Canvas.h"
#include "shell/core/Geometry2D.h"

class TPlatform;
class TPlatformWindow;

class TPlatformBackend {
 public:
  static constexpr double NoDeadline = std::numeric_limits<double>::infinity();

  virtual ~TPlatformBackend() = default;
  // Called once by the platform that uses this back end.
  virtual void Attach(TPlatform& Platform) { FPlatform = &Platform; }

  // Milliseconds on the back end's clock (monotonic; the origin is arbitrary).
  virtual double Now() = 0;
  // Takes the OS events that have arrived, without waiting.
  virtual void Poll() = 0;
  // Waits until an OS event arrives, the clock reaches Deadline (NoDeadline: no limit) or
  // Wake is called; translates what arrived. May return early.
  virtual void Wait(double Deadline) = 0;
  // Ends a Wait; safe from any thread.
  virtual void Wake() = 0;
  // How many timers the system grants a process at once; more are refused.
  virtual size_t TimerLimit() { return 10000; }
  // Shows Text in an error box with one OK button; returns when it is closed. False when the
  // box could not be shown.
  virtual bool ShowErrorBox(const std::string& Text) = 0;

  // Native windows: created hidden, at the system's default place; the back end fills in the
  // window's physical bounds, frame and scale.
  virtual void CreateNativeWindow(TPlatformWindow& Window) = 0;
  virtual void DestroyNativeWindow(TPlatformWindow& Window) = 0;
  virtual void ShowNativeWindow(TPlatformWindow& Window) = 0;
  virtual void HideNativeWindow(TPlatformWindow& Window) = 0;
  virtual void SetNativeCaption(TPlatformWindow& Window) = 0;
  // The window's physical bounds changed; the native window follows.
  virtual void SetNativeBounds(TPlatformWindow& Window) = 0;
  // The pixels of the window's client area at its current physical size and scale, for the
  // form's canvas; their Present shows the given device rectangles in the window.
  virtual TWindowBuffer WindowBuffer(TPlatformWindow&) { return {}; }
  // What the window shows now: its client area's pixels as presented (32-bit words A, R, G,
  // B from the high byte down), Stride words a row. False when they cannot be read.
  struct TPresentedPixels {
    const uint32_t* Data = nullptr;
    int Width = 0;
    int Height = 0;
    size_t Stride = 0;
  };
  virtual bool PresentedPixels(TPlatformWindow&, TPresentedPixels&) { return false; }
  // The text of the application window (the taskbar's title).
  virtual void SetNativeAppTitle(const std::string&) {}

  // The screen in logical pixels.
  virtual TSizeF ScreenSize() = 0;
  virtual TRectF WorkArea() = 0;
  virtual float ScreenScale() = 0;

 protected:
  TPlatform* FPlatform = nullptr;
};
