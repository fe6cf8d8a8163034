#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "shell/core/Export.h"
#include "shell/core/AlphaColor.h"
#include "shell/core/Exceptions.h"
#include "shell/core/Geometry2D.h"
#include "shell/core/Persistent.h"

struct _cairo_surface;
class TCanvas;

/// Raised when a bitmap cannot be read from a file or from PNG data.
class KELVANE_API EBitmapLoadingFailed : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EBitmapLoadingFailed"; }
};
/// Raised when a bitmap cannot be written as PNG.
class KELVANE_API EBitmapSavingFailed : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EBitmapSavingFailed"; }
};
/// Raised for a bitmap larger than the canvas can hold, or than the process may spend on pixels.
class KELVANE_API EBitmapSizeTooBig : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EBitmapSizeTooBig"; }
};

enum class TMapAccess { Read, Write, ReadWrite };

/// A mapped view of a bitmap's pixels, valid until Unmap.
struct KELVANE_API TBitmapData {
  uint8_t* Data = nullptr;
  int Pitch = 0;  // bytes from one row to the next
  int Width = 0;
  int Height = 0;
  TMapAccess Access = TMapAccess::Read;

  uint32_t* Scanline(int Y) const { return reinterpret_cast<uint32_t*>(Data + static_cast<ptrdiff_t>(Y) * Pitch); }
  /// The pixel at (X, Y) without premultiplication.
  TAlphaColor GetPixel(int X, int Y) const;
  /// Stores Color premultiplied.
  void SetPixel(int X, int Y, TAlphaColor Color) const;
};

/// TBitmap: pixels that a canvas draws from and into. Storage is 32-bit premultiplied ARGB in
/// native byte order (B, G, R, A in memory on little-endian machines), rows top first, so that
/// opaque colours are kept exactly; colours read and written through TBitmapData are plain
/// (not premultiplied) TAlphaColor values.
class KELVANE_API TBitmap : public TPersistent {
  KLV_CLASS(TBitmap)
 public:
  TBitmap();
  TBitmap(int AWidth, int AHeight);
  ~TBitmap() override;
  TBitmap(const TBitmap&) = delete;
  TBitmap& operator=(const TBitmap&) = delete;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  /// Pixels per logical unit; a canvas of the bitmap draws at this scale.
  float BitmapScale() const { return FBitmapScale; }
  void SetBitmapScale(float Value);
  bool IsEmpty() const { return FWidth == 0 || FHeight == 0; }
  TRectF Bounds() const { return {0, 0, static_cast<float>(FWidth), static_cast<float>(FHeight)}; }
  /// New size with transparent pixels; a size with a zero side leaves the bitmap empty. A size
  /// beyond the limits below raises EBitmapSizeTooBig "Bitmap size too big", and one whose
  /// pixels the process's pixel budget cannot give (TPixelBudget) raises EPixelBudget, before
  /// anything is allocated; the bitmap keeps its pixels.
  void SetSize(int AWidth, int AHeight);

  /// The largest bitmap: 16384 pixels on a side (what 3D devices take as a texture) and 2^25
  /// pixels in all (128 MB): an 8K screen, or the game's sea at twice the size.
  static constexpr int MaxSide = 16384;
  static constexpr int64_t MaxPixels = int64_t(1) << 25;
  /// Whether a bitmap of that size is within the limits (sides of 0 or less always are).
  static bool SizeFits(int64_t AWidth, int64_t AHeight);

  /// Every pixel becomes Color.
  void Clear(TAlphaColor Color);
  /// Direct access to the pixels; Unmap after writing tells drawers and listeners.
  bool Map(TMapAccess Access, TBitmapData& Data);
  void Unmap(TBitmapData& Data);
  /// Gives the memory of rows Top to Bottom back to the system, for a bitmap whose pixels were
  /// copied elsewhere and that is about to be freed: their pixels are undefined from then on.
  /// Whole pages only; the rest stays as it is.
  void DiscardRows(int Top, int Bottom);
  /// Reads one pixel (a convenience for tests and tools; a mapped view is faster).
  TAlphaColor Pixel(int X, int Y);

  /// The canvas that draws into this bitmap, made on first use and kept while the bitmap lives.
  TCanvas* Canvas();

  /// Same size and pixels.
  bool EqualsBitmap(TBitmap& Other);
  /// Copies size, scale and pixels.
  void Assign(TPersistent* Source) override;

  /// PNG through Cairo, to and from files and bytes. Failures raise EBitmapLoadingFailed /
  /// EBitmapSavingFailed with the reason; an image beyond the size limits is refused from its
  /// header, before it is decoded.
  void SaveToFile(const std::string& FileName);
  std::vector<uint8_t> SaveToPNG();
  void LoadFromFile(const std::string& FileName);
  void LoadFromPNG(const uint8_t* Data, size_t Size);

  /// Identifies this bitmap for the life of the process (addresses may be reused).
  uint64_t Id() const { return FId; }
  /// Counts every change of size or pixels, so that holders of derived data can tell.
  uint64_t ChangeStamp() const { return FChangeStamp; }
  /// Called after the pixels changed (a canvas ending its scene, an Unmap for writing).
  void BitmapChanged();

  /// Whether every pixel is known to have alpha 255, so that drawing the bitmap may copy it
  /// instead of blending. Only a writer that checked says so, after its Unmap; every other
  /// write forgets it: a mapping for writing, a canvas drawing into the bitmap, new pixels or
  /// a new size.
  bool KnownOpaque() const { return FKnownOpaque; }
  void MarkKnownOpaque();

  /// The Cairo image surface of the pixels, or none while empty; for the canvas only, which
  /// draws into it through WritableSurface.
  _cairo_surface* Surface() const { return FSurface; }
  _cairo_surface* WritableSurface() {
    FKnownOpaque = false;
    return FSurface;
  }

  TNotifyEvent OnChange;

 private:
  void AdoptSurface(_cairo_surface* Surface);
  void FreeSurface();

  const uint64_t FId;
  _cairo_surface* FSurface = nullptr;
  int FWidth = 0;
  int FHeight = 0;
  float FBitmapScale = 1;
  uint64_t FChangeStamp = 0;
  bool FKnownOpaque = false;
  std::unique_ptr<TCanvas> FCanvas;
};
