// Preloaded into a program to note its first present: the first time the program hands a
// window's pixels to the X server (SDL's window surface update), the time since the exec
// recorded in KELVANE_EXEC_NS is written to the descriptor in KELVANE_PRESENT_FD, and the
// program ends at once when KELVANE_PRESENT_EXIT is 1. Nothing else of the program changes.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

struct SDL_Window;
struct SDL_Rect;

namespace {

bool GNoted = false;

long long NowNs() {
  timespec T{};
  clock_gettime(CLOCK_MONOTONIC, &T);
  return static_cast<long long>(T.tv_sec) * 1000000000LL + T.tv_nsec;
}

void NoteFirstPresent() {
  if (GNoted) return;
  GNoted = true;
  const long long Now = NowNs();
  const char* Exec = std::getenv("KELVANE_EXEC_NS");
  const char* Fd = std::getenv("KELVANE_PRESENT_FD");
  if (!Exec || !Fd) return;
  char Line[64];
  const int N = std::snprintf(Line, sizeof Line, "%.3f\n", static_cast<double>(Now - std::atoll(Exec)) / 1e6);
  if (write(std::atoi(Fd), Line, static_cast<size_t>(N)) != N) return;
  const char* Exit = std::getenv("KELVANE_PRESENT_EXIT");
  if (Exit && std::strcmp(Exit, "1") == 0) _exit(0);
}

template <typename F>
F Next(const char* Name) {
  return reinterpret_cast<F>(dlsym(RTLD_NEXT, Name));
}

}  // namespace

extern "C" int SDL_UpdateWindowSurface(SDL_Window* Window) {
  static auto Real = Next<int (*)(SDL_Window*)>("SDL_UpdateWindowSurface");
  const int Result = Real(Window);
  NoteFirstPresent();
  return Result;
}

extern "C" int SDL_UpdateWindowSurfaceRects(SDL_Window* Window, const SDL_Rect* Rects, int Count) {
  static auto Real = Next<int (*)(SDL_Window*, const SDL_Rect*, int)>("SDL_UpdateWindowSurfaceRects");
  const int Result = Real(Window, Rects, Count);
  NoteFirstPresent();
  return Result;
}
