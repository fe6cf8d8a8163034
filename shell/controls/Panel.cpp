#include "shell/controls/Panel.h"

const TMetaClass& TPanel::StaticClass() {
  return ClassRecord<TPanel>("TPanel", &TPresentedControl::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("TabOrder", &TPanel::TabOrder, &TPanel::SetTabOrder).Default(-1);
  });
}

TPanel::TPanel(TComponent* AOwner) : TPresentedControl(AOwner) { ResetDefaultSize(); }
