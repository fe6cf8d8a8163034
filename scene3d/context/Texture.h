#pragma once
// TTexture: an image the 3D device samples or renders into. The texture itself is plain data
// (size, style, scale, pixels); the device object behind it is made lazily by the back end
// that first needs it and is freed with the texture.
#include <cstdint>
#include <functional>
#include <memory>

#include "shell/core/Object.h"

class TBitmap;

enum class TTextureStyle { MipMaps, Dynamic, RenderTarget, Volatile };
using TTextureStyles = TSet<TTextureStyle>;

// The layout of one pixel on the device; BGRA is the byte order TBitmap stores.
enum class TPixelFormat { None, BGRA };

// What a back end keeps for a texture; destroying it frees the device object.
class ITextureResource {
 public:
  virtual ~ITextureResource() = default;
  // Whether the device object still holds the pixels it was last given (a device made anew
  // holds none of its predecessor's).
  virtual bool IsCurrent() const { return true; }
};

// Device-independent texture; pixels are premultiplied B, G, R, A bytes, rows top first.
class TTexture {
 public:
  TTexture();
  ~TTexture();
  TTexture(const TTexture&) = delete;
  TTexture& operator=(const TTexture&) = delete;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  bool IsEmpty() const { return FWidth <= 0 || FHeight <= 0; }
  // A new size drops the pixels and the device object; a negative side counts as zero.
  void SetSize(int AWidth, int AHeight);

  TTextureStyles Style() const { return FStyle; }
  void SetStyle(TTextureStyles Value);
  void SetStyle(TTextureStyle Value) { SetStyle(TTextureStyles{Value}); }
  bool IsRenderTarget() const { return FStyle.Contains(TTextureStyle::RenderTarget); }

  // Pixels per logical unit that the texture was made for.
  float TextureScale() const { return FTextureScale; }
  void SetTextureScale(float Value) { FTextureScale = Value; }

  TPixelFormat PixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat Value) { FPixelFormat = Value; }

  // Levels the device keeps: the whole chain down to 1 × 1 with MipMaps, else one. A render
  // target always has one, since it is resolved into level 0 only.
  int MipLevels() const;

  // Takes size and pixels from Bitmap. The pixels are not copied: they stay in the bitmap
  // until the device takes them (TakePixels, on the next draw with the texture), so the
  // bitmap must live until then. Repeating it for the same bitmap while the bitmap has not
  // changed and the device still holds its pixels does nothing, so a surface painted once is
  // uploaded once. Returns whether the pixels were taken.
  bool LoadFromBitmap(TBitmap& Bitmap);
  // Whether pixels wait for the device.
  bool HasPendingPixels() const { return FPending != nullptr; }
  // Hands the waiting pixels to Upload (Width × Height words, rows top first and Pitch bytes
  // apart, B, G, R, A premultiplied) and forgets them; false when none wait, as for a texture
  // that only receives rendering.
  bool TakePixels(const std::function<void(const uint8_t* Data, int Pitch)>& Upload);
  // Changes with every change of the pixels, to a value no texture of the process had before,
  // so that equal stamps mean the same pixels.
  uint64_t ContentStamp() const { return FContentStamp; }
  // The pixels were changed on the device (a part written, a frame rendered into it).
  void PixelsChanged();

  ITextureResource* Resource() const { return FResource.get(); }
  void SetResource(std::unique_ptr<ITextureResource> Value) { FResource = std::move(Value); }

 private:
  int FWidth = 0;
  int FHeight = 0;
  TTextureStyles FStyle{TTextureStyle::MipMaps};
  float FTextureScale = 1;
  TPixelFormat FPixelFormat = TPixelFormat::None;
  // The bitmap whose pixels wait for the device, or none.
  TBitmap* FPending = nullptr;
  uint64_t FContentStamp;
  // The bitmap the pixels came from and its change count then; Id 0 means none.
  uint64_t FSourceId = 0;
  uint64_t FSourceStamp = 0;
  std::unique_ptr<ITextureResource> FResource;
};
