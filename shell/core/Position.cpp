#include "shell/core/Position.h"

const TMetaClass& TPosition::StaticClass() {
  return ClassRecord<TPosition>("TPosition", &TPersistent::StaticClass(), [](auto& B) {
    B.Property("X", &TPosition::X, &TPosition::SetX)
        .Stored([](const TPosition& P) { return P.FX != P.FDefaultValue.X; });
    B.Property("Y", &TPosition::Y, &TPosition::SetY)
        .Stored([](const TPosition& P) { return P.FY != P.FDefaultValue.Y; });
  });
}

TPosition::TPosition(const TPointF& ADefaultValue)
    : FX(ADefaultValue.X), FY(ADefaultValue.Y), FDefaultValue(ADefaultValue) {}

void TPosition::SetX(float Value) {
  if (FX == Value) return;
  FX = Value;
  DoChange();
}

void TPosition::SetY(float Value) {
  if (FY == Value) return;
  FY = Value;
  DoChange();
}

void TPosition::SetPoint(const TPointF& Value) {
  if (FX == Value.X && FY == Value.Y) return;
  FX = Value.X;
  FY = Value.Y;
  DoChange();
}

void TPosition::Assign(TPersistent* Source) {
  if (auto* Other = dynamic_cast<TPosition*>(Source)) {
    SetPoint(Other->Point());
    return;
  }
  TPersistent::Assign(Source);
}

void TPosition::DoChange() { OnChange(this); }
