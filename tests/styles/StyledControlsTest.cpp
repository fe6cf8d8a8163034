// The game's controls with the built-in styles: the slider's fixed height whatever its slot,
// the thumb's place, the button's copy filling the button, visual states following triggers,
// and what the panel, the button and the slider paint.
#include <gtest/gtest.h>

#include <functional>

#include "shell/controls/Button.h"
#include "shell/controls/ImageList.h"
#include "shell/controls/Panel.h"
#include "shell/controls/TrackBar.h"
#include "shell/styles/Glyph.h"
#include "shell/styles/StyleObject.h"
#include "shell/styles/StyleTextObject.h"
#include "shell/stream/Stream.h"
#include "shell/styles/StyleStreaming.h"
#include "tests/styles/StyleTestSupport.h"

namespace {

void ExpectBounds(const TControl* C, TRectF R) {
  ASSERT_NE(C, nullptr);
  EXPECT_FLOAT_EQ(C->Position()->X(), R.Left) << C->StyleName();
  EXPECT_FLOAT_EQ(C->Position()->Y(), R.Top) << C->StyleName();
  EXPECT_FLOAT_EQ(C->Width(), R.Width()) << C->StyleName();
  EXPECT_FLOAT_EQ(C->Height(), R.Height()) << C->StyleName();
}

// The game's control panel: Panel1 at the bottom, Button1 on its left, TrackBar1 beside it.
struct GamePanel : StylesTest {
  TPaintRootPtr Root{new TPaintRoot(634, 480)};
  TPanel* Panel = nullptr;
  TButton* Button = nullptr;
  TTrackBar* Track = nullptr;

  void SetUp() override {
    StylesTest::SetUp();
    Panel = new TPanel(Root.get());
    Panel->SetParent(Root.get());
    Panel->SetAlign(TAlignLayout::Bottom);
    Panel->Size()->SetSize(TSizeF(634, 40));
    Track = new TTrackBar(Root.get());
    Track->SetParent(Panel);
    Track->SetAlign(TAlignLayout::Client);
    Track->SetMin(-180);
    Track->SetMax(180);
    Track->Size()->SetSize(TSizeF(554, 20));
    Button = new TButton(Root.get());
    Button->SetParent(Panel);
    Button->SetAlign(TAlignLayout::Left);
    Button->Size()->SetSize(TSizeF(80, 40));
    Button->SetText("Start");
    Root->Realign();
  }
  void TearDown() override {
    Root.reset();
    StylesTest::TearDown();
  }

  TButtonStyleObject* ButtonBackground() const {
    return dynamic_cast<TButtonStyleObject*>(Button->FindStyleResource("background"));
  }
  TButtonStyleTextObject* ButtonText() const {
    return dynamic_cast<TButtonStyleTextObject*>(Button->FindStyleResource("text"));
  }
};

TEST_F(GamePanel, TheSliderIs19HighAsSoonAsItIsPlacedBeforeAnyPaint) {
  // The style is taken when the slider is placed, so its fixed height holds in the first
  // layout already.
  EXPECT_EQ(Track->AdjustType(), TAdjustType::FixedHeight);
  ExpectBounds(Track, TRectF(80, 0, 634, 19));
  Root->Paint();
  ExpectBounds(Panel, TRectF(0, 440, 634, 480));
  ExpectBounds(Button, TRectF(0, 0, 80, 40));
  ExpectBounds(Track, TRectF(80, 0, 634, 19));
  EXPECT_EQ(Track->AdjustType(), TAdjustType::FixedHeight);
  // It keeps the height through every later layout.
  Root->SetClientSize(700, 300);
  ExpectBounds(Panel, TRectF(0, 260, 700, 300));
  ExpectBounds(Track, TRectF(80, 0, 700, 19));
}

TEST_F(GamePanel, TheFixedHeightHoldsInEverySlot) {
  struct TCase {
    TAlignLayout Align;
    float Top;  // where the 19 units go in the 40-unit slot
  };
  const TCase Cases[] = {{TAlignLayout::Client, 0}, {TAlignLayout::Top, 0},         {TAlignLayout::Bottom, 21},
                         {TAlignLayout::Right, 10}, {TAlignLayout::VertCenter, 10}, {TAlignLayout::Center, 10},
                         {TAlignLayout::Contents, 0}};
  Root->Paint();
  for (const TCase& C : Cases) {
    Track->SetAlign(C.Align);
    Panel->Realign();
    EXPECT_FLOAT_EQ(Track->Height(), 19) << static_cast<int>(C.Align);
    EXPECT_FLOAT_EQ(Track->Position()->Y(), C.Top) << static_cast<int>(C.Align);
  }
}

TEST_F(GamePanel, Windows7MakesTheSlider20High) {
  Behavior.Platform = TOSPlatform::Windows;
  WindowsStyle = "win7style";
  // The slider took the Linux style when it was placed; the active style is chosen anew and
  // the slider takes it.
  Track->NeedStyleLookup();
  TStyleManager::SetStyle(nullptr);
  Root->Paint();
  ExpectBounds(Track, TRectF(80, 0, 634, 20));
  EXPECT_FLOAT_EQ(Track->StyleThumbSize(), 9);
}

TEST_F(GamePanel, StyleDataSetOnAControlSurviveAStyleChange) {
  Root->Paint();
  // The panel's copy is a rectangle: the name without an object is its own property path.
  const TStyleDataValue Green = int64_t{0xFF00FF00};
  Panel->SetStyleData("Fill.Color", Green);
  Button->SetStyleData("background.Opacity", 0.5L);
  EXPECT_FLOAT_EQ(Button->FindStyleResource("background")->Opacity(), 0.5f);
  // A value the style objects take on meanwhile is what goes over to the next style.
  Button->FindStyleResource("BACKGROUND")->SetOpacity(0.25f);
  EXPECT_EQ(Button->StyleData("Background.opacity"), TStyleDataValue(0.25L));
  Root->Paint();
  EXPECT_EQ(Root->Pixel(300, 470), 0xFF00FF00u);

  Behavior.Platform = TOSPlatform::Windows;
  WindowsStyle = "win7style";
  TControl* OldPanelCopy = Panel->ResourceLink();
  Panel->NeedStyleLookup();
  Button->NeedStyleLookup();
  EXPECT_EQ(Panel->StyleData("fill.color"), Green) << "kept while no style is applied";
  Root->Paint();
  ASSERT_NE(Panel->ResourceLink(), OldPanelCopy);
  EXPECT_EQ(Panel->ResourceLink()->TagString(), "panelstyle");
  EXPECT_EQ(Root->Pixel(300, 470), 0xFF00FF00u) << "the new copy's fill";
  EXPECT_FLOAT_EQ(Button->FindStyleResource("background")->Opacity(), 0.25f);
}

TEST_F(GamePanel, StyleDataTheStyleCannotTakeAreRefusedOrKept) {
  Root->Paint();
  // A value of another kind than the property's is refused and not kept.
  try {
    Button->SetStyleData("background.Opacity", std::string("half"));
    ADD_FAILURE() << "no error";
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), "Invalid property value");
  }
  EXPECT_EQ(Button->StyleData("background.Opacity"), TStyleDataValue(1.0L));
  // A name the style has no object or property for is kept for a later style.
  Button->SetStyleData("icon.Opacity", 0.5L);
  EXPECT_EQ(Button->StyleData("icon.Opacity"), TStyleDataValue(0.5L));
  EXPECT_EQ(Button->StyleData("nothing.Opacity"), std::nullopt);
  Button->NeedStyleLookup();
  Root->Paint();
  EXPECT_EQ(Button->StyleData("icon.Opacity"), TStyleDataValue(0.5L));
}

TEST_F(GamePanel, TheButtonsImageShowsInItsGlyph) {
  auto* List = new TImageList(Root.get());
  TBitmap Red(16, 16);
  Red.Clear(0xFFFF0000);
  List->Bitmaps()->Add()->SetBitmap(&Red);
  Button->SetImages(List);
  Root->Paint();
  auto* Glyph = dynamic_cast<TGlyph*>(Button->GlyphObject());
  ASSERT_NE(Glyph, nullptr);
  EXPECT_FALSE(Glyph->Visible()) << "no image at index -1";
  ExpectBounds(ButtonText(), TRectF(1, 2, 79, 38));

  Button->SetImageIndex(0);
  EXPECT_TRUE(Glyph->Visible());
  EXPECT_EQ(Glyph->Images(), List);
  Root->Paint();
  // Left, with its margins (3, 2, 1, 2); the text beside it.
  ExpectBounds(Glyph, TRectF(3, 2, 19, 38));
  ExpectBounds(ButtonText(), TRectF(21, 2, 79, 38));
  // The 16 x 16 image fitted into the glyph's 16 x 36, centred; the button's own look above
  // and below it.
  EXPECT_EQ(Root->Pixel(4, 440 + 13), 0xFFFF0000u);
  EXPECT_EQ(Root->Pixel(18, 440 + 27), 0xFFFF0000u);
  EXPECT_NE(Root->Pixel(11, 440 + 5), 0xFFFF0000u);

  // An index beyond the list, then the list freed: the glyph hides and takes no space again.
  Button->SetImageIndex(1);
  EXPECT_FALSE(Glyph->Visible());
  Button->SetImageIndex(0);
  List->Free();
  EXPECT_EQ(Button->Images(), nullptr);
  EXPECT_EQ(Glyph->Images(), nullptr);
  EXPECT_FALSE(Glyph->Visible());
  Root->Paint();
  EXPECT_NE(Root->Pixel(4, 440 + 13), 0xFFFF0000u);
}

TEST_F(GamePanel, TheTintReachesTheButtonsBackground) {
  Root->Paint();
  const TAlphaColor Plain = Root->Pixel(40, 440 + 35);
  ASSERT_NE(Button->TintObject(), nullptr);
  EXPECT_EQ(Button->TintObject(), Button->FindStyleResource("background"));
  EXPECT_EQ(Button->IconTintObject(), nullptr) << "the built-in styles have no icon";
  Button->SetTintColor(0xFFFF0000);
  EXPECT_EQ(dynamic_cast<TButtonStyleObject*>(Button->TintObject())->TintColor(), 0xFFFF0000u);
  Root->Paint();
  // The artwork's grey, its green and blue taken away by the red tint.
  const TAlphaColor Tinted = Root->Pixel(40, 440 + 35);
  EXPECT_EQ(Tinted, Plain & 0xFFFF0000u);
  // Back to none: drawn as it is.
  Button->SetTintColor(0);
  Root->Paint();
  EXPECT_EQ(Root->Pixel(40, 440 + 35), Plain);
}

TEST_F(GamePanel, AStylesIconTakesTheIconTintAndFreeingTheStyleLetsGo) {
  const std::string Text =
      "object TLayout\n"
      "  object TLayout\n    StyleName = 'buttonstyle'\n"
      "    object TButtonStyleObject\n      StyleName = 'background'\n      Align = Contents\n    end\n"
      "    object TStyleObject\n      StyleName = 'icon'\n    end\n"
      "    object TGlyph\n      StyleName = 'glyphstyle'\n      Align = Left\n    end\n"
      "    object TButtonStyleTextObject\n      StyleName = 'text'\n      Align = Client\n    end\n"
      "  end\n"
      "end\n";
  TBytesStream S(std::vector<uint8_t>(Text.begin(), Text.end()));
  TStyleManager::SetStyle(TStyleStreaming::LoadFromStream(S));
  auto* List = new TImageList(Root.get());
  TBitmap Pixels(4, 4);
  Pixels.Clear(0xFF0000FF);
  List->Bitmaps()->Add()->SetBitmap(&Pixels);
  Button->SetImages(List);
  Button->SetImageIndex(0);
  Button->SetTintColor(0xFF00FF00);
  Button->SetIconTintColor(0xFF0000FF);
  Button->NeedStyleLookup();
  Root->Paint();
  ASSERT_NE(Button->IconTintObject(), nullptr);
  EXPECT_EQ(Button->IconTintObject(), Button->FindStyleResource("icon"));
  EXPECT_EQ(dynamic_cast<TStyleObject*>(Button->IconTintObject())->TintColor(), 0xFF0000FFu);
  EXPECT_EQ(dynamic_cast<TButtonStyleObject*>(Button->TintObject())->TintColor(), 0xFF00FF00u);
  // A change reaches the applied objects at once.
  Button->SetIconTintColor(0xFFFFFF00);
  EXPECT_EQ(dynamic_cast<TStyleObject*>(Button->IconTintObject())->TintColor(), 0xFFFFFF00u);
  auto* Glyph = dynamic_cast<TGlyph*>(Button->GlyphObject());
  ASSERT_NE(Glyph, nullptr);
  EXPECT_EQ(Glyph->Images(), List);

  Button->NeedStyleLookup();
  EXPECT_EQ(Button->GlyphObject(), nullptr);
  EXPECT_EQ(Button->TintObject(), nullptr);
  EXPECT_EQ(Button->IconTintObject(), nullptr);
  // The let-go copy keeps no hold on the button's image list.
  EXPECT_EQ(Glyph->Images(), nullptr);
  Root->Paint();
  EXPECT_TRUE(Button->GlyphObject()->Visible());
}

TEST_F(GamePanel, TheThumbTakesItsSizeAndPlaceFromTheStyle) {
  Root->Paint();
  EXPECT_FLOAT_EQ(Track->StyleThumbSize(), 8);
  EXPECT_FLOAT_EQ(Track->GetThumbSize(), 10);
  ASSERT_NE(Track->Thumb(), nullptr);
  EXPECT_EQ(Track->Thumb()->StyleName(), "hthumb");
  ExpectBounds(Track->Thumb(), TRectF(270, -2, 284, 21));
  EXPECT_TRUE(Track->Thumb()->Visible());
  EXPECT_FALSE(Track->FindStyleResource("vthumb")->Visible());
  EXPECT_EQ(Track->TrackObject(), Track->FindStyleResource("htrack"));
  ExpectBounds(Track->TrackObject(), TRectF(0, 4, 554, 15));
  // The thumb takes its own style, the button style object drawn centred.
  ASSERT_NE(Track->Thumb()->ResourceLink(), nullptr);
  EXPECT_EQ(Track->Thumb()->ResourceLink()->TagString(), "hthumbbarstyle");
  Track->SetValue(180);
  ExpectBounds(Track->Thumb(), TRectF(542, -2, 556, 21));
}

TEST_F(GamePanel, AVerticalSliderTakesTheVerticalPartsAndAFixedWidth) {
  Track->SetOrientation(TOrientation::Vertical);
  Track->SetAlign(TAlignLayout::None);
  Track->SetBounds(0, 0, 40, 200);
  Root->Paint();
  EXPECT_EQ(Track->AdjustType(), TAdjustType::FixedWidth);
  EXPECT_FLOAT_EQ(Track->Width(), 19);
  EXPECT_EQ(Track->Thumb(), Track->FindStyleResource("vthumb"));
  EXPECT_EQ(Track->TrackObject(), Track->FindStyleResource("vtrack"));
  EXPECT_FALSE(Track->FindStyleResource("hthumb")->Visible());
}

TEST_F(GamePanel, TheButtonsCopyFillsTheButton) {
  Root->Paint();
  TControl* Copy = Button->ResourceLink();
  ExpectBounds(Copy, TRectF(0, 0, 80, 40));
  ExpectBounds(ButtonBackground(), TRectF(0, 0, 80, 40));
  auto* Glyph = dynamic_cast<TGlyph*>(Button->FindStyleResource("glyphstyle"));
  ASSERT_NE(Glyph, nullptr);
  EXPECT_FALSE(Glyph->Visible());
  ExpectBounds(ButtonText(), TRectF(1, 2, 79, 38));
  EXPECT_EQ(ButtonText()->Text(), "Start");
  Button->SetText("Fire");
  EXPECT_EQ(ButtonText()->Text(), "Fire");
  // The accelerator's marker is not shown; "&&" shows one ampersand.
  Button->SetText("&Start");
  EXPECT_EQ(ButtonText()->Text(), "Start");
  Button->SetText("Fish && Chips");
  EXPECT_EQ(ButtonText()->Text(), "Fish & Chips");
  // The button's own size is what the layout gave it: its style has no fixed size.
  EXPECT_EQ(Button->AdjustType(), TAdjustType::None);
}

TEST_F(GamePanel, TheButtonsLooksFollowItsStates) {
  Root->Paint();
  ASSERT_NE(ButtonBackground(), nullptr);
  auto Expect = [&](TButtonStyleState S, const char* When) {
    EXPECT_EQ(ButtonBackground()->State(), S) << When;
    EXPECT_EQ(ButtonText()->State(), S) << When;
  };
  Expect(TButtonStyleState::Normal, "at first");
  Root->MouseMove(40, 460);
  Expect(TButtonStyleState::Hot, "under the mouse");
  Root->MouseDown(40, 460);
  Expect(TButtonStyleState::Pressed, "pressed");
  // Dragged out while pressed: the captured button still counts as under the mouse, but it
  // is no longer pressed.
  Root->Input().MouseMove(TShiftState{ssLeft}, 300, 200);
  EXPECT_FALSE(Button->IsPressed());
  EXPECT_TRUE(Button->IsMouseOver());
  Expect(TButtonStyleState::Hot, "dragged out");
  Root->Input().MouseMove(TShiftState{ssLeft}, 40, 460);
  Expect(TButtonStyleState::Pressed, "back in");
  Root->MouseUp(40, 460);
  Expect(TButtonStyleState::Hot, "released over it");
  EXPECT_TRUE(Button->IsFocused());
  Root->MouseMove(300, 200);
  Expect(TButtonStyleState::Focused, "focused, the mouse elsewhere");
  Button->ResetFocus();
  Expect(TButtonStyleState::Normal, "without the focus");
}

TEST_F(GamePanel, AFocusedButtonShowsItWhenItsStyleIsApplied) {
  Button->SetFocus();
  Root->Paint();
  EXPECT_EQ(ButtonBackground()->State(), TButtonStyleState::Focused);
}

TEST_F(GamePanel, TheThumbsLooksFollowTheThumb) {
  Root->Paint();
  TThumb* Thumb = Track->Thumb();
  ASSERT_NE(Thumb, nullptr);
  auto* Look = dynamic_cast<TButtonStyleObject*>(Thumb->ResourceLink());
  ASSERT_NE(Look, nullptr);
  const TPointF Centre = Thumb->LocalToAbsolute(TPointF(7, 11));
  Root->MouseMove(Centre.X, Centre.Y);
  EXPECT_EQ(Look->State(), TButtonStyleState::Hot);
  Root->MouseDown(Centre.X, Centre.Y);
  EXPECT_TRUE(Thumb->IsPressed());
  EXPECT_EQ(Look->State(), TButtonStyleState::Pressed);
  Root->MouseUp(Centre.X, Centre.Y);
  EXPECT_EQ(Look->State(), TButtonStyleState::Hot);
  // The slider's own states do not reach into the thumb's style.
  EXPECT_TRUE(Track->IsFocused());
  Root->MouseMove(600, 100);
  EXPECT_EQ(Look->State(), TButtonStyleState::Normal);
}

// A copy that the style cache hands out shows the states of the button it now serves, not
// the look the button it served before left it in.
TEST_F(GamePanel, AReusedButtonCopyShowsTheNewButtonsStates) {
  constexpr float OX = 240, OY = 120;  // the other button's centre
  struct TCase {
    const char* Name;
    std::function<void()> Old;  // the first button's state when its copy goes to the cache
    std::function<void(TButton*)> New;  // the state of the button that takes the copy
    TButtonStyleState Expected;
  } Cases[] = {
      {"hot copy, a button in no state", [&] { Root->MouseMove(40, 460); }, [](TButton*) {}, TButtonStyleState::Normal},
      {"pressed copy, a button in no state", [&] { Root->MouseDown(40, 460); }, [](TButton*) {},
       TButtonStyleState::Normal},
      {"hot copy, a focused button", [&] { Root->MouseMove(40, 460); }, [](TButton* B) { B->SetFocus(); },
       TButtonStyleState::Focused},
      {"focused copy, a button under the mouse",
       [&] {
         Button->SetFocus();
         Root->MouseMove(400, 100);
       },
       [&](TButton*) { Root->MouseMove(OX, OY); }, TButtonStyleState::Hot},
      // Pressed (and so focused) without the mouse over it: no look's condition holds, and the
      // look of a new copy stays.
      {"hot copy, a button pressed but not under the mouse", [&] { Root->MouseMove(40, 460); },
       [&](TButton*) { Root->MouseDown(OX, OY); }, TButtonStyleState::Normal},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    auto* Other = new TButton(Root.get());
    Other->SetParent(Root.get());
    Other->SetBounds(200, 100, 80, 40);
    Root->Paint();
    // The other button's own copy goes to the cache first, the first button's after it: the
    // next control of the style takes the first button's.
    Other->NeedStyleLookup();
    C.Old();
    TControl* Copy = Button->ResourceLink();
    Button->NeedStyleLookup();
    Root->MouseUp(400, 100);
    C.New(Other);
    Other->ApplyStyleLookup();
    ASSERT_EQ(Other->ResourceLink(), Copy);
    auto* Background = dynamic_cast<TButtonStyleObject*>(Other->FindStyleResource("background"));
    auto* Text = dynamic_cast<TButtonStyleTextObject*>(Other->FindStyleResource("text"));
    ASSERT_NE(Background, nullptr);
    ASSERT_NE(Text, nullptr);
    EXPECT_EQ(Background->State(), C.Expected);
    EXPECT_EQ(Text->State(), C.Expected);
    Root->MouseUp(400, 100);
    Root->MouseMove(400, 100);
    Root->Input().SetFocused(nullptr);
    Other->Free();
  }
}

// The parts inside a reused copy forget their own states too: the thumb of a slider that had
// the mouse over it does not show hot in the next slider.
TEST_F(GamePanel, AReusedSliderCopyForgetsItsThumbsStates) {
  Root->Paint();
  TThumb* Thumb = Track->Thumb();
  ASSERT_NE(Thumb, nullptr);
  const TPointF Centre = Thumb->LocalToAbsolute(TPointF(7, 11));
  Root->MouseMove(Centre.X, Centre.Y);
  ASSERT_TRUE(Thumb->IsMouseOver());
  TControl* Copy = Track->ResourceLink();
  Track->NeedStyleLookup();
  auto* Second = new TTrackBar(Root.get());
  Second->SetParent(Root.get());
  Second->SetBounds(0, 0, 300, 20);
  ASSERT_EQ(Second->ResourceLink(), Copy);
  ASSERT_EQ(Second->Thumb(), Thumb);
  EXPECT_FALSE(Thumb->IsMouseOver());
  auto* Look = dynamic_cast<TButtonStyleObject*>(Thumb->ResourceLink());
  ASSERT_NE(Look, nullptr);
  EXPECT_EQ(Look->State(), TButtonStyleState::Normal);
}

// The pixels of the panel, the button and the slider at scale 1, where every part of the
// artwork lands on whole pixels: exact colours.
TEST_F(GamePanel, PanelButtonAndSliderPaint) {
  Root->Paint();
  // The panel: its fill below the slider, its outline at the bottom edge.
  EXPECT_EQ(Root->Pixel(300, 470), 0xFFF0F0F0u);
  EXPECT_EQ(Root->Pixel(300, 479), 0xFFCCCCCCu);
  // The button: outline and face of the normal look, the caption dark in the middle.
  EXPECT_EQ(Root->Pixel(0, 460), 0xFFADADADu);
  EXPECT_EQ(Root->Pixel(79, 445), 0xFFADADADu);
  EXPECT_EQ(Root->Pixel(5, 445), 0xFFE1E1E1u);
  int Dark = 0;
  for (int Y = 450; Y < 470; ++Y)
    for (int X = 20; X < 60; ++X)
      if ((Root->Pixel(static_cast<float>(X), static_cast<float>(Y)) & 0xFF) < 0x80) ++Dark;
  EXPECT_GT(Dark, 20) << "the caption";
  // The slider: the groove across its track (rows 4 to 7 of the 11-unit track at y 4).
  EXPECT_EQ(Root->Pixel(150, 448), 0xFFD6D6D6u);
  EXPECT_EQ(Root->Pixel(150, 449), 0xFFE7EAEAu);
  EXPECT_EQ(Root->Pixel(150, 450), 0xFFD6D6D6u);
  EXPECT_EQ(Root->Pixel(150, 446), 0xFFF0F0F0u) << "transparent above the groove";
  // The thumb: 8 x 19 centred in the 14 x 23 thumb at (350, 438).
  EXPECT_EQ(Root->Pixel(357, 450), 0xFF007AD9u);
  EXPECT_EQ(Root->Pixel(353, 440), 0xFF007AD9u);
  EXPECT_EQ(Root->Pixel(352, 450), 0xFFD6D6D6u) << "left of the thumb, the groove";
  EXPECT_EQ(Root->Pixel(361, 450), 0xFFD6D6D6u) << "right of the thumb, the groove";
}

TEST_F(GamePanel, TheHotButtonPaintsItsHotLook) {
  Root->Paint();
  Root->MouseMove(40, 460);
  Root->Paint();
  EXPECT_EQ(Root->Pixel(0, 460), 0xFF0078D7u);
  EXPECT_EQ(Root->Pixel(5, 445), 0xFFE5F1FBu);
}

// At 200 % the 2.0 artwork is drawn pixel for pixel; at 150 % the 1.5 artwork, its parts on
// whole device pixels.
using ScaledPanel = StylesTest;

TEST_F(ScaledPanel, TheArtworkOfTheScaleIsUsed) {
  for (float Scale : {2.0f, 1.5f}) {
    TPaintRootPtr Root(new TPaintRoot(200, 100, Scale));
    auto* Button = new TButton(Root.get());
    Button->SetParent(Root.get());
    Button->SetBounds(10, 10, 80, 40);
    Root->Paint();
    const int S = static_cast<int>(Scale * 10);
    EXPECT_EQ(Root->Surface.Pixel(S, S + 40), 0xFFADADADu) << Scale;
    EXPECT_EQ(Root->Surface.Pixel(S + 10, S + 10), 0xFFE1E1E1u) << Scale;
    EXPECT_EQ(Root->Surface.Pixel(S - 1, S + 40), 0xFFFFFFFFu) << Scale;
  }
}

}  // namespace
