#include "shell/layout/ControlSize.h"

#include <algorithm>
#include <cmath>

const TMetaClass& TControlSize::StaticClass() {
  return ClassRecord<TControlSize>("TControlSize", &TPersistent::StaticClass(), [](auto& B) {
    // While the platform default is in force the size is the class's, not stored data.
    B.Property("Width", &TControlSize::Width, &TControlSize::SetWidth)
        .Stored([](const TControlSize& S) { return !S.PlatformDefault(); });
    B.Property("Height", &TControlSize::Height, &TControlSize::SetHeight)
        .Stored([](const TControlSize& S) { return !S.PlatformDefault(); });
    B.Property("PlatformDefault", &TControlSize::PlatformDefault, &TControlSize::SetPlatformDefault)
        .Default(true);
  });
}

TControlSize::TControlSize(const TSizeF& ADefaultValue)
    : FSize(ADefaultValue), FOldSize(ADefaultValue), FDefaultValue(ADefaultValue) {}

void TControlSize::Commit(const TSizeF& NewSize, bool NewPlatformDefault) {
  TSizeF Old = Size();
  bool OldDefault = FPlatformDefault;
  FSize = TSizeF(std::max(0.f, NewSize.Width), std::max(0.f, NewSize.Height));
  FPlatformDefault = NewPlatformDefault;
  FOldSize = Old;
  if (!(Old == Size()) || OldDefault != FPlatformDefault) OnChange(this);
}

// A NaN is no size: ignored, as a value equal to the current one.
void TControlSize::SetWidth(float Value) {
  if (std::isnan(Value)) return;
  Commit(TSizeF(Value, Height()), false);
}

void TControlSize::SetHeight(float Value) {
  if (std::isnan(Value) || SameLayoutValue(Value, Height())) return;
  Commit(TSizeF(Width(), Value), false);
}

void TControlSize::SetSize(const TSizeF& Value) {
  if (SameLayoutValue(Value.Width, Width()) && SameLayoutValue(Value.Height, Height())) return;
  Commit(Value, false);
}

void TControlSize::SetPlatformDefault(bool Value) {
  if (Value == FPlatformDefault) return;
  // Leaving the default keeps the size that was reported until now.
  Commit(Size(), Value);
}

void TControlSize::SetDefaultValue(const TSizeF& Value) {
  if (Value == FDefaultValue) return;
  TSizeF Old = Size();
  FDefaultValue = Value;
  FOldSize = Old;
  if (!(Old == Size())) OnChange(this);
}

void TControlSize::SetSizeWithoutNotification(const TSizeF& Value) {
  FSize = TSizeF(std::max(0.f, Value.Width), std::max(0.f, Value.Height));
  FPlatformDefault = false;
}

void TControlSize::Assign(TPersistent* Source) {
  if (auto* Other = dynamic_cast<TControlSize*>(Source)) {
    FDefaultValue = Other->FDefaultValue;
    Commit(Other->FSize, Other->FPlatformDefault);
    return;
  }
  TPersistent::Assign(Source);
}
