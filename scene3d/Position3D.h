#pragma once
#include "shell/core/Export.h"
#include "scene3d/Math3D.h"
#include "shell/core/Persistent.h"

/// TPosition3D: a change-notifying triple X, Y, Z owned by a scene object (its position,
/// rotation angles, scale or rotation centre).
class KELVANE_API TPosition3D : public TPersistent {
  KLV_CLASS(TPosition3D)
 public:
  explicit TPosition3D(const TPoint3D& ADefaultValue = TPoint3D());

  float X() const { return FX; }
  float Y() const { return FY; }
  float Z() const { return FZ; }
  /// Each setter ignores a value equal to the current one (NaN on either side counts as
  /// equal) and then fires the component's own event, or OnChange when it has none.
  void SetX(float Value);
  void SetY(float Value);
  void SetZ(float Value);
  TPoint3D Point() const { return {FX, FY, FZ}; }
  /// Stores all three without comparison and fires OnChange.
  void SetPoint(const TPoint3D& Value);
  TVector3D Vector() const { return {FX, FY, FZ, 1}; }
  /// Stores all three and fires nothing.
  void SetPoint3DNoChange(const TPoint3D& Value);
  const TPoint3D& DefaultValue() const { return FDefaultValue; }
  /// For owners whose default differs from the origin (a camera's position).
  void SetDefaultValue(const TPoint3D& Value) { FDefaultValue = Value; }

  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler& Filer) override;

  TNotifyEvent OnChange, OnChangeX, OnChangeY, OnChangeZ;

 private:
  void SetComponent(float& Field, float Value, const TNotifyEvent& Own);
  void ReadPoint(const std::string& Text);

  float FX, FY, FZ;
  TPoint3D FDefaultValue;
};

/// Splits Text at ",", "(" and ")", drops the first token and converts up to Count of the rest
/// with the invariant format ("." as separator) into Values; stops at the first token that is
/// not a number. Returns how many were converted.
int ParseFloatTuple(const std::string& Text, float* Values, int Count);
