#pragma once
#include <optional>
#include <vector>

#include "shell/core/Export.h"
#include "shell/controls/InputTypes.h"
#include "shell/core/Geometry2D.h"

class TCustomLayer3D;
class TViewport3D;

/// TViewportInput: hands the mouse over a 3D view to the 2D controls on the layers of its
/// scene. The point is cast as a ray through the view's camera and projection onto each shown
/// layer that holds controls; the nearest layer met inside its surface gets the event at that
/// point of its surface, through its own input dispatcher (hit-testing, capture, hover, clicks
/// and wheel as on a form). A layer holding the capture gets the mouse wherever it goes, at the
/// point where the ray meets its plane.
class KELVANE_API TViewportInput {
 public:
  explicit TViewportInput(TViewport3D& AViewport) : FViewport(AViewport) {}

  /// A layer under the mouse, and the point on its surface.
  struct THit {
    TCustomLayer3D* Layer = nullptr;
    // In surface coordinates: logical pixels of the layer from its top left.
    TPointF Point;
  };
  /// The nearest layer with controls under P (the view's local logical coordinates), if any.
  THit LayerAt(const TPointF& P) const;
  /// Where the ray under P meets the plane of Layer, inside its surface or not; none when the
  /// plane is seen edge-on, lies behind the viewer, or shows its back and is not two-sided.
  std::optional<TPointF> SurfacePoint(TCustomLayer3D& Layer, const TPointF& P) const;

  /// The view's mouse events, in its local logical coordinates.
  void MouseDown(TMouseButton Button, TShiftState Shift, float X, float Y);
  void MouseMove(TShiftState Shift, float X, float Y);
  /// The form's click step came first: the layer's control gets its MouseClick, then MouseUp.
  void MouseClick() { FClickPending = true; }
  void MouseUp(TMouseButton Button, TShiftState Shift, float X, float Y);
  void MouseWheel(TShiftState Shift, int WheelDelta, bool& Handled);
  /// The mouse left the view: no control on a layer is under it.
  void MouseLeave();
  /// The view lost the form's capture to another control: a layer's capture ends too.
  void CaptureLost();

  /// The layers of the scene in tree order; with Shown, those drawn (they and the objects above
  /// them visible) that hold controls.
  std::vector<TCustomLayer3D*> Layers(bool Shown = true) const;

 private:
  /// The layer whose dispatcher holds a capture, if any.
  TCustomLayer3D* CapturingLayer() const;
  /// Where the ray under P meets the layer's plane, as a distance along the ray (0 at the near
  /// plane) and a point of the layer's quad (0..Width, 0..Height).
  struct TPlaneHit {
    long double Distance;
    long double X, Y;
  };
  std::optional<TPlaneHit> PlaneHit(TCustomLayer3D& Layer, const TPointF& P) const;

  TViewport3D& FViewport;
  bool FClickPending = false;
};
