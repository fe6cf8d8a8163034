#include "scene3d/context/Texture.h"

#include <algorithm>
#include <atomic>

#include "shell/canvas/Bitmap.h"

namespace {
uint64_t NewStamp() {
  static std::atomic<uint64_t> Last{0};
  return ++Last;
}
}  // namespace

TTexture::TTexture() : FContentStamp(NewStamp()) {}

TTexture::~TTexture() = default;

void TTexture::PixelsChanged() { FContentStamp = NewStamp(); }

void TTexture::SetSize(int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (AWidth == FWidth && AHeight == FHeight) return;
  FWidth = AWidth;
  FHeight = AHeight;
  FPending = nullptr;
  FSourceId = 0;
  FContentStamp = NewStamp();
  FResource.reset();
}

void TTexture::SetStyle(TTextureStyles Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  // The level count and the use of the device object depend on the style.
  FResource.reset();
  FContentStamp = NewStamp();
}

int TTexture::MipLevels() const {
  if (IsRenderTarget() || !FStyle.Contains(TTextureStyle::MipMaps) || IsEmpty()) return 1;
  int Levels = 1;
  for (int Side = std::max(FWidth, FHeight); Side > 1; Side /= 2) ++Levels;
  return Levels;
}

bool TTexture::LoadFromBitmap(TBitmap& Bitmap) {
  const bool Held = FPending == &Bitmap || (FResource && FResource->IsCurrent());
  if (FSourceId == Bitmap.Id() && FSourceStamp == Bitmap.ChangeStamp() && FWidth == Bitmap.Width() &&
      FHeight == Bitmap.Height() && Held)
    return false;
  SetSize(Bitmap.Width(), Bitmap.Height());
  FPending = IsEmpty() ? nullptr : &Bitmap;
  if (FPixelFormat == TPixelFormat::None) FPixelFormat = TPixelFormat::BGRA;
  FSourceId = Bitmap.Id();
  FSourceStamp = Bitmap.ChangeStamp();
  FContentStamp = NewStamp();
  return true;
}

bool TTexture::TakePixels(const std::function<void(const uint8_t* Data, int Pitch)>& Upload) {
  TBitmap* Source = FPending;
  FPending = nullptr;
  if (!Source) return false;
  TBitmapData Data;
  // A bitmap resized since it was loaded no longer holds this texture's pixels.
  if (Source->Width() != FWidth || Source->Height() != FHeight || !Source->Map(TMapAccess::Read, Data)) return false;
  Upload(Data.Data, Data.Pitch);
  Source->Unmap(Data);
  return true;
}
