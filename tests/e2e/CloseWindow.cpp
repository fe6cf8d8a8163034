// close-window ID: asks the X window ID to close the way a window manager's close button does,
// with a WM_DELETE_WINDOW client message of the WM_PROTOCOLS kind. (xdotool's windowclose
// destroys the window instead, which a program never gets to answer.)
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  char* End = nullptr;
  const unsigned long Id = argc == 2 ? std::strtoul(argv[1], &End, 0) : 0;
  if (Id == 0 || *End != '\0') {
    std::fprintf(stderr, "usage: close-window WINDOW-ID\n");
    return 2;
  }
  Display* D = XOpenDisplay(nullptr);
  if (!D) {
    std::fprintf(stderr, "close-window: cannot open the display\n");
    return 1;
  }
  XEvent Event{};
  Event.xclient.type = ClientMessage;
  Event.xclient.window = Id;
  Event.xclient.message_type = XInternAtom(D, "WM_PROTOCOLS", False);
  Event.xclient.format = 32;
  Event.xclient.data.l[0] = static_cast<long>(XInternAtom(D, "WM_DELETE_WINDOW", False));
  Event.xclient.data.l[1] = CurrentTime;
  const Status Sent = XSendEvent(D, Id, False, NoEventMask, &Event);
  XSync(D, False);
  XCloseDisplay(D);
  return Sent ? 0 : 1;
}
