// The mouse over a 3D view reaches the 2D controls on its layers: a ray through the camera meets
// the nearest layer, and the point on its surface goes through the same dispatch as on a form
// (capture, hover, clicks, wheel); the focus is the form's, so keys and Tab reach them too.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "scene3d/Dummy.h"
#include "scene3d/Layer3D.h"
#include "scene3d/Viewport3D.h"
#include "scene3d/context/ContextManager.h"
#include "shell/canvas/Bitmap.h"
#include "tests/controls/TestRoot.h"
#include "tests/scene3d/SceneTestSupport.h"

namespace {

// A focusable control that captures the mouse and notes what reaches it, with the points in
// its own coordinates rounded to whole pixels.
class TProbe : public TSwatch {
 public:
  TProbe(TComponent* AOwner, const std::string& AName) : TSwatch(AOwner, 0xFFFF0000) {
    SetName(AName);
    SetCanFocus(true);
    SetAutoCapture(true);
  }
  std::vector<std::string> Log;
  std::string First() const { return Log.empty() ? "" : Log.front(); }
  std::string Last() const { return Log.empty() ? "" : Log.back(); }
  void MouseDown(TMouseButton Button, TShiftState Shift, float X, float Y) override {
    Note("down", X, Y);
    TSwatch::MouseDown(Button, Shift, X, Y);
  }
  void MouseMove(TShiftState Shift, float X, float Y) override {
    Note("move", X, Y);
    TSwatch::MouseMove(Shift, X, Y);
  }
  void MouseUp(TMouseButton Button, TShiftState Shift, float X, float Y) override {
    Note("up", X, Y);
    TSwatch::MouseUp(Button, Shift, X, Y);
  }
  void MouseWheel(TShiftState, int WheelDelta, bool& Handled) override {
    Log.push_back("wheel " + std::to_string(WheelDelta));
    Handled = true;
  }
  void Click() override { Log.push_back("click"); }
  void KeyDown(uint16_t& Key, char32_t&, TShiftState) override { Log.push_back("key " + std::to_string(Key)); }
  void DoMouseEnter() override {
    Log.push_back("enter");
    TSwatch::DoMouseEnter();
  }
  void DoMouseLeave() override {
    Log.push_back("leave");
    TSwatch::DoMouseLeave();
  }

 private:
  void Note(const char* What, float X, float Y) {
    Log.push_back(std::string(What) + " " + std::to_string(static_cast<int>(std::lround(X))) + "," +
                  std::to_string(static_cast<int>(std::lround(Y))));
  }
};

class LayerInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Root = new TTestRoot();
    View = new TViewport3D(Root);
    View->SetParent(Root);
    View->SetBounds(0, 0, 400, 300);
    ASSERT_NE(View->GetContext(), nullptr);
  }
  void TearDown() override { Root->Free(); }

  // A layer of 8 × 4 units at 25 pixels a unit (a surface of 200 × 100), facing the camera.
  TLayer3D* AddLayer(TTreeObject* Parent, float Z = 0) {
    auto* L = new TLayer3D(Root);
    L->SetResolution(25);
    L->SetWidth(8);
    L->SetHeight(4);
    L->Position()->SetZ(Z);
    L->SetParent(Parent);
    return L;
  }
  TProbe* AddProbe(TLayer3D* L, const std::string& Name, const TRectF& Bounds) {
    auto* P = new TProbe(Root, Name);
    P->SetBounds(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
    P->SetParent(L);
    return P;
  }
  // Where the point S of L's surface is seen in the view.
  TPointF Seen(TLayer3D* L, const TPointF& S) {
    const TPoint3D Local(S.X / L->LayerWidth() * L->Width(), S.Y / L->LayerHeight() * L->Height(), 0);
    const TPoint3D Pixel = View->ProjectToFrame(L->LocalToAbsolute3D(Local));
    return {Pixel.X, Pixel.Y};
  }
  void Down(const TPointF& P) { Root->Input().MouseDown(mbLeft, {}, P.X, P.Y); }
  void Move(const TPointF& P) { Root->Input().MouseMove(TShiftState{ssLeft}, P.X, P.Y); }
  void Up(const TPointF& P) { Root->Input().MouseUp(mbLeft, {}, P.X, P.Y); }
  void Click(const TPointF& P) {
    Down(P);
    Up(P);
  }

  TTestRoot* Root = nullptr;
  TViewport3D* View = nullptr;
};

TEST_F(LayerInputTest, AClickOnATurnedLayerReachesTheControlAtItsSurfacePoint) {
  struct TCase {
    TPoint3D Angles;
  };
  for (const TCase& C : {TCase{{0, 0, 0}}, TCase{{0, 20, 0}}, TCase{{30, 0, 0}}, TCase{{10, -35, 15}}}) {
    TLayer3D* L = AddLayer(View);
    L->RotationAngle()->SetPoint(C.Angles);
    TProbe* P = AddProbe(L, "Probe", TRectF(40, 20, 120, 60));
    const std::string Where = "turned " + std::to_string(C.Angles.X) + "," + std::to_string(C.Angles.Y);
    Click(Seen(L, TPointF(70, 30)));
    EXPECT_EQ(P->Log, (std::vector<std::string>{"down 30,10", "click", "up 30,10"})) << Where;
    EXPECT_EQ(Root->GetFocused(), P) << Where;
    EXPECT_EQ(L->GetFocused(), P) << Where;
    EXPECT_TRUE(P->IsFocused()) << Where;
    // Next to the control on the same layer: nothing for it.
    P->Log.clear();
    Click(Seen(L, TPointF(150, 80)));
    EXPECT_TRUE(P->Log.empty()) << Where;
    L->Free();
    EXPECT_EQ(Root->GetFocused(), nullptr) << "a freed layer's control stays focused";
  }
}

TEST_F(LayerInputTest, TheCapturingControlFollowsTheMouseOffItsLayerAndClicksOnlyWhenReleasedOverIt) {
  TLayer3D* L = AddLayer(View);
  L->RotationAngle()->SetY(20);
  TProbe* P = AddProbe(L, "Probe", TRectF(40, 20, 120, 60));
  Down(Seen(L, TPointF(50, 30)));
  EXPECT_EQ(L->GetCaptured(), P);
  EXPECT_EQ(Root->GetCaptured(), View) << "the view holds the form's capture for the layer";
  // Beyond the layer's right edge and beyond the view: points of the layer's plane.
  Move(Seen(L, TPointF(260, 30)));
  Move(TPointF(-40, 150));
  Up(Seen(L, TPointF(300, 50)));
  ASSERT_EQ(P->Log.size(), 4u);
  EXPECT_EQ(P->Log[1], "move 220,10");
  EXPECT_EQ(P->Log[3], "up 260,30") << "released outside: no click";
  EXPECT_EQ(L->GetCaptured(), nullptr);
  EXPECT_EQ(Root->GetCaptured(), nullptr);
  // Pressed, dragged out and back in: the release clicks.
  P->Log.clear();
  Down(Seen(L, TPointF(50, 30)));
  Move(Seen(L, TPointF(260, 30)));
  Move(Seen(L, TPointF(60, 40)));
  Up(Seen(L, TPointF(60, 40)));
  EXPECT_EQ(P->Log, (std::vector<std::string>{"down 10,10", "move 220,10", "move 20,20", "click", "up 20,20"}));
}

TEST_F(LayerInputTest, TheNearestLayerTakesThePressAndAHiddenOrNotHitTestedOneLetsItThrough) {
  TLayer3D* Back = AddLayer(View, 5);
  TProbe* BackProbe = AddProbe(Back, "Back", TRectF(0, 0, 200, 100));
  // In front, nearer the camera, inside a dummy: the tree's depth does not matter.
  auto* Holder = new TDummy(Root);
  Holder->SetParent(View);
  TLayer3D* Front = AddLayer(Holder, -3);
  TProbe* FrontProbe = AddProbe(Front, "Front", TRectF(0, 0, 200, 100));
  const TPointF Middle(200, 150);
  struct TCase {
    const char* Step;
    std::function<void()> Do;
    TProbe* Expected;
  };
  const TCase Cases[] = {
      {"both shown", [] {}, FrontProbe},
      {"front hidden", [&] { Front->SetVisible(false); }, BackProbe},
      {"front's holder hidden", [&] { Front->SetVisible(true), Holder->SetVisible(false); }, BackProbe},
      {"front without hit test", [&] { Holder->SetVisible(true), Front->SetHitTest(false); }, BackProbe},
      {"front tested again", [&] { Front->SetHitTest(true); }, FrontProbe},
  };
  for (const TCase& C : Cases) {
    C.Do();
    BackProbe->Log.clear();
    FrontProbe->Log.clear();
    Click(Middle);
    EXPECT_FALSE(C.Expected->Log.empty()) << C.Step;
    EXPECT_TRUE((C.Expected == FrontProbe ? BackProbe : FrontProbe)->Log.empty()) << C.Step;
  }
}

TEST_F(LayerInputTest, ALayerSeenEdgeOnTakesNothingAndFromBehindOnlyWhenTwoSided) {
  TLayer3D* L = AddLayer(View);
  TProbe* P = AddProbe(L, "Probe", TRectF(0, 0, 200, 100));
  // Turned a half turn, its surface's left shows on the right: the press lands mirrored.
  L->RotationAngle()->SetY(180);
  Click(Seen(L, TPointF(30, 50)));
  EXPECT_EQ(P->First(), "down 30,50");
  L->SetTwoSide(false);
  P->Log.clear();
  Click(Seen(L, TPointF(30, 50)));
  EXPECT_TRUE(P->Log.empty()) << "a one-sided layer is not drawn from behind";
  L->SetTwoSide(true);
  // A quarter turn about the vertical, through the design camera's centre: edge-on.
  L->RotationAngle()->SetY(90);
  P->Log.clear();
  TPoint3D Near, Far;
  ASSERT_TRUE(View->RayAt(TPointF(200, 150), Near, Far));
  for (float X : {195.f, 200.f, 205.f}) Click(TPointF(X, 150));
  EXPECT_TRUE(P->Log.empty());
}

TEST_F(LayerInputTest, HoverFollowsTheControlsOnLayersAndEndsWhenTheMouseLeavesTheView) {
  TLayer3D* L = AddLayer(View);
  TProbe* A = AddProbe(L, "A", TRectF(0, 0, 100, 100));
  TProbe* B = AddProbe(L, "B", TRectF(100, 0, 200, 100));
  auto Hover = [&](const TPointF& P) { Root->Input().MouseMove({}, P.X, P.Y); };
  Hover(Seen(L, TPointF(50, 50)));
  EXPECT_EQ(L->GetHovered(), A);
  Hover(Seen(L, TPointF(150, 50)));
  EXPECT_EQ(L->GetHovered(), B);
  EXPECT_EQ(A->Log, (std::vector<std::string>{"enter", "move 50,50", "leave"}));
  // Off the layer, still in the view.
  Hover(TPointF(5, 5));
  EXPECT_EQ(L->GetHovered(), nullptr);
  EXPECT_EQ(B->Last(), "leave");
  Hover(Seen(L, TPointF(150, 50)));
  Root->Input().MouseLeave();
  EXPECT_EQ(L->GetHovered(), nullptr);
  EXPECT_EQ(B->Last(), "leave");
}

TEST_F(LayerInputTest, TheWheelGoesToTheControlUnderTheMouse) {
  TLayer3D* L = AddLayer(View);
  TProbe* A = AddProbe(L, "A", TRectF(0, 0, 100, 100));
  TProbe* B = AddProbe(L, "B", TRectF(100, 0, 200, 100));
  const TPointF OverB = Seen(L, TPointF(150, 50));
  Root->Input().MouseMove({}, OverB.X, OverB.Y);
  bool Handled = false;
  Root->Input().MouseWheel({}, -120, Handled);
  EXPECT_TRUE(Handled);
  EXPECT_EQ(B->Last(), "wheel -120");
  EXPECT_EQ(A->Log.size(), 0u);
}

TEST_F(LayerInputTest, KeysAndTabReachTheControlsOfShownLayers) {
  auto* Plain = new TProbe(Root, "Plain");
  Plain->SetBounds(0, 0, 10, 10);
  Plain->SetParent(Root);
  TLayer3D* L = AddLayer(View);
  TProbe* A = AddProbe(L, "A", TRectF(0, 0, 100, 100));
  TProbe* B = AddProbe(L, "B", TRectF(100, 0, 200, 100));
  auto Names = [this] {
    std::string S;
    for (TControl* C : Root->Input().TabList()) S += C->Name() + " ";
    return S;
  };
  // The view comes before the plain control among the root's children.
  EXPECT_EQ(Names(), "A B Plain ");
  Root->Input().SelectNext(true);
  EXPECT_EQ(Root->GetFocused(), A);
  uint16_t Key = vkTab;
  char32_t Char = 9;
  Root->Input().KeyDown(Key, Char, {});
  EXPECT_EQ(Root->GetFocused(), B);
  Key = 65, Char = U'a';
  Root->Input().KeyDown(Key, Char, {});
  EXPECT_EQ(B->Last(), "key 65");
  L->SetVisible(false);
  EXPECT_EQ(Names(), "Plain ");
  L->SetVisible(true);
  // Taken out of the view, the layer's controls leave the form: the focus goes with them.
  L->SetParent(nullptr);
  EXPECT_EQ(Root->GetFocused(), nullptr);
  EXPECT_EQ(Names(), "Plain ");
  L->Free();
}

TEST_F(LayerInputTest, ThePointPressedIsThePointDrawnThere) {
  if (TContextManager::DefaultContextClass() != "TGLContext") GTEST_SKIP() << "no EGL device can be made on this machine";
  // A turned layer with a control in one corner of its surface: the frame shows the control
  // where a press reaches it, so the surface is neither mirrored nor flipped for the mouse.
  TLayer3D* L = AddLayer(View);
  L->RotationAngle()->SetPoint(TPoint3D(15, 25, 0));
  L->Fill()->SetKind(TBrushKind::Solid);
  L->Fill()->SetColor(0xFF0000FF);
  TProbe* P = AddProbe(L, "Probe", TRectF(0, 0, 60, 30));
  View->RenderFrame();
  for (const TPointF S : {TPointF(30, 15), TPointF(150, 70)}) {
    const TPointF Pixel = Seen(L, S);
    const bool OnProbe = S.X < 60 && S.Y < 30;
    EXPECT_EQ(View->Bitmap()->Pixel(static_cast<int>(Pixel.X), static_cast<int>(Pixel.Y)),
              OnProbe ? 0xFFFF0000u : 0xFF0000FFu);
    P->Log.clear();
    Click(Pixel);
    EXPECT_EQ(!P->Log.empty(), OnProbe) << S.X << "," << S.Y;
  }
}

}  // namespace
