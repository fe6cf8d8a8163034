#pragma once
// The SDL2 back end: the real event loop. It waits with SDL_WaitEventTimeout until the next
// timer falls due (rounded up to whole milliseconds, so the loop never spins), translates SDL
// events into the platform's messages, and shows error boxes with SDL's message box. SDL is
// started on first use, with the framebuffer hint set before any window surface exists.
// Native windows come with the window layer; until then windows are records as on the
// headless back end.
#include <cstdint>
#include <string>

#include "shell/platform/Backend.h"
#include "shell/platform/Platform.h"

class TSdlBackend : public TPlatformBackend {
 public:
  TSdlBackend() = default;
  ~TSdlBackend() override;

  double Now() override;
  void Poll() override;
  void Wait(double Deadline) override;
  void Wake() override;
  void ShowErrorBox(const std::string& Text) override;

  void CreateNativeWindow(TPlatformWindow& Window) override;
  void DestroyNativeWindow(TPlatformWindow&) override {}
  void ShowNativeWindow(TPlatformWindow&) override {}
  void HideNativeWindow(TPlatformWindow&) override {}
  void SetNativeCaption(TPlatformWindow&) override {}
  void SetNativeBounds(TPlatformWindow&) override {}

  TSizeF ScreenSize() override;
  TRectF WorkArea() override;
  float ScreenScale() override { return 1; }

 private:
  // Starts SDL once; raises an Exception with SDL's message when it cannot.
  void EnsureStarted();
  void Translate(const void* Event);

  bool FStarted = false;
  uint32_t FWakeEvent = 0;
  void* FAppWindow = nullptr;
};

// Creates the process's platform object on the SDL back end (once; later calls return it).
TSdlBackend& InstallSdlPlatform();
