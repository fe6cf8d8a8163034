#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "shell/core/Export.h"
#include "shell/controls/InputTypes.h"
#include "shell/controls/Root.h"
#include "shell/core/Position.h"
#include "shell/core/TreeObject.h"
#include "shell/layout/Align.h"
#include "shell/layout/Bounds.h"
#include "shell/layout/ControlSize.h"

namespace TypeInfos {
/// The event types of mouse and keyboard handlers, for published event properties.
KELVANE_API const TTypeInfo& MouseEvent();
KELVANE_API const TTypeInfo& MouseMoveEvent();
KELVANE_API const TTypeInfo& MouseWheelEvent();
KELVANE_API const TTypeInfo& KeyEvent();
}  // namespace TypeInfos

/// TControl: the base of every 2D control: place and size, alignment of its children, state,
/// painting through its root, and the control's side of mouse, keyboard and focus handling.
class KELVANE_API TControl : public TTreeObject, public IAlignRoot, public IAlignableObject {
  KLV_CLASS(TControl)
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  /// --- Tree ---
  TControl* ParentControl() const;
  /// The root (form) above the control, or null while it is not in one.
  IRoot* Root() const { return FRoot; }
  /// Whether the control is the applied style copy of its parent.
  bool IsStyleResource() const { return FIsStyleResource; }
  void SetIsStyleResource(bool Value) { FIsStyleResource = Value; }

  /// --- Place and size ---
  TPosition* Position() const { return FPosition.get(); }
  void SetPosition(TPosition* Value) { FPosition->Assign(Value); }
  TControlSize* Size() const { return FSize.get(); }
  void SetSize(TControlSize* Value) { FSize->Assign(Value); }
  float Width() const { return FSize->Width(); }
  float Height() const { return FSize->Height(); }
  void SetWidth(float Value);
  void SetHeight(float Value);
  TPosition* Scale() const { return FScale.get(); }
  void SetScale(TPosition* Value) { FScale->Assign(Value); }
  TBounds* Margins() const { return FMargins.get(); }
  void SetMargins(TBounds* Value) { FMargins->Assign(Value); }
  TBounds* Padding() const { return FPadding.get(); }
  void SetPadding(TBounds* Value) { FPadding->Assign(Value); }
  void SetBounds(float X, float Y, float AWidth, float AHeight) override;
  TRectF LocalRect() const { return {0, 0, Width(), Height()}; }
  TRectF BoundsRect() const { return TRectF::FromSize(FPosition->Point(), FSize->Size()); }

  /// Transform from local coordinates to the root's (row vectors: local × parent's).
  TMatrix LocalMatrix() const;
  TMatrix AbsoluteMatrix() const;
  TPointF LocalToAbsolute(const TPointF& P) const { return AbsoluteMatrix().Transform(P); }
  TPointF AbsoluteToLocal(const TPointF& P) const;
  /// The bounding rectangle of the control in the root's coordinates.
  TRectF AbsoluteRect() const;
  /// What painting the control may touch, in the root's coordinates: its own rectangle joined
  /// with its visible children's (which may lie outside it).
  TRectF ChildrenRect() const;
  bool PointInObjectLocal(float X, float Y) const { return LocalRect().Contains(TPointF(X, Y)); }

  /// --- Alignment ---
  TAlignLayout Align() const { return FAlign; }
  void SetAlign(TAlignLayout Value) override;
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors Value) override;
  void Realign() override;
  void ChildrenAlignChanged() override;
  TSizeF GetAlignParentSize() const override { return FSize->Size(); }
  bool NeedAlign() const { return FNeedAlign; }
  float LastWidth() const { return FLastWidth; }
  float LastHeight() const { return FLastHeight; }
  /// Suspends this control's own layout; the outermost EndUpdate realigns.
  virtual void BeginUpdate() { ++FUpdating; }
  virtual void EndUpdate();
  bool IsUpdating() const { return FUpdating > 0; }
  TAdjustType AdjustType() const { return FAdjustType; }
  TSizeF AdjustSizeValue() const { return FAdjustSizeValue; }

  /// IAlignableObject
  TAlignLayout GetAlign() const override { return FAlign; }
  TAnchors GetAnchors() const override { return FAnchors; }
  TBounds* GetMargins() override { return FMargins.get(); }
  TBounds* GetPadding() override { return FPadding.get(); }
  float GetWidth() const override { return Width(); }
  float GetHeight() const override { return Height(); }
  float GetLeft() const override { return FPosition->X(); }
  float GetTop() const override { return FPosition->Y(); }
  bool GetAllowAlign() const override;
  TPointF GetAnchorRules() const override { return FAnchorRules; }
  TPointF GetAnchorOrigin() const override { return FAnchorOrigin; }
  TPointF GetOriginalParentSize() const override { return FOriginalParentSize; }
  bool GetAnchorMove() const override { return FAnchorMove; }
  void SetAnchorMove(bool Value) override { FAnchorMove = Value; }
  TAdjustType GetAdjustType() const override { return FAdjustType; }
  TSizeF GetAdjustSizeValue() const override { return FAdjustSizeValue; }
  TPointF GetAlignScale() const override { return FScale->Point(); }

  /// --- State ---
  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  /// Visible, and every parent control visible too.
  bool ParentedVisible() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);
  /// Enabled, and every parent control enabled too.
  bool AbsoluteEnabled() const;
  float Opacity() const { return FOpacity; }
  void SetOpacity(float Value);
  float AbsoluteOpacity() const;
  bool HitTest() const { return FHitTest; }
  void SetHitTest(bool Value) { FHitTest = Value; }
  bool CanFocus() const { return FCanFocus; }
  void SetCanFocus(bool Value);
  bool CanParentFocus() const { return FCanParentFocus; }
  void SetCanParentFocus(bool Value) { FCanParentFocus = Value; }
  bool AutoCapture() const { return FAutoCapture; }
  void SetAutoCapture(bool Value) { FAutoCapture = Value; }
  virtual int TabOrder() const { return FTabOrder; }
  virtual void SetTabOrder(int Value) { FTabOrder = Value; }
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value) { FTabStop = Value; }
  bool Locked() const { return FLocked; }
  void SetLocked(bool Value) { FLocked = Value; }
  /// The fixed size a control stores when it serves as the root of a style.
  int FixedWidth() const { return FFixedWidth; }
  int FixedHeight() const { return FFixedHeight; }
  void SetFixedWidth(int Value) { FFixedWidth = Value; }
  void SetFixedHeight(int Value) { FFixedHeight = Value; }
  bool IsFocused() const;
  bool IsMouseOver() const { return FIsMouseOver; }
  bool Pressed() const { return FPressed; }
  bool IsDoubleClick() const { return FDoubleClick; }
  const TPointF& PressedPosition() const { return FPressedPosition; }

  /// --- Painting ---
  /// The canvas of the paint in progress, from the root.
  TCanvas* Canvas() const { return FRoot ? FRoot->GetCanvas() : nullptr; }
  /// Marks the control's area for the next paint.
  void Repaint();
  /// Marks R, in local coordinates, for the next paint.
  void InvalidateRect(const TRectF& R);
  /// Gets the control and its children ready to paint (styled controls take their style).
  virtual void PrepareForPaint();
  /// Draws a frame the control asked its root for (IRoot::RequestFrame) and marks the part of
  /// it that changed; called before the paint that shows it. Nothing to do for most controls.
  virtual void PrepareFrame() {}
  /// Paints the control and then its children, unless it is invisible.
  void PaintInternal();

  /// --- Input ---
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, float X, float Y);
  virtual void MouseMove(TShiftState Shift, float X, float Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, float X, float Y);
  virtual void MouseClick(TMouseButton Button, TShiftState Shift, float X, float Y);
  virtual void MouseWheel(TShiftState Shift, int WheelDelta, bool& Handled);
  virtual void KeyDown(uint16_t& Key, char32_t& KeyChar, TShiftState Shift);
  virtual void KeyUp(uint16_t& Key, char32_t& KeyChar, TShiftState Shift);
  /// The control's own answer to a dialog key, before the focused control's KeyDown; the form
  /// offers the key to its controls one by one (children after their parent) until one
  /// consumes it (sets Key to 0).
  virtual void DialogKey(uint16_t& Key, TShiftState Shift);
  /// The control's own answer to a dialog key that nobody consumed, offered likewise to every
  /// control but the focused one.
  virtual void AfterDialogKey(uint16_t& Key, TShiftState Shift);
  virtual void Click();
  virtual void DblClick();
  void SetFocus();
  void ResetFocus();
  void Capture();
  void ReleaseCapture();
  /// Called by the root when the control gains or loses the focus or the mouse.
  virtual void DoEnter();
  virtual void DoExit();
  virtual void DoMouseEnter();
  virtual void DoMouseLeave();
  /// Called by the root when the capture is taken from the control other than by its own
  /// ReleaseCapture (another control took it, the release that ends it came while a handler
  /// raised, the control left the form): what the capture held ends, without a click.
  virtual void DoCaptureLost();

  /// Named visual-state changes ("IsPressed", "IsFocused", "IsMouseOver", "Pressed") that the
  /// control's style reacts to.
  virtual void ApplyTriggerEffect(const std::string& Trigger) { (void)Trigger; }
  /// A style object reacts to a trigger that AInstance, the control it belongs to, raised.
  virtual void StartTriggerAnimation(TControl* AInstance, const std::string& ATrigger) {
    (void)AInstance;
    (void)ATrigger;
  }
  /// Back to the state of a new object: a style copy reused from the cache forgets the control
  /// it served (the looks its style objects showed, the mouse over and presses of its parts).
  virtual void ResetState();
  /// The value of a state that a style's trigger conditions name ("IsMouseOver", "IsFocused",
  /// "Pressed"); false when the control has no state of that name.
  virtual bool GetTriggerState(const std::string& Name, bool& Value) const;

  void Loaded() override;
  void DefineProperties(TFiler& Filer) override;

  /// --- Events ---
  TNotifyEvent OnClick, OnDblClick, OnEnter, OnExit, OnMouseEnter, OnMouseLeave, OnResize, OnResized;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TMouseWheelEvent OnMouseWheel;
  TKeyEvent OnKeyDown, OnKeyUp;

 protected:
  /// The class's size at creation; a class that changes it calls ResetDefaultSize in its
  /// constructor (where its own override is the one that runs).
  virtual TSizeF GetDefaultSize() const { return {50, 50}; }
  void ResetDefaultSize();
  /// Lays out the children; styled controls and the slider extend it.
  virtual void DoRealign();
  /// Applies a new size; returns whether the stored size really changed.
  virtual bool DoSetSize(float AWidth, float AHeight);
  virtual void Resize() { OnResize(this); }
  virtual void Resized() { OnResized(this); }
  /// Asks the parent to lay out again when this control takes part in alignment.
  void RequestAlign();
  void UpdateAnchorRules();
  void SetAdjust(TAdjustType Type, TSizeF Value) {
    FAdjustType = Type;
    FAdjustSizeValue = Value;
  }

  virtual void Painting() {}
  virtual void Paint() {}
  virtual void PaintChildren();
  virtual void AfterPaint() {}

  void ChangeParent() override;
  void ChangeChildren() override;
  void DoRemoveObject(TTreeObject* AObject) override;
  void BeforeDestruction() override;

 private:
  void PositionChanged(TObject* Sender);
  void SizeChanged(TObject* Sender);
  void ScaleChanged(TObject* Sender);
  void MarginsChanged(TObject* Sender);
  void PaddingChanged(TObject* Sender);
  void AfterBoundsChange(bool SizeChanged);
  void ParentRealign();
  void UpdateRoot();
  void SetPositionSilently(const TPointF& Value);
  /// A release that ends the left button's press lets go of the pressed flag; every release ends
  /// a double click.
  void EndPress(TMouseButton Button, TShiftState Shift);
  TSizeF AdjustedSize(float AWidth, float AHeight) const;

  IRoot* FRoot = nullptr;
  std::unique_ptr<TPosition> FPosition;
  TPointF FKnownPosition;  // the position as last applied, to repaint the old place
  std::unique_ptr<TControlSize> FSize;
  std::unique_ptr<TPosition> FScale;
  std::unique_ptr<TBounds> FMargins;
  std::unique_ptr<TBounds> FPadding;

  TAlignLayout FAlign = TAlignLayout::None;
  TAnchors FAnchors = DefaultAnchors;
  float FLastWidth = 0, FLastHeight = 0;
  bool FNeedAlign = false;
  bool FDisableAlign = false;
  int FUpdating = 0;
  TPointF FAnchorRules, FAnchorOrigin, FOriginalParentSize;
  bool FAnchorMove = false;
  TAdjustType FAdjustType = TAdjustType::None;
  TSizeF FAdjustSizeValue;

  bool FVisible = true;
  bool FEnabled = true;
  float FOpacity = 1;
  bool FHitTest = true;
  bool FCanFocus = false;
  bool FCanParentFocus = false;
  bool FAutoCapture = false;
  int FTabOrder = -1;
  bool FTabStop = true;
  bool FLocked = false;
  int FFixedWidth = 0, FFixedHeight = 0;
  bool FIsStyleResource = false;

  bool FPressed = false;
  bool FDoubleClick = false;
  bool FIsMouseOver = false;
  TPointF FPressedPosition;
};
