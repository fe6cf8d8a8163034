#include "shell/platform/sdl/XResources.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/Xresource.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <cstring>

namespace {
// The X connection and window behind an SDL window; false off X11.
bool X11Of(SDL_Window* Window, Display*& D, ::Window& W) {
  if (!Window) return false;
  SDL_SysWMinfo Info;
  SDL_VERSION(&Info.version);
  if (!SDL_GetWindowWMInfo(Window, &Info) || Info.subsystem != SDL_SYSWM_X11) return false;
  D = Info.info.x11.display;
  W = Info.info.x11.window;
  return D != nullptr;
}
}  // namespace

std::optional<double> ParseXftDpi(const std::string& Value) {
  const char* Begin = Value.c_str();
  char* End = nullptr;
  const double Dpi = std::strtod(Begin, &End);
  if (End == Begin) return std::nullopt;
  while (*End == ' ' || *End == '\t') ++End;
  if (*End != '\0' || !(Dpi > 0) || Dpi > 10000) return std::nullopt;
  return Dpi;
}

std::optional<double> XftDpiOfResources(const std::string& Text) {
  std::optional<double> Dpi;
  XrmInitialize();
  if (XrmDatabase Db = XrmGetStringDatabase(Text.c_str())) {
    char* Type = nullptr;
    XrmValue Value{};
    if (XrmGetResource(Db, "Xft.dpi", "Xft.Dpi", &Type, &Value) && Value.addr)
      Dpi = ParseXftDpi(std::string(static_cast<const char*>(Value.addr), strnlen(Value.addr, Value.size)));
    XrmDestroyDatabase(Db);
  }
  return Dpi;
}

std::optional<double> ReadXftDpi(SDL_Window* Window) {
  Display* D = nullptr;
  ::Window W = 0;
  if (!X11Of(Window, D, W)) return std::nullopt;
  // Read from the server each time: the copy that Xlib took when the connection opened is not
  // updated when xrdb changes the property.
  Atom Type = None;
  int Format = 0;
  unsigned long Count = 0, After = 0;
  unsigned char* Data = nullptr;
  if (XGetWindowProperty(D, DefaultRootWindow(D), XA_RESOURCE_MANAGER, 0, 1 << 20, False, XA_STRING, &Type, &Format,
                         &Count, &After, &Data) != Success)
    return std::nullopt;
  std::optional<double> Dpi;
  if (Data && Type == XA_STRING && Format == 8) Dpi = XftDpiOfResources(std::string(reinterpret_cast<char*>(Data), Count));
  if (Data) XFree(Data);
  return Dpi;
}

void WatchDesktopResources(SDL_Window* Window) {
  Display* D = nullptr;
  ::Window W = 0;
  if (!X11Of(Window, D, W)) return;
  const ::Window Root = DefaultRootWindow(D);
  // Added to what this connection already selects on the root window, not in its place.
  XWindowAttributes Attributes{};
  const long Selected = XGetWindowAttributes(D, Root, &Attributes) ? Attributes.your_event_mask : 0;
  XSelectInput(D, Root, Selected | PropertyChangeMask);
  XFlush(D);
  SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

bool IsResourceChange(const SDL_Event& Event) {
  if (Event.type != SDL_SYSWMEVENT || !Event.syswm.msg || Event.syswm.msg->subsystem != SDL_SYSWM_X11) return false;
  const XEvent& X = Event.syswm.msg->msg.x11.event;
  return X.type == PropertyNotify && X.xproperty.atom == XA_RESOURCE_MANAGER &&
         X.xproperty.window == DefaultRootWindow(X.xproperty.display);
}

namespace {
XErrorHandler GPreviousErrorHandler = nullptr;

int IgnorePostsToGoneWindows(Display* D, XErrorEvent* E) {
  if (E->error_code == BadWindow && E->request_code == X_SendEvent) return 0;
  return GPreviousErrorHandler ? GPreviousErrorHandler(D, E) : 0;
}
}  // namespace

void ToleratePostsToGoneWindows() {
  static bool Installed = false;
  if (Installed) return;
  Installed = true;
  GPreviousErrorHandler = XSetErrorHandler(IgnorePostsToGoneWindows);
}

namespace {
// Lets Edit change the window's normal hints as they stand; they are written back when Edit
// says it changed them.
template <typename TEdit>
void EditNormalHints(SDL_Window* Window, TEdit Edit) {
  Display* D = nullptr;
  ::Window W = 0;
  if (!X11Of(Window, D, W)) return;
  XSizeHints* Hints = XAllocSizeHints();
  if (!Hints) return;
  long Supplied = 0;
  if (!XGetWMNormalHints(D, W, Hints, &Supplied)) Hints->flags = 0;
  if (Edit(*Hints)) {
    XSetWMNormalHints(D, W, Hints);
    XFlush(D);
  }
  XFree(Hints);
}
}  // namespace

void KeepGivenPlacement(SDL_Window* Window, int X, int Y) {
  EditNormalHints(Window, [&](XSizeHints& Hints) {
    Hints.flags |= PPosition;
    Hints.x = X;
    Hints.y = Y;
    return true;
  });
}

void LeavePlacementToWindowManager(SDL_Window* Window) {
  EditNormalHints(Window, [](XSizeHints& Hints) {
    if (!(Hints.flags & (USPosition | PPosition))) return false;
    Hints.flags &= ~(USPosition | PPosition);
    return true;
  });
}

void ShowWithoutActivation(SDL_Window* Window) {
  Display* D = nullptr;
  ::Window W = 0;
  if (!X11Of(Window, D, W)) return;
  const Atom UserTime = XInternAtom(D, "_NET_WM_USER_TIME", False);
  const long Never = 0;
  XChangeProperty(D, W, UserTime, XA_CARDINAL, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&Never), 1);
  XFlush(D);
}
