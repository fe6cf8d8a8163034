// The floor for start-up: a program that shows an empty white window of the game's client
// size through SDL, presents it once, and then waits for events until it is closed.
#include <SDL2/SDL.h>

#include <cstdio>

int main() {
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "empty-window: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* Window = SDL_CreateWindow("Form1", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 634, 480, SDL_WINDOW_RESIZABLE);
  SDL_Surface* Surface = Window ? SDL_GetWindowSurface(Window) : nullptr;
  if (!Surface) {
    std::fprintf(stderr, "empty-window: %s\n", SDL_GetError());
    return 1;
  }
  SDL_FillRect(Surface, nullptr, SDL_MapRGB(Surface->format, 255, 255, 255));
  SDL_UpdateWindowSurface(Window);
  for (SDL_Event Event; SDL_WaitEvent(&Event) && Event.type != SDL_QUIT;) {
  }
  SDL_DestroyWindow(Window);
  SDL_Quit();
  return 0;
}
