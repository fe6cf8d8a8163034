#include <gtest/gtest.h>

#include "shell/canvas/Bitmap.h"
#include "shell/canvas/Brush.h"
#include "shell/core/MetaClass.h"

namespace {

struct TCounter : TObject {
  int Count = 0;
  void Hit(TObject*) { ++Count; }
};

TEST(Brush, StartsWithTheDefaultsItsOwnerGives) {
  TBrush Sea(TBrushKind::None, 0xFFFFFFFF);
  EXPECT_EQ(Sea.Kind(), TBrushKind::None);
  EXPECT_EQ(Sea.Color(), 0xFFFFFFFFu);
  EXPECT_EQ(Sea.DefaultKind(), TBrushKind::None);
  EXPECT_EQ(Sea.DefaultColor(), 0xFFFFFFFFu);
  TBrush Solid(TBrushKind::Solid, 0xFF000000);
  EXPECT_EQ(Solid.Kind(), TBrushKind::Solid);
  EXPECT_EQ(Solid.Color(), 0xFF000000u);
}

TEST(Brush, OnlyRealChangesFire) {
  TBrush Br(TBrushKind::None, 0xFFFFFFFF);
  TCounter C;
  Br.OnChanged = TNotifyEvent(&C, &TCounter::Hit);
  Br.SetKind(TBrushKind::None);
  Br.SetColor(0xFFFFFFFF);
  EXPECT_EQ(C.Count, 0);
  Br.SetKind(TBrushKind::Solid);
  Br.SetColor(0xFF00FF00);
  EXPECT_EQ(C.Count, 2);
  Br.Gradient()->Points()->Points(1)->SetOffset(0.5f);  // the gradient is part of the brush
  EXPECT_EQ(C.Count, 3);
  Br.Bitmap()->SetWrapMode(TWrapMode::TileStretch);
  EXPECT_EQ(C.Count, 4);
  Br.Resource()->SetStyleLookup("x");
  EXPECT_EQ(C.Count, 5);
}

TEST(Brush, ColorOnAGradientBrushSetsTheFirstPointThroughTheGradient) {
  TBrush Br(TBrushKind::None, 0xFFFFFFFF);
  Br.SetKind(TBrushKind::Gradient);
  TCounter BrushEvents, GradientEvents;
  Br.OnChanged = TNotifyEvent(&BrushEvents, &TCounter::Hit);
  // Listen to the gradient without unhooking the brush: wrap the brush's own handler.
  struct TChain : TObject {
    TNotifyEvent Next;
    TCounter* Counter = nullptr;
    void Hit(TObject* S) {
      ++Counter->Count;
      Next(S);
    }
  } Chain;
  Chain.Next = Br.Gradient()->OnChanged;
  Chain.Counter = &GradientEvents;
  Br.Gradient()->OnChanged = TNotifyEvent(&Chain, &TChain::Hit);

  Br.SetColor(0xFFFF0000);
  EXPECT_EQ(Br.Gradient()->Points()->Points(0)->Color(), 0xFFFF0000u);
  EXPECT_EQ(Br.Color(), 0xFFFFFFFFu) << "the brush's own colour stays";
  EXPECT_EQ(GradientEvents.Count, 1);
  EXPECT_EQ(BrushEvents.Count, 1) << "only as a change of the gradient";
  Br.SetColor(0xFFFF0000);  // the first point has it already
  EXPECT_EQ(GradientEvents.Count, 1);
  EXPECT_EQ(BrushEvents.Count, 1);
}

TEST(Brush, AssignCopiesAllPartsWithOneEvent) {
  TBrush Src(TBrushKind::Solid, 0xFF000000);
  Src.SetKind(TBrushKind::Gradient);
  Src.Gradient()->SetColor1(0xFF0000FF);
  Src.Bitmap()->SetWrapMode(TWrapMode::TileOriginal);
  TBitmap Image(2, 2);
  Image.Clear(0xFF00FF00);
  Src.Bitmap()->SetBitmap(&Image);
  Src.Resource()->SetStyleLookup("brushstyle");

  TBrush Dst(TBrushKind::None, 0xFFFFFFFF);
  TCounter C;
  Dst.OnChanged = TNotifyEvent(&C, &TCounter::Hit);
  Dst.Assign(&Src);
  EXPECT_EQ(C.Count, 1);
  EXPECT_EQ(Dst.Kind(), TBrushKind::Gradient);
  EXPECT_EQ(Dst.Color(), 0xFF000000u);
  EXPECT_TRUE(Dst.Gradient()->Equal(*Src.Gradient()));
  EXPECT_EQ(Dst.Bitmap()->WrapMode(), TWrapMode::TileOriginal);
  EXPECT_TRUE(Dst.Bitmap()->Bitmap()->EqualsBitmap(Image));
  EXPECT_EQ(Dst.Resource()->StyleLookup(), "brushstyle");
  EXPECT_EQ(Dst.DefaultKind(), TBrushKind::None) << "defaults belong to the owner";
  Dst.Assign(&Src);
  EXPECT_EQ(C.Count, 1) << "nothing differed";
}

TEST(StrokeBrush, DefaultsAndDashPatterns) {
  TStrokeBrush S(TBrushKind::Solid, 0xFF000000);
  EXPECT_EQ(S.Thickness(), 1.0f);
  EXPECT_EQ(S.Cap(), TStrokeCap::Flat);
  EXPECT_EQ(S.Join(), TStrokeJoin::Miter);
  EXPECT_EQ(S.Dash(), TStrokeDash::Solid);
  EXPECT_TRUE(S.DashArray().empty());
  TCounter C;
  S.OnChanged = TNotifyEvent(&C, &TCounter::Hit);
  S.SetDash(TStrokeDash::DashDot);
  EXPECT_EQ(S.DashArray(), (std::vector<float>{3, 1, 1, 1}));
  S.SetThickness(1);
  EXPECT_EQ(C.Count, 1);
  TStrokeBrush Copy(TBrushKind::Solid, 0xFF000000);
  S.SetThickness(2.5f);
  Copy.Assign(&S);
  EXPECT_EQ(Copy.Thickness(), 2.5f);
  EXPECT_EQ(Copy.Dash(), TStrokeDash::DashDot);
}

// The class table: what a stored form needs to set "Fill.Kind", "Fill.Color" and
// "Fill.Gradient.Points" with colours and offsets.
TEST(BrushClassTable, KindIsAnEnumerationSetThroughItsPropInfo) {
  const TPropInfo* Kind = TBrush::StaticClass().FindProperty("kind");
  ASSERT_NE(Kind, nullptr);
  ASSERT_EQ(Kind->Kind(), TTypeKind::Enumeration);
  EXPECT_EQ(Kind->Type->Names, (std::vector<std::string>{"None", "Solid", "Gradient", "Bitmap", "Resource"}));

  TBrush Fill(TBrushKind::None, 0xFFFFFFFF);
  TCounter C;
  Fill.OnChanged = TNotifyEvent(&C, &TCounter::Hit);
  EXPECT_FALSE(Kind->ShouldStore(&Fill)) << "the owner's default is not stored";
  Kind->SetOrd(&Fill, Kind->Type->IndexOfName("Gradient"));
  EXPECT_EQ(Fill.Kind(), TBrushKind::Gradient);
  EXPECT_EQ(C.Count, 1);
  EXPECT_EQ(Kind->GetOrd(&Fill), 2);
  EXPECT_TRUE(Kind->ShouldStore(&Fill));

  // A brush whose default kind is Solid stores None but not Solid.
  TBrush Other(TBrushKind::Solid, 0xFF000000);
  EXPECT_FALSE(Kind->ShouldStore(&Other));
  Kind->SetOrd(&Other, 0);
  EXPECT_TRUE(Kind->ShouldStore(&Other));
}

TEST(BrushClassTable, KindComesBeforeTheGradientAsInAStoredForm) {
  // "Fill.Kind" precedes "Fill.Gradient.Points" in the stored description; a writer follows
  // the registration order.
  const auto Props = TBrush::StaticClass().AllProperties();
  auto IndexOf = [&](const char* Name) {
    for (size_t I = 0; I < Props.size(); ++I)
      if (Props[I]->Name == Name) return static_cast<int>(I);
    return -1;
  };
  ASSERT_GE(IndexOf("Kind"), 0);
  EXPECT_LT(IndexOf("Kind"), IndexOf("Gradient"));
}

TEST(BrushClassTable, ColorAndTheGradientPath) {
  TBrush Fill(TBrushKind::None, 0xFFFFFFFF);
  const TMetaClass& BrushClass = Fill.ClassType();
  const TPropInfo* Color = BrushClass.FindProperty("Color");
  ASSERT_NE(Color, nullptr);
  EXPECT_EQ(Color->Type, &TypeInfos::AlphaColor());
  EXPECT_FALSE(Color->ShouldStore(&Fill));
  Color->SetOrd(&Fill, 0xFFF0F0F0);
  EXPECT_EQ(Fill.Color(), 0xFFF0F0F0u);
  EXPECT_TRUE(Color->ShouldStore(&Fill));

  const TPropInfo* Gradient = BrushClass.FindProperty("Gradient");
  ASSERT_NE(Gradient, nullptr);
  ASSERT_EQ(Gradient->Kind(), TTypeKind::Class);
  EXPECT_FALSE(Gradient->ShouldStore(&Fill)) << "stored only with kind Gradient";
  Fill.SetKind(TBrushKind::Gradient);
  EXPECT_TRUE(Gradient->ShouldStore(&Fill));
  auto* G = dynamic_cast<TGradient*>(Gradient->GetObj(&Fill));
  ASSERT_EQ(G, Fill.Gradient());

  const TPropInfo* Points = G->ClassType().FindProperty("Points");
  ASSERT_NE(Points, nullptr);
  auto* Collection = dynamic_cast<TCollection*>(Points->GetObj(G));
  ASSERT_NE(Collection, nullptr);
  EXPECT_EQ(&Collection->ItemClass(), &TGradientPoint::StaticClass());
  // What a stream reader does with a stored collection of two items.
  Collection->BeginUpdate();
  Collection->Clear();
  TCollectionItem* P0 = Collection->Add();
  TCollectionItem* P1 = Collection->Add();
  const TPropInfo* PColor = Collection->ItemClass().FindProperty("Color");
  const TPropInfo* POffset = Collection->ItemClass().FindProperty("Offset");
  ASSERT_NE(PColor, nullptr);
  ASSERT_NE(POffset, nullptr);
  EXPECT_EQ(PColor->Type, &TypeInfos::AlphaColor());
  PColor->SetOrd(P0, 0xFF000000);
  POffset->SetFloat(P0, 0);
  PColor->SetOrd(P1, 0xFFFFFFFF);
  POffset->SetFloat(P1, 1);
  Collection->EndUpdate();
  EXPECT_EQ(G->Color(), 0xFF000000u);
  EXPECT_EQ(G->Color1(), 0xFFFFFFFFu);
  EXPECT_EQ(G->Points()->Points(1)->Offset(), 1.0f);

  const TPropInfo* Style = G->ClassType().FindProperty("Style");
  ASSERT_NE(Style, nullptr);
  EXPECT_EQ(Style->Type->Names, (std::vector<std::string>{"Linear", "Radial"}));
  EXPECT_FALSE(Style->ShouldStore(G));
  Style->SetOrd(G, 1);
  EXPECT_EQ(G->Style(), TGradientStyle::Radial);

  for (const char* Name : {"StartPosition", "StopPosition"}) {
    const TPropInfo* Pos = G->ClassType().FindProperty(Name);
    ASSERT_NE(Pos, nullptr) << Name;
    TObject* Holder = Pos->GetObj(G);
    const TPropInfo* X = Holder->ClassType().FindProperty("X");
    const TPropInfo* Y = Holder->ClassType().FindProperty("Y");
    ASSERT_NE(X, nullptr);
    ASSERT_NE(Y, nullptr);
    EXPECT_FALSE(X->ShouldStore(Holder));
    EXPECT_FALSE(Y->ShouldStore(Holder)) << Name << ": the default point is not stored";
    X->SetFloat(Holder, 0.5L);
    EXPECT_TRUE(X->ShouldStore(Holder));
  }
  EXPECT_EQ(G->StartPosition()->X(), 0.5f);
  EXPECT_EQ(G->StopPosition()->Point(), TPointF(0.5f, 1));
}

TEST(BrushClassTable, StrokeBrushPublishesItsOutlineProperties) {
  TStrokeBrush Stroke(TBrushKind::Solid, 0xFF000000);
  const TMetaClass& Class = Stroke.ClassType();
  EXPECT_TRUE(Class.InheritsFrom(TBrush::StaticClass()));
  const TPropInfo* Kind = Class.FindProperty("Kind");
  ASSERT_NE(Kind, nullptr);
  Kind->SetOrd(&Stroke, Kind->Type->IndexOfName("None"));
  EXPECT_EQ(Stroke.Kind(), TBrushKind::None);
  const TPropInfo* Thickness = Class.FindProperty("Thickness");
  ASSERT_NE(Thickness, nullptr);
  EXPECT_FALSE(Thickness->ShouldStore(&Stroke));
  Thickness->SetFloat(&Stroke, 2);
  EXPECT_EQ(Stroke.Thickness(), 2.0f);
  for (const char* Name : {"Cap", "Join", "Dash"}) {
    const TPropInfo* P = Class.FindProperty(Name);
    ASSERT_NE(P, nullptr) << Name;
    EXPECT_EQ(P->Kind(), TTypeKind::Enumeration) << Name;
    EXPECT_FALSE(P->ShouldStore(&Stroke)) << Name;
  }
}

}  // namespace
