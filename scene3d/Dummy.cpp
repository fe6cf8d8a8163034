#include "scene3d/Dummy.h"

const TMetaClass& TDummy::StaticClass() {
  return ClassRecord<TDummy>("TDummy", &TControl3D::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("HitTest", &TDummy::HitTest, &TDummy::SetHitTest).Default(false);
  });
}

TDummy::TDummy(TComponent* AOwner) : TControl3D(AOwner) { SetHitTest(false); }
