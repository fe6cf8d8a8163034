#include "shell/controls/Button.h"

#include "shell/controls/Accelerator.h"
#include "shell/controls/ImageList.h"

namespace {
// Style objects are style classes the controls cannot name; their published properties are
// how they take what the button gives them.
const TPropInfo* StyleProperty(TControl* Object, const char* Name, TTypeKind Kind) {
  const TPropInfo* P = Object ? Object->ClassType().FindProperty(Name) : nullptr;
  return P && P->Kind() == Kind && P->Writable() ? P : nullptr;
}

// The object when it can be tinted (publishes an ordinal TintColor), else none.
TControl* Tintable(TControl* Object) { return StyleProperty(Object, "TintColor", TTypeKind::Integer) ? Object : nullptr; }

void SetTint(TControl* Object, TAlphaColor Color) {
  if (const TPropInfo* P = StyleProperty(Object, "TintColor", TTypeKind::Integer)) P->SetOrd(Object, Color);
}
}  // namespace

const TMetaClass& TCustomButton::StaticClass() {
  return ClassRecord<TCustomButton>("TCustomButton", &TPresentedTextControl::StaticClass(), [](auto& B) {
    B.Property("CanFocus", &TCustomButton::CanFocus, &TCustomButton::SetCanFocus).Default(true);
    B.Property("IsPressed", &TCustomButton::IsPressed, &TCustomButton::SetIsPressed).Default(false);
    B.Property("ModalResult", &TCustomButton::ModalResult, &TCustomButton::SetModalResult).Default(0);
    B.Property("RepeatClick", &TCustomButton::RepeatClick, &TCustomButton::SetRepeatClick).Default(false);
    B.Property("StaysPressed", &TCustomButton::StaysPressed, &TCustomButton::SetStaysPressed).Default(false);
    B.Property("Images", &TCustomButton::Images, &TCustomButton::SetImages);
    B.Property("ImageIndex", &TCustomButton::ImageIndex, &TCustomButton::SetImageIndex).Default(-1);
    B.Property("TintColor", &TCustomButton::TintColor, &TCustomButton::SetTintColor, &TypeInfos::AlphaColor())
        .Default(TAlphaColors::Null);
    B.Property("IconTintColor", &TCustomButton::IconTintColor, &TCustomButton::SetIconTintColor,
               &TypeInfos::AlphaColor())
        .Default(TAlphaColors::Null);
  });
}

TCustomButton::TCustomButton(TComponent* AOwner) : TPresentedTextControl(AOwner) {
  ResetDefaultSize();
  SetCanFocus(true);
  SetAutoCapture(true);
}

void TCustomButton::BeforeDestruction() {
  FRepeatTimer.Stop();
  TPresentedTextControl::BeforeDestruction();
}

void TCustomButton::SetImages(TImageList* Value) {
  if (Value == FImages) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (FImages) FImages->FreeNotification(this);
  UpdateGlyph();
}

void TCustomButton::SetImageIndex(int Value) {
  if (Value == FImageIndex) return;
  FImageIndex = Value;
  UpdateGlyph();
}

void TCustomButton::SetTintColor(TAlphaColor Value) {
  if (Value == FTintColor) return;
  FTintColor = Value;
  UpdateTints();
}

void TCustomButton::SetIconTintColor(TAlphaColor Value) {
  if (Value == FIconTintColor) return;
  FIconTintColor = Value;
  UpdateTints();
}

void TCustomButton::Notification(TComponent* AComponent, TOperation Operation) {
  TPresentedTextControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
}

void TCustomButton::ApplyStyle() {
  TPresentedTextControl::ApplyStyle();
  FTintObject = Tintable(FindStyleResource("background"));
  FIconTintObject = Tintable(FindStyleResource("icon"));
  FGlyphObject = FindStyleResource("glyphstyle");
  UpdateTints();
  UpdateGlyph();
}

void TCustomButton::FreeStyle() {
  // The copy may serve another button from the style cache: it keeps no image list of ours.
  if (const TPropInfo* P = StyleProperty(FGlyphObject, "Images", TTypeKind::Class)) P->SetObj(FGlyphObject, nullptr);
  FGlyphObject = nullptr;
  FTintObject = nullptr;
  FIconTintObject = nullptr;
  TPresentedTextControl::FreeStyle();
}

void TCustomButton::UpdateGlyph() {
  if (!FGlyphObject) return;
  if (const TPropInfo* P = StyleProperty(FGlyphObject, "Images", TTypeKind::Class)) P->SetObj(FGlyphObject, FImages);
  if (const TPropInfo* P = StyleProperty(FGlyphObject, "ImageIndex", TTypeKind::Integer)) P->SetOrd(FGlyphObject, FImageIndex);
}

void TCustomButton::UpdateTints() {
  SetTint(FTintObject, FTintColor);
  SetTint(FIconTintObject, FIconTintColor);
}

void TCustomButton::SetPressedState(bool Value) {
  if (Value == FIsPressed) return;
  FIsPressed = Value;
  ApplyTriggerEffect("IsPressed");
  Repaint();
}

void TCustomButton::SetIsPressed(bool Value) {
  if (FStaysPressed) SetPressedState(Value);
}

void TCustomButton::ToggleStaysPressed() { SetIsPressed(!FIsPressed); }

void TCustomButton::SetStaysPressed(bool Value) {
  if (Value == FStaysPressed) return;
  FStaysPressed = Value;
  if (!Value) SetPressedState(false);
}

void TCustomButton::Click() {
  TPresentedTextControl::Click();
  if (FModalResult != 0 && Root()) Root()->SetModalResult(FModalResult);
}

void TCustomButton::DblClick() {
  TPresentedTextControl::DblClick();
  Click();
}

void TCustomButton::MouseDown(TMouseButton Button, TShiftState Shift, float X, float Y) {
  TPresentedTextControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FPressing = true;
  if (FStaysPressed) {
    FIsPressed = !FIsPressed;
  } else {
    FIsPressed = true;
    if (FRepeatClick) FRepeatTimer.Start(500, TTimerProc(this, &TCustomButton::RepeatDelayTimer));
  }
  ApplyTriggerEffect("IsPressed");
  Repaint();
}

void TCustomButton::MouseMove(TShiftState Shift, float X, float Y) {
  TPresentedTextControl::MouseMove(Shift, X, Y);
  if (Shift.Contains(ssLeft) && FPressing && !FStaysPressed) SetPressedState(PointInObjectLocal(X, Y));
}

void TCustomButton::MouseUp(TMouseButton Button, TShiftState Shift, float X, float Y) {
  // Another button's release while the left one is held leaves the press as it is.
  if (FPressing && ReleaseEndsPress(Button, Shift)) EndPressing();
  TPresentedTextControl::MouseUp(Button, Shift, X, Y);
}

void TCustomButton::DoCaptureLost() {
  if (FPressing) EndPressing();
  TPresentedTextControl::DoCaptureLost();
}

void TCustomButton::EndPressing() {
  FRepeatTimer.Stop();
  FPressing = false;
  // A StaysPressed button keeps the state its press toggled it to.
  if (!FStaysPressed) SetPressedState(false);
}

void TCustomButton::KeyDown(uint16_t& Key, char32_t& KeyChar, TShiftState Shift) {
  TPresentedTextControl::KeyDown(Key, KeyChar, Shift);
  bool NoShiftKeys = (Shift * TShiftState{ssShift, ssAlt, ssCtrl}).Empty();
  if (NoShiftKeys && (Key == vkReturn || Key == vkSpace || KeyChar == U' ')) {
    Click();
    Key = 0;
    KeyChar = 0;
  }
}

void TCustomButton::DialogKey(uint16_t& Key, TShiftState Shift) {
  TPresentedTextControl::DialogKey(Key, Shift);
  // Offered as a dialog key, the focused button included: the form's later offer
  // (AfterDialogKey) leaves the focused control out.
  if (Key == 0 || !Shift.Contains(ssAlt) || Shift.Contains(ssCtrl)) return;
  if (Key != AcceleratorKey(Text()) || !ParentedVisible() || !AbsoluteEnabled()) return;
  Click();
  Key = 0;
}

std::string TCustomButton::DisplayedText() const { return TextWithoutAccelerator(Text()); }

bool TCustomButton::GetTriggerState(const std::string& Name, bool& Value) const {
  if (!SameText(Name, "IsPressed")) return TPresentedTextControl::GetTriggerState(Name, Value);
  Value = FIsPressed;
  return true;
}

void TCustomButton::RepeatDelayTimer() {
  FRepeatTimer.Start(100, TTimerProc(this, &TCustomButton::RepeatTimer));
}

void TCustomButton::RepeatTimer() {
  if (Root() && Root()->GetCaptured() == this && AbsoluteEnabled())
    Click();
  else
    FRepeatTimer.Stop();
}

const TMetaClass& TButton::StaticClass() {
  return ClassRecord<TButton>("TButton", &TCustomButton::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("Cancel", &TButton::Cancel, &TButton::SetCancel).Default(false);
    B.Property("Default", &TButton::Default, &TButton::SetDefault).Default(false);
  });
}

TButton::TButton(TComponent* AOwner) : TCustomButton(AOwner) {}

void TButton::AfterDialogKey(uint16_t& Key, TShiftState Shift) {
  TCustomButton::AfterDialogKey(Key, Shift);
  if (Key == 0 || !ParentedVisible() || !AbsoluteEnabled()) return;
  if ((FDefault && Key == vkReturn) || (FCancel && Key == vkEscape)) {
    Click();
    Key = 0;
  }
}
