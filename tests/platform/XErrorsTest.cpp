// X errors that the SDL back end lets pass: a post to a window destroyed meanwhile (SDL's wake-up
// of its loop) must not reach Xlib's handler, which would end the program; any other error
// still reaches the handler that was in place before.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xproto.h>

#include <cstdlib>
#include <vector>

#include "shell/platform/sdl/XResources.h"

namespace {

std::vector<int> GHeard;  // the request codes of the errors the earlier handler heard of

int Earlier(Display*, XErrorEvent* E) {
  GHeard.push_back(E->request_code);
  return 0;
}

TEST(XErrors, APostToADestroyedWindowIsLetPassAndOtherErrorsGoOn) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server (install xvfb)";
  Display* D = XOpenDisplay(nullptr);
  ASSERT_NE(D, nullptr);
  XSetErrorHandler(Earlier);
  ToleratePostsToGoneWindows();
  const Window W = XCreateSimpleWindow(D, DefaultRootWindow(D), 0, 0, 10, 10, 0, 0, 0);
  XDestroyWindow(D, W);
  XSync(D, False);

  XEvent E{};
  E.xclient.type = ClientMessage;
  E.xclient.window = W;
  E.xclient.format = 32;
  XSendEvent(D, W, False, NoEventMask, &E);
  XSync(D, False);
  EXPECT_TRUE(GHeard.empty());

  XMapWindow(D, W);
  XSync(D, False);
  EXPECT_EQ(GHeard, std::vector<int>{X_MapWindow});
  XCloseDisplay(D);
}

}  // namespace
