#include "shell/platform/sdl/SdlPlatform.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "shell/app/Application.h"
#include "shell/canvas/Bitmap.h"
#include "shell/core/Exceptions.h"
#include "shell/platform/sdl/XResources.h"
#include "shell/stream/Resources.h"

// What the back end keeps for a native window.
struct TSdlBackend::TNative {
  SDL_Window* Window = nullptr;
  uint32_t ID = 0;
  // The canvas's pixels when the window surface cannot take them directly, or the pixels
  // that go to the texture below.
  std::vector<uint32_t> Copy;
  int CopyWidth = 0;
  int CopyHeight = 0;
  bool Direct = false;
  // On Wayland: SDL's renderer behind the window and the texture, at the window's size in
  // pixels, that shows the canvas's pixels.
  SDL_Renderer* Renderer = nullptr;
  SDL_Texture* Texture = nullptr;
};

namespace {
TSdlBackend::TNative* NativeOf(const TPlatformWindow& Window) {
  return static_cast<TSdlBackend::TNative*>(Window.Native);
}

// The device rectangles of a present, clipped to the surface, as SDL wants them.
std::vector<SDL_Rect> ToSdlRects(const std::vector<TRectF>& Rects, int Width, int Height) {
  std::vector<SDL_Rect> Out;
  for (const TRectF& R : Rects) {
    const int L = std::max(0, static_cast<int>(std::floor(R.Left))), T = std::max(0, static_cast<int>(std::floor(R.Top)));
    const int Rt = std::min(Width, static_cast<int>(std::ceil(R.Right)));
    const int B = std::min(Height, static_cast<int>(std::ceil(R.Bottom)));
    if (Rt > L && B > T) Out.push_back({L, T, Rt - L, B - T});
  }
  return Out;
}

TShiftState KeyShift() {
  TShiftState Shift;
  const SDL_Keymod Mod = SDL_GetModState();
  if (Mod & KMOD_SHIFT) Shift.Include(ssShift);
  if (Mod & KMOD_CTRL) Shift.Include(ssCtrl);
  if (Mod & KMOD_ALT) Shift.Include(ssAlt);
  if (Mod & KMOD_GUI) Shift.Include(ssCommand);
  return Shift;
}

TShiftState MouseShift(uint32_t Buttons) {
  TShiftState Shift = KeyShift();
  if (Buttons & SDL_BUTTON_LMASK) Shift.Include(ssLeft);
  if (Buttons & SDL_BUTTON_RMASK) Shift.Include(ssRight);
  if (Buttons & SDL_BUTTON_MMASK) Shift.Include(ssMiddle);
  return Shift;
}

bool ToMouseButton(uint8_t Button, TMouseButton& Out) {
  switch (Button) {
    case SDL_BUTTON_LEFT: Out = mbLeft; return true;
    case SDL_BUTTON_RIGHT: Out = mbRight; return true;
    case SDL_BUTTON_MIDDLE: Out = mbMiddle; return true;
    default: return false;
  }
}

// The virtual key code of an SDL key, 0 for keys the controls do not know.
uint16_t ToVirtualKey(SDL_Keycode Key) {
  if (Key >= SDLK_a && Key <= SDLK_z) return static_cast<uint16_t>('A' + (Key - SDLK_a));
  if (Key >= SDLK_0 && Key <= SDLK_9) return static_cast<uint16_t>('0' + (Key - SDLK_0));
  if (Key >= SDLK_F1 && Key <= SDLK_F12) return static_cast<uint16_t>(112 + (Key - SDLK_F1));
  switch (Key) {
    case SDLK_BACKSPACE: return vkBack;
    case SDLK_TAB: return vkTab;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return vkReturn;
    case SDLK_ESCAPE: return vkEscape;
    case SDLK_SPACE: return vkSpace;
    case SDLK_PAGEUP: return vkPrior;
    case SDLK_PAGEDOWN: return vkNext;
    case SDLK_END: return vkEnd;
    case SDLK_HOME: return vkHome;
    case SDLK_LEFT: return vkLeft;
    case SDLK_UP: return vkUp;
    case SDLK_RIGHT: return vkRight;
    case SDLK_DOWN: return vkDown;
    case SDLK_INSERT: return 45;
    case SDLK_DELETE: return 46;
    default: return 0;
  }
}

// The code points of a UTF-8 text.
std::vector<char32_t> CodePoints(const char* Text) {
  std::vector<char32_t> Out;
  for (const auto* P = reinterpret_cast<const unsigned char*>(Text); *P;) {
    char32_t C = *P;
    int More = 0;
    if (C >= 0xF0) {
      C &= 0x07;
      More = 3;
    } else if (C >= 0xE0) {
      C &= 0x0F;
      More = 2;
    } else if (C >= 0xC0) {
      C &= 0x1F;
      More = 1;
    }
    ++P;
    for (; More > 0 && (*P & 0xC0) == 0x80; --More, ++P) C = (C << 6) | (*P & 0x3F);
    if (More == 0) Out.push_back(C);
  }
  return Out;
}

// An environment variable's value, "" when unset.
std::string EnvironmentValue(const char* Name) {
  const char* Value = std::getenv(Name);
  return Value ? Value : "";
}

TWindowState PlacementOf(SDL_Window* Window) {
  const uint32_t Flags = SDL_GetWindowFlags(Window);
  if (Flags & SDL_WINDOW_MINIMIZED) return wsMinimized;
  if (Flags & SDL_WINDOW_MAXIMIZED) return wsMaximized;
  return wsNormal;
}
// On Wayland SDL shows a window's pixels through a GL context of its own. The 3D device makes its context current behind SDL's back, and SDL, which keeps its own
// idea of the current context, would then neither make its context current again nor notice:
// its texture upload and buffer swap would go to the wrong context and nothing would appear.
// Releasing and taking SDL's context again makes it current in fact.
void ReclaimSdlContext() {
  SDL_GLContext Context = SDL_GL_GetCurrentContext();
  SDL_Window* Win = SDL_GL_GetCurrentWindow();
  if (!Context || !Win) return;
  SDL_GL_MakeCurrent(Win, nullptr);
  SDL_GL_MakeCurrent(Win, Context);
}

// The scale that the compositor gives a window (made with SDL_WINDOW_ALLOW_HIGHDPI): its width
// in pixels over its width in points; 1 while it has no size.
float CompositorScale(SDL_Window* Window) {
  int Points = 0, Pixels = 0;
  SDL_GetWindowSize(Window, &Points, nullptr);
  SDL_GetWindowSizeInPixels(Window, &Pixels, nullptr);
  return Points > 0 && Pixels > 0 ? static_cast<float>(Pixels) / static_cast<float>(Points) : 1.0f;
}

// A length in pixels as the whole number of points that covers it, at Scale pixels a point.
int PointsOf(int Pixels, float Scale) {
  return static_cast<int>(std::ceil(static_cast<double>(Pixels) / static_cast<double>(Scale) - 1e-4));
}
int PixelsOf(int Points, float Scale) {
  return static_cast<int>(std::lround(static_cast<double>(Points) * static_cast<double>(Scale)));
}
}  // namespace

TSdlBackend::TSdlBackend() = default;

TSdlBackend::~TSdlBackend() {
  if (!FStarted) return;
  if (FIcon) SDL_FreeSurface(FIcon);
  if (FAppWindow) SDL_DestroyWindow(FAppWindow);
  SDL_Quit();
}

void TSdlBackend::EnsureStarted() {
  if (FStarted) return;
  // Without a display SDL would fall back on its invisible drivers and the game would run with
  // no window at all: only the real ones are tried, unless the user names a driver.
  const std::string Asked = EnvironmentValue("SDL_VIDEODRIVER");
  const std::string X11 = EnvironmentValue("DISPLAY"), Wayland = EnvironmentValue("WAYLAND_DISPLAY");
  if (Asked.empty()) {
    if (X11.empty() && Wayland.empty()) throw Exception("No display: neither DISPLAY nor WAYLAND_DISPLAY is set");
    SDL_SetHint(SDL_HINT_VIDEODRIVER, X11.empty() ? "wayland" : Wayland.empty() ? "x11" : "x11,wayland");
  }
  // Without this SDL puts a GL renderer behind every window surface: several times the
  // memory and a handful of threads, for pixels that the canvas draws anyway.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  // Closing the last window is the form's business (its Close may be refused), not SDL's.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  ToleratePostsToGoneWindows();
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    const std::string Reason = SDL_GetError();
    SDL_Quit();
    if (!Asked.empty()) throw Exception("Cannot open a display with the video driver \"" + Asked + "\": " + Reason);
    std::string Tried;
    if (!X11.empty()) Tried += "X11 display \"" + X11 + "\"";
    if (!Wayland.empty()) Tried += (Tried.empty() ? "" : " or ") + ("Wayland display \"" + Wayland + "\"");
    throw Exception("Cannot open " + Tried);
  }
  const std::string Driver = SDL_GetCurrentVideoDriver();
  FWayland = Driver == "wayland";
  FWakeEvent = SDL_RegisterEvents(1);
  // SDL waits on the display connection only while some window exists; without one it polls
  // every millisecond. A hidden window of the application's own keeps the waits real, also
  // before the first form's window and after the last one.
  FAppWindow = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN);
  if (Driver == "x11") {
    WatchDesktopResources(FAppWindow);
    if (std::optional<double> Dpi = ReadXftDpi(FAppWindow)) FScale = static_cast<float>(*Dpi / 96);
  }
  FStarted = true;
  // The process-wide platform is never destroyed; SDL still restores the display at exit.
  std::atexit(SDL_Quit);
}

double TSdlBackend::Now() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

TPlatformWindow* TSdlBackend::FindWindow(uint32_t WindowID) const {
  for (const auto& W : FPlatform->Windows())
    if (TNative* N = NativeOf(*W); N && N->ID == WindowID) return W.get();
  return nullptr;
}

void TSdlBackend::PostKeyDown(char32_t KeyChar) {
  const TPendingKey Key = FPendingKey;
  FPendingKey.Waiting = false;
  if (TPlatformWindow* W = FindWindow(Key.WindowID))
    FPlatform->PostWindowMessage(*W, [&P = *FPlatform, Key, KeyChar](TPlatformWindow& Win) {
      P.WindowKeyDown(Win, Key.Key, KeyChar, Key.Shift);
    });
}

void TSdlBackend::Translate(const SDL_Event& Event) {
  TPlatform& P = *FPlatform;
  // The wake event only ends the wait; another thread may push it between a key and its
  // character.
  if (Event.type == FWakeEvent) return;
  if (FPendingKey.Waiting) {
    // A key and its character are one key-down message: a focused button clicks once for
    // Space, not once for the key and again for its character.
    if (Event.type == SDL_TEXTINPUT && Event.text.windowID == FPendingKey.WindowID) {
      const std::vector<char32_t> Chars = CodePoints(Event.text.text);
      PostKeyDown(Chars.empty() ? 0 : Chars.front());
      for (size_t I = 1; I < Chars.size(); ++I)
        if (TPlatformWindow* W = FindWindow(Event.text.windowID)) {
          const char32_t C = Chars[I];
          const TShiftState Shift = KeyShift();
          P.PostWindowMessage(*W, [&P, C, Shift](TPlatformWindow& Win) { P.WindowKeyDown(Win, 0, C, Shift); });
        }
      return;
    }
    PostKeyDown(0);
  }
  switch (Event.type) {
    case SDL_QUIT:
      // The session or a signal asks the program to end, as closing the main window would.
      P.PostCall([] {
        if (Application) Application->Terminate();
      });
      return;
    case SDL_WINDOWEVENT:
      TranslateWindowEvent(Event);
      return;
    case SDL_SYSWMEVENT:
      if (IsResourceChange(Event)) ResourcesChanged();
      return;
    case SDL_MOUSEMOTION:
      if (TPlatformWindow* W = FindWindow(Event.motion.windowID)) {
        const TShiftState Shift = MouseShift(Event.motion.state);
        const auto X = static_cast<float>(Event.motion.x), Y = static_cast<float>(Event.motion.y);
        P.PostWindowMessage(*W, [this, &P, Shift, X, Y](TPlatformWindow& Win) {
          const float K = PixelsPerPoint(Win);
          P.WindowMouseMove(Win, Shift, X * K, Y * K);
        });
      }
      return;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      TMouseButton Button;
      TPlatformWindow* W = FindWindow(Event.button.windowID);
      if (!W || !ToMouseButton(Event.button.button, Button)) return;
      TShiftState Shift = MouseShift(SDL_GetMouseState(nullptr, nullptr));
      const auto X = static_cast<float>(Event.button.x), Y = static_cast<float>(Event.button.y);
      if (Event.type == SDL_MOUSEBUTTONDOWN) {
        // SDL counts a run of fast clicks on (3, 4, ...); every second press of the run is a
        // double click, as the system's double-click messages come.
        if (Event.button.clicks >= 2 && Event.button.clicks % 2 == 0) Shift.Include(ssDouble);
        P.PostWindowMessage(*W, [this, &P, Button, Shift, X, Y](TPlatformWindow& Win) {
          const float K = PixelsPerPoint(Win);
          P.WindowMouseDown(Win, Button, Shift, X * K, Y * K);
        });
      } else {
        P.PostWindowMessage(*W, [this, &P, Button, Shift, X, Y](TPlatformWindow& Win) {
          const float K = PixelsPerPoint(Win);
          P.WindowMouseUp(Win, Button, Shift, X * K, Y * K);
        });
      }
      return;
    }
    case SDL_MOUSEWHEEL:
      if (TPlatformWindow* W = FindWindow(Event.wheel.windowID)) {
        const TShiftState Shift = KeyShift();
        // One notch is 120, as the system's wheel messages count it.
        const int Delta = Event.wheel.y * 120 * (Event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1);
        if (Delta != 0)
          P.PostWindowMessage(*W, [&P, Shift, Delta](TPlatformWindow& Win) { P.WindowMouseWheel(Win, Shift, Delta); });
      }
      return;
    case SDL_KEYDOWN:
      // Held back until the next event: the character SDL sends for it right after (key
      // repeat included) belongs to the same key-down message.
      if (FindWindow(Event.key.windowID)) {
        const uint16_t Key = ToVirtualKey(Event.key.keysym.sym);
        if (Key != 0) FPendingKey = {Event.key.windowID, Key, KeyShift(), true};
      }
      return;
    case SDL_KEYUP:
      if (TPlatformWindow* W = FindWindow(Event.key.windowID)) {
        const uint16_t Key = ToVirtualKey(Event.key.keysym.sym);
        if (Key == 0) return;
        const TShiftState Shift = KeyShift();
        P.PostWindowMessage(*W, [&P, Key, Shift](TPlatformWindow& Win) { P.WindowKeyUp(Win, Key, 0, Shift); });
      }
      return;
    case SDL_TEXTINPUT:
      // Characters without a key (an input method's text) come as character messages.
      if (TPlatformWindow* W = FindWindow(Event.text.windowID)) {
        const TShiftState Shift = KeyShift();
        for (char32_t C : CodePoints(Event.text.text))
          P.PostWindowMessage(*W, [&P, C, Shift](TPlatformWindow& Win) { P.WindowKeyDown(Win, 0, C, Shift); });
      }
      return;
    default:
      // The wake event only ends the wait.
      return;
  }
}

void TSdlBackend::ResourcesChanged() {
  // Desktops set a new Xft.dpi when the user changes their scale; no entry means 96.
  const std::optional<double> Dpi = ReadXftDpi(FAppWindow);
  const float Scale = Dpi ? static_cast<float>(*Dpi / 96) : 1.0f;
  if (Scale == FScale) return;
  FScale = Scale;
  TPlatform& P = *FPlatform;
  for (const auto& W : P.Windows())
    P.PostWindowMessage(*W, [&P, Scale](TPlatformWindow& Win) { P.WindowScaleChanged(Win, Scale); });
}

float TSdlBackend::PixelsPerPoint(const TPlatformWindow& Window) const { return FWayland ? Window.Scale() : 1.0f; }

void TSdlBackend::PostCompositorScale(TPlatformWindow& Window) {
  TPlatform& P = *FPlatform;
  // Read when the message is taken, as the bounds are; the same rule as a new Xft.dpi.
  P.PostWindowMessage(Window, [&P](TPlatformWindow& Win) {
    P.WindowScaleChanged(Win, CompositorScale(NativeOf(Win)->Window));
  });
}

void TSdlBackend::TranslateWindowEvent(const SDL_Event& E) {
  const SDL_WindowEvent& Event = E.window;
  TPlatformWindow* W = FindWindow(Event.windowID);
  if (!W) return;
  TPlatform& P = *FPlatform;
  switch (Event.event) {
    case SDL_WINDOWEVENT_DISPLAY_CHANGED:
      if (FWayland) PostCompositorScale(*W);
      return;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      // A new scale from the compositor comes as a new size in pixels. Taken first, so that the
      // window's new size is read at the scale it belongs to.
      if (FWayland) PostCompositorScale(*W);
      // SDL makes a new window surface: what was painted into the old one is gone, also when
      // the size is the one that the platform asked for (a new scale) and so no news to it.
      P.PostWindowMessage(*W, [&P](TPlatformWindow& Win) { P.WindowExposed(Win); });
      [[fallthrough]];
    case SDL_WINDOWEVENT_MOVED:
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
      // Read when the message is taken: by then SDL knows the window's latest rectangle.
      P.PostWindowMessage(*W, [this, &P](TPlatformWindow& Win) {
        const TPhysicalRect Old = Win.Bounds();
        ReadBounds(Win);
        const TPhysicalRect New = Win.Bounds();
        Win.SetBounds(Old);
        P.WindowPosChanged(Win, New, PlacementOf(NativeOf(Win)->Window));
      });
      return;
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_HIDDEN: {
      const bool Mapped = Event.event == SDL_WINDOWEVENT_SHOWN;
      P.PostWindowMessage(*W, [&P, Mapped](TPlatformWindow& Win) { P.WindowMapped(Win, Mapped); });
      return;
    }
    case SDL_WINDOWEVENT_EXPOSED:
      P.PostWindowMessage(*W, [&P](TPlatformWindow& Win) { P.WindowExposed(Win); });
      return;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_FOCUS_LOST: {
      const bool Active = Event.event == SDL_WINDOWEVENT_FOCUS_GAINED;
      P.PostWindowMessage(*W, [&P, Active](TPlatformWindow& Win) { P.WindowActivated(Win, Active); });
      return;
    }
    case SDL_WINDOWEVENT_LEAVE:
      P.PostWindowMessage(*W, [&P](TPlatformWindow& Win) { P.WindowMouseLeave(Win); });
      return;
    case SDL_WINDOWEVENT_CLOSE:
      P.PostCloseMessage(*W);
      return;
    default:
      return;
  }
}

void TSdlBackend::Poll() {
  EnsureStarted();
  SDL_Event Event;
  while (SDL_PollEvent(&Event)) Translate(Event);
  // SDL queues a key's character together with the key; with the queue empty, a key still
  // waiting has none.
  if (FPendingKey.Waiting) PostKeyDown(0);
}

void TSdlBackend::Wait(double Deadline) {
  EnsureStarted();
  SDL_Event Event;
  int Got;
  if (Deadline == NoDeadline) {
    Got = SDL_WaitEvent(&Event);
  } else {
    double Left = Deadline - Now();
    // Rounded up: a wait that ends before the timer is due would only wait again.
    int Ms = Left <= 0 ? 0 : static_cast<int>(std::ceil(Left));
    Got = SDL_WaitEventTimeout(&Event, Ms);
  }
  if (Got) {
    Translate(Event);
    Poll();
  }
}

void TSdlBackend::Wake() {
  if (!FStarted) return;
  SDL_Event Event{};
  Event.type = FWakeEvent;
  SDL_PushEvent(&Event);
}

bool TSdlBackend::ShowErrorBox(const std::string& Text) {
  try {
    EnsureStarted();
  } catch (const Exception&) {
    return false;
  }
  return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Error", Text.c_str(), nullptr) == 0;
}

// ---------------------------------------------------------------------------------------------
// Windows

SDL_Surface* TSdlBackend::Icon() {
  if (FIconLoaded) return FIcon;
  FIconLoaded = true;
  auto Data = FindResource("MAINICON", RT_RCDATA);
  if (!Data) return nullptr;
  TBitmap Image;
  Image.LoadFromPNG(Data->data(), Data->size());
  if (Image.IsEmpty()) return nullptr;
  SDL_Surface* S = SDL_CreateRGBSurfaceWithFormat(0, Image.Width(), Image.Height(), 32, SDL_PIXELFORMAT_ARGB8888);
  if (!S) return nullptr;
  TBitmapData Pixels;
  if (Image.Map(TMapAccess::Read, Pixels)) {
    // The canvas keeps premultiplied pixels; an icon wants plain ones.
    for (int Y = 0; Y < Pixels.Height; ++Y) {
      auto* Row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(S->pixels) + static_cast<ptrdiff_t>(Y) * S->pitch);
      for (int X = 0; X < Pixels.Width; ++X) Row[X] = Pixels.GetPixel(X, Y);
    }
    Image.Unmap(Pixels);
  }
  FIcon = S;
  return FIcon;
}

void TSdlBackend::ReadBounds(TPlatformWindow& Window) {
  SDL_Window* Win = NativeOf(Window)->Window;
  int X = 0, Y = 0, W = 0, H = 0;
  SDL_GetWindowPosition(Win, &X, &Y);
  SDL_GetWindowSize(Win, &W, &H);
  int Top = 0, Left = 0, Bottom = 0, Right = 0;
  // Known only once a window manager has framed the window; none without one.
  if (SDL_GetWindowBordersSize(Win, &Top, &Left, &Bottom, &Right) != 0) Top = Left = Bottom = Right = 0;
  // SDL measures a Wayland window in points.
  const float K = PixelsPerPoint(Window);
  X = PixelsOf(X, K), Y = PixelsOf(Y, K), W = PixelsOf(W, K), H = PixelsOf(H, K);
  Top = PixelsOf(Top, K), Left = PixelsOf(Left, K), Bottom = PixelsOf(Bottom, K), Right = PixelsOf(Right, K);
  Window.SetFrame({Left, Top, Right, Bottom});
  Window.SetBounds({X - Left, Y - Top, X + W + Right, Y + H + Bottom});
}

void TSdlBackend::CreateNativeWindow(TPlatformWindow& Window) {
  EnsureStarted();
  SDL_Rect Display{0, 0, 1024, 768};
  SDL_GetDisplayBounds(0, &Display);
  // The system's default size for a new window: three quarters of the screen each way; its
  // place is the window manager's choice.
  // On Wayland the window is measured in points and drawn in pixels at the compositor's scale,
  // through a GL renderer of SDL's (made with the window, not remade behind it later).
  const uint32_t Flags =
      SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | (FWayland ? SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_OPENGL : 0);
  SDL_Window* Win = SDL_CreateWindow(Window.Caption().c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                     Display.w * 3 / 4, Display.h * 3 / 4, Flags);
  if (!Win) throw Exception(std::string("SDL: ") + SDL_GetError());
  // SDL states the position it was given, or the centre of the screen; the system's default
  // place is the window manager's to choose.
  LeavePlacementToWindowManager(Win);
  TNative* N = (FNatives[&Window] = std::make_unique<TNative>()).get();
  N->Window = Win;
  N->ID = SDL_GetWindowID(Win);
  Window.Native = N;
  if (SDL_Surface* I = Icon()) SDL_SetWindowIcon(Win, I);
  Window.SetScale(FWayland ? CompositorScale(Win) : FScale);
  ReadBounds(Window);
}

void TSdlBackend::DestroyNativeWindow(TPlatformWindow& Window) {
  TNative* N = NativeOf(Window);
  if (!N) return;
  // SDL's renderer is destroyed in its own context.
  if (FWayland) ReclaimSdlContext();
  if (N->Texture) SDL_DestroyTexture(N->Texture);
  if (N->Renderer) SDL_DestroyRenderer(N->Renderer);
  SDL_DestroyWindow(N->Window);
  Window.Native = nullptr;
  FNatives.erase(&Window);
}

void TSdlBackend::ShowNativeWindow(TPlatformWindow& Window) {
  SDL_Window* Win = NativeOf(Window)->Window;
  if (Window.ActivateWhenShown()) {
    SDL_ShowWindow(Win);
  } else {
    ShowWithoutActivation(Win);
    SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "1");
    SDL_ShowWindow(Win);
    SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "0");
  }
  switch (Window.Form()->WindowState()) {
    case wsMinimized: SDL_MinimizeWindow(Win); break;
    case wsMaximized: SDL_MaximizeWindow(Win); break;
    case wsNormal: break;
  }
}

void TSdlBackend::HideNativeWindow(TPlatformWindow& Window) { SDL_HideWindow(NativeOf(Window)->Window); }

void TSdlBackend::SetNativeCaption(TPlatformWindow& Window) {
  SDL_SetWindowTitle(NativeOf(Window)->Window, Window.Caption().c_str());
}

void TSdlBackend::SetNativeBounds(TPlatformWindow& Window) {
  SDL_Window* Win = NativeOf(Window)->Window;
  const TPhysicalRect& B = Window.Bounds();
  const TFrameExtents& F = Window.Frame();
  int X = 0, Y = 0, W = 0, H = 0;
  SDL_GetWindowPosition(Win, &X, &Y);
  SDL_GetWindowSize(Win, &W, &H);
  // SDL measures a Wayland window in points: what the window asks for, in points.
  const float K = PixelsPerPoint(Window);
  const int Left = PointsOf(B.Left + F.Left, K), Top = PointsOf(B.Top + F.Top, K);
  const int Width = std::max(1, PointsOf(Window.ClientWidth(), K)), Height = std::max(1, PointsOf(Window.ClientHeight(), K));
  // Only what changed: setting the position of a window that the window manager placed would
  // take the placement away from it.
  if (Left != X || Top != Y) {
    SDL_SetWindowPosition(Win, Left, Top);
    // A place given before the window is first shown (a form placed by its Position) is the
    // program's, not the window manager's to choose.
    if (SDL_GetWindowFlags(Win) & SDL_WINDOW_HIDDEN) KeepGivenPlacement(Win, Left, Top);
  }
  if (Width != W || Height != H) SDL_SetWindowSize(Win, Width, Height);
}

TWindowBuffer TSdlBackend::WindowBuffer(TPlatformWindow& Window) {
  if (FWayland) return RenderedBuffer(Window);
  TNative* N = NativeOf(Window);
  SDL_Window* Win = N->Window;
  SDL_Surface* Surface = SDL_GetWindowSurface(Win);
  if (!Surface) return {};
  TWindowBuffer B;
  B.Width = Surface->w;
  B.Height = Surface->h;
  B.Scale = Window.Scale();
  const uint32_t Format = Surface->format->format;
  // Cairo's ARGB32 is a 32-bit word A, R, G, B from the high byte down, in native order: the
  // same as SDL's ARGB8888, and XRGB8888 only ignores the alpha byte.
  N->Direct = (Format == SDL_PIXELFORMAT_ARGB8888 || Format == SDL_PIXELFORMAT_XRGB8888) && !SDL_MUSTLOCK(Surface) &&
              Surface->pitch % 4 == 0;
  if (N->Direct) {
    B.Data = static_cast<uint8_t*>(Surface->pixels);
    B.Stride = Surface->pitch;
    B.Present = [Win](const std::vector<TRectF>& Rects) {
      SDL_Surface* S = SDL_GetWindowSurface(Win);
      if (!S) return;
      std::vector<SDL_Rect> R = ToSdlRects(Rects, S->w, S->h);
      if (!R.empty()) SDL_UpdateWindowSurfaceRects(Win, R.data(), static_cast<int>(R.size()));
    };
    return B;
  }
  if (N->CopyWidth != Surface->w || N->CopyHeight != Surface->h) {
    N->CopyWidth = Surface->w;
    N->CopyHeight = Surface->h;
    N->Copy.assign(static_cast<size_t>(Surface->w) * static_cast<size_t>(Surface->h), 0);
  }
  B.Data = reinterpret_cast<uint8_t*>(N->Copy.data());
  B.Stride = Surface->w * 4;
  B.Present = [Win, N](const std::vector<TRectF>& Rects) {
    SDL_Surface* S = SDL_GetWindowSurface(Win);
    if (!S) return;
    std::vector<SDL_Rect> R = ToSdlRects(Rects, std::min(S->w, N->CopyWidth), std::min(S->h, N->CopyHeight));
    if (R.empty()) return;
    if (SDL_MUSTLOCK(S)) SDL_LockSurface(S);
    for (const SDL_Rect& Part : R) {
      const uint32_t* From = N->Copy.data() + static_cast<size_t>(Part.y) * static_cast<size_t>(N->CopyWidth) +
                             static_cast<size_t>(Part.x);
      uint8_t* To = static_cast<uint8_t*>(S->pixels) + static_cast<ptrdiff_t>(Part.y) * S->pitch +
                    static_cast<ptrdiff_t>(Part.x) * S->format->BytesPerPixel;
      SDL_ConvertPixels(Part.w, Part.h, SDL_PIXELFORMAT_ARGB8888, From, N->CopyWidth * 4, S->format->format, To,
                        S->pitch);
    }
    if (SDL_MUSTLOCK(S)) SDL_UnlockSurface(S);
    SDL_UpdateWindowSurfaceRects(Win, R.data(), static_cast<int>(R.size()));
  };
  return B;
}

bool TSdlBackend::PresentedPixels(TPlatformWindow& Window, TPresentedPixels& Out) {
  TNative* N = NativeOf(Window);
  if (!N) return false;
  if (N->Direct && !FWayland) {
    // The canvas drew into the window surface itself: what it holds is what was presented.
    SDL_Surface* S = SDL_GetWindowSurface(N->Window);
    if (!S || SDL_MUSTLOCK(S) || S->pitch % 4 != 0) return false;
    Out = {static_cast<const uint32_t*>(S->pixels), S->w, S->h, static_cast<size_t>(S->pitch / 4)};
    return true;
  }
  if (N->Copy.empty()) return false;
  Out = {N->Copy.data(), N->CopyWidth, N->CopyHeight, static_cast<size_t>(N->CopyWidth)};
  return true;
}

TWindowBuffer TSdlBackend::RenderedBuffer(TPlatformWindow& Window) {
  TNative* N = NativeOf(Window);
  // SDL's window surface on Wayland has the window's size in points, which the compositor would
  // only stretch: the canvas draws at the window's size in pixels, into pixels of its own that a
  // texture of that size shows.
  ReclaimSdlContext();
  if (!N->Renderer) N->Renderer = SDL_CreateRenderer(N->Window, -1, SDL_RENDERER_ACCELERATED);
  if (!N->Renderer) return {};
  int Width = 0, Height = 0;
  if (SDL_GetRendererOutputSize(N->Renderer, &Width, &Height) != 0 || Width <= 0 || Height <= 0) return {};
  if (!N->Texture || N->CopyWidth != Width || N->CopyHeight != Height) {
    if (N->Texture) SDL_DestroyTexture(N->Texture);
    // XRGB: the same words as the canvas's ARGB32, the alpha byte ignored.
    N->Texture = SDL_CreateTexture(N->Renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, Width, Height);
    if (!N->Texture) return {};
    SDL_SetTextureBlendMode(N->Texture, SDL_BLENDMODE_NONE);
    N->CopyWidth = Width;
    N->CopyHeight = Height;
    N->Copy.assign(static_cast<size_t>(Width) * static_cast<size_t>(Height), 0);
  }
  N->Direct = false;
  TWindowBuffer B;
  B.Width = Width;
  B.Height = Height;
  B.Stride = Width * 4;
  B.Scale = Window.Scale();
  B.Data = reinterpret_cast<uint8_t*>(N->Copy.data());
  B.Present = [N](const std::vector<TRectF>& Rects) {
    std::vector<SDL_Rect> R = ToSdlRects(Rects, N->CopyWidth, N->CopyHeight);
    if (R.empty() || !N->Texture) return;
    ReclaimSdlContext();
    for (const SDL_Rect& Part : R)
      SDL_UpdateTexture(N->Texture, &Part,
                        N->Copy.data() + static_cast<size_t>(Part.y) * static_cast<size_t>(N->CopyWidth) +
                            static_cast<size_t>(Part.x),
                        N->CopyWidth * 4);
    // The texture holds the whole picture; the frame shown is made whole from it.
    SDL_RenderCopy(N->Renderer, N->Texture, nullptr, nullptr);
    SDL_RenderPresent(N->Renderer);
  };
  return B;
}

SDL_Window* TSdlBackend::NativeWindow(const TPlatformWindow& Window) const {
  TNative* N = NativeOf(Window);
  return N ? N->Window : nullptr;
}

bool TSdlBackend::DrawsIntoWindowSurface(const TPlatformWindow& Window) const {
  TNative* N = NativeOf(Window);
  return N && N->Direct;
}

float TSdlBackend::ScreenScale() {
  EnsureStarted();
  return FScale;
}

TSizeF TSdlBackend::ScreenSize() {
  EnsureStarted();
  SDL_Rect R;
  if (SDL_GetDisplayBounds(0, &R) != 0) return {1024 / FScale, 768 / FScale};
  return {static_cast<float>(R.w) / FScale, static_cast<float>(R.h) / FScale};
}

TRectF TSdlBackend::WorkArea() {
  EnsureStarted();
  SDL_Rect R;
  if (SDL_GetDisplayUsableBounds(0, &R) != 0) {
    TSizeF S = ScreenSize();
    return {0, 0, S.Width, S.Height};
  }
  return {static_cast<float>(R.x) / FScale, static_cast<float>(R.y) / FScale, static_cast<float>(R.x + R.w) / FScale,
          static_cast<float>(R.y + R.h) / FScale};
}

TSdlBackend& InstallSdlPlatform() {
  // Lives until the process ends, like the headless one.
  static TPlatform* Platform = new TPlatform(std::make_unique<TSdlBackend>());
  return static_cast<TSdlBackend&>(Platform->Backend());
}
