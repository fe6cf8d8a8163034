#include "shell/styles/StyleTextObject.h"

const TMetaClass& TCustomStyleTextObject::StaticClass() {
  return ClassRecord<TCustomStyleTextObject>("TCustomStyleTextObject", &TText::StaticClass(), [](auto& B) {
    B.Property("ShadowColor", &TCustomStyleTextObject::ShadowColor, &TCustomStyleTextObject::SetShadowColor,
               &TypeInfos::AlphaColor())
        .Default(TAlphaColor{0x80000000});
    B.Property("ShadowVisible", &TCustomStyleTextObject::ShadowVisible, &TCustomStyleTextObject::SetShadowVisible)
        .Default(false);
  });
}

void TCustomStyleTextObject::SetShadowVisible(bool Value) {
  if (Value == FShadowVisible) return;
  FShadowVisible = Value;
  Repaint();
}

void TCustomStyleTextObject::SetShadowColor(TAlphaColor Value) {
  if (Value == FShadowColor) return;
  FShadowColor = Value;
  Repaint();
}

void TCustomStyleTextObject::Paint() {
  TCanvas* C = Canvas();
  if (!C) return;
  const float O = AbsoluteOpacity();
  if (FShadowVisible) DrawText(*C, LocalRect().Offset(1, 1), FShadowColor, O);
  DrawText(*C, LocalRect(), TextColor(), O);
}

const TMetaClass& TButtonStyleTextObject::StaticClass() {
  return ClassRecord<TButtonStyleTextObject>(
      "TButtonStyleTextObject", &TCustomStyleTextObject::StaticClass(), [](auto& B) {
        B.Creatable();
        auto Color = [&B](const char* Name, auto Get, auto Set) {
          B.Property(Name, Get, Set, &TypeInfos::AlphaColor()).Default(TAlphaColor{0xFF000000});
        };
        Color("FocusedColor", &TButtonStyleTextObject::FocusedColor, &TButtonStyleTextObject::SetFocusedColor);
        Color("HotColor", &TButtonStyleTextObject::HotColor, &TButtonStyleTextObject::SetHotColor);
        Color("NormalColor", &TButtonStyleTextObject::NormalColor, &TButtonStyleTextObject::SetNormalColor);
        Color("PressedColor", &TButtonStyleTextObject::PressedColor, &TButtonStyleTextObject::SetPressedColor);
      });
}

void TButtonStyleTextObject::SetColor(int Index, TAlphaColor Value) {
  if (FColors[Index] == Value) return;
  FColors[Index] = Value;
  if (Index == static_cast<int>(FState)) Repaint();
}

void TButtonStyleTextObject::StartTriggerAnimation(TControl* AInstance, const std::string& ATrigger) {
  TCustomStyleTextObject::StartTriggerAnimation(AInstance, ATrigger);
  if (!AInstance || !IsButtonStyleTrigger(ATrigger)) return;
  TButtonStyleState New = FState;
  if (!ChooseButtonStyleState(*AInstance, New) || New == FState) return;
  FState = New;
  Repaint();
}

void TButtonStyleTextObject::ResetState() {
  TCustomStyleTextObject::ResetState();
  if (FState == TButtonStyleState::Normal) return;
  FState = TButtonStyleState::Normal;
  Repaint();
}
