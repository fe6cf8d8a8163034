#include "shell/styles/Rectangle.h"

#include <cmath>

const TMetaClass& TShape::StaticClass() {
  return ClassRecord<TShape>("TShape", &TControl::StaticClass(), [](auto& B) {
    B.Property("Fill", &TShape::Fill, &TShape::SetFill);
    B.Property("Stroke", &TShape::Stroke, &TShape::SetStroke);
  });
}

TShape::TShape(TComponent* AOwner)
    : TControl(AOwner),
      FFill(std::make_unique<TBrush>(TBrushKind::Solid, 0xFFE0E0E0)),
      FStroke(std::make_unique<TStrokeBrush>(TBrushKind::Solid, 0xFF000000)) {
  FFill->OnChanged = TNotifyEvent(this, &TShape::BrushChanged);
  FStroke->OnChanged = TNotifyEvent(this, &TShape::BrushChanged);
}

TShape::~TShape() = default;

TRectF TShape::GetShapeRect() const {
  TRectF R = LocalRect();
  if (FStroke->Kind() == TBrushKind::None) return R;
  const float Half = FStroke->Thickness() / 2;
  return {R.Left + Half, R.Top + Half, R.Right - Half, R.Bottom - Half};
}

const TMetaClass& TRectangle::StaticClass() {
  return ClassRecord<TRectangle>("TRectangle", &TShape::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("XRadius", &TRectangle::XRadius, &TRectangle::SetXRadius).Default(0.f);
    B.Property("YRadius", &TRectangle::YRadius, &TRectangle::SetYRadius).Default(0.f);
    B.Property("Corners", &TRectangle::Corners, &TRectangle::SetCorners, &TypeInfos::Corners()).Default(AllCorners);
    B.Property("CornerType", &TRectangle::CornerType, &TRectangle::SetCornerType, &TypeInfos::CornerType())
        .Default(TCornerType::Round);
  });
}

void TRectangle::SetXRadius(float Value) {
  if (Value == FXRadius || std::isnan(Value)) return;
  FXRadius = Value;
  Repaint();
}

void TRectangle::SetYRadius(float Value) {
  if (Value == FYRadius || std::isnan(Value)) return;
  FYRadius = Value;
  Repaint();
}

void TRectangle::SetCorners(TCorners Value) {
  if (Value == FCorners) return;
  FCorners = Value;
  Repaint();
}

void TRectangle::SetCornerType(TCornerType Value) {
  if (Value == FCornerType) return;
  FCornerType = Value;
  Repaint();
}

void TRectangle::Paint() {
  TCanvas* C = Canvas();
  if (!C) return;
  const TRectF R = GetShapeRect();
  const float O = AbsoluteOpacity();
  C->FillRect(R, FXRadius, FYRadius, FCorners, O, *Fill(), FCornerType);
  C->DrawRect(R, FXRadius, FYRadius, FCorners, O, *Stroke(), FCornerType);
}
