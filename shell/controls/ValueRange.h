#pragma once
#include "shell/core/Export.h"
#include "shell/core/Component.h"

/// Double equality within a relative tolerance of 1e-12 of the smaller magnitude.
KELVANE_API bool SameValue(double A, double B);

/// The five values of a value range, as a set written at once.
struct KELVANE_API TValueRangeValues {
  double Min = 0, Max = 100, Value = 0, ViewportSize = 0, Frequency = 0;
  bool SameAs(const TValueRangeValues& O) const;
};

/// TCustomValueRange: Min, Max, Value, ViewportSize and Frequency with normalisation and
/// change notifications. Setters write a set of new values; the range normalises them into
/// the current set at once, or when its updates end or its owner has finished loading.
class KELVANE_API TCustomValueRange : public TPersistent {
  KLV_CLASS(TCustomValueRange)
 public:
  explicit TCustomValueRange(TComponent* AOwner);

  double Min() const { return FCurrent.Min; }
  double Max() const { return FCurrent.Max; }
  double Value() const { return FCurrent.Value; }
  double ViewportSize() const { return FCurrent.ViewportSize; }
  double Frequency() const { return FCurrent.Frequency; }
  void SetMin(double V);
  void SetMax(double V);
  void SetValue(double V);
  void SetViewportSize(double V);
  void SetFrequency(double V);
  /// Value as a fraction of the range (0 to 1).
  double RelativeValue() const { return FRelativeValue; }
  double LastValue() const { return FLastValue; }
  const TValueRangeValues& New() const { return FNew; }

  /// Off: notifications of changes to Value are held back; on again: one notification for the
  /// whole difference since it was switched off.
  bool Tracking() const { return FTracking; }
  void SetTracking(bool Value);

  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  /// Whether a change waits for the updates to end or the owner to finish loading.
  bool Changing() const { return FChanging; }
  /// Normalises the new values into the current ones now, with notifications.
  void ApplyChanges();

  TComponent* Owner() const { return FOwner; }

 protected:
  bool Initialized() const { return FInitialized; }
  const TValueRangeValues& Current() const { return FCurrent; }
  /// Before the current values change (only when initialised and tracking).
  virtual void DoBeforeChange() {}
  /// After the current values changed (when initialised).
  virtual void DoChanged() {}
  /// After DoChanged, when tracking.
  virtual void DoAfterChange() {}

 private:
  void SetNew(double& Field, double V);
  void RequestChange();

  TComponent* FOwner;
  TValueRangeValues FCurrent, FNew, FOld;
  bool FTracking = true;
  int FUpdateCount = 0;
  bool FChanging = false;
  bool FInitialized = true;
  double FRelativeValue = 0;
  double FLastValue = 0;
};
