#include "tools/headless/WindowFrame.h"

#include <algorithm>

#include "shell/canvas/Bitmap.h"
#include "shell/platform/headless/HeadlessPlatform.h"

std::unique_ptr<TBitmap> WindowFrame(THeadlessBackend& Backend, TPlatformWindow& Window) {
  auto Frame = std::make_unique<TBitmap>(Window.ClientWidth(), Window.ClientHeight());
  const THeadlessSurface* Surface = Backend.Surface(Window);
  if (Surface && Surface->Width == Frame->Width() && Surface->Height == Frame->Height() && !Frame->IsEmpty()) {
    TBitmapData Data;
    Frame->Map(TMapAccess::Write, Data);
    for (int Y = 0; Y < Data.Height; ++Y)
      std::copy_n(Surface->Pixels.begin() + static_cast<std::ptrdiff_t>(Y) * Surface->Width, Surface->Width,
                  Data.Scanline(Y));
    Frame->Unmap(Data);
  }
  return Frame;
}

void SaveWindowFrame(THeadlessBackend& Backend, TPlatformWindow& Window, const std::string& FileName) {
  WindowFrame(Backend, Window)->SaveToFile(FileName);
}
