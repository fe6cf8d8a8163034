#include "shell/canvas/CanvasCairo.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <numbers>
#include <utility>
#include <vector>

#include "shell/canvas/Bitmap.h"

namespace {
constexpr double Pi = std::numbers::pi;

double Channel(TAlphaColor C, int Shift) { return ((C >> Shift) & 0xFF) / 255.0; }

#ifndef NDEBUG
// What a bitmap known to be opaque must hold.
bool EveryPixelOpaque(TBitmap& B) {
  TBitmapData D;
  if (!B.Map(TMapAccess::Read, D)) return true;
  bool Opaque = true;
  for (int Y = 0; Y < D.Height && Opaque; ++Y)
    for (int X = 0; X < D.Width && Opaque; ++X) Opaque = (D.Scanline(Y)[X] >> 24) == 0xFF;
  B.Unmap(D);
  return Opaque;
}
#endif

cairo_matrix_t ToCairo(const TMatrix& M) {
  cairo_matrix_t R;
  cairo_matrix_init(&R, M.m11, M.m12, M.m21, M.m22, M.m31, M.m32);
  return R;
}

// One corner of a (possibly rounded) rectangle, walked clockwise: the path arrives at In,
// leaves at Out; C is the rectangle's corner point.
struct TCornerWalk {
  TCorner Corner;
  double CX, CY;       // the corner point
  double InX, InY;     // where the rounded corner starts
  double OutX, OutY;   // where it ends
  double RoundA0, RoundA1;  // convex arc angles around (In + Out - C)
  double InnerA0, InnerA1;  // concave arc angles around C
};

void RectPath(cairo_t* Cr, const TRectF& R, float XRadius, float YRadius, TCorners Corners, TCornerType Type) {
  const double L = R.Left, T = R.Top, Rt = R.Right, B = R.Bottom;
  const double XR = std::min<double>(std::fabs(XRadius), std::fabs(R.Width()) / 2);
  const double YR = std::min<double>(std::fabs(YRadius), std::fabs(R.Height()) / 2);
  cairo_new_sub_path(Cr);
  if (!(XR > 0) || !(YR > 0) || Corners.Empty()) {
    cairo_rectangle(Cr, L, T, Rt - L, B - T);
    return;
  }
  const TCornerWalk Walk[4] = {
      {TCorner::TopLeft, L, T, L, T + YR, L + XR, T, Pi, 1.5 * Pi, 0.5 * Pi, 0},
      {TCorner::TopRight, Rt, T, Rt - XR, T, Rt, T + YR, -0.5 * Pi, 0, Pi, 0.5 * Pi},
      {TCorner::BottomRight, Rt, B, Rt, B - YR, Rt - XR, B, 0, 0.5 * Pi, 1.5 * Pi, Pi},
      {TCorner::BottomLeft, L, B, L + XR, B, L, B - YR, 0.5 * Pi, Pi, 0, -0.5 * Pi},
  };
  bool First = true;
  for (const TCornerWalk& W : Walk) {
    if (!Corners.Contains(W.Corner)) {
      if (First) cairo_move_to(Cr, W.CX, W.CY); else cairo_line_to(Cr, W.CX, W.CY);
      First = false;
      continue;
    }
    if (First) cairo_move_to(Cr, W.InX, W.InY); else cairo_line_to(Cr, W.InX, W.InY);
    First = false;
    switch (Type) {
      case TCornerType::Round:
      case TCornerType::InnerRound: {
        const bool Inner = Type == TCornerType::InnerRound;
        cairo_save(Cr);
        if (Inner)
          cairo_translate(Cr, W.CX, W.CY);
        else
          cairo_translate(Cr, W.InX + W.OutX - W.CX, W.InY + W.OutY - W.CY);
        cairo_scale(Cr, XR, YR);
        if (Inner)
          cairo_arc_negative(Cr, 0, 0, 1, W.InnerA0, W.InnerA1);
        else
          cairo_arc(Cr, 0, 0, 1, W.RoundA0, W.RoundA1);
        cairo_restore(Cr);
        break;
      }
      case TCornerType::Bevel:
        cairo_line_to(Cr, W.OutX, W.OutY);
        break;
      case TCornerType::InnerLine:
        cairo_line_to(Cr, W.InX + W.OutX - W.CX, W.InY + W.OutY - W.CY);
        cairo_line_to(Cr, W.OutX, W.OutY);
        break;
    }
  }
  cairo_close_path(Cr);
}

cairo_pattern_t* MakeGradientPattern(const TGradient& G, const TRectF& R, float Opacity) {
  const double W = R.Width(), H = R.Height();
  cairo_pattern_t* P;
  if (G.Style() == TGradientStyle::Radial) {
    P = cairo_pattern_create_radial(0.5, 0.5, 0, 0.5, 0.5, 0.5);
    if (W != 0 && H != 0) {
      // User space to the unit square of the rectangle, then through the radial placement.
      cairo_matrix_t ToUnit;
      cairo_matrix_init_scale(&ToUnit, 1 / W, 1 / H);
      cairo_matrix_translate(&ToUnit, -R.Left, -R.Top);
      cairo_matrix_t Placement = ToCairo(G.RadialTransform());
      if (cairo_matrix_invert(&Placement) == CAIRO_STATUS_SUCCESS) {
        cairo_matrix_t M;
        cairo_matrix_multiply(&M, &ToUnit, &Placement);
        cairo_pattern_set_matrix(P, &M);
      }
    }
  } else {
    const TPointF S = G.StartPosition()->Point(), E = G.StopPosition()->Point();
    P = cairo_pattern_create_linear(R.Left + W * S.X, R.Top + H * S.Y, R.Left + W * E.X, R.Top + H * E.Y);
  }
  // Stops in the stored (not premultiplied) values: Cairo interpolates those, channel by
  // channel, and pads beyond the ends.
  for (const TGradientStop& Stop : G.DeviceStops(Opacity))
    cairo_pattern_add_color_stop_rgba(P, Stop.Offset, Channel(Stop.Color, 16), Channel(Stop.Color, 8),
                                      Channel(Stop.Color, 0), Channel(Stop.Color, 24));
  cairo_pattern_set_extend(P, CAIRO_EXTEND_PAD);
  return P;
}

cairo_pattern_t* MakeBitmapPattern(const TBrushBitmap& BB, const TRectF& R) {
  TBitmap* Bmp = BB.Bitmap();
  cairo_pattern_t* P = cairo_pattern_create_for_surface(Bmp->Surface());
  cairo_matrix_t M;
  if (BB.WrapMode() == TWrapMode::TileStretch && R.Width() != 0 && R.Height() != 0) {
    cairo_matrix_init_scale(&M, Bmp->Width() / R.Width(), Bmp->Height() / R.Height());
    cairo_pattern_set_extend(P, CAIRO_EXTEND_PAD);
  } else {
    // The bitmap at its logical size from the rectangle's top-left corner.
    cairo_matrix_init_scale(&M, Bmp->BitmapScale(), Bmp->BitmapScale());
    cairo_pattern_set_extend(P, BB.WrapMode() == TWrapMode::Tile ? CAIRO_EXTEND_REPEAT : CAIRO_EXTEND_NONE);
  }
  cairo_matrix_translate(&M, -R.Left, -R.Top);
  cairo_pattern_set_matrix(P, &M);
  cairo_pattern_set_filter(P, CAIRO_FILTER_BILINEAR);
  return P;
}

cairo_line_cap_t ToCairo(TStrokeCap Cap) { return Cap == TStrokeCap::Round ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT; }

cairo_line_join_t ToCairo(TStrokeJoin Join) {
  switch (Join) {
    case TStrokeJoin::Round: return CAIRO_LINE_JOIN_ROUND;
    case TStrokeJoin::Bevel: return CAIRO_LINE_JOIN_BEVEL;
    case TStrokeJoin::Miter: break;
  }
  return CAIRO_LINE_JOIN_MITER;
}

class TCanvasCairo : public TCanvas {
 public:
  TCanvasCairo(TBitmap& ABitmap, TCanvasQuality AQuality) : TCanvas(ABitmap, AQuality) {}
  TCanvasCairo(const TWindowBuffer& ABuffer, TCanvasQuality AQuality) : TCanvas(ABuffer, AQuality) {}
  ~TCanvasCairo() override {
    DropScene();
    if (FDeviceBrush) cairo_pattern_destroy(FDeviceBrush);
    if (FPango) g_object_unref(FPango);
  }

 protected:
  bool DoBeginScene(const TClipRects* ClipRects) override;
  void DoEndScene() override;
  void DoSetMatrix(const TMatrix& M) override;
  void DoSetBlending(bool Value) override;
  void DoClear(TAlphaColor Color) override;
  void DoClearRect(const TRectF& ARect, TAlphaColor AColor) override;
  void DoFillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                  const TBrush& ABrush, TCornerType ACornerType) override;
  void DoDrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                  const TStrokeBrush& AStroke, const TBrush& APaint, TCornerType ACornerType) override;
  void DoDrawLine(const TPointF& P1, const TPointF& P2, float AOpacity, const TStrokeBrush& AStroke,
                  const TBrush& APaint) override;
  void DoDrawBitmap(TBitmap& ABitmap, const TRectF& SrcRect, const TRectF& DstRect, float AOpacity,
                    bool HighSpeed) override;
  void DoFillText(const TRectF& ARect, const std::string& AText, bool WordWrap, float AOpacity, TFillTextFlags Flags,
                  TTextAlign ATextAlign, TTextAlign AVTextAlign, const TBrush& APaint) override;
  void DoMeasureText(TRectF& ARect, const std::string& AText, bool WordWrap, TFillTextFlags Flags,
                     TTextAlign ATextAlign, TTextAlign AVTextAlign) override;
  void DoFlush() override {
    if (FTarget) cairo_surface_flush(FTarget);
  }

 private:
  bool Drawable() const { return FContext && !FSingular; }
  void DropScene();
  // Makes the brush the context's source. Returns false for a bitmap brush, whose opacity
  // the caller applies when painting.
  bool SetSource(const TBrush& ABrush, const TRectF& ARect, float AOpacity);
  // Paints the current path (consumed) with the brush.
  void FillPath(const TBrush& ABrush, const TRectF& ARect, float AOpacity);
  void StrokePath(const TStrokeBrush& AStroke, const TBrush& APaint, const TRectF& ARect, float AOpacity);
  // A layout of AText in the canvas's font; its ink lies at (X, Y) for the alignments.
  PangoLayout* Layout(const TRectF& ARect, const std::string& AText, bool WordWrap, TFillTextFlags Flags,
                      TTextAlign ATextAlign, TTextAlign AVTextAlign, TRectF& TextRect);

  cairo_surface_t* FTarget = nullptr;
  cairo_t* FContext = nullptr;
  cairo_pattern_t* FDeviceBrush = nullptr;
  PangoContext* FPango = nullptr;
  // Keeps the pixels of Box (its target pixels) that the scene's rectangles leave out, and puts
  // them back (see DoBeginScene).
  void KeepOutside(const TRectF& Box);
  void RestoreOutside();

  std::vector<TRectF> FSceneRects;
  std::vector<uint32_t> FKept;
  TRectF FKeptBox;
  bool FSingular = false;
};

bool TCanvasCairo::DoBeginScene(const TClipRects* ClipRects) {
  const int W = Width(), H = Height();
  if (TBitmap* Bmp = Bitmap()) {
    if (!Bmp->Surface()) return false;
    FTarget = cairo_surface_reference(Bmp->WritableSurface());
  } else {
    const TWindowBuffer& Buf = WindowBuffer();
    if (!Buf.Data || Buf.Stride < W * 4 || Buf.Stride % 4 != 0) return false;
    FTarget = cairo_image_surface_create_for_data(Buf.Data, CAIRO_FORMAT_ARGB32, W, H, Buf.Stride);
  }
  if (cairo_surface_status(FTarget) == CAIRO_STATUS_SUCCESS) FContext = cairo_create(FTarget);
  if (!FContext || cairo_status(FContext) != CAIRO_STATUS_SUCCESS) {
    DropScene();
    return false;
  }
  cairo_set_antialias(FContext, Quality() == TCanvasQuality::HighPerformance ? CAIRO_ANTIALIAS_NONE
                                                                             : CAIRO_ANTIALIAS_DEFAULT);
  FSceneRects.clear();
  FKept.clear();
  if (ClipRects) {
    // Whole pixels: every pixel that a logical rectangle touches belongs to the area.
    const double S = Scale(), OX = OriginX(), OY = OriginY();
    for (const TRectF& R : *ClipRects) {
      const double L = std::max(0.0, std::floor(R.Left * S) - OX), T = std::max(0.0, std::floor(R.Top * S) - OY);
      const double Rt = std::min<double>(W, std::ceil(R.Right * S) - OX);
      const double B = std::min<double>(H, std::ceil(R.Bottom * S) - OY);
      if (!(Rt > L) || !(B > T)) continue;
      FSceneRects.emplace_back(static_cast<float>(L), static_cast<float>(T), static_cast<float>(Rt),
                               static_cast<float>(B));
    }
    // Cairo, clipped to several rectangles, cuts every shape into their pieces, which moves a
    // smoothed edge crossing them by a grey level from where a paint of everything puts it.
    // The scene is clipped to the one rectangle holding them instead, and what it draws there
    // outside them is undone when it ends.
    TRectF Box;
    for (const TRectF& R : FSceneRects) Box = Box.IsEmpty() ? R : TRectF::Union(Box, R);
    if (FSceneRects.size() > 1) KeepOutside(Box);
    if (!Box.IsEmpty()) cairo_rectangle(FContext, Box.Left, Box.Top, Box.Width(), Box.Height());
    cairo_clip(FContext);
  } else {
    FSceneRects.emplace_back(0.0f, 0.0f, static_cast<float>(W), static_cast<float>(H));
  }
  return true;
}

void TCanvasCairo::DropScene() {
  if (FContext) cairo_destroy(FContext);
  if (FTarget) cairo_surface_destroy(FTarget);
  FContext = nullptr;
  FTarget = nullptr;
}

void TCanvasCairo::KeepOutside(const TRectF& Box) {
  cairo_surface_flush(FTarget);
  uint8_t* Data = cairo_image_surface_get_data(FTarget);
  if (!Data) return;
  FKeptBox = Box;
  const int L = static_cast<int>(Box.Left), T = static_cast<int>(Box.Top), R = static_cast<int>(Box.Right),
            B = static_cast<int>(Box.Bottom);
  const int Stride = cairo_image_surface_get_stride(FTarget);
  FKept.resize(static_cast<size_t>(R - L) * static_cast<size_t>(B - T));
  for (int Y = T; Y < B; ++Y)
    std::memcpy(&FKept[static_cast<size_t>(Y - T) * static_cast<size_t>(R - L)],
                Data + static_cast<ptrdiff_t>(Y) * Stride + static_cast<ptrdiff_t>(L) * 4, static_cast<size_t>(R - L) * 4);
}

void TCanvasCairo::RestoreOutside() {
  uint8_t* Data = cairo_image_surface_get_data(FTarget);
  if (FKept.empty() || !Data) return;
  const int L = static_cast<int>(FKeptBox.Left), T = static_cast<int>(FKeptBox.Top),
            R = static_cast<int>(FKeptBox.Right), B = static_cast<int>(FKeptBox.Bottom);
  const int Stride = cairo_image_surface_get_stride(FTarget);
  std::vector<std::pair<int, int>> Spans;
  for (int Y = T; Y < B; ++Y) {
    // The row's pixels inside some rectangle, as sorted spans; the gaps between get back what
    // they held.
    Spans.clear();
    for (const TRectF& S : FSceneRects)
      if (S.Top <= Y && Y < S.Bottom) Spans.emplace_back(static_cast<int>(S.Left), static_cast<int>(S.Right));
    std::sort(Spans.begin(), Spans.end());
    auto* Row = reinterpret_cast<uint32_t*>(Data + static_cast<ptrdiff_t>(Y) * Stride);
    const uint32_t* Kept = &FKept[static_cast<size_t>(Y - T) * static_cast<size_t>(R - L)];
    int X = L;
    auto Restore = [&](int To) {
      if (To > X) std::memcpy(Row + X, Kept + (X - L), static_cast<size_t>(To - X) * 4);
    };
    for (const auto& [From, To] : Spans) {
      Restore(From);
      X = std::max(X, To);
    }
    Restore(R);
  }
  cairo_surface_mark_dirty_rectangle(FTarget, L, T, R - L, B - T);
  FKept.clear();
}

void TCanvasCairo::DoEndScene() {
  cairo_surface_flush(FTarget);
  RestoreOutside();
  DropScene();
  if (TBitmap* Bmp = Bitmap())
    Bmp->BitmapChanged();
  else if (WindowBuffer().Present)
    WindowBuffer().Present(FSceneRects);
}

void TCanvasCairo::DoSetMatrix(const TMatrix& M) {
  cairo_matrix_t CM = ToCairo(M);
  cairo_matrix_t Check = CM;
  // A singular matrix would put the Cairo context into a lasting error state; nothing
  // drawn through it could be seen anyway.
  FSingular = cairo_matrix_invert(&Check) != CAIRO_STATUS_SUCCESS || !(Scale() > 0);
  if (FSingular) return;
  cairo_identity_matrix(FContext);
  cairo_translate(FContext, -OriginX(), -OriginY());
  cairo_scale(FContext, Scale(), Scale());
  cairo_transform(FContext, &CM);
}

void TCanvasCairo::DoSetBlending(bool Value) {
  if (FContext) cairo_set_operator(FContext, Value ? CAIRO_OPERATOR_OVER : CAIRO_OPERATOR_SOURCE);
}

void TCanvasCairo::DoClear(TAlphaColor Color) {
  if (!FContext) return;
  cairo_save(FContext);
  cairo_identity_matrix(FContext);
  cairo_set_operator(FContext, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_rgba(FContext, Channel(Color, 16), Channel(Color, 8), Channel(Color, 0), Channel(Color, 24));
  cairo_paint(FContext);
  cairo_restore(FContext);
}

void TCanvasCairo::DoClearRect(const TRectF& ARect, TAlphaColor AColor) {
  if (!Drawable()) return;
  double X[4] = {ARect.Left, ARect.Right, ARect.Right, ARect.Left};
  double Y[4] = {ARect.Top, ARect.Top, ARect.Bottom, ARect.Bottom};
  for (int I = 0; I < 4; ++I) cairo_user_to_device(FContext, &X[I], &Y[I]);
  // A pixel belongs to the rectangle when its centre does.
  const double L = std::ceil(*std::min_element(X, X + 4) - 0.5), Rt = std::ceil(*std::max_element(X, X + 4) - 0.5);
  const double T = std::ceil(*std::min_element(Y, Y + 4) - 0.5), B = std::ceil(*std::max_element(Y, Y + 4) - 0.5);
  if (!(Rt > L) || !(B > T)) return;
  cairo_save(FContext);
  cairo_identity_matrix(FContext);
  cairo_set_operator(FContext, CAIRO_OPERATOR_SOURCE);
  cairo_set_antialias(FContext, CAIRO_ANTIALIAS_NONE);
  cairo_rectangle(FContext, L, T, Rt - L, B - T);
  cairo_set_source_rgba(FContext, Channel(AColor, 16), Channel(AColor, 8), Channel(AColor, 0), Channel(AColor, 24));
  cairo_fill(FContext);
  cairo_restore(FContext);
}

bool TCanvasCairo::SetSource(const TBrush& ABrush, const TRectF& ARect, float AOpacity) {
  if (!ReuseDeviceBrush(ABrush, ARect, AOpacity) || !FDeviceBrush) {
    if (FDeviceBrush) cairo_pattern_destroy(FDeviceBrush);
    switch (ABrush.Kind()) {
      case TBrushKind::Gradient:
        FDeviceBrush = MakeGradientPattern(*ABrush.Gradient(), ARect, AOpacity);
        break;
      case TBrushKind::Bitmap:
        FDeviceBrush = MakeBitmapPattern(*ABrush.Bitmap(), ARect);
        break;
      default: {
        const TAlphaColor C = ABrush.Color();
        FDeviceBrush = cairo_pattern_create_rgba(Channel(C, 16), Channel(C, 8), Channel(C, 0),
                                                 Channel(C, 24) * static_cast<double>(AOpacity));
        break;
      }
    }
  }
  cairo_set_source(FContext, FDeviceBrush);
  return ABrush.Kind() != TBrushKind::Bitmap;
}

void TCanvasCairo::FillPath(const TBrush& ABrush, const TRectF& ARect, float AOpacity) {
  if (SetSource(ABrush, ARect, AOpacity) || AOpacity >= 1) {
    cairo_fill(FContext);
    return;
  }
  cairo_save(FContext);
  cairo_clip(FContext);
  cairo_paint_with_alpha(FContext, AOpacity);
  cairo_restore(FContext);
}

void TCanvasCairo::StrokePath(const TStrokeBrush& AStroke, const TBrush& APaint, const TRectF& ARect, float AOpacity) {
  cairo_set_line_width(FContext, AStroke.Thickness());
  cairo_set_line_cap(FContext, ToCairo(AStroke.Cap()));
  cairo_set_line_join(FContext, ToCairo(AStroke.Join()));
  std::vector<double> Dashes;
  for (float D : AStroke.DashArray()) Dashes.push_back(static_cast<double>(D) * AStroke.Thickness());
  cairo_set_dash(FContext, Dashes.data(), static_cast<int>(Dashes.size()),
                 static_cast<double>(AStroke.DashOffset()) * AStroke.Thickness());
  if (SetSource(APaint, ARect, AOpacity) || AOpacity >= 1) {
    cairo_stroke(FContext);
    return;
  }
  cairo_push_group(FContext);
  cairo_set_source(FContext, FDeviceBrush);
  cairo_stroke(FContext);
  cairo_pop_group_to_source(FContext);
  cairo_paint_with_alpha(FContext, AOpacity);
}

void TCanvasCairo::DoFillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                              const TBrush& ABrush, TCornerType ACornerType) {
  if (!Drawable()) return;
  RectPath(FContext, ARect, XRadius, YRadius, ACorners, ACornerType);
  FillPath(ABrush, ARect, AOpacity);
}

void TCanvasCairo::DoDrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                              const TStrokeBrush& AStroke, const TBrush& APaint, TCornerType ACornerType) {
  if (!Drawable()) return;
  RectPath(FContext, ARect, XRadius, YRadius, ACorners, ACornerType);
  StrokePath(AStroke, APaint, ARect, AOpacity);
}

void TCanvasCairo::DoDrawLine(const TPointF& P1, const TPointF& P2, float AOpacity, const TStrokeBrush& AStroke,
                              const TBrush& APaint) {
  if (!Drawable()) return;
  cairo_new_path(FContext);
  cairo_move_to(FContext, P1.X, P1.Y);
  cairo_line_to(FContext, P2.X, P2.Y);
  const TRectF Bounds(std::min(P1.X, P2.X), std::min(P1.Y, P2.Y), std::max(P1.X, P2.X), std::max(P1.Y, P2.Y));
  StrokePath(AStroke, APaint, Bounds, AOpacity);
}

void TCanvasCairo::DoDrawBitmap(TBitmap& ABitmap, const TRectF& SrcRect, const TRectF& DstRect, float AOpacity,
                                bool HighSpeed) {
  if (!Drawable()) return;
  cairo_pattern_t* P = cairo_pattern_create_for_surface(ABitmap.Surface());
  cairo_matrix_t M;
  cairo_matrix_init_translate(&M, SrcRect.Left, SrcRect.Top);
  cairo_matrix_scale(&M, static_cast<double>(SrcRect.Width()) / DstRect.Width(),
                     static_cast<double>(SrcRect.Height()) / DstRect.Height());
  cairo_matrix_translate(&M, -DstRect.Left, -DstRect.Top);
  cairo_pattern_set_matrix(P, &M);
  cairo_pattern_set_filter(P, HighSpeed ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_BILINEAR);
  cairo_pattern_set_extend(P, CAIRO_EXTEND_PAD);
  cairo_save(FContext);
  if (HighSpeed) cairo_set_antialias(FContext, CAIRO_ANTIALIAS_NONE);
  // Without smoothing every pixel is covered wholly or not at all (the scene's clip is whole
  // pixels too), and "over" with an opaque source gives the source itself: a copy gives the
  // same pixels for a fraction of the work. A 3D view's frames are mostly opaque.
  if (HighSpeed && AOpacity >= 1 && ABitmap.KnownOpaque()) {
    assert(EveryPixelOpaque(ABitmap) && "a bitmap known opaque holds a translucent pixel");
    cairo_set_operator(FContext, CAIRO_OPERATOR_SOURCE);
  }
  cairo_rectangle(FContext, DstRect.Left, DstRect.Top, DstRect.Width(), DstRect.Height());
  cairo_set_source(FContext, P);
  if (AOpacity >= 1) {
    cairo_fill(FContext);
  } else {
    cairo_clip(FContext);
    cairo_paint_with_alpha(FContext, std::max(AOpacity, 0.0f));
  }
  cairo_restore(FContext);
  cairo_pattern_destroy(P);
}

PangoLayout* TCanvasCairo::Layout(const TRectF& ARect, const std::string& AText, bool WordWrap, TFillTextFlags Flags,
                                  TTextAlign ATextAlign, TTextAlign AVTextAlign, TRectF& TextRect) {
  if (!FPango) {
    FPango = pango_font_map_create_context(pango_cairo_font_map_get_default());
    // Unhinted metrics keep text the same size at every scale and under every matrix.
    cairo_font_options_t* O = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(O, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(O, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_antialias(O, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(FPango, O);
    cairo_font_options_destroy(O);
  }
  if (FContext && !FSingular)
    pango_cairo_update_context(FContext, FPango);
  else
    pango_context_set_matrix(FPango, nullptr);

  PangoLayout* L = pango_layout_new(FPango);
  pango_layout_set_text(L, AText.data(), static_cast<int>(AText.size()));
  const TFont& F = *Font();
  PangoFontDescription* D = pango_font_description_new();
  pango_font_description_set_family(D, F.Family().c_str());
  pango_font_description_set_absolute_size(D, static_cast<double>(F.Size()) * PANGO_SCALE);
  pango_font_description_set_weight(D, F.Style().Contains(fsBold) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(D, F.Style().Contains(fsItalic) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
  pango_layout_set_font_description(L, D);
  pango_font_description_free(D);
  if (F.Style().Contains(fsUnderline) || F.Style().Contains(fsStrikeOut)) {
    PangoAttrList* Attrs = pango_attr_list_new();
    if (F.Style().Contains(fsUnderline)) pango_attr_list_insert(Attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
    if (F.Style().Contains(fsStrikeOut)) pango_attr_list_insert(Attrs, pango_attr_strikethrough_new(TRUE));
    pango_layout_set_attributes(L, Attrs);
    pango_attr_list_unref(Attrs);
  }

  // Leading and trailing swap for right-to-left text.
  TTextAlign H = ATextAlign;
  if (Flags.Contains(TFillTextFlag::RightToLeft) && H != TTextAlign::Center)
    H = H == TTextAlign::Leading ? TTextAlign::Trailing : TTextAlign::Leading;
  // Lines align within the wrapping width, or within the widest line without wrapping; the
  // flags, not the text's script, decide which side is leading.
  pango_layout_set_auto_dir(L, FALSE);
  pango_layout_set_alignment(L, H == TTextAlign::Center     ? PANGO_ALIGN_CENTER
                                : H == TTextAlign::Trailing ? PANGO_ALIGN_RIGHT
                                                            : PANGO_ALIGN_LEFT);
  if (WordWrap && ARect.Width() > 0) {
    pango_layout_set_width(L, static_cast<int>(ARect.Width() * PANGO_SCALE));
    pango_layout_set_wrap(L, PANGO_WRAP_WORD_CHAR);
  }
  PangoRectangle Logical;
  pango_layout_get_extents(L, nullptr, &Logical);
  const float TW = static_cast<float>(Logical.width) / PANGO_SCALE;
  const float TH = static_cast<float>(Logical.height) / PANGO_SCALE;
  float X;
  if (WordWrap && ARect.Width() > 0)
    X = ARect.Left + static_cast<float>(Logical.x) / PANGO_SCALE;
  else if (H == TTextAlign::Center)
    X = ARect.Left + (ARect.Width() - TW) / 2;
  else if (H == TTextAlign::Trailing)
    X = ARect.Right - TW;
  else
    X = ARect.Left;
  float Y = AVTextAlign == TTextAlign::Center     ? ARect.Top + (ARect.Height() - TH) / 2
            : AVTextAlign == TTextAlign::Trailing ? ARect.Bottom - TH
                                                  : ARect.Top;
  TextRect = TRectF(X, Y, X + TW, Y + TH);
  return L;
}

void TCanvasCairo::DoFillText(const TRectF& ARect, const std::string& AText, bool WordWrap, float AOpacity,
                              TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign,
                              const TBrush& APaint) {
  if (!Drawable()) return;
  TRectF TextRect;
  PangoLayout* L = Layout(ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign, TextRect);
  PangoRectangle Logical;
  pango_layout_get_extents(L, nullptr, &Logical);
  cairo_new_path(FContext);
  // The layout's origin: its logical box starts Logical.x / .y inside it.
  const double OX = TextRect.Left - static_cast<double>(Logical.x) / PANGO_SCALE;
  const double OY = TextRect.Top - static_cast<double>(Logical.y) / PANGO_SCALE;
  if (SetSource(APaint, ARect, AOpacity) || AOpacity >= 1) {
    cairo_move_to(FContext, OX, OY);
    pango_cairo_show_layout(FContext, L);
  } else {
    cairo_push_group(FContext);
    cairo_set_source(FContext, FDeviceBrush);
    cairo_move_to(FContext, OX, OY);
    pango_cairo_show_layout(FContext, L);
    cairo_pop_group_to_source(FContext);
    cairo_paint_with_alpha(FContext, AOpacity);
  }
  g_object_unref(L);
}

void TCanvasCairo::DoMeasureText(TRectF& ARect, const std::string& AText, bool WordWrap, TFillTextFlags Flags,
                                 TTextAlign ATextAlign, TTextAlign AVTextAlign) {
  if (AText.empty()) {
    ARect = TRectF(ARect.Left, ARect.Top, ARect.Left, ARect.Top);
    return;
  }
  TRectF TextRect;
  g_object_unref(Layout(ARect, AText, WordWrap, Flags, ATextAlign, AVTextAlign, TextRect));
  ARect = TextRect;
}
}  // namespace

#if defined(__SANITIZE_ADDRESS__)
// Fontconfig keeps the patterns of the fonts Cairo and Pango have matched for the rest of the
// process; LeakSanitizer would report those caches at exit in every program that draws text.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
#endif

bool CairoFontsAvailable() {
  // Asked of fontconfig itself: Pango always lists its generic families (Sans, Serif...), with
  // faces, even when no font file stands behind them.
  FcPattern* Any = FcPatternCreate();
  FcObjectSet* Family = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* Fonts = FcFontList(nullptr, Any, Family);
  const bool Found = Fonts && Fonts->nfont > 0;
  if (Fonts) FcFontSetDestroy(Fonts);
  FcObjectSetDestroy(Family);
  FcPatternDestroy(Any);
  return Found;
}

const TCanvasClass& CairoCanvasClass() {
  static const TCanvasClass Class{
      "TCanvasCairo",
      TCanvasStyles{TCanvasStyle::SupportClipRects, TCanvasStyle::SupportModulation},
      [](TBitmap& B, TCanvasQuality Q) -> std::unique_ptr<TCanvas> { return std::make_unique<TCanvasCairo>(B, Q); },
      [](const TWindowBuffer& W, TCanvasQuality Q) -> std::unique_ptr<TCanvas> {
        return std::make_unique<TCanvasCairo>(W, Q);
      }};
  return Class;
}
