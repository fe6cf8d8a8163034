#include <gtest/gtest.h>

#include <cmath>

#include "scene3d/Camera.h"
#include "scene3d/Control3D.h"
#include "scene3d/Dummy.h"
#include "shell/core/Exceptions.h"

namespace {

// A viewport that only counts repaint requests.
class TCountingViewport : public IViewport3D {
 public:
  int Requests = 0;
  TContext3D* GetContext() const override { return nullptr; }
  TCamera* GetCurrentCamera() const override { return nullptr; }
  bool GetUsingDesignCamera() const override { return true; }
  TCamera* GetCamera() const override { return nullptr; }
  void SetCamera(TCamera*) override {}
  float GetViewportScale() const override { return 1; }
  int GetLightCount() const override { return 0; }
  TLight* GetLight(int) const override { return nullptr; }
  void AddLight(TLight*) override {}
  void RemoveLight(TLight*) override {}
  void NeedRender() override { ++Requests; }
};

class Control3DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Owner = new TComponent(nullptr);
    Object = new TDummy(Owner);
    Object->SetNewViewport(&Viewport);
  }
  void TearDown() override { Owner->Free(); }

  TComponent* Owner = nullptr;
  TDummy* Object = nullptr;
  TCountingViewport Viewport;
};

void ExpectNear(const TPoint3D& A, const TPoint3D& B, float Tolerance = 1e-4f) {
  EXPECT_NEAR(A.X, B.X, Tolerance);
  EXPECT_NEAR(A.Y, B.Y, Tolerance);
  EXPECT_NEAR(A.Z, B.Z, Tolerance);
}

TEST_F(Control3DTest, HeadingWritesReadBackWrappedAndTurnIncrementally) {
  Object->RotationAngle()->SetY(-90);
  EXPECT_EQ(Object->RotationAngle()->Y(), 270);
  ExpectNear(Object->AbsoluteDirection().ToPoint3D(), TPoint3D(-1, 0, 0));
  Object->RotationAngle()->SetY(-80);
  EXPECT_EQ(Object->RotationAngle()->Y(), 280);
  ExpectNear(Object->AbsoluteDirection().ToPoint3D(), TPoint3D(-0.9848f, 0, 0.1736f));
  // Turning the long axis: +Z goes onto +X at 90.
  Object->RotationAngle()->SetY(90);
  ExpectNear(TPoint3D(0, 0, 1) * Object->AbsoluteMatrix(), TPoint3D(1, 0, 0));
}

TEST_F(Control3DTest, AFullTurnChangesNothingAndKeepsTheWrittenValue) {
  Viewport.Requests = 0;
  Object->RotationAngle()->SetY(360);
  EXPECT_EQ(Object->RotationAngle()->Y(), 360);
  EXPECT_EQ(Viewport.Requests, 0);
  EXPECT_EQ(Object->LocalMatrix(), TMatrix3D::Identity());
}

TEST_F(Control3DTest, BackToZeroResetsTheQuaternionExactly) {
  Object->RotationAngle()->SetY(37);
  Object->RotationAngle()->SetY(0);
  EXPECT_EQ(Object->Quaternion(), TQuaternion3D::Identity());
  EXPECT_EQ(Object->SavedRotationAngle(), TPoint3D(0, 0, 0));
  EXPECT_EQ(Object->LocalMatrix(), TMatrix3D::Identity());
}

TEST_F(Control3DTest, WritingAWholeRotationPointWrapsBeforeRebuilding) {
  Object->RotationAngle()->SetPoint(TPoint3D(-90, 450, 0));
  EXPECT_EQ(Object->RotationAngle()->Point(), TPoint3D(270, 90, 0));
  EXPECT_EQ(Object->SavedRotationAngle(), TPoint3D(-90, 450, 0));
}

TEST_F(Control3DTest, NearNeutralFactorsAreSkipped) {
  struct TCase {
    TPoint3D Position, Scale;
    bool Identity;
  };
  for (const TCase& C : {TCase{{0.0005f, 0.0005f, -0.0005f}, {1, 1, 1}, true},
                         TCase{{0.0005f, 0, 1}, {1, 1, 1}, false},
                         TCase{{0, 0, 0}, {1.00005f, 1, 1}, true},
                         TCase{{0, 0, 0}, {1.001f, 1, 1}, false}}) {
    Object->Position()->SetPoint(C.Position);
    Object->Scale()->SetPoint(C.Scale);
    EXPECT_EQ(Object->LocalMatrix() == TMatrix3D::Identity(), C.Identity)
        << C.Position.X << " " << C.Position.Z << " " << C.Scale.X;
  }
  EXPECT_EQ(Object->LocalMatrix().m41, 0);  // the last case kept no translation
}

TEST_F(Control3DTest, ChildrenFollowTheirParentThroughScaleAndPositionButNotSize) {
  auto* Hull = new TDummy(Owner);
  auto* Funnel = new TDummy(Owner);
  Hull->SetNewViewport(&Viewport);
  Funnel->SetParent(Hull);
  Funnel->Position()->SetPoint(TPoint3D(-0.0788380727f, -1.48959637f, 0));
  Hull->Position()->SetPoint(TPoint3D(25, 0, 20));
  ExpectNear(Funnel->AbsolutePosition().ToPoint3D(), TPoint3D(24.9211619f, -1.4895964f, 20), 1e-5f);
  Hull->Position()->SetX(24);
  ExpectNear(Funnel->AbsolutePosition().ToPoint3D(), TPoint3D(23.9211619f, -1.4895964f, 20), 1e-5f);
  EXPECT_EQ(Funnel->Position()->X(), -0.0788380727f);
  Hull->SetWidth(5);
  ExpectNear(TPoint3D(1, 0, 0) * Funnel->AbsoluteMatrix(), TPoint3D(24.9211619f, -1.4895964f, 20), 1e-5f);
  Hull->Scale()->SetX(5);
  ExpectNear(TPoint3D(1, 0, 0) * Funnel->AbsoluteMatrix(), TPoint3D(28.6058095f, -1.4895964f, 20), 1e-4f);
  EXPECT_EQ(Funnel->Viewport(), &Viewport);
}

TEST_F(Control3DTest, OpacityIsClampedAndMultipliedDownTheTree) {
  auto* Child = new TDummy(Owner);
  Child->SetParent(Object);
  Object->SetOpacity(1.5f);
  EXPECT_EQ(Object->Opacity(), 1);
  Object->SetOpacity(-0.2f);
  EXPECT_EQ(Object->Opacity(), 0);
  Object->SetOpacity(0.5f);
  Child->SetOpacity(0.5f);
  EXPECT_EQ(Child->GetAbsoluteOpacity(), 0.25f);
}

TEST_F(Control3DTest, RepaintRequestsOnlyForRealChangesOfVisibleObjects) {
  Viewport.Requests = 0;
  Object->Position()->SetX(0);
  Object->SetWidth(1);
  EXPECT_EQ(Viewport.Requests, 0);
  Object->Position()->SetX(3);
  EXPECT_EQ(Viewport.Requests, 1);
  Object->SetVisible(false);
  EXPECT_EQ(Viewport.Requests, 2);  // repainted out
  Object->Position()->SetX(4);
  EXPECT_EQ(Viewport.Requests, 2);
  Object->BeginUpdate();
  Object->SetVisible(true);
  Object->Position()->SetX(5);
  EXPECT_EQ(Viewport.Requests, 2);
  Object->EndUpdate();
  EXPECT_EQ(Viewport.Requests, 3);
}

TEST_F(Control3DTest, QuaternionTextRoundTripsAtFifteenDigits) {
  Object->RotationAngle()->SetX(90);
  EXPECT_EQ(Object->QuaternionText(), "(0.70710676908493,0,0,0.70710676908493)");
  auto* Other = new TDummy(Owner);
  Other->ReadQuaternionText(Object->QuaternionText());
  EXPECT_EQ(Other->Quaternion(), Object->Quaternion());
  Other->ReadQuaternionText("(0.5,oops,9,9)");  // parts before the faulty token only
  EXPECT_EQ(Other->Quaternion().ImagPart.X, 0.5f);
  EXPECT_EQ(Other->Quaternion().ImagPart.Z, 0);
}

TEST(Camera, AngleOfViewIsClamped) {
  TComponent* Owner = new TComponent(nullptr);
  auto* C = new TCamera(Owner);
  C->SetAngleOfView(0.5f);
  EXPECT_EQ(C->AngleOfView(), 1);
  C->SetAngleOfView(200);
  EXPECT_EQ(C->AngleOfView(), 179);
  EXPECT_EQ(C->Position()->Point(), TPoint3D(0, 0, -5));
  EXPECT_FALSE(TCamera::StaticClass().FindProperty("Position") == nullptr);
  Owner->Free();
}

TEST(Camera, ForgetsAFreedTarget) {
  TComponent* Owner = new TComponent(nullptr);
  auto* C = new TCamera(Owner);
  auto* T = new TDummy(Owner);
  T->Position()->SetPoint(TPoint3D(0, 0, 10));
  C->SetTarget(T);
  T->Free();
  EXPECT_EQ(C->Target(), nullptr);
  Owner->Free();
}

}  // namespace
