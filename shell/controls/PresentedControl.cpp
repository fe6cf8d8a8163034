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

void TPresentedTextControl::TextChanged() {
  UpdateTextObject();
  Repaint();
}

void TPresentedTextControl::ApplyStyle() {
  TPresentedControl::ApplyStyle();
  FTextObject = FindStyleResource("text");
  UpdateTextObject();
}

void TPresentedTextControl::FreeStyle() {
  FTextObject = nullptr;
  TPresentedControl::FreeStyle();
}

void TPresentedTextControl::UpdateTextObject() {
  // The text object is a style class; its published Text is how any of them takes the text.
  if (!FTextObject) return;
  const TPropInfo* Prop = FTextObject->ClassType().FindProperty("Text");
  if (Prop && Prop->SetStr && Prop->Kind() == TTypeKind::String) Prop->SetStr(FTextObject, DisplayedText());
}
