#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "CanvasTestUtil.h"
#include "shell/canvas/CanvasCairo.h"

namespace {
using namespace canvastest;

struct TCounter : TObject {
  int Count = 0;
  void Hit(TObject*) { ++Count; }
};

// A window back end's buffer: pixels it owns and a record of what was presented.
struct TWindow {
  std::vector<uint32_t> Pixels;
  int Presents = 0;
  std::vector<TRectF> Presented;
  TWindowBuffer Buffer;
  TWindow(int W, int H, float Scale = 1) : Pixels(static_cast<size_t>(W) * static_cast<size_t>(H) + 1, 0) {
    Buffer.Data = reinterpret_cast<uint8_t*>(Pixels.data());
    Buffer.Width = W;
    Buffer.Height = H;
    Buffer.Stride = W * 4;
    Buffer.Scale = Scale;
    Buffer.Present = [this](const std::vector<TRectF>& Rects) {
      ++Presents;
      Presented = Rects;
    };
  }
  uint32_t At(int X, int Y) const { return Pixels[static_cast<size_t>(Y) * static_cast<size_t>(Buffer.Width) + X]; }
};

TEST(CanvasScene, ATargetWithAZeroSideFailsAndReleasesTheLock) {
  TTarget Bmp0x100(0, 100);
  TTarget Bmp100x0(100, 0);
  TWindow Win0x100(0, 100);
  TWindow NoPixels(10, 10);
  NoPixels.Buffer.Data = nullptr;
  auto WinCanvas = TCanvasManager::CreateFromWindow(Win0x100.Buffer);
  auto NoPixelsCanvas = TCanvasManager::CreateFromWindow(NoPixels.Buffer);
  for (TCanvas* C : {Bmp0x100.Canvas.get(), Bmp100x0.Canvas.get(), WinCanvas.get(), NoPixelsCanvas.get()}) {
    EXPECT_FALSE(C->BeginScene());
    EXPECT_EQ(C->BeginSceneCount(), 0);
    EXPECT_TRUE(LockFreeForOtherThreads());
  }
  EXPECT_EQ(Win0x100.Presents, 0);
}

TEST(CanvasScene, NestedScenesNeedTwoEndsAndOnlyTheOuterFinishes) {
  TTarget T(4, 4);
  TCounter Changes;
  T.Bitmap.OnChange = TNotifyEvent(&Changes, &TCounter::Hit);
  ASSERT_TRUE(T.Canvas->BeginScene());
  ASSERT_TRUE(T.Canvas->BeginScene());
  EXPECT_EQ(T.Canvas->BeginSceneCount(), 2);
  T.Canvas->Clear(0xFF00FF00);
  T.Canvas->EndScene();
  EXPECT_EQ(T.Canvas->BeginSceneCount(), 1);
  EXPECT_EQ(Changes.Count, 0) << "the inner end finishes nothing";
  EXPECT_FALSE(LockFreeForOtherThreads());
  T.Canvas->EndScene();
  EXPECT_EQ(T.Canvas->BeginSceneCount(), 0);
  EXPECT_EQ(Changes.Count, 1);
  EXPECT_TRUE(LockFreeForOtherThreads());
  EXPECT_EQ(T.At(3, 3), 0xFF00FF00u);
}

TEST(CanvasScene, AWindowCanvasPresentsOnceAtTheOuterEnd) {
  TWindow W(8, 6);
  auto C = TCanvasManager::CreateFromWindow(W.Buffer);
  EXPECT_EQ(C->Width(), 8);
  EXPECT_EQ(C->Height(), 6);
  EXPECT_EQ(C->Bitmap(), nullptr);
  ASSERT_TRUE(C->BeginScene());
  ASSERT_TRUE(C->BeginScene());
  C->Clear(0xFFFF0000);
  C->EndScene();
  EXPECT_EQ(W.Presents, 0);
  C->EndScene();
  EXPECT_EQ(W.Presents, 1);
  EXPECT_EQ(W.Presented, (std::vector<TRectF>{TRectF(0, 0, 8, 6)}));
  EXPECT_EQ(W.At(7, 5), 0xFFFF0000u) << "Cairo's ARGB32 is the buffer's format";
}

TEST(CanvasScene, ScenesOfDifferentCanvasesNestOnOneThreadButExcludeOthers) {
  TTarget A(2, 2), B(2, 2);
  ASSERT_TRUE(A.Canvas->BeginScene());
  ASSERT_TRUE(B.Canvas->BeginScene());
  B.Canvas->EndScene();
  EXPECT_FALSE(LockFreeForOtherThreads());
  A.Canvas->EndScene();
  EXPECT_TRUE(LockFreeForOtherThreads());
  // The 3D context takes the same lock directly.
  TCanvas::Lock();
  EXPECT_FALSE(LockFreeForOtherThreads());
  ASSERT_TRUE(A.Canvas->BeginScene());
  A.Canvas->EndScene();
  TCanvas::Unlock();
  EXPECT_TRUE(LockFreeForOtherThreads());
}

TEST(CanvasScene, AnErrorWhileDrawingStillEndsTheScene) {
  TTarget T(2, 2);
  try {
    ASSERT_TRUE(T.Canvas->BeginScene());
    struct TEnd {
      TCanvas* C;
      ~TEnd() { C->EndScene(); }
    } End{T.Canvas.get()};
    throw std::runtime_error("drawing failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(T.Canvas->BeginSceneCount(), 0);
  EXPECT_TRUE(LockFreeForOtherThreads());
}

TEST(CanvasScene, BeginSceneResetsStrokeFillKindAndMatrixButNotColours) {
  TTarget T(4, 4);
  TCanvas& C = *T.Canvas;
  ASSERT_TRUE(C.BeginScene());
  C.Stroke()->SetThickness(3);
  C.Stroke()->SetCap(TStrokeCap::Round);
  C.Stroke()->SetJoin(TStrokeJoin::Bevel);
  C.Stroke()->SetDash(TStrokeDash::Dot);
  C.Stroke()->SetKind(TBrushKind::Gradient);
  C.Fill()->SetKind(TBrushKind::None);
  C.Fill()->SetColor(0xFF123456);
  C.SetMatrix(TMatrix::CreateTranslation(5, 5));
  C.EndScene();
  ASSERT_TRUE(C.BeginScene());
  EXPECT_EQ(C.Stroke()->Thickness(), 1.0f);
  EXPECT_EQ(C.Stroke()->Cap(), TStrokeCap::Flat);
  EXPECT_EQ(C.Stroke()->Join(), TStrokeJoin::Miter);
  EXPECT_EQ(C.Stroke()->Dash(), TStrokeDash::Solid);
  EXPECT_EQ(C.Stroke()->Kind(), TBrushKind::Solid);
  EXPECT_EQ(C.Fill()->Kind(), TBrushKind::Solid);
  EXPECT_EQ(C.Fill()->Color(), 0xFF123456u);
  EXPECT_EQ(C.Matrix(), TMatrix::Identity());
  C.FillRect(TRectF(0, 0, 1, 1), 0, 0, AllCorners, 1);
  C.EndScene();
  EXPECT_EQ(T.At(0, 0), 0xFF123456u) << "drawn without the old translation";
}

TEST(CanvasScene, ClipRectsLimitDrawingToTheirUnionInWholePixels) {
  TWindow W(20, 10, 2);  // 10 × 5 logical units
  auto C = TCanvasManager::CreateFromWindow(W.Buffer);
  const TClipRects Clip = {TRectF(0, 0, 2, 1), TRectF(7.25f, 3, 10, 5)};
  ASSERT_TRUE(C->BeginScene(&Clip));
  C->Clear(0xFF0000FF);
  C->FillRect(TRectF(0, 0, 10, 5), 0, 0, {}, 1);
  C->EndScene();
  EXPECT_EQ(W.Presented, (std::vector<TRectF>{TRectF(0, 0, 4, 2), TRectF(14, 6, 20, 10)}));
  EXPECT_EQ(W.At(3, 1), 0xFF000000u) << "inside the first rectangle: filled black";
  EXPECT_EQ(W.At(4, 1), 0u) << "right of it: untouched";
  EXPECT_EQ(W.At(14, 6), 0xFF000000u) << "7.25 × 2 = 14.5: the touched pixel 14 belongs to the area";
  EXPECT_EQ(W.At(13, 6), 0u);
  EXPECT_EQ(W.At(10, 3), 0u) << "between the rectangles";
}

// A surface painted piece by piece, each piece a small target with its origin on the surface,
// gets the pixels of the whole: clip rectangles, clears, gradients and edges all stay in place.
TEST(CanvasScene, PiecesWithTheirOriginGetThePixelsOfTheWholeTarget) {
  const float Scale = 1.5f;
  const TClipRects Clip = {TRectF(1.5f, 2, 30, 17), TRectF(10, 12.25f, 26, 19)};
  auto Paint = [&Clip](TCanvas& C) {
    if (!C.BeginScene(&Clip)) return;
    C.ClearRect(TRectF(0, 0, 32, 20), 0x00FFFFFF);
    TBrush Fill(TBrushKind::Gradient, 0);
    C.FillRect(TRectF(0, 0, 32, 20), 0, 0, {}, 1, Fill);
    TMatrix Turn;  // about 17 degrees
    Turn.m11 = Turn.m22 = 0.955f;
    Turn.m12 = 0.296f;
    Turn.m21 = -0.296f;
    C.SetMatrix(Turn);
    C.FillRect(TRectF(8, 1, 20, 9.5f), 2, 2, AllCorners, 0.75f, TBrush(TBrushKind::Solid, 0xFFC03020));
    C.EndScene();
  };
  TTarget Whole(48, 30, Scale);
  Paint(*Whole.Canvas);
  for (int Rows : {7, 30}) {
    TTarget Piece(48, Rows, Scale);
    for (int Y = 0; Y < 30; Y += Rows) {
      Piece.Bitmap.Clear(0);
      Piece.Canvas->SetOrigin(0, Y);
      Paint(*Piece.Canvas);
      for (int Row = Y; Row < std::min(Y + Rows, 30); ++Row)
        for (int X = 0; X < 48; ++X) ASSERT_EQ(Piece.At(X, Row - Y), Whole.At(X, Row)) << X << ", " << Row;
    }
  }
}

// A scene limited to several rectangles gives, inside them, the pixels of a scene over the whole
// target: smoothed edges crossing from one rectangle into another keep their grey levels (cairo,
// clipped to several rectangles at once, cuts the shapes into their pieces and moved such edges
// by a level). Outside them nothing changes. (A slanted edge crossing the outer sides of the
// area may still differ by a level: cairo cuts it there even for one rectangle.)
TEST(CanvasScene, SeveralClipRectsGetThePixelsOfAWholePaintInsideThemAndLeaveTheRest) {
  const uint32_t Marker = 0xFF123456;
  auto Paint = [](TCanvas& C, const TClipRects* Clip) {
    if (!C.BeginScene(Clip)) return;
    C.Clear(0xFFF0F0F0);
    TStrokeBrush Edge(TBrushKind::Solid, 0xFF808080);
    C.DrawRect(TRectF(2.5f, 9.3f, 37.5f, 24), 0, 0, {}, 1, Edge);
    TMatrix Turn;  // about 17 degrees
    Turn.m11 = Turn.m22 = 0.955f;
    Turn.m12 = 0.296f;
    Turn.m21 = -0.296f;
    C.SetMatrix(Turn);
    C.FillRect(TRectF(8, 1, 30, 15.5f), 3, 3, AllCorners, 0.75f, TBrush(TBrushKind::Solid, 0xFFC03020));
    C.EndScene();
  };
  TWindow Whole(60, 40, 1.5f);
  auto WholeCanvas = TCanvasManager::CreateFromWindow(Whole.Buffer);
  Paint(*WholeCanvas, nullptr);
  const struct {
    const char* Name;
    TClipRects Clip;
  } Cases[] = {
      {"one rectangle", {TRectF(2, 2, 30, 25)}},
      {"two side by side", {TRectF(2, 2, 16, 25), TRectF(16, 2, 30, 14)}},
      {"two apart", {TRectF(0, 0, 12, 10.4f), TRectF(20.3f, 8, 40, 26.5f)}},
      {"three overlapping", {TRectF(1, 1, 15, 15), TRectF(10, 9.5f, 30, 25), TRectF(14, 2, 38, 12)}},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    TWindow W(60, 40, 1.5f);
    std::fill(W.Pixels.begin(), W.Pixels.end(), Marker);
    auto C = TCanvasManager::CreateFromWindow(W.Buffer);
    Paint(*C, &Case.Clip);
    ASSERT_EQ(W.Presents, 1);
    for (int Y = 0; Y < 40; ++Y)
      for (int X = 0; X < 60; ++X) {
        bool Inside = false;
        for (const TRectF& R : W.Presented) Inside = Inside || R.Contains(TPointF(X + 0.5f, Y + 0.5f));
        ASSERT_EQ(W.At(X, Y), Inside ? Whole.At(X, Y) : Marker) << X << ", " << Y;
      }
  }
}

TEST(CanvasScene, NothingIsDrawnOutsideAScene) {
  TTarget T(4, 4);
  T.Canvas->Clear(0xFFFFFFFF);
  T.Canvas->FillRect(TRectF(0, 0, 4, 4), 0, 0, {}, 1);
  TBitmap Src(1, 1);
  Src.Clear(0xFFFFFFFF);
  T.Canvas->DrawBitmap(Src, Src.Bounds(), TRectF(0, 0, 4, 4), 1);
  EXPECT_EQ(T.At(1, 1), 0u);
}

TEST(CanvasManager, WithoutAnyClassItRaises) {
  TCanvasManager::SetPlatformRegistration(nullptr);
  TCanvasManager::UnInitialize();
  try {
    TCanvasManager::DefaultCanvas();
    FAIL() << "no exception";
  } catch (const ECanvasManagerException& E) {
    EXPECT_EQ(E.Message(), "No TCanvas implementation found");
  }
  TBitmap B(2, 2);
  EXPECT_THROW(TCanvasManager::CreateFromBitmap(B), ECanvasManagerException);
  EXPECT_EQ(TCanvasManager::DefaultPrinter(), nullptr);

  // The first class marked default wins; without one, the first registered.
  TCanvasClass Plain{"TPlain", {}, nullptr, nullptr};
  TCanvasClass Preferred{"TPreferred", {}, nullptr, nullptr};
  TCanvasManager::RegisterCanvas(Plain, false, true);
  EXPECT_EQ(&TCanvasManager::DefaultCanvas(), &Plain);
  TCanvasManager::RegisterCanvas(Preferred, true, false);
  EXPECT_EQ(&TCanvasManager::DefaultCanvas(), &Preferred);
  EXPECT_EQ(TCanvasManager::DefaultPrinter(), &Plain);

  TCanvasManager::SetPlatformRegistration([] { TCanvasManager::RegisterCanvas(CairoCanvasClass(), true, true); });
  TCanvasManager::UnInitialize();
}

TEST(CanvasManager, TheCairoCanvasIsTheDefault) {
  const TCanvasClass& C = TCanvasManager::DefaultCanvas();
  EXPECT_EQ(C.Name, "TCanvasCairo");
  EXPECT_TRUE(C.Style.Contains(TCanvasStyle::SupportClipRects));
  TBitmap B(3, 2);
  B.SetBitmapScale(1.5f);
  TCanvas* Canvas = B.Canvas();
  ASSERT_NE(Canvas, nullptr);
  EXPECT_EQ(B.Canvas(), Canvas) << "one canvas per bitmap";
  EXPECT_EQ(Canvas->Bitmap(), &B);
  EXPECT_EQ(Canvas->Width(), 3);
  EXPECT_EQ(Canvas->Height(), 2);
  EXPECT_EQ(Canvas->Scale(), 1.5f);
}

}  // namespace
