#include "shell/platform/sdl/SdlPlatform.h"

#include <SDL.h>

#include <chrono>
#include <cmath>
#include <cstdlib>

#include "shell/app/Application.h"
#include "shell/core/Exceptions.h"

TSdlBackend::~TSdlBackend() {
  if (!FStarted) return;
  if (FAppWindow) SDL_DestroyWindow(static_cast<SDL_Window*>(FAppWindow));
  SDL_Quit();
}

void TSdlBackend::EnsureStarted() {
  if (FStarted) return;
  // Without this SDL puts a GL renderer behind every window surface: several times the
  // memory and a handful of threads, for pixels that the canvas draws anyway.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) throw Exception(std::string("SDL: ") + SDL_GetError());
  FWakeEvent = SDL_RegisterEvents(1);
  // SDL waits on the display connection only while some window exists; without one it polls
  // every millisecond. A hidden window of the application's own keeps the waits real, also
  // before the first form's window and after the last one.
  FAppWindow = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN);
  FStarted = true;
  // The process-wide platform is never destroyed; SDL still restores the display at exit.
  std::atexit(SDL_Quit);
}

double TSdlBackend::Now() {
  using namespace std::chrono;
  return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

void TSdlBackend::Translate(const void* E) {
  const auto& Event = *static_cast<const SDL_Event*>(E);
  if (Event.type == SDL_QUIT) {
    // The session or a signal asks the program to end, as closing the main window would.
    FPlatform->PostCall([] {
      if (Application) Application->Terminate();
    });
  }
  // The wake event only ends the wait.
}

void TSdlBackend::Poll() {
  EnsureStarted();
  SDL_Event Event;
  while (SDL_PollEvent(&Event)) Translate(&Event);
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
    Translate(&Event);
    Poll();
  }
}

void TSdlBackend::Wake() {
  if (!FStarted) return;
  SDL_Event Event{};
  Event.type = FWakeEvent;
  SDL_PushEvent(&Event);
}

void TSdlBackend::ShowErrorBox(const std::string& Text) {
  EnsureStarted();
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Error", Text.c_str(), nullptr);
}

void TSdlBackend::CreateNativeWindow(TPlatformWindow& Window) {
  TSizeF Screen = ScreenSize();
  // The system's default place for a new window: a little in from the top left corner, three
  // quarters of the screen in each direction.
  auto W = static_cast<int32_t>(Screen.Width * 3 / 4), H = static_cast<int32_t>(Screen.Height * 3 / 4);
  Window.SetBounds({64, 64, 64 + W, 64 + H});
  Window.SetScale(ScreenScale());
}

TSizeF TSdlBackend::ScreenSize() {
  EnsureStarted();
  SDL_Rect R;
  if (SDL_GetDisplayBounds(0, &R) != 0) return {1024, 768};
  return {static_cast<float>(R.w), static_cast<float>(R.h)};
}

TRectF TSdlBackend::WorkArea() {
  EnsureStarted();
  SDL_Rect R;
  if (SDL_GetDisplayUsableBounds(0, &R) != 0) {
    TSizeF S = ScreenSize();
    return {0, 0, S.Width, S.Height};
  }
  return {static_cast<float>(R.x), static_cast<float>(R.y), static_cast<float>(R.x + R.w), static_cast<float>(R.y + R.h)};
}

TSdlBackend& InstallSdlPlatform() {
  // Lives until the process ends, like the headless one.
  static TPlatform* Platform = new TPlatform(std::make_unique<TSdlBackend>());
  return static_cast<TSdlBackend&>(Platform->Backend());
}
