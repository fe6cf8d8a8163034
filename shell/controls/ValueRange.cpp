#include "shell/controls/ValueRange.h"

#include <algorithm>
#include <cmath>

bool SameValue(double A, double B) {
  // Relative only: a floor would make every value near zero equal to zero, and a user could
  // not set 1e-13.
  constexpr double Resolution = 1e-12;
  const double Epsilon = std::min(std::fabs(A), std::fabs(B)) * Resolution;
  return A > B ? A - B <= Epsilon : B - A <= Epsilon;
}

bool TValueRangeValues::SameAs(const TValueRangeValues& O) const {
  return SameValue(Min, O.Min) && SameValue(Max, O.Max) && SameValue(Value, O.Value) &&
         SameValue(ViewportSize, O.ViewportSize) && SameValue(Frequency, O.Frequency);
}

const TMetaClass& TCustomValueRange::StaticClass() {
  return ClassRecord<TCustomValueRange>("TCustomValueRange", &TPersistent::StaticClass(), [](auto&) {});
}

TCustomValueRange::TCustomValueRange(TComponent* AOwner) : FOwner(AOwner) {}

// A NaN counts as the current value: it has no place in a range, and a value that never
// equals itself would fire OnChange again at every comparison.
void TCustomValueRange::SetNew(double& Field, double V) {
  if (std::isnan(V) || SameValue(Field, V)) return;
  Field = V;
  RequestChange();
}

void TCustomValueRange::SetMin(double V) { SetNew(FNew.Min, V); }
void TCustomValueRange::SetMax(double V) { SetNew(FNew.Max, V); }
void TCustomValueRange::SetViewportSize(double V) { SetNew(FNew.ViewportSize, V); }
void TCustomValueRange::SetFrequency(double V) { SetNew(FNew.Frequency, V); }

void TCustomValueRange::SetValue(double V) {
  if (std::isnan(V) || SameValue(FNew.Value, V)) return;
  FNew.Value = V;
  FLastValue = V;
  RequestChange();
}

void TCustomValueRange::RequestChange() {
  bool OwnerBusy = FOwner && (FOwner->IsLoading() || FOwner->IsDestroying());
  if (FUpdateCount > 0 || OwnerBusy) {
    FChanging = true;
    return;
  }
  ApplyChanges();
}

void TCustomValueRange::EndUpdate() {
  if (FUpdateCount == 0) return;
  if (--FUpdateCount == 0 && FChanging) ApplyChanges();
}

void TCustomValueRange::ApplyChanges() {
  FChanging = false;
  TValueRangeValues& N = FNew;
  const TValueRangeValues& C = FCurrent;
  N.ViewportSize = std::max(0.0, N.ViewportSize);
  N.Frequency = std::max(0.0, N.Frequency);
  if (SameValue(N.Min, C.Min))
    N.Max = std::max(N.Max, N.Min + N.ViewportSize);
  else if (SameValue(N.Max, C.Max))
    N.Min = std::min(N.Min, N.Max - N.ViewportSize);
  else
    N.Max = std::max(N.Max, N.Min + N.ViewportSize);

  auto Clamp = [&N] { N.Value = std::min(std::max(N.Value, N.Min), N.Max - N.ViewportSize); };
  Clamp();
  if (SameValue(N.Value, N.Min)) {
    N.Value = N.Min;
  } else if (SameValue(N.Value, N.Max - N.ViewportSize)) {
    N.Value = N.Max - N.ViewportSize;
  } else if (N.Frequency != 0) {
    N.Value = std::nearbyint(N.Value / N.Frequency) * N.Frequency;
    Clamp();
  }

  if (N.SameAs(C)) return;
  double Span = N.Max - N.Min - N.ViewportSize;
  FRelativeValue = Span <= 0 ? 1 : std::clamp((N.Value - N.Min) / Span, 0.0, 1.0);
  bool WasInitialized = FInitialized;
  if (WasInitialized && FTracking) DoBeforeChange();
  FCurrent = N;
  if (WasInitialized) {
    DoChanged();
    if (FTracking) DoAfterChange();
  }
}

void TCustomValueRange::SetTracking(bool Value) {
  if (Value == FTracking) return;
  if (!Value) {
    FOld = FCurrent;
    FTracking = false;
    return;
  }
  // Back to the values at switch-off silently, then to the present ones with every
  // notification, so that the whole difference is reported once.
  TValueRangeValues Saved = FCurrent;
  FInitialized = false;
  FNew = FOld;
  ApplyChanges();
  FInitialized = true;
  FTracking = true;
  FNew = Saved;
  ApplyChanges();
}
