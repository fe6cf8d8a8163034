#pragma once
#include <memory>
#include <vector>

#include "shell/core/Export.h"
#include "shell/canvas/Bitmap.h"
#include "shell/controls/Control.h"
#include "shell/core/Collection.h"
#include "shell/styles/StyleImage.h"

namespace TypeInfos {
KELVANE_API const TTypeInfo& ImageWrapMode();
}

/// One variant of a multi-resolution bitmap: the bitmap for one scale, stored as PNG data.
class KELVANE_API TFixedBitmapItem : public TCollectionItem {
  KLV_CLASS(TFixedBitmapItem)
 public:
  TFixedBitmapItem();
  ~TFixedBitmapItem() override;

  float Scale() const { return FScale; }
  void SetScale(float Value);
  /// The bitmap for this scale. Read from PNG data, its pixels are checked when the data is
  /// loaded but made only when first asked for here, so that the variants for scales no screen
  /// uses take no memory.
  TBitmap* Bitmap() const;
  /// Copies the pixels of Value.
  void SetBitmap(TBitmap* Value);
  /// The PNG bytes the bitmap was read from (kept, so that the item is stored as it came).
  const std::vector<uint8_t>& PNG() const { return FPNG; }
  void LoadFromPNG(const std::vector<uint8_t>& Data);

  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler& Filer) override;

 private:
  float FScale = 1;
  std::unique_ptr<TBitmap> FBitmap;
  std::vector<uint8_t> FPNG;
  /// The bitmap holds the pixels of FPNG (or was set directly).
  mutable bool FDecoded = true;
};

/// The variants of a bitmap by scale.
class KELVANE_API TFixedMultiResBitmap : public TCollection {
  KLV_CLASS(TFixedMultiResBitmap)
 public:
  TFixedMultiResBitmap();

  TFixedBitmapItem* Items(int Index) const { return static_cast<TFixedBitmapItem*>(TCollection::Items(Index)); }
  TFixedBitmapItem* Add() { return static_cast<TFixedBitmapItem*>(TCollection::Add()); }
  /// The variant whose scale is nearest to Scale (the earlier one on a tie); none when empty.
  TFixedBitmapItem* ItemByScale(float Scale) const;
};

/// TImage: a control that shows a bitmap; in a style it holds the style's artwork, one PNG per
/// scale in its MultiResBitmap, from which the style objects draw by name (SourceLookup).
class KELVANE_API TImage : public TControl {
  KLV_CLASS(TImage)
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  TFixedMultiResBitmap* MultiResBitmap() const { return FMultiResBitmap.get(); }
  void SetMultiResBitmap(TFixedMultiResBitmap* Value) { FMultiResBitmap->Assign(Value); }
  TImageWrapMode WrapMode() const { return FWrapMode; }
  void SetWrapMode(TImageWrapMode Value);

 protected:
  void Paint() override;

 private:
  std::unique_ptr<TFixedMultiResBitmap> FMultiResBitmap;
  TImageWrapMode FWrapMode = TImageWrapMode::Fit;
};
