#pragma once
// What the SDL back end asks of an X11 desktop directly, as SDL offers none of it: the monitor
// scale from the X resource "Xft.dpi" (what desktops set for their scale factor) divided by 96,
// and news of a new one while the program runs; and a first placement left to the window
// manager. Xlib stays inside this file's .cpp; on other video drivers these do nothing.
#include <optional>
#include <string>

struct SDL_Window;
union SDL_Event;

// Xft.dpi as the X server holds it now (the root window's RESOURCE_MANAGER property that xrdb
// sets), read through the connection of Window; none without such a positive entry or off X11.
std::optional<double> ReadXftDpi(SDL_Window* Window);
// Xft.dpi in the text of a resource database, or none.
std::optional<double> XftDpiOfResources(const std::string& Text);
// Parses the value of an Xft.dpi entry: a positive decimal number, else none.
std::optional<double> ParseXftDpi(const std::string& Value);

// Asks the X server to report changes of the root window's properties on the connection of
// Window, and SDL to pass X events on (as SDL_SYSWMEVENT).
void WatchDesktopResources(SDL_Window* Window);
// Whether Event says that the resource database (and so perhaps Xft.dpi) changed.
bool IsResourceChange(const SDL_Event& Event);

// Takes any program- or user-specified position out of the window's normal hints, so that the
// window manager chooses where the window first appears.
void LeavePlacementToWindowManager(SDL_Window* Window);
// Puts the position the program gave the window (X, Y: where its frame goes) into its normal
// hints, so that the window manager shows the window there when it first maps it.
void KeepGivenPlacement(SDL_Window* Window, int X, int Y);

// Marks the window, not yet shown, as one the window manager should not activate when it maps
// it: a user time of 0 (the user has not interacted with it), which window managers honour
// where SDL's no-activation hint is not enough.
void ShowWithoutActivation(SDL_Window* Window);

// SDL wakes its waiting loop by posting an event to one of the program's windows through a
// second connection; that post can reach the server after the window was destroyed through the
// first, and Xlib's default answer to the BadWindow error is to end the program. Such errors
// are ignored from now on (others go on to the handler in place before); installed before SDL
// starts, SDL's own handler passes them here. Once per process.
void ToleratePostsToGoneWindows();
