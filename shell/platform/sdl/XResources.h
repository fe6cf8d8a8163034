#pragma once
// The monitor scale on X11: the X resource "Xft.dpi" (what desktops set for their scale
// factor) divided by 96. Xlib stays inside this file's .cpp.
#include <optional>
#include <string>

// Xft.dpi from the resource database of the display named by DISPLAY, or none (no display,
// no resource database, no such entry or not a positive number).
std::optional<double> ReadXftDpi();
// Parses the value of an Xft.dpi entry: a positive decimal number, else none.
std::optional<double> ParseXftDpi(const std::string& Value);
