#include "shell/controls/Position.h"

const TMetaClass& TPosition::StaticClass() {
  return ClassRecord<TPosition>("TPosition", &TPersistent::StaticClass(), [](auto& B) {
    B.Property("X", &TPosition::X, &TPosition::SetX)
        .Stored([](const TPosition& P) { return P.X() != P.DefaultValue().X; });
    B.Property("Y", &TPosition::Y, &TPosition::SetY)
        .Stored([](const TPosition& P) { return P.Y() != P.DefaultValue().Y; });
  });
}

TPosition::TPosition(const TPointF& ADefaultValue)
    : FPoint(ADefaultValue), FOldPoint(ADefaultValue), FDefaultValue(ADefaultValue) {}

void TPosition::SetX(float Value) { SetPoint(TPointF(Value, FPoint.Y)); }
void TPosition::SetY(float Value) { SetPoint(TPointF(FPoint.X, Value)); }

void TPosition::SetPoint(const TPointF& Value) {
  if (Value == FPoint) return;
  FOldPoint = FPoint;
  FPoint = Value;
  OnChange(this);
}

void TPosition::Assign(TPersistent* Source) {
  if (auto* Other = dynamic_cast<TPosition*>(Source)) {
    SetPoint(Other->Point());
    return;
  }
  TPersistent::Assign(Source);
}
