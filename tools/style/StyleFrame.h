#pragma once
// Painting one style object the way controls use it: a control that takes the object as its
// style, alone on a form with a transparent background, on the headless back end.
#include <cstdint>
#include <string>
#include <vector>

struct TStyleFrameOptions {
  // The control's size in logical pixels; 0 takes the style object's stored size.
  int Width = 0;
  int Height = 0;
  // Monitor DPI / 96: the picture is Width × Scale by Height × Scale pixels per state.
  float Scale = 1;
};

// Paints the style object Name of Style (the bytes of a style file) into the PNG file Out, the
// control filling the picture (a slider its length, at the thickness its style fixes). The
// control is a slider when the object holds a thumb (horizontal unless it is higher than wide),
// else a button, so that the object shows with its parts (a slider's thumb takes its own style
// from the same style). The style of a thumb shows on the slider whose style holds that thumb,
// oriented as the thumb is used (its stored size is the slider's, turned for a vertical one). The control is painted as it looks normally, with the mouse over it
// (over the thumb of a slider), pressed, and focused; when these differ, the picture holds the
// four side by side in that order, else the one. Must run once per process, before anything
// else installs a platform. Raises Exception "No style object %s in the style" and the
// loader's errors.
void PaintStyleFrame(const std::vector<uint8_t>& Style, const std::string& Name, const std::string& Out,
                     const TStyleFrameOptions& Options);
