#pragma once
// TCustomButton and TButton: a push button with Text that clicks on a release over it, on a
// double click, on Enter or Space while focused, and (TButton) as the form's default or
// cancel button.
#include "shell/core/Export.h"
#include "shell/controls/ControlTimer.h"
#include "shell/controls/PresentedControl.h"
#include "shell/core/AlphaColor.h"

class TImageList;

/// A push button with Text: clicks on a release over it, on a double click, and on Enter or Space
/// while focused; StaysPressed makes it a toggle, RepeatClick repeats while held.
class KELVANE_API TCustomButton : public TPresentedTextControl {
  KLV_CLASS(TCustomButton)
 public:
  explicit TCustomButton(TComponent* AOwner);

  bool IsPressed() const { return FIsPressed; }
  /// Only a StaysPressed button can be set pressed from code.
  void SetIsPressed(bool Value);
  void ToggleStaysPressed();
  bool StaysPressed() const { return FStaysPressed; }
  void SetStaysPressed(bool Value);
  bool RepeatClick() const { return FRepeatClick; }
  void SetRepeatClick(bool Value) { FRepeatClick = Value; }
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int Value) { FModalResult = Value; }
  bool Pressing() const { return FPressing; }

  /// The button's image: the bitmap ImageIndex of Images, shown by the style's glyph.
  TImageList* Images() const { return FImages; }
  void SetImages(TImageList* Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  /// Colours given to the style's "background" and "icon" objects where they can be tinted
  /// (they publish TintColor); Null leaves them as drawn.
  TAlphaColor TintColor() const { return FTintColor; }
  void SetTintColor(TAlphaColor Value);
  TAlphaColor IconTintColor() const { return FIconTintColor; }
  void SetIconTintColor(TAlphaColor Value);
  /// The style objects that show the image and take the tints, while a style is applied.
  TControl* GlyphObject() const { return FGlyphObject; }
  TControl* TintObject() const { return FTintObject; }
  TControl* IconTintObject() const { return FIconTintObject; }

  void Notification(TComponent* AComponent, TOperation Operation) override;

  void Click() override;
  void DblClick() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, float X, float Y) override;
  void MouseMove(TShiftState Shift, float X, float Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, float X, float Y) override;
  void DoCaptureLost() override;
  void KeyDown(uint16_t& Key, char32_t& KeyChar, TShiftState Shift) override;
  /// Alt with the accelerator key of Text ("&Start": Alt+S) clicks the button.
  void DialogKey(uint16_t& Key, TShiftState Shift) override;
  /// "IsPressed" is the button's IsPressed.
  bool GetTriggerState(const std::string& Name, bool& Value) const override;

 protected:
  TSizeF GetDefaultSize() const override { return {80, 22}; }
  /// Text without its accelerator marker.
  std::string DisplayedText() const override;
  void BeforeDestruction() override;
  void ApplyStyle() override;
  void FreeStyle() override;

 private:
  void UpdateGlyph();
  void UpdateTints();
  void SetPressedState(bool Value);
  /// The left button's press is over: the repeat stops and the button comes up.
  void EndPressing();
  void RepeatDelayTimer();
  void RepeatTimer();

  bool FIsPressed = false;
  bool FStaysPressed = false;
  bool FRepeatClick = false;
  int FModalResult = 0;
  bool FPressing = false;
  TControlTimer FRepeatTimer;
  TImageList* FImages = nullptr;
  int FImageIndex = -1;
  TAlphaColor FTintColor = TAlphaColors::Null;
  TAlphaColor FIconTintColor = TAlphaColors::Null;
  TControl* FGlyphObject = nullptr;
  TControl* FTintObject = nullptr;
  TControl* FIconTintObject = nullptr;
};

/// The push button as a form stores it; Default and Cancel make it the form's Enter or Escape
/// button.
class KELVANE_API TButton : public TCustomButton {
  KLV_CLASS(TButton)
 public:
  explicit TButton(TComponent* AOwner);

  bool Default() const { return FDefault; }
  void SetDefault(bool Value) { FDefault = Value; }
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }

  void AfterDialogKey(uint16_t& Key, TShiftState Shift) override;

 private:
  bool FDefault = false;
  bool FCancel = false;
};
