// Input through the dispatcher: the control under the mouse, capture, clicks and double clicks
// on the button, keys, dialog keys, Tab and focus.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "shell/controls/Accelerator.h"
#include "shell/controls/Button.h"
#include "shell/controls/Panel.h"
#include "shell/controls/TrackBar.h"
#include "shell/core/Exceptions.h"
#include "tests/controls/TestRoot.h"

namespace {

struct TClicks : TObject {
  int Clicks = 0, DblClicks = 0;
  void Click(TObject*) { ++Clicks; }
  void DblClick(TObject*) { ++DblClicks; }
};

// The game's panel: slider (tab order 0) and button (tab order 1) inside a bottom panel.
struct Input : ::testing::Test {
  TFakeTimers Timers;
  TRootPtr Root{new TTestRoot(634, 480)};
  TControl* Viewport = new TControl(Root.get());
  TPanel* Panel = new TPanel(Root.get());
  TTrackBar* Track = new TTrackBar(Root.get());
  TButton* Button = new TButton(Root.get());
  TClicks Rec;

  void SetUp() override {
    Viewport->SetParent(Root.get());
    Viewport->SetAlign(TAlignLayout::Client);
    Panel->SetParent(Root.get());
    Panel->SetHeight(40);
    Panel->SetAlign(TAlignLayout::Bottom);
    Track->SetParent(Panel);
    Track->SetAlign(TAlignLayout::Client);
    Track->SetMin(-180);
    Track->SetMax(180);
    Track->SetTabOrder(0);
    Button->SetParent(Panel);
    Button->SetWidth(80);
    Button->SetAlign(TAlignLayout::Left);
    Button->SetTabOrder(1);
    Button->OnClick = TNotifyEvent(&Rec, &TClicks::Click);
    Button->OnDblClick = TNotifyEvent(&Rec, &TClicks::DblClick);
    Root->Realign();
  }
  // Client point of the button's centre.
  static constexpr float BX = 40, BY = 460;
};

TEST_F(Input, PressAndReleaseOnTheButtonClicksOnce) {
  Root->Input().MouseDown(mbLeft, {ssLeft}, BX, BY);
  EXPECT_TRUE(Button->IsPressed());
  EXPECT_EQ(Root->GetCaptured(), Button);
  EXPECT_EQ(Root->GetFocused(), Button);
  EXPECT_EQ(Rec.Clicks, 0);
  Root->Input().MouseUp(mbLeft, {}, BX, BY);
  EXPECT_EQ(Rec.Clicks, 1);
  EXPECT_FALSE(Button->IsPressed());
  EXPECT_EQ(Root->GetCaptured(), nullptr);
}

TEST_F(Input, ReleaseOutsideDoesNotClickUnlessTheMouseComesBack) {
  Root->Input().MouseDown(mbLeft, {ssLeft}, BX, BY);
  Root->Input().MouseMove({ssLeft}, 300, 100);
  EXPECT_FALSE(Button->IsPressed());
  Root->Input().MouseUp(mbLeft, {}, 300, 100);
  EXPECT_EQ(Rec.Clicks, 0);

  Root->Input().MouseDown(mbLeft, {ssLeft}, BX, BY);
  Root->Input().MouseMove({ssLeft}, 300, 100);
  Root->Input().MouseMove({ssLeft}, BX + 10, BY);
  EXPECT_TRUE(Button->IsPressed());
  Root->Input().MouseUp(mbLeft, {}, BX + 10, BY);
  EXPECT_EQ(Rec.Clicks, 1);
}

TEST_F(Input, DoubleClickClicksAtFirstReleaseAndSecondPressOnly) {
  Root->Input().MouseDown(mbLeft, {ssLeft}, BX, BY);
  Root->Input().MouseUp(mbLeft, {}, BX, BY);
  EXPECT_EQ(Rec.Clicks, 1);
  Root->Input().MouseDown(mbLeft, {ssLeft, ssDouble}, BX, BY);
  EXPECT_EQ(Rec.Clicks, 2);
  EXPECT_EQ(Rec.DblClicks, 1);
  Root->Input().MouseUp(mbLeft, {}, BX, BY);
  EXPECT_EQ(Rec.Clicks, 2);
  // The next single press and release clicks again.
  Root->Click(BX, BY);
  EXPECT_EQ(Rec.Clicks, 3);
}

TEST_F(Input, RightButtonDoesNotClick) {
  Root->Input().MouseDown(mbRight, {ssRight}, BX, BY);
  Root->Input().MouseUp(mbRight, {}, BX, BY);
  EXPECT_EQ(Rec.Clicks, 0);
  EXPECT_FALSE(Button->IsPressed());
}

TEST_F(Input, EnterAndSpaceClickTheFocusedButtonOncePerKeyDown) {
  Root->Key(vkReturn, U'\r');
  EXPECT_EQ(Rec.Clicks, 0);  // nothing focused yet
  Button->SetFocus();
  for (int I = 0; I < 3; ++I) Root->Key(vkReturn, U'\r');
  EXPECT_EQ(Rec.Clicks, 3);
  Root->Key(vkSpace, U' ');
  EXPECT_EQ(Rec.Clicks, 4);
  Root->Key(vkReturn, U'\r', {ssShift});
  Root->Key(vkReturn, 0, {ssCtrl});
  EXPECT_EQ(Rec.Clicks, 4);
  uint16_t Key = vkReturn;
  char32_t Char = U'\r';
  Root->Input().KeyDown(Key, Char, {});
  EXPECT_EQ(Key, 0);
  EXPECT_EQ(Char, 0u);
}

TEST_F(Input, PressOnThePanelChangesNothing) {
  Track->SetFocus();
  float Before = Track->Value();
  // Below the 19-high styled slider? Unstyled it fills the panel; take the panel's own area
  // by making the slider narrower.
  Track->SetAlign(TAlignLayout::None);
  Track->SetBounds(100, 0, 200, 19);
  Root->Click(500, 475);
  EXPECT_EQ(Root->GetFocused(), Track);
  EXPECT_FLOAT_EQ(Track->Value(), Before);
  EXPECT_EQ(Rec.Clicks, 0);
}

TEST_F(Input, PressesFocusTheSliderAndTheButton) {
  EXPECT_EQ(Root->GetFocused(), nullptr);
  Root->Input().MouseDown(mbLeft, {ssLeft}, 300, 450);
  Root->Input().MouseUp(mbLeft, {}, 300, 450);
  EXPECT_EQ(Root->GetFocused(), Track);
  EXPECT_TRUE(Track->IsFocused());
  Root->Click(BX, BY);
  EXPECT_EQ(Root->GetFocused(), Button);
  EXPECT_FALSE(Track->IsFocused());
  // The viewport cannot take the focus: pressing it keeps the button focused.
  Root->Click(300, 100);
  EXPECT_EQ(Root->GetFocused(), Button);
}

TEST_F(Input, TabWalksTheTabOrderAndShiftTabGoesBack) {
  Root->Key(vkTab, U'\t');
  EXPECT_EQ(Root->GetFocused(), Track);
  Root->Key(vkTab, U'\t');
  EXPECT_EQ(Root->GetFocused(), Button);
  Root->Key(vkTab, U'\t');
  EXPECT_EQ(Root->GetFocused(), Track);
  Root->Key(vkTab, U'\t', {ssShift});
  EXPECT_EQ(Root->GetFocused(), Button);
  // Disabled or invisible controls are left out.
  Track->SetEnabled(false);
  Root->Key(vkTab, U'\t');
  EXPECT_EQ(Root->GetFocused(), Button);
  uint16_t Key = vkTab;
  char32_t Char = U'\t';
  Root->Input().KeyDown(Key, Char, {});
  EXPECT_EQ(Key, 0);
}

TEST_F(Input, TabOrderFollowsTabOrderNotChildOrder) {
  Track->SetTabOrder(5);
  EXPECT_EQ(Root->Input().TabList(), (std::vector<TControl*>{Button, Track}));
}

TEST_F(Input, DialogKeysReachDefaultAndCancelButtons) {
  auto* Cancel = new TButton(Root.get());
  Cancel->SetParent(Panel);
  Cancel->SetCancel(true);
  TClicks CancelRec;
  Cancel->OnClick = TNotifyEvent(&CancelRec, &TClicks::Click);
  Button->SetDefault(true);
  Track->SetFocus();
  Root->Key(vkReturn, U'\r');
  EXPECT_EQ(Rec.Clicks, 1);
  Root->Key(vkEscape, 27);
  EXPECT_EQ(CancelRec.Clicks, 1);
  // A key the focused control consumes never reaches them.
  Root->Key(vkRight);
  EXPECT_EQ(Rec.Clicks, 1);
  EXPECT_FLOAT_EQ(Track->Value(), 1);
}

TEST_F(Input, FormKeyHandlerGetsUnconsumedKeys) {
  std::vector<uint16_t> Seen;
  Root->Input().OnFormKeyDown = [&](uint16_t& Key, char32_t&, TShiftState) { Seen.push_back(Key); };
  Root->Key('A', U'a');
  Track->SetFocus();
  Root->Key(vkLeft);
  Root->Key('B', U'b');
  EXPECT_EQ(Seen, (std::vector<uint16_t>{'A', 'B'}));
}

TEST_F(Input, ControlUnderTheMouseIsTheTopmostHitTestOne) {
  auto* Over = new TControl(Root.get());
  Over->SetParent(Root.get());
  Over->SetBounds(10, 10, 50, 50);
  auto* Child = new TControl(Root.get());
  Child->SetParent(Over);
  Child->SetBounds(5, 5, 10, 10);
  EXPECT_EQ(Root->Input().ObjectAtPoint(TPointF(20, 20)), Child);
  EXPECT_EQ(Root->Input().ObjectAtPoint(TPointF(40, 40)), Over);
  EXPECT_EQ(Root->Input().ObjectAtPoint(TPointF(100, 100)), Viewport);
  Child->SetHitTest(false);
  EXPECT_EQ(Root->Input().ObjectAtPoint(TPointF(20, 20)), Over);
  Over->SetVisible(false);
  EXPECT_EQ(Root->Input().ObjectAtPoint(TPointF(20, 20)), Viewport);
  // Local coordinates reach the control.
  Over->SetVisible(true);
  std::vector<TPointF> Downs;
  struct TSpy : TObject {
    std::vector<TPointF>* Out;
    void Down(TObject*, TMouseButton, TShiftState, float X, float Y) { Out->push_back(TPointF(X, Y)); }
  } Spy;
  Spy.Out = &Downs;
  Over->OnMouseDown = TMouseEvent(&Spy, &TSpy::Down);
  Root->Input().MouseDown(mbLeft, {ssLeft}, 40, 45);
  ASSERT_EQ(Downs.size(), 1u);
  EXPECT_EQ(Downs[0], TPointF(30, 35));
}

TEST_F(Input, MoveTracksEnterAndLeave) {
  Root->Input().MouseMove({}, BX, BY);
  EXPECT_EQ(Root->GetHovered(), Button);
  EXPECT_TRUE(Button->IsMouseOver());
  Root->Input().MouseMove({}, 300, 100);
  EXPECT_EQ(Root->GetHovered(), Viewport);
  EXPECT_FALSE(Button->IsMouseOver());
  Root->Input().MouseLeave();
  EXPECT_EQ(Root->GetHovered(), nullptr);
}

TEST_F(Input, WheelBubblesUpUntilHandled) {
  std::vector<TObject*> Seen;
  struct TWheel : TObject {
    std::vector<TObject*>* Out;
    bool Handle = false;
    void Wheel(TObject* Sender, TShiftState, int, bool& Handled) {
      Out->push_back(Sender);
      Handled = Handle;
    }
  } W;
  W.Out = &Seen;
  Button->OnMouseWheel = TMouseWheelEvent(&W, &TWheel::Wheel);
  Panel->OnMouseWheel = TMouseWheelEvent(&W, &TWheel::Wheel);
  Root->Input().MouseMove({}, BX, BY);
  bool Handled = false;
  Root->Input().MouseWheel({}, 120, Handled);
  EXPECT_EQ(Seen, (std::vector<TObject*>{Button, Panel}));
  EXPECT_FALSE(Handled);
  W.Handle = true;
  Seen.clear();
  Root->Input().MouseWheel({}, 120, Handled);
  EXPECT_EQ(Seen, (std::vector<TObject*>{Button}));
  EXPECT_TRUE(Handled);
  // The form's own handler comes first.
  Seen.clear();
  Root->Input().OnFormMouseWheel = [](TShiftState, int, bool& H) { H = true; };
  Root->Input().MouseWheel({}, 120, Handled);
  EXPECT_TRUE(Seen.empty());
}

TEST_F(Input, RepeatClickClicksWhileHeld) {
  Button->SetRepeatClick(true);
  Root->Input().MouseDown(mbLeft, {ssLeft}, BX, BY);
  Timers.Advance(500);
  EXPECT_EQ(Rec.Clicks, 0);
  Timers.Advance(300);
  EXPECT_EQ(Rec.Clicks, 3);
  Root->Input().MouseUp(mbLeft, {}, BX, BY);
  EXPECT_EQ(Rec.Clicks, 4);  // the release over the button
  EXPECT_EQ(Timers.Count(), 0u);
  Timers.Advance(1000);
  EXPECT_EQ(Rec.Clicks, 4);
}

TEST_F(Input, StaysPressedToggles) {
  Button->SetStaysPressed(true);
  Root->Click(BX, BY);
  EXPECT_TRUE(Button->IsPressed());
  Root->Click(BX, BY);
  EXPECT_FALSE(Button->IsPressed());
  Button->SetIsPressed(true);
  EXPECT_TRUE(Button->IsPressed());
  Button->SetStaysPressed(false);
  EXPECT_FALSE(Button->IsPressed());
  Button->SetIsPressed(true);  // only a StaysPressed button takes it
  EXPECT_FALSE(Button->IsPressed());
}

TEST_F(Input, ModalResultGoesToTheForm) {
  Button->SetModalResult(2);
  Root->Click(BX, BY);
  EXPECT_EQ(Root->ModalResult, 2);
}

TEST_F(Input, FreedOrDisabledControlsLoseFocusAndCapture) {
  Root->Input().MouseDown(mbLeft, {ssLeft}, BX, BY);
  ASSERT_EQ(Root->GetCaptured(), Button);
  Panel->Free();
  EXPECT_EQ(Root->GetCaptured(), nullptr);
  EXPECT_EQ(Root->GetFocused(), nullptr);
  Root->Input().MouseUp(mbLeft, {}, BX, BY);  // lands on the viewport, harmlessly
}

TEST_F(Input, HandlerThatRemovesTheButtonEndsTheRelease) {
  struct TRemover : TObject {
    TButton* Victim;
    void Click(TObject*) { Victim->SetParent(nullptr); }
  } Remover;
  Remover.Victim = Button;
  Button->OnClick = TNotifyEvent(&Remover, &TRemover::Click);
  Root->Click(BX, BY);
  EXPECT_EQ(Button->Parent(), nullptr);
  EXPECT_EQ(Button->Root(), nullptr);
  EXPECT_EQ(Root->GetCaptured(), nullptr);
  EXPECT_EQ(Root->GetFocused(), nullptr);
}

// A second button pressed and released while the left one holds the button: the press, the
// capture and the click stay with the left button, in either order of the two presses.
TEST_F(Input, AnotherButtonLeavesTheLeftPressAlone) {
  for (TMouseButton Other : {mbRight, mbMiddle}) {
    SCOPED_TRACE(Other == mbRight ? "right" : "middle");
    const TShiftState Both{ssLeft, ButtonFlag(Other)};
    Rec.Clicks = 0;
    Root->Input().MouseDown(mbLeft, {ssLeft}, BX, BY);
    Root->Input().MouseDown(Other, Both, BX, BY);
    Root->Input().MouseUp(Other, {ssLeft}, BX, BY);
    EXPECT_EQ(Rec.Clicks, 0) << "the other button's release clicks nothing";
    EXPECT_TRUE(Button->IsPressed());
    EXPECT_TRUE(Button->Pressed());
    EXPECT_EQ(Root->GetCaptured(), Button);
    Root->Input().MouseUp(mbLeft, {}, BX, BY);
    EXPECT_EQ(Rec.Clicks, 1) << "the left release clicks";
    EXPECT_FALSE(Button->IsPressed());
    EXPECT_EQ(Root->GetCaptured(), nullptr);

    // The other button first: it takes the capture, the left press and release click, and
    // the capture lasts until the other button's release.
    Root->Input().MouseDown(Other, {ButtonFlag(Other)}, BX, BY);
    Root->Input().MouseDown(mbLeft, Both, BX, BY);
    Root->Input().MouseUp(mbLeft, {ButtonFlag(Other)}, BX, BY);
    EXPECT_EQ(Rec.Clicks, 2);
    EXPECT_FALSE(Button->IsPressed());
    EXPECT_EQ(Root->GetCaptured(), Button);
    Root->Input().MouseUp(Other, {}, BX, BY);
    EXPECT_EQ(Rec.Clicks, 2);
    EXPECT_EQ(Root->GetCaptured(), nullptr);
  }
}

// Paging lasts as long as the left press that began it: however its capture ends, the timer
// stops, and the mouse passing over the slider afterwards changes nothing.
TEST_F(Input, SliderPagingEndsWithItsPress) {
  constexpr float TX = 500, TY = 460;  // on the track, right of the thumb's place at 0
  struct TCase {
    const char* Name;
    std::function<void()> End;
  } Cases[] = {
      {"left release over the view", [&] { Root->Input().MouseUp(mbLeft, {}, 300, 100); }},
      {"right press and release, then the left release over the view",
       [&] {
         Root->Input().MouseDown(mbRight, {ssLeft, ssRight}, TX, TY);
         Root->Input().MouseUp(mbRight, {ssLeft}, TX, TY);
         EXPECT_TRUE(Track->Paging()) << "the left button still holds it";
         EXPECT_EQ(Root->GetCaptured(), Track);
         Root->Input().MouseMove({ssLeft}, 300, 100);
         Root->Input().MouseUp(mbLeft, {}, 300, 100);
       }},
      {"a right press on the button takes the capture",
       [&] {
         Root->Input().MouseMove({ssLeft}, BX, BY);
         Root->Input().MouseDown(mbRight, {ssLeft, ssRight}, BX, BY);
         EXPECT_FALSE(Track->Paging());
         EXPECT_EQ(Root->GetCaptured(), Button);
         Root->Input().MouseUp(mbRight, {ssLeft}, BX, BY);
         Root->Input().MouseUp(mbLeft, {}, BX, BY);
         EXPECT_EQ(Rec.Clicks, 0);
       }},
      {"the left release went to another window: the next press starts afresh",
       [&] { Root->Input().MouseDown(mbLeft, {ssLeft}, 300, 100); }},
      {"the slider leaves the form", [&] { Track->SetParent(nullptr); }},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    Track->SetValue(0);
    Root->Input().MouseDown(mbLeft, {ssLeft}, TX, TY);
    Timers.Advance(10);
    ASSERT_TRUE(Track->Paging());
    ASSERT_EQ(Root->GetCaptured(), Track);
    C.End();
    EXPECT_FALSE(Track->Paging());
    EXPECT_NE(Root->GetCaptured(), Track);
    EXPECT_EQ(Timers.Count(), 0u);
    const float Value = Track->Value();
    Root->Input().MouseUp(mbLeft, {}, 300, 100);
    Root->Input().MouseMove({}, TX, TY);
    Timers.Advance(1000);
    EXPECT_FLOAT_EQ(Track->Value(), Value);
  }
}

// A handler that raises ends the press all the same: the button comes up and lets go of the
// capture, so that the mouse reaches the other controls again; the first exception goes on.
TEST_F(Input, AHandlerThatRaisesStillEndsThePress) {
  struct TRaiser : TObject {
    void Click(TObject*) { throw Exception("click failed"); }
    void Mouse(TObject*, TMouseButton, TShiftState, float, float) { throw Exception("mouse failed"); }
  } Raiser;
  struct TCase {
    const char* Name;
    bool Click, Down, Up;
    const char* Raised;  // by the release, or by the press when Down
  } Cases[] = {
      {"OnClick", true, false, false, "click failed"},
      {"OnMouseUp", false, false, true, "mouse failed"},
      {"OnClick and OnMouseUp", true, false, true, "click failed"},
      {"OnMouseDown", false, true, false, "mouse failed"},
  };
  auto Message = [](const std::function<void()>& Send) -> std::string {
    try {
      Send();
    } catch (const Exception& E) {
      return E.Message();
    }
    return "";
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    Button->OnClick = C.Click ? TNotifyEvent(&Raiser, &TRaiser::Click) : TNotifyEvent();
    Button->OnMouseDown = C.Down ? TMouseEvent(&Raiser, &TRaiser::Mouse) : TMouseEvent();
    Button->OnMouseUp = C.Up ? TMouseEvent(&Raiser, &TRaiser::Mouse) : TMouseEvent();
    const std::string AtPress = Message([&] { Root->Input().MouseDown(mbLeft, {ssLeft}, BX, BY); });
    const std::string AtRelease = Message([&] { Root->Input().MouseUp(mbLeft, {}, BX, BY); });
    EXPECT_EQ(C.Down ? AtPress : AtRelease, C.Raised);
    EXPECT_FALSE(Button->IsPressed());
    EXPECT_FALSE(Button->Pressing());
    EXPECT_FALSE(Button->Pressed());
    EXPECT_EQ(Root->GetCaptured(), nullptr);
    Root->Input().MouseMove({}, 500, 460);
    EXPECT_EQ(Root->GetHovered(), Track);
    Root->Input().MouseMove({}, 300, 100);
  }
}

TEST(Accelerator, MarkersAreTakenOutAndTheFirstMarkedLetterOrDigitIsTheKey) {
  struct TCase {
    const char* Text;
    const char* Shown;
    uint16_t Key;
  } Cases[] = {
      {"Start", "Start", 0},          {"&Start", "Start", 'S'},      {"S&tart", "Start", 'T'},
      {"&start", "start", 'S'},       {"Fish && Chips", "Fish & Chips", 0}, {"&&Start", "&Start", 0},
      {"&&&Start", "&Start", 'S'},    {"Go &2", "Go 2", '2'},        {"A&-B &C", "A-B C", 0},
      {"End&", "End&", 0},            {"", "", 0},                   {"&\xc3\xa9t\xc3\xa9", "\xc3\xa9t\xc3\xa9", 0},
  };
  for (const TCase& C : Cases) {
    EXPECT_EQ(TextWithoutAccelerator(C.Text), C.Shown) << C.Text;
    EXPECT_EQ(AcceleratorKey(C.Text), C.Key) << C.Text;
  }
}

TEST_F(Input, AltAndTheAcceleratorKeyClickTheButton) {
  Button->SetText("&Start");
  Root->Key('S', U's');
  EXPECT_EQ(Rec.Clicks, 0) << "without Alt it is an ordinary key";
  Root->Key('S', U's', {ssAlt});
  EXPECT_EQ(Rec.Clicks, 1);
  Root->Key('S', 0, {ssAlt, ssCtrl});
  Root->Key('T', U't', {ssAlt});
  EXPECT_EQ(Rec.Clicks, 1);
  // Also while the button or another control has the focus; the character goes with the key.
  std::vector<char32_t> Chars;
  Root->Input().OnFormKeyDown = [&](uint16_t&, char32_t& Char, TShiftState) { Chars.push_back(Char); };
  for (TControl* F : std::vector<TControl*>{Button, Track}) {
    F->SetFocus();
    uint16_t Key = 'S';
    char32_t Char = U's';
    Root->Input().KeyDown(Key, Char, {ssAlt});
    EXPECT_EQ(Key, 0);
    EXPECT_EQ(Char, 0u);
  }
  EXPECT_EQ(Rec.Clicks, 3);
  EXPECT_TRUE(Chars.empty());
  // "&&" marks nothing; a disabled button does not answer.
  Button->SetText("Fish && Chips");
  Root->Key('C', U'c', {ssAlt});
  Button->SetText("&Start");
  Button->SetEnabled(false);
  Root->Key('S', U's', {ssAlt});
  EXPECT_EQ(Rec.Clicks, 3);
}

// A disabled button, or one in a disabled panel, is still what a press lands on, but it does
// nothing: no press, capture, repeat, double click, focus or click.
TEST_F(Input, DisabledControlsAreHitButInert) {
  struct TDowns : TObject {
    int Downs = 0;
    void Down(TObject*, TMouseButton, TShiftState, float, float) { ++Downs; }
  } PanelDowns;
  Panel->OnMouseDown = TMouseEvent(&PanelDowns, &TDowns::Down);
  Button->SetRepeatClick(true);
  for (TControl* Disabled : std::vector<TControl*>{Button, Panel}) {
    SCOPED_TRACE(Disabled == Button ? "disabled button" : "disabled panel");
    Disabled->SetEnabled(false);
    EXPECT_EQ(Root->Input().ObjectAtPoint(TPointF(BX, BY)), Button);
    Root->Input().MouseDown(mbLeft, {ssLeft}, BX, BY);
    EXPECT_FALSE(Button->IsPressed());
    EXPECT_FALSE(Button->Pressing());
    EXPECT_EQ(Root->GetCaptured(), nullptr);
    EXPECT_EQ(Root->GetFocused(), nullptr);
    EXPECT_EQ(Timers.Count(), 0u) << "no repeat timer";
    Timers.Advance(1000);
    Root->Input().MouseUp(mbLeft, {}, BX, BY);
    Root->Input().MouseDown(mbLeft, {ssLeft, ssDouble}, BX, BY);
    Root->Input().MouseUp(mbLeft, {}, BX, BY);
    EXPECT_EQ(Rec.Clicks, 0);
    EXPECT_EQ(Rec.DblClicks, 0);
    EXPECT_EQ(PanelDowns.Downs, 0) << "the press does not fall through to the panel";
    Root->Input().MouseMove({}, BX, BY);
    EXPECT_FALSE(Button->IsMouseOver());
    // Tab skips it.
    Root->Key(vkTab);
    EXPECT_NE(Root->GetFocused(), Button);
    Root->Key(vkTab);
    EXPECT_NE(Root->GetFocused(), Button);
    Root->Input().SetFocused(nullptr);
    Disabled->SetEnabled(true);
  }
  Root->Click(BX, BY);
  EXPECT_EQ(Rec.Clicks, 1);
}

TEST_F(Input, AButtonDisabledWhileHeldStopsRepeatingAndLetsGoOnRelease) {
  Button->SetRepeatClick(true);
  Root->Input().MouseDown(mbLeft, {ssLeft}, BX, BY);
  Timers.Advance(650);
  EXPECT_EQ(Rec.Clicks, 1);
  Button->SetEnabled(false);
  Timers.Advance(1000);
  EXPECT_EQ(Rec.Clicks, 1);
  Root->Input().MouseUp(mbLeft, {}, BX, BY);
  EXPECT_EQ(Rec.Clicks, 1);
  EXPECT_FALSE(Button->IsPressed());
  EXPECT_EQ(Root->GetCaptured(), nullptr);
}

// Counts the dialog-key calls a control gets.
class TKeyProbe : public TControl {
 public:
  explicit TKeyProbe(TComponent* AOwner) : TControl(AOwner) { SetCanFocus(true); }
  int Dialog = 0, After = 0;
  void DialogKey(uint16_t&, TShiftState) override { ++Dialog; }
  void AfterDialogKey(uint16_t&, TShiftState) override { ++After; }
};

// The focused control gets DialogKey once, first; every other control gets DialogKey, then
// AfterDialogKey when nobody consumed the key; the focused one never gets AfterDialogKey.
TEST_F(Input, DialogKeysGoToTheFocusedControlOnceAndAfterwardsToTheOthers) {
  auto* Focused = new TKeyProbe(Root.get());
  Focused->SetParent(Panel);
  auto* Other = new TKeyProbe(Root.get());
  Other->SetParent(Panel);
  auto* Nested = new TKeyProbe(Root.get());
  Nested->SetParent(Other);
  Focused->SetFocus();
  ASSERT_EQ(Root->GetFocused(), Focused);
  Root->Key(vkEscape);
  EXPECT_EQ(Focused->Dialog, 1);
  EXPECT_EQ(Focused->After, 0);
  for (TKeyProbe* P : {Other, Nested}) {
    EXPECT_EQ(P->Dialog, 1);
    EXPECT_EQ(P->After, 1);
  }
  // A key the focused control consumes goes no further.
  struct TEat : TObject {
    void Key(TObject*, uint16_t& Key, char32_t&, TShiftState) { Key = 0; }
  } Eat;
  Focused->OnKeyDown = TKeyEvent(&Eat, &TEat::Key);
  Root->Key(vkEscape);
  EXPECT_EQ(Other->Dialog, 2);
  EXPECT_EQ(Other->After, 1);
}

}  // namespace
