#include "shell/canvas/Brush.h"

#include <cmath>

#include "shell/canvas/Bitmap.h"

namespace TypeInfos {
const TTypeInfo& BrushKind() {
  static const TTypeInfo T = MakeNamedType("TBrushKind", TTypeKind::Enumeration, {"None", "Solid", "Gradient", "Bitmap", "Resource"});
  return T;
}
const TTypeInfo& WrapMode() {
  static const TTypeInfo T = MakeNamedType("TWrapMode", TTypeKind::Enumeration, {"Tile", "TileOriginal", "TileStretch"});
  return T;
}
const TTypeInfo& StrokeCap() {
  static const TTypeInfo T = MakeNamedType("TStrokeCap", TTypeKind::Enumeration, {"Flat", "Round"});
  return T;
}
const TTypeInfo& StrokeJoin() {
  static const TTypeInfo T = MakeNamedType("TStrokeJoin", TTypeKind::Enumeration, {"Miter", "Round", "Bevel"});
  return T;
}
const TTypeInfo& StrokeDash() {
  static const TTypeInfo T =
      MakeNamedType("TStrokeDash", TTypeKind::Enumeration, {"Solid", "Dash", "Dot", "DashDot", "DashDotDot", "Custom"});
  return T;
}
}  // namespace TypeInfos

const TMetaClass& TBrushBitmap::StaticClass() {
  return ClassRecord<TBrushBitmap>("TBrushBitmap", &TPersistent::StaticClass(), [](auto& B) {
    B.Property("WrapMode", &TBrushBitmap::WrapMode, &TBrushBitmap::SetWrapMode, &TypeInfos::WrapMode())
        .Default(TWrapMode::Tile);
  });
}

const TMetaClass& TBrushResource::StaticClass() {
  return ClassRecord<TBrushResource>("TBrushResource", &TPersistent::StaticClass(), [](auto& B) {
    B.Property("StyleLookup", &TBrushResource::StyleLookup, &TBrushResource::SetStyleLookup);
  });
}

const TMetaClass& TBrush::StaticClass() {
  // Registration order is the order a writer stores them in: kind before the gradient.
  return ClassRecord<TBrush>("TBrush", &TPersistent::StaticClass(), [](auto& B) {
    B.Property("Color", &TBrush::Color, &TBrush::SetColor, &TypeInfos::AlphaColor())
        .Stored([](const TBrush& Br) { return Br.Color() != Br.DefaultColor(); });
    B.Property("Bitmap", &TBrush::Bitmap, &TBrush::SetBitmap)
        .Stored([](const TBrush& Br) { return Br.Kind() == TBrushKind::Bitmap; });
    B.Property("Kind", &TBrush::Kind, &TBrush::SetKind, &TypeInfos::BrushKind())
        .Stored([](const TBrush& Br) { return Br.Kind() != Br.DefaultKind(); });
    B.Property("Gradient", &TBrush::Gradient, &TBrush::SetGradient)
        .Stored([](const TBrush& Br) { return Br.Kind() == TBrushKind::Gradient; });
    B.Property("Resource", &TBrush::Resource, &TBrush::SetResource)
        .Stored([](const TBrush& Br) { return Br.Kind() == TBrushKind::Resource; });
  });
}

const TMetaClass& TStrokeBrush::StaticClass() {
  return ClassRecord<TStrokeBrush>("TStrokeBrush", &TBrush::StaticClass(), [](auto& B) {
    B.Property("Thickness", &TStrokeBrush::Thickness, &TStrokeBrush::SetThickness).Default(1.0f);
    B.Property("Cap", &TStrokeBrush::Cap, &TStrokeBrush::SetCap, &TypeInfos::StrokeCap()).Default(TStrokeCap::Flat);
    B.Property("Dash", &TStrokeBrush::Dash, &TStrokeBrush::SetDash, &TypeInfos::StrokeDash())
        .Default(TStrokeDash::Solid);
    B.Property("Join", &TStrokeBrush::Join, &TStrokeBrush::SetJoin, &TypeInfos::StrokeJoin())
        .Default(TStrokeJoin::Miter);
  });
}

// ---- TBrushBitmap

TBrushBitmap::TBrushBitmap() : FBitmap(std::make_unique<TBitmap>()) {
  FBitmap->OnChange = TNotifyEvent(this, &TBrushBitmap::BitmapChanged);
}

TBrushBitmap::~TBrushBitmap() = default;

void TBrushBitmap::BitmapChanged(TObject*) { OnChanged(this); }

void TBrushBitmap::SetBitmap(TBitmap* Value) {
  if (Value == FBitmap.get()) return;
  if (Value)
    FBitmap->Assign(Value);
  else
    FBitmap->SetSize(0, 0);
}

void TBrushBitmap::SetWrapMode(TWrapMode Value) {
  if (FWrapMode == Value) return;
  FWrapMode = Value;
  OnChanged(this);
}

void TBrushBitmap::Assign(TPersistent* Source) {
  auto* Other = dynamic_cast<TBrushBitmap*>(Source);
  if (!Other) {
    TPersistent::Assign(Source);
    return;
  }
  SetWrapMode(Other->FWrapMode);
  SetBitmap(Other->FBitmap.get());
}

// ---- TBrushResource

namespace {
TBrushResource::TLookup& ResourceLookup() {
  static TBrushResource::TLookup Lookup;
  return Lookup;
}
}  // namespace

void TBrushResource::SetLookup(TLookup Lookup) { ResourceLookup() = std::move(Lookup); }

void TBrushResource::SetStyleLookup(const std::string& Value) {
  if (FStyleLookup == Value) return;
  FStyleLookup = Value;
  OnChanged(this);
}

TBrush* TBrushResource::Brush() const {
  if (FStyleLookup.empty() || !ResourceLookup()) return nullptr;
  return ResourceLookup()(FStyleLookup);
}

void TBrushResource::Assign(TPersistent* Source) {
  if (auto* Other = dynamic_cast<TBrushResource*>(Source)) {
    SetStyleLookup(Other->FStyleLookup);
    return;
  }
  TPersistent::Assign(Source);
}

// ---- TBrush

TBrush::TBrush(TBrushKind ADefaultKind, TAlphaColor ADefaultColor)
    : FKind(ADefaultKind),
      FColor(ADefaultColor),
      FDefaultKind(ADefaultKind),
      FDefaultColor(ADefaultColor),
      FGradient(std::make_unique<TGradient>()),
      FBitmap(std::make_unique<TBrushBitmap>()),
      FResource(std::make_unique<TBrushResource>()) {
  FGradient->OnChanged = TNotifyEvent(this, &TBrush::GradientChanged);
  FBitmap->OnChanged = TNotifyEvent(this, &TBrush::PartChanged);
  FResource->OnChanged = TNotifyEvent(this, &TBrush::PartChanged);
}

TBrush::~TBrush() {
  FGradient->OnChanged = nullptr;
  FBitmap->OnChanged = nullptr;
  FResource->OnChanged = nullptr;
}

void TBrush::Changed() {
  if (FAssigning) {
    FChangedWhileAssigning = true;
    return;
  }
  OnChanged(this);
}

void TBrush::GradientChanged(TObject*) { Changed(); }

void TBrush::PartChanged(TObject*) { Changed(); }

void TBrush::SetKind(TBrushKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  Changed();
}

void TBrush::SetColor(TAlphaColor Value) {
  if (FKind == TBrushKind::Gradient) {
    FGradient->SetColor(Value);
    return;
  }
  if (FColor == Value) return;
  FColor = Value;
  Changed();
}

void TBrush::SetGradient(TGradient* Value) {
  if (Value && Value != FGradient.get()) FGradient->Assign(Value);
}

void TBrush::SetBitmap(TBrushBitmap* Value) {
  if (Value && Value != FBitmap.get()) FBitmap->Assign(Value);
}

void TBrush::SetResource(TBrushResource* Value) {
  if (Value && Value != FResource.get()) FResource->Assign(Value);
}

void TBrush::Assign(TPersistent* Source) {
  auto* Other = dynamic_cast<TBrush*>(Source);
  if (!Other) {
    TPersistent::Assign(Source);
    return;
  }
  if (Other == this) return;
  // The parts report their own real changes; they are collected into one event.
  FAssigning = true;
  FChangedWhileAssigning = false;
  try {
    if (FKind != Other->FKind || FColor != Other->FColor) FChangedWhileAssigning = true;
    FKind = Other->FKind;
    FColor = Other->FColor;
    FGradient->Assign(Other->FGradient.get());
    FBitmap->Assign(Other->FBitmap.get());
    FResource->Assign(Other->FResource.get());
    if (AssignExtra(*Other)) FChangedWhileAssigning = true;
  } catch (...) {
    FAssigning = false;
    throw;
  }
  FAssigning = false;
  if (FChangedWhileAssigning) Changed();
}

// ---- TStrokeBrush

TStrokeBrush::TStrokeBrush(TBrushKind ADefaultKind, TAlphaColor ADefaultColor) : TBrush(ADefaultKind, ADefaultColor) {}

void TStrokeBrush::SetThickness(float Value) {
  if (FThickness == Value || std::isnan(Value)) return;
  FThickness = Value;
  Changed();
}

void TStrokeBrush::SetCap(TStrokeCap Value) {
  if (FCap == Value) return;
  FCap = Value;
  Changed();
}

void TStrokeBrush::SetJoin(TStrokeJoin Value) {
  if (FJoin == Value) return;
  FJoin = Value;
  Changed();
}

void TStrokeBrush::SetDash(TStrokeDash Value) {
  if (FDash == Value) return;
  FDash = Value;
  switch (Value) {
    case TStrokeDash::Solid: FDashArray.clear(); break;
    case TStrokeDash::Dash: FDashArray = {3, 1}; break;
    case TStrokeDash::Dot: FDashArray = {1, 1}; break;
    case TStrokeDash::DashDot: FDashArray = {3, 1, 1, 1}; break;
    case TStrokeDash::DashDotDot: FDashArray = {3, 1, 1, 1, 1, 1}; break;
    case TStrokeDash::Custom: break;
  }
  FDashOffset = 0;
  Changed();
}

void TStrokeBrush::SetCustomDash(const std::vector<float>& Dash, float Offset) {
  if (FDash == TStrokeDash::Custom && FDashArray == Dash && FDashOffset == Offset) return;
  FDash = TStrokeDash::Custom;
  FDashArray = Dash;
  FDashOffset = Offset;
  Changed();
}

bool TStrokeBrush::AssignExtra(const TBrush& Source) {
  auto* Other = dynamic_cast<const TStrokeBrush*>(&Source);
  if (!Other) return false;
  const bool Differs = FThickness != Other->FThickness || FCap != Other->FCap || FJoin != Other->FJoin ||
                       FDash != Other->FDash || FDashArray != Other->FDashArray || FDashOffset != Other->FDashOffset;
  FThickness = Other->FThickness;
  FCap = Other->FCap;
  FJoin = Other->FJoin;
  FDash = Other->FDash;
  FDashArray = Other->FDashArray;
  FDashOffset = Other->FDashOffset;
  return Differs;
}
