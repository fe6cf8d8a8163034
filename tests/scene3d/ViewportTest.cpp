#include <gtest/gtest.h>

#include <cmath>

#include "scene3d/Camera.h"
#include "scene3d/Dummy.h"
#include "scene3d/Layer3D.h"
#include "scene3d/Viewport3D.h"
#include "scene3d/context/ContextManager.h"
#include "scene3d/context/GLDevice.h"
#include "scene3d/context/Texture.h"
#include "shell/canvas/Bitmap.h"
#include "shell/canvas/PixelBudget.h"
#include "shell/controls/Root.h"
#include "shell/core/Exceptions.h"
#include "shell/core/TreeObject.h"
#include "shell/forms/FormMessages.h"
#include "tests/scene3d/SceneTestSupport.h"

namespace {

class ViewportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Root = new TScaledRoot(nullptr);
    View = new TViewport3D(Root);
    View->SetParent(Root);
  }
  void TearDown() override { Root->Free(); }
  void Size(float W, float H) { View->SetBounds(0, 0, W, H); }
  TScaledRoot* Root = nullptr;
  TViewport3D* View = nullptr;
};

TEST_F(ViewportTest, DesignCameraStandsTwentyUnitsFromTheOriginTiltedDown) {
  EXPECT_EQ(View->Texture(), nullptr);  // no surfaces before the first resize
  EXPECT_EQ(View->DesignCameraX()->RotationAngle()->X(), 340);
  for (TControl3D* Own : {static_cast<TControl3D*>(View->DesignCameraZ()), static_cast<TControl3D*>(View->DesignCameraX()),
                          static_cast<TControl3D*>(View->DesignCamera())}) {
    EXPECT_EQ(Own->Tag(), 0xFFFE);
    EXPECT_FALSE(Own->Stored());
  }
  const TVector3D P = View->DesignCamera()->AbsolutePosition();
  EXPECT_NEAR(P.X, 0, 1e-5);
  EXPECT_NEAR(P.Y, -6.8404f, 1e-4);
  EXPECT_NEAR(P.Z, -18.7939f, 1e-4);
  EXPECT_EQ(View->GetCurrentCamera(), View->DesignCamera());
}

TEST_F(ViewportTest, ScenePointsLandWhereTheGameNeedsThem) {
  Size(634, 440);
  ASSERT_NE(View->GetContext(), nullptr);
  struct TCase {
    TPoint3D Point;
    float X, Y;
  };
  for (const TCase& C : {TCase{{0, 0, 0}, 317, 220}, TCase{{0, 0, -10}, 317, 391.3f}, TCase{{0, 0, 20}, 317, 126.3f},
                         TCase{{0, 0, 24.2832813f}, 317, 117}}) {
    const TPoint3D Pixel = View->ProjectToFrame(C.Point);
    EXPECT_NEAR(Pixel.X, C.X, 0.05) << C.Point.Z;
    EXPECT_NEAR(Pixel.Y, C.Y, 0.5) << C.Point.Z;
  }
  EXPECT_NEAR(View->ProjectToFrame(TPoint3D(0, 0, 0)).Z, 0.951, 0.001);
  EXPECT_NEAR(View->ProjectToFrame(TPoint3D(25, 0, 20)).X, 659.3, 0.1);
  // Up is −Y: a point above the sea is drawn higher.
  EXPECT_LT(View->ProjectToFrame(TPoint3D(0, -1, 0)).Y, 220);
}

TEST_F(ViewportTest, SurfacesFollowSizeAndScaleRoundingHalvesToEven) {
  struct TCase {
    float Scale;
    int Width, Height;
  };
  for (const TCase& C : {TCase{1, 634, 440}, TCase{1.25f, 792, 550}, TCase{1.5f, 951, 660}}) {
    Root->Scale = C.Scale;
    View->ScaleChangedHandler();
    Size(634, 440);
    ASSERT_NE(View->Texture(), nullptr);
    EXPECT_EQ(View->Texture()->Width(), C.Width) << C.Scale;
    EXPECT_EQ(View->Texture()->Height(), C.Height) << C.Scale;
    EXPECT_EQ(View->GetContext()->Width(), C.Width);
  }
}

TEST_F(ViewportTest, AViewBeyondTheLargestBitmapGetsTheLargestSurfacesOfItsShape) {
  // The sizes are what is checked here; the null device spares a 3D device such targets.
  TContextManager::SetDeviceChoice(TDeviceChoice::Null);
  struct TCase {
    float Width, Height;
    int PixelWidth, PixelHeight;
  };
  // A NaN size never reaches the view: the size setters ignore it.
  for (const TCase& C : {TCase{100000, 440, 16384, 72}, TCase{300, 40000, 123, 16384},
                         TCase{1e30f, 1e30f, 5793, 5792}, TCase{INFINITY, 10, 0, 10}, TCase{0, 2.7e38f, 0, 16384}}) {
    Size(C.Width, C.Height);
    ASSERT_NE(View->Texture(), nullptr);
    EXPECT_EQ(View->Texture()->Width(), C.PixelWidth) << C.Width << " x " << C.Height;
    EXPECT_EQ(View->Texture()->Height(), C.PixelHeight) << C.Width << " x " << C.Height;
    EXPECT_EQ(View->Bitmap()->Width(), C.PixelWidth);
  }
  TContextManager::SetDeviceChoice(TDeviceChoice::Auto);
}

TEST_F(ViewportTest, ALayerRefusesASizeBeyondTheLimitsAndItsBufferFitsAtAnyResolutionAndScale) {
  auto* Layer = new TLayer3D(Root);
  Layer->SetParent(View);
  // The limits hold for the surface at one pixel a unit, whatever the resolution.
  Layer->SetResolution(256);
  Layer->SetWidth(16384.25f);
  EXPECT_EQ(Layer->LayerWidth(), 4194368);
  struct TCase {
    void (TLayer3D::*Set)(float);
    float Value;
    const char* Message;
  };
  for (const TCase& C :
       {TCase{&TLayer3D::SetWidth, 16385, "Layer surface too large: 16385 x 4 pixels at resolution 1 (at most 16384 on a side and 33554432 in all)"},
        TCase{&TLayer3D::SetHeight, 2049, "Layer surface too large: 16384 x 2049 pixels at resolution 1 (at most 16384 on a side and 33554432 in all)"},
        TCase{&TLayer3D::SetHeight, 3e38f, nullptr}}) {
    try {
      (Layer->*C.Set)(C.Value);
      ADD_FAILURE() << C.Value << " accepted";
    } catch (const EArgumentOutOfRangeException& E) {
      if (C.Message) {
        EXPECT_EQ(E.Message(), C.Message);
      } else {
        EXPECT_NE(E.Message().find("16384 x "), std::string::npos) << E.Message();
      }
    }
    EXPECT_EQ(Layer->Width(), 16384.25f) << "a refused size is not stored";
    EXPECT_EQ(Layer->Height(), 4);
  }
  // 16384 x 2048 units fill the area exactly at resolution 1.
  Layer->SetHeight(2048);
  EXPECT_EQ(Layer->LayerHeight(), 524288);
  EXPECT_EQ(Layer->BufferWidth(), 16384);
  EXPECT_EQ(Layer->BufferHeight(), 2048);

  // Resolutions are kept in [1, 256] and never refused: where the surface passes the limits,
  // the buffer takes the largest scale that fits, at any window scale.
  Layer->SetWidth(160);
  Layer->SetHeight(80);
  struct TFit {
    float Scale;
    int Resolution, Stored;
    int BufferWidth, BufferHeight;
  };
  for (const TFit& F : {TFit{1, 50, 50, 8000, 4000}, TFit{2, 50, 50, 8192, 4096}, TFit{1, 300, 256, 8192, 4096},
                        TFit{1, 0, 1, 160, 80}, TFit{2, 1, 1, 320, 160}}) {
    Root->Scale = F.Scale;
    View->ScaleChangedHandler();
    Layer->SetResolution(F.Resolution);
    EXPECT_EQ(Layer->Resolution(), F.Stored);
    EXPECT_EQ(Layer->LayerWidth(), 160 * F.Stored);
    EXPECT_EQ(Layer->BufferWidth(), F.BufferWidth) << F.Resolution << " at " << F.Scale;
    EXPECT_EQ(Layer->BufferHeight(), F.BufferHeight) << F.Resolution << " at " << F.Scale;
    EXPECT_NEAR(Layer->BufferScale(), static_cast<float>(F.BufferWidth) / (160 * F.Stored), 1e-6);
  }
}

TEST_F(ViewportTest, ViewsAndLayersKeepWithinTheProcessPixelBudget) {
  TContextManager::SetDeviceChoice(TDeviceChoice::Null);
  struct TRestore {
    ~TRestore() {
      TPixelBudget::SetTotal(0);
      TContextManager::SetDeviceChoice(TDeviceChoice::Auto);
    }
  } Restore;
  constexpr int64_t MB = int64_t(1) << 20;
  TPixelBudget::SetTotal(TPixelBudget::InUse() + 16 * MB);
  // 3000 x 1500 pixels need 34 MB for the texture and its bitmap: the view takes the largest
  // surfaces of its shape that the rest allows (the surfaces of before are given back first).
  Size(1000, 500);
  Size(3000, 1500);
  ASSERT_NE(View->Texture(), nullptr);
  const int W = View->Texture()->Width(), H = View->Texture()->Height();
  EXPECT_LT(W, 3000);
  EXPECT_GT(W, 2000);
  EXPECT_NEAR(static_cast<double>(W) / H, 2.0, 0.01);
  EXPECT_EQ(View->Bitmap()->Width(), W);
  EXPECT_LE(TPixelBudget::InUse(), TPixelBudget::Total());

  // A layer's surface must fit in what is left, at its logical size; at the window's scale its
  // texture takes the largest scale the rest allows.
  Size(100, 100);
  auto* Layer = new TLayer3D(Root);
  Layer->SetParent(View);
  Layer->SetResolution(10);
  Layer->SetWidth(100);
  Layer->SetHeight(100);  // 1000 x 1000 pixels, 3.8 MB
  try {
    Layer->SetWidth(500);
    ADD_FAILURE() << "a surface beyond the budget was taken";
  } catch (const EArgumentOutOfRangeException& E) {
    EXPECT_EQ(E.Message().rfind("Out of pixel memory: 5000 x 1000 pixels need 19.1 MB, ", 0), 0u) << E.Message();
  }
  EXPECT_EQ(Layer->Width(), 100);
  Root->Scale = 4;
  View->ScaleChangedHandler();
  EXPECT_GT(Layer->BufferScale(), 1);
  EXPECT_LT(Layer->BufferScale(), 4) << "4000 x 4000 pixels would need 61 MB";
  EXPECT_LE(TPixelBudget::InUse(), TPixelBudget::Total());
}

TEST_F(ViewportTest, AnUpdateBracketPutsTheDrawingOrderOffUntilItsOutermostEnd) {
  TControl3D* Camera = View->DesignCameraZ();
  auto* Leaving = new TDummy(Root);
  Leaving->SetParent(View);
  ASSERT_EQ(View->RenderingList().size(), 2u);
  View->BeginUpdate();
  View->BeginUpdate();
  auto* A = new TDummy(Root);
  A->SetParent(View);
  auto* B = new TDummy(Root);
  B->SetParent(View);
  // A child that leaves inside the bracket leaves the list at once: no frame may reach it.
  Leaving->Free();
  EXPECT_EQ(View->RenderingList(), std::vector<TControl3D*>{Camera});
  View->EndUpdate();
  EXPECT_EQ(View->RenderingList(), std::vector<TControl3D*>{Camera});
  const int Invalidations = Root->Invalidations;
  View->EndUpdate();
  // Three objects that compare equal, sorted once: c, b, a.
  EXPECT_EQ(View->RenderingList(), (std::vector<TControl3D*>{B, A, Camera}));
  EXPECT_GT(Root->Invalidations, Invalidations) << "the new order is drawn";
  // A bracket in which nothing arrived or left asks for no frame.
  const int After = Root->Invalidations;
  View->BeginUpdate();
  View->EndUpdate();
  EXPECT_EQ(Root->Invalidations, After);
}

TEST_F(ViewportTest, AScaleChangeOfItsFormRebuildsTheSurfaces) {
  Size(634, 440);
  Root->Scale = 1.5f;
  TScaledRoot Other(nullptr);
  TMessageManager::DefaultManager().SendMessage(&Other, TScaleChangedMessage(1.5f));  // another form's
  EXPECT_EQ(View->Texture()->Width(), 634);
  TMessageManager::DefaultManager().SendMessage(Root, TScaleChangedMessage(1.5f));
  EXPECT_EQ(View->Texture()->Width(), 951);
  EXPECT_EQ(View->Texture()->Height(), 660);
}

TEST_F(ViewportTest, SceneCameraIsUsedOnlyWithoutTheDesignCamera) {
  auto* Camera = new TCamera(Root);
  Camera->SetParent(View);
  View->SetCamera(Camera);
  EXPECT_EQ(View->GetCurrentCamera(), View->DesignCamera());
  View->SetUsingDesignCamera(false);
  EXPECT_EQ(View->GetCurrentCamera(), Camera);
  Camera->Free();
  EXPECT_EQ(View->Camera(), nullptr);
  EXPECT_EQ(View->GetCurrentCamera(), View->DesignCamera());
}

TEST_F(ViewportTest, ChangesAskForAFrameWithoutDrawingOne) {
  Size(634, 440);
  auto* Object = new TDummy(Root);
  Object->SetParent(View);
  Root->Invalidations = 0;
  Object->Position()->SetX(1);
  Object->Position()->SetX(2);
  EXPECT_GT(Root->Invalidations, 0);
  View->SetColor(0xFF000000);
  View->SetColor(0xFF000000);  // unchanged: nothing more
  const int After = Root->Invalidations;
  View->SetColor(0xFF000000);
  EXPECT_EQ(Root->Invalidations, After);
}

TEST_F(ViewportTest, ChildrenJoinTheDrawingListAndLeaveIt) {
  auto* A = new TDummy(Root);
  auto* B = new TDummy(Root);
  A->SetParent(View);
  B->SetParent(View);
  ASSERT_EQ(View->RenderingList().size(), 3u);  // with the design camera's outer joint
  EXPECT_EQ(A->Viewport(), View);
  B->SetParent(nullptr);
  EXPECT_EQ(View->RenderingList().size(), 2u);
  EXPECT_EQ(B->Viewport(), nullptr);
  B->Free();
}

// A control on a layer that notes, when it paints, whether the device was still being made in
// the background.
class TPaintWatch : public TControl {
 public:
  using TControl::TControl;
  bool PaintedWhileTheDeviceWasMade = false;

 protected:
  void Paint() override { PaintedWhileTheDeviceWasMade = TGLDevice::OpeningInBackground(); }
};

// A layer filling the view's picture (large, two-sided, facing the design camera) in red, with
// a watch on it.
TLayer3D* AddRedLayer(TViewport3D* View, TPaintWatch*& Watch) {
  auto* Layer = new TLayer3D(View->Owner());
  Layer->SetResolution(1);
  Layer->SetWidth(100);
  Layer->SetHeight(100);
  Layer->SetTwoSide(true);
  Layer->Fill()->SetKind(TBrushKind::Solid);
  Layer->Fill()->SetColor(0xFFFF0000);
  Watch = new TPaintWatch(View->Owner());
  Watch->SetBounds(0, 0, 10, 10);
  Watch->SetParent(Layer);
  Layer->SetParent(View);
  return Layer;
}

TEST_F(ViewportTest, WhileTheDeviceIsMadeLoadingDoesNotWaitAndTheFirstPaintDrawsTheSameFrame) {
  // The view is read from a stored form while the device is made on a worker.
  View->IncludeState(csLoading);
  Size(40, 30);
  TPaintWatch* Early = nullptr;
  TLayer3D* Layer = AddRedLayer(View, Early);
  TContextManager::SetDeviceChoice(TDeviceChoice::Auto);
  TContextManager::PrepareDeviceInBackground();
  if (!TGLDevice::OpeningInBackground())
    GTEST_SKIP() << "a device was made before this test: run it in a process of its own";
  View->Loaded();
  EXPECT_TRUE(TGLDevice::OpeningInBackground()) << "loading waited for the device";
  // The view grows before its first paint (the window is shown at another size).
  Size(48, 36);
  View->PaintInternal();
  if (TContextManager::DefaultContextClass() != "TGLContext") GTEST_SKIP() << "no EGL device can be made on this machine";
  EXPECT_FALSE(TGLDevice::OpeningInBackground());
  // Painted ahead of the device, the surface would be a whole bitmap beside the texture.
  EXPECT_FALSE(Early->PaintedWhileTheDeviceWasMade) << "the layer was painted before the device was there";
  EXPECT_FALSE(Layer->HasBuffer()) << "the surface went to the device whole, not in bands";
  EXPECT_EQ(Layer->PaintCount(), 1);
  ASSERT_NE(View->GetContext(), nullptr);
  EXPECT_EQ(View->GetContext()->Width(), 48);
  EXPECT_EQ(View->Bitmap()->Pixel(24, 18), 0xFFFF0000u);

  // The same scene in a view made when the device is there draws the same picture.
  auto* Other = new TScaledRoot(nullptr);
  auto* OtherView = new TViewport3D(Other);
  OtherView->SetParent(Other);
  OtherView->SetBounds(0, 0, 48, 36);
  TPaintWatch* Late = nullptr;
  AddRedLayer(OtherView, Late);
  Late->PaintedWhileTheDeviceWasMade = true;
  OtherView->PaintInternal();
  EXPECT_FALSE(Late->PaintedWhileTheDeviceWasMade);
  EXPECT_TRUE(View->Bitmap()->EqualsBitmap(*OtherView->Bitmap()));
  Other->Free();
}

TEST_F(ViewportTest, WhileTheDeviceIsMadeAskingForTheContextMakesTheSurfacesAtOnce) {
  View->IncludeState(csLoading);
  Size(40, 30);
  TContextManager::SetDeviceChoice(TDeviceChoice::Auto);
  TContextManager::PrepareDeviceInBackground();
  if (!TGLDevice::OpeningInBackground())
    GTEST_SKIP() << "a device was made before this test: run it in a process of its own";
  View->Loaded();
  // What a handler or a tool may ask before the first paint: a projection needs the context.
  const TPoint3D Origin = View->ProjectToFrame(TPoint3D(0, 0, 0));
  EXPECT_FALSE(TGLDevice::OpeningInBackground());
  ASSERT_NE(View->Texture(), nullptr);
  EXPECT_EQ(View->Texture()->Width(), 40);
  EXPECT_EQ(View->Bitmap()->Height(), 30);
  EXPECT_NEAR(Origin.X, 20, 1e-3);
}

TEST_F(ViewportTest, WhileTheDeviceIsMadeAViewFreedBeforeItsFirstPaintMakesNoSurfaces) {
  View->IncludeState(csLoading);
  Size(40, 30);
  // Two objects that the drawing order compares by their distance through the context.
  for (int I = 0; I < 2; ++I) (new TDummy(Root))->SetParent(View);
  TContextManager::SetDeviceChoice(TDeviceChoice::Auto);
  TContextManager::PrepareDeviceInBackground();
  if (!TGLDevice::OpeningInBackground())
    GTEST_SKIP() << "a device was made before this test: run it in a process of its own";
  View->Loaded();
  View->Free();
  View = nullptr;
  EXPECT_TRUE(TGLDevice::OpeningInBackground()) << "the leaving view waited for the device to make its surfaces";
}

}  // namespace
