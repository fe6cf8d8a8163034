#include <gtest/gtest.h>

#include <limits>

#include "shell/core/Exceptions.h"
#include "shell/stream/GlobalComponents.h"
#include "shell/stream/Reader.h"
#include "shell/stream/Resources.h"
#include "tests/stream/StreamTestUtil.h"

namespace {

using B = TStreamBuilder;

struct TFailureCase {
  const char* What;
  std::vector<uint8_t> Bytes;
  std::string Expected;
};

std::vector<uint8_t> Bytes(const B& Builder) { return Builder.Bytes; }

TEST(ReaderFailures, EachRowOfTheFailureTableGivesItsMessage) {
  const std::vector<TFailureCase> Cases = {
      {"bad signature", Bytes(B().Raw({'T', 'P', 'F', '1'}).Object("TTestForm", "Form1").End().End()),
       "EReadError: Invalid stream format"},
      {"shorter than a signature", Bytes(B().Raw({'T', 'P'})), "EReadError: Invalid stream format"},
      {"ends inside a name", Bytes(B().Sig().Object("TTestForm", "Form1").End().Raw({9, 'T', 'T', 'e'})),
       "EReadError: Stream read error"},
      {"ends inside a value", Bytes(B().Sig().Object("TTestForm", "Form1").End().Object("TTestObject", "Object1")
                                        .Prop("Int").Raw({vaInt32, 1, 2})),
       "EReadError: Error reading Object1.Int: Stream read error"},
      {"class not found", Bytes(B().Sig().Object("TTestForm", "Form1").End().Object("TNothing", "X").End().End().End()),
       "EClassNotFound: Class TNothing not found"},
      {"class that is not a component", Bytes(B().Sig().Object("TTestForm", "Form1").End().Object("TTestPoint", "X").End().End().End()),
       "EClassNotFound: Class TTestPoint not found"},
      {"ancestor missing", Bytes(B().Sig().Object("TTestForm", "Form1").End().Byte(0xF1).Object("TTestObject", "Ghost").End().End().End()),
       "EReadError: Ancestor for 'Ghost' not found"},
      {"invalid component name", Bytes(B().Sig().Object("TTestForm", "Form1").End().Object("TTestObject", "1abc").End().End().End()),
       "EComponentError: ''1abc'' is not a valid component name"},
      {"duplicate component name", Bytes(B().Sig().Object("TTestForm", "Form1").End()
                                             .Object("TTestObject", "Object1").End().End()
                                             .Object("TTestObject", "OBJECT1").End().End().End()),
       "EComponentError: A component named OBJECT1 already exists"},
      {"property does not exist", ObjectWith("Alignment", [](B& V) { V.Ident("Client"); }),
       "EReadError: Error reading Object1.Alignment: Property Alignment does not exist"},
      {"last part of a path does not exist", ObjectWith("Position.W", [](B& V) { V.Int8(1); }),
       "EReadError: Error reading Object1.Position.W: Property W does not exist"},
      {"first part of a path does not exist", ObjectWith("Place.X", [](B& V) { V.Int8(1); }),
       "EReadError: Error reading Object1.Place.X: Property Place.X does not exist"},
      {"path through a number", ObjectWith("Int.X", [](B& V) { V.Int8(1); }),
       "EReadError: Error reading Object1.Int.X: Invalid property path"},
      {"path through an empty reference", ObjectWith("Ref.Int", [](B& V) { V.Int8(1); }),
       "EReadError: Error reading Object1.Ref.Int: Invalid property path"},
      // A name the type does not have: the message says which names it has.
      {"enumeration name not found", ObjectWith("Align", [](B& V) { V.Ident("Middle"); }),
       "EReadError: Error reading Object1.Align: Invalid property value: Middle (expected None, Client, Bottom, Left)"},
      {"number for an enumeration", ObjectWith("Align", [](B& V) { V.Int8(1); }),
       "EReadError: Error reading Object1.Align: Invalid property value (expected None, Client, Bottom, Left)"},
      {"colour name not found", ObjectWith("Color", [](B& V) { V.Ident("claNotAColour"); }),
       "EReadError: Error reading Object1.Color: Invalid property value: claNotAColour (expected a colour name such as claRed, or xAARRGGBB)"},
      {"identifier for an integer without identifiers", ObjectWith("Int", [](B& V) { V.Ident("Five"); }),
       "EReadError: Error reading Object1.Int: Invalid property value"},
      {"set element not found", ObjectWith("Options", [](B& V) { V.Set({"toSecond", "toFourth", "toThird"}); }),
       "EReadError: Error reading Object1.Options: Invalid property value: toFourth (expected toFirst, toSecond, toThird)"},
      {"event handler not found", ObjectWith("OnClick", [](B& V) { V.Ident("Object9Click"); }),
       "EReadError: Error reading Object1.OnClick: Invalid property value: Object9Click (TTestForm publishes Object1Click)"},
      // Only the handlers that fit the event are offered.
      {"event handler of another signature", ObjectWith("OnClick", [](B& V) { V.Ident("ValueChanged"); }),
       "EReadError: Error reading Object1.OnClick: Invalid property value: ValueChanged (TTestForm publishes Object1Click)"},
      {"single for a float", ObjectWith("Ratio", [](B& V) { V.Single(2); }),
       "EReadError: Error reading Object1.Ratio: Invalid property value"},
      {"float beyond what a single holds", ObjectWith("Ratio", [](B& V) { V.Ext(1.27e78L); }),
       "EReadError: Error reading Object1.Ratio: Invalid property value"},
      {"float beyond what a double holds", ObjectWith("Precise", [](B& V) { V.Ext(1e400L); }),
       "EReadError: Error reading Object1.Precise: Invalid property value"},
      {"infinity for a float", ObjectWith("Ratio", [](B& V) { V.Double(std::numeric_limits<double>::infinity()); }),
       "EReadError: Error reading Object1.Ratio: Invalid property value"},
      {"NaN for a float", ObjectWith("Precise", [](B& V) { V.Ext(std::numeric_limits<long double>::quiet_NaN()); }),
       "EReadError: Error reading Object1.Precise: Invalid property value"},
      {"string for an integer", ObjectWith("Int", [](B& V) { V.String("5"); }),
       "EReadError: Error reading Object1.Int: Invalid property value"},
      {"64-bit tag for an integer", ObjectWith("Int", [](B& V) { V.Int64(5); }),
       "EReadError: Error reading Object1.Int: Invalid property value"},
      {"integer for a string", ObjectWith("Text", [](B& V) { V.Int8(5); }),
       "EReadError: Error reading Object1.Text: Invalid property value"},
      {"two characters for a character", ObjectWith("Letter", [](B& V) { V.String("ab"); }),
       "EReadError: Error reading Object1.Letter: Invalid property value"},
      {"list for a set", ObjectWith("Options", [](B& V) { V.Byte(vaList).End(); }),
       "EReadError: Error reading Object1.Options: Invalid property value"},
      {"collection for a reference", ObjectWith("Ref", [](B& V) { V.Byte(vaCollection).End(); }),
       "EReadError: Error reading Object1.Ref: Invalid property value"},
      {"unknown value tag", ObjectWith("Int", [](B& V) { V.Byte(40); }),
       "EReadError: Error reading Object1.Int: Invalid property value"},
      {"read-only property", ObjectWith("Fixed", [](B& V) { V.Int8(3); }),
       "EReadError: Error reading Object1.Fixed: Property is read-only"},
      {"setter raises", ObjectWith("Note", [](B& V) { V.String("Bad"); }),
       "EReadError: Error reading Object1.Note: Note refused"},
      {"collection item with a bad value",
       ObjectWith("Items", [](B& V) { V.Byte(vaCollection).Byte(vaList).Prop("Color").Ident("claNope").End().End(); }),
       "EReadError: Error reading Object1.Items: Error reading TTestItem.Color: Invalid property value: claNope (expected a colour name such as claRed, or xAARRGGBB)"},
      {"error on the root itself", Bytes(B().Sig().Object("TTestForm", "Form1").Prop("Tag").Ident("x").End().End()),
       "EReadError: Error reading Form1.Tag: Invalid property value"},
      {"unnamed component", Bytes(B().Sig().Object("TTestForm", "Form1").End().Object("TTestObject", "").Prop("Int").Ident("x").End().End().End()),
       "EReadError: Error reading TTestObject.Int: Invalid property value"},
  };
  for (const TFailureCase& C : Cases) EXPECT_EQ(LoadError(C.Bytes), C.Expected) << C.What;
}

TEST(ReaderFailures, NoDescriptionIsNotAnErrorOfTheLoader) {
  RegisterTestClasses();
  TOwned<TTestForm> Form(new TTestForm(nullptr));
  EXPECT_FALSE(InitInheritedComponent(Form.get(), TTreeObject::StaticClass()));
  EXPECT_FALSE(Form->IsLoading());
}

TEST(ReaderFailures, AFailedComponentIsFreedAndItsNameAndFieldAreGone) {
  RegisterTestClasses();
  B S;
  S.Sig().Object("TTestForm", "Form1").End();
  S.Object("TTestObject", "Object1").End().End();
  S.Object("TTestObject", "Object2").Prop("Int").Int8(4);
  S.End();
  S.Object("TTestObject", "Inner").End().End();  // a child of Object2, read before the failure
  S.Object("TTestPlain", "Plain1").End().End();
  S.Object("TTestObject", "Bad").Prop("Align").Ident("Nowhere").End().End();
  S.End();
  S.End().End();
  TOwned<TTestForm> Form(new TTestForm(nullptr));
  TBytesStream Stream(S.Bytes);
  TReader Reader(Stream);
  EXPECT_THROW(Reader.ReadRootComponent(Form.get()), EReadError);
  EXPECT_NE(Form->FindComponent("Object1"), nullptr);
  EXPECT_EQ(Form->Object1, Form->FindComponent("Object1"));
  EXPECT_EQ(Form->FindComponent("Object2"), nullptr);
  EXPECT_EQ(Form->Object2, nullptr);
  EXPECT_EQ(Form->FindComponent("Inner"), nullptr);
  EXPECT_EQ(Form->FindComponent("Bad"), nullptr);
  ASSERT_EQ(Form->ChildrenCount(), 1);
  // A component that is not in the tree survives its nesting object; the form frees it.
  EXPECT_NE(Form->FindComponent("Plain1"), nullptr);
}

TEST(ReaderFailures, ARootCreatedByTheReaderIsFreedOnFailure) {
  RegisterTestClasses();
  B S;
  S.Sig().Object("TTestForm", "Lonely").End().Object("TMissing", "M").End().End().End();
  TBytesStream Stream(S.Bytes);
  TReader Reader(Stream);
  EXPECT_THROW(Reader.ReadRootComponent(nullptr), EClassNotFound);
  EXPECT_EQ(FindGlobalComponent("Lonely"), nullptr);
}

TEST(ReaderFailures, HostileNestingIsRefusedWithoutExhaustingTheStack) {
  RegisterTestClasses();
  std::vector<uint8_t> Lists = ObjectWith("Nope", [](B& V) {
    for (int I = 0; I < 100000; ++I) V.Byte(vaList);
  });
  EXPECT_EQ(LoadError(Lists), "EReadError: Error reading Object1.Nope: Invalid stream format");
  B Deep;
  Deep.Sig().Object("TTestForm", "Form1").End();
  for (int I = 0; I < 5000; ++I) Deep.Object("TTestObject", "").End();
  EXPECT_EQ(LoadError(Deep.Bytes), "EReadError: Invalid stream format");
}

TEST(ReaderFailures, AHandledPropertyErrorGoesOnWithTheNextRecord) {
  RegisterTestClasses();
  B S;
  S.Sig().Object("TTestForm", "Form1").End().Object("TTestObject", "Object1");
  S.Prop("Missing").Byte(vaList).Int8(1).String("x").End();
  S.Prop("Align").Ident("Nowhere");
  S.Prop("Options").Set({"toBad", "toSecond"});
  S.Prop("Int.Deep").Int32(9);
  S.Prop("Int").Int8(12);
  S.End().End().End();
  TOwned<TTestForm> Form(new TTestForm(nullptr));
  TBytesStream Stream(S.Bytes);
  TReader Reader(Stream);
  std::vector<std::string> Errors;
  Reader.OnError = [&](TReader&, const std::string& Message, bool& Handled) {
    Errors.push_back(Message);
    Handled = true;
  };
  Reader.ReadRootComponent(Form.get());
  EXPECT_EQ(Errors, (std::vector<std::string>{
                        "Error reading Object1.Missing: Property Missing does not exist",
                        "Error reading Object1.Align: Invalid property value: Nowhere (expected None, Client, Bottom, Left)",
                        "Error reading Object1.Options: Invalid property value: toBad (expected toFirst, toSecond, toThird)",
                        "Error reading Object1.Int.Deep: Invalid property path",
                    }));
  EXPECT_EQ(Form->Object1->Int(), 12);
}

TEST(ReaderValues, EveryIntegerTagIsSignExtended) {
  struct TCase {
    std::function<void(B&)> Value;
    int Expected;
  };
  const std::vector<TCase> Cases = {
      {[](B& V) { V.Int8(-5); }, -5},
      {[](B& V) { V.Int16(-300); }, -300},
      {[](B& V) { V.Int32(-70000); }, -70000},
      {[](B& V) { V.Int32(INT32_MIN); }, INT32_MIN},
  };
  for (const TCase& C : Cases) EXPECT_EQ(LoadForm(ObjectWith("Int", C.Value))->Object1->Int(), C.Expected);
  EXPECT_EQ(LoadForm(ObjectWith("Big", [](B& V) { V.Int64(INT64_MIN); }))->Object1->Big(), INT64_MIN);
  EXPECT_EQ(LoadForm(ObjectWith("Big", [](B& V) { V.Int16(-2); }))->Object1->Big(), -2);
}

TEST(ReaderValues, FloatsFromExtendedDoubleAndIntegers) {
  EXPECT_EQ(LoadForm(ObjectWith("Ratio", [](B& V) { V.Ext(48.5665627L); }))->Object1->Ratio(), 48.5665627f);
  EXPECT_EQ(LoadForm(ObjectWith("Ratio", [](B& V) { V.Double(-0.25); }))->Object1->Ratio(), -0.25f);
  EXPECT_EQ(LoadForm(ObjectWith("Ratio", [](B& V) { V.Int16(-180); }))->Object1->Ratio(), -180.0f);
  EXPECT_EQ(LoadForm(ObjectWith("Precise", [](B& V) { V.Int64(1LL << 40); }))->Object1->Precise(), 1099511627776.0);
  EXPECT_EQ(LoadForm(ObjectWith("Precise", [](B& V) { V.Ext(1e300L); }))->Object1->Precise(), 1e300);
  // The extended value reaches a double property rounded once, not through single.
  EXPECT_EQ(LoadForm(ObjectWith("Precise", [](B& V) { V.Ext(0.1L); }))->Object1->Precise(), 0.1);
}

TEST(ReaderValues, StringsOfEveryEncoding) {
  struct TCase {
    const char* What;
    std::function<void(B&)> Value;
    std::string Expected;
  };
  const std::vector<TCase> Cases = {
      {"short ANSI", [](B& V) { V.String("Start"); }, "Start"},
      {"ANSI above ASCII", [](B& V) { V.String("caf\xE9 \x80"); }, "caf\xC3\xA9 \xE2\x82\xAC"},
      {"long ANSI", [](B& V) { V.LString(std::string(300, 'x')); }, std::string(300, 'x')},
      {"UTF-8", [](B& V) { V.Utf8("\xE2\x86\x92 ok"); }, "\xE2\x86\x92 ok"},
      {"UTF-16 with a pair", [](B& V) { V.Wide(u"a\U0001F600"); }, "a\xF0\x9F\x98\x80"},
      {"empty", [](B& V) { V.String(""); }, ""},
  };
  for (const TCase& C : Cases) EXPECT_EQ(LoadForm(ObjectWith("Text", C.Value))->Object1->Text(), C.Expected) << C.What;
  EXPECT_EQ(LoadForm(ObjectWith("Letter", [](B& V) { V.Wide(u"\u00E9"); }))->Object1->Letter(), u'\u00E9');
  EXPECT_EQ(LoadForm(ObjectWith("Letter", [](B& V) { V.String("Z"); }))->Object1->Letter(), u'Z');
}

TEST(ReaderValues, BooleansAndEnumerationsIgnoreCase) {
  EXPECT_TRUE(LoadForm(ObjectWith("Flag", [](B& V) { V.True(); }))->Object1->Flag());
  EXPECT_TRUE(LoadForm(ObjectWith("Flag", [](B& V) { V.Ident("TRUE"); }))->Object1->Flag());
  for (const char* Name : {"Client", "client", "CLIENT"})
    EXPECT_EQ(LoadForm(ObjectWith("Align", [&](B& V) { V.Ident(Name); }))->Object1->Align(), TTestAlign::Client) << Name;
  // The top bit of the tag does not count where an identifier is expected.
  EXPECT_EQ(LoadForm(ObjectWith("Align", [](B& V) { V.Byte(vaIdent | 0x80).Str("Left"); }))->Object1->Align(),
            TTestAlign::Left);
  // Property names ignore case too.
  EXPECT_EQ(LoadForm(ObjectWith("aLIGN", [](B& V) { V.Ident("Bottom"); }))->Object1->Align(), TTestAlign::Bottom);
}

TEST(ReaderValues, ColoursByNameMissingAOrHex) {
  for (const char* Name : {"claYellow", "clYellow", "CLAYELLOW", "xFFFFFF00", "#FFFFFF00"})
    EXPECT_EQ(LoadForm(ObjectWith("Color", [&](B& V) { V.Ident(Name); }))->Object1->Color(), 0xFFFFFF00u) << Name;
  EXPECT_EQ(LoadForm(ObjectWith("Color", [](B& V) { V.Int32(-256); }))->Object1->Color(), 0xFFFFFF00u);
  EXPECT_EQ(LoadForm(ObjectWith("Color", [](B& V) { V.Ident("claNull"); }))->Object1->Color(), 0u);
}

TEST(ReaderValues, ColourIdentifiersAndReferencesAcceptTheTagsTopBit) {
  EXPECT_EQ(LoadForm(ObjectWith("Color", [](B& V) { V.Byte(vaIdent | 0x80).Str("claYellow"); }))->Object1->Color(),
            0xFFFFFF00u);
  B S;
  S.Sig().Object("TTestForm", "Form1").End();
  S.Object("TTestObject", "Object1").Prop("Ref").Byte(vaIdent | 0x80).Str("Object2").End().End();
  S.Object("TTestObject", "Object2").End().End();
  S.End();
  auto Form = LoadForm(S.Bytes);
  EXPECT_EQ(Form->Object1->Ref(), Form->Object2);
}

TEST(ReaderValues, SetsNameTheirElements) {
  EXPECT_EQ(LoadForm(ObjectWith("Options", [](B& V) { V.Set({"toThird", "TOSECOND"}); }))->Object1->Options(),
            (TTestOptions{toSecond, toThird}));
  EXPECT_EQ(LoadForm(ObjectWith("Options", [](B& V) { V.Set({}); }))->Object1->Options(), TTestOptions{});
}

TEST(ReaderPaths, DottedPathsSetOnlyTheNamedPart) {
  B S;
  S.Sig().Object("TTestForm", "Form1").End().Object("TTestObject", "Object1");
  S.Prop("Position.Z").Ext(-10);
  S.Prop("position.x").Int8(2);
  S.End().End().End();
  auto Form = LoadForm(S.Bytes);
  TTestPoint* P = Form->Object1->Position();
  EXPECT_EQ(P->X(), 2.0f);
  EXPECT_EQ(P->Y(), 0.0f);
  EXPECT_EQ(P->Z(), -10.0f);
  EXPECT_EQ(P->Changes, 2);  // each through the setter, once
}

TEST(ReaderPaths, DefinedPropertiesOfComponentsAndSubObjects) {
  B S;
  S.Sig().Object("TTestForm", "Form1").End();
  S.Object("TTestObject", "Object1");
  S.Prop("Position.Point").String("(1.5,2,-3)");
  S.Prop("EXTRA").Int16(1234);
  S.Prop("Note").Utf8("hello");
  S.Prop("BindingName").String("ignored");
  S.End().End();
  S.Object("TTestPlain", "Plain1").Prop("Left").Int16(472).Prop("Top").Int16(352).End().End();
  S.End();
  auto Form = LoadForm(S.Bytes);
  TTestObject* O = Form->Object1;
  EXPECT_EQ(O->Position()->X(), 1.5f);
  EXPECT_EQ(O->Position()->Y(), 2.0f);
  EXPECT_EQ(O->Position()->Z(), -3.0f);
  EXPECT_EQ(O->Extra, 1234);
  EXPECT_EQ(O->Note, "hello");
  EXPECT_TRUE(O->SawLoadingInSetter);
  EXPECT_EQ(Form->Plain1->DesignInfo(), (352u << 16) | 472u);
}

TEST(ReaderCollections, StoredItemsReplaceTheDefaultOnes) {
  B S;
  S.Sig().Object("TTestForm", "Form1").End().Object("TTestObject", "Object1");
  S.Prop("Items").Byte(vaCollection);
  S.Byte(vaList).Prop("Color").Ident("claRed").End();
  S.Int8(7).Byte(vaList).Prop("Color").Ident("claBlue").Prop("Offset").Ext(0.5L).End();
  S.End();
  S.End().End().End();
  auto Form = LoadForm(S.Bytes);
  TTestItems* Items = Form->Object1->Items();
  ASSERT_EQ(Items->Count(), 2);
  EXPECT_EQ(static_cast<TTestItem*>(Items->Items(0))->Color(), 0xFFFF0000u);
  EXPECT_EQ(static_cast<TTestItem*>(Items->Items(0))->Offset(), 0.0f);
  EXPECT_EQ(static_cast<TTestItem*>(Items->Items(1))->Color(), 0xFF0000FFu);
  EXPECT_EQ(static_cast<TTestItem*>(Items->Items(1))->Offset(), 0.5f);
  EXPECT_EQ(Items->UpdateCount(), 0);
}

TEST(ReaderCollections, AnEmptyStoredCollectionKeepsTheDefaults) {
  auto Form = LoadForm(ObjectWith("Items", [](B& V) { V.Byte(vaCollection).End(); }));
  EXPECT_EQ(Form->Object1->Items()->Count(), 2);
}

// Reads its data through its own ReadState, logging what it sees before and after.
class TStateReader : public TTestObject {
  KLV_CLASS(TStateReader)
 public:
  using TTestObject::TTestObject;
  static std::vector<std::string>* Log;
  void ReadState(IComponentReader& Reader) override {
    const bool Reading = ComponentState().Contains(csReading) && ComponentState().Contains(csLoading);
    Log->push_back("before " + Name() + (Parent() ? " in " + Parent()->Name() : std::string()) +
                   (Reading ? " reading" : "") + " Int=" + std::to_string(Int()));
    TTestObject::ReadState(Reader);
    Log->push_back("after " + Name() + " Int=" + std::to_string(Int()) + " children=" + std::to_string(ChildrenCount()));
  }
};
std::vector<std::string>* TStateReader::Log = nullptr;

const TMetaClass& TStateReader::StaticClass() {
  return ClassRecord<TStateReader>("TStateReader", &TTestObject::StaticClass(), [](auto& B) { B.Creatable(); });
}

TEST(ReaderHooks, EachComponentReadsItsOwnDataThroughReadState) {
  std::vector<std::string> Log;
  TStateReader::Log = &Log;
  RegisterClass(TStateReader::StaticClass());
  B S;
  S.Sig().Object("TTestForm", "Form1").End();
  S.Object("TStateReader", "Outer").Prop("Int").Int8(1).End();
  S.Object("TStateReader", "Inner").Prop("Int").Int8(2).End().End();
  S.End();
  S.End();
  auto Form = LoadForm(S.Bytes);
  TStateReader::Log = nullptr;
  EXPECT_EQ(Log, (std::vector<std::string>{"before Outer in Form1 reading Int=0", "before Inner in Outer reading Int=0",
                                           "after Inner Int=2 children=0", "after Outer Int=1 children=1"}));
}

TEST(ReaderReferences, ResolvedAfterTheWholeRootByTheNameRules) {
  struct TCase {
    std::string Name;
    std::string Expected;  // name of the component referred to, "" for none
  };
  const std::vector<TCase> Cases = {
      {"Object2", "Object2"},  // stored after the referring component
      {"OBJECT2", "Object2"},
      {"Objekt2", ""},  // misspelt: empty, no error
  };
  for (const TCase& C : Cases) {
    B S;
    S.Sig().Object("TTestForm", "Form1").End();
    S.Object("TTestObject", "Object1").Prop("Ref").Ident(C.Name).End().End();
    S.Object("TTestObject", "Object2").End().End();
    S.End();
    auto Form = LoadForm(S.Bytes);
    TTestObject* Ref = Form->Object1->Ref();
    EXPECT_EQ(Ref ? Ref->Name() : "", C.Expected) << C.Name;
  }
}

TEST(ReaderReferences, OwnedSubComponentsAreReachedByDottedNames) {
  RegisterTestClasses();
  TOwned<TTestForm> Form(new TTestForm(nullptr));
  // Object2 and its owned Sub exist before the stream is read (an inherited description).
  auto* Object2 = new TTestObject(Form.get());
  Object2->SetName("Object2");
  auto* Sub = new TTestObject(Object2);
  Sub->SetName("Sub");
  for (const char* Path : {"Object2.Sub", "Object2->Sub", "Object2-Sub", "Owner.Object2.Sub", "object2.SUB"}) {
    B S;
    S.Sig().Object("TTestForm", "Form1").End();
    S.Object("TTestObject", std::string("R") + std::to_string(Form->ComponentCount())).Prop("Ref").Ident(Path).End().End();
    S.End();
    TBytesStream Stream(S.Bytes);
    TReader Reader(Stream);
    Reader.ReadRootComponent(Form.get());
    auto* R = static_cast<TTestObject*>(Form->Components(Form->ComponentCount() - 1));
    EXPECT_EQ(R->Ref(), Sub) << Path;
  }
}

TEST(ReaderReferences, GlobalReferencesWaitForTheirRoot) {
  RegisterTestClasses();
  // Form1 refers to Other.Target before any global "Other" exists.
  B S1;
  S1.Sig().Object("TTestForm", "Form1").End();
  S1.Object("TTestObject", "Object1").Prop("Ref").Ident("Other.Target").End().End();
  S1.End();
  auto Form1 = LoadForm(S1.Bytes);
  EXPECT_EQ(Form1->Object1->Ref(), nullptr);

  B S2;
  S2.Sig().Object("TTestForm2", "Other").End();
  S2.Object("TTestObject", "Target").End().End();
  S2.End();
  auto Other = LoadForm<TTestForm2>(S2.Bytes);
  ASSERT_EQ(Other->Name(), "Other");
  EXPECT_EQ(Form1->Object1->Ref(), Other->FindComponent("Target"));

  // A pending reference goes away with its holder: freeing it before the target appears is safe.
  B S3;
  S3.Sig().Object("TTestForm", "Form3").End();
  S3.Object("TTestObject", "Object1").Prop("Ref").Ident("Later.Target").End().End();
  S3.End();
  LoadForm(S3.Bytes).reset();
  B S4;
  S4.Sig().Object("TTestForm2", "Later").End().Object("TTestObject", "Target").End().End().End();
  auto Later = LoadForm<TTestForm2>(S4.Bytes);
  EXPECT_NE(Later->FindComponent("Target"), nullptr);
}

TEST(ReaderReferences, AReferenceToAComponentOfTheWrongClassIsRefused) {
  B S;
  S.Sig().Object("TTestForm", "Form1").End();
  S.Object("TTestObject", "Object1").Prop("Ref").Ident("Plain1").End().End();
  S.Object("TTestPlain", "Plain1").End().End();
  S.End();
  EXPECT_EQ(LoadError(S.Bytes), "EReadError: Error reading Object1.Ref: Cannot assign a TTestPlain to a TTestObject");
}

TEST(ReaderEvents, BoundToTheRootsPublishedMethods) {
  B S;
  S.Sig().Object("TTestForm", "Form1").End();
  S.Object("TTestObject", "Object1").Prop("OnClick").Ident("object1click").Prop("OnValue").Ident("ValueChanged").End().End();
  S.Object("TTestObject", "Object2").Prop("OnClick").Ident("Object1Click").Prop("OnValue").Nil().End().End();
  S.End();
  auto Form = LoadForm(S.Bytes);
  Form->Object1->OnClick()(Form->Object1);
  Form->Object2->OnClick()(Form->Object2);
  EXPECT_EQ(Form->Clicks, 2);
  EXPECT_EQ(Form->Object1->OnClick().Data(), Form.get());
  TestLog().clear();
  Form->Object1->OnValue()(42);
  EXPECT_EQ(TestLog(), std::vector<std::string>{"Value 42"});
  EXPECT_FALSE(Form->Object2->OnValue().Assigned());
}

TEST(ReaderEvents, MethodsOfTheDerivedFormAndItsAncestor) {
  B S;
  S.Sig().Object("TTestForm2", "Form1").End();
  S.Object("TTestObject", "Object1").Prop("OnClick").Ident("Object2Click").End().End();
  S.Object("TTestObject", "Object2").Prop("OnClick").Ident("Object1Click").End().End();
  S.End();
  auto Form = LoadForm<TTestForm2>(S.Bytes);
  Form->Object1->OnClick()(nullptr);
  Form->Object2->OnClick()(nullptr);
  EXPECT_EQ(Form->Clicks, 11);
}

TEST(ReaderLoading, LoadedRunsOnceForEachComponentRootFirstThenPostOrder) {
  B S;
  S.Sig().Object("TTestForm", "Form1").End();
  S.Object("TTestObject", "Viewport").End();
  S.Object("TTestObject", "Cylinder1").End().End();
  S.Object("TTestObject", "Cylinder2").End();
  S.Object("TTestObject", "Cylinder3").End().End();
  S.End();
  S.End();
  S.Object("TTestObject", "Panel").End();
  S.Object("TTestObject", "Track").End().End();
  S.End();
  S.Object("TTestPlain", "Timer").End().End();
  S.End();
  TestLog().clear();
  auto Form = LoadForm(S.Bytes);
  EXPECT_EQ(TestLog(), (std::vector<std::string>{"Loaded Form1", "Loaded Cylinder1", "Loaded Cylinder3",
                                                 "Loaded Cylinder2", "Loaded Viewport", "Loaded Track",
                                                 "Loaded Panel", "Loaded Timer"}));
  for (int I = 0; I < Form->ComponentCount(); ++I) EXPECT_FALSE(Form->Components(I)->IsLoading());
  EXPECT_FALSE(Form->IsLoading());
  // Parented as nested, all owned by the root.
  auto* Viewport = static_cast<TTestObject*>(Form->FindComponent("Viewport"));
  ASSERT_EQ(Viewport->ChildrenCount(), 2);
  EXPECT_EQ(Viewport->Children(1)->Name(), "Cylinder2");
  EXPECT_EQ(Viewport->Children(1)->Children(0)->Name(), "Cylinder3");
  EXPECT_EQ(Form->FindComponent("Cylinder3")->Owner(), Form.get());
  EXPECT_EQ(Form->FindComponent("Timer")->GetParentComponent(), nullptr);
}

TEST(ReaderLoading, TwoClassLevelsShareOneLoadedPass) {
  RegisterTestClasses();
  B Base;
  Base.Sig().Object("TTestForm", "Form1").End().Object("TTestObject", "Object1").Prop("Int").Int8(1).End().End().End();
  B Derived;
  Derived.Sig().Object("TTestForm2", "Form1").End();
  Derived.Byte(0xF1).Object("TTestObject", "Object1").Prop("Text").String("more").End().End();
  Derived.Object("TTestObject", "Object2").End().End();
  Derived.End();
  SetResource("TTestForm", RT_RCDATA, Base.Bytes);
  SetResource("TTestForm2", RT_RCDATA, Derived.Bytes);
  TestLog().clear();
  TOwned<TTestForm2> Form(new TTestForm2(nullptr));
  EXPECT_TRUE(InitInheritedComponent(Form.get(), TTreeObject::StaticClass()));
  RemoveResource("TTestForm", RT_RCDATA);
  RemoveResource("TTestForm2", RT_RCDATA);
  EXPECT_EQ(Form->Object1->Int(), 1);
  EXPECT_EQ(Form->Object1->Text(), "more");
  EXPECT_NE(Form->Object2, nullptr);
  EXPECT_EQ(TestLog(), (std::vector<std::string>{"Loaded Form1", "Loaded Object1", "Loaded Object2"}));
}

// Reads a stream of its own when it is loaded, as a control that takes a style copy then does;
// Separate says whether it reads it as a load of its own.
class TLoadedReader : public TTestObject {
  KLV_CLASS(TLoadedReader)
 public:
  using TTestObject::TTestObject;
  static bool Separate;
  TComponent* Read = nullptr;
  bool ReadWasLoading = false;
  void Loaded() override {
    TTestObject::Loaded();
    B S;
    S.Sig().Object("TTestObject", "Copy").End().Object("TTestObject", "CopyChild").End().End().End();
    TBufferStream Stream(S.Bytes.data(), S.Bytes.size());
    TReader Reader(Stream);
    if (Separate) {
      TSeparateLoading Own;
      Read = Reader.ReadRootComponent(nullptr);
    } else {
      Read = Reader.ReadRootComponent(nullptr);
    }
    ReadWasLoading = Read->ComponentState().Contains(csLoading);
  }
  void BeforeDestruction() override {
    if (Read) Read->Free();
    TTestObject::BeforeDestruction();
  }
};
bool TLoadedReader::Separate = false;

const TMetaClass& TLoadedReader::StaticClass() {
  return ClassRecord<TLoadedReader>("TLoadedReader", &TTestObject::StaticClass(), [](auto& B) { B.Creatable(); });
}

TEST(ReaderLoading, WhatIsReadDuringTheLoadedPassIsLoadedToo) {
  RegisterClass(TLoadedReader::StaticClass());
  struct TCase {
    bool Separate;
    bool ReadWasLoading;
    std::vector<std::string> Log;
  };
  const TCase Cases[] = {
      // Read into the form's context: loaded at the end of the form's pass.
      {false, true, {"Loaded Form1", "Loaded Reader", "Loaded Object2", "Loaded Copy", "Loaded CopyChild"}},
      // Read on its own: loaded before the reading component goes on.
      {true, false, {"Loaded Form1", "Loaded Reader", "Loaded Copy", "Loaded CopyChild", "Loaded Object2"}},
  };
  for (const TCase& C : Cases) {
    TLoadedReader::Separate = C.Separate;
    B S;
    S.Sig().Object("TTestForm", "Form1").End();
    S.Object("TLoadedReader", "Reader").End().End();
    S.Object("TTestObject", "Object2").End().End();
    S.End();
    TestLog().clear();
    auto Form = LoadForm(S.Bytes);
    auto* Reader = static_cast<TLoadedReader*>(Form->FindComponent("Reader"));
    ASSERT_NE(Reader->Read, nullptr);
    EXPECT_EQ(Reader->ReadWasLoading, C.ReadWasLoading) << C.Separate;
    EXPECT_FALSE(Reader->Read->ComponentState().Contains(csLoading)) << C.Separate;
    EXPECT_EQ(TestLog(), C.Log) << C.Separate;
  }
}

TEST(ReaderLoading, ChildPositionMovesTheComponent) {
  B S;
  S.Sig().Object("TTestForm", "Form1").End();
  S.Object("TTestObject", "Object1").End().End();
  S.Object("TTestObject", "Object2").End().End();
  S.Byte(0xF2).Int8(0).Object("TTestObject", "First").End().End();
  S.End();
  auto Form = LoadForm(S.Bytes);
  EXPECT_EQ(Form->Children(0)->Name(), "First");
  EXPECT_EQ(Form->Children(2)->Name(), "Object2");
}

TEST(ReaderRootNames, ATakenGlobalNameGetsANumber) {
  B S;
  S.Sig().Object("TTestForm", "Form1").End().End();
  auto First = LoadForm(S.Bytes);
  auto Second = LoadForm(S.Bytes);
  auto Third = LoadForm(S.Bytes);
  EXPECT_EQ(First->Name(), "Form1");
  EXPECT_EQ(Second->Name(), "Form1_1");
  EXPECT_EQ(Third->Name(), "Form1_2");
  Second.reset();
  EXPECT_EQ(LoadForm(S.Bytes)->Name(), "Form1_1");
  // Loading onto a form that already has the name keeps it.
  TBytesStream Stream(S.Bytes);
  TReader Reader(Stream);
  Reader.ReadRootComponent(First.get());
  EXPECT_EQ(First->Name(), "Form1");
}

TEST(ReaderRoot, ARootOfARegisteredClassIsCreatedWhenNoneIsGiven) {
  RegisterTestClasses();
  B S;
  S.Sig().Object("TTestObject", "Made").Prop("Int").Int8(3).End().End();
  TBytesStream Stream(S.Bytes);
  TReader Reader(Stream);
  TOwned<TComponent> Root(Reader.ReadRootComponent(nullptr));
  ASSERT_NE(dynamic_cast<TTestObject*>(Root.get()), nullptr);
  EXPECT_EQ(static_cast<TTestObject*>(Root.get())->Int(), 3);
  EXPECT_FALSE(Root->IsLoading());
}

}  // namespace
