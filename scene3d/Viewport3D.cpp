#include "scene3d/Viewport3D.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

#include "scene3d/Camera.h"
#include "scene3d/Dummy.h"
#include "scene3d/Layer3D.h"
#include "scene3d/Light.h"
#include "scene3d/RenderingList.h"
#include "scene3d/context/ContextManager.h"
#include "scene3d/context/Texture.h"
#include "shell/canvas/Bitmap.h"
#include "shell/canvas/Canvas.h"
#include "shell/core/Exceptions.h"
#include "shell/forms/FormMessages.h"

namespace {
// Tag of the objects a viewport makes for itself.
constexpr int64_t cDesignCameraTag = 0xFFFE;
}  // namespace

const TTypeInfo& MultisampleTypeInfo() {
  static const TTypeInfo T = MakeNamedType("TMultisample", TTypeKind::Enumeration, {"None", "TwoSamples", "FourSamples"});
  return T;
}

const TMetaClass& TViewport3D::StaticClass() {
  return ClassRecord<TViewport3D>("TViewport3D", &TControl::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("Color", &TViewport3D::Color, &TViewport3D::SetColor, &TypeInfos::AlphaColor())
        .Default(TAlphaColors::White);
    B.Property("Multisample", &TViewport3D::Multisample, &TViewport3D::SetMultisample, &MultisampleTypeInfo())
        .Default(TMultisample::FourSamples);
    B.Property("UsingDesignCamera", &TViewport3D::UsingDesignCamera, &TViewport3D::SetUsingDesignCamera).Default(true);
    B.Property("Camera", &TViewport3D::Camera, [](TViewport3D& V, TCamera* C) { V.SetCamera(C); });
  });
}

TViewport3D::TViewport3D(TComponent* AOwner) : TControl(AOwner) {
  ResetDefaultSize();
  auto MakeOwn = [](TControl3D* Object) {
    Object->SetTag(cDesignCameraTag);
    Object->SetStored(false);
    Object->SetLocked(true);
  };
  FDesignCameraZ = new TDummy(this);
  MakeOwn(FDesignCameraZ);
  InsertObject(0, FDesignCameraZ);
  FDesignCameraX = new TDummy(this);
  MakeOwn(FDesignCameraX);
  FDesignCameraX->SetParent(FDesignCameraZ);
  FDesignCameraX->RotationAngle()->SetX(-20);
  FDesignCamera = new TCamera(this);
  MakeOwn(FDesignCamera);
  FDesignCamera->SetParent(FDesignCameraX);
  FDesignCamera->Position()->SetPoint(TPoint3D(0, 0, -20));
  FDesignCamera->SetAngleOfView(45);
  // A new scale of the form's window means surfaces of a new pixel size.
  FScaleChangedId = TMessageManager::DefaultManager().SubscribeToMessage<TScaleChangedMessage>(
      [this](TObject* Sender, const TMessageBase&) {
        if (Root() && Sender == Root()->GetRootObject()) ScaleChangedHandler();
      });
}

TViewport3D::~TViewport3D() = default;

void TViewport3D::BeforeDestruction() {
  Destroying();
  TMessageManager::DefaultManager().Unsubscribe<TScaleChangedMessage>(FScaleChangedId);
  // The children (the design camera with them) go first, then the surfaces.
  DeleteChildren();
  FreeSurfaces();
  FLights.clear();
  FRenderingList.clear();
  TControl::BeforeDestruction();
}

// --- properties ---

void TViewport3D::SetColor(TAlphaColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  Repaint();
}

void TViewport3D::SetMultisample(TMultisample Value) {
  if (FMultisample == Value) return;
  FMultisample = Value;
  if (FContext) RebuildSurfaces();
}

void TViewport3D::SetRepaintDamageOnly(bool Value) {
  FRepaintDamageOnly = Value;
  if (FContext) FContext->SetRepaintDamageOnly(Value);
}

void TViewport3D::NeedRender() {
  if (!Root() || !ParentedVisible()) return;
  FFrameWanted = true;
  Root()->RequestFrame(this);
}

void TViewport3D::SetUsingDesignCamera(bool Value) {
  if (FUsingDesignCamera == Value) return;
  FUsingDesignCamera = Value;
  if (FContext) NeedRender();
}

void TViewport3D::SetCamera(TCamera* Value) {
  if (FCamera == Value) return;
  if (FCamera) FCamera->RemoveFreeNotification(this);
  FCamera = Value;
  if (FCamera) FCamera->FreeNotification(this);
  if (FContext && !FUsingDesignCamera) NeedRender();
}

void TViewport3D::Notification(TComponent* AComponent, TOperation Operation) {
  TControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FCamera) FCamera = nullptr;
}

TCamera* TViewport3D::GetCurrentCamera() const {
  if (!FCamera || FUsingDesignCamera || ComponentState().Contains(csDesigning)) return FDesignCamera;
  return FCamera;
}

float TViewport3D::GetViewportScale() const { return Root() ? Root()->GetSceneScale() : 1.0f; }

void TViewport3D::AddLight(TLight* Light) {
  if (std::find(FLights.begin(), FLights.end(), Light) == FLights.end()) FLights.push_back(Light);
}

void TViewport3D::RemoveLight(TLight* Light) { FLights.erase(std::remove(FLights.begin(), FLights.end(), Light), FLights.end()); }

// --- tree ---

void TViewport3D::RebuildRenderingList() {
  if (IsUpdating()) {
    FRenderingListStale = true;
    return;
  }
  FRenderingListStale = false;
  FRenderingList.clear();
  for (TTreeObject* Child : ChildList())
    if (auto* C = dynamic_cast<TControl3D*>(Child)) FRenderingList.push_back(C);
  SortRenderingList(FRenderingList);
}

void TViewport3D::EndUpdate() {
  TControl::EndUpdate();
  if (IsUpdating() || !FRenderingListStale) return;
  RebuildRenderingList();
  Repaint();
}

void TViewport3D::ChildAdded(TTreeObject* AObject) {
  if (auto* C = dynamic_cast<TControl3D*>(AObject)) {
    C->SetNewViewport(this);
    C->RecalcAbsolute();
    C->RecalcOpacity();
    RebuildRenderingList();
  }
}

void TViewport3D::DoAddObject(TTreeObject* AObject) {
  TControl::DoAddObject(AObject);
  ChildAdded(AObject);
}

void TViewport3D::DoInsertObject(int Index, TTreeObject* AObject) {
  TControl::DoInsertObject(Index, AObject);
  ChildAdded(AObject);
}

void TViewport3D::DoRemoveObject(TTreeObject* AObject) {
  TControl::DoRemoveObject(AObject);
  if (auto* C = dynamic_cast<TControl3D*>(AObject)) {
    C->SetNewViewport(nullptr);
    // Inside an update bracket the order is kept, but no frame may reach a child that left.
    std::erase(FRenderingList, C);
    RebuildRenderingList();
    Repaint();
  }
}

// --- surfaces ---

void TViewport3D::FreeSurfaces() {
  FSurfacesPending = false;
  FBitmap.reset();
  FTexture.reset();
  FContext.reset();
  FSurfaceCharge.Clear();
}

void TViewport3D::RebuildSurfaces() {
  FreeSurfaces();
  const float S = GetViewportScale();
  FTexture = std::make_unique<TTexture>();
  FTexture->SetStyle(TTextureStyle::RenderTarget);
  FTexture->SetTextureScale(S);
  // Pixels at the window's scale; a view beyond the largest bitmap is drawn at the largest size
  // of its shape that fits and stretched over the view, so nothing larger is ever allocated.
  long double W = static_cast<long double>(S) * Width(), H = static_cast<long double>(S) * Height();
  // A side that is not a positive finite number gives no surfaces.
  W = W > 0 && std::isfinite(W) ? std::nearbyint(W) : 0;
  H = H > 0 && std::isfinite(H) ? std::nearbyint(H) : 0;
  const long double Side = TBitmap::MaxSide, Pixels = TBitmap::MaxPixels;
  if (W > 0 && H > 0 && (W > Side || H > Side || W * H > Pixels)) {
    const long double Fit = std::min({Side / W, Side / H, std::sqrt(Pixels / (W * H))});
    W = std::clamp(std::nearbyint(W * Fit), 1.0L, Side);
    H = std::clamp(std::nearbyint(H * Fit), 1.0L, Side);
    if (W * H > Pixels) H = std::floor(Pixels / W);
  }
  // An empty side makes the view empty whatever the other is, but that one must still be a size.
  W = std::min(W, Side);
  H = std::min(H, Side);
  // Likewise within what the process's pixel budget has left (this view's surfaces were given
  // back above): the texture and the bitmap the frame is read back into, 8 bytes a pixel.
  const long double Room = static_cast<long double>(TPixelBudget::Available()) / 8;
  if (W > 0 && H > 0 && W * H > Room) {
    const long double Fit = std::sqrt(Room / (W * H));
    W = std::max(1.0L, std::floor(W * Fit));
    H = std::max(1.0L, std::floor(H * Fit));
  }
  FSurfaceCharge.Set(static_cast<int64_t>(W), static_cast<int64_t>(H));
  FTexture->SetSize(static_cast<int>(W), static_cast<int>(H));
  FContext = TContextManager::CreateContextFromTexture(FTexture.get(), FMultisample, true);
  FContext->SetRepaintDamageOnly(FRepaintDamageOnly);
  FBitmap = std::make_unique<TBitmap>(FContext->Width(), FContext->Height());
}

void TViewport3D::MakePendingSurfaces() const {
  // A view that goes before its first paint never needs them (its children, leaving, still ask).
  if (!FSurfacesPending || ComponentState().Contains(csDestroying)) return;
  // Whoever asks for a surface gets it as Loaded would have made it.
  const_cast<TViewport3D*>(this)->RebuildSurfaces();
}

TContext3D* TViewport3D::GetContext() const {
  MakePendingSurfaces();
  return FContext.get();
}

TTexture* TViewport3D::Texture() const {
  MakePendingSurfaces();
  return FTexture.get();
}

TBitmap* TViewport3D::Bitmap() const {
  MakePendingSurfaces();
  return FBitmap.get();
}

void TViewport3D::DoScaleChanged() {
  // Surfaces still put off are made at the scale of the moment they are made.
  if (!FSurfacesPending) RebuildSurfaces();
  // Layers paint at the viewport's scale: their surfaces are made anew at the new pixel size.
  std::function<void(TTreeObject*)> Rescale = [&Rescale](TTreeObject* Object) {
    for (TTreeObject* Child : Object->ChildList()) {
      if (auto* Layer = dynamic_cast<TAbstractLayer3D*>(Child)) Layer->ViewportScaleChanged();
      Rescale(Child);
    }
  };
  Rescale(this);
  NeedRender();
}

void TViewport3D::Resize() {
  TControl::Resize();
  // A size read from the stored form waits for Loaded, when the whole scene is there.
  if (IsLoading() || FSurfacesPending) return;
  RebuildSurfaces();
}

void TViewport3D::Loaded() {
  TControl::Loaded();
  // Making the context waits for the device; while a worker still makes it, the main thread
  // has better things to do first (create and show the window, read the rest of the form).
  if (TContextManager::DevicePending()) FSurfacesPending = true;
  else RebuildSurfaces();
}

// --- frames ---

TPoint3D TViewport3D::ProjectToFrame(const TPoint3D& P) {
  if (!GetContext()) throw EInvalidOperation("The viewport has no drawing context");
  // The matrices a frame would set: the current camera's view and its angle of view.
  TCamera* C = GetCurrentCamera();
  FContext->SetCameraMatrix(C->GetCameraMatrix());
  FContext->SetCameraAngleOfView(C->AngleOfView());
  const TVector3D Clip = TVector3D(P, 1) * FContext->CurrentCameraMatrix() * FContext->GetProjectionMatrix();
  const long double W = Clip.W;
  return TPoint3D(static_cast<float>((Clip.X / W + 1) / 2 * FContext->Width()),
                  static_cast<float>((1 - Clip.Y / W) / 2 * FContext->Height()), static_cast<float>(Clip.Z / W));
}

bool TViewport3D::RayAt(const TPointF& P, TPoint3D& Near, TPoint3D& Far) {
  if (!GetContext() || !(Width() > 0) || !(Height() > 0)) return false;
  TCamera* C = GetCurrentCamera();
  FContext->SetCameraMatrix(C->GetCameraMatrix());
  FContext->SetCameraAngleOfView(C->AngleOfView());
  const TMatrix3D Unproject = (FContext->CurrentCameraMatrix() * FContext->GetProjectionMatrix()).Inverse();
  // The frame covers the view whatever its pixel size: normalised device coordinates follow
  // the logical point.
  const float X = static_cast<float>(static_cast<long double>(P.X) / Width() * 2 - 1);
  const float Y = static_cast<float>(1 - static_cast<long double>(P.Y) / Height() * 2);
  auto At = [&](float Depth) {
    const TVector3D V = TVector3D(X, Y, Depth, 1) * Unproject;
    const long double W = V.W;
    return TPoint3D(static_cast<float>(V.X / W), static_cast<float>(V.Y / W), static_cast<float>(V.Z / W));
  };
  // Depth 0.5 lies a little beyond the near plane: far enough for a direction, near enough to
  // keep the points' precision.
  Near = At(0);
  Far = At(0.5f);
  return true;
}

void TViewport3D::MouseDown(TMouseButton Button, TShiftState Shift, float X, float Y) {
  TControl::MouseDown(Button, Shift, X, Y);
  FLayerInput.MouseDown(Button, Shift, X, Y);
}

void TViewport3D::MouseMove(TShiftState Shift, float X, float Y) {
  TControl::MouseMove(Shift, X, Y);
  FLayerInput.MouseMove(Shift, X, Y);
}

void TViewport3D::MouseClick(TMouseButton Button, TShiftState Shift, float X, float Y) {
  FLayerInput.MouseClick();
  TControl::MouseClick(Button, Shift, X, Y);
}

void TViewport3D::MouseUp(TMouseButton Button, TShiftState Shift, float X, float Y) {
  TControl::MouseUp(Button, Shift, X, Y);
  FLayerInput.MouseUp(Button, Shift, X, Y);
}

void TViewport3D::MouseWheel(TShiftState Shift, int WheelDelta, bool& Handled) {
  TControl::MouseWheel(Shift, WheelDelta, Handled);
  if (!Handled) FLayerInput.MouseWheel(Shift, WheelDelta, Handled);
}

void TViewport3D::DoMouseLeave() {
  TControl::DoMouseLeave();
  FLayerInput.MouseLeave();
}

void TViewport3D::DoCaptureLost() {
  TControl::DoCaptureLost();
  FLayerInput.CaptureLost();
}

void TViewport3D::RenderFrame() {
  MakePendingSurfaces();
  if (!FContext) return;
  FLastRepaint = FLastDamage = {0, 0, FBitmap->Width(), FBitmap->Height()};
  if (FContext->BeginScene()) {
    try {
      FContext->SetContextState(csScissorOff);
      FContext->Clear(TClearTargets{TClearTarget::Color, TClearTarget::Depth}, FColor, 1.0f, 0);
      TCamera* C = GetCurrentCamera();
      FContext->SetCameraMatrix(C->GetCameraMatrix());
      FContext->SetCameraAngleOfView(C->AngleOfView());
      FContext->Lights().clear();
      for (TLight* Light : FLights) FContext->Lights().push_back(Light->GetLightDescription());
      for (TControl3D* Object : FRenderingList)
        if (Object->Visible()) Object->RenderInternal();
    } catch (...) {
      FContext->EndScene();
      // The bitmap misses what the target got: the next frame is drawn whole.
      FContext->ForgetLastFrame();
      throw;
    }
    FContext->EndScene();
    FLastRepaint = FContext->LastRepaint();
    FLastDamage = FContext->LastDamage();
  }
  FContext->CopyToBitmap(*FBitmap, FLastRepaint);
}

TRectF TViewport3D::LocalRectOf(const TTargetRect& Rect) const {
  if (Rect.IsEmpty() || !FBitmap || FBitmap->IsEmpty()) return {};
  const TRectF Source = SourceRect();
  const float SX = Width() / Source.Width(), SY = Height() / Source.Height();
  return TRectF::Intersect(TRectF((Rect.Left - 1) * SX, (Rect.Top - 1) * SY, (Rect.Right + 1) * SX, (Rect.Bottom + 1) * SY),
                           LocalRect());
}

void TViewport3D::PrepareFrame() {
  if (!FFrameWanted || FDrawing) return;
  FFrameWanted = false;
  FFrameReady = false;
  MakePendingSurfaces();
  if (!FContext) {
    Repaint();
    return;
  }
  FDrawing = true;
  try {
    RenderFrame();
  } catch (...) {
    FDrawing = false;
    // The paint draws the frame again, and meets the error where it is shown.
    Repaint();
    throw;
  }
  FDrawing = false;
  const TRectF Changed = LocalRectOf(FLastDamage);
  if (Changed.IsEmpty()) return;
  FFrameReady = true;
  InvalidateRect(Changed);
}

void TViewport3D::Paint() {
  if (FDrawing) return;  // frames never nest
  FDrawing = true;
  try {
    // The layers' surfaces are not painted ahead of the device: they go to it in bands, never
    // whole beside the texture, which costs less memory and no more time than painting them
    // while the device is made.
    MakePendingSurfaces();
    // A frame drawn for this paint by PrepareFrame is shown as it is.
    if (FContext && !std::exchange(FFrameReady, false)) {
      if (TCanvas* C = Canvas()) C->Flush();
      FFrameWanted = false;
      RenderFrame();
      // What changed beyond the parts this paint covers is marked for a paint of its own.
      const TRectF Changed = LocalRectOf(FLastDamage);
      if (TCanvas* C = Canvas(); C && !Changed.IsEmpty() && !C->ClipRects().empty()) {
        // Only what the canvas shows can be painted: a part beyond it (a view larger than a
        // tiny window) marked again would ask for paints forever.
        const TRectF Shown(C->OriginX() / C->Scale(), C->OriginY() / C->Scale(), (C->OriginX() + C->Width()) / C->Scale(),
                           (C->OriginY() + C->Height()) / C->Scale());
        const TRectF Absolute = TRectF::Intersect(
            TRectF::FromSize(LocalToAbsolute(Changed.TopLeft()), TSizeF(Changed.Width(), Changed.Height())), Shown);
        // A logical pixel of slack: the view laid out in whole logical pixels may reach a
        // fraction of one beyond a client area of fractional logical size, and the changed
        // part carries more than that of margin.
        const bool Covered = std::any_of(C->ClipRects().begin(), C->ClipRects().end(), [&Absolute](const TRectF& R) {
          return R.Left <= Absolute.Left + 1 && R.Top <= Absolute.Top + 1 && R.Right + 1 >= Absolute.Right &&
                 R.Bottom + 1 >= Absolute.Bottom;
        });
        if (!Absolute.IsEmpty() && !Covered) InvalidateRect(Changed);
      }
    }
  } catch (...) {
    FDrawing = false;
    throw;
  }
  FDrawing = false;
  if (FContext && FBitmap)
    if (TCanvas* C = Canvas()) C->DrawBitmap(*FBitmap, SourceRect(), LocalRect(), AbsoluteOpacity(), true);
}

TRectF TViewport3D::SourceRect() const {
  // The surfaces have the view's size in pixels rounded to whole ones: the view's own size in
  // pixels is taken from them, pixel for pixel, so that no column or row is dropped or doubled
  // and a part painted alone gets the pixels a paint of everything gives. Stretched over the
  // view, a scale just off 1 picks its pixels by where the painted part starts.
  const float S = GetViewportScale();
  const float W = Width() * S, H = Height() * S;
  const TRectF Bounds = FBitmap->Bounds();
  if (std::fabs(W - Bounds.Width()) < 1 && std::fabs(H - Bounds.Height()) < 1) return TRectF(0, 0, W, H);
  // Surfaces cut to what fits are stretched over the whole view.
  return Bounds;
}
