#include "shell/core/Position.h"

#include <cmath>

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

// A NaN counts as the current value: it is no place.
void TPosition::SetX(float Value) {
  if (FX == Value || std::isnan(Value)) return;
  FX = Value;
  DoChange();
}

void TPosition::SetY(float Value) {
  if (FY == Value || std::isnan(Value)) return;
  FY = Value;
  DoChange();
}

void TPosition::SetPoint(const TPointF& Value) {
  const float X = std::isnan(Value.X) ? FX : Value.X, Y = std::isnan(Value.Y) ? FY : Value.Y;
  if (FX == X && FY == Y) return;
  FX = X;
  FY = Y;
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
