#pragma once
#include "shell/core/Export.h"
#include "scene3d/Control3D.h"

/// TCamera: a point of view into the scene; draws nothing.
class KELVANE_API TCamera : public TControl3D {
  KLV_CLASS(TCamera)
 public:
  explicit TCamera(TComponent* AOwner);

  float AngleOfView() const { return FAngleOfView; }
  /// A different value is stored, clamped into [1, 179], and the camera's matrix rebuilt.
  void SetAngleOfView(float Value);
  TControl3D* Target() const { return FTarget; }
  void SetTarget(TControl3D* Value);
  /// The view matrix: looking along the camera's own +Z axis, its −Y axis up, or at Target.
  TMatrix3D GetCameraMatrix();

  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  float FAngleOfView = 45;
  TControl3D* FTarget = nullptr;
};
