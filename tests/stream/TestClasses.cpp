#include "tests/stream/TestClasses.h"

#include <cstdio>

#include "shell/core/Exceptions.h"
#include "shell/core/Filer.h"
#include "shell/stream/GlobalComponents.h"

const TTypeInfo& TestAlignType() {
  static const TTypeInfo T = [] {
    TTypeInfo I;
    I.Name = "TTestAlign";
    I.Kind = TTypeKind::Enumeration;
    I.Names = {"None", "Client", "Bottom", "Left"};
    return I;
  }();
  return T;
}

const TTypeInfo& TestOptionsType() {
  static const TTypeInfo T = [] {
    TTypeInfo I;
    I.Name = "TTestOptions";
    I.Kind = TTypeKind::Set;
    I.Names = {"toFirst", "toSecond", "toThird"};
    return I;
  }();
  return T;
}

const TTypeInfo& IntEventType() {
  static const TTypeInfo T = [] {
    TTypeInfo I;
    I.Name = "TIntEvent";
    I.Kind = TTypeKind::Method;
    return I;
  }();
  return T;
}

namespace {
const TTypeInfo& WideCharType() {
  static const TTypeInfo T = [] {
    TTypeInfo I;
    I.Name = "Char";
    I.Kind = TTypeKind::WChar;
    return I;
  }();
  return T;
}
}  // namespace

std::vector<std::string>& TestLog() {
  static std::vector<std::string> Log;
  return Log;
}

// --- TTestPoint ---

const TMetaClass& TTestPoint::StaticClass() {
  return ClassRecord<TTestPoint>("TTestPoint", &TPersistent::StaticClass(), [](auto& B) {
    B.Property("X", &TTestPoint::X, &TTestPoint::SetX).Default(0.0f);
    B.Property("Y", &TTestPoint::Y, &TTestPoint::SetY).Default(0.0f);
    B.Property("Z", &TTestPoint::Z, &TTestPoint::SetZ).Default(0.0f);
  });
}

void TTestPoint::SetX(float V) {
  FX = V;
  ++Changes;
}
void TTestPoint::SetY(float V) {
  FY = V;
  ++Changes;
}
void TTestPoint::SetZ(float V) {
  FZ = V;
  ++Changes;
}

void TTestPoint::DefineProperties(TFiler& Filer) {
  // "Point": all three at once, as a string "(x,y,z)"; read only.
  Filer.DefineProperty(
      "Point",
      [this](IValueReader& R) {
        std::string S = R.ReadString();
        float V[3] = {0, 0, 0};
        if (std::sscanf(S.c_str(), "(%f,%f,%f)", &V[0], &V[1], &V[2]) != 3) V[0] = V[1] = V[2] = 0;
        FX = V[0];
        FY = V[1];
        FZ = V[2];
        ++Changes;
      },
      nullptr, false);
}

// --- Collection ---

const TMetaClass& TTestItem::StaticClass() {
  return ClassRecord<TTestItem>("TTestItem", &TCollectionItem::StaticClass(), [](auto& B) {
    B.Property("Color", &TTestItem::Color, &TTestItem::SetColor, &TypeInfos::AlphaColor())
        .Default(TAlphaColors::Black);
    B.Property("Offset", &TTestItem::Offset, &TTestItem::SetOffset).Default(0.0f);
  });
}

const TMetaClass& TTestItems::StaticClass() {
  return ClassRecord<TTestItems>("TTestItems", &TCollection::StaticClass(), [](auto&) {});
}

TTestItems::TTestItems() : TCollection(TTestItem::StaticClass(), [] { return new TTestItem(); }) {}

// --- TTestObject ---

const TMetaClass& TTestObject::StaticClass() {
  return ClassRecord<TTestObject>("TTestObject", &TTreeObject::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("Int", &TTestObject::Int, &TTestObject::SetInt).Default(0);
    B.Property("Color", &TTestObject::Color, &TTestObject::SetColor, &TypeInfos::AlphaColor())
        .Default(TAlphaColors::Null);
    B.Property("Align", &TTestObject::Align, &TTestObject::SetAlign, &TestAlignType()).Default(TTestAlign::None);
    B.Property("Flag", &TTestObject::Flag, &TTestObject::SetFlag, &TypeInfos::Boolean()).Default(false);
    B.Property("Ratio", &TTestObject::Ratio, &TTestObject::SetRatio).Default(1.0f);
    B.Property("Precise", &TTestObject::Precise, &TTestObject::SetPrecise).Default(0.0);
    B.Property("Big", &TTestObject::Big, &TTestObject::SetBig).Default(int64_t{0});
    B.Property("Text", &TTestObject::Text, &TTestObject::SetText);
    B.Property("Letter", &TTestObject::Letter, &TTestObject::SetLetter, &WideCharType()).Default(u'a');
    B.Property("Options", &TTestObject::Options, &TTestObject::SetOptions, &TestOptionsType())
        .Default(TTestOptions{toFirst});
    B.Property("Fixed", &TTestObject::Fixed, nullptr);
    B.Property("Position", &TTestObject::Position, &TTestObject::SetPosition);
    B.Property("Items", &TTestObject::Items, &TTestObject::SetItems);
    B.Property("Ref", &TTestObject::Ref, &TTestObject::SetRef);
    B.Property("OnClick", &TTestObject::OnClick, &TTestObject::SetOnClick);
    B.Property("OnValue", &TTestObject::OnValue, &TTestObject::SetOnValue, &IntEventType());
  });
}

TTestObject::TTestObject(TComponent* AOwner)
    : TTreeObject(AOwner), FPosition(new TTestPoint()), FItems(new TTestItems()) {
  // Two default items, so that a stored collection can be seen to replace them.
  FItems->Add();
  auto* Second = static_cast<TTestItem*>(FItems->Add());
  Second->SetColor(TAlphaColors::White);
  Second->SetOffset(1);
}

TTestObject::~TTestObject() {
  delete FPosition;
  delete FItems;
}

void TTestObject::SetPosition(TTestPoint* V) {
  if (!V) return;
  FPosition->SetX(V->X());
  FPosition->SetY(V->Y());
  FPosition->SetZ(V->Z());
}

void TTestObject::SetRef(TTestObject* V) {
  if (FRef == V) return;
  if (FRef) FRef->RemoveFreeNotification(this);
  FRef = V;
  if (FRef) FRef->FreeNotification(this);
}

void TTestObject::Notification(TComponent* AComponent, TOperation Operation) {
  TTreeObject::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FRef) FRef = nullptr;
}

void TTestObject::Loaded() {
  TTreeObject::Loaded();
  TestLog().push_back("Loaded " + Name());
}

void TTestObject::DefineProperties(TFiler& Filer) {
  TTreeObject::DefineProperties(Filer);
  Filer.DefineProperty(
      "Extra", [this](IValueReader& R) { Extra = static_cast<int>(R.ReadInteger()); },
      [this](IValueWriter& W) { W.WriteInteger(Extra); }, Extra != 0);
  Filer.DefineProperty(
      "Note",
      [this](IValueReader& R) {
        Note = R.ReadString();
        SawLoadingInSetter = IsLoading();
        if (Note == "Bad") throw EInvalidOperation("Note refused");
      },
      [this](IValueWriter& W) { W.WriteString(Note); }, !Note.empty());
}

// --- TTestPlain ---

const TMetaClass& TTestPlain::StaticClass() {
  return ClassRecord<TTestPlain>("TTestPlain", &TComponent::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("Caption", &TTestPlain::Caption, &TTestPlain::SetCaption);
  });
}

void TTestPlain::SetCaption(const std::string& V) { FCaption = V; }

void TTestPlain::Loaded() {
  TComponent::Loaded();
  TestLog().push_back("Loaded " + Name());
}

// --- Forms ---

const TMetaClass& TTestForm::StaticClass() {
  return ClassRecord<TTestForm>("TTestForm", &TTreeObject::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Field("Object1", &TTestForm::Object1);
    B.Field("Object2", &TTestForm::Object2);
    B.Field("Plain1", &TTestForm::Plain1);
    B.Method("Object1Click", &TTestForm::Object1Click);
    B.Method("ValueChanged", &TTestForm::ValueChanged, &IntEventType());
  });
}

TTestForm::TTestForm(TComponent* AOwner) : TTreeObject(AOwner) { RegisterGlobalComponent(this); }

TTestForm::~TTestForm() { UnregisterGlobalComponent(this); }

void TTestForm::Loaded() {
  TTreeObject::Loaded();
  TestLog().push_back("Loaded " + Name());
}

void TTestForm::Object1Click(TObject*) { ++Clicks; }
void TTestForm::ValueChanged(int Value) { TestLog().push_back("Value " + std::to_string(Value)); }

const TMetaClass& TTestForm2::StaticClass() {
  return ClassRecord<TTestForm2>("TTestForm2", &TTestForm::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Method("Object2Click", &TTestForm2::Object2Click);
  });
}

void TTestForm2::Object2Click(TObject*) { Clicks += 10; }

void RegisterTestClasses() {
  static const bool Done = [] {
    RegisterClass(TTestObject::StaticClass());
    RegisterClass(TTestPlain::StaticClass());
    RegisterClass(TTestForm::StaticClass());
    RegisterClass(TTestForm2::StaticClass());
    return true;
  }();
  (void)Done;
}
