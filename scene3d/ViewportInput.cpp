#include "scene3d/ViewportInput.h"

#include <cmath>
#include <functional>

#include "scene3d/Layer3D.h"
#include "scene3d/Viewport3D.h"

namespace {
bool HoldsControls(TCustomLayer3D& Layer) {
  for (TTreeObject* Child : Layer.ChildList())
    if (auto* C = dynamic_cast<TControl*>(Child); C && C != Layer.ResourceLink()) return true;
  return false;
}
}  // namespace

std::vector<TCustomLayer3D*> TViewportInput::Layers(bool Shown) const {
  std::vector<TCustomLayer3D*> Found;
  std::function<void(TTreeObject*)> Walk = [&](TTreeObject* Object) {
    for (TTreeObject* Child : Object->ChildList()) {
      auto* C = dynamic_cast<TControl3D*>(Child);
      // A hidden object hides what it holds, as in its drawing.
      if (!C || (Shown && !C->Visible())) continue;
      if (auto* Layer = dynamic_cast<TCustomLayer3D*>(C); Layer && (!Shown || HoldsControls(*Layer)))
        Found.push_back(Layer);
      Walk(C);
    }
  };
  Walk(&FViewport);
  return Found;
}

std::optional<TViewportInput::TPlaneHit> TViewportInput::PlaneHit(TCustomLayer3D& Layer, const TPointF& P) const {
  TPoint3D Near, Far;
  if (!FViewport.RayAt(P, Near, Far)) return std::nullopt;
  // In the layer's own frame its quad lies in Z = 0 from (0, 0) to (Width, Height); an affine
  // map keeps the ray's parameter, so distances compare across layers.
  const TPoint3D A = Layer.AbsoluteToLocal3D(Near), B = Layer.AbsoluteToLocal3D(Far);
  const long double Dx = static_cast<long double>(B.X) - A.X, Dy = static_cast<long double>(B.Y) - A.Y;
  const long double Dz = static_cast<long double>(B.Z) - A.Z;
  // Edge-on: the ray runs along the plane (up to the rounding of its points) and meets no point
  // of the surface.
  if (std::fabs(Dz) <= 1e-6L * std::sqrt(Dx * Dx + Dy * Dy + Dz * Dz)) return std::nullopt;
  // The drawing culls the back of a one-sided layer: the side that faces +Z.
  if (!Layer.TwoSide() && Dz < 0) return std::nullopt;
  const long double T = -static_cast<long double>(A.Z) / Dz;
  if (T < 0) return std::nullopt;
  return TPlaneHit{T, A.X + T * Dx, A.Y + T * Dy};
}

std::optional<TPointF> TViewportInput::SurfacePoint(TCustomLayer3D& Layer, const TPointF& P) const {
  if (!(Layer.Width() > 0) || !(Layer.Height() > 0)) return std::nullopt;
  const std::optional<TPlaneHit> Hit = PlaneHit(Layer, P);
  if (!Hit) return std::nullopt;
  return TPointF(static_cast<float>(Hit->X / Layer.Width() * Layer.LayerWidth()),
                 static_cast<float>(Hit->Y / Layer.Height() * Layer.LayerHeight()));
}

TViewportInput::THit TViewportInput::LayerAt(const TPointF& P) const {
  THit Best;
  long double BestDistance = 0;
  for (TCustomLayer3D* Layer : Layers()) {
    if (!Layer->HitTest() || !(Layer->Width() > 0) || !(Layer->Height() > 0)) continue;
    const std::optional<TPlaneHit> Hit = PlaneHit(*Layer, P);
    if (!Hit || Hit->X < 0 || Hit->Y < 0 || Hit->X > Layer->Width() || Hit->Y > Layer->Height()) continue;
    if (Best.Layer && Hit->Distance >= BestDistance) continue;
    BestDistance = Hit->Distance;
    Best.Layer = Layer;
    Best.Point = TPointF(static_cast<float>(Hit->X / Layer->Width() * Layer->LayerWidth()),
                         static_cast<float>(Hit->Y / Layer->Height() * Layer->LayerHeight()));
  }
  return Best;
}

TCustomLayer3D* TViewportInput::CapturingLayer() const {
  for (TCustomLayer3D* Layer : Layers(false))
    if (Layer->Input().Captured()) return Layer;
  return nullptr;
}

void TViewportInput::MouseDown(TMouseButton Button, TShiftState Shift, float X, float Y) {
  const THit Hit = LayerAt(TPointF(X, Y));
  if (!Hit.Layer) return;
  Hit.Layer->Input().MouseDown(Button, Shift, Hit.Point.X, Hit.Point.Y);
  // A control on the layer that took the capture follows the mouse out of the view: the view
  // holds the form's capture for it.
  if (Hit.Layer->Input().Captured()) FViewport.Capture();
}

void TViewportInput::MouseMove(TShiftState Shift, float X, float Y) {
  const TPointF P(X, Y);
  if (TCustomLayer3D* Holder = CapturingLayer()) {
    if (const std::optional<TPointF> S = SurfacePoint(*Holder, P)) Holder->Input().MouseMove(Shift, S->X, S->Y);
    return;
  }
  const THit Hit = LayerAt(P);
  for (TCustomLayer3D* Layer : Layers(false))
    if (Layer != Hit.Layer) Layer->Input().MouseLeave();
  if (Hit.Layer) Hit.Layer->Input().MouseMove(Shift, Hit.Point.X, Hit.Point.Y);
}

void TViewportInput::MouseUp(TMouseButton Button, TShiftState Shift, float X, float Y) {
  const bool DoClick = FClickPending;
  FClickPending = false;
  const TPointF P(X, Y);
  if (TCustomLayer3D* Holder = CapturingLayer()) {
    // Seen edge-on the plane gives no point: the release still ends the press, where it began.
    const TPointF S = SurfacePoint(*Holder, P).value_or(Holder->Input().MousePos());
    Holder->Input().MouseUp(Button, Shift, S.X, S.Y, DoClick);
    return;
  }
  const THit Hit = LayerAt(P);
  if (Hit.Layer) Hit.Layer->Input().MouseUp(Button, Shift, Hit.Point.X, Hit.Point.Y, DoClick);
}

void TViewportInput::MouseWheel(TShiftState Shift, int WheelDelta, bool& Handled) {
  if (TCustomLayer3D* Holder = CapturingLayer()) {
    Holder->Input().MouseWheel(Shift, WheelDelta, Handled);
    return;
  }
  const TPointF Mouse = FViewport.Root() ? FViewport.AbsoluteToLocal(FViewport.Root()->GetMousePos()) : TPointF();
  const THit Hit = LayerAt(Mouse);
  if (!Hit.Layer) return;
  Hit.Layer->Input().SetMousePos(Hit.Point);
  Hit.Layer->Input().MouseWheel(Shift, WheelDelta, Handled);
}

void TViewportInput::MouseLeave() {
  for (TCustomLayer3D* Layer : Layers(false)) Layer->Input().MouseLeave();
}

void TViewportInput::CaptureLost() {
  for (TCustomLayer3D* Layer : Layers(false))
    if (Layer->Input().Captured()) Layer->Input().EndCapture();
}
