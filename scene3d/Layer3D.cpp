#include "scene3d/Layer3D.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "scene3d/Material.h"
#include "scene3d/context/ContextManager.h"
#include "scene3d/context/Texture.h"
#include "shell/canvas/Bitmap.h"
#include "shell/canvas/Canvas.h"
#include "shell/canvas/CanvasManager.h"
#include "shell/controls/BackgroundStyle.h"
#include "shell/controls/Control.h"
#include "shell/core/Exceptions.h"
#include "shell/core/ScopeExit.h"

namespace {
// Whole pixels, halves to the even neighbour.
int RoundPixels(long double V) { return static_cast<int>(std::nearbyint(V)); }

// More marked rectangles than this are painted as their union.
constexpr size_t cMaxUpdateRects = 20;

// The pixels of one band a surface is painted in.
constexpr int cBandBytes = 1 << 20;

// One side of a surface in logical pixels, rounded half to even, in long double so that no
// product overflows; a side that is not a positive number (NaN included) gives no surface.
long double SurfaceSide(TProjection Projection, int Resolution, float Size) {
  const long double V = Projection == TProjection::Screen ? static_cast<long double>(Size)
                                                          : static_cast<long double>(Resolution) * Size;
  return V > 0 ? std::nearbyint(V) : 0;
}

// Each side within a bitmap's, and the area too when there is one (sides from SurfaceSide).
bool SurfaceFits(long double Width, long double Height) {
  if (Width > TBitmap::MaxSide || Height > TBitmap::MaxSide) return false;
  return Width <= 0 || Height <= 0 || Width * Height <= TBitmap::MaxPixels;
}

// The largest scale, at most Scale, at which a surface of Width x Height logical pixels fits the
// bitmap limits and holds no more than Room pixels: the buffer's own, whose texture only gets
// coarser below the scale asked for.
long double FittingScale(long double Width, long double Height, long double Scale, long double Room) {
  if (Width <= 0 || Height <= 0) return Scale;
  long double Fit = std::min({Scale, TBitmap::MaxSide / Width, TBitmap::MaxSide / Height,
                              std::sqrt(static_cast<long double>(TBitmap::MaxPixels) / (Width * Height)),
                              std::sqrt(Room / (Width * Height))});
  while (!SurfaceFits(std::nearbyint(Fit * Width), std::nearbyint(Fit * Height)) ||
         std::nearbyint(Fit * Width) * std::nearbyint(Fit * Height) > Room)
    Fit *= 0.999L;
  return Fit;
}

std::string Whole(long double V) {
  char Text[64];
  std::snprintf(Text, sizeof Text, "%.0Lf", V);
  return Text;
}

// What Loaded reports for a surface refused there: the size, as any refused stored value is.
class ELayerSurface : public EArgumentOutOfRangeException {
 public:
  ELayerSurface(const std::string& Message, std::string AProperty)
      : EArgumentOutOfRangeException(Message), Property(std::move(AProperty)) {}
  std::string Property;
};
}  // namespace



// --- TAbstractLayer3D ---

const TMetaClass& TAbstractLayer3D::StaticClass() {
  return ClassRecord<TAbstractLayer3D>("TAbstractLayer3D", &TControl3D::StaticClass(), [](auto& B) {
    B.Property("Resolution", &TAbstractLayer3D::Resolution, &TAbstractLayer3D::SetResolution).Default(50);
    B.Property("TwoSide", &TAbstractLayer3D::TwoSide, &TAbstractLayer3D::SetTwoSide).Default(true);
    B.Property("Depth", &TAbstractLayer3D::Depth, &TAbstractLayer3D::SetDepth).Default(0.0f);
    B.Property("Width", &TAbstractLayer3D::Width, &TAbstractLayer3D::SetWidth).Default(8.0f);
    B.Property("Height", &TAbstractLayer3D::Height, &TAbstractLayer3D::SetHeight).Default(4.0f);
    B.Property("Padding", &TAbstractLayer3D::Padding, &TAbstractLayer3D::SetPadding);
    B.Property("Margins", &TAbstractLayer3D::Margins, &TAbstractLayer3D::SetMargins);
  });
}

TAbstractLayer3D::TAbstractLayer3D(TComponent* AOwner)
    : TControl3D(AOwner), FPadding(std::make_unique<TBounds>()), FMargins(std::make_unique<TBounds>()) {
  // The order matters: each size change already recomputes the surface.
  SetResolution(50);
  SetWidth(5);
  SetHeight(4);
  SetDepth(0);
  SetTwoSide(true);
}

TAbstractLayer3D::~TAbstractLayer3D() = default;

void TAbstractLayer3D::SetResolution(int Value) {
  if (FResolution == Value && FLayerWidth > 0) return;
  // Any resolution is taken as kept in range: where its surface passes the bitmap limits the
  // buffer lowers its scale. Only the process's pixel budget can refuse it.
  const int Clamped = std::clamp(Value, 1, 256);
  if (!IsLoading()) CheckSurface(Clamped, Width(), Height());
  FResolution = Clamped;
  Resize3D();
}

void TAbstractLayer3D::SetWidth(float Value) {
  if (Value != Width() && !std::isnan(Value) && !IsLoading()) CheckSurface(FResolution, Value, Height());
  TControl3D::SetWidth(Value);
}

void TAbstractLayer3D::SetHeight(float Value) {
  if (Value != Height() && !std::isnan(Value) && !IsLoading()) CheckSurface(FResolution, Width(), Value);
  TControl3D::SetHeight(Value);
}

void TAbstractLayer3D::CheckSurface(int AResolution, float AWidth, float AHeight) const {
  // The size is the author's choice and a different one would give another scene: refused
  // beyond the limits. The resolution only sets the texture's detail, which the buffer lowers
  // where it must, so the limit is the surface at the lowest resolution.
  const long double W1 = SurfaceSide(Projection(), 1, AWidth);
  const long double H1 = SurfaceSide(Projection(), 1, AHeight);
  if (!SurfaceFits(W1, H1))
    throw ELayerSurface(
        Format("Layer surface too large: %s x %s pixels at resolution 1 (at most %d on a side and %d in all)",
               {Whole(W1), Whole(H1), std::to_string(TBitmap::MaxSide), std::to_string(TBitmap::MaxPixels)}),
        W1 > TBitmap::MaxSide || H1 <= TBitmap::MaxSide ? "Width" : "Height");
  // The buffer's copy on the device at scale 1, as large as the limits let the resolution make
  // it, from what the process has left.
  const long double W = SurfaceSide(Projection(), AResolution, AWidth);
  const long double H = SurfaceSide(Projection(), AResolution, AHeight);
  if (W <= 0 || H <= 0) return;
  const long double Fit = FittingScale(W, H, 1, std::numeric_limits<long double>::infinity());
  const long double BufferW = std::nearbyint(Fit * W), BufferH = std::nearbyint(Fit * H);
  const long double Bytes = BufferW * BufferH * 4;
  if (Bytes > static_cast<long double>(TPixelBudget::Available() + SurfaceBytesHeld()))
    throw ELayerSurface(TPixelBudget::ExceededMessage(static_cast<int64_t>(BufferW), static_cast<int64_t>(BufferH),
                                                      static_cast<int64_t>(Bytes)),
                        "Width");
}

void TAbstractLayer3D::SetDepth(float) { TControl3D::SetDepth(0); }

void TAbstractLayer3D::Resize3D() {
  if (IsLoading()) return;
  // The setters refused what does not fit; this check catches what loading left for here.
  CheckSurface(FResolution, Width(), Height());
  FLayerWidth = static_cast<int>(SurfaceSide(Projection(), FResolution, Width()));
  FLayerHeight = static_cast<int>(SurfaceSide(Projection(), FResolution, Height()));
  if (FLayerWidth > 0 && FLayerHeight > 0) ResizeLayer();
  MatrixChanged();
}

void TAbstractLayer3D::Loaded() {
  TControl3D::Loaded();
  try {
    Resize3D();
  } catch (const ELayerSurface& E) {
    throw PropertyReadError(Name().empty() ? ClassName() : Name(), E.Property, E.Message());
  }
}

void TAbstractLayer3D::MatrixChanged() {
  TPoint3D Up, Dir;
  if (std::fabs(static_cast<long double>(RotationAngle()->X())) <= 1e-4L &&
      std::fabs(static_cast<long double>(RotationAngle()->Y())) <= 1e-4L &&
      std::fabs(static_cast<long double>(RotationAngle()->Z())) <= 1e-4L) {
    RotationAngle()->SetPoint3DNoChange(TPoint3D(0, 0, 0));
    SetQuaternion(TQuaternion3D::Identity());
    Up = TPoint3D(0, 1, 0);
    Dir = TPoint3D(0, 0, 1);
  } else {
    const TMatrix3D R = Quaternion().ToMatrix();
    Up = TPoint3D(0, 1, 0) * R;
    Dir = TPoint3D(0, 0, 1) * R;
  }
  const TPoint3D Left = Up.CrossProduct(Dir);
  const TPoint3D S = Scale()->Point();
  TMatrix3D L = TMatrix3D::Identity();
  L.m11 = Left.X * S.X, L.m12 = Left.Y * S.X, L.m13 = Left.Z * S.X, L.m14 = 0;
  L.m21 = Up.X * S.Y, L.m22 = Up.Y * S.Y, L.m23 = Up.Z * S.Y, L.m24 = 0;
  L.m31 = Dir.X * S.Z, L.m32 = Dir.Y * S.Z, L.m33 = Dir.Z * S.Z, L.m34 = 0;
  L.m41 = Position()->X(), L.m42 = Position()->Y(), L.m43 = Position()->Z(), L.m44 = 1;
  SetLocalMatrix(TMatrix3D::CreateTranslation(TPoint3D(-Width() / 2, -Height() / 2, 0)) * L);
  RecalcAbsolute();
  Repaint();
}

// --- TCustomBufferLayer3D ---

const TMetaClass& TCustomBufferLayer3D::StaticClass() {
  return ClassRecord<TCustomBufferLayer3D>("TCustomBufferLayer3D", &TAbstractLayer3D::StaticClass(), [](auto&) {});
}

TCustomBufferLayer3D::TCustomBufferLayer3D(TComponent* AOwner)
    : TAbstractLayer3D(AOwner), FTexture(std::make_unique<TTexture>()) {
  ResizeLayer();
}

TCustomBufferLayer3D::~TCustomBufferLayer3D() = default;

void TCustomBufferLayer3D::ResizeLayer() {
  const float S = Viewport() ? Viewport()->GetViewportScale() : 1.0f;
  // Where the surface's pixels pass the bitmap limits (a high resolution, a large window scale)
  // or what the process's pixel budget can give, the buffer takes the largest scale that fits,
  // which only makes the surface's texture coarser.
  const long double Room = static_cast<long double>(TPixelBudget::Available() + FSurfaceCharge.Bytes()) / 4;
  const long double Fit = FittingScale(LayerWidth(), LayerHeight(), S, Room);
  const long double W = LayerWidth(), H = LayerHeight();
  const int NewWidth = RoundPixels(Fit * W), NewHeight = RoundPixels(Fit * H);
  FSurfaceCharge.Set(NewWidth, NewHeight);
  if (FBuffer) {
    FBuffer->SetBitmapScale(static_cast<float>(Fit));
    FBuffer->SetSize(NewWidth, NewHeight);
  }
  FBufferScale = static_cast<float>(Fit);
  FBufferWidth = NewWidth;
  FBufferHeight = NewHeight;
}

TBitmap* TCustomBufferLayer3D::Buffer() {
  FBufferAskedFor = true;
  return &OwnBuffer();
}

void TCustomBufferLayer3D::DropBuffer() { FBuffer.reset(); }

TBitmap& TCustomBufferLayer3D::OwnBuffer() {
  if (!FBuffer) {
    auto Made = std::make_unique<TBitmap>();
    Made->SetBitmapScale(FBufferScale);
    Made->SetSize(FBufferWidth, FBufferHeight);
    FBuffer = std::move(Made);
    BufferMade();
  }
  return *FBuffer;
}

TTexture* TCustomBufferLayer3D::BufferTexture() {
  // Without a bitmap the bands painted went into the texture as they were painted.
  if (FBuffer) FTexture->LoadFromBitmap(*FBuffer);
  return FTexture.get();
}

void TCustomBufferLayer3D::Render() {
  TContext3D* Ctx = Context();
  if (!Ctx || FBufferWidth <= 0 || FBufferHeight <= 0) return;
  // Per-frame temporaries: the quad and its material.
  TVertexBuffer Vertices;
  Vertices.SetLength(4);
  const float W = Width(), H = Height();
  const float Corners[4][4] = {{0, 0, 0, 0}, {W, 0, 1, 0}, {W, H, 1, 1}, {0, H, 0, 1}};
  for (int I = 0; I < 4; ++I) {
    TMeshVertex& V = Vertices.Vertex(I);
    V.Position = TPoint3D(Corners[I][0], Corners[I][1], 0);
    V.U = Corners[I][2];
    V.V = Corners[I][3];
  }
  TIndexBuffer Indices;
  Indices.SetLength(6);
  const uint32_t Order[6] = {0, 1, 3, 3, 1, 2};
  for (int I = 0; I < 6; ++I) Indices.Index(I) = Order[I];
  TTextureMaterial Material;
  Material.SetTexture(BufferTexture());
  Ctx->DrawTriangles(Vertices, Indices, &Material, GetAbsoluteOpacity());
}

// --- TCustomLayer3D ---

namespace TypeInfos {
const TTypeInfo& LayerPaintEvent() {
  static const TTypeInfo T = MakeNamedType("TOnPaintEvent", TTypeKind::Method);
  return T;
}
}  // namespace TypeInfos

const TMetaClass& TCustomLayer3D::StaticClass() {
  return ClassRecord<TCustomLayer3D>("TCustomLayer3D", &TCustomBufferLayer3D::StaticClass(), [](auto& B) {
    B.Property("Fill", &TCustomLayer3D::Fill, &TCustomLayer3D::SetFill);
    B.Property("Transparency", &TCustomLayer3D::Transparency, &TCustomLayer3D::SetTransparency).Default(false);
    B.Property("StyleLookup", &TCustomLayer3D::StyleLookup, &TCustomLayer3D::SetStyleLookup)
        .Stored([](const TCustomLayer3D& L) { return L.StyleLookup() != "backgroundstyle"; });
    B.Property("StyleBook", &TCustomLayer3D::StyleBook, &TCustomLayer3D::SetStyleBook);
    B.Event("OnPaint", &TCustomLayer3D::OnPaint, &TypeInfos::LayerPaintEvent());
  });
}

const TMetaClass& TLayer3D::StaticClass() {
  return ClassRecord<TLayer3D>("TLayer3D", &TCustomLayer3D::StaticClass(), [](auto& B) { B.Creatable(); });
}

TCustomLayer3D::TCustomLayer3D(TComponent* AOwner) : TCustomBufferLayer3D(AOwner) {
  FStyleLookup = "backgroundstyle";
  FNeedStyleLookup = true;
  SetWidth(8);
  FFill = std::make_unique<TBrush>(TBrushKind::None, TAlphaColors::White);
  FFill->OnChanged = TNotifyEvent(this, &TCustomLayer3D::FillChanged);
}

TCustomLayer3D::~TCustomLayer3D() = default;

TCanvas* TCustomLayer3D::Canvas() { return FPaintCanvas ? FPaintCanvas : Buffer()->Canvas(); }

int TCustomLayer3D::BandRows(int Width) { return std::max(1, cBandBytes / (4 * std::max(Width, 1))); }

// --- The layer as the root of its 2D controls ---

TTreeObject* TCustomLayer3D::GetRootObject() {
  for (TTreeObject* P = Parent(); P; P = P->Parent()) {
    if (auto* R = dynamic_cast<IRoot*>(P)) return R->GetRootObject();
    if (auto* C = dynamic_cast<TControl*>(P)) return C->Root() ? C->Root()->GetRootObject() : this;
  }
  return this;
}

TCanvas* TCustomLayer3D::GetCanvas() { return FDrawing ? Canvas() : nullptr; }

float TCustomLayer3D::GetSceneScale() { return BufferScale(); }

IRoot* TCustomLayer3D::FormRoot() {
  TTreeObject* Top = GetRootObject();
  auto* R = Top == this ? nullptr : dynamic_cast<IRoot*>(Top);
  return R == this ? nullptr : R;
}

TControl* TCustomLayer3D::GetFocused() {
  IRoot* Form = FormRoot();
  return Form ? Form->GetFocused() : FInput.Focused();
}

void TCustomLayer3D::SetFocused(TControl* Value) {
  if (IRoot* Form = FormRoot())
    Form->SetFocused(Value);
  else
    FInput.SetFocused(Value);
}

void TCustomLayer3D::SetModalResult(int Value) {
  if (IRoot* Form = FormRoot()) Form->SetModalResult(Value);
}

void TCustomLayer3D::ControlRemoved(TControl* Control) {
  FInput.ControlRemoved(Control);
  if (IRoot* Form = FormRoot()) Form->ControlRemoved(Control);
}

bool TCustomLayer3D::ControlsTakeInput() {
  if (!Viewport()) return false;
  for (TTreeObject* O = this; O; O = O->Parent()) {
    auto* C = dynamic_cast<TControl3D*>(O);
    if (!C) break;
    if (!C->Visible()) return false;
  }
  return true;
}

void TCustomLayer3D::SetNewViewport(IViewport3D* AViewport) {
  if (Viewport() && Viewport() != AViewport) {
    auto* Old = dynamic_cast<TControl*>(Viewport());
    IRoot* Form = Old ? Old->Root() : nullptr;
    for (TTreeObject* Child : ChildList())
      if (auto* C = dynamic_cast<TControl*>(Child)) {
        FInput.ControlRemoved(C);
        if (Form) Form->ControlRemoved(C);
      }
  }
  TCustomBufferLayer3D::SetNewViewport(AViewport);
}

namespace {
// The surface size that Width, Height and Resolution give, also while the layer is loading
// and its surface has not followed yet.
TSizeF DesignedSurface(const TAbstractLayer3D& L) {
  // Not checked against the limits yet while loading: kept within a float's range.
  auto Side = [&L](float Size) {
    return static_cast<float>(std::min<long double>(SurfaceSide(L.Projection(), L.Resolution(), Size),
                                                    std::numeric_limits<float>::max()));
  };
  return {Side(L.Width()), Side(L.Height())};
}
}  // namespace

TSizeF TCustomLayer3D::GetAlignParentSize() const { return DesignedSurface(*this); }

void TCustomLayer3D::ChildrenAlignChanged() { FNeedAlign = ChildrenNeedAlign(*this); }

void TCustomLayer3D::Realign() {
  if (IsLoading() || IsDestroying() || FDisableAlign || !FNeedAlign) return;
  if (LayerWidth() < 1 || LayerHeight() < 1) return;
  AlignObjects(this, Padding(), static_cast<float>(LayerWidth()), static_cast<float>(LayerHeight()), FLastWidth,
               FLastHeight, FDisableAlign);
}

void TCustomLayer3D::Loaded() {
  // The children were placed for the stored size; the surface follows it only now.
  const TSizeF Designed = DesignedSurface(*this);
  FLastWidth = Designed.Width;
  FLastHeight = Designed.Height;
  TCustomBufferLayer3D::Loaded();
}

void TCustomLayer3D::FillChanged(TObject*) { Invalidate(); }

void TCustomLayer3D::SetTransparency(bool Value) {
  if (FTransparency == Value) return;
  FTransparency = Value;
  Invalidate();
}

void TCustomLayer3D::SetStyleLookup(const std::string& Value) {
  FStyleLookup = Value;
  FNeedStyleLookup = true;
  if (!IsLoading()) ApplyStyleLookup();
}

void TCustomLayer3D::SetStyleBook(TComponent* Value) {
  if (FStyleBook == Value) return;
  if (FStyleBook) FStyleBook->RemoveFreeNotification(this);
  FStyleBook = Value;
  if (FStyleBook) FStyleBook->FreeNotification(this);
  FNeedStyleLookup = true;
  if (!IsLoading()) ApplyStyleLookup();
}

void TCustomLayer3D::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomBufferLayer3D::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FStyleBook) FStyleBook = nullptr;
  if (AComponent == FResourceLink) FResourceLink = nullptr;
}

void TCustomLayer3D::SetVisible(bool Value) {
  TCustomBufferLayer3D::SetVisible(Value);
  // Every write that leaves the layer visible marks the surface, even an unchanged one.
  if (Visible()) Invalidate();
}

void TCustomLayer3D::Invalidate() {
  FUpdateRects.clear();
  AddUpdateRect(SurfaceRect());
}

void TCustomLayer3D::AddUpdateRect(const TRectF& R) {
  if (FDisableUpdating > 0 || IsDestroying()) return;
  const TRectF Whole(std::trunc(R.Left), std::trunc(R.Top), std::ceil(R.Right), std::ceil(R.Bottom));
  const TRectF Surface = SurfaceRect();
  if (!Whole.IntersectsWith(Surface)) return;
  FUpdateRects.push_back(Whole);
  Repaint();
}

void TCustomLayer3D::EnableUpdating() {
  if (FDisableUpdating <= 0) throw EInvalidOperation("Invalid IScene.DisableUpdating/IScene.EnableUpdating call pair");
  --FDisableUpdating;
}

void TCustomLayer3D::ResizeLayer() {
  const int OldWidth = BufferWidth(), OldHeight = BufferHeight();
  TCustomBufferLayer3D::ResizeLayer();
  // A resized buffer has lost its picture: all of it is painted again.
  if ((BufferWidth() != OldWidth || BufferHeight() != OldHeight) && FFill) Invalidate();
  if (ChildrenCount() > 0) Realign();
}

void TCustomLayer3D::DoAddObject(TTreeObject* AObject) {
  TCustomBufferLayer3D::DoAddObject(AObject);
  if (dynamic_cast<TControl*>(AObject)) Invalidate();
}

void TCustomLayer3D::ChangeChildren() {
  TCustomBufferLayer3D::ChangeChildren();
  ChildrenAlignChanged();
  if (!IsLoading()) Realign();
}

void TCustomLayer3D::DoRemoveObject(TTreeObject* AObject) {
  auto* C = dynamic_cast<TControl*>(AObject);
  TCustomBufferLayer3D::DoRemoveObject(AObject);
  if (!C) return;
  if (C == FResourceLink) FResourceLink = nullptr;
  if (TCanvasManager::DefaultCanvas().Style.Contains(TCanvasStyle::SupportClipRects))
    AddUpdateRect(C->BoundsRect());
  else
    Invalidate();
}

void TCustomLayer3D::ApplyStyleLookup() {
  if (!FNeedStyleLookup) return;
  FNeedStyleLookup = false;
  const std::string ClassPart = ClassName().substr(1) + "style";
  const std::string ParentPart = ClassType().Parent() ? ClassType().Parent()->Name().substr(1) + "style" : "";
  TControl* Found = LookupBackgroundStyle(nullptr, FStyleBook, {FStyleLookup, ClassPart, ParentPart});
  if (!Found) return;
  if (FResourceLink) {
    TControl* Old = FResourceLink;
    FResourceLink = nullptr;
    Old->Free();
  }
  Found->SetVisible(true);
  FResourceLink = Found;
  InsertBackgroundStyle(*this, *Found);
}

void TCustomLayer3D::BeforeRender() { DoUpdateBuffer(); }

namespace {
// A surface's rectangle of logical pixels as the canvas clips to it: every pixel it touches.
struct TPixelRect {
  int Left, Top, Right, Bottom;
};

TPixelRect PixelsOf(const TRectF& R, float Scale, int Width, int Height) {
  const double S = Scale;
  return {static_cast<int>(std::max(0.0, std::floor(R.Left * S))), static_cast<int>(std::max(0.0, std::floor(R.Top * S))),
          static_cast<int>(std::min<double>(Width, std::ceil(R.Right * S))),
          static_cast<int>(std::min<double>(Height, std::ceil(R.Bottom * S)))};
}
}  // namespace

bool TCustomLayer3D::TextureHeld() const {
  const TTexture& T = LayerTexture();
  return T.Width() == BufferWidth() && T.Height() == BufferHeight() && T.Resource() && T.Resource()->IsCurrent();
}

void TCustomLayer3D::PrepareSurface() {
  ApplyStyleLookup();
  // Controls take their styles before the areas are chosen, so that what a style changes is
  // painted too.
  for (TTreeObject* Child : std::vector<TTreeObject*>(ChildList()))
    if (auto* C = dynamic_cast<TControl*>(Child); C && C->Visible()) C->PrepareForPaint();
}

void TCustomLayer3D::DoUpdateBuffer() {
  if (FDrawing) return;
  // While the 3D device is still being made, asking for the context would wait for it: the
  // surface is painted into the bitmap meanwhile, which the device takes in bands later.
  TContext3D* Ctx = TContextManager::DevicePending() ? nullptr : Context();
  // A paint handler is the user's code, called once a paint with the whole surface: painting
  // in bands would call it once a band. Such a layer keeps its bitmap.
  const bool BandsAllowed = !OnPaint && Ctx && Ctx->HoldsTexturePixels();
  if (BandsAllowed && HasBuffer() && !BufferAskedFor()) HandBufferToTexture(*Ctx);
  const bool Bands = BandsAllowed && !HasBuffer();
  // The device holds none of the surface (none yet, a new size, a new device): it takes all
  // of it again, and a surface never painted starts out transparent, as a new bitmap does.
  const bool Lost = Bands && !TextureHeld();
  if (FUpdateRects.empty() && !Lost) return;
  // Made before the paint, a bitmap starts blank, or with what earlier bands painted.
  const bool Blank = !Bands && !HasBuffer() && !FTextureFilled;
  if (!Bands && !HasBuffer()) OwnBuffer();
  FDrawing = true;
  TScopeExit EndDrawing([this] {
    FDrawing = false;
    FPaintCanvas = nullptr;
    FUpdateRects.clear();
  });
  const TRectF Surface = SurfaceRect();
  if (Lost && FTextureFilled) FUpdateRects = {Surface};
  if (FUpdateRects.empty()) {
    PaintBands(*Ctx, {}, true);
    return;
  }
  FPaintCanvas = Bands ? Band().Canvas() : OwnBuffer().Canvas();
  PrepareSurface();
  std::vector<TRectF> Areas;
  if (FPaintWhole) {
    Areas = {Surface};
  } else if (TCanvasManager::DefaultCanvas().Style.Contains(TCanvasStyle::SupportClipRects)) {
    Areas = FUpdateRects;
    if (Areas.size() > cMaxUpdateRects) {
      TRectF U;
      for (const TRectF& R : Areas) U = TRectF::Union(U, R);
      Areas = {U};
    }
  } else {
    Areas = {Surface};
  }
  bool Painted = false;
  if (Bands) {
    Painted = PaintBands(*Ctx, Areas, Lost);
  } else {
    FPaintWhole = false;
    Painted = PaintSurface(*FPaintCanvas, Areas, Blank);
  }
  // The bitmap was asked for while the bands were painted: it gets the whole picture.
  if (FPaintWhole && HasBuffer()) {
    FPaintWhole = false;
    FPaintCanvas = OwnBuffer().Canvas();
    Painted = PaintSurface(*FPaintCanvas, {Surface}, true) || Painted;
  }
  if (Painted) ++FPaintCount;
}

void TCustomLayer3D::BufferMade() {
  // Asked for during a paint in bands, the bitmap gets the whole picture when they are done.
  if (FDrawing) {
    FPaintWhole = true;
    return;
  }
  // A blank bitmap is what the surface is until painted; once bands have been painted into
  // the texture, the bitmap starts with the same picture.
  if (!FTextureFilled) return;
  FDrawing = true;
  TScopeExit EndDrawing([this] {
    FDrawing = false;
    FPaintCanvas = nullptr;
  });
  FPaintCanvas = OwnBuffer().Canvas();
  PrepareSurface();
  // A copy of the picture the frames painted, not a paint of their own: not counted.
  PaintSurface(*FPaintCanvas, {SurfaceRect()}, true);
}

void TCustomLayer3D::HandBufferToTexture(TContext3D& Ctx) {
  TBitmap& B = OwnBuffer();
  const int Width = B.Width(), Height = B.Height();
  TTexture& Texture = LayerTexture();
  Texture.SetSize(Width, Height);
  TBitmapData D;
  if (Width <= 0 || Height <= 0 || !B.Map(TMapAccess::Read, D)) return;
  // Each band is given back once the device has it, so that the bitmap and the texture are
  // never both whole.
  for (int Y = 0, Rows = BandRows(Width); Y < Height; Y += Rows) {
    const int N = std::min(Rows, Height - Y);
    Ctx.UpdateTexture(Texture, 0, Y, Width, N, D.Data + static_cast<ptrdiff_t>(Y) * D.Pitch, D.Pitch);
    B.DiscardRows(Y, Y + N);
  }
  B.Unmap(D);
  DropBuffer();
  FTextureFilled = true;
}

TBitmap& TCustomLayer3D::Band() {
  const int Width = BufferWidth(), Rows = std::min(BandRows(Width), BufferHeight());
  if (!FBand || FBand->Width() != Width || FBand->Height() != Rows) {
    FBand.reset();
    FBand = std::make_unique<TBitmap>(Width, Rows);
  }
  FBand->SetBitmapScale(BufferScale());
  return *FBand;
}

bool TCustomLayer3D::PaintBands(TContext3D& Ctx, const std::vector<TRectF>& Areas, bool Whole) {
  const int Width = BufferWidth(), Height = BufferHeight();
  if (Width <= 0 || Height <= 0) return false;
  TTexture& Texture = LayerTexture();
  Texture.SetSize(Width, Height);
  std::vector<TPixelRect> Rects;
  int Top = Height, Bottom = 0;
  for (const TRectF& R : Areas) {
    const TPixelRect P = PixelsOf(R, BufferScale(), Width, Height);
    if (P.Right <= P.Left || P.Bottom <= P.Top) continue;
    Rects.push_back(P);
    Top = std::min(Top, P.Top);
    Bottom = std::max(Bottom, P.Bottom);
  }
  // A texture taking the whole surface gets every row; the rows outside the areas blank.
  if (Whole) Top = 0, Bottom = Height;
  TBitmap& B = Band();
  TCanvas& C = *B.Canvas();
  bool Painted = false;
  for (int Y = Top; Y < Bottom; Y += B.Height()) {
    const int Rows = std::min(B.Height(), Bottom - Y);
    if (Whole) B.Clear(0);
    C.SetOrigin(0, Y);
    bool BandPainted = false;
    if (!Rects.empty()) {
      FPaintCanvas = &C;
      BandPainted = PaintSurface(C, Areas, Whole);
      Painted = Painted || BandPainted;
    }
    C.SetOrigin(0, 0);
    TBitmapData D;
    if (!B.Map(TMapAccess::Read, D)) continue;
    if (Whole) {
      Ctx.UpdateTexture(Texture, 0, Y, Width, Rows, D.Data, D.Pitch);
    } else if (BandPainted) {
      // Only what the areas cover: the rest of the band holds another band's pixels.
      for (const TPixelRect& P : Rects) {
        const int From = std::max(P.Top, Y), To = std::min(P.Bottom, Y + Rows);
        if (To > From)
          Ctx.UpdateTexture(Texture, P.Left, From, P.Right - P.Left, To - From,
                            D.Data + static_cast<ptrdiff_t>(From - Y) * D.Pitch + static_cast<ptrdiff_t>(P.Left) * 4,
                            D.Pitch);
      }
    }
    B.Unmap(D);
  }
  if (Whole) {
    FTextureFilled = true;
    // A whole surface is painted seldom (first, after a resize or a device loss), and the
    // texture's other levels are made right after: the band is not kept beside them. Bands of
    // marked parts, which may come every frame, keep it.
    FPaintCanvas = nullptr;
    FBand.reset();
  }
  return Painted;
}

bool TCustomLayer3D::PaintSurface(TCanvas& C, const std::vector<TRectF>& Areas, bool Blank) {
  TCanvasScene Scene(C, &Areas);
  if (!Scene) return false;
  const TRectF Surface = SurfaceRect();
  const bool NoFill = FFill->Kind() == TBrushKind::None ||
                      (FFill->Kind() == TBrushKind::Solid && (FFill->Color() >> 24) == 0);
  // The areas start clear (the scene clips to them, in whole pixels): a translucent fill or
  // background must not blend over what an earlier paint left there, or over another band.
  if (NoFill) {
    C.Clear(FTransparency ? 0 : (FFill->Color() & 0x00FFFFFFu));
  } else {
    if (!Blank) C.Clear(0);
    C.FillRect(Surface, 0, 0, TCorners{}, 1, *FFill);
  }
  bool Painted = false;
  for (TTreeObject* Child : ChildList()) {
    auto* Control = dynamic_cast<TControl*>(Child);
    if (!Control || !Control->Visible()) continue;
    const bool IsStyle = Control == FResourceLink;
    if (IsStyle && (FTransparency || FFill->Kind() != TBrushKind::None)) continue;
    bool Marked = false;
    // A child's children may lie outside it, and may be what was marked.
    const TRectF Area = Control->ChildrenRect();
    for (const TRectF& R : Areas) Marked = Marked || R.IntersectsWith(Area);
    if (Marked || ComponentState().Contains(csDesigning)) Control->PaintInternal();
    if (IsStyle && !Painted) {
      C.SetMatrix(TMatrix::Identity());
      DoPaint(C, Surface);
      Painted = true;
    }
  }
  if (!Painted) {
    C.SetMatrix(TMatrix::Identity());
    DoPaint(C, Surface);
  }
  return true;
}

void TCustomLayer3D::DoPaint(TCanvas& ACanvas, const TRectF& ARect) {
  if (OnPaint) OnPaint(this, &ACanvas, ARect);
}
