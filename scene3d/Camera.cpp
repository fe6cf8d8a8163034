#include "scene3d/Camera.h"

#include <algorithm>
#include <cmath>

const TMetaClass& TCamera::StaticClass() {
  return ClassRecord<TCamera>("TCamera", &TControl3D::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("AngleOfView", &TCamera::AngleOfView, &TCamera::SetAngleOfView).Default(45.0f);
    B.Property("Target", &TCamera::Target, &TCamera::SetTarget);
    B.Property("HitTest", &TCamera::HitTest, &TCamera::SetHitTest).Default(false);
  });
}

TCamera::TCamera(TComponent* AOwner) : TControl3D(AOwner) {
  SetHitTest(false);
  Position()->SetDefaultValue(TPoint3D(0, 0, -5));
  Position()->SetPoint3DNoChange(TPoint3D(0, 0, -5));
  MatrixChanged();
}

void TCamera::SetAngleOfView(float Value) {
  if (FAngleOfView == Value || std::isnan(Value)) return;
  FAngleOfView = std::clamp(Value, 1.0f, 179.0f);
  MatrixChanged();
}

void TCamera::SetTarget(TControl3D* Value) {
  if (FTarget == Value) return;
  if (FTarget) FTarget->RemoveFreeNotification(this);
  FTarget = Value;
  if (FTarget) FTarget->FreeNotification(this);
  MatrixChanged();
}

void TCamera::Notification(TComponent* AComponent, TOperation Operation) {
  TControl3D::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FTarget) {
    FTarget = nullptr;
    if (!IsDestroying()) MatrixChanged();
  }
}

TMatrix3D TCamera::GetCameraMatrix() {
  const TPoint3D Source = AbsolutePosition().ToPoint3D();
  const TPoint3D Ceiling = -AbsoluteUp().ToPoint3D();
  if (FTarget) return TMatrix3D::CreateLookAtDirRH(Source, Source - FTarget->AbsolutePosition().ToPoint3D(), Ceiling);
  return TMatrix3D::CreateLookAtDirRH(Source, -AbsoluteDirection().ToPoint3D(), Ceiling);
}
