#pragma once
#include "shell/controls/InputDispatcher.h"
#include "shell/controls/Root.h"

/// A root whose focus, capture and hover live in an input dispatcher of its own, and which
/// answers IRoot's questions about them from it; what a root does with its canvas, scale and
/// invalidation stays its own.
class TInputRoot : public IRoot {
 public:
  /// Root is the object whose children are the top-level controls (the holder itself).
  explicit TInputRoot(TTreeObject* Root) : FInput(Root) {}

  TInputDispatcher& Input() { return FInput; }

  TControl* GetFocused() override { return FInput.Focused(); }
  void SetFocused(TControl* Value) override { FInput.SetFocused(Value); }
  TControl* GetCaptured() override { return FInput.Captured(); }
  void SetCaptured(TControl* Value) override { FInput.SetCaptured(Value); }
  bool ReleaseEndsCapture(TMouseButton Button, TShiftState Shift) override {
    return FInput.ReleaseEndsCapture(Button, Shift);
  }
  TControl* GetHovered() override { return FInput.Hovered(); }
  TPointF GetMousePos() override { return FInput.MousePos(); }
  void ControlRemoved(TControl* Control) override { FInput.ControlRemoved(Control); }

 protected:
  TInputDispatcher FInput;
};
