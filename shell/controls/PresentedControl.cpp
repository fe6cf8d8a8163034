#include "shell/controls/PresentedControl.h"

const TMetaClass& TPresentedControl::StaticClass() {
  return ClassRecord<TPresentedControl>("TPresentedControl", &TStyledControl::StaticClass(), [](auto&) {});
}

TPresentedControl::TPresentedControl(TComponent* AOwner) : TStyledControl(AOwner) {}

const TMetaClass& TPresentedTextControl::StaticClass() {
  return ClassRecord<TPresentedTextControl>("TPresentedTextControl", &TPresentedControl::StaticClass(), [](auto& B) {
    B.Property("Text", &TPresentedTextControl::Text, &TPresentedTextControl::SetText);
  });
}

TPresentedTextControl::TPresentedTextControl(TComponent* AOwner) : TPresentedControl(AOwner) {}

void TPresentedTextControl::SetText(const std::string& Value) {
  if (Value == FText) return;
  FText = Value;
  TextChanged();
}
