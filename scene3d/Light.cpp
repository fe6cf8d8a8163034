#include "scene3d/Light.h"

const TTypeInfo& LightTypeTypeInfo() {
  static const TTypeInfo T = MakeNamedType("TLightType", TTypeKind::Enumeration, {"Directional", "Point", "Spot"});
  return T;
}

const TMetaClass& TLight::StaticClass() {
  return ClassRecord<TLight>("TLight", &TControl3D::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("Enabled", &TLight::Enabled, &TLight::SetEnabled).Default(true);
    B.Property("Color", &TLight::Color, &TLight::SetColor, &TypeInfos::AlphaColor()).Default(TAlphaColors::White);
    B.Property("LightType", &TLight::LightType, &TLight::SetLightType, &LightTypeTypeInfo())
        .Default(TLightType::Directional);
    B.Property("SpotCutOff", &TLight::SpotCutOff, &TLight::SetSpotCutOff).Default(180.0f);
    B.Property("SpotExponent", &TLight::SpotExponent, &TLight::SetSpotExponent).Default(0.0f);
    B.Property("HitTest", &TLight::HitTest, &TLight::SetHitTest).Default(false);
  });
}

TLight::TLight(TComponent* AOwner) : TControl3D(AOwner) { SetHitTest(false); }

void TLight::SetEnabled(bool Value) {
  if (FEnabled == Value) return;
  FEnabled = Value;
  if (Viewport()) Viewport()->NeedRender();
}

void TLight::SetLightType(TLightType Value) {
  FLightType = Value;
  if (Value == TLightType::Point) {
    FSpotCutOff = 180;
    FSpotExponent = 0;
  } else if (Value == TLightType::Spot) {
    FSpotCutOff = 60;
    FSpotExponent = 4;
  }
}

TLightDescription TLight::GetLightDescription() {
  TLightDescription D;
  D.Enabled = FEnabled;
  D.Color = FColor;
  D.LightType = FLightType;
  D.SpotCutOff = FSpotCutOff;
  D.SpotExponent = FSpotExponent;
  D.Position = AbsolutePosition().ToPoint3D();
  D.Direction = AbsoluteDirection().ToPoint3D();
  return D;
}

void TLight::SetNewViewport(IViewport3D* AViewport) {
  if (Viewport() == AViewport) {
    TControl3D::SetNewViewport(AViewport);
    return;
  }
  if (Viewport()) Viewport()->RemoveLight(this);
  TControl3D::SetNewViewport(AViewport);
  if (AViewport) AViewport->AddLight(this);
}
