#pragma once
// The headless back end: the shared platform loop on a virtual clock, with windows that exist
// only as records. Nothing sleeps and nothing depends on the machine, so a run is the same
// every time.
//
// Driving a program (the API for tools and tests):
//
//   THeadlessBackend& Headless = InstallHeadlessPlatform();   // before the main block
//   Headless.SetDriver([&] { ...run one script command... });
//   Application->Initialize(); ... Application->CreateForm(...); Application->Run();
//
// - The driver is called whenever the loop would wait: every message of the current virtual
//   moment has been handled (posted messages, paints, due ticks) and no advance is under
//   way. Each call runs one command between two passes of the loop and returns; the loop
//   then handles whatever the command caused before it calls the driver again.
// - Advance(Ms) from the driver moves virtual time Ms milliseconds forward: the loop stops
//   the clock at each moment a timer falls due, delivers that tick (and everything it
//   causes) through the same loop, and calls the driver again once the time has been reached.
//   Outside the loop (no Run under way), Advance runs the loop itself until then. Ms must be
//   a finite number, not negative; a step in which the running timers would fall due more
//   than StepTickLimit times in all is refused before it starts, and one whose handlers start
//   timers that take it past that ends there (TakeStepError tells the driver why).
// - The driver ends the program with Application->Terminate() (the script's end or its quit
//   command): every timer stops, the quit message ends Run, and the forms are freed as at a
//   real exit. Without a driver, a loop with nothing left to do ends the program likewise.
// - Spend(Ms) lets the current handler take time, so that a busy main thread can be shown.
// - TimerRecords() lists the timer service's records in order: handle, interval and the
//   object whose method the timer calls (a TTimer, or the application for its
//   action-update timer).
// - Error boxes print one line "error box: TEXT" on standard output and are kept in
//   ErrorBoxes().
// - Windows paint into pixels in memory (Surface): the client area at its physical size, as
//   last painted, with the list of rectangles each paint presented.
// - What a user does to a window (Resize, Close, ChangeScale) arrives as the system's messages
//   would: posted, and handled by the loop in turn.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "shell/platform/Backend.h"
#include "shell/platform/Platform.h"
#include "shell/platform/PlatformWindow.h"

struct THeadlessOptions {
  // Monitor DPI / 96 for every window.
  float Scale = 1;
  // The screen in physical pixels; the work area is all of it.
  int32_t ScreenWidth = 1920;
  int32_t ScreenHeight = 1080;
  // Where the system puts a new window and how big it makes it, in physical pixels.
  TPhysicalRect DefaultWindow{100, 100, 900, 700};
  // What the system adds around a window's client area.
  TFrameExtents Frame;
  size_t TimerLimit = 10000;
  // The most moments at which timers fall due that one Advance may run through: a step past
  // it would keep the program busy for hours. The game's timers fall due 12 times a virtual
  // second, so a step may last about nine virtual days.
  double StepTickLimit = 1e7;
  // Whether error boxes are printed on standard output.
  bool PrintErrorBoxes = true;
  // Whether error boxes can be shown at all; false acts as a system without a display.
  bool ErrorBoxesShown = true;
};

// One record of the timer service, for listing.
struct TTimerRecordInfo {
  uintptr_t Handle;
  int32_t Interval;
  TObject* Owner;
};

// The pixels of a headless window: premultiplied ARGB (as the canvas draws them), Width ×
// Height, rows top first; the device rectangles of the last present and the number of
// presents. Only the last one is kept, so that a window painted for days holds what one paint
// holds.
struct THeadlessSurface {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;
  std::vector<TRectF> LastPresent;
  uint64_t PresentCount = 0;
};

class THeadlessBackend : public TPlatformBackend {
 public:
  explicit THeadlessBackend(THeadlessOptions Options = {});

  double Now() override { return FNow; }
  void Poll() override {}
  void Wait(double Deadline) override;
  void Wake() override {}
  size_t TimerLimit() override { return FOptions.TimerLimit; }
  bool ShowErrorBox(const std::string& Text) override;

  void CreateNativeWindow(TPlatformWindow& Window) override;
  void DestroyNativeWindow(TPlatformWindow& Window) override { FSurfaces.erase(&Window); }
  void ShowNativeWindow(TPlatformWindow&) override {}
  void HideNativeWindow(TPlatformWindow&) override {}
  void SetNativeCaption(TPlatformWindow&) override {}
  void SetNativeBounds(TPlatformWindow&) override {}
  TWindowBuffer WindowBuffer(TPlatformWindow& Window) override;
  bool PresentedPixels(TPlatformWindow& Window, TPresentedPixels& Out) override;

  TSizeF ScreenSize() override;
  TRectF WorkArea() override;
  float ScreenScale() override { return FOptions.Scale; }

  // The driver API (see above).
  void SetDriver(std::function<void()> Driver) { FDriver = std::move(Driver); }
  void Advance(double Ms);
  // Why the last step of Advance ended before its time, once; empty when it did not.
  std::string TakeStepError();
  // The handler being run takes Ms of virtual time: the clock moves on without the loop, as
  // when the main thread is busy (timers that fall due meanwhile get their one waiting tick).
  void Spend(double Ms) { FNow += Ms; }
  double VirtualTime() const { return FNow; }
  std::vector<TTimerRecordInfo> TimerRecords() const;
  const std::vector<std::string>& ErrorBoxes() const { return FErrorBoxes; }
  void ClearErrorBoxes() { FErrorBoxes.clear(); }
  const THeadlessOptions& Options() const { return FOptions; }

  // The window's pixels as last painted; none before its first paint.
  const THeadlessSurface* Surface(const TPlatformWindow& Window) const;
  // The user drags the window's border until its client area is Width × Height physical
  // pixels; the window keeps its top left corner.
  void Resize(TPlatformWindow& Window, int32_t Width, int32_t Height);
  // The user closes the window.
  void Close(TPlatformWindow& Window);
  // The window moves to a monitor of another scale.
  void ChangeScale(TPlatformWindow& Window, float Scale);

 private:
  void RunUntilTarget();

  THeadlessOptions FOptions;
  double FNow = 0;
  double FTarget = 0;
  double FStepMs = 0;
  double FStepTicks = 0;
  std::string FStepError;
  bool FInWait = false;
  std::function<void()> FDriver;
  std::vector<std::string> FErrorBoxes;
  std::map<const TPlatformWindow*, THeadlessSurface> FSurfaces;
};

// Creates the process's platform object on the headless back end (once; later calls return
// the same back end).
THeadlessBackend& InstallHeadlessPlatform(THeadlessOptions Options = {});
