// The game's form layout: viewport Client, panel Bottom 40 high, button Left 80 wide and the
// slider Client beside it, as stored and after resizing.
#include <gtest/gtest.h>

#include "shell/controls/Button.h"
#include "shell/controls/Panel.h"
#include "shell/controls/TrackBar.h"
#include "tests/controls/TestRoot.h"

namespace {

void ExpectBounds(const TControl* C, float X, float Y, float W, float H) {
  EXPECT_FLOAT_EQ(C->Position()->X(), X) << C->Name();
  EXPECT_FLOAT_EQ(C->Position()->Y(), Y) << C->Name();
  EXPECT_FLOAT_EQ(C->Width(), W) << C->Name();
  EXPECT_FLOAT_EQ(C->Height(), H) << C->Name();
}

// Builds the form the way loading does: every control loading while its stored values
// arrive, Loaded children first, then the form's layout.
struct GameForm : ::testing::Test {
  TRootPtr Root{new TTestRoot(634, 480)};
  TControl* Viewport = nullptr;
  TPanel* Panel = nullptr;
  TTrackBar* Track = nullptr;
  TButton* Button = nullptr;

  template <typename T>
  T* Make(const char* Name, TTreeObject* Parent) {
    auto* C = new T(Root.get());
    C->IncludeState(csLoading);
    C->SetParent(Parent);
    C->SetName(Name);
    return C;
  }

  void SetUp() override {
    Viewport = Make<TControl>("Viewport3D1", Root.get());
    Viewport->SetAlign(TAlignLayout::Client);
    Viewport->Size()->SetWidth(634);
    Viewport->Size()->SetHeight(440);
    Viewport->Size()->SetPlatformDefault(false);
    Panel = Make<TPanel>("Panel1", Root.get());
    Panel->SetAlign(TAlignLayout::Bottom);
    Panel->Position()->SetY(440);
    Panel->Size()->SetWidth(634);
    Panel->Size()->SetHeight(40);
    Panel->Size()->SetPlatformDefault(false);
    Panel->SetTabOrder(1);
    Track = Make<TTrackBar>("TrackBar1", Panel);
    Track->SetAlign(TAlignLayout::Client);
    Track->SetCanParentFocus(true);
    Track->SetMax(180);
    Track->SetMin(-180);
    Track->Size()->SetWidth(554);
    Track->Size()->SetHeight(20);
    Track->Size()->SetPlatformDefault(false);
    Track->SetTabOrder(0);
    Button = Make<TButton>("Button1", Panel);
    Button->SetAlign(TAlignLayout::Left);
    Button->Size()->SetWidth(80);
    Button->Size()->SetHeight(40);
    Button->Size()->SetPlatformDefault(false);
    Button->SetTabOrder(1);
    Button->SetText("Start");
    for (TControl* C : {static_cast<TControl*>(Track), static_cast<TControl*>(Button), static_cast<TControl*>(Panel), Viewport})
      C->Loaded();
    Root->Realign();
  }
};

TEST_F(GameForm, StoredSizeGivesTheGameRectangles) {
  ExpectBounds(Panel, 0, 440, 634, 40);
  ExpectBounds(Viewport, 0, 0, 634, 440);
  ExpectBounds(Button, 0, 0, 80, 40);
  // Before its style is applied the slider takes the whole slot.
  ExpectBounds(Track, 80, 0, 554, 40);
}

TEST_F(GameForm, StyledSliderKeepsItsFixedHeightAtTheTopOfItsSlot) {
  TFakeTimers Timers;
  TTrackStyleScope Style;
  Track->ApplyStyleLookup();
  ASSERT_NE(Track->ResourceLink(), nullptr);
  EXPECT_EQ(Track->AdjustType(), TAdjustType::FixedHeight);
  ExpectBounds(Track, 80, 0, 554, 19);
  Root->SetClientSize(800, 600);
  ExpectBounds(Track, 80, 0, 720, 19);
}

TEST_F(GameForm, ResizingRelaysOutEveryLevel) {
  struct Case {
    float W, H;
  };
  for (Case C : {Case{634, 480}, Case{800, 600}, Case{1000, 41}, Case{100, 100}, Case{81, 1}}) {
    SCOPED_TRACE(::testing::Message() << C.W << " x " << C.H);
    Root->SetClientSize(C.W, C.H);
    ExpectBounds(Panel, 0, C.H - 40, C.W, 40);
    ExpectBounds(Viewport, 0, 0, C.W, std::max(0.f, C.H - 40));
    ExpectBounds(Button, 0, 0, 80, 40);
    ExpectBounds(Track, 80, 0, C.W - 80, 40);
  }
}

TEST_F(GameForm, TooSmallAreasClampNegativeSizesToZero) {
  Root->SetClientSize(634, 30);
  ExpectBounds(Panel, 0, -10, 634, 40);
  ExpectBounds(Viewport, 0, 0, 634, 0);
  Root->SetClientSize(60, 480);
  ExpectBounds(Panel, 0, 440, 60, 40);
  ExpectBounds(Track, 80, 0, 0, 40);
}

TEST_F(GameForm, AreaBelowOneUnitLaysNothingOut) {
  Root->SetClientSize(800, 600);
  Root->SetClientSize(0.5f, 600);
  ExpectBounds(Panel, 0, 560, 800, 40);
  Root->SetClientSize(800, 0);
  ExpectBounds(Viewport, 0, 0, 800, 560);
}

TEST_F(GameForm, StoredPanelTabOrderIsIgnored) {
  EXPECT_EQ(Panel->TabOrder(), -1);
  EXPECT_EQ(Track->TabOrder(), 0);
  EXPECT_EQ(Button->TabOrder(), 1);
}

}  // namespace
