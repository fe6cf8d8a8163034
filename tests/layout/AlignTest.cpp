// AlignObjects over plain alignable objects: pass order, ordering within a pass, margins and
// padding, the correction after a child refuses its size, fixed sizes, anchors and guards.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/core/Exceptions.h"
#include "shell/core/TreeObject.h"
#include "shell/layout/Align.h"
#include "shell/layout/ControlSize.h"

namespace {

// A minimal alignable child: it records what it is given and, like a control, takes a fixed
// size and never a negative one.
class TItem : public TTreeObject, public IAlignableObject {
 public:
  explicit TItem(TTreeObject* Parent, TAlignLayout A = TAlignLayout::None, TRectF B = TRectF(0, 0, 10, 10))
      : TTreeObject(Parent), Bounds(B) {
    SetParent(Parent);
    SetAlign(A);
  }

  TRectF Bounds;
  TAlignLayout Align = TAlignLayout::None;
  TAnchors Anchors = DefaultAnchors;
  TBounds Margins, Padding;
  bool Visible = true;
  TPointF Rules, Origin, OriginalParentSize;
  bool AnchorMove = false;
  TAdjustType Adjust = TAdjustType::None;
  TSizeF AdjustValue;
  TPointF Scale{1, 1};
  std::vector<std::string>* Log = nullptr;
  std::function<void()> OnPlaced;

  TAlignLayout GetAlign() const override { return Align; }
  void SetAlign(TAlignLayout V) override {
    Align = V;
    Anchors = AnchorAlign(V);
  }
  TAnchors GetAnchors() const override { return Anchors; }
  void SetAnchors(TAnchors V) override { Anchors = V; }
  TBounds* GetMargins() override { return &Margins; }
  void SetBounds(float X, float Y, float W, float H) override {
    W = std::max(0.f, W);
    H = std::max(0.f, H);
    if (Adjust == TAdjustType::FixedSize || Adjust == TAdjustType::FixedWidth) W = AdjustValue.Width;
    if (Adjust == TAdjustType::FixedSize || Adjust == TAdjustType::FixedHeight) H = AdjustValue.Height;
    Bounds = TRectF(X, Y, X + W, Y + H);
    if (Log) Log->push_back(Name());
    if (OnPlaced) OnPlaced();
  }
  TBounds* GetPadding() override { return &Padding; }
  float GetWidth() const override { return Bounds.Width(); }
  float GetHeight() const override { return Bounds.Height(); }
  float GetLeft() const override { return Bounds.Left; }
  float GetTop() const override { return Bounds.Top; }
  bool GetAllowAlign() const override {
    return Visible || (Align == TAlignLayout::None && (Anchors.Contains(akRight) || Anchors.Contains(akBottom)));
  }
  TPointF GetAnchorRules() const override { return Rules; }
  TPointF GetAnchorOrigin() const override { return Origin; }
  TPointF GetOriginalParentSize() const override { return OriginalParentSize; }
  bool GetAnchorMove() const override { return AnchorMove; }
  void SetAnchorMove(bool V) override { AnchorMove = V; }
  TAdjustType GetAdjustType() const override { return Adjust; }
  TSizeF GetAdjustSizeValue() const override { return AdjustValue; }
  TPointF GetAlignScale() const override { return Scale; }
};

struct Layout : ::testing::Test {
  std::unique_ptr<TTreeObject, TComponentDeleter> Parent{new TTreeObject(nullptr)};
  TBounds Padding;
  float LastW = 0, LastH = 0;
  bool Disable = false;

  TItem* Add(const char* Name, TAlignLayout A, TRectF B = TRectF(0, 0, 10, 10)) {
    auto* I = new TItem(Parent.get(), A, B);
    I->SetName(Name);
    return I;
  }
  void Run(float W, float H) { AlignObjects(Parent.get(), &Padding, W, H, LastW, LastH, Disable); }
};

void ExpectRect(const TItem* I, TRectF R) {
  EXPECT_FLOAT_EQ(I->Bounds.Left, R.Left) << I->Name();
  EXPECT_FLOAT_EQ(I->Bounds.Top, R.Top) << I->Name();
  EXPECT_FLOAT_EQ(I->Bounds.Right, R.Right) << I->Name();
  EXPECT_FLOAT_EQ(I->Bounds.Bottom, R.Bottom) << I->Name();
}

TEST(AnchorAlignTable, DefaultAnchorsPerAlignment) {
  using A = TAlignLayout;
  struct Case {
    A Align;
    TAnchors Anchors;
  };
  const Case Cases[] = {
      {A::None, {akLeft, akTop}},           {A::Top, {akLeft, akTop, akRight}},
      {A::MostTop, {akLeft, akTop, akRight}}, {A::Left, {akLeft, akTop, akBottom}},
      {A::MostLeft, {akLeft, akTop, akBottom}}, {A::Right, {akTop, akRight, akBottom}},
      {A::MostRight, {akTop, akRight, akBottom}}, {A::Bottom, {akLeft, akRight, akBottom}},
      {A::MostBottom, {akLeft, akRight, akBottom}}, {A::Client, AnchorAllSides},
      {A::Contents, AnchorAllSides},         {A::Scale, AnchorAllSides},
      {A::Fit, AnchorAllSides},              {A::FitLeft, AnchorAllSides},
      {A::FitRight, AnchorAllSides},         {A::Center, {}},
      {A::VertCenter, {akLeft, akRight}},    {A::Horizontal, {akLeft, akRight}},
      {A::HorzCenter, {akTop, akBottom}},    {A::Vertical, {akTop, akBottom}},
  };
  for (const Case& C : Cases) EXPECT_EQ(AnchorAlign(C.Align).Bits(), C.Anchors.Bits()) << static_cast<int>(C.Align);
}

TEST(AlignTypeInfo, NamesInDeclarationOrder) {
  const TTypeInfo& T = TypeInfos::AlignLayout();
  ASSERT_EQ(T.Names.size(), 20u);
  EXPECT_EQ(T.IndexOfName("client"), 9);
  EXPECT_EQ(T.IndexOfName("Bottom"), 4);
  EXPECT_EQ(T.IndexOfName("FitRight"), 19);
  EXPECT_EQ(TypeInfos::Anchors().IndexOfName("akBottom"), 3);
}

TEST_F(Layout, GameFormBottomThenClient) {
  // Added in stored order: the Client child first. The Bottom pass still runs first.
  TItem* Viewport = Add("Viewport", TAlignLayout::Client, TRectF(0, 0, 634, 440));
  TItem* Panel = Add("Panel", TAlignLayout::Bottom, TRectF(0, 440, 634, 480));
  Run(634, 480);
  ExpectRect(Panel, TRectF(0, 440, 634, 480));
  ExpectRect(Viewport, TRectF(0, 0, 634, 440));
  Run(300, 200);
  ExpectRect(Panel, TRectF(0, 160, 300, 200));
  ExpectRect(Viewport, TRectF(0, 0, 300, 160));
  EXPECT_FLOAT_EQ(LastW, 300);
  EXPECT_FLOAT_EQ(LastH, 200);
}

TEST_F(Layout, PassesRunInTheirFixedOrder) {
  std::vector<std::string> Log;
  using A = TAlignLayout;
  for (auto [Name, Align] : std::vector<std::pair<const char*, A>>{{"Client", A::Client},
                                                                   {"Top", A::Top},
                                                                   {"MostBottom", A::MostBottom},
                                                                   {"Right", A::Right},
                                                                   {"Center", A::Center},
                                                                   {"MostTop", A::MostTop},
                                                                   {"Left", A::Left}})
    Add(Name, Align)->Log = &Log;
  Run(200, 200);
  EXPECT_EQ(Log, (std::vector<std::string>{"MostTop", "MostBottom", "Top", "Left", "Right", "Client", "Center"}));
}

TEST_F(Layout, TopChildrenStackByTopThenChildOrder) {
  TItem* A = Add("A", TAlignLayout::Top, TRectF(0, 50, 10, 60));
  TItem* B = Add("B", TAlignLayout::Top, TRectF(0, 5, 10, 25));
  TItem* C = Add("C", TAlignLayout::Top, TRectF(0, 50, 10, 70));
  Run(100, 200);
  ExpectRect(B, TRectF(0, 0, 100, 20));
  ExpectRect(A, TRectF(0, 20, 100, 30));
  ExpectRect(C, TRectF(0, 30, 100, 50));
}

TEST_F(Layout, BottomChildrenWithEqualBottomsPutTheLaterOneLowest) {
  TItem* A = Add("A", TAlignLayout::Bottom, TRectF(0, 90, 10, 100));
  TItem* B = Add("B", TAlignLayout::Bottom, TRectF(0, 80, 10, 100));
  Run(100, 200);
  ExpectRect(B, TRectF(0, 180, 100, 200));
  ExpectRect(A, TRectF(0, 170, 100, 180));
}

TEST_F(Layout, RightChildrenDescendByRightEdge) {
  TItem* A = Add("A", TAlignLayout::Right, TRectF(10, 0, 20, 10));
  TItem* B = Add("B", TAlignLayout::Right, TRectF(50, 0, 55, 10));
  Run(100, 40);
  ExpectRect(B, TRectF(95, 0, 100, 40));
  ExpectRect(A, TRectF(85, 0, 95, 40));
}

TEST_F(Layout, MarginsAndPaddingShrinkTheSlots) {
  Padding.SetRect(TRectF(5, 6, 7, 8));
  TItem* Top = Add("Top", TAlignLayout::Top, TRectF(0, 0, 10, 20));
  Top->Margins.SetRect(TRectF(1, 2, 3, 4));
  TItem* Client = Add("Client", TAlignLayout::Client);
  Client->Margins.SetRect(TRectF(10, 10, 10, 10));
  Run(100, 100);
  // Slot of Top: padding box (5,6)-(93,92), 2+20+4 high.
  ExpectRect(Top, TRectF(6, 8, 90, 28));
  ExpectRect(Client, TRectF(15, 42, 83, 82));
}

TEST_F(Layout, ClientBesideFixedWidthLeftStartsAtItsActualEdge) {
  TItem* Left = Add("Left", TAlignLayout::Left, TRectF(0, 0, 80, 40));
  Left->Adjust = TAdjustType::FixedWidth;
  Left->AdjustValue = TSizeF(50, 0);
  TItem* Client = Add("Client", TAlignLayout::Client);
  Run(634, 40);
  ExpectRect(Left, TRectF(0, 0, 50, 40));
  ExpectRect(Client, TRectF(50, 0, 634, 40));
}

TEST_F(Layout, FixedHeightIsCentredForSideAlignmentsAndTopAlignedForClient) {
  TItem* Left = Add("Left", TAlignLayout::Left, TRectF(0, 0, 30, 10));
  Left->Adjust = TAdjustType::FixedHeight;
  Left->AdjustValue = TSizeF(0, 19);
  TItem* Client = Add("Client", TAlignLayout::Client);
  Client->Adjust = TAdjustType::FixedHeight;
  Client->AdjustValue = TSizeF(0, 19);
  TItem* Second = Add("Second", TAlignLayout::Client);
  Run(200, 40);
  // (40 - 19) / 2 = 10.5 rounds to the even 10.
  ExpectRect(Left, TRectF(0, 10, 30, 29));
  ExpectRect(Client, TRectF(30, 0, 200, 19));
  // A Client child consumes nothing, so its refusal does not widen the room of the next.
  ExpectRect(Second, TRectF(30, 0, 200, 40));
}

TEST_F(Layout, CenterTruncatesAndKeepsRWhenRefused) {
  TItem* Center = Add("Center", TAlignLayout::Center, TRectF(0, 0, 15, 15));
  Center->Adjust = TAdjustType::FixedSize;
  Center->AdjustValue = TSizeF(5, 5);
  TItem* Client = Add("Client", TAlignLayout::Client);
  Run(100, 50);
  ExpectRect(Client, TRectF(0, 0, 100, 50));
  // The 15 x 15 slot at (Trunc(42.5), Trunc(17.5)); the fixed 5 x 5 is centred in it.
  ExpectRect(Center, TRectF(47, 22, 52, 27));
}

TEST_F(Layout, ContentsIgnoresPaddingAndOtherChildren) {
  Padding.SetRect(TRectF(10, 10, 10, 10));
  Add("Top", TAlignLayout::Top, TRectF(0, 0, 10, 30));
  TItem* Contents = Add("Contents", TAlignLayout::Contents);
  Contents->Margins.SetRect(TRectF(1, 2, 3, 4));
  Run(100, 80);
  ExpectRect(Contents, TRectF(1, 2, 97, 76));
}

TEST_F(Layout, CentringAlongOneAxis) {
  TItem* H = Add("H", TAlignLayout::HorzCenter, TRectF(0, 0, 20, 5));
  TItem* V = Add("V", TAlignLayout::VertCenter, TRectF(0, 0, 5, 20));
  Run(101, 61);
  ExpectRect(H, TRectF(40, 0, 60, 61));
  ExpectRect(V, TRectF(0, 20, 101, 40));
}

TEST_F(Layout, FitScalesUniformlyAndCentres) {
  TItem* Fit = Add("Fit", TAlignLayout::Fit, TRectF(0, 0, 20, 10));
  Run(100, 100);
  ExpectRect(Fit, TRectF(0, 25, 100, 75));
  TItem* Left = Add("FitLeft", TAlignLayout::FitLeft, TRectF(0, 0, 10, 20));
  TItem* Client = Add("Client", TAlignLayout::Client);
  Run(100, 100);
  ExpectRect(Left, TRectF(0, 0, 50, 100));
  ExpectRect(Client, TRectF(50, 0, 100, 100));
}

TEST_F(Layout, ScaleFollowsTheParentsChangeOfSize) {
  TItem* S = Add("S", TAlignLayout::Scale, TRectF(10, 20, 30, 40));
  LastW = 100;
  LastH = 100;
  Run(200, 50);
  ExpectRect(S, TRectF(20, 10, 60, 20));
}

TEST_F(Layout, InvisibleClientTakesNoSpace) {
  TItem* Hidden = Add("Hidden", TAlignLayout::Client, TRectF(1, 2, 3, 4));
  Hidden->Visible = false;
  TItem* Client = Add("Client", TAlignLayout::Client);
  Run(100, 50);
  ExpectRect(Hidden, TRectF(1, 2, 3, 4));
  ExpectRect(Client, TRectF(0, 0, 100, 50));
}

TEST_F(Layout, AnchorRulesFollowTheParentsSize) {
  using A = TAlignLayout;
  // Right-anchored: keeps its distance to the right edge.
  TItem* R = Add("R", A::None, TRectF(70, 10, 90, 20));
  R->Anchors = {akTop, akRight};
  R->Rules = TPointF(70, 10);
  R->OriginalParentSize = TPointF(100, 100);
  // Left and right: stretches.
  TItem* LR = Add("LR", A::None, TRectF(10, 30, 90, 40));
  LR->Anchors = {akLeft, akTop, akRight};
  LR->Rules = TPointF(80, 30);
  LR->OriginalParentSize = TPointF(100, 100);
  // Neither: keeps its centre proportional.
  TItem* N = Add("N", A::None, TRectF(40, 60, 60, 70));
  N->Anchors = {akTop};
  N->Rules = TPointF(50, 65);
  N->OriginalParentSize = TPointF(100, 100);
  Run(200, 100);
  ExpectRect(R, TRectF(170, 10, 190, 20));
  ExpectRect(LR, TRectF(10, 30, 190, 40));
  ExpectRect(N, TRectF(90, 60, 110, 70));
  EXPECT_FALSE(R->AnchorMove);
}

TEST_F(Layout, AlignedChildWithOtherAnchorsIsAnchoredFirst) {
  TItem* Top = Add("Top", TAlignLayout::Top, TRectF(0, 0, 50, 10));
  Top->Anchors = {akLeft, akTop};  // not the Top default
  Run(100, 100);
  ExpectRect(Top, TRectF(0, 0, 100, 10));
}

TEST_F(Layout, GuardsLeaveEverythingInPlace) {
  TItem* Client = Add("Client", TAlignLayout::Client, TRectF(1, 1, 2, 2));
  Run(0.5f, 100);
  ExpectRect(Client, TRectF(1, 1, 2, 2));
  Disable = true;
  Run(100, 100);
  ExpectRect(Client, TRectF(1, 1, 2, 2));
  Disable = false;
  Parent->IncludeState(csLoading);
  Run(100, 90);
  ExpectRect(Client, TRectF(1, 1, 2, 2));
  EXPECT_FLOAT_EQ(LastW, 100);
  EXPECT_FLOAT_EQ(LastH, 90);
}

TEST_F(Layout, NestedRequestDuringLayoutIsBlocked) {
  TItem* A = Add("A", TAlignLayout::Top);
  Add("B", TAlignLayout::Top);
  int Reentered = 0;
  A->OnPlaced = [&] {
    ++Reentered;
    Run(100, 100);  // a child asking its parent to lay out again
  };
  Run(100, 100);
  EXPECT_EQ(Reentered, 1);
  EXPECT_FALSE(Disable);
}

TEST_F(Layout, ExceptionClearsTheBlockAndKeepsLastSize) {
  TItem* A = Add("A", TAlignLayout::Top);
  TItem* B = Add("B", TAlignLayout::Top, TRectF(0, 50, 10, 60));
  B->OnPlaced = [] { throw EInvalidOperation("boom"); };
  LastW = 7;
  LastH = 8;
  EXPECT_THROW(Run(100, 100), EInvalidOperation);
  EXPECT_FALSE(Disable);
  EXPECT_FLOAT_EQ(LastW, 7);
  ExpectRect(A, TRectF(0, 0, 100, 10));
}

TEST_F(Layout, LoadingChildrenAreSkippedOnlyInTheNonePass) {
  TItem* Loading = Add("Loading", TAlignLayout::Client);
  Loading->IncludeState(csLoading);
  TItem* Anchored = Add("Anchored", TAlignLayout::None, TRectF(80, 0, 90, 10));
  Anchored->IncludeState(csLoading);
  Anchored->Anchors = {akTop, akRight};
  Anchored->Rules = TPointF(80, 0);
  Anchored->OriginalParentSize = TPointF(100, 100);
  Run(200, 100);
  ExpectRect(Loading, TRectF(0, 0, 200, 100));
  ExpectRect(Anchored, TRectF(80, 0, 90, 10));
}

TEST_F(Layout, ChildrenNeedAlignOnlyWhenOneIsAlignedOrAnchoredOtherwise) {
  EXPECT_FALSE(ChildrenNeedAlign(*Parent)) << "no children";
  (new TTreeObject(Parent.get()))->SetParent(Parent.get());  // not alignable
  auto* A = new TItem(Parent.get());
  auto* B = new TItem(Parent.get());
  EXPECT_FALSE(ChildrenNeedAlign(*Parent));
  B->SetAnchors(TAnchors{akLeft, akTop, akRight});
  EXPECT_TRUE(ChildrenNeedAlign(*Parent));
  B->SetAnchors(DefaultAnchors);
  A->SetAlign(TAlignLayout::Bottom);
  EXPECT_TRUE(ChildrenNeedAlign(*Parent));
}

TEST(ControlSize, PlatformDefaultRules) {
  TControlSize S(TSizeF(50, 50));
  int Changes = 0;
  struct TCounter : TObject {
    int* N;
    void Hit(TObject*) { ++*N; }
  } Counter;
  Counter.N = &Changes;
  S.OnChange = TNotifyEvent(&Counter, &TCounter::Hit);
  EXPECT_TRUE(S.PlatformDefault());
  // Height to the same value keeps the default; width always leaves it.
  S.SetHeight(50.0005f);
  EXPECT_TRUE(S.PlatformDefault());
  EXPECT_EQ(Changes, 0);
  S.SetWidth(50);
  EXPECT_FALSE(S.PlatformDefault());
  EXPECT_EQ(Changes, 1);
  S.SetPlatformDefault(true);
  S.SetSize(TSizeF(50, 50));
  EXPECT_TRUE(S.PlatformDefault());
  S.SetSize(TSizeF(50, 60));
  EXPECT_FALSE(S.PlatformDefault());
  EXPECT_FLOAT_EQ(S.Height(), 60);
  // Sizes never go negative; the default shows again when PlatformDefault returns.
  S.SetWidth(-5);
  EXPECT_FLOAT_EQ(S.Width(), 0);
  S.SetDefaultValue(TSizeF(120, 120));
  EXPECT_FLOAT_EQ(S.Width(), 0);
  S.SetPlatformDefault(true);
  EXPECT_FLOAT_EQ(S.Width(), 120);
  EXPECT_FLOAT_EQ(S.OldSize().Width, 0);
}

TEST(ControlSize, StoredOnlyWithoutPlatformDefault) {
  TControlSize S;
  const TMetaClass& C = TControlSize::StaticClass();
  EXPECT_FALSE(C.FindProperty("Width")->ShouldStore(&S));
  EXPECT_FALSE(C.FindProperty("PlatformDefault")->ShouldStore(&S));
  S.SetWidth(50);
  EXPECT_TRUE(C.FindProperty("Width")->ShouldStore(&S));
  EXPECT_TRUE(C.FindProperty("Height")->ShouldStore(&S));
  EXPECT_TRUE(C.FindProperty("PlatformDefault")->ShouldStore(&S));
}

TEST(Bounds, ChangeNotificationAndPaddingRect) {
  TBounds B;
  int Changes = 0;
  struct TCounter : TObject {
    int* N;
    void Hit(TObject*) { ++*N; }
  } Counter;
  Counter.N = &Changes;
  B.OnChange = TNotifyEvent(&Counter, &TCounter::Hit);
  B.SetLeft(0);
  EXPECT_EQ(Changes, 0);
  B.SetLeft(1);
  B.SetRect(TRectF(1, 2, 3, 4));
  B.SetRect(TRectF(1, 2, 3, 4));
  EXPECT_EQ(Changes, 2);
  TRectF R = B.PaddingRect(TRectF(0, 0, 100, 50));
  EXPECT_EQ(R, TRectF(1, 2, 97, 46));
  EXPECT_TRUE(TBounds::StaticClass().FindProperty("Bottom")->ShouldStore(&B));
  TBounds Fresh;
  EXPECT_FALSE(TBounds::StaticClass().FindProperty("Bottom")->ShouldStore(&Fresh));
}

}  // namespace
