// Attaching and releasing a style copy: the copy becomes the first child and fills the
// control, its fixed size is taken, names are found ignoring case, and failures are kept.
#include <gtest/gtest.h>

#include "shell/controls/Panel.h"
#include "shell/controls/TrackBar.h"
#include "tests/controls/TestRoot.h"

namespace {

struct Styled : ::testing::Test {
  TRootPtr Root{new TTestRoot()};
  TTrackStyleScope Style;
  TTrackBar* Track = new TTrackBar(Root.get());
  void SetUp() override {
    Track->SetParent(Root.get());
    Track->SetBounds(0, 0, 554, 40);
  }
};

TEST_F(Styled, CopyBecomesTheFirstChildAndFillsTheControl) {
  auto* Other = new TControl(Root.get());
  Other->SetParent(Track);
  EXPECT_TRUE(Track->NeedsStyleLookup());
  Track->PrepareForPaint();
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
  Track->SetBounds(0, 0, 554, 40);
  EXPECT_FLOAT_EQ(Track->Height(), 40);
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
