// The loaded scene: what the stored description gives, beyond the values the scenarios read.
#include "scene3d/Cylinder.h"
#include "scene3d/Dummy.h"
#include "scene3d/Layer3D.h"
#include "scene3d/Viewport3D.h"
#include "shell/canvas/Bitmap.h"
#include "tests/game/GameFixture.h"

namespace {

TEST_F(GameFixture, DrawingOrderIsTheOneSortedWhenTheHullArrived) {
  // All four compared equal then (no material resolved, no context), so the quicksort's
  // order stands: the sea, the hull (with its funnel), the camera joint, the torpedo.
  const std::vector<TControl3D*>& List = Form->Viewport3D1->RenderingList();
  ASSERT_EQ(List.size(), 4u);
  EXPECT_EQ(List[0], Form->Layer3D1);
  EXPECT_EQ(List[1], Form->Cylinder2);
  EXPECT_EQ(List[2], Form->Viewport3D1->DesignCameraZ());
  EXPECT_EQ(List[3], Form->Cylinder1);
}

TEST_F(GameFixture, TheSeaIsA2566By2428SurfaceLyingFlat) {
  TLayer3D* Sea = Form->Layer3D1;
  EXPECT_EQ(Sea->LayerWidth(), 2566);
  EXPECT_EQ(Sea->LayerHeight(), 2428);
  EXPECT_EQ(Sea->Depth(), 0);
  // A point (x, y) of the surface lands at (x − W/2, 0, y − H/2).
  const TPoint3D Corner = TPoint3D(0, 0, 0) * Sea->AbsoluteMatrix();
  EXPECT_NEAR(Corner.X, -25.6588211f, 1e-4);
  EXPECT_NEAR(Corner.Y, 0, 1e-4);
  EXPECT_NEAR(Corner.Z, -24.2832813f, 1e-4);
  const TPoint3D Far = TPoint3D(Sea->Width(), Sea->Height(), 0) * Sea->AbsoluteMatrix();
  EXPECT_NEAR(Far.X, 25.6588211f, 1e-4);
  EXPECT_NEAR(Far.Z, 24.2832813f, 1e-4);
}

TEST_F(GameFixture, TheSeaIsPaintedOnceAndThenReused) {
  TLayer3D* Sea = Form->Layer3D1;
  EXPECT_FALSE(Sea->UpdateRects().empty());  // marked while loading
  Form->Viewport3D1->RenderFrame();
  EXPECT_EQ(Sea->PaintCount(), 1);
  EXPECT_TRUE(Sea->UpdateRects().empty());
  EXPECT_EQ(Sea->Buffer()->Width(), 2566);
  EXPECT_EQ(Sea->Buffer()->Height(), 2428);
  // Black along the near edge (the bitmap's top row), white along the far edge.
  EXPECT_EQ(Sea->Buffer()->Pixel(100, 0), 0xFF000000u);
  EXPECT_EQ(Sea->Buffer()->Pixel(100, 2427), 0xFFFFFFFFu);
  Form->Cylinder2->Position()->SetX(10);
  Form->Viewport3D1->RenderFrame();
  EXPECT_EQ(Sea->PaintCount(), 1);
  // A change of its fill marks it again.
  Sea->Fill()->SetColor(0xFF808080);
  EXPECT_FALSE(Sea->UpdateRects().empty());
  Form->Viewport3D1->RenderFrame();
  EXPECT_EQ(Sea->PaintCount(), 2);
}

TEST_F(GameFixture, LayerSurfaceRules) {
  TLayer3D* Sea = Form->Layer3D1;
  Sea->SetResolution(0);
  EXPECT_EQ(Sea->Resolution(), 1);
  // At 256 pixels a unit the sea's own size would need a 13137 x 12433 surface, beyond a
  // bitmap's limits; the clamp is seen on a smaller layer.
  Sea->SetWidth(8);
  Sea->SetHeight(4);
  Sea->SetResolution(300);
  EXPECT_EQ(Sea->Resolution(), 256);
  EXPECT_EQ(Sea->LayerWidth(), 2048);
  Sea->SetDepth(8);
  EXPECT_EQ(Sea->Depth(), 0);
  Sea->DisableUpdating();
  Sea->EnableUpdating();
  try {
    Sea->EnableUpdating();
    FAIL();
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "Invalid IScene.DisableUpdating/IScene.EnableUpdating call pair");
  }
}

}  // namespace
