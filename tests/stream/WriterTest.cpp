#include <gtest/gtest.h>

#include "shell/stream/Reader.h"
#include "shell/stream/Writer.h"
#include "tests/stream/StreamTestUtil.h"

namespace {

using B = TStreamBuilder;

std::vector<uint8_t> Write(TComponent* Root) {
  TBytesStream Stream;
  {
    TWriter Writer(Stream);
    Writer.WriteRootComponent(Root);
  }
  return Stream.TakeBytes();
}

TOwned<TTestForm> NewForm(const std::string& Name) {
  RegisterTestClasses();
  TOwned<TTestForm> Form(new TTestForm(nullptr));
  Form->SetName(Name);
  return Form;
}

TTestObject* AddObject(TTreeObject* Parent, TComponent* Owner, const std::string& Name) {
  auto* O = new TTestObject(Owner);
  O->SetName(Name);
  O->SetParent(Parent);
  return O;
}

// Every TTestObject starts with two items; a collection with items is always stored, since
// there is no default to compare a collection with.
void DefaultItems(B& E) {
  E.Prop("Items").Byte(vaCollection);
  E.Byte(vaList).End();
  E.Byte(vaList).Prop("Color").Ident("claWhite").Prop("Offset").Ext(1).End();
  E.End();
}

TEST(Writer, DefaultsAreNotStored) {
  auto Form = NewForm("Form1");
  AddObject(Form.get(), Form.get(), "Object1");
  B Expected;
  Expected.Sig().Object("TTestForm", "Form1").End();
  Expected.Object("TTestObject", "Object1");
  DefaultItems(Expected);
  Expected.End().End();
  Expected.End();
  EXPECT_EQ(Write(Form.get()), Expected.Bytes);
}

TEST(Writer, EachValueWithItsTag) {
  auto Form = NewForm("Form1");
  TTestObject* O = AddObject(Form.get(), Form.get(), "Object1");
  TTestObject* Other = AddObject(Form.get(), Form.get(), "Other");
  O->SetInt(300);
  O->SetColor(TAlphaColors::Yellow);
  O->SetAlign(TTestAlign::Bottom);
  O->SetFlag(true);
  O->SetRatio(48.5665627f);
  O->SetBig(1LL << 40);
  O->SetText("caf\xC3\xA9");
  O->SetLetter(u'\u00E9');
  O->SetOptions({toSecond, toThird});
  O->Position()->SetZ(-10);
  O->SetRef(Other);
  O->SetOnClick(TNotifyEvent(Form.get(), &TTestForm::Object1Click));
  O->SetOnValue(TIntEvent(Form.get(), &TTestForm::ValueChanged));
  O->Extra = -2;
  Other->SetInt(-70000);
  Other->SetColor(0x12345678);
  Other->SetText(std::string(256, 'q'));
  // A handler bound to another object than the root cannot be named, so it is not stored.
  auto Stranger = NewForm("Stranger");
  Other->SetOnClick(TNotifyEvent(Stranger.get(), &TTestForm::Object1Click));
  auto* Plain = new TTestPlain(Form.get());
  Plain->SetName("Plain1");
  Plain->SetDesignInfo((360u << 16) | 528u);

  B E;
  E.Sig().Object("TTestForm", "Form1").End();
  E.Object("TTestPlain", "Plain1").Prop("Left").Int16(528).Prop("Top").Int16(360).End().End();
  E.Object("TTestObject", "Object1");
  E.Prop("Int").Int16(300);
  E.Prop("Color").Ident("claYellow");
  E.Prop("Align").Ident("Bottom");
  E.Prop("Flag").True();
  E.Prop("Ratio").Ext(48.5665627f);
  E.Prop("Big").Int64(1LL << 40);
  E.Prop("Text").Utf8("caf\xC3\xA9");
  E.Prop("Letter").Wide(u"\u00E9");
  E.Prop("Options").Set({"toSecond", "toThird"});
  E.Prop("Position.Z").Ext(-10);
  DefaultItems(E);
  E.Prop("Ref").Ident("Other");
  E.Prop("OnClick").Ident("Object1Click");
  E.Prop("OnValue").Ident("ValueChanged");
  E.Prop("Extra").Int8(-2);
  E.End().End();
  E.Object("TTestObject", "Other");
  E.Prop("Int").Int32(-70000);
  E.Prop("Color").Int32(0x12345678);
  E.Prop("Text").LString(std::string(256, 'q'));
  DefaultItems(E);
  E.End().End();
  E.End();
  EXPECT_EQ(Write(Form.get()), E.Bytes);
}

TEST(Writer, WhatIsWrittenReadsBackToTheSameValuesAndBytes) {
  auto Form = NewForm("Form1");
  TTestObject* A = AddObject(Form.get(), Form.get(), "Object1");
  TTestObject* Child = AddObject(A, Form.get(), "Object2");
  A->SetInt(-5);
  A->SetPrecise(0.1);
  A->SetText("line\r\nnext");
  A->SetOptions({});
  A->Position()->SetX(1.25f);
  A->Position()->SetY(-2);
  A->SetRef(Child);
  A->Note = "kept";
  auto* Item = static_cast<TTestItem*>(A->Items()->Add());
  Item->SetColor(0xFF102030);
  Item->SetOffset(0.75f);
  Child->SetOnClick(TNotifyEvent(Form.get(), &TTestForm::Object1Click));
  Child->SetFlag(true);

  std::vector<uint8_t> First = Write(Form.get());
  auto Copy = LoadForm(First);
  TTestObject* CA = Copy->Object1;
  ASSERT_NE(CA, nullptr);
  EXPECT_EQ(CA->Int(), -5);
  EXPECT_EQ(CA->Precise(), 0.1);
  EXPECT_EQ(CA->Text(), "line\r\nnext");
  EXPECT_EQ(CA->Options(), TTestOptions{});
  EXPECT_EQ(CA->Position()->X(), 1.25f);
  EXPECT_EQ(CA->Position()->Y(), -2.0f);
  EXPECT_EQ(CA->Ref(), Copy->Object2);
  EXPECT_EQ(CA->Note, "kept");
  ASSERT_EQ(CA->Items()->Count(), 3);
  EXPECT_EQ(static_cast<TTestItem*>(CA->Items()->Items(2))->Color(), 0xFF102030u);
  EXPECT_EQ(Copy->Object2->Parent(), CA);
  EXPECT_TRUE(Copy->Object2->Flag());
  Copy->Object2->OnClick()(nullptr);
  EXPECT_EQ(Copy->Clicks, 1);
  EXPECT_EQ(Copy->Name(), "Form1_1");  // the original still holds the global name
  Copy->SetName("Form1");
  EXPECT_EQ(Write(Copy.get()), First);
}

TEST(Writer, ObjectsThatAreNotStoredAreLeftOut) {
  auto Form = NewForm("Form1");
  TTestObject* Kept = AddObject(Form.get(), Form.get(), "Kept");
  TTestObject* BuiltIn = AddObject(Kept, Form.get(), "BuiltIn");
  BuiltIn->SetStored(false);
  // Owned by another component: that component's business, not the root's.
  AddObject(Kept, Kept, "Foreign");
  B E;
  E.Sig().Object("TTestForm", "Form1").End();
  E.Object("TTestObject", "Kept");
  DefaultItems(E);
  E.End().End();
  E.End();
  EXPECT_EQ(Write(Form.get()), E.Bytes);
}

TEST(Writer, ReferencesOutsideTheRootNameTheirOwner) {
  auto Form = NewForm("Form1");
  auto Elsewhere = NewForm("Elsewhere");
  TTestObject* Target = AddObject(Elsewhere.get(), Elsewhere.get(), "Target");
  TTestObject* O = AddObject(Form.get(), Form.get(), "Object1");
  O->SetRef(Target);
  B E;
  E.Sig().Object("TTestForm", "Form1").End();
  E.Object("TTestObject", "Object1");
  DefaultItems(E);
  E.Prop("Ref").Ident("Elsewhere.Target").End().End();
  E.End();
  EXPECT_EQ(Write(Form.get()), E.Bytes);
}

TEST(Writer, NamesLongerThanAShortStringAreRefused) {
  TBytesStream Stream;
  TWriter Writer(Stream);
  EXPECT_THROW(Writer.WriteStr(std::string(256, 'n')), EWriteError);
}

// A class name of 240 characters: its length byte would be read back as a prefix.
class TLongNamed : public TComponent {
  KLV_CLASS(TLongNamed)
 public:
  using TComponent::TComponent;
};
const std::string LongClassName = "T" + std::string(239, 'L');
const TMetaClass& TLongNamed::StaticClass() {
  return ClassRecord<TLongNamed>(LongClassName.c_str(), &TComponent::StaticClass(), [](auto&) {});
}

TEST(Writer, AClassNameTheReaderWouldTakeForAPrefixIsRefused) {
  TLongNamed Component(nullptr);
  try {
    Write(&Component);
    ADD_FAILURE() << "a 240-character class name was written";
  } catch (const EWriteError& E) {
    EXPECT_EQ(E.Message(), "Class name too long for a form stream: " + LongClassName);
  }
}

}  // namespace
