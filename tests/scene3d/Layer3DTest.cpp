// The 2D side of a layer: controls placed on it paint on its surface, mark parts of it, are
// aligned inside it and take their styles from it; the style background shows only without a
// fill of the layer's own.
#include <gtest/gtest.h>

#include <memory>

#include "scene3d/Layer3D.h"
#include "shell/canvas/Bitmap.h"
#include "shell/canvas/Canvas.h"
#include "shell/controls/BackgroundStyle.h"
#include "shell/controls/StyledControl.h"
#include "tests/scene3d/SceneTestSupport.h"

namespace {

// The frame's step that repaints the surface, reachable from the tests.
class TTestLayer : public TLayer3D {
 public:
  using TLayer3D::TLayer3D;
  void PaintMarked() { BeforeRender(); }
};

constexpr TAlphaColor Blue = 0xFF0000FF, Red = 0xFFFF0000, Green = 0xFF00FF00;

class Layer3DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Layer = new TTestLayer(nullptr);
    Layer->SetResolution(50);
    Layer->SetWidth(2);
    Layer->SetHeight(1);  // a surface of 100 × 50
    Layer->Fill()->SetKind(TBrushKind::Solid);
    Layer->Fill()->SetColor(Blue);
  }
  void TearDown() override {
    Layer->Free();
    SetBackgroundStyleLookup(nullptr);
    TStyledControl::SetStyleLookupProc(nullptr);
  }
  TSwatch* AddSwatch(TAlphaColor Color, const TRectF& Bounds) {
    auto* S = new TSwatch(Layer, Color);
    S->SetBounds(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
    S->SetParent(Layer);
    return S;
  }
  TAlphaColor At(int X, int Y) { return Layer->Buffer()->Pixel(X, Y); }
  TTestLayer* Layer = nullptr;
};

TEST_F(Layer3DTest, ControlsPaintOnTheSurfaceInChildOrder) {
  TSwatch* Below = AddSwatch(Red, TRectF(10, 10, 40, 30));
  AddSwatch(Green, TRectF(30, 20, 60, 40));
  EXPECT_EQ(Below->Root(), static_cast<IRoot*>(Layer));
  Layer->PaintMarked();
  EXPECT_EQ(At(15, 15), Red);
  EXPECT_EQ(At(35, 25), Green);  // the later child over the earlier one
  EXPECT_EQ(At(80, 45), Blue);
  // No canvas is handed out outside the surface's paint.
  EXPECT_EQ(Layer->GetCanvas(), nullptr);
}

TEST_F(Layer3DTest, RepaintsOfControlsMarkTheirPartOfTheSurface) {
  TSwatch* S = AddSwatch(Red, TRectF(10.5f, 10, 20, 20.2f));
  Layer->PaintMarked();
  ASSERT_TRUE(Layer->UpdateRects().empty());
  S->Repaint();
  ASSERT_EQ(Layer->UpdateRects().size(), 1u);
  EXPECT_EQ(Layer->UpdateRects()[0], TRectF(10, 10, 20, 21));  // widened to whole pixels
  // The marked part alone is painted again: a pixel changed elsewhere stays as it is.
  S->Color = Green;
  TBitmapData D;
  ASSERT_TRUE(Layer->Buffer()->Map(TMapAccess::Write, D));
  D.SetPixel(90, 40, Red);
  Layer->Buffer()->Unmap(D);
  Layer->PaintMarked();
  EXPECT_EQ(At(15, 15), Green);
  EXPECT_EQ(At(90, 40), Red);
  // Moving the control marks its old and its new place.
  S->Position()->SetX(50);
  TRectF U;
  for (const TRectF& R : Layer->UpdateRects()) U = TRectF::Union(U, R);
  EXPECT_LE(U.Left, 10);
  EXPECT_GE(U.Right, 59);
  Layer->PaintMarked();
  EXPECT_EQ(At(15, 15), Blue);
  EXPECT_EQ(At(55, 15), Green);
}

// A marked part is painted as a paint of the whole surface paints it: a translucent fill or
// control does not blend over what the paint before left there.
TEST_F(Layer3DTest, AMarkedPartPaintedAgainLooksAsAWholePaintLeftIt) {
  struct TCase {
    const char* Name;
    TBrushKind Kind;
    bool Transparency;
  };
  for (const TCase& C : {TCase{"translucent solid", TBrushKind::Solid, false},
                         TCase{"translucent gradient", TBrushKind::Gradient, false},
                         TCase{"none, transparent", TBrushKind::None, true}}) {
    auto* L = new TTestLayer(nullptr);
    L->SetWidth(2);
    L->SetHeight(1);
    L->Fill()->SetKind(C.Kind);
    L->Fill()->SetColor(0x80FF0000);
    L->Fill()->Gradient()->SetColor1(0x800000FF);
    L->SetTransparency(C.Transparency);
    auto* S = new TSwatch(L, 0x8000FF00);
    S->SetBounds(10.5f, 10, 30, 20.5f);
    S->SetParent(L);
    L->PaintMarked();
    TBitmap* B = L->Buffer();
    std::vector<TAlphaColor> Whole;
    for (int Y = 0; Y < B->Height(); ++Y)
      for (int X = 0; X < B->Width(); ++X) Whole.push_back(B->Pixel(X, Y));
    for (int Paint = 0; Paint < 2; ++Paint) {
      S->Repaint();
      L->PaintMarked();
    }
    for (int Y = 0, I = 0; Y < B->Height(); ++Y)
      for (int X = 0; X < B->Width(); ++X, ++I) ASSERT_EQ(B->Pixel(X, Y), Whole[I]) << C.Name << " at " << X << "," << Y;
    L->Free();
  }
}

TEST_F(Layer3DTest, AControlOutsideItsParentIsPaintedWhenItRepaintsItself) {
  TSwatch* Panel = AddSwatch(Red, TRectF(0, 0, 20, 20));
  auto* Outside = new TSwatch(Layer, Red);
  Outside->SetParent(Panel);
  Outside->SetBounds(50, 10, 20, 20);
  Layer->PaintMarked();
  ASSERT_EQ(At(60, 20), Red);
  Outside->Color = Green;
  Outside->Repaint();
  Layer->PaintMarked();
  EXPECT_EQ(At(60, 20), Green);
}

TEST_F(Layer3DTest, ControlsAreAlignedInsideTheSurfaceLessPadding) {
  Layer->Padding()->SetRect(TRectF(5, 4, 3, 2));
  TSwatch* Fill = AddSwatch(Red, TRectF(0, 0, 10, 10));
  Fill->SetAlign(TAlignLayout::Client);
  EXPECT_EQ(Fill->BoundsRect(), TRectF(5, 4, 97, 48));
  // The surface follows the layer's size, and the controls follow the surface.
  Layer->SetWidth(3);
  EXPECT_EQ(Layer->LayerWidth(), 150);
  EXPECT_EQ(Fill->BoundsRect(), TRectF(5, 4, 147, 48));
  TSwatch* Bar = AddSwatch(Green, TRectF(0, 0, 10, 8));
  Bar->SetAlign(TAlignLayout::Top);
  EXPECT_EQ(Bar->BoundsRect(), TRectF(5, 4, 147, 12));
  EXPECT_EQ(Fill->BoundsRect(), TRectF(5, 12, 147, 48));
  Layer->PaintMarked();
  EXPECT_EQ(At(100, 8), Green);
  EXPECT_EQ(At(100, 30), Red);
  EXPECT_EQ(At(2, 30), Blue);
}

// The style background of each case is a green swatch.
struct TBackgroundCase {
  const char* Name;
  TBrushKind Kind;
  bool Transparency;
  TAlphaColor Expected;
};

class LayerBackground : public Layer3DTest, public ::testing::WithParamInterface<TBackgroundCase> {};

TEST_P(LayerBackground, ShowsTheStyleOnlyWithoutAFillOfItsOwn) {
  std::vector<std::string> Asked;
  SetBackgroundStyleLookup([&Asked](TComponent*, TComponent*, const std::vector<std::string>& Names) -> TControl* {
    Asked = Names;
    return new TSwatch(nullptr, Green);
  });
  const TBackgroundCase& C = GetParam();
  Layer->Fill()->SetKind(C.Kind);
  Layer->SetTransparency(C.Transparency);
  Layer->PaintMarked();
  EXPECT_EQ(Asked, (std::vector<std::string>{"backgroundstyle", "Layer3Dstyle", "CustomLayer3Dstyle"}));
  ASSERT_NE(Layer->ResourceLink(), nullptr);
  EXPECT_EQ(Layer->ResourceLink()->BoundsRect(), TRectF(0, 0, 100, 50));  // it covers the surface
  EXPECT_EQ(At(50, 25), C.Expected) << C.Name;
}

INSTANTIATE_TEST_SUITE_P(
    Fills, LayerBackground,
    ::testing::Values(TBackgroundCase{"none", TBrushKind::None, false, Green},
                      TBackgroundCase{"none, transparent", TBrushKind::None, true, 0x00000000},
                      TBackgroundCase{"solid", TBrushKind::Solid, false, Blue}),
    [](const auto& Info) { return std::string(Info.param.Kind == TBrushKind::None ? "None" : "Solid") + (Info.param.Transparency ? "Transparent" : ""); });

TEST_F(Layer3DTest, StyledControlsTakeTheirStyleBeforeTheSurfaceIsPainted) {
  TStyledControl::SetStyleLookupProc([](TStyledControl& C) -> TControl* {
    auto* Look = new TSwatch(&C, Red);
    Look->SetFixedHeight(12);
    return Look;
  });
  auto* Styled = new TStyledControl(Layer);
  Styled->SetBounds(20, 10, 30, 30);
  Styled->SetParent(Layer);
  EXPECT_EQ(Styled->ResourceLink(), nullptr);
  Layer->PaintMarked();
  ASSERT_NE(Styled->ResourceLink(), nullptr);
  EXPECT_EQ(At(30, 15), Red);
  EXPECT_EQ(At(30, 35), Blue);  // the fixed height is not painted over
}

TEST_F(Layer3DTest, AControlLeavingTheLayerIsForgottenAsFocusedAndCaptured) {
  TSwatch* S = AddSwatch(Red, TRectF(0, 0, 10, 10));
  Layer->SetFocused(S);
  Layer->SetCaptured(S);
  S->SetParent(nullptr);
  EXPECT_EQ(Layer->GetFocused(), nullptr);
  EXPECT_EQ(Layer->GetCaptured(), nullptr);
  EXPECT_EQ(S->Root(), nullptr);
  S->Free();
}

}  // namespace
