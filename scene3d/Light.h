#pragma once
#include <cmath>

#include "shell/core/Export.h"
#include "scene3d/Control3D.h"

KELVANE_API const TTypeInfo& LightTypeTypeInfo();

/// TLight: a light of the scene. It registers with the viewport it joins; only lit materials
/// read the lights, and the game's materials are unlit.
class KELVANE_API TLight : public TControl3D {
  KLV_CLASS(TLight)
 public:
  explicit TLight(TComponent* AOwner);

  bool Enabled() const { return FEnabled; }
  /// A different value asks the viewport for a new frame.
  void SetEnabled(bool Value);
  TAlphaColor Color() const { return FColor; }
  /// Stored only; the next frame that is drawn for other reasons uses it.
  void SetColor(TAlphaColor Value) { FColor = Value; }
  TLightType LightType() const { return FLightType; }
  /// Point sets cut-off 180 and exponent 0; Spot sets 60 and 4.
  void SetLightType(TLightType Value);
  float SpotCutOff() const { return FSpotCutOff; }
  /// A NaN counts as the current value, as in every float setter: it is no angle.
  void SetSpotCutOff(float Value) {
    if (!std::isnan(Value)) FSpotCutOff = Value;
  }
  float SpotExponent() const { return FSpotExponent; }
  void SetSpotExponent(float Value) {
    if (!std::isnan(Value)) FSpotExponent = Value;
  }

  /// The record that carries the light into the context for one frame.
  TLightDescription GetLightDescription();
  void SetNewViewport(IViewport3D* AViewport) override;

 private:
  bool FEnabled = true;
  TAlphaColor FColor = TAlphaColors::White;
  TLightType FLightType = TLightType::Directional;
  float FSpotCutOff = 180;
  float FSpotExponent = 0;
};
