#pragma once
#include "shell/core/Export.h"
#include "shell/controls/InputTypes.h"
#include "shell/core/Geometry2D.h"

class TCanvas;
class TControl;
class TTreeObject;

/// IRoot: what a control reaches through the top of its tree (the form): the canvas being
/// painted, invalidation in the root's coordinates, the scene scale, and the focused, captured
/// and hovered controls.
class KELVANE_API IRoot {
 public:
  virtual ~IRoot() = default;
  /// The object at the top of the tree (the form).
  virtual TTreeObject* GetRootObject() = 0;
  /// The canvas the root is painting on, or null outside a paint.
  virtual TCanvas* GetCanvas() = 0;
  virtual float GetSceneScale() = 0;
  /// Marks R, in the root's logical client coordinates, for the next paint.
  virtual void AddUpdateRect(const TRectF& R) = 0;
  /// Control has a frame to draw (TControl::PrepareFrame) before the next paint, which marks what
  /// it changes. A root that cannot wait for that marks the whole control.
  virtual void RequestFrame(TControl* Control);

  virtual TControl* GetFocused() = 0;
  virtual void SetFocused(TControl* Value) = 0;
  virtual TControl* GetCaptured() = 0;
  virtual void SetCaptured(TControl* Value) = 0;
  /// Whether releasing Button, with Shift the state after the release, ends the capture: the
  /// release of the button whose press took it, or of the last button held.
  virtual bool ReleaseEndsCapture(TMouseButton /*Button*/, TShiftState /*Shift*/) { return true; }
  virtual TControl* GetHovered() = 0;
  /// The last mouse position, in the root's logical client coordinates.
  virtual TPointF GetMousePos() = 0;
  /// Control (and its subtree) left this root: forget it as focused, captured or hovered.
  virtual void ControlRemoved(TControl* Control) = 0;
  /// Whether the controls under this root take input now: a root inside another tree (a layer
  /// in a 3D scene) does not while it is hidden.
  virtual bool ControlsTakeInput() { return true; }
  /// A button with a ModalResult was clicked.
  virtual void SetModalResult(int /*Value*/) {}
};
