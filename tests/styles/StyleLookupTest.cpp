// Finding a control's style: the lookup order (style book, active style, global pool; default
// and parent-class names), and the copies handed out (fresh from the item or cloned, marked
// with the name they were found under).
#include <gtest/gtest.h>

#include <memory>

#include "shell/controls/Button.h"
#include "shell/controls/Panel.h"
#include "shell/controls/TrackBar.h"
#include "shell/stream/ObjectText.h"
#include "shell/stream/Stream.h"
#include "shell/styles/Layout.h"
#include "shell/styles/Rectangle.h"
#include "shell/styles/StyleBook.h"
#include "shell/styles/StyleContainer.h"
#include "shell/styles/StyleObject.h"
#include "shell/styles/StyleStreaming.h"
#include "tests/styles/StyleTestSupport.h"

namespace {

// A root that publishes a style book, as a form would.
class TBookRoot : public TPaintRoot {
  KLV_CLASS(TBookRoot)
 public:
  TBookRoot() = default;
  TStyleBook* StyleBook() const { return FStyleBook; }
  void SetStyleBook(TStyleBook* Value) { FStyleBook = Value; }

 private:
  TStyleBook* FStyleBook = nullptr;
};

const TMetaClass& TBookRoot::StaticClass() {
  return ClassRecord<TBookRoot>("TBookRoot", &TTreeObject::StaticClass(), [](auto& B) {
    B.Property("StyleBook", &TBookRoot::StyleBook, &TBookRoot::SetStyleBook);
  });
}

// A panel class with no style of its own name: it finds its parent class's style.
class TFancyPanel : public TPanel {
  KLV_CLASS(TFancyPanel)
 public:
  using TPanel::TPanel;
};

const TMetaClass& TFancyPanel::StaticClass() {
  return ClassRecord<TFancyPanel>("TFancyPanel", &TPanel::StaticClass(), [](auto&) {});
}

TAlphaColor FillOf(TControl* C) {
  auto* R = dynamic_cast<TRectangle*>(C);
  return R ? R->Fill()->Color() : 0;
}

// A style of rectangles named Names, each filled with Color.
TStyleContainer* RectangleStyle(const std::vector<std::string>& Names, const std::string& Color) {
  std::string Text = "object TLayout\n";
  for (const std::string& N : Names) Text += "  object TRectangle\n    StyleName = '" + N + "'\n    Fill.Color = " + Color + "\n  end\n";
  Text += "end\n";
  TBytesStream S(std::vector<uint8_t>(Text.begin(), Text.end()));
  return TStyleStreaming::LoadFromStream(S);
}

struct Lookup : StylesTest {
  std::unique_ptr<TBookRoot, TComponentDeleter> Root{new TBookRoot()};

  template <typename T>
  T* Make() {
    auto* C = new T(Root.get());
    C->SetParent(Root.get());
    return C;
  }
};

TEST_F(Lookup, TheDefaultNameFindsTheClassStyleAsAFreshCopy) {
  auto* Track = Make<TTrackBar>();
  Track->ApplyStyleLookup();
  TControl* Copy = Track->ResourceLink();
  ASSERT_NE(Copy, nullptr);
  EXPECT_EQ(Copy->TagString(), "trackbarstyle");
  EXPECT_EQ(Copy->Owner(), Track);
  TStyleContainer* Style = TStyleManager::ActiveStyle(nullptr);
  TTreeObject* Item = Style->FindStyleResource("trackbarstyle");
  EXPECT_NE(Copy, Item);
  // Read afresh from the item: the same stored values, the StyleName included.
  EXPECT_EQ(Copy->StyleName(), "trackbarstyle");
  EXPECT_EQ(Copy->FixedHeight(), 19);
  // Another control gets a copy of its own.
  auto* Other = Make<TTrackBar>();
  Other->ApplyStyleLookup();
  EXPECT_NE(Other->ResourceLink(), Copy);
  // The style images of the copy find their artwork in the style.
  auto* HTrack = dynamic_cast<TStyleObject*>(Track->FindStyleResource("htrack"));
  ASSERT_NE(HTrack, nullptr);
  EXPECT_EQ(HTrack->StyleSource(), Style);
  EXPECT_NE(HTrack->FindSourceImage(), nullptr);
}

TEST_F(Lookup, AnExplicitLookupFindsObjectsNoClassIsNamedAfter) {
  auto* Panel = Make<TPanel>();
  Panel->SetStyleLookup("backgroundstyle");
  ASSERT_NE(Panel->ResourceLink(), nullptr);
  EXPECT_EQ(Panel->ResourceLink()->TagString(), "backgroundstyle");
  EXPECT_EQ(FillOf(Panel->ResourceLink()), 0xFFF0F0F0u);
  auto* R = dynamic_cast<TRectangle*>(Panel->ResourceLink());
  EXPECT_EQ(R->Stroke()->Kind(), TBrushKind::None);
}

TEST_F(Lookup, AnUnknownLookupFallsBackToTheClassNames) {
  auto* Panel = Make<TPanel>();
  Panel->SetStyleLookup("nosuchstyle");
  ASSERT_NE(Panel->ResourceLink(), nullptr);
  EXPECT_EQ(Panel->ResourceLink()->TagString(), "panelstyle");
}

TEST_F(Lookup, AClassWithoutAStyleTakesItsParentClasssStyle) {
  RegisterClass(TFancyPanel::StaticClass());
  auto* Panel = Make<TFancyPanel>();
  EXPECT_EQ(Panel->GetDefaultStyleLookupName(), "FancyPanelstyle");
  Panel->ApplyStyleLookup();
  ASSERT_NE(Panel->ResourceLink(), nullptr);
  EXPECT_EQ(Panel->ResourceLink()->TagString(), "panelstyle");
}

TEST_F(Lookup, ALookupOfTheControlsOwnStyleNameGivesNoStyle) {
  auto* Panel = Make<TPanel>();
  Panel->SetStyleName("panelstyle");
  Panel->SetStyleLookup("PANELSTYLE");
  EXPECT_EQ(Panel->ResourceLink(), nullptr);
  EXPECT_FALSE(Panel->NeedsStyleLookup());
}

TEST_F(Lookup, TheStyleBookComesFirst) {
  TStyleBook Book(nullptr);
  Book.SetStyle(RectangleStyle({"panelstyle", "special"}, "claRed"));
  Root->SetStyleBook(&Book);
  auto* Panel = Make<TPanel>();
  Panel->ApplyStyleLookup();
  EXPECT_EQ(FillOf(Panel->ResourceLink()), 0xFFFF0000u);
  // Objects of a book that is not a style file's container are cloned: no StyleName.
  EXPECT_EQ(Panel->ResourceLink()->StyleName(), "");
  EXPECT_EQ(Panel->ResourceLink()->TagString(), "panelstyle");
  // A name the book lacks is found in the active style.
  auto* Track = Make<TTrackBar>();
  Track->ApplyStyleLookup();
  EXPECT_EQ(Track->ResourceLink()->TagString(), "trackbarstyle");
  Root->SetStyleBook(nullptr);
}

TEST_F(Lookup, TheActiveStyleIsAskedOnlyWhenTheBookHasNoAnswer) {
  TStyleBook Book(nullptr);
  Book.SetStyle(RectangleStyle({"panelstyle"}, "claRed"));
  Root->SetStyleBook(&Book);
  TPlatformServices::Current().RemovePlatformService(IDeviceBehavior::ServiceName());
  auto* Panel = Make<TPanel>();
  Panel->ApplyStyleLookup();
  EXPECT_EQ(FillOf(Panel->ResourceLink()), 0xFFFF0000u);
  auto* Track = Make<TTrackBar>();
  try {
    Track->ApplyStyleLookup();
    FAIL() << "the slider's style is not in the book";
  } catch (const EUnsupportedPlatformService& E) {
    EXPECT_EQ(E.Message(), "Required IDeviceBehavior is not registered");
  }
  EXPECT_EQ(Track->ResourceLink(), nullptr);
  Root->SetStyleBook(nullptr);
}

TEST_F(Lookup, TheGlobalPoolServesOnlyExplicitLookupsAndOnlyAfterTheActiveStyle) {
  std::unique_ptr<TStyleContainer, TComponentDeleter> Pool(RectangleStyle({"pooled", "panelstyle"}, "claBlue"));
  TStyleManager::AddStyleResource(Pool.get());
  auto* Pooled = Make<TPanel>();
  Pooled->SetStyleLookup("pooled");
  EXPECT_EQ(FillOf(Pooled->ResourceLink()), 0xFF0000FFu);
  auto* Plain = Make<TPanel>();
  Plain->ApplyStyleLookup();
  EXPECT_EQ(FillOf(Plain->ResourceLink()), 0xFFF0F0F0u);
  auto* Explicit = Make<TPanel>();
  Explicit->SetStyleLookup("panelstyle");
  EXPECT_EQ(FillOf(Explicit->ResourceLink()), 0xFFF0F0F0u);
  TStyleManager::RemoveStyleResource(Pool.get());
}

TEST_F(Lookup, NestedObjectsAreClonedFromTheContainer) {
  TStyleContainer* Style = TStyleManager::ActiveStyle(nullptr);
  TTreeObject* Found = Style->FindStyleResource("buttonstyle.text");
  ASSERT_NE(Found, nullptr);
  std::unique_ptr<TControl, TComponentDeleter> Copy(Style->CreateCopy(*Found));
  ASSERT_NE(Copy, nullptr);
  EXPECT_EQ(Copy->ClassName(), "TButtonStyleTextObject");
  EXPECT_EQ(Copy->StyleName(), "");
  EXPECT_EQ(Copy->Margins()->Rect(), TRectF(1, 2, 1, 2));
}

TEST_F(Lookup, AControlMovedToAnotherRootTakesItsStyleAnew) {
  std::unique_ptr<TBookRoot, TComponentDeleter> Other{new TBookRoot()};
  auto* Holder = Make<TControl>();
  auto* Panel = new TPanel(Root.get());
  Panel->SetParent(Holder);
  Panel->ApplyStyleLookup();
  ASSERT_NE(Panel->ResourceLink(), nullptr);
  // Within the same root the copy stays.
  Panel->SetParent(Root.get());
  EXPECT_NE(Panel->ResourceLink(), nullptr);
  Panel->SetParent(Other.get());
  EXPECT_EQ(Panel->ResourceLink(), nullptr);
  EXPECT_TRUE(Panel->NeedsStyleLookup());
  Panel->ApplyStyleLookup();
  EXPECT_NE(Panel->ResourceLink(), nullptr);
  Panel->SetParent(nullptr);
  Panel->Free();
}

TEST_F(Lookup, ALayerOrAFormLooksUpItsBackgroundByNames) {
  std::unique_ptr<TControl, TComponentDeleter> Copy(
      LookupStyleCopy(nullptr, nullptr, {"Layer3Dstyle", "backgroundstyle", "CustomLayer3Dstyle"}));
  ASSERT_NE(Copy, nullptr);
  EXPECT_EQ(Copy->TagString(), "backgroundstyle");
  EXPECT_EQ(Copy->Align(), TAlignLayout::Contents);
  EXPECT_EQ(LookupStyleCopy(nullptr, nullptr, {"nothing", "none"}), nullptr);
}

}  // namespace
