// Attaching and releasing a style copy: the copy becomes the first child and fills the
// control, its fixed size is taken, names are found ignoring case, and failures are kept.
#include <gtest/gtest.h>

#include "shell/controls/Panel.h"
#include "shell/controls/StyleCache.h"
#include "shell/controls/TrackBar.h"
#include "tests/controls/TestRoot.h"

namespace {

struct Styled : ::testing::Test {
  TRootPtr Root{new TTestRoot()};
  TTrackStyleScope Style;
  TTrackBar* Track = new TTrackBar(Root.get());
  void SetUp() override { Track->SetParent(Root.get()); }
};

TEST_F(Styled, CopyBecomesTheFirstChildAndFillsTheControl) {
  auto* Other = new TControl(Root.get());
  Other->SetParent(Track);
  EXPECT_TRUE(Track->NeedsStyleLookup());
  // Working out a new size takes the style first: the fixed height holds before any paint.
  Track->SetBounds(0, 0, 554, 40);
  TControl* Link = Track->ResourceLink();
  ASSERT_NE(Link, nullptr);
  EXPECT_EQ(Track->StyleState(), TStyleState::Applied);
  EXPECT_EQ(Track->Children(0), Link);
  EXPECT_EQ(Link->Align(), TAlignLayout::Contents);
  EXPECT_TRUE(Link->IsStyleResource());
  EXPECT_TRUE(Link->Locked());
  EXPECT_FALSE(Link->Stored());
  EXPECT_FLOAT_EQ(Track->Height(), 19);
  EXPECT_EQ(Link->BoundsRect(), TRectF(0, 0, 554, 19));
  EXPECT_EQ(Track->FindStyleResource("THUMBSIZE")->Tag(), 8);
  EXPECT_EQ(Track->FindStyleResource("HThumb"), Track->Thumb());
  EXPECT_EQ(Track->FindStyleResource("nothing"), nullptr);
  // Applied once: a second paint does not look again.
  Track->PrepareForPaint();
  EXPECT_EQ(Track->ResourceLink(), Link);
}

TEST_F(Styled, NeedStyleLookupReleasesTheCopyAndItsFixedSize) {
  Track->ApplyStyleLookup();
  ASSERT_NE(Track->Thumb(), nullptr);
  Track->NeedStyleLookup();
  EXPECT_EQ(Track->ResourceLink(), nullptr);
  EXPECT_EQ(Track->Thumb(), nullptr);
  EXPECT_FLOAT_EQ(Track->StyleThumbSize(), 0);
  EXPECT_EQ(Track->AdjustType(), TAdjustType::None);
  EXPECT_EQ(Track->ChildrenCount(), 0);
  // The next size worked out takes the style anew.
  Track->SetBounds(0, 0, 554, 40);
  EXPECT_FLOAT_EQ(Track->Height(), 19);
  EXPECT_NE(Track->ResourceLink(), nullptr);
}

TEST_F(Styled, NoStyleOutsideARootOrWhenTheLookupNamesItself) {
  auto* Loose = new TTrackBar(Root.get());
  Loose->ApplyStyleLookup();
  EXPECT_EQ(Loose->ResourceLink(), nullptr);
  EXPECT_TRUE(Loose->NeedsStyleLookup());
  Track->SetStyleName("mine");
  Track->SetStyleLookup("MINE");
  EXPECT_EQ(Track->ResourceLink(), nullptr);
  EXPECT_FALSE(Track->NeedsStyleLookup());
  // A new lookup outside loading applies at once.
  Track->SetStyleLookup("trackbarstyle");
  EXPECT_NE(Track->ResourceLink(), nullptr);
}

TEST_F(Styled, ControlWithoutAStyleKeepsItsSize) {
  auto* Panel = new TPanel(Root.get());
  Panel->SetParent(Root.get());
  Panel->PrepareForPaint();
  EXPECT_EQ(Panel->ResourceLink(), nullptr);
  EXPECT_FLOAT_EQ(Panel->Width(), 120);
  EXPECT_EQ(Panel->StyleState(), TStyleState::Unapplied);
}

TEST_F(Styled, ALetGoCopyServesTheNextControlOfTheSameStyle) {
  Track->ApplyStyleLookup();
  TControl* Link = Track->ResourceLink();
  ASSERT_NE(Link, nullptr);
  Track->Free();
  // The copy outlived its control, detached, in the cache.
  EXPECT_EQ(TStyleCache::Current().Count(), 1u);
  EXPECT_EQ(Link->Parent(), nullptr);
  EXPECT_EQ(Link->Owner(), nullptr);
  int Lookups = 0;
  TStyledControl::SetStyleLookupProc(nullptr);  // a new lookup empties the cache...
  EXPECT_EQ(TStyleCache::Current().Count(), 0u);
  TStyledControl::SetStyleLookupProc([&Lookups](TStyledControl& C) -> TControl* {
    if (!SameText(C.GetDefaultStyleLookupName(), "trackbarstyle")) return nullptr;
    ++Lookups;
    return MakeTrackBarStyle(&C, 19, 8);
  });
  auto* First = new TTrackBar(Root.get());
  First->SetParent(Root.get());
  First->SetBounds(0, 0, 300, 40);
  Link = First->ResourceLink();
  First->NeedStyleLookup();  // ...and a control that lets go fills it
  auto* Second = new TTrackBar(Root.get());
  Second->SetParent(Root.get());
  Second->SetBounds(0, 50, 200, 40);
  EXPECT_EQ(Lookups, 1);
  EXPECT_EQ(Second->ResourceLink(), Link);
  EXPECT_EQ(Link->Owner(), Second);
  EXPECT_EQ(Second->Children(0), Link);
  EXPECT_EQ(Link->BoundsRect(), TRectF(0, 0, 200, 19));
  EXPECT_FLOAT_EQ(Second->Height(), 19);
  EXPECT_EQ(Second->FindStyleResource("hthumb"), Second->Thumb());
  // A copy that goes with its form is not kept.
  Root.reset();
  EXPECT_EQ(TStyleCache::Current().Count(), 0u);
}

TEST_F(Styled, AKeptCopyServesOnlyTheStyleItWasMadeFrom) {
  // Two styles by the same names: the slider 19 high in one, 20 in the other.
  int Source = 0;
  TStyledControl::SetStyleLookupProc(
      [&Source](TStyledControl& C) -> TControl* {
        if (!SameText(C.GetDefaultStyleLookupName(), "trackbarstyle")) return nullptr;
        return MakeTrackBarStyle(&C, Source == 0 ? 19 : 20, 8);
      },
      [&Source](TStyledControl&) -> const TTreeObject* { return Source == 0 ? nullptr : reinterpret_cast<TTreeObject*>(&Source); });
  Track->SetBounds(0, 0, 300, 40);
  TControl* First = Track->ResourceLink();
  EXPECT_FLOAT_EQ(Track->Height(), 19);
  Track->NeedStyleLookup();
  ASSERT_EQ(TStyleCache::Current().Count(), 1u);
  // The other style is in use now: the kept copy stays where it is.
  Source = 1;
  Track->SetBounds(0, 0, 300, 40);
  EXPECT_NE(Track->ResourceLink(), First);
  EXPECT_FLOAT_EQ(Track->Height(), 20);
  EXPECT_EQ(TStyleCache::Current().Count(), 1u);
  // Back to the first style, the kept copy serves again.
  Track->NeedStyleLookup();
  Source = 0;
  Track->SetBounds(0, 0, 300, 40);
  EXPECT_EQ(Track->ResourceLink(), First);
  EXPECT_FLOAT_EQ(Track->Height(), 19);
}

TEST(StyledFailure, ExceptionWhileApplyingLeavesTheErrorState) {
  TRootPtr Root{new TTestRoot()};
  struct TFailing : TStyledControl {
    using TStyledControl::TStyledControl;
    void ApplyStyle() override { throw EInvalidOperation("style broke"); }
  };
  TStyledControl::SetStyleLookupProc([](TStyledControl& C) -> TControl* { return new TControl(&C); });
  auto* C = new TFailing(Root.get());
  C->SetParent(Root.get());
  EXPECT_THROW(C->ApplyStyleLookup(), EInvalidOperation);
  EXPECT_EQ(C->StyleState(), TStyleState::Error);
  EXPECT_FALSE(C->IsUpdating());
  TStyledControl::SetStyleLookupProc(nullptr);
}

}  // namespace
