#pragma once
#include "shell/core/Export.h"
#include "scene3d/Control3D.h"

/// TDummy: a 3D object that draws nothing; a joint for its children.
class KELVANE_API TDummy : public TControl3D {
  KLV_CLASS(TDummy)
 public:
  explicit TDummy(TComponent* AOwner);
};
