#include "shell/script/WindowFrame.h"

#include <algorithm>

#include "shell/canvas/Bitmap.h"
#include "shell/platform/Backend.h"
#include "shell/platform/PlatformWindow.h"

std::unique_ptr<TBitmap> WindowFrame(TPlatformBackend& Backend, TPlatformWindow& Window) {
  auto Frame = std::make_unique<TBitmap>(Window.ClientWidth(), Window.ClientHeight());
  TPlatformBackend::TPresentedPixels Pixels;
  if (Backend.PresentedPixels(Window, Pixels) && Pixels.Data && Pixels.Width == Frame->Width() &&
      Pixels.Height == Frame->Height() && !Frame->IsEmpty()) {
    TBitmapData Data;
    Frame->Map(TMapAccess::Write, Data);
    for (int Y = 0; Y < Data.Height; ++Y)
      std::copy_n(Pixels.Data + static_cast<std::ptrdiff_t>(Y) * static_cast<std::ptrdiff_t>(Pixels.Stride),
                  Pixels.Width, Data.Scanline(Y));
    Frame->Unmap(Data);
  }
  return Frame;
}

void SaveWindowFrame(TPlatformBackend& Backend, TPlatformWindow& Window, const std::string& FileName) {
  WindowFrame(Backend, Window)->SaveToFile(FileName);
}
