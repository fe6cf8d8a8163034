#pragma once
// The picture of a window as a bitmap: its client area as last presented, at physical size.
#include <memory>
#include <string>

class TBitmap;
class TPlatformBackend;
class TPlatformWindow;

// The window's client area as last painted; transparent where nothing has been painted yet.
std::unique_ptr<TBitmap> WindowFrame(TPlatformBackend& Backend, TPlatformWindow& Window);
// Writes WindowFrame to a PNG file.
void SaveWindowFrame(TPlatformBackend& Backend, TPlatformWindow& Window, const std::string& FileName);
