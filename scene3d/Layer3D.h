#pragma once
// The layer in 3D: a 2D surface painted with the canvas (a fill, a style background, 2D
// controls, an OnPaint handler) and shown as a flat textured rectangle that moves and turns
// like any 3D object. TAbstractLayer3D holds the surface geometry, TCustomBufferLayer3D the
// bitmap and its texture, TCustomLayer3D the 2D side, TLayer3D publishes it.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/core/Export.h"
#include "scene3d/Control3D.h"
#include "shell/canvas/Brush.h"
#include "shell/canvas/PixelBudget.h"
#include "shell/controls/InputDispatcher.h"
#include "shell/controls/Root.h"
#include "shell/core/Geometry2D.h"
#include "shell/layout/Align.h"
#include "shell/layout/Bounds.h"

class TBitmap;
class TCanvas;
class TContext3D;
class TControl;
class TTexture;

/// The geometry of a layer's surface: a flat rectangle of Width by Height units, facing the camera
/// until turned.
class KELVANE_API TAbstractLayer3D : public TControl3D {
  KLV_CLASS(TAbstractLayer3D)
 public:
  explicit TAbstractLayer3D(TComponent* AOwner);
  ~TAbstractLayer3D() override;

  int Resolution() const { return FResolution; }
  /// Kept in [1, 256]; the surface follows. Where the surface passes the bitmap limits, the
  /// buffer takes the largest scale that fits (a coarser texture).
  void SetResolution(int Value);
  /// A size whose surface would exceed the bitmap limits (TBitmap::MaxSide on a side,
  /// TBitmap::MaxPixels in all) even at resolution 1, or a size or resolution whose buffer
  /// would pass the process's pixel budget, is refused with EArgumentOutOfRangeException and not
  /// stored. While loading, the surface is checked once in Loaded, for the final values, and a
  /// refusal is reported as an error reading the size.
  void SetWidth(float Value) override;
  void SetHeight(float Value) override;
  int LayerWidth() const { return FLayerWidth; }
  int LayerHeight() const { return FLayerHeight; }
  /// The whole surface in logical pixels: (0, 0, LayerWidth, LayerHeight).
  TRectF SurfaceRect() const { return TRectF(0, 0, static_cast<float>(FLayerWidth), static_cast<float>(FLayerHeight)); }
  /// Always 0.
  void SetDepth(float Value) override;
  TBounds* Padding() const { return FPadding.get(); }
  void SetPadding(TBounds* Value) { FPadding->Assign(Value); }
  TBounds* Margins() const { return FMargins.get(); }
  void SetMargins(TBounds* Value) { FMargins->Assign(Value); }

  void Loaded() override;
  /// The viewport's scale changed: the surface is made anew at the new pixel size.
  void ViewportScaleChanged() { Resize3D(); }

 protected:
  /// Recomputes the surface size from Width, Height and Resolution, then places the layer.
  void Resize3D() override;
  /// The surface's new logical size; the buffer layer resizes its bitmap.
  virtual void ResizeLayer() {}
  /// The bytes of the process's pixel budget the surface holds now (its device copy).
  virtual int64_t SurfaceBytesHeld() const { return 0; }
  /// Places the rectangle: centred on Position, turned by the quaternion, scaled.
  void MatrixChanged() override;

 private:
  /// Raises when the surface of this size would exceed the limits at resolution 1, or when the
  /// buffer at scale 1 would pass the process's pixel budget; gives the offending size.
  void CheckSurface(int AResolution, float AWidth, float AHeight) const;

  int FResolution = 50;
  int FLayerWidth = 0, FLayerHeight = 0;
  std::unique_ptr<TBounds> FPadding;
  std::unique_ptr<TBounds> FMargins;
};

/// The buffer's pixels live in its texture. A device that keeps texture pixels itself takes the
/// surface in bands as it is painted, and no bitmap of the whole surface exists until one is
/// asked for (Buffer); other devices, and every layer once its bitmap was asked for, paint into
/// the bitmap and upload it whole.
class KELVANE_API TCustomBufferLayer3D : public TAbstractLayer3D {
  KLV_CLASS(TCustomBufferLayer3D)
 public:
  explicit TCustomBufferLayer3D(TComponent* AOwner);
  ~TCustomBufferLayer3D() override;

  /// The bitmap of the whole surface, made on first use with the surface painted into it, and
  /// kept from then on.
  TBitmap* Buffer();
  /// Whether Buffer was called: a bitmap nobody asked for, painted while no device could take
  /// bands, goes to the texture in bands once one can and is then let go.
  bool BufferAskedFor() const { return FBufferAskedFor; }
  bool HasBuffer() const { return FBuffer != nullptr; }
  /// The buffer's size in pixels and its scale, known without making the bitmap.
  int BufferWidth() const { return FBufferWidth; }
  int BufferHeight() const { return FBufferHeight; }
  float BufferScale() const { return FBufferScale; }
  /// The GPU side of the buffer, uploaded when the bitmap has changed.
  TTexture* BufferTexture();

 protected:
  void ResizeLayer() override;
  int64_t SurfaceBytesHeld() const override { return FSurfaceCharge.Bytes(); }
  /// Two textured triangles covering Width × Height.
  void Render() override;
  /// The bitmap was just made, blank, by Buffer or OwnBuffer.
  virtual void BufferMade() {}
  /// The bitmap, made as Buffer makes it, for the layer's own painting: not counted as asked for.
  TBitmap& OwnBuffer();
  /// Frees the bitmap.
  void DropBuffer();
  TTexture& LayerTexture() const { return *FTexture; }

 private:
  std::unique_ptr<TBitmap> FBuffer;
  std::unique_ptr<TTexture> FTexture;
  /// The texture's pixels, held from the pixel budget from the moment the size is known.
  TPixelCharge FSurfaceCharge;
  int FBufferWidth = 0, FBufferHeight = 0;
  float FBufferScale = 1;
  bool FBufferAskedFor = false;
};

using TLayerPaintEvent = TEvent<TObject*, TCanvas*, const TRectF&>;
namespace TypeInfos {
KELVANE_API const TTypeInfo& LayerPaintEvent();
}

/// The 2D controls placed on the layer have it as their root: they paint on its surface, mark
/// parts of it for repainting and are aligned inside it. The viewport hands them the mouse in
/// surface coordinates through the layer's input dispatcher, which keeps their capture and
/// hover; their focus is the form's, so that keys and Tab reach them as any control.
class KELVANE_API TCustomLayer3D : public TCustomBufferLayer3D, public IRoot, public IAlignRoot {
  KLV_CLASS(TCustomLayer3D)
 public:
  explicit TCustomLayer3D(TComponent* AOwner);
  ~TCustomLayer3D() override;

  /// The height of the bands a surface is painted in, in rows, for a surface of Width pixels:
  /// about a megabyte of pixels, at least one row.
  static int BandRows(int Width);

  TBrush* Fill() const { return FFill.get(); }
  /// Copies the brush; any change of it repaints the whole surface.
  void SetFill(TBrush* Value) { FFill->Assign(Value); }
  bool Transparency() const { return FTransparency; }
  void SetTransparency(bool Value);
  const std::string& StyleLookup() const { return FStyleLookup; }
  void SetStyleLookup(const std::string& Value);
  TComponent* StyleBook() const { return FStyleBook; }
  void SetStyleBook(TComponent* Value);
  TControl* ResourceLink() const { return FResourceLink; }
  bool NeedStyleLookup() const { return FNeedStyleLookup; }
  const std::vector<TRectF>& UpdateRects() const { return FUpdateRects; }
  bool Drawing() const { return FDrawing; }
  /// The canvas painting the surface while it is painted (for a band, its own); otherwise the
  /// canvas of the whole bitmap, which is then made.
  TCanvas* Canvas();

  /// Marks the whole surface for repainting.
  void Invalidate();
  /// Marks R (logical surface pixels, widened to whole pixels) and asks for a frame.
  void AddUpdateRect(const TRectF& R) override;
  void DisableUpdating() { ++FDisableUpdating; }
  /// Raises "Invalid IScene.DisableUpdating/IScene.EnableUpdating call pair" when unbalanced.
  void EnableUpdating();
  /// How many times frames have painted the surface: frames that find no mark paint nothing.
  /// Painting a bitmap asked for after the frames painted in bands is not counted.
  int PaintCount() const { return FPaintCount; }

  void SetVisible(bool Value) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

  TLayerPaintEvent OnPaint;

  /// IRoot: the form above the layer (the layer itself without one) answers for styles.
  TTreeObject* GetRootObject() override;
  TCanvas* GetCanvas() override;
  float GetSceneScale() override;
  /// The focus is the form's when the layer is in one, else the layer's own.
  TControl* GetFocused() override;
  void SetFocused(TControl* Value) override;
  TControl* GetCaptured() override { return FInput.Captured(); }
  void SetCaptured(TControl* Value) override { FInput.SetCaptured(Value); }
  bool ReleaseEndsCapture(TMouseButton Button, TShiftState Shift) override {
    return FInput.ReleaseEndsCapture(Button, Shift);
  }
  TControl* GetHovered() override { return FInput.Hovered(); }
  /// In surface coordinates.
  TPointF GetMousePos() override { return FInput.MousePos(); }
  void ControlRemoved(TControl* Control) override;
  void SetModalResult(int Value) override;
  /// Shown (the layer and the 3D objects above it visible) in a viewport.
  bool ControlsTakeInput() override;
  /// The mouse over the layer, in surface coordinates (logical pixels from its top left).
  TInputDispatcher& Input() { return FInput; }
  /// Leaving a viewport, the controls leave its form: it forgets them as focused.
  void SetNewViewport(IViewport3D* AViewport) override;

  /// IAlignRoot: the children are laid out in the surface (LayerWidth × LayerHeight) less
  /// Padding.
  void Realign() override;
  void ChildrenAlignChanged() override;
  TSizeF GetAlignParentSize() const override;

  void Loaded() override;


 protected:
  void BeforeRender() override;
  void DoAddObject(TTreeObject* AObject) override;
  void DoRemoveObject(TTreeObject* AObject) override;
  void ChangeChildren() override;
  void ResizeLayer() override;
  void BufferMade() override;
  /// Looks up the style object and attaches it as the background (first child).
  void ApplyStyleLookup();
  virtual void DoPaint(TCanvas& ACanvas, const TRectF& ARect);

 private:
  void FillChanged(TObject* Sender);
  // Paints the marked parts of the surface before a frame. Where the surface lives: in the
  // texture alone, painted band by band through a small bitmap, when the device can take
  // pixels into a texture and nothing needs a whole bitmap (no OnPaint, which expects one call
  // per paint; nobody asked for Buffer()); otherwise in the bitmap, which the device uploads.
  // A texture that lost its pixels (new size, new device) is painted whole.
  void DoUpdateBuffer();
  /// Applies the style lookup and lets the controls take their styles.
  void PrepareSurface();
  /// Paints Areas (logical pixels) with ACanvas, each as a paint of the whole surface would:
  /// they are cleared first, unless Blank says they are blank already. False when its scene
  /// cannot begin.
  bool PaintSurface(TCanvas& ACanvas, const std::vector<TRectF>& Areas, bool Blank = false);
  /// Paints Areas band by band through a small bitmap and writes each band's painted part into
  /// the texture through Ctx, or with Whole every band, blank outside the areas; false when
  /// nothing could be painted.
  bool PaintBands(TContext3D& Ctx, const std::vector<TRectF>& Areas, bool Whole);
  /// The band bitmap for the current buffer size and scale.
  TBitmap& Band();
  /// Whether the device holds the texture's pixels at the buffer's size.
  bool TextureHeld() const;
  /// Writes the bitmap into the texture in bands, giving each band's memory back as it goes,
  /// and frees it.
  void HandBufferToTexture(TContext3D& Ctx);

  /// The root of the form the layer's viewport is on, if any.
  IRoot* FormRoot();

  std::unique_ptr<TBrush> FFill;
  bool FTransparency = false;
  std::string FStyleLookup;
  TComponent* FStyleBook = nullptr;
  bool FNeedStyleLookup = false;
  TControl* FResourceLink = nullptr;
  std::vector<TRectF> FUpdateRects;
  bool FDrawing = false;
  int FDisableUpdating = 0;
  int FPaintCount = 0;
  /// The canvas of the paint in progress.
  TCanvas* FPaintCanvas = nullptr;
  /// The bitmap was made during a paint that did not reach all of it.
  bool FPaintWhole = false;
  /// The band the surface is painted through, kept between paints of marked parts.
  std::unique_ptr<TBitmap> FBand;
  /// The texture received a whole surface in bands.
  bool FTextureFilled = false;
  TInputDispatcher FInput{this};
  bool FNeedAlign = false;
  bool FDisableAlign = false;
  float FLastWidth = 0, FLastHeight = 0;
};

/// The layer in 3D as a form stores it: a 2D surface with controls and a fill, shown as a flat
/// rectangle in the scene.
class KELVANE_API TLayer3D : public TCustomLayer3D {
  KLV_CLASS(TLayer3D)
 public:
  explicit TLayer3D(TComponent* AOwner) : TCustomLayer3D(AOwner) {}
};
