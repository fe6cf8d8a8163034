#pragma once
#include <functional>
#include <optional>
#include <vector>

#include "shell/core/Export.h"
#include "shell/controls/Control.h"

/// TInputDispatcher: the form's side of input. A form owns one, forwards its mouse and key
/// input to it in logical client coordinates, and answers its IRoot focus, capture and hover
/// questions from it. It finds the control under the mouse, keeps the captured, focused and
/// hovered controls, orders clicks and double clicks, and runs dialog keys and Tab.
class KELVANE_API TInputDispatcher {
 public:
  /// Root is the object whose children are the top-level controls (the form).
  explicit TInputDispatcher(TTreeObject* ARoot) : FRoot(ARoot) {}

  TControl* Focused() const { return FFocused; }
  /// Moves the focus: the old control's DoExit, then the new one's DoEnter.
  void SetFocused(TControl* Value);
  TControl* Captured() const { return FCaptured; }
  /// Value takes the capture (a control's Capture) or the holder lets go of it (null, its
  /// ReleaseCapture). A capture taken while a press is delivered belongs to that press's button;
  /// a control that takes it from another makes the other end what the capture held (DoCaptureLost).
  void SetCaptured(TControl* Value);
  /// Takes the capture from its holder, which ends what it held (DoCaptureLost).
  void EndCapture();
  /// Whether releasing Button (Shift: the state after the release) ends the capture: the release
  /// of the button whose press took it, or of the last button held.
  bool ReleaseEndsCapture(TMouseButton Button, TShiftState Shift) const;
  TControl* Hovered() const { return FHovered; }
  void SetHovered(TControl* Value);
  TPointF MousePos() const { return FMousePos; }
  /// Where the mouse is, for a wheel that comes without a move first (the root's holder hands
  /// the position on).
  void SetMousePos(const TPointF& P) { FMousePos = P; }
  /// Forgets Control and its subtree as focused, captured, hovered or current target.
  void ControlRemoved(TControl* Control);

  /// The topmost visible control with HitTest under P (root coordinates): children before
  /// their parent, later children before earlier ones.
  TControl* ObjectAtPoint(const TPointF& P) const;

  void MouseDown(TMouseButton Button, TShiftState Shift, float X, float Y);
  void MouseMove(TShiftState Shift, float X, float Y);
  void MouseUp(TMouseButton Button, TShiftState Shift, float X, float Y, bool DoClick = true);
  void MouseWheel(TShiftState Shift, int WheelDelta, bool& Handled);
  /// The mouse left the window: no control is under it any more.
  void MouseLeave() { SetHovered(nullptr); }
  void KeyDown(uint16_t& Key, char32_t& KeyChar, TShiftState Shift);
  void KeyUp(uint16_t& Key, char32_t& KeyChar, TShiftState Shift);

  /// The focusable controls in tab order: by TabOrder within each parent (unset last, then
  /// child order), depth first; then, in child order, those of the objects among the children
  /// that are not controls (a 3D scene's layers) while they show their controls.
  std::vector<TControl*> TabList() const;
  /// Moves the focus to the next (or previous) control of the tab list, wrapping round.
  void SelectNext(bool Forward);

  /// The form's own handlers: its OnKeyDown/OnKeyUp and its wheel event (sets Handled).
  std::function<void(uint16_t& Key, char32_t& KeyChar, TShiftState Shift)> OnFormKeyDown, OnFormKeyUp;
  std::function<void(TShiftState Shift, int WheelDelta, bool& Handled)> OnFormMouseWheel;

 private:
  std::vector<TControl*> TopControls() const;
  /// Offers a dialog key to every visible, enabled control but the focused one and its
  /// contents, depth first: their DialogKey, or with After their AfterDialogKey.
  void OfferDialogKey(uint16_t& Key, TShiftState Shift, bool After);
  bool TargetAlive() const { return FTarget != nullptr; }

  TTreeObject* FRoot;
  TControl* FFocused = nullptr;
  TControl* FCaptured = nullptr;
  /// The button whose press took the capture; none for a capture taken outside a press.
  std::optional<TMouseButton> FCaptureButton;
  /// The button of the press being delivered.
  std::optional<TMouseButton> FPressButton;
  TControl* FHovered = nullptr;
  /// The control an event is being delivered to; cleared if a handler removes it.
  TControl* FTarget = nullptr;
  TPointF FMousePos;
};
