#include "scene3d/context/Texture.h"

#include <algorithm>
#include <cstring>

#include "shell/canvas/Bitmap.h"

TTexture::~TTexture() = default;

void TTexture::SetSize(int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (AWidth == FWidth && AHeight == FHeight) return;
  FWidth = AWidth;
  FHeight = AHeight;
  FPixels.clear();
  FSourceId = 0;
  ++FContentStamp;
  FResource.reset();
}

void TTexture::SetStyle(TTextureStyles Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  // The level count and the use of the device object depend on the style.
  FResource.reset();
  ++FContentStamp;
}

int TTexture::MipLevels() const {
  if (IsRenderTarget() || !FStyle.Contains(TTextureStyle::MipMaps) || IsEmpty()) return 1;
  int Levels = 1;
  for (int Side = std::max(FWidth, FHeight); Side > 1; Side /= 2) ++Levels;
  return Levels;
}

bool TTexture::LoadFromBitmap(TBitmap& Bitmap) {
  if (FSourceId == Bitmap.Id() && FSourceStamp == Bitmap.ChangeStamp() && FWidth == Bitmap.Width() &&
      FHeight == Bitmap.Height())
    return false;
  SetSize(Bitmap.Width(), Bitmap.Height());
  FPixels.assign(static_cast<size_t>(FWidth) * static_cast<size_t>(FHeight), 0);
  TBitmapData Data;
  if (!IsEmpty() && Bitmap.Map(TMapAccess::Read, Data)) {
    for (int Y = 0; Y < FHeight; ++Y)
      std::memcpy(&FPixels[static_cast<size_t>(Y) * static_cast<size_t>(FWidth)], Data.Scanline(Y),
                  static_cast<size_t>(FWidth) * sizeof(uint32_t));
    Bitmap.Unmap(Data);
  }
  if (FPixelFormat == TPixelFormat::None) FPixelFormat = TPixelFormat::BGRA;
  FSourceId = Bitmap.Id();
  FSourceStamp = Bitmap.ChangeStamp();
  ++FContentStamp;
  return true;
}
