#include "shell/styles/StyleTag.h"

const TMetaClass& TStyleTag::StaticClass() {
  return ClassRecord<TStyleTag>("TStyleTag", &TControl::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("HitTest", &TStyleTag::HitTest, &TStyleTag::SetHitTest).Default(false);
  });
}

TStyleTag::TStyleTag(TComponent* AOwner) : TControl(AOwner) { SetHitTest(false); }
