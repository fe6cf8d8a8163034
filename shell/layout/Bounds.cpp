#include "shell/layout/Bounds.h"

#include <cmath>

const TMetaClass& TBounds::StaticClass() {
  return ClassRecord<TBounds>("TBounds", &TPersistent::StaticClass(), [](auto& B) {
    // A side is stored when it differs from this object's own default.
    B.Property("Left", &TBounds::Left, &TBounds::SetLeft)
        .Stored([](const TBounds& O) { return O.FLeft != O.FDefaultValue.Left; });
    B.Property("Top", &TBounds::Top, &TBounds::SetTop)
        .Stored([](const TBounds& O) { return O.FTop != O.FDefaultValue.Top; });
    B.Property("Right", &TBounds::Right, &TBounds::SetRight)
        .Stored([](const TBounds& O) { return O.FRight != O.FDefaultValue.Right; });
    B.Property("Bottom", &TBounds::Bottom, &TBounds::SetBottom)
        .Stored([](const TBounds& O) { return O.FBottom != O.FDefaultValue.Bottom; });
  });
}

TBounds::TBounds(const TRectF& ADefaultValue)
    : FLeft(ADefaultValue.Left),
      FTop(ADefaultValue.Top),
      FRight(ADefaultValue.Right),
      FBottom(ADefaultValue.Bottom),
      FDefaultValue(ADefaultValue) {}

void TBounds::SetSide(float& Field, float Value) {
  // A NaN counts as the current value: it is no length.
  if (Field == Value || std::isnan(Value)) return;
  Field = Value;
  OnChange(this);
}

void TBounds::SetLeft(float Value) { SetSide(FLeft, Value); }
void TBounds::SetTop(float Value) { SetSide(FTop, Value); }
void TBounds::SetRight(float Value) { SetSide(FRight, Value); }
void TBounds::SetBottom(float Value) { SetSide(FBottom, Value); }

void TBounds::SetRect(const TRectF& Value) {
  if (Rect() == Value) return;
  FLeft = Value.Left;
  FTop = Value.Top;
  FRight = Value.Right;
  FBottom = Value.Bottom;
  OnChange(this);
}

void TBounds::Assign(TPersistent* Source) {
  if (auto* Other = dynamic_cast<TBounds*>(Source)) {
    SetRect(Other->Rect());
    return;
  }
  TPersistent::Assign(Source);
}
