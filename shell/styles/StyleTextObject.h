#pragma once
// The style objects that show a control's text: TCustomStyleTextObject (with an optional
// shadow) and TButtonStyleTextObject, whose colour follows the button's visual state.
#include "shell/core/Export.h"
#include "shell/styles/StyleObject.h"
#include "shell/styles/Text.h"

/// The text of a styled control as its style shows it, with an optional shadow.
class KELVANE_API TCustomStyleTextObject : public TText {
  KLV_CLASS(TCustomStyleTextObject)
 public:
  explicit TCustomStyleTextObject(TComponent* AOwner) : TText(AOwner) {}

  /// A copy of the text one unit right and down, beneath it.
  bool ShadowVisible() const { return FShadowVisible; }
  void SetShadowVisible(bool Value);
  TAlphaColor ShadowColor() const { return FShadowColor; }
  void SetShadowColor(TAlphaColor Value);

 protected:
  void Paint() override;

 private:
  bool FShadowVisible = false;
  TAlphaColor FShadowColor = 0x80000000;
};

/// A button's text in its style, its colour following the button's visual state.
class KELVANE_API TButtonStyleTextObject : public TCustomStyleTextObject {
  KLV_CLASS(TButtonStyleTextObject)
 public:
  explicit TButtonStyleTextObject(TComponent* AOwner) : TCustomStyleTextObject(AOwner) {}

  TAlphaColor NormalColor() const { return FColors[0]; }
  void SetNormalColor(TAlphaColor Value) { SetColor(0, Value); }
  TAlphaColor HotColor() const { return FColors[1]; }
  void SetHotColor(TAlphaColor Value) { SetColor(1, Value); }
  TAlphaColor PressedColor() const { return FColors[2]; }
  void SetPressedColor(TAlphaColor Value) { SetColor(2, Value); }
  TAlphaColor FocusedColor() const { return FColors[3]; }
  void SetFocusedColor(TAlphaColor Value) { SetColor(3, Value); }

  TButtonStyleState State() const { return FState; }
  /// Takes the colour whose condition holds on AInstance; keeps the current one when none does.
  void StartTriggerAnimation(TControl* AInstance, const std::string& ATrigger) override;
  void ResetState() override;

 protected:
  TAlphaColor TextColor() const override { return FColors[static_cast<int>(FState)]; }

 private:
  void SetColor(int Index, TAlphaColor Value);

  TAlphaColor FColors[4] = {0xFF000000, 0xFF000000, 0xFF000000, 0xFF000000};
  TButtonStyleState FState = TButtonStyleState::Normal;
};
