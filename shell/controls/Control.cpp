#include "shell/controls/Control.h"

#include <cmath>

#include "shell/canvas/Canvas.h"
#include "shell/core/Filer.h"

namespace TypeInfos {
const TTypeInfo& MouseEvent() {
  static const TTypeInfo T = MakeNamedType("TMouseEvent", TTypeKind::Method);
  return T;
}
const TTypeInfo& MouseMoveEvent() {
  static const TTypeInfo T = MakeNamedType("TMouseMoveEvent", TTypeKind::Method);
  return T;
}
const TTypeInfo& MouseWheelEvent() {
  static const TTypeInfo T = MakeNamedType("TMouseWheelEvent", TTypeKind::Method);
  return T;
}
const TTypeInfo& KeyEvent() {
  static const TTypeInfo T = MakeNamedType("TKeyEvent", TTypeKind::Method);
  return T;
}
}  // namespace TypeInfos

const TMetaClass& TControl::StaticClass() {
  return ClassRecord<TControl>("TControl", &TTreeObject::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("Align", &TControl::Align, &TControl::SetAlign, &TypeInfos::AlignLayout())
        .Default(TAlignLayout::None);
    // Anchors follow Align and are stored only when they differ from its defaults.
    B.Property("Anchors", &TControl::Anchors, &TControl::SetAnchors, &TypeInfos::Anchors())
        .Stored([](const TControl& C) { return !(C.Anchors() == AnchorAlign(C.Align())); });
    B.Property("CanFocus", &TControl::CanFocus, &TControl::SetCanFocus).Default(false);
    B.Property("CanParentFocus", &TControl::CanParentFocus, &TControl::SetCanParentFocus).Default(false);
    B.Property("Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    B.Property("HitTest", &TControl::HitTest, &TControl::SetHitTest).Default(true);
    B.Property("Locked", &TControl::Locked, &TControl::SetLocked).Default(false);
    B.Property("Margins", &TControl::Margins, &TControl::SetMargins);
    B.Property("Opacity", &TControl::Opacity, &TControl::SetOpacity).Default(1.f);
    B.Property("Padding", &TControl::Padding, &TControl::SetPadding);
    B.Property("Position", &TControl::Position, &TControl::SetPosition);
    B.Property("Scale", &TControl::Scale, &TControl::SetScale);
    B.Property("Size", &TControl::Size, &TControl::SetSize);
    // The size is stored through Size; Width and Height are its published shorthands.
    B.Property("Width", &TControl::Width, &TControl::SetWidth).Stored([](const TControl&) { return false; });
    B.Property("Height", &TControl::Height, &TControl::SetHeight).Stored([](const TControl&) { return false; });
    B.Property("TabOrder", &TControl::TabOrder, &TControl::SetTabOrder).Default(-1);
    B.Property("TabStop", &TControl::TabStop, &TControl::SetTabStop).Default(true);
    B.Property("Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    B.Event("OnClick", &TControl::OnClick);
    B.Event("OnDblClick", &TControl::OnDblClick);
    B.Event("OnEnter", &TControl::OnEnter);
    B.Event("OnExit", &TControl::OnExit);
    B.Event("OnMouseEnter", &TControl::OnMouseEnter);
    B.Event("OnMouseLeave", &TControl::OnMouseLeave);
    B.Event("OnResize", &TControl::OnResize);
    B.Event("OnResized", &TControl::OnResized);
    B.Event("OnMouseDown", &TControl::OnMouseDown, &TypeInfos::MouseEvent());
    B.Event("OnMouseUp", &TControl::OnMouseUp, &TypeInfos::MouseEvent());
    B.Event("OnMouseMove", &TControl::OnMouseMove, &TypeInfos::MouseMoveEvent());
    B.Event("OnMouseWheel", &TControl::OnMouseWheel, &TypeInfos::MouseWheelEvent());
    B.Event("OnKeyDown", &TControl::OnKeyDown, &TypeInfos::KeyEvent());
    B.Event("OnKeyUp", &TControl::OnKeyUp, &TypeInfos::KeyEvent());
  });
}

TControl::TControl(TComponent* AOwner)
    : TTreeObject(AOwner),
      FPosition(std::make_unique<TPosition>()),
      FSize(std::make_unique<TControlSize>(TSizeF(50, 50))),
      FScale(std::make_unique<TPosition>(TPointF(1, 1))),
      FMargins(std::make_unique<TBounds>()),
      FPadding(std::make_unique<TBounds>()) {
  FPosition->OnChange = TNotifyEvent(this, &TControl::PositionChanged);
  FSize->OnChange = TNotifyEvent(this, &TControl::SizeChanged);
  FScale->OnChange = TNotifyEvent(this, &TControl::ScaleChanged);
  FMargins->OnChange = TNotifyEvent(this, &TControl::MarginsChanged);
  FPadding->OnChange = TNotifyEvent(this, &TControl::PaddingChanged);
  FLastWidth = Width();
  FLastHeight = Height();
}

TControl::~TControl() = default;

void TControl::ResetDefaultSize() {
  TNotifyEvent Saved = FSize->OnChange;
  FSize->OnChange = nullptr;
  FSize->SetDefaultValue(GetDefaultSize());
  FSize->OnChange = Saved;
  FLastWidth = Width();
  FLastHeight = Height();
}

void TControl::BeforeDestruction() {
  if (FRoot && !IsDestroying()) Repaint();
  TTreeObject::BeforeDestruction();
}

// --- Tree ---

TControl* TControl::ParentControl() const { return dynamic_cast<TControl*>(Parent()); }

void TControl::UpdateRoot() {
  IRoot* NewRoot = nullptr;
  for (TTreeObject* P = Parent(); P; P = P->Parent()) {
    if (auto* R = dynamic_cast<IRoot*>(P)) {
      NewRoot = R;
      break;
    }
    if (auto* C = dynamic_cast<TControl*>(P)) {
      NewRoot = C->FRoot;
      break;
    }
  }
  FRoot = NewRoot;
  for (TTreeObject* Child : ChildList())
    if (auto* C = dynamic_cast<TControl*>(Child)) C->UpdateRoot();
}

void TControl::ChangeParent() {
  IRoot* OldRoot = FRoot;
  UpdateRoot();
  if (OldRoot && OldRoot != FRoot) OldRoot->ControlRemoved(this);
  if (!IsLoading() && !IsDestroying()) UpdateAnchorRules();
}

void TControl::ChangeChildren() {
  ChildrenAlignChanged();
  if (FNeedAlign && !IsLoading() && !IsDestroying()) Realign();
}

void TControl::DoRemoveObject(TTreeObject* AObject) {
  // The leaving child's area needs painting over while it can still be located.
  if (auto* C = dynamic_cast<TControl*>(AObject))
    if (!IsDestroying()) C->Repaint();
  TTreeObject::DoRemoveObject(AObject);
}

// --- Place and size ---

void TControl::SetWidth(float Value) { SetBounds(FPosition->X(), FPosition->Y(), Value, Height()); }
void TControl::SetHeight(float Value) { SetBounds(FPosition->X(), FPosition->Y(), Width(), Value); }

TSizeF TControl::AdjustedSize(float AWidth, float AHeight) const {
  AWidth = std::max(0.f, AWidth);
  AHeight = std::max(0.f, AHeight);
  if (FAdjustType == TAdjustType::FixedSize || FAdjustType == TAdjustType::FixedWidth) AWidth = FAdjustSizeValue.Width;
  if (FAdjustType == TAdjustType::FixedSize || FAdjustType == TAdjustType::FixedHeight) AHeight = FAdjustSizeValue.Height;
  return {AWidth, AHeight};
}

bool TControl::DoSetSize(float AWidth, float AHeight) {
  TSizeF Old = FSize->Size();
  TSizeF New = AdjustedSize(AWidth, AHeight);
  FLastWidth = Old.Width;
  FLastHeight = Old.Height;
  FSize->SetSizeWithoutNotification(New);
  return !SameLayoutValue(Old.Width, New.Width) || !SameLayoutValue(Old.Height, New.Height);
}

void TControl::SetBounds(float X, float Y, float AWidth, float AHeight) {
  // A NaN is no place and no size: that part stays as it is.
  if (std::isnan(X)) X = FPosition->X();
  if (std::isnan(Y)) Y = FPosition->Y();
  if (std::isnan(AWidth)) AWidth = Width();
  if (std::isnan(AHeight)) AHeight = Height();
  bool PosChanged = !SameLayoutValue(X, FPosition->X()) || !SameLayoutValue(Y, FPosition->Y());
  bool SizeChanged = !SameLayoutValue(AWidth, Width()) || !SameLayoutValue(AHeight, Height());
  if (!PosChanged && !SizeChanged) return;
  Repaint();
  if (SizeChanged) SizeChanged = DoSetSize(AWidth, AHeight);
  if (PosChanged) SetPositionSilently(TPointF(X, Y));
  if (!PosChanged && !SizeChanged) return;
  AfterBoundsChange(SizeChanged);
}

void TControl::AfterBoundsChange(bool SizeChanged) {
  UpdateAnchorRules();
  RequestAlign();
  if (SizeChanged && !IsLoading()) {
    Resize();
    if (ChildrenCount() > 0) Realign();
    Resized();
  }
  Repaint();
}

void TControl::SetPositionSilently(const TPointF& Value) {
  TNotifyEvent Saved = FPosition->OnChange;
  FPosition->OnChange = nullptr;
  FPosition->SetPoint(Value);
  FPosition->OnChange = Saved;
  FKnownPosition = Value;
}

void TControl::PositionChanged(TObject*) {
  // The position object holds the new point already; paint over the old place first.
  if (FRoot) {
    TPointF Delta = FKnownPosition - FPosition->Point();
    TRectF Old = AbsoluteRect();
    FRoot->AddUpdateRect(Old.Offset(Delta.X, Delta.Y));
  }
  FKnownPosition = FPosition->Point();
  AfterBoundsChange(false);
}

void TControl::SizeChanged(TObject*) {
  TSizeF Old = FSize->OldSize();
  TSizeF Wanted = FSize->Size();
  TSizeF New = AdjustedSize(Wanted.Width, Wanted.Height);
  // A style's fixed size overrides what was asked for.
  if (!(New == Wanted)) FSize->SetSizeWithoutNotification(New);
  if (FRoot) FRoot->AddUpdateRect(TRectF::Union(AbsoluteRect(), TRectF::FromSize(LocalToAbsolute(TPointF()), Old)));
  if (SameLayoutValue(Old.Width, New.Width) && SameLayoutValue(Old.Height, New.Height)) return;
  FLastWidth = Old.Width;
  FLastHeight = Old.Height;
  AfterBoundsChange(true);
}

void TControl::ScaleChanged(TObject*) {
  Repaint();
  RequestAlign();
}

void TControl::MarginsChanged(TObject*) {
  if (!IsLoading()) ParentRealign();
}

void TControl::PaddingChanged(TObject*) {
  if (!IsLoading()) Realign();
}

TMatrix TControl::LocalMatrix() const {
  return TMatrix::CreateScaling(FScale->X(), FScale->Y()) *
         TMatrix::CreateTranslation(FPosition->X(), FPosition->Y());
}

TMatrix TControl::AbsoluteMatrix() const {
  TMatrix M = LocalMatrix();
  if (TControl* P = ParentControl()) M = M * P->AbsoluteMatrix();
  return M;
}

TPointF TControl::AbsoluteToLocal(const TPointF& P) const {
  TMatrix M = AbsoluteMatrix();
  float Det = M.m11 * M.m22 - M.m12 * M.m21;
  if (Det == 0) return P;
  float X = P.X - M.m31, Y = P.Y - M.m32;
  return {(X * M.m22 - Y * M.m21) / Det, (Y * M.m11 - X * M.m12) / Det};
}

TRectF TControl::AbsoluteRect() const {
  TMatrix M = AbsoluteMatrix();
  TRectF L = LocalRect();
  TPointF Corners[4] = {M.Transform({L.Left, L.Top}), M.Transform({L.Right, L.Top}),
                        M.Transform({L.Left, L.Bottom}), M.Transform({L.Right, L.Bottom})};
  TRectF R(Corners[0].X, Corners[0].Y, Corners[0].X, Corners[0].Y);
  for (const TPointF& C : Corners) {
    R.Left = std::min(R.Left, C.X);
    R.Top = std::min(R.Top, C.Y);
    R.Right = std::max(R.Right, C.X);
    R.Bottom = std::max(R.Bottom, C.Y);
  }
  return R;
}

TRectF TControl::ChildrenRect() const {
  TRectF R = AbsoluteRect();
  for (TTreeObject* Child : ChildList())
    if (auto* C = dynamic_cast<TControl*>(Child); C && C->Visible()) R = TRectF::Union(R, C->ChildrenRect());
  return R;
}

// --- Alignment ---

void TControl::SetAlign(TAlignLayout Value) {
  if (Value == FAlign) return;
  FAlign = Value;
  FAnchors = AnchorAlign(Value);
  if (!IsLoading()) UpdateAnchorRules();
  if (Value == TAlignLayout::None) return;
  if (auto* P = dynamic_cast<IAlignRoot*>(Parent())) {
    P->ChildrenAlignChanged();
    if (!IsLoading()) P->Realign();
  }
}

void TControl::SetAnchors(TAnchors Value) {
  if (Value == FAnchors) return;
  FAnchors = Value;
  UpdateAnchorRules();
  if (Value == DefaultAnchors) return;
  if (auto* P = dynamic_cast<IAlignRoot*>(Parent())) {
    P->ChildrenAlignChanged();
    if (!IsLoading()) P->Realign();
  }
}

bool TControl::GetAllowAlign() const {
  if (FVisible) return true;
  return FAlign == TAlignLayout::None && (FAnchors.Contains(akRight) || FAnchors.Contains(akBottom));
}

void TControl::ChildrenAlignChanged() { FNeedAlign = ChildrenNeedAlign(*this); }

void TControl::Realign() {
  if (IsDestroying() || FDisableAlign || FUpdating > 0) return;
  if (IsLoading()) {
    FLastWidth = Width();
    FLastHeight = Height();
    return;
  }
  DoRealign();
}

void TControl::DoRealign() {
  if (FNeedAlign)
    AlignObjects(this, FPadding.get(), Width(), Height(), FLastWidth, FLastHeight, FDisableAlign);
}

void TControl::EndUpdate() {
  if (FUpdating == 0) return;
  if (--FUpdating == 0) Realign();
}

void TControl::RequestAlign() {
  if (IsLoading()) return;
  if (FAlign == TAlignLayout::None && FAnchors == DefaultAnchors) return;
  ParentRealign();
}

void TControl::ParentRealign() {
  if (TControl* P = ParentControl())
    P->Realign();
  else if (auto* R = dynamic_cast<IAlignRoot*>(Parent()))
    R->Realign();
}

void TControl::UpdateAnchorRules() {
  if (FAnchorMove || IsLoading() || IsDestroying()) return;
  TRectF B = BoundsRect();
  TPointF Centre((B.Left + B.Right) / 2, (B.Top + B.Bottom) / 2);
  FAnchorOrigin = Centre;
  if (FAnchors == DefaultAnchors) {
    FOriginalParentSize = TPointF();
    return;
  }
  bool L = FAnchors.Contains(akLeft), R = FAnchors.Contains(akRight);
  bool T = FAnchors.Contains(akTop), Bt = FAnchors.Contains(akBottom);
  FAnchorRules.X = (L && R) ? Width() : R ? B.Left : Centre.X;
  FAnchorRules.Y = (T && Bt) ? Height() : Bt ? B.Top : Centre.Y;
  auto* P = dynamic_cast<IAlignRoot*>(Parent());
  TSizeF PS = P ? P->GetAlignParentSize() : TSizeF();
  FOriginalParentSize = TPointF(PS.Width, PS.Height);
}

void TControl::Loaded() {
  TTreeObject::Loaded();
  FLastWidth = Width();
  FLastHeight = Height();
  UpdateAnchorRules();
  ChildrenAlignChanged();
  if (ChildrenCount() > 0) Realign();
}

void TControl::DefineProperties(TFiler& Filer) {
  TTreeObject::DefineProperties(Filer);
  Filer.DefineProperty(
      "FixedWidth", [this](IValueReader& R) { FFixedWidth = static_cast<int>(R.ReadInteger()); },
      [this](IValueWriter& W) { W.WriteInteger(FFixedWidth); }, FFixedWidth != 0);
  Filer.DefineProperty(
      "FixedHeight", [this](IValueReader& R) { FFixedHeight = static_cast<int>(R.ReadInteger()); },
      [this](IValueWriter& W) { W.WriteInteger(FFixedHeight); }, FFixedHeight != 0);
}

// --- State ---

void TControl::SetVisible(bool Value) {
  if (Value == FVisible) return;
  if (!Value) {
    Repaint();
    if (IsFocused()) ResetFocus();
  }
  FVisible = Value;
  if (Value) Repaint();
  if (!IsLoading() && (FAlign != TAlignLayout::None || !(FAnchors == DefaultAnchors))) ParentRealign();
}

bool TControl::ParentedVisible() const {
  for (const TControl* C = this; C; C = C->ParentControl())
    if (!C->FVisible) return false;
  return true;
}

void TControl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  if (!Value && FRoot) {
    TControl* Focused = FRoot->GetFocused();
    if (Focused && (Focused == this || IsChild(Focused))) FRoot->SetFocused(nullptr);
  }
  Repaint();
}

bool TControl::AbsoluteEnabled() const {
  for (const TControl* C = this; C; C = C->ParentControl())
    if (!C->FEnabled) return false;
  return true;
}

void TControl::SetOpacity(float Value) {
  if (std::isnan(Value)) return;
  Value = std::clamp(Value, 0.f, 1.f);
  if (Value == FOpacity) return;
  FOpacity = Value;
  Repaint();
}

float TControl::AbsoluteOpacity() const {
  float O = FOpacity;
  if (TControl* P = ParentControl()) O *= P->AbsoluteOpacity();
  return O;
}

void TControl::SetCanFocus(bool Value) {
  if (Value == FCanFocus) return;
  FCanFocus = Value;
  if (!Value && IsFocused()) ResetFocus();
}

bool TControl::IsFocused() const { return FRoot && FRoot->GetFocused() == this; }

bool TControl::GetTriggerState(const std::string& Name, bool& Value) const {
  if (SameText(Name, "IsMouseOver")) Value = FIsMouseOver;
  else if (SameText(Name, "IsFocused")) Value = IsFocused();
  else if (SameText(Name, "Pressed")) Value = FPressed;
  else if (SameText(Name, "IsVisible")) Value = FVisible;
  else if (SameText(Name, "IsEnabled")) Value = FEnabled;
  else return false;
  return true;
}

// --- Painting ---

void TControl::Repaint() {
  if (!FRoot || !ParentedVisible()) return;
  FRoot->AddUpdateRect(AbsoluteRect());
}

void IRoot::RequestFrame(TControl* Control) {
  if (Control) AddUpdateRect(Control->AbsoluteRect());
}

void TControl::InvalidateRect(const TRectF& R) {
  if (!FRoot || !ParentedVisible()) return;
  TMatrix M = AbsoluteMatrix();
  TPointF A = M.Transform(R.TopLeft()), B = M.Transform(TPointF(R.Right, R.Bottom));
  FRoot->AddUpdateRect(TRectF(std::min(A.X, B.X), std::min(A.Y, B.Y), std::max(A.X, B.X), std::max(A.Y, B.Y)));
}

void TControl::PrepareForPaint() {
  for (TTreeObject* Child : ChildList())
    if (auto* C = dynamic_cast<TControl*>(Child))
      if (C->Visible()) C->PrepareForPaint();
}

void TControl::PaintInternal() {
  if (!FVisible) return;
  // Each control draws in its own local coordinates.
  TCanvas* C = Canvas();
  TMatrix Saved = C ? C->Matrix() : TMatrix();
  if (C) C->SetMatrix(AbsoluteMatrix());
  Painting();
  Paint();
  if (C) C->SetMatrix(Saved);
  PaintChildren();
  AfterPaint();
}

void TControl::PaintChildren() {
  for (TTreeObject* Child : ChildList())
    if (auto* C = dynamic_cast<TControl*>(Child)) C->PaintInternal();
}

// --- Input ---

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, float X, float Y) {
  if (!ComponentState().Contains(csDesigning) && !IsFocused()) SetFocus();
  OnMouseDown(this, Button, Shift, X, Y);
  if (FAutoCapture) Capture();
  if (Shift.Contains(ssDouble)) {
    DblClick();
    FDoubleClick = true;
  } else if (Button == mbLeft) {
    FPressed = true;
    FPressedPosition = TPointF(X, Y);
    ApplyTriggerEffect("Pressed");
  }
}

void TControl::MouseMove(TShiftState Shift, float X, float Y) { OnMouseMove(this, Shift, X, Y); }

void TControl::MouseClick(TMouseButton Button, TShiftState, float X, float Y) {
  // Only the left button presses, so only its release clicks.
  if (Button == mbLeft && AbsoluteEnabled() && FPressed && !FDoubleClick && PointInObjectLocal(X, Y)) {
    Click();
    FPressed = false;
    ApplyTriggerEffect("Pressed");
  }
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, float X, float Y) {
  // Another button's release while the one that took the capture is held leaves it.
  if (FRoot && FRoot->ReleaseEndsCapture(Button, Shift)) ReleaseCapture();
  try {
    OnMouseUp(this, Button, Shift, X, Y);
  } catch (...) {
    EndPress(Button, Shift);
    throw;
  }
  EndPress(Button, Shift);
}

void TControl::EndPress(TMouseButton Button, TShiftState Shift) {
  if (FPressed && ReleaseEndsPress(Button, Shift)) {
    FPressed = false;
    ApplyTriggerEffect("Pressed");
  }
  FDoubleClick = false;
}

void TControl::MouseWheel(TShiftState Shift, int WheelDelta, bool& Handled) {
  OnMouseWheel(this, Shift, WheelDelta, Handled);
}

void TControl::KeyDown(uint16_t& Key, char32_t& KeyChar, TShiftState Shift) { OnKeyDown(this, Key, KeyChar, Shift); }

void TControl::KeyUp(uint16_t& Key, char32_t& KeyChar, TShiftState Shift) { OnKeyUp(this, Key, KeyChar, Shift); }

void TControl::DialogKey(uint16_t&, TShiftState) {}

void TControl::AfterDialogKey(uint16_t&, TShiftState) {}

void TControl::Click() { OnClick(this); }

void TControl::DblClick() { OnDblClick(this); }

void TControl::SetFocus() {
  if (!FRoot) return;
  // Climb to the first control that can take the focus, through controls that pass it on;
  // the style copy between a style part (the thumb) and its control passes it on too.
  TControl* C = this;
  while (C && !C->FCanFocus) {
    if (!C->FVisible || !(C->FCanParentFocus || C->FIsStyleResource)) return;
    C = C->ParentControl();
  }
  if (!C || !C->ParentedVisible() || !C->AbsoluteEnabled()) return;
  FRoot->SetFocused(C);
}

void TControl::ResetFocus() {
  if (IsFocused()) FRoot->SetFocused(nullptr);
}

void TControl::Capture() {
  if (FRoot) FRoot->SetCaptured(this);
}

void TControl::ReleaseCapture() {
  if (FRoot && FRoot->GetCaptured() == this) FRoot->SetCaptured(nullptr);
}

void TControl::DoEnter() {
  ApplyTriggerEffect("IsFocused");
  Repaint();
  OnEnter(this);
}

void TControl::DoExit() {
  ApplyTriggerEffect("IsFocused");
  Repaint();
  OnExit(this);
}

void TControl::ResetState() {
  FIsMouseOver = false;
  FPressed = false;
  FDoubleClick = false;
}

void TControl::DoCaptureLost() {
  if (FPressed) {
    FPressed = false;
    ApplyTriggerEffect("Pressed");
  }
  FDoubleClick = false;
}

void TControl::DoMouseEnter() {
  FIsMouseOver = true;
  ApplyTriggerEffect("IsMouseOver");
  OnMouseEnter(this);
}

void TControl::DoMouseLeave() {
  FIsMouseOver = false;
  ApplyTriggerEffect("IsMouseOver");
  OnMouseLeave(this);
}
