#include "shell/canvas/Canvas.h"

#include <cassert>
#include <cmath>
#include <mutex>

#include "shell/canvas/Bitmap.h"
#include "shell/core/ScopeExit.h"

namespace TypeInfos {
const TTypeInfo& Corners() {
  static const TTypeInfo T = MakeNamedType("TCorners", TTypeKind::Set, {"TopLeft", "TopRight", "BottomLeft", "BottomRight"});
  return T;
}
const TTypeInfo& CornerType() {
  static const TTypeInfo T = MakeNamedType("TCornerType", TTypeKind::Enumeration, {"Round", "Bevel", "InnerRound", "InnerLine"});
  return T;
}
const TTypeInfo& TextAlign() {
  static const TTypeInfo T = MakeNamedType("TTextAlign", TTypeKind::Enumeration, {"Center", "Leading", "Trailing"});
  return T;
}
}  // namespace TypeInfos

namespace {
std::recursive_mutex& CanvasLock() {
  static std::recursive_mutex M;
  return M;
}
}  // namespace

// What the last device brush was made from.
struct TCanvas::TDeviceBrushKey {
  TBrushKind Kind = TBrushKind::None;
  float Opacity = 0;
  TAlphaColor Color = 0;
  TGradient Gradient;
  TRectF Rect;
  uint64_t BitmapId = 0;
  uint64_t BitmapStamp = 0;
  TWrapMode WrapMode = TWrapMode::Tile;
};

TCanvas::TCanvas(TBitmap& ABitmap, TCanvasQuality AQuality) : TCanvas(TWindowBuffer{}, AQuality) {
  FBitmap = &ABitmap;
}

TCanvas::TCanvas(const TWindowBuffer& ABuffer, TCanvasQuality AQuality)
    : FBuffer(ABuffer),
      FQuality(AQuality),
      FFill(std::make_unique<TBrush>(TBrushKind::Solid, 0xFF000000)),
      FStroke(std::make_unique<TStrokeBrush>(TBrushKind::Solid, 0xFF000000)),
      FFont(std::make_unique<TFont>()) {}

TCanvas::~TCanvas() = default;

int TCanvas::Width() const { return FBitmap ? FBitmap->Width() : FBuffer.Width; }

int TCanvas::Height() const { return FBitmap ? FBitmap->Height() : FBuffer.Height; }

float TCanvas::Scale() const { return FBitmap ? FBitmap->BitmapScale() : FBuffer.Scale; }

void TCanvas::Lock() { CanvasLock().lock(); }

void TCanvas::Unlock() { CanvasLock().unlock(); }

bool TCanvas::TryLock() { return CanvasLock().try_lock(); }

bool TCanvas::BeginScene(const TClipRects* ClipRects, uintptr_t) {
  Lock();
  if (FBeginSceneCount > 0) {
    ++FBeginSceneCount;
    return true;
  }
  bool Ok = false;
  try {
    Ok = Width() > 0 && Height() > 0 && DoBeginScene(ClipRects);
  } catch (...) {
    Unlock();
    throw;
  }
  if (!Ok) {
    Unlock();
    return false;
  }
  FBeginSceneCount = 1;
  if (ClipRects)
    FClipRects = *ClipRects;
  else
    FClipRects.clear();
  FStroke->SetThickness(1);
  FStroke->SetCap(TStrokeCap::Flat);
  FStroke->SetJoin(TStrokeJoin::Miter);
  FStroke->SetDash(TStrokeDash::Solid);
  FStroke->SetKind(TBrushKind::Solid);
  FFill->SetKind(TBrushKind::Solid);
  SetMatrix(TMatrix::Identity());
  SetBlending(true);
  return true;
}

void TCanvas::EndScene() {
  assert(FBeginSceneCount > 0 && "EndScene without a successful BeginScene");
  if (FBeginSceneCount <= 0) return;
  TScopeExit Release([] { Unlock(); });
  if (--FBeginSceneCount == 0) DoEndScene();
}

void TCanvas::SetMatrix(const TMatrix& M) {
  FMatrix = M;
  if (FBeginSceneCount > 0) DoSetMatrix(M);
}

void TCanvas::SetBlending(bool Value) {
  FBlending = Value;
  if (FBeginSceneCount > 0) DoSetBlending(Value);
}

void TCanvas::SetOrigin(int X, int Y) {
  assert(FBeginSceneCount == 0 && "a canvas moves its origin only outside scenes");
  FOriginX = X;
  FOriginY = Y;
}

void TCanvas::SetWindowBuffer(const TWindowBuffer& Buffer) {
  assert(FBeginSceneCount == 0 && "a window canvas changes its buffer only outside scenes");
  assert(!FBitmap && "only window canvases have a buffer");
  FBuffer = Buffer;
}

void TCanvas::Clear(TAlphaColor Color) {
  if (FBeginSceneCount > 0) DoClear(Color);
}

void TCanvas::ClearRect(const TRectF& ARect, TAlphaColor AColor) {
  if (FBeginSceneCount > 0) DoClearRect(ARect, AColor);
}

const TBrush* TCanvas::ResolveBrush(const TBrush& ABrush) {
  const TBrush* B = &ABrush;
  if (B->Kind() == TBrushKind::Resource) {
    // One level: a style brush that is itself a resource brush would only loop.
    B = ABrush.Resource()->Brush();
    if (!B || B->Kind() == TBrushKind::Resource) return nullptr;
  }
  switch (B->Kind()) {
    case TBrushKind::None:
    case TBrushKind::Resource:
      return nullptr;
    case TBrushKind::Gradient:
      return B->Gradient()->Points()->Count() < 2 ? nullptr : B;
    case TBrushKind::Bitmap:
      return B->Bitmap()->Bitmap()->IsEmpty() ? nullptr : B;
    case TBrushKind::Solid:
      return B;
  }
  return nullptr;
}

void TCanvas::FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                       TCornerType ACornerType) {
  FillRect(ARect, XRadius, YRadius, ACorners, AOpacity, *FFill, ACornerType);
}

void TCanvas::FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                       const TBrush& ABrush, TCornerType ACornerType) {
  if (FBeginSceneCount == 0) return;
  if (const TBrush* B = ResolveBrush(ABrush)) DoFillRect(ARect, XRadius, YRadius, ACorners, AOpacity, *B, ACornerType);
}

void TCanvas::DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                       TCornerType ACornerType) {
  DrawRect(ARect, XRadius, YRadius, ACorners, AOpacity, *FStroke, ACornerType);
}

void TCanvas::DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                       const TStrokeBrush& ABrush, TCornerType ACornerType) {
  if (FBeginSceneCount == 0 || !(ABrush.Thickness() > 0)) return;
  if (const TBrush* B = ResolveBrush(ABrush))
    DoDrawRect(ARect, XRadius, YRadius, ACorners, AOpacity, ABrush, *B, ACornerType);
}

void TCanvas::DrawLine(const TPointF& P1, const TPointF& P2, float AOpacity) { DrawLine(P1, P2, AOpacity, *FStroke); }

void TCanvas::DrawLine(const TPointF& P1, const TPointF& P2, float AOpacity, const TStrokeBrush& ABrush) {
  if (FBeginSceneCount == 0 || !(ABrush.Thickness() > 0)) return;
  if (const TBrush* B = ResolveBrush(ABrush)) DoDrawLine(P1, P2, AOpacity, ABrush, *B);
}

void TCanvas::DrawBitmap(TBitmap& ABitmap, const TRectF& SrcRect, const TRectF& DstRect, float AOpacity,
                         bool HighSpeed) {
  if (FBeginSceneCount == 0 || ABitmap.IsEmpty() || SrcRect.IsEmpty() || DstRect.IsEmpty()) return;
  DoDrawBitmap(ABitmap, SrcRect, DstRect, AOpacity, HighSpeed);
}

void TCanvas::FillText(const TRectF& ARect, const std::string& AText, bool WordWrap, float AOpacity,
                       TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  if (FBeginSceneCount == 0 || AText.empty()) return;
  if (const TBrush* B = ResolveBrush(*FFill))
    DoFillText(ARect, AText, WordWrap, AOpacity, Flags, ATextAlign, AVTextAlign, *B);
}

void TCanvas::MeasureText(TRectF& ARect, const std::string& AText, bool WordWrap, TFillTextFlags Flags,
                          TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  DoMeasureText(ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign);
}

float TCanvas::TextWidth(const std::string& AText) {
  TRectF R(0, 0, 1e6f, 1e6f);
  MeasureText(R, AText, false, {}, TTextAlign::Leading, TTextAlign::Leading);
  return R.Width();
}

float TCanvas::TextHeight(const std::string& AText) {
  TRectF R(0, 0, 1e6f, 1e6f);
  MeasureText(R, AText, false, {}, TTextAlign::Leading, TTextAlign::Leading);
  return R.Height();
}

void TCanvas::Flush() {
  if (FBeginSceneCount > 0) DoFlush();
}

bool TCanvas::ReuseDeviceBrush(const TBrush& ABrush, const TRectF& ARect, float AOpacity) {
  const bool IsBitmap = ABrush.Kind() == TBrushKind::Bitmap;
  TBitmap* Bmp = ABrush.Bitmap()->Bitmap();
  if (FLastBrush && FLastBrush->Kind == ABrush.Kind() && std::fabs(FLastBrush->Opacity - AOpacity) <= 0.0001f &&
      FLastBrush->Rect == ARect) {
    const bool Same = IsBitmap ? FLastBrush->BitmapId == Bmp->Id() && FLastBrush->BitmapStamp == Bmp->ChangeStamp() &&
                                     FLastBrush->WrapMode == ABrush.Bitmap()->WrapMode()
                               : FLastBrush->Color == ABrush.Color() && FLastBrush->Gradient.Equal(*ABrush.Gradient());
    if (Same) return true;
  }
  if (!FLastBrush) FLastBrush = std::make_unique<TDeviceBrushKey>();
  FLastBrush->Kind = ABrush.Kind();
  FLastBrush->Opacity = AOpacity;
  FLastBrush->Rect = ARect;
  FLastBrush->Color = ABrush.Color();
  FLastBrush->Gradient.Assign(ABrush.Gradient());
  FLastBrush->BitmapId = Bmp->Id();
  FLastBrush->BitmapStamp = Bmp->ChangeStamp();
  FLastBrush->WrapMode = ABrush.Bitmap()->WrapMode();
  ++FDeviceBrushesMade;
  return false;
}

void TCanvas::ForgetDeviceBrush() { FLastBrush.reset(); }
