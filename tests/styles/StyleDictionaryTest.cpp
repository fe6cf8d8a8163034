// The style dictionary: names without regard to case, nested objects under their own names and
// as "parent.child", later entries replacing earlier ones, styled controls kept closed.
#include <gtest/gtest.h>

#include <memory>

#include "shell/controls/StyleDictionary.h"
#include "shell/controls/StyledControl.h"
#include "shell/styles/StyleContainer.h"

namespace {

struct Dictionary : ::testing::Test {
  std::unique_ptr<TControl, TComponentDeleter> Root{new TControl(nullptr)};

  TControl* Add(TTreeObject* Parent, const std::string& StyleName) {
    auto* C = new TControl(Root.get());
    C->SetStyleName(StyleName);
    C->SetParent(Parent);
    return C;
  }
};

TEST_F(Dictionary, NamesIgnoreCaseAndNestedObjectsAlsoGoUnderParentDotChild) {
  Root->SetStyleName("trackbarstyle");
  TControl* Tag = Add(Root.get(), "ThumbSize");
  TControl* HTrack = Add(Root.get(), "htrack");
  TControl* Background = Add(HTrack, "background");
  TControl* Deep = Add(Background, "Inner");
  TStyleDictionary D;
  D.Build(*Root);
  EXPECT_EQ(D.Find("THUMBSIZE"), Tag);
  EXPECT_EQ(D.Find("thumbsize"), Tag);
  EXPECT_EQ(D.Find("htrack"), HTrack);
  EXPECT_EQ(D.Find("background"), Background);
  EXPECT_EQ(D.Find("HTrack.Background"), Background);
  EXPECT_EQ(D.Find("background.inner"), Deep);
  EXPECT_EQ(D.Find("inner"), Deep);
  // The root is not entered, nor are its children under its name.
  EXPECT_EQ(D.Find("trackbarstyle"), nullptr);
  EXPECT_EQ(D.Find("trackbarstyle.htrack"), nullptr);
  EXPECT_EQ(D.Find("htrack.inner"), nullptr);
  EXPECT_EQ(D.Find("nothing"), nullptr);
}

TEST_F(Dictionary, ALaterEntryReplacesAnEarlierOne) {
  TControl* First = Add(Root.get(), "first");
  TControl* Nested = Add(First, "text");
  TControl* Second = Add(Root.get(), "second");
  TControl* Later = Add(Second, "text");
  TStyleDictionary D;
  D.Build(*Root);
  EXPECT_EQ(D.Find("text"), Later);
  EXPECT_EQ(D.Find("first.text"), Nested);
  EXPECT_EQ(D.Find("second.text"), Later);
}

TEST_F(Dictionary, ObjectsWithoutNamesAreSearchedThroughButNotEntered) {
  TControl* Unnamed = Add(Root.get(), "");
  TControl* Inside = Add(Unnamed, "inside");
  TStyleDictionary D;
  D.Build(*Root);
  EXPECT_EQ(D.Find("inside"), Inside);
  EXPECT_EQ(D.Find(""), nullptr);
  EXPECT_EQ(D.Count(), 1u);
}

TEST_F(Dictionary, AStyledControlIsEnteredButItsOwnStyleIsNot) {
  auto* Thumb = new TStyledControl(Root.get());
  Thumb->SetStyleName("hthumb");
  Thumb->SetParent(Root.get());
  Add(Thumb, "thumbpart");
  TStyleDictionary D;
  D.Build(*Root);
  EXPECT_EQ(D.Find("hthumb"), Thumb);
  EXPECT_EQ(D.Find("thumbpart"), nullptr);
}

TEST_F(Dictionary, TheContainerRebuildsWhenItsItemsChange) {
  std::unique_ptr<TStyleContainer, TComponentDeleter> Container(new TStyleContainer(nullptr));
  auto* A = new TControl(nullptr);
  A->SetStyleName("a");
  Container->AddItem(A);
  EXPECT_EQ(Container->FindStyleResource("A"), A);
  auto* B = new TControl(nullptr);
  B->SetStyleName("b");
  Container->AddItem(B);
  EXPECT_EQ(Container->FindStyleResource("b"), B);
  EXPECT_EQ(B->Owner(), Container.get());
  B->Free();
  EXPECT_EQ(Container->FindStyleResource("b"), nullptr);
  // Items keep their stored sizes: a container lays nothing out.
  A->SetAlign(TAlignLayout::Contents);
  A->Size()->SetSize(TSizeF(20, 10));
  EXPECT_EQ(A->Size()->Size(), TSizeF(20, 10));
}

}  // namespace
