// The class table: lookups ignore case and search ancestors, and every assignment goes
// through the class's own setter.
#include <gtest/gtest.h>

#include "shell/core/AlphaColor.h"
#include "shell/core/Component.h"
#include "shell/core/Exceptions.h"
#include "shell/core/MetaClass.h"

namespace {

enum class TShade { Light, Dark };
const TTypeInfo& ShadeType() {
  static const TTypeInfo T = MakeNamedType("TShade", TTypeKind::Enumeration, {"Light", "Dark"});
  return T;
}

class TBase : public TComponent {
  KLV_CLASS(TBase)
 public:
  using TComponent::TComponent;
  int SetterCalls = 0;
  float Size() const { return FSize; }
  void SetSize(float V) {
    ++SetterCalls;
    FSize = V;
  }
  TNotifyEvent OnPing;

 private:
  float FSize = 1;
};

class TDerived : public TBase {
  KLV_CLASS(TDerived)
 public:
  using TBase::TBase;
  TShade Shade() const { return FShade; }
  void SetShade(TShade V) { FShade = V; }
  TAlphaColor Color() const { return FColor; }
  void SetColor(TAlphaColor V) { FColor = V; }
  TBase* Link() const { return FLink; }
  void SetLink(TBase* V) { FLink = V; }
  TBase* Field = nullptr;
  void Handler(TObject*) {}

 private:
  TShade FShade = TShade::Light;
  TAlphaColor FColor = TAlphaColors::White;
  TBase* FLink = nullptr;
};

const TMetaClass& TBase::StaticClass() {
  return ClassRecord<TBase>("TBase", &TComponent::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("Size", &TBase::Size, &TBase::SetSize).Default(1.0f);
    B.Property("OnPing", [](TBase& O) { return O.OnPing; }, [](TBase& O, TNotifyEvent E) { O.OnPing = E; });
  });
}

const TMetaClass& TDerived::StaticClass() {
  return ClassRecord<TDerived>("TDerived", &TBase::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("Shade", &TDerived::Shade, &TDerived::SetShade, &ShadeType()).Default(TShade::Light);
    B.Property("Color", &TDerived::Color, &TDerived::SetColor, &TypeInfos::AlphaColor());
    B.Property("Link", &TDerived::Link, &TDerived::SetLink);
    B.Field("Field", &TDerived::Field);
    B.Method("Handler", &TDerived::Handler);
  });
}

TEST(MetaClass, LookupsIgnoreCaseAndSearchAncestors) {
  const TMetaClass& C = TDerived::StaticClass();
  EXPECT_EQ(C.FindProperty("SIZE"), TBase::StaticClass().FindProperty("Size"));
  EXPECT_NE(C.FindProperty("shade"), nullptr);
  EXPECT_NE(C.FindProperty("name"), nullptr);  // TComponent's
  EXPECT_EQ(C.FindProperty("Missing"), nullptr);
  EXPECT_EQ(TBase::StaticClass().FindProperty("Shade"), nullptr);
  EXPECT_NE(C.FindField("FIELD"), nullptr);
  EXPECT_NE(C.FindMethod("handler"), nullptr);
  EXPECT_TRUE(C.InheritsFrom(TComponent::StaticClass()));
  EXPECT_FALSE(TBase::StaticClass().InheritsFrom(C));
  // Ancestors' properties come first.
  const auto All = C.AllProperties();
  ASSERT_GE(All.size(), 5u);
  EXPECT_EQ(All.front()->Name, "Name");
  EXPECT_EQ(All.back()->Name, "Link");
}

TEST(MetaClass, RegisteredClassesAreFoundByNameIgnoringCase) {
  RegisterClass(TDerived::StaticClass());
  EXPECT_EQ(GetClass("tderived"), &TDerived::StaticClass());
  EXPECT_EQ(GetClass("TNothing"), nullptr);
  TComponent* Made = GetClass("TDERIVED")->Create(nullptr);
  EXPECT_EQ(Made->ClassName(), "TDerived");
  Made->Free();
}

TEST(MetaClass, AssignmentsGoThroughTheSetters) {
  TComponent* Owner = new TComponent(nullptr);
  auto* D = new TDerived(Owner);
  const TMetaClass& C = D->ClassType();
  C.FindProperty("Size")->SetFloat(D, 2.5L);
  EXPECT_EQ(D->Size(), 2.5f);
  EXPECT_EQ(D->SetterCalls, 1);
  C.FindProperty("Shade")->SetOrd(D, 1);
  EXPECT_EQ(D->Shade(), TShade::Dark);
  int64_t Yellow = 0;
  ASSERT_TRUE(C.FindProperty("Color")->Type->IdentToInt("clYellow", Yellow));
  C.FindProperty("Color")->SetOrd(D, Yellow);
  EXPECT_EQ(D->Color(), 0xFFFFFF00u);
  // Class properties check the class of what they are given.
  auto* Other = new TBase(Owner);
  C.FindProperty("Link")->SetObj(D, Other);
  EXPECT_EQ(D->Link(), Other);
  EXPECT_THROW(C.FindProperty("Link")->SetObj(D, Owner), EConvertError);
  // Events bind code and object and compare by both.
  const TMethodInfo* M = C.FindMethod("Handler");
  C.FindProperty("OnPing")->SetMethod(D, TMethod{M->Code, D});
  EXPECT_EQ(C.FindProperty("OnPing")->GetMethod(D), (TMethod{M->Code, D}));
  EXPECT_FALSE(C.FindProperty("OnPing")->GetMethod(D) == (TMethod{M->Code, Other}));
  Owner->Free();
}

TEST(MetaClass, DefaultsDecideWhatIsStored) {
  TComponent* Owner = new TComponent(nullptr);
  auto* D = new TDerived(Owner);
  const TMetaClass& C = D->ClassType();
  EXPECT_FALSE(C.FindProperty("Size")->ShouldStore(D));
  EXPECT_FALSE(C.FindProperty("Shade")->ShouldStore(D));
  EXPECT_TRUE(C.FindProperty("Color")->ShouldStore(D));  // no default: always stored
  D->SetSize(3);
  EXPECT_TRUE(C.FindProperty("Size")->ShouldStore(D));
  EXPECT_FALSE(C.FindProperty("Name")->ShouldStore(D));
  Owner->Free();
}

TEST(MetaClass, NamingAComponentSetsTheOwnersField) {
  auto* Root = new TDerived(nullptr);
  auto* Child = new TBase(Root);
  Child->SetName("Field");
  EXPECT_EQ(Root->Field, Child);
  Child->SetName("Renamed");
  EXPECT_EQ(Root->Field, nullptr);
  Child->SetName("Field");
  Child->Free();
  EXPECT_EQ(Root->Field, nullptr);
  Root->Free();
}

TEST(AlphaColor, NamesAndOpacity) {
  EXPECT_EQ(AlphaColorNames().size(), 148u);
  struct TCase {
    const char* Ident;
    bool Found;
    TAlphaColor Value;
  };
  for (const TCase& T : {TCase{"claYellow", true, 0xFFFFFF00}, TCase{"CLAYELLOW", true, 0xFFFFFF00},
                         TCase{"clYellow", true, 0xFFFFFF00}, TCase{"claNull", true, 0},
                         TCase{"xFF102030", true, 0xFF102030}, TCase{"claPurpleish", false, 0},
                         TCase{"cl", false, 0}, TCase{"xZZ", false, 0}}) {
    int64_t V = -1;
    EXPECT_EQ(IdentToAlphaColor(T.Ident, V), T.Found) << T.Ident;
    if (T.Found) {
      EXPECT_EQ(V, static_cast<int64_t>(T.Value)) << T.Ident;
    }
  }
  EXPECT_EQ(MakeColor(0xFFFF0000, 0.5f), 0x7FFF0000u);
  EXPECT_EQ(MakeColor(0x80FF0000, 0.5f), 0x40FF0000u);
  EXPECT_EQ(MakeColor(0xFFFF0000, 1), 0xFFFF0000u);
  EXPECT_EQ(MakeColor(0xFFFF0000, 0), 0x00FF0000u);
}

}  // namespace
