#include "shell/canvas/Gradient.h"

#include <algorithm>
#include <cmath>

namespace TypeInfos {
const TTypeInfo& GradientStyle() {
  static const TTypeInfo T = MakeNamedType("TGradientStyle", TTypeKind::Enumeration, {"Linear", "Radial"});
  return T;
}
}  // namespace TypeInfos

const TMetaClass& TGradientPoint::StaticClass() {
  return ClassRecord<TGradientPoint>("TGradientPoint", &TCollectionItem::StaticClass(), [](auto& B) {
    B.Property("Color", &TGradientPoint::Color, &TGradientPoint::SetColor, &TypeInfos::AlphaColor());
    B.Property("Offset", &TGradientPoint::Offset, &TGradientPoint::SetOffset);
  });
}

const TMetaClass& TGradientPoints::StaticClass() {
  return ClassRecord<TGradientPoints>("TGradientPoints", &TCollection::StaticClass(), [](auto&) {});
}

const TMetaClass& TGradient::StaticClass() {
  return ClassRecord<TGradient>("TGradient", &TPersistent::StaticClass(), [](auto& B) {
    B.Property("Points", &TGradient::Points, &TGradient::SetPoints);
    B.Property("Style", &TGradient::Style, &TGradient::SetStyle, &TypeInfos::GradientStyle())
        .Default(TGradientStyle::Linear);
    B.Property("StartPosition", &TGradient::StartPosition, &TGradient::SetStartPosition);
    B.Property("StopPosition", &TGradient::StopPosition, &TGradient::SetStopPosition);
  });
}

void TGradientPoint::SetColor(TAlphaColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  Changed(false);
}

void TGradientPoint::SetOffset(float Value) {
  if (FOffset == Value || std::isnan(Value)) return;
  FOffset = Value;
  Changed(false);
}

void TGradientPoint::Assign(TPersistent* Source) {
  if (auto* Other = dynamic_cast<TGradientPoint*>(Source)) {
    FColor = Other->FColor;
    FOffset = Other->FOffset;
    Changed(false);
    return;
  }
  TCollectionItem::Assign(Source);
}

TGradientPoints::TGradientPoints(TGradient* AGradient)
    : TCollection(TGradientPoint::StaticClass(), [] { return new TGradientPoint; }), FGradient(AGradient) {}

void TGradientPoints::Update(TCollectionItem*) {
  if (FGradient) FGradient->Changed();
}

TGradient::TGradient()
    : FPoints(std::make_unique<TGradientPoints>(this)),
      FStartPosition(std::make_unique<TPosition>(TPointF(0, 0))),
      FStopPosition(std::make_unique<TPosition>(TPointF(0, 1))) {
  FPoints->BeginUpdate();
  TGradientPoint* First = FPoints->AddPoint();
  First->SetColor(0xFF000000);
  First->SetOffset(0);
  TGradientPoint* Last = FPoints->AddPoint();
  Last->SetColor(0xFFFFFFFF);
  Last->SetOffset(1);
  FPoints->EndUpdate();
  FStartPosition->OnChange = TNotifyEvent(this, &TGradient::PositionChanged);
  FStopPosition->OnChange = TNotifyEvent(this, &TGradient::PositionChanged);
}

// The points must not report to a gradient that is going away.
TGradient::~TGradient() {
  FPoints->BeginUpdate();
}

void TGradient::Changed() { OnChanged(this); }

void TGradient::PositionChanged(TObject*) { Changed(); }

void TGradient::SetPoints(TGradientPoints* Value) { FPoints->Assign(Value); }

void TGradient::SetStyle(TGradientStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Changed();
}

void TGradient::SetStartPosition(TPosition* Value) { FStartPosition->Assign(Value); }

void TGradient::SetStopPosition(TPosition* Value) { FStopPosition->Assign(Value); }

void TGradient::SetRadialTransform(const TMatrix& Value) {
  if (FRadialTransform == Value) return;
  FRadialTransform = Value;
  Changed();
}

TAlphaColor TGradient::Color() const { return FPoints->Count() > 0 ? FPoints->Points(0)->Color() : 0; }

void TGradient::SetColor(TAlphaColor Value) {
  if (FPoints->Count() > 0) FPoints->Points(0)->SetColor(Value);
}

TAlphaColor TGradient::Color1() const { return FPoints->Count() > 1 ? FPoints->Points(1)->Color() : 0; }

void TGradient::SetColor1(TAlphaColor Value) {
  if (FPoints->Count() > 1) FPoints->Points(1)->SetColor(Value);
}

void TGradient::ApplyOpacity(float Opacity) {
  if (!(Opacity < 1)) return;
  FPoints->BeginUpdate();
  for (int I = 0; I < FPoints->Count(); ++I) {
    TGradientPoint* P = FPoints->Points(I);
    P->SetColor(MakeColor(P->Color(), Opacity));
  }
  FPoints->EndUpdate();
}

bool TGradient::Equal(const TGradient& Other) const {
  if (FStyle != Other.FStyle || FPoints->Count() != Other.FPoints->Count()) return false;
  if (!(FStartPosition->Point() == Other.FStartPosition->Point()) ||
      !(FStopPosition->Point() == Other.FStopPosition->Point()) || !(FRadialTransform == Other.FRadialTransform))
    return false;
  for (int I = 0; I < FPoints->Count(); ++I) {
    const TGradientPoint* A = FPoints->Points(I);
    const TGradientPoint* B = Other.FPoints->Points(I);
    if (A->Color() != B->Color() || A->Offset() != B->Offset()) return false;
  }
  return true;
}

void TGradient::Assign(TPersistent* Source) {
  auto* Other = dynamic_cast<TGradient*>(Source);
  if (!Other) {
    TPersistent::Assign(Source);
    return;
  }
  if (Other == this || Equal(*Other)) return;
  // One change event for the whole copy.
  TNotifyEvent Saved = OnChanged;
  OnChanged = nullptr;
  FPoints->Assign(Other->FPoints.get());
  FStyle = Other->FStyle;
  FStartPosition->Assign(Other->FStartPosition.get());
  FStopPosition->Assign(Other->FStopPosition.get());
  FRadialTransform = Other->FRadialTransform;
  OnChanged = Saved;
  Changed();
}

std::vector<TGradientStop> TGradient::DeviceStops(float Opacity) const {
  std::vector<TGradientStop> Stops;
  const int Count = FPoints->Count();
  if (Count < 2) return Stops;
  const TGradientPoint* First = FPoints->Points(0);
  const TGradientPoint* Last = FPoints->Points(Count - 1);
  if (First->Offset() > 0) Stops.push_back({MakeColor(First->Color(), Opacity), 0.0f});
  for (int I = 0; I < Count; ++I) {
    const TGradientPoint* P = FPoints->Points(I);
    Stops.push_back({MakeColor(P->Color(), Opacity), P->Offset()});
  }
  if (Last->Offset() < 1) Stops.push_back({MakeColor(Last->Color(), Opacity), 1.0f});
  return Stops;
}

TAlphaColor TGradient::InterpolateStops(const std::vector<TGradientStop>& Stops, float Offset) {
  if (Stops.empty()) return 0;
  // Stops are taken in offset order; equal offsets keep their collection order.
  std::vector<TGradientStop> Sorted = Stops;
  std::stable_sort(Sorted.begin(), Sorted.end(),
                   [](const TGradientStop& A, const TGradientStop& B) { return A.Offset < B.Offset; });
  if (Offset <= Sorted.front().Offset) return Sorted.front().Color;
  if (Offset >= Sorted.back().Offset) return Sorted.back().Color;
  size_t I = 1;
  while (I < Sorted.size() && Sorted[I].Offset < Offset) ++I;
  const TGradientStop& L = Sorted[I - 1];
  const TGradientStop& R = Sorted[I];
  const long double Span = static_cast<long double>(R.Offset) - L.Offset;
  const long double T = Span > 0 ? (static_cast<long double>(Offset) - L.Offset) / Span : 1.0L;
  TAlphaColor Result = 0;
  for (int Shift = 0; Shift < 32; Shift += 8) {
    const long double A = (L.Color >> Shift) & 0xFF;
    const long double B = (R.Color >> Shift) & 0xFF;
    const long double V = std::nearbyint(static_cast<double>(A + (B - A) * T));
    Result |= static_cast<TAlphaColor>(std::clamp(V, 0.0L, 255.0L)) << Shift;
  }
  return Result;
}
