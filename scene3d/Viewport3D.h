#pragma once
#include <memory>
#include <vector>

#include "shell/core/Export.h"
#include "scene3d/Control3D.h"
#include "scene3d/ViewportInput.h"
#include "scene3d/context/Context3D.h"
#include "shell/canvas/PixelBudget.h"
#include "shell/controls/Control.h"

class TBitmap;
class TCamera;
class TDummy;
class TLight;
class TTexture;

KELVANE_API const TTypeInfo& MultisampleTypeInfo();

/// TViewport3D: the 2D control that shows a 3D scene. It renders the scene through its camera
/// into an offscreen target whenever the form repaints its area, reads the frame back into a
/// bitmap and draws that bitmap over its rectangle. A change in the scene asks the form for a
/// frame: drawn before the paint, it repaints, reads back and marks in the window only the part
/// that can differ from the frame before (TContext3D::LastRepaint).
class KELVANE_API TViewport3D : public TControl, public IViewport3D {
  KLV_CLASS(TViewport3D)
 public:
  explicit TViewport3D(TComponent* AOwner);
  ~TViewport3D() override;

  TAlphaColor Color() const { return FColor; }
  void SetColor(TAlphaColor Value);
  TMultisample Multisample() const { return FMultisample; }
  void SetMultisample(TMultisample Value);
  bool UsingDesignCamera() const { return FUsingDesignCamera; }
  void SetUsingDesignCamera(bool Value);
  TCamera* Camera() const { return FCamera; }

  /// IViewport3D
  /// Makes the surfaces first if they were put off (see Loaded).
  TContext3D* GetContext() const override;
  TCamera* GetCurrentCamera() const override;
  bool GetUsingDesignCamera() const override { return FUsingDesignCamera; }
  TCamera* GetCamera() const override { return FCamera; }
  void SetCamera(TCamera* Value) override;
  float GetViewportScale() const override;
  int GetLightCount() const override { return static_cast<int>(FLights.size()); }
  TLight* GetLight(int Index) const override { return FLights.at(static_cast<size_t>(Index)); }
  void AddLight(TLight* Light) override;
  void RemoveLight(TLight* Light) override;
  /// Asks the form for a frame (see PrepareFrame).
  void NeedRender() override;

  TDummy* DesignCameraZ() const { return FDesignCameraZ; }
  TDummy* DesignCameraX() const { return FDesignCameraX; }
  TCamera* DesignCamera() const { return FDesignCamera; }
  TTexture* Texture() const;
  TBitmap* Bitmap() const;
  const std::vector<TControl3D*>& RenderingList() const { return FRenderingList; }
  bool Drawing() const { return FDrawing; }
  /// Whether frames repaint only what can differ from the frame before (the default), or the
  /// whole view; the pictures are the same.
  bool RepaintDamageOnly() const { return FRepaintDamageOnly; }
  void SetRepaintDamageOnly(bool Value);
  /// The part of the bitmap (its pixels) that the last frame repainted, and the part where it can
  /// differ from the frame before (the same unless whole frames are repainted).
  const TTargetRect& LastRepaint() const { return FLastRepaint; }
  const TTargetRect& LastDamage() const { return FLastDamage; }
  /// Draws the frame asked for since the last one and marks in the form the part of the view it
  /// changed; the paint that follows shows it without drawing it again.
  void PrepareFrame() override;

  /// Sorts the viewport's 3D children into drawing order; put off while the viewport is inside
  /// an update bracket, whose outermost EndUpdate sorts them once.
  void RebuildRenderingList();
  void EndUpdate() override;
  /// Draws one frame into the bitmap, without the canvas step; what Paint does first.
  void RenderFrame();
  /// Where scene point P lands in the frame through the current camera and projection: pixel
  /// X and Y from the top left of the target, and the depth, in Z. Needs a context.
  TPoint3D ProjectToFrame(const TPoint3D& P);
  /// The ray under P (the view's local logical coordinates) through the same camera and
  /// projection: its points on the near plane and further along it, in scene coordinates. False
  /// without a context or a size.
  bool RayAt(const TPointF& P, TPoint3D& Near, TPoint3D& Far);
  /// Hands the mouse to the controls on the scene's layers.
  TViewportInput& LayerInput() { return FLayerInput; }
  /// The window's scale changed: the surfaces, and those of the layers in the scene, are rebuilt
  /// for it.
  void ScaleChangedHandler() { DoScaleChanged(); }

  /// Makes the surfaces, unless the 3D device is still being made in the background: then they
  /// are made when first asked for, at the latest by the first paint, which paints the layers'
  /// surfaces before it waits for the device.
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  TSizeF GetDefaultSize() const override { return {100, 100}; }
  void Paint() override;
  void Resize() override;
  /// The view's own mouse handling, then the layers' controls'.
  void MouseDown(TMouseButton Button, TShiftState Shift, float X, float Y) override;
  void MouseMove(TShiftState Shift, float X, float Y) override;
  void MouseClick(TMouseButton Button, TShiftState Shift, float X, float Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, float X, float Y) override;
  void MouseWheel(TShiftState Shift, int WheelDelta, bool& Handled) override;
  void DoMouseLeave() override;
  void DoCaptureLost() override;
  virtual void DoScaleChanged();
  void DoAddObject(TTreeObject* AObject) override;
  void DoInsertObject(int Index, TTreeObject* AObject) override;
  void DoRemoveObject(TTreeObject* AObject) override;
  void BeforeDestruction() override;

 private:
  void RebuildSurfaces();
  /// Makes the surfaces that Loaded put off, if any.
  void MakePendingSurfaces() const;
  void FreeSurfaces();
  void ChildAdded(TTreeObject* AObject);
  /// The view's local rectangle over Rect of the bitmap, a pixel wider on every side for the
  /// rounding of its place in the window.
  TRectF LocalRectOf(const TTargetRect& Rect) const;
  /// The part of the bitmap drawn over the view (see Paint).
  TRectF SourceRect() const;

  TAlphaColor FColor = TAlphaColors::White;
  TMultisample FMultisample = TMultisample::FourSamples;
  bool FUsingDesignCamera = true;
  TCamera* FCamera = nullptr;
  TDummy* FDesignCameraZ = nullptr;
  TDummy* FDesignCameraX = nullptr;
  TCamera* FDesignCamera = nullptr;
  std::unique_ptr<TTexture> FTexture;
  std::unique_ptr<TContext3D> FContext;
  std::unique_ptr<TBitmap> FBitmap;
  /// The texture's pixels, from the process's pixel budget (the bitmap holds its own).
  TPixelCharge FSurfaceCharge;
  std::vector<TControl3D*> FRenderingList;
  std::vector<TLight*> FLights;
  bool FDrawing = false;
  /// A rebuild of the drawing order was put off by an update bracket.
  bool FRenderingListStale = false;
  bool FRepaintDamageOnly = true;
  /// A frame was asked for (NeedRender) and not drawn yet; one was drawn by PrepareFrame for the
  /// paint to come.
  bool FFrameWanted = false;
  bool FFrameReady = false;
  TTargetRect FLastRepaint, FLastDamage;
  /// The surfaces wait for the device being made in the background (see Loaded).
  mutable bool FSurfacesPending = false;
  int64_t FScaleChangedId = 0;
  TViewportInput FLayerInput{*this};
};
