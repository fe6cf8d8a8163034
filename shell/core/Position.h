#pragma once
#include "shell/core/Export.h"
#include "shell/core/Geometry2D.h"
#include "shell/core/Persistent.h"

/// TPosition: a persistent 2D point (X, Y) with a change event and a default that is not stored;
/// the holder of gradient start and stop points and of 2D control positions.
class KELVANE_API TPosition : public TPersistent {
  KLV_CLASS(TPosition)
 public:
  explicit TPosition(const TPointF& ADefaultValue = {});

  float X() const { return FX; }
  float Y() const { return FY; }
  /// Writing the current value does nothing; a real change fires OnChange once.
  void SetX(float Value);
  void SetY(float Value);
  TPointF Point() const { return {FX, FY}; }
  void SetPoint(const TPointF& Value);
  const TPointF& DefaultValue() const { return FDefaultValue; }
  void SetDefaultValue(const TPointF& Value) { FDefaultValue = Value; }
  bool Empty() const { return FX == 0 && FY == 0; }

  /// Copies another TPosition's point (not its default).
  void Assign(TPersistent* Source) override;

  TNotifyEvent OnChange;

 private:
  void DoChange();

  float FX = 0, FY = 0;
  TPointF FDefaultValue;
};
