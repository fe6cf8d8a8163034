#pragma once
// The canvas class drawn with Cairo (image surfaces for bitmaps and window buffers) and Pango
// (text). Its types stay in CanvasCairo.cpp.
#include "shell/core/Export.h"
#include "shell/canvas/CanvasManager.h"

/// "TCanvasCairo": supports clip rectangles.
const TCanvasClass& CairoCanvasClass();

/// Whether fontconfig, which the text back end (Pango) takes its fonts from, finds any font.
KELVANE_API bool CairoFontsAvailable();
