#include "shell/styles/Layout.h"

const TMetaClass& TLayout::StaticClass() {
  return ClassRecord<TLayout>("TLayout", &TControl::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("HitTest", &TLayout::HitTest, &TLayout::SetHitTest).Default(false);
  });
}

TLayout::TLayout(TComponent* AOwner) : TControl(AOwner) { SetHitTest(false); }
