#pragma once
// The SDL2 back end: the real event loop and native windows. It waits with
// SDL_WaitEventTimeout until the next timer falls due (rounded up to whole milliseconds, so
// the loop never spins), translates SDL events into the platform's messages (the window
// procedure: size, position, placement, exposure, focus, close, mouse and keys), and shows
// error boxes with SDL's message box. SDL is started on first use, with the framebuffer hint
// set before any window surface exists, on X11 or Wayland only (whichever DISPLAY and
// WAYLAND_DISPLAY name, X11 first) unless SDL_VIDEODRIVER names a driver: without a display the
// start fails with a message that names the displays tried.
//
// Each form gets one resizable window, hidden until shown, with the "MAINICON" resource as
// its icon. The form's canvas draws straight into the window surface when its pixels are
// 32-bit ARGB or XRGB (Cairo's own layout), else into pixels of its own that are converted
// into the surface when presented; either way only the painted rectangles are updated on
// the screen. On X11 the scale of every window is the X resource Xft.dpi / 96, else 1.
//
// On Wayland SDL measures windows in points and the compositor gives each window its scale
// (the output's, a whole number through SDL): a window's scale is its size in pixels over its
// size in points, followed on every new size or output by the same rule as a new Xft.dpi;
// bounds and mouse positions are converted between points and pixels here. Its pixels go to
// the screen through a texture of SDL's GL renderer at the window's size in pixels.
//
// The application's title has no window to show it: on X11 the taskbar lists the form's own
// window under its caption, and the hidden window that keeps SDL's waits blocking is never
// mapped (named like the form, it would only make two windows answer to one name).
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "shell/platform/Backend.h"
#include "shell/platform/Platform.h"

struct SDL_Surface;
struct SDL_Window;
union SDL_Event;

class TSdlBackend : public TPlatformBackend {
 public:
  TSdlBackend();
  ~TSdlBackend() override;

  double Now() override;
  void Poll() override;
  void Wait(double Deadline) override;
  void Wake() override;
  bool ShowErrorBox(const std::string& Text) override;

  void CreateNativeWindow(TPlatformWindow& Window) override;
  void DestroyNativeWindow(TPlatformWindow& Window) override;
  void ShowNativeWindow(TPlatformWindow& Window) override;
  void HideNativeWindow(TPlatformWindow& Window) override;
  void SetNativeCaption(TPlatformWindow& Window) override;
  void SetNativeBounds(TPlatformWindow& Window) override;
  TWindowBuffer WindowBuffer(TPlatformWindow& Window) override;
  bool PresentedPixels(TPlatformWindow& Window, TPresentedPixels& Out) override;

  TSizeF ScreenSize() override;
  TRectF WorkArea() override;
  // Xft.dpi / 96, read when SDL starts and again whenever the desktop's resources change (every
  // window then takes the new scale); 1 without it, and on Wayland, where each window has the
  // scale of its output and the screen is measured in points.
  float ScreenScale() override;

  // The SDL window behind a platform window, for tests.
  SDL_Window* NativeWindow(const TPlatformWindow& Window) const;
  // Whether the last buffer given for Window was the window surface itself.
  bool DrawsIntoWindowSurface(const TPlatformWindow& Window) const;

  // The back end's record of a native window (kept in TPlatformWindow::Native).
  struct TNative;

 private:
  // Starts SDL once; raises an Exception with SDL's message when it cannot.
  void EnsureStarted();
  void Translate(const SDL_Event& Event);
  void TranslateWindowEvent(const SDL_Event& Event);
  // The desktop's resources changed: a new Xft.dpi rescales every window.
  void ResourcesChanged();
  // Posts the check of the compositor's scale for Window (Wayland).
  void PostCompositorScale(TPlatformWindow& Window);
  // Physical pixels in one of SDL's units of the window's size and position: its scale on
  // Wayland, where SDL counts points; 1 on X11.
  float PixelsPerPoint(const TPlatformWindow& Window) const;
  // The Wayland window's pixels, shown through SDL's renderer.
  TWindowBuffer RenderedBuffer(TPlatformWindow& Window);
  // Posts the waiting key-down with KeyChar (0: none).
  void PostKeyDown(char32_t KeyChar);
  TPlatformWindow* FindWindow(uint32_t WindowID) const;
  // The window's outer rectangle and frame as SDL reports them now.
  void ReadBounds(TPlatformWindow& Window);
  // The program's icon as an SDL surface, made once; none without a "MAINICON" resource.
  SDL_Surface* Icon();

  bool FStarted = false;
  uint32_t FWakeEvent = 0;
  SDL_Window* FAppWindow = nullptr;
  float FScale = 1;
  // The Wayland video driver: scales from the compositor, sizes in points, pixels through SDL's
  // GL renderer (no surface of the server's own).
  bool FWayland = false;
  SDL_Surface* FIcon = nullptr;
  bool FIconLoaded = false;
  // The native windows, each reached from its platform window through TPlatformWindow::Native.
  std::map<const TPlatformWindow*, std::unique_ptr<TNative>> FNatives;
  // A key-down waiting for its character.
  struct TPendingKey {
    uint32_t WindowID = 0;
    uint16_t Key = 0;
    TShiftState Shift;
    bool Waiting = false;
  } FPendingKey;
};

// Creates the process's platform object on the SDL back end (once; later calls return it).
TSdlBackend& InstallSdlPlatform();
