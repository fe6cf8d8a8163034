#include "shell/platform/sdl/XResources.h"

#include <X11/Xlib.h>
#include <X11/Xresource.h>

#include <cstdlib>
#include <cstring>

std::optional<double> ParseXftDpi(const std::string& Value) {
  const char* Begin = Value.c_str();
  char* End = nullptr;
  const double Dpi = std::strtod(Begin, &End);
  if (End == Begin) return std::nullopt;
  while (*End == ' ' || *End == '\t') ++End;
  if (*End != '\0' || !(Dpi > 0) || Dpi > 10000) return std::nullopt;
  return Dpi;
}

std::optional<double> ReadXftDpi() {
  Display* D = XOpenDisplay(nullptr);
  if (!D) return std::nullopt;
  std::optional<double> Dpi;
  // The resources that xrdb loaded into the server (the RESOURCE_MANAGER property).
  if (const char* Text = XResourceManagerString(D)) {
    XrmInitialize();
    if (XrmDatabase Db = XrmGetStringDatabase(Text)) {
      char* Type = nullptr;
      XrmValue Value{};
      if (XrmGetResource(Db, "Xft.dpi", "Xft.Dpi", &Type, &Value) && Value.addr)
        Dpi = ParseXftDpi(std::string(static_cast<const char*>(Value.addr), strnlen(Value.addr, Value.size)));
      XrmDestroyDatabase(Db);
    }
  }
  XCloseDisplay(D);
  return Dpi;
}
