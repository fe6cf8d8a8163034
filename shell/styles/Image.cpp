#include "shell/styles/Image.h"

#include <cmath>

#include "shell/canvas/Canvas.h"
#include "shell/core/Filer.h"

namespace TypeInfos {
const TTypeInfo& ImageWrapMode() {
  static const TTypeInfo T =
      MakeNamedType("TImageWrapMode", TTypeKind::Enumeration, {"Original", "Fit", "Stretch", "Tile", "Center", "Place"});
  return T;
}
}  // namespace TypeInfos

// --- TFixedBitmapItem ---

const TMetaClass& TFixedBitmapItem::StaticClass() {
  return ClassRecord<TFixedBitmapItem>("TFixedBitmapItem", &TCollectionItem::StaticClass(), [](auto& B) {
    B.Property("Scale", &TFixedBitmapItem::Scale, &TFixedBitmapItem::SetScale).Default(1.f);
  });
}

TFixedBitmapItem::TFixedBitmapItem() : FBitmap(std::make_unique<TBitmap>()) {}

TFixedBitmapItem::~TFixedBitmapItem() = default;

void TFixedBitmapItem::SetScale(float Value) {
  if (Value == FScale || std::isnan(Value)) return;
  FScale = Value;
  Changed(false);
}

TBitmap* TFixedBitmapItem::Bitmap() const {
  if (!FDecoded) {
    FDecoded = true;
    // The data was read once already when loaded, so this cannot fail but for memory.
    try {
      FBitmap->LoadFromPNG(FPNG.data(), FPNG.size());
    } catch (const EBitmapLoadingFailed&) {
      FBitmap->SetSize(0, 0);
    }
  }
  return FBitmap.get();
}

void TFixedBitmapItem::SetBitmap(TBitmap* Value) {
  FBitmap->Assign(Value);
  FPNG.clear();
  FDecoded = true;
  Changed(false);
}

void TFixedBitmapItem::LoadFromPNG(const std::vector<uint8_t>& Data) {
  if (Data.empty()) {
    FBitmap->SetSize(0, 0);
    FDecoded = true;
  } else {
    // Read now, so that bad data fails the loading; the pixels wait until they are wanted.
    FBitmap->LoadFromPNG(Data.data(), Data.size());
    FBitmap->SetSize(0, 0);
    FDecoded = false;
  }
  FPNG = Data;
  Changed(false);
}

void TFixedBitmapItem::Assign(TPersistent* Source) {
  auto* Other = dynamic_cast<TFixedBitmapItem*>(Source);
  if (!Other) {
    TCollectionItem::Assign(Source);
    return;
  }
  FScale = Other->FScale;
  FBitmap->Assign(Other->FBitmap.get());
  FPNG = Other->FPNG;
  FDecoded = Other->FDecoded;
  Changed(false);
}

void TFixedBitmapItem::DefineProperties(TFiler& Filer) {
  TCollectionItem::DefineProperties(Filer);
  Filer.DefineProperty(
      "PNG", [this](IValueReader& R) { LoadFromPNG(R.ReadBinary()); },
      [this](IValueWriter& W) { W.WriteBinary(FPNG.empty() && !FBitmap->IsEmpty() ? FBitmap->SaveToPNG() : FPNG); },
      !FPNG.empty() || !FBitmap->IsEmpty());
}

// --- TFixedMultiResBitmap ---

const TMetaClass& TFixedMultiResBitmap::StaticClass() {
  return ClassRecord<TFixedMultiResBitmap>("TFixedMultiResBitmap", &TCollection::StaticClass(), [](auto&) {});
}

TFixedMultiResBitmap::TFixedMultiResBitmap()
    : TCollection(TFixedBitmapItem::StaticClass(), [] { return new TFixedBitmapItem; }) {}

TFixedBitmapItem* TFixedMultiResBitmap::ItemByScale(float Scale) const {
  TFixedBitmapItem* Best = nullptr;
  float BestDistance = 0;
  for (int I = 0; I < Count(); ++I) {
    TFixedBitmapItem* Item = Items(I);
    const float D = std::fabs(Item->Scale() - Scale);
    if (!Best || D < BestDistance) {
      Best = Item;
      BestDistance = D;
    }
  }
  return Best;
}

// --- TImage ---

const TMetaClass& TImage::StaticClass() {
  return ClassRecord<TImage>("TImage", &TControl::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("MultiResBitmap", &TImage::MultiResBitmap, &TImage::SetMultiResBitmap);
    B.Property("WrapMode", &TImage::WrapMode, &TImage::SetWrapMode, &TypeInfos::ImageWrapMode())
        .Default(TImageWrapMode::Fit);
  });
}

TImage::TImage(TComponent* AOwner) : TControl(AOwner), FMultiResBitmap(std::make_unique<TFixedMultiResBitmap>()) {}

TImage::~TImage() = default;

void TImage::SetWrapMode(TImageWrapMode Value) {
  if (Value == FWrapMode) return;
  FWrapMode = Value;
  Repaint();
}

void TImage::Paint() {
  TCanvas* C = Canvas();
  if (!C) return;
  TFixedBitmapItem* Item = FMultiResBitmap->ItemByScale(C->Scale());
  if (!Item || Item->Bitmap()->IsEmpty()) return;
  TBitmap& Bmp = *Item->Bitmap();
  for (const TImagePart& P : LayoutStyleImage(Bmp.Bounds(), TRectF(), Item->Scale(), LocalRect(), TCapWrapMode::Stretch, FWrapMode))
    C->DrawBitmap(Bmp, P.Source, P.Target, AbsoluteOpacity(), false);
}
