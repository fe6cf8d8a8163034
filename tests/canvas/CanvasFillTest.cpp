#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "CanvasTestUtil.h"

namespace {
using namespace canvastest;

// The colour a linear gradient should give a pixel row y of a rectangle H rows high with the
// default vertical line: its centre's offset (y + 0.5) / H through the stop rule.
TAlphaColor RuleAtRow(const TGradient& G, int Y, int H, float Opacity = 1) {
  return TGradient::InterpolateStops(G.DeviceStops(Opacity), (Y + 0.5f) / static_cast<float>(H));
}

// Fills the whole target with Brush in one scene.
void FillAll(TTarget& T, const TBrush& Brush, float Opacity = 1) {
  ASSERT_TRUE(T.Canvas->BeginScene());
  T.Canvas->FillRect(T.Bitmap.Bounds(), 0, 0, {}, Opacity, Brush);
  T.Canvas->EndScene();
}

TEST(CanvasGradient, TheSeaGradientOver2428Rows) {
  constexpr int H = 2428;
  TTarget T(3, H);
  TBrush Fill(TBrushKind::None, 0xFFFFFFFF);
  Fill.SetKind(TBrushKind::Gradient);
  FillAll(T, Fill);
  EXPECT_EQ(T.At(0, 0), 0xFF000000u) << "top row black";
  EXPECT_EQ(T.At(2, H - 1), 0xFFFFFFFFu) << "bottom row white";
  const TAlphaColor Mid = T.At(1, H / 2);
  EXPECT_EQ(A(Mid), 255);
  EXPECT_TRUE(R(Mid) == 127 || R(Mid) == 128) << R(Mid);
  EXPECT_EQ(R(Mid), G(Mid));
  EXPECT_EQ(G(Mid), B(Mid));
  // Every row, against the rule: Cairo's gradient walker rounds in its own way, one step at most.
  int Worst = 0;
  for (int Y = 0; Y < H; ++Y) Worst = std::max(Worst, ChannelDistance(T.At(1, Y), RuleAtRow(*Fill.Gradient(), Y, H)));
  EXPECT_LE(Worst, 1);
  // Rows are uniform: the line is vertical.
  EXPECT_EQ(T.At(0, 1000), T.At(2, 1000));
}

TEST(CanvasGradient, InnerStopsClampTheQuartersBeyondThem) {
  constexpr int H = 400;
  TTarget T(2, H);
  TBrush Fill(TBrushKind::Gradient, 0);
  SetPoints(*Fill.Gradient(), {{0xFFFF0000, 0.25f}, {0xFF0000FF, 0.75f}});
  FillAll(T, Fill);
  for (int Y = 0; Y < H / 4; ++Y) ASSERT_EQ(T.At(0, Y), 0xFFFF0000u) << "row " << Y;
  for (int Y = 3 * H / 4; Y < H; ++Y) ASSERT_EQ(T.At(0, Y), 0xFF0000FFu) << "row " << Y;
  int Worst = 0;
  for (int Y = H / 4; Y < 3 * H / 4; ++Y)
    Worst = std::max(Worst, ChannelDistance(T.At(0, Y), RuleAtRow(*Fill.Gradient(), Y, H)));
  EXPECT_LE(Worst, 1);
  const TAlphaColor Mid = T.At(0, H / 2);
  EXPECT_NEAR(R(Mid), 127, 1);
  EXPECT_NEAR(B(Mid), 128, 1);
}

TEST(CanvasGradient, TranslucentStopsInterpolateStoredValuesNotPremultiplied) {
  constexpr int H = 256;
  TTarget T(1, H);
  TBrush Fill(TBrushKind::Gradient, 0);
  SetPoints(*Fill.Gradient(), {{0x00FF0000, 0}, {0xFF0000FF, 1}});
  FillAll(T, Fill);
  // Halfway the red of the transparent first stop still counts for half; premultiplied
  // interpolation would leave no red at all. Reading back unpremultiplies from 8 bits, so
  // allow a few steps.
  const TAlphaColor Mid = T.At(0, H / 2);
  EXPECT_NEAR(A(Mid), 128, 2);
  EXPECT_NEAR(R(Mid), 127, 3);
  EXPECT_NEAR(B(Mid), 128, 3);
}

TEST(CanvasGradient, OpacityAndDirection) {
  TTarget T(100, 1);
  TBrush Fill(TBrushKind::Gradient, 0);
  Fill.Gradient()->StopPosition()->SetPoint({1, 0});  // left to right
  FillAll(T, Fill, 0.5f);
  EXPECT_EQ(A(T.At(0, 0)), 127) << "MakeColor: Trunc(0.5 × 255)";
  EXPECT_EQ(A(T.At(99, 0)), 127);
  // Pixel centres lie half a pixel inside the ends, and reading back unpremultiplies from
  // alpha 127: a few steps from pure black and white.
  EXPECT_LE(R(T.At(0, 0)), 3);
  EXPECT_GE(R(T.At(99, 0)), 252);
  EXPECT_LT(R(T.At(30, 0)), R(T.At(70, 0)));
}

TEST(CanvasGradient, FewerThanTwoPointsShowNothing) {
  TTarget T(4, 4);
  T.Bitmap.Clear(0xFF336699);
  TBrush Fill(TBrushKind::Gradient, 0);
  SetPoints(*Fill.Gradient(), {{0xFFFF0000, 0.5f}});
  FillAll(T, Fill);
  EXPECT_EQ(T.At(2, 2), 0xFF336699u);
}

TEST(CanvasFill, KindNoneChangesNoPixel) {
  TTarget T(6, 6);
  T.Bitmap.Clear(0x80402010);
  TBitmapData Before;
  std::vector<uint32_t> Saved;
  T.Bitmap.Map(TMapAccess::Read, Before);
  for (int Y = 0; Y < 6; ++Y) Saved.insert(Saved.end(), Before.Scanline(Y), Before.Scanline(Y) + 6);
  T.Bitmap.Unmap(Before);
  TBrush None(TBrushKind::None, 0xFFFFFFFF);
  FillAll(T, None);
  ASSERT_TRUE(T.Canvas->BeginScene());
  T.Canvas->Fill()->SetKind(TBrushKind::None);
  T.Canvas->FillRect(TRectF(0, 0, 6, 6), 2, 2, AllCorners, 1);
  T.Canvas->EndScene();
  TBitmapData After;
  T.Bitmap.Map(TMapAccess::Read, After);
  for (int Y = 0; Y < 6; ++Y)
    for (int X = 0; X < 6; ++X) EXPECT_EQ(After.Scanline(Y)[X], Saved[static_cast<size_t>(Y * 6 + X)]);
  T.Bitmap.Unmap(After);
}

TEST(CanvasFill, TranslucentSolidAtHalfOpacityIsRedWithAQuarterAlpha) {
  TTarget T(4, 4);
  TBrush Red(TBrushKind::Solid, 0x80FF0000);
  FillAll(T, Red, 0.5f);
  const TAlphaColor P = T.At(1, 1);
  // 128 / 255 × 0.5 = 0.251 of 255 = 64.
  EXPECT_NEAR(A(P), 0.25 * 255, 1);
  EXPECT_EQ(R(P), 255);
  EXPECT_EQ(G(P), 0);
  EXPECT_EQ(B(P), 0);
}

TEST(CanvasFill, OpaqueColoursAreExactAndBlendOver) {
  TTarget T(4, 1);
  TBrush Solid(TBrushKind::Solid, 0xFF123456);
  FillAll(T, Solid);
  EXPECT_EQ(T.At(0, 0), 0xFF123456u);
  Solid.SetColor(0xFFFFFFFF);
  FillAll(T, Solid, 0.5f);
  const TAlphaColor P = T.At(0, 0);
  EXPECT_EQ(A(P), 255);
  EXPECT_NEAR(R(P), (0x12 + 255) / 2.0, 1);
  EXPECT_NEAR(B(P), (0x56 + 255) / 2.0, 1);
}

TEST(CanvasFill, RoundedCornersOnlyWhereAsked) {
  TTarget T(40, 40);
  TBrush Solid(TBrushKind::Solid, 0xFF000000);
  ASSERT_TRUE(T.Canvas->BeginScene());
  T.Canvas->FillRect(TRectF(0, 0, 40, 40), 10, 10, TCorners{TCorner::TopLeft, TCorner::BottomRight}, 1, Solid);
  T.Canvas->EndScene();
  EXPECT_EQ(T.At(0, 0), 0u) << "rounded top-left";
  EXPECT_EQ(T.At(39, 39), 0u) << "rounded bottom-right";
  EXPECT_EQ(T.At(39, 0), 0xFF000000u) << "square top-right";
  EXPECT_EQ(T.At(0, 39), 0xFF000000u) << "square bottom-left";
  EXPECT_EQ(T.At(5, 5), 0xFF000000u) << "inside the arc";
  EXPECT_EQ(T.At(20, 20), 0xFF000000u);

  TTarget Square(10, 10);
  ASSERT_TRUE(Square.Canvas->BeginScene());
  Square.Canvas->FillRect(TRectF(0, 0, 10, 10), 4, 4, {}, 1, Solid);  // no corners: square
  Square.Canvas->EndScene();
  EXPECT_EQ(Square.At(0, 0), 0xFF000000u);
}

TEST(CanvasFill, ClearReplacesWithoutBlendingAndIgnoresTheMatrix) {
  TTarget T(10, 10);
  T.Bitmap.Clear(0xFFFF0000);
  ASSERT_TRUE(T.Canvas->BeginScene());
  T.Canvas->SetMatrix(TMatrix::CreateTranslation(100, 100));
  T.Canvas->Clear(0x8000FF00);
  T.Canvas->EndScene();
  const TAlphaColor P = T.At(0, 0);
  EXPECT_EQ(A(P), 0x80);
  EXPECT_EQ(R(P), 0) << "no red from below: not blended";
  EXPECT_EQ(G(P), 255);
  EXPECT_EQ(T.At(9, 9), P);
}

TEST(CanvasFill, ClearRectIsPixelAlignedAndFollowsMatrixAndScale) {
  TTarget T(20, 20, 2);  // 10 × 10 logical
  T.Bitmap.Clear(0xFFFFFFFF);
  ASSERT_TRUE(T.Canvas->BeginScene());
  T.Canvas->SetMatrix(TMatrix::CreateTranslation(1, 0));
  // Logical 1.1 .. 3.3 plus the translation is 2.1 .. 4.3, pixels 4.2 .. 8.6: whole pixels
  // whose centres lie inside are 4 .. 8.
  T.Canvas->ClearRect(TRectF(1.1f, 0, 3.3f, 1), 0);
  T.Canvas->EndScene();
  EXPECT_EQ(T.At(3, 0), 0xFFFFFFFFu);
  EXPECT_EQ(T.At(4, 0), 0u);
  EXPECT_EQ(T.At(8, 0), 0u);
  EXPECT_EQ(T.At(9, 0), 0xFFFFFFFFu);
  EXPECT_EQ(T.At(4, 1), 0u);
  EXPECT_EQ(T.At(4, 2), 0xFFFFFFFFu);
}

TEST(CanvasFill, MatrixAndScaleMoveAndSizeTheFill) {
  TTarget T(40, 40, 2);
  TBrush Solid(TBrushKind::Solid, 0xFF0000FF);
  ASSERT_TRUE(T.Canvas->BeginScene());
  T.Canvas->SetMatrix(TMatrix::CreateTranslation(5, 2));
  T.Canvas->FillRect(TRectF(0, 0, 10, 10), 0, 0, {}, 1, Solid);
  T.Canvas->EndScene();
  // Logical (5, 2)..(15, 12) at scale 2: pixels 10..29 across, 4..23 down.
  EXPECT_EQ(T.At(9, 10), 0u);
  EXPECT_EQ(T.At(10, 4), 0xFF0000FFu);
  EXPECT_EQ(T.At(29, 23), 0xFF0000FFu);
  EXPECT_EQ(T.At(30, 23), 0u);
  EXPECT_EQ(T.At(29, 24), 0u);
}

TEST(CanvasFill, ASingularMatrixDrawsNothingAndLeavesTheCanvasUsable) {
  TTarget T(4, 4);
  TBrush Solid(TBrushKind::Solid, 0xFF0000FF);
  ASSERT_TRUE(T.Canvas->BeginScene());
  T.Canvas->SetMatrix(TMatrix::CreateScaling(0, 1));
  T.Canvas->FillRect(TRectF(0, 0, 4, 4), 0, 0, {}, 1, Solid);
  EXPECT_EQ(T.At(0, 0), 0u);
  T.Canvas->SetMatrix(TMatrix::Identity());
  T.Canvas->FillRect(TRectF(0, 0, 4, 4), 0, 0, {}, 1, Solid);
  T.Canvas->EndScene();
  EXPECT_EQ(T.At(0, 0), 0xFF0000FFu);
}

TEST(CanvasFill, AResourceBrushDrawsTheStylesBrush) {
  TBrush StyleBrush(TBrushKind::Solid, 0xFF00FF00);
  TBrushResource::SetLookup([&](const std::string& Name) { return SameText(Name, "greenbrush") ? &StyleBrush : nullptr; });
  TTarget T(2, 2);
  TBrush Fill(TBrushKind::Resource, 0);
  Fill.Resource()->SetStyleLookup("GreenBrush");
  FillAll(T, Fill);
  EXPECT_EQ(T.At(0, 0), 0xFF00FF00u);
  TTarget Missing(2, 2);
  Fill.Resource()->SetStyleLookup("nosuchbrush");
  FillAll(Missing, Fill);
  EXPECT_EQ(Missing.At(0, 0), 0u);
  TBrushResource::SetLookup(nullptr);
}

TEST(CanvasFill, BitmapBrushTilesTheImage) {
  TBitmap Tile(2, 1);
  TBitmapData D;
  Tile.Map(TMapAccess::Write, D);
  D.SetPixel(0, 0, 0xFFFF0000);
  D.SetPixel(1, 0, 0xFF0000FF);
  Tile.Unmap(D);
  TBrush Fill(TBrushKind::Bitmap, 0);
  Fill.Bitmap()->SetBitmap(&Tile);
  TTarget T(6, 1);
  FillAll(T, Fill);
  EXPECT_EQ(T.At(0, 0), 0xFFFF0000u);
  EXPECT_EQ(T.At(3, 0), 0xFF0000FFu);
  EXPECT_EQ(T.At(4, 0), 0xFFFF0000u);
}

TEST(CanvasStroke, OnePixelBorderInsetByHalfAPixel) {
  TTarget T(10, 10);
  TStrokeBrush Border(TBrushKind::Solid, 0xFFCCCCCC);
  ASSERT_TRUE(T.Canvas->BeginScene());
  T.Canvas->DrawRect(TRectF(0.5f, 0.5f, 9.5f, 9.5f), 0, 0, {}, 1, Border);
  T.Canvas->EndScene();
  EXPECT_EQ(T.At(0, 0), 0xFFCCCCCCu);
  EXPECT_EQ(T.At(9, 5), 0xFFCCCCCCu);
  EXPECT_EQ(T.At(5, 9), 0xFFCCCCCCu);
  EXPECT_EQ(T.At(1, 1), 0u);
  EXPECT_EQ(T.At(5, 5), 0u);
}

// The device-brush cache: each step fills once and says whether a new device brush is made.
TEST(CanvasDeviceBrush, ReusedWhileKindOpacityColourGradientRectOrBitmapStay) {
  TTarget T(8, 8);
  TCanvas& C = *T.Canvas;
  TBrush Solid(TBrushKind::Solid, 0xFFFF0000);
  TBrush SameContent(TBrushKind::Solid, 0xFFFF0000);
  TBrush Gradient(TBrushKind::Gradient, 0);
  TBitmap Image(2, 2);
  Image.Clear(0xFF00FF00);
  TBrush Bitmap(TBrushKind::Bitmap, 0);
  Bitmap.Bitmap()->SetBitmap(&Image);
  const TRectF R1(0, 0, 4, 4), R2(1, 1, 5, 5);

  struct TStep {
    const char* What;
    std::function<void()> Change;
    const TBrush* Brush;
    TRectF Rect;
    float Opacity;
    bool Made;
  };
  const std::vector<TStep> Steps = {
      {"first solid", [] {}, &Solid, R1, 1, true},
      {"same again", [] {}, &Solid, R1, 1, false},
      {"another brush, same content", [] {}, &SameContent, R1, 1, false},
      {"opacity within 0.0001", [] {}, &Solid, R1, 0.99995f, false},
      {"opacity beyond 0.0001", [] {}, &Solid, R1, 0.9f, true},
      {"colour changed", [&] { Solid.SetColor(0xFF00FF00); }, &Solid, R1, 0.9f, true},
      {"rectangle changed", [] {}, &Solid, R2, 0.9f, true},
      {"kind changed", [] {}, &Gradient, R2, 0.9f, true},
      {"same gradient", [] {}, &Gradient, R2, 0.9f, false},
      {"gradient point changed", [&] { Gradient.Gradient()->SetColor1(0xFF0000FF); }, &Gradient, R2, 0.9f, true},
      {"gradient rectangle changed", [] {}, &Gradient, R1, 0.9f, true},
      {"gradient line changed", [&] { Gradient.Gradient()->StopPosition()->SetX(1); }, &Gradient, R1, 0.9f, true},
      {"bitmap", [] {}, &Bitmap, R1, 1, true},
      {"same bitmap", [] {}, &Bitmap, R1, 1, false},
      {"wrap mode changed", [&] { Bitmap.Bitmap()->SetWrapMode(TWrapMode::TileStretch); }, &Bitmap, R1, 1, true},
      {"bitmap pixels changed", [&] { Bitmap.Bitmap()->Bitmap()->Clear(0xFF0000FF); }, &Bitmap, R1, 1, true},
      {"bitmap rectangle changed", [] {}, &Bitmap, R2, 1, true},
  };
  ASSERT_TRUE(C.BeginScene());
  for (const TStep& S : Steps) {
    S.Change();
    const uint64_t Before = C.DeviceBrushesMade();
    C.FillRect(S.Rect, 0, 0, {}, S.Opacity, *S.Brush);
    EXPECT_EQ(C.DeviceBrushesMade() - Before, S.Made ? 1u : 0u) << S.What;
  }
  C.EndScene();
  // The cache belongs to the canvas and outlives the scene.
  ASSERT_TRUE(C.BeginScene());
  const uint64_t Before = C.DeviceBrushesMade();
  C.FillRect(R2, 0, 0, {}, 1, Bitmap);
  EXPECT_EQ(C.DeviceBrushesMade(), Before);
  C.EndScene();
  EXPECT_EQ(T.At(2, 2), 0xFF0000FFu) << "the reused brush shows the current pixels";
}

}  // namespace
