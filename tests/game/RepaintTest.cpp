// Frames that repaint only what changed give the picture of whole frames. The game and the
// layer example run through the loop with input (aim, fire, hits, the ship's wrap-round, a
// resize, a scale change, layer repaints), and after every step the window and the view's
// bitmap are compared byte for byte with a whole repaint of the same state.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "game/Register.h"
#include "game/Unit1.h"
#include "scene3d/Cylinder.h"
#include "scene3d/Layer3D.h"
#include "scene3d/Viewport3D.h"
#include "shell/app/Timer.h"
#include "shell/canvas/Bitmap.h"
#include "shell/controls/Button.h"
#include "shell/controls/TrackBar.h"
#include "shell/platform/Platform.h"
#include "shell/platform/headless/HeadlessPlatform.h"
#include "shell/stream/Resources.h"
#include "tools/form/FormFile.h"
#include "shell/script/InputCommands.h"

namespace {

std::vector<uint32_t> PixelsOf(TBitmap& B) {
  std::vector<uint32_t> Pixels;
  TBitmapData D;
  if (!B.Map(TMapAccess::Read, D)) return Pixels;
  for (int Y = 0; Y < D.Height; ++Y) Pixels.insert(Pixels.end(), D.Scanline(Y), D.Scanline(Y) + D.Width);
  B.Unmap(D);
  return Pixels;
}

// "" when equal; else how many pixels differ and where the first one is.
std::string Difference(const std::vector<uint32_t>& A, const std::vector<uint32_t>& B, int Width) {
  if (A.size() != B.size()) return "sizes differ: " + std::to_string(A.size()) + " and " + std::to_string(B.size());
  size_t First = A.size(), Count = 0;
  for (size_t I = 0; I < A.size(); ++I)
    if (A[I] != B[I]) {
      First = std::min(First, I);
      ++Count;
    }
  if (Count == 0) return "";
  char Values[64];
  std::snprintf(Values, sizeof Values, ": %08X against %08X", A[First], B[First]);
  return std::to_string(Count) + " pixels differ, the first at (" + std::to_string(First % Width) + ", " +
         std::to_string(First / Width) + ")" + Values;
}

class RepaintTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InstallHeadlessPlatform();
    RegisterGameClasses();
  }
  void TearDown() override {
    if (Form) Form->Free();
  }

  THeadlessBackend& Headless() { return InstallHeadlessPlatform(); }
  TPlatformWindow& Window() { return *TPlatform::Current()->FindWindow(Form); }
  const THeadlessSurface& Surface() { return *Headless().Surface(Window()); }

  void Show(TCommonCustomForm* F, TViewport3D* V) {
    Form = F;
    View = V;
    Form->Show();
    Headless().Advance(0);
  }
  void Input(const std::string& Command, const std::string& Arguments) {
    Mouse.Run(Window(), Command, Arguments);
    Headless().Advance(0);
  }
  static std::string At(const TRectF& R, float FX = 0.5f, float FY = 0.5f) {
    return std::to_string(R.Left + R.Width() * FX) + " " + std::to_string(R.Top + R.Height() * FY);
  }

  // The window and the view's bitmap as the repaints left them, against both after a whole
  // repaint of everything (the view drawing a whole frame).
  void ExpectSameAsWholeFrame(const std::string& Step) {
    SCOPED_TRACE(Step);
    const std::vector<uint32_t> Shown = Surface().Pixels;
    const std::vector<uint32_t> Frame = PixelsOf(*View->Bitmap());
    View->SetRepaintDamageOnly(false);
    Form->InvalidateRect(Form->ClientRect());
    Headless().Advance(0);
    View->SetRepaintDamageOnly(true);
    TBitmap& Whole = *View->Bitmap();
    ASSERT_EQ(View->LastRepaint(), (TTargetRect{0, 0, Whole.Width(), Whole.Height()})) << "no whole frame was drawn";
    EXPECT_EQ(Difference(Frame, PixelsOf(Whole), Whole.Width()), "") << "in the view's bitmap";
    EXPECT_EQ(Difference(Shown, Surface().Pixels, Surface().Width), "") << "in the window";
  }

  TCommonCustomForm* Form = nullptr;
  TViewport3D* View = nullptr;
  THeadlessInput Mouse;
};

TEST_F(RepaintTest, TheGameShowsWholeFramesThroughAimFireHitsWrapResizeAndScale) {
  auto* Game = NewForm<TForm1>(nullptr);
  Show(Game, Game->Viewport3D1);
  ExpectSameAsWholeFrame("start");
  TPosition3D& Ship = *Game->Cylinder2->Position();
  int Hits = 0, Wraps = 0, Partial = 0;
  // What the player does, at steps of a quarter second.
  const std::vector<std::pair<int, std::function<void()>>> Script = {
      {8, [&] { Input("click", At(Game->TrackBar1->AbsoluteRect(), 0.7f)); }},
      {10, [&] { Input("key", "Left"); }},
      {12, [&] { Input("click", At(Game->Button1->AbsoluteRect())); }},
      {20, [&] { Input("key", "Right"); }},
      {22, [&] { Input("drag", At(Game->TrackBar1->AbsoluteRect(), 0.3f) + " " + At(Game->TrackBar1->AbsoluteRect(), 0.6f)); }},
      // Straight ahead when the ship is 12 to the right: it is hit some 13 seconds later.
      {50, [&] { Game->TrackBar1->SetValue(0); }},
      {51, [&] { Input("click", At(Game->Button1->AbsoluteRect())); }},
      {120, [&] { Headless().Resize(Window(), 800, 560); }},
      {160, [&] { Headless().ChangeScale(Window(), 1.5f); }},
      {200, [&] { Headless().Resize(Window(), 700, 500); }},
      {240, [&] { Headless().ChangeScale(Window(), 1); }},
      {246, [&] { Input("click", At(Game->Button1->AbsoluteRect())); }},
  };
  for (int Step = 1; Step <= 360; ++Step) {
    for (const auto& [At, Do] : Script)
      if (At == Step) Do();
    const float Before = Ship.X();
    Headless().Advance(250);
    if (Ship.X() > Before) ++(Before <= -25 ? Wraps : Hits);
    const TBitmap& B = *View->Bitmap();
    if (!View->LastRepaint().IsEmpty() && View->LastRepaint().Width() * View->LastRepaint().Height() * 4 < B.Width() * B.Height())
      ++Partial;
    ExpectSameAsWholeFrame("step " + std::to_string(Step));
    if (HasFatalFailure() || testing::Test::HasFailure()) return;
  }
  EXPECT_GE(Hits, 1);
  EXPECT_GE(Wraps, 1);
  // Most frames are the ship's or the torpedo's tick, drawn in a small part of the view.
  EXPECT_GE(Partial, 100);
}

TEST_F(RepaintTest, TheLayerExampleShowsWholeFramesThroughLayerRepaints) {
  StoreFormDescription(ReadFormFile(std::string(KELVANE_SOURCE_DIR) + "/resources/examples/LayerPanel.txt"));
  // The game's form, a TForm too, must not read it after this test.
  struct TForget {
    ~TForget() { RemoveResource("TForm", RT_RCDATA); }
  } Forget;
  auto* Panel = NewForm<TForm>(nullptr);
  auto* V = dynamic_cast<TViewport3D*>(Panel->FindComponent("Viewport3D1"));
  auto* Layer = dynamic_cast<TLayer3D*>(Panel->FindComponent("Layer3D1"));
  auto* Slider = dynamic_cast<TTrackBar*>(Panel->FindComponent("TrackBar1"));
  auto* Button = dynamic_cast<TButton*>(Panel->FindComponent("Button1"));
  ASSERT_TRUE(V && Layer && Slider && Button);
  Show(Panel, V);
  ExpectSameAsWholeFrame("start");
  struct TCase {
    const char* Name;
    std::function<void()> Change;
  };
  const TCase Cases[] = {
      {"the slider on the layer moves", [&] { Slider->SetValue(70); }},
      {"the button's text", [&] { Button->SetText("Pressed"); }},
      {"the slider again", [&] { Slider->SetValue(10); }},
      {"the layer turns", [&] { Layer->RotationAngle()->SetY(35); }},
      {"the slider, the layer turned", [&] { Slider->SetValue(95); }},
      {"the fill's colour", [&] { Layer->Fill()->SetColor(0xFFFFE4B5); }},
      {"the layer moves away", [&] { Layer->Position()->SetZ(6); }},
      {"a resize", [&] { Headless().Resize(Window(), 520, 300); }},
      {"the button's text at the new size", [&] { Button->SetText("Again"); }},
      {"the layer hidden", [&] { Layer->SetVisible(false); }},
      {"the layer shown", [&] { Layer->SetVisible(true); }},
  };
  for (const TCase& C : Cases) {
    C.Change();
    Headless().Advance(0);
    ExpectSameAsWholeFrame(C.Name);
  }
}

// The rule that decides the repainted part: for a tick of the ship, only around the hull and
// funnel, before and after, is repainted, read back and presented.
TEST_F(RepaintTest, AShipTickRepaintsAndPresentsOnlyAroundTheShip) {
  auto* Game = NewForm<TForm1>(nullptr);
  Show(Game, Game->Viewport3D1);
  TPosition3D& Ship = *Game->Cylinder2->Position();
  Ship.SetX(3);
  Headless().Advance(0);
  const uint64_t Presents = Surface().PresentCount;
  Ship.SetX(2);
  Headless().Advance(0);
  const TTargetRect R = View->LastRepaint();
  // The hull (5 wide) seen at 20 units spans some 70 pixels; the frame's 634 × 440 is far more.
  EXPECT_GT(R.Width(), 60);
  EXPECT_LT(R.Width(), 160);
  EXPECT_LT(R.Height(), 120);
  for (float X : {2.0f - 2.5f, 3.0f + 2.5f}) {
    const TPoint3D P = View->ProjectToFrame(TPoint3D(X, 0, 20));
    EXPECT_TRUE(P.X > R.Left && P.X < R.Right && P.Y > R.Top && P.Y < R.Bottom) << X;
  }
  // One paint, of that part of the window only.
  ASSERT_EQ(Surface().PresentCount, Presents + 1);
  ASSERT_EQ(Surface().LastPresent.size(), 1u);
  const TRectF& Shown = Surface().LastPresent[0];
  EXPECT_LE(Shown.Width() * Shown.Height(), (R.Width() + 4.0f) * (R.Height() + 4.0f));
  // A change that moves nothing draws no pixel and paints nothing.
  Ship.SetX(2);
  Game->Viewport3D1->NeedRender();
  Headless().Advance(0);
  EXPECT_TRUE(View->LastRepaint().IsEmpty());
  EXPECT_EQ(Surface().PresentCount, Presents + 1);
}

// At fractional scales a window of whole pixels gives the view and the panel fractional logical
// sizes: the view's surfaces are its size in pixels rounded, and controls' edges fall between
// pixels. Frames of the ship and the torpedo, an aim with the slider and a second shot, each
// painted in parts, against whole repaints.
TEST_F(RepaintTest, PartsPaintedAtFractionalScalesLookAsAWholeRepaint) {
  for (const float Scale : {1.25f, 1.5f, 1.75f}) {
    SCOPED_TRACE("scale " + std::to_string(Scale));
    auto* Game = NewForm<TForm1>(nullptr);
    Show(Game, Game->Viewport3D1);
    Headless().ChangeScale(Window(), Scale);
    Headless().Resize(Window(), 634, 480);
    Headless().Advance(0);
    Game->TrackBar1->SetValue(0);
    Input("click", At(Game->Button1->AbsoluteRect()));
    ExpectSameAsWholeFrame("fired");
    for (int Step = 1; Step <= 24 && !HasFailure(); ++Step) {
      if (Step == 6) Input("click", At(Game->TrackBar1->AbsoluteRect(), 0.8f));
      if (Step == 14) Input("click", At(Game->Button1->AbsoluteRect()));
      Headless().Advance(250);
      ExpectSameAsWholeFrame("step " + std::to_string(Step));
    }
    Form->Free();
    Form = nullptr;
    if (HasFailure()) return;
  }
}

}  // namespace
