#pragma once
// The picture of a headless window as a bitmap: its client area as last painted, at physical
// size.
#include <memory>
#include <string>

class TBitmap;
class THeadlessBackend;
class TPlatformWindow;

// The window's client area as last painted; transparent where nothing has been painted yet.
std::unique_ptr<TBitmap> WindowFrame(THeadlessBackend& Backend, TPlatformWindow& Window);
// Writes WindowFrame to a PNG file.
void SaveWindowFrame(THeadlessBackend& Backend, TPlatformWindow& Window, const std::string& FileName);
