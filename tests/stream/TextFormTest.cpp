#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "shell/stream/ObjectText.h"
#include "shell/stream/Writer.h"
#include "tests/stream/StreamTestUtil.h"

namespace {

using B = TStreamBuilder;

// Every value kind in its plain spelling, and the bytes it stands for.
const std::string CanonicalText =
    std::string("object Form1: TTestForm\n") +
    "  Caption = 'It''s'#13#10'ok'\n"
    "  Count = 300\n"
    "  Small = -5\n"
    "  Wide = -70000\n"
    "  Huge = 1099511627776\n"
    "  Height = 48.566562652587890625\n"
    "  Whole = -10.0\n"
    "  Tiny = 1e-30\n"
    "  Align = Client\n"
    "  MaterialSource = Form2.Material\n"
    "  Visible = True\n"
    "  Hidden = False\n"
    "  Ref = nil\n"
    "  Nothing = Null\n"
    "  Devices = [Desktop, Tablet]\n"
    "  None = []\n"
    "  Long = '" + std::string(256, 'a') + "'\n"
    "  Unicode = 'caf\xC3\xA9 \xE2\x86\x92'\n"
    "  Data = {\n"
    "    000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F\n"
    "    FF}\n"
    "  Empty = {}\n"
    "  List = (\n"
    "    1\n"
    "    'two'\n"
    "    (\n"
    "      Three))\n"
    "  Fill.Gradient.Points = <\n"
    "    item\n"
    "      Color = claBlack\n"
    "    end\n"
    "    item\n"
    "      Color = claWhite\n"
    "      Offset = 1.0\n"
    "    end>\n"
    "  NoItems = <>\n"
    "  object Viewport3D1: TViewport\n"
    "    object TCylinder\n"
    "    end\n"
    "  end\n"
    "end\n";

std::vector<uint8_t> CanonicalBytes() {
  B E;
  E.Sig().Object("TTestForm", "Form1");
  E.Prop("Caption").String("It's\r\nok");
  E.Prop("Count").Int16(300);
  E.Prop("Small").Int8(-5);
  E.Prop("Wide").Int32(-70000);
  E.Prop("Huge").Int64(1099511627776);
  E.Prop("Height").Ext(48.566562652587890625L);
  E.Prop("Whole").Ext(-10);
  E.Prop("Tiny").Ext(1e-30L);
  E.Prop("Align").Ident("Client");
  E.Prop("MaterialSource").Ident("Form2.Material");
  E.Prop("Visible").True();
  E.Prop("Hidden").False();
  E.Prop("Ref").Nil();
  E.Prop("Nothing").Byte(vaNull);
  E.Prop("Devices").Set({"Desktop", "Tablet"});
  E.Prop("None").Set({});
  E.Prop("Long").LString(std::string(256, 'a'));
  E.Prop("Unicode").Utf8("caf\xC3\xA9 \xE2\x86\x92");
  std::vector<uint8_t> Data;
  for (int I = 0; I < 32; ++I) Data.push_back(static_cast<uint8_t>(I));
  Data.push_back(0xFF);
  E.Prop("Data").Binary(Data);
  E.Prop("Empty").Binary({});
  E.Prop("List").Byte(vaList).Int8(1).String("two").Byte(vaList).Ident("Three").End().End();
  E.Prop("Fill.Gradient.Points").Byte(vaCollection);
  E.Byte(vaList).Prop("Color").Ident("claBlack").End();
  E.Byte(vaList).Prop("Color").Ident("claWhite").Prop("Offset").Ext(1).End();
  E.End();
  E.Prop("NoItems").Byte(vaCollection).End();
  E.End();
  E.Object("TViewport", "Viewport3D1").End();
  E.Object("TCylinder", "").End().End();
  E.End();
  E.End();
  return E.Bytes;
}

TEST(TextForm, PlainNotationCompilesToItsBytesAndBack) {
  std::vector<uint8_t> Bytes = CanonicalBytes();
  EXPECT_EQ(ObjectTextToBinary(CanonicalText), Bytes);
  EXPECT_EQ(ObjectBinaryToText(Bytes), CanonicalText);
}

TEST(TextForm, KeywordsAndNamesIgnoreCaseAndLayout) {
  const char* Loose =
      "// the form\n"
      "OBJECT Form1 : TTestForm   // trailing note\n"
      "\tVISIBLE=true  Ref=NIL\n"
      "  Caption = 'a' + \n"
      "            'b'#33\n"
      "  object Child: TButton end\n"
      "END\n";
  B E;
  E.Sig().Object("TTestForm", "Form1");
  E.Prop("VISIBLE").True().Prop("Ref").Nil().Prop("Caption").String("ab!").End();
  E.Object("TButton", "Child").End().End();
  E.End();
  EXPECT_EQ(ObjectTextToBinary(Loose), E.Bytes);
}

// Streams that no writer here makes but a reader accepts: explicit tags, other encodings, prefix
// flags, raw floats. Each keeps its exact bytes through the text form.
TEST(TextForm, EveryOtherSpellingKeepsItsBytes) {
  std::vector<std::pair<const char*, std::function<void(B&)>>> Values = {
      {"int16(5)", [](B& V) { V.Int16(5); }},
      {"int32(-1)", [](B& V) { V.Int32(-1); }},
      {"int64(7)", [](B& V) { V.Int64(7); }},
      {"single(1.5)", [](B& V) { V.Single(1.5f); }},
      {"single($7FC00001)", [](B& V) { V.Byte(vaSingle).LE(0x7FC00001, 4); }},
      {"double(0.1)", [](B& V) { V.Double(0.1); }},
      {"double($FFF0000000000000)", [](B& V) { V.Double(-std::numeric_limits<double>::infinity()); }},
      {"date(45000.25)", [](B& V) { V.Byte(vaDate).LE(0x40E5F90800000000ull, 8); }},
      {"currency(-12.3456)", [](B& V) { V.Byte(vaCurrency).LE(static_cast<uint64_t>(-123456), 8); }},
      {"currency(-922337203685477.5808)", [](B& V) { V.Byte(vaCurrency).LE(0x8000000000000000ull, 8); }},
      {"extended($7FFFC000000000000001)", [](B& V) { V.Byte(vaExtended).LE(0xC000000000000001ull, 8).LE(0x7FFF, 2); }},
      {"extended($40000000000000000000)", [](B& V) { V.Byte(vaExtended).LE(0, 8).LE(0x4000, 2); }},  // unnormal
      {"-0.0", [](B& V) { V.Ext(-0.0L); }},
      {"ansi('caf'#233)", [](B& V) { V.String("caf\xE9"); }},
      {"lstring('short')", [](B& V) { V.LString("short"); }},
      {"utf8('ascii')", [](B& V) { V.Utf8("ascii"); }},
      {"#255'x'", [](B& V) { V.Utf8("\xFFx"); }},
      {"wide('a'#55296'\xF0\x9F\x98\x80')", [](B& V) { V.Wide(u"a\xD800\U0001F600"); }},
      {"wide('')", [](B& V) { V.Wide(u""); }},
      {"ident('A->B')", [](B& V) { V.Ident("A->B"); }},
      {"ident('true')", [](B& V) { V.Ident("true"); }},
      {"ident('')", [](B& V) { V.Ident(""); }},
      {"!Client", [](B& V) { V.Byte(vaIdent | 0x80).Str("Client"); }},
      {"!Null", [](B& V) { V.Byte(0x80); }},
      {"['two words', toFirst]", [](B& V) { V.Set({"two words", "toFirst"}); }},
      {"<\n    item [int16(3)]\n      X = 1\n    end>", [](B& V) { V.Byte(vaCollection).Int16(3).Byte(vaList).Prop("X").Int8(1).End().End(); }},
  };
  for (auto& [Text, Build] : Values) {
    B S;
    S.Sig().Object("TThing", "Thing").Prop("Value");
    Build(S);
    S.End().End();
    std::string Expected = std::string("object Thing: TThing\n  Value = ") + Text + "\nend\n";
    EXPECT_EQ(ObjectBinaryToText(S.Bytes), Expected) << Text;
    EXPECT_EQ(ObjectTextToBinary(Expected), S.Bytes) << Text;
  }
}

TEST(TextForm, PrefixFlagsAndChildPositions) {
  B S;
  S.Sig().Object("TRoot", "Root").End();
  S.Byte(0xF1).Object("TA", "A").End().End();
  S.Byte(0xF4).Object("TB", "B").End().End();
  S.Byte(0xF2).Int8(2).Object("TC", "C").End().End();
  S.Byte(0xF3).Int16(1).Object("TD", "D").End().End();
  S.Byte(0xF0).Object("TE", "E").End().End();
  S.Byte(0xF5).Object("TF", "F").End().End();
  S.Object("odd class", "odd name").Prop("x y").Int8(1).End().End();
  S.End();
  const char* Text =
      "object Root: TRoot\n"
      "  inherited A: TA\n"
      "  end\n"
      "  inline B: TB\n"
      "  end\n"
      "  object C: TC [2]\n"
      "  end\n"
      "  inherited D: TD [int16(1)]\n"
      "  end\n"
      "  object prefix($F0) E: TE\n"
      "  end\n"
      "  inherited prefix($F5) F: TF\n"
      "  end\n"
      "  object 'odd name': 'odd class'\n"
      "    'x y' = 1\n"
      "  end\n"
      "end\n";
  EXPECT_EQ(ObjectBinaryToText(S.Bytes), Text);
  EXPECT_EQ(ObjectTextToBinary(Text), S.Bytes);
}

TEST(TextForm, AfterAPrefixAClassNameMayBeAsLongAsAnyName) {
  // The prefix comes first, so the length byte cannot be taken for one (found by fuzzing).
  const std::string Long = "T" + std::string(254, 'L');
  B S;
  S.Sig().Byte(0xF0).Object(Long, "X").End().End();
  const std::string Text = "object prefix($F0) X: " + Long + "\nend\n";
  EXPECT_EQ(ObjectBinaryToText(S.Bytes), Text);
  EXPECT_EQ(ObjectTextToBinary(Text), S.Bytes);
}

TEST(TextForm, WriterOutputSurvivesTextAndLoadsToTheSameValues) {
  RegisterTestClasses();
  TOwned<TTestForm> Form(new TTestForm(nullptr));
  Form->SetName("TextRoundTrip");
  auto* O = new TTestObject(Form.get());
  O->SetName("Object1");
  O->SetParent(Form.get());
  O->SetInt(-180);
  O->SetRatio(51.3176422f);
  O->SetPrecise(std::numeric_limits<double>::denorm_min());
  O->SetBig(INT64_MIN);
  O->SetText("tab\there \xE2\x82\xAC");
  O->SetLetter(u'\'');
  O->SetColor(0x80FF0000);
  O->SetOptions({toThird});
  O->Position()->SetY(-1.48959637f);
  O->SetOnClick(TNotifyEvent(Form.get(), &TTestForm::Object1Click));
  O->Extra = 99;
  O->Note = std::string(300, 'n');
  TBytesStream Stream;
  {
    TWriter W(Stream);
    W.WriteRootComponent(Form.get());
  }
  std::vector<uint8_t> Bytes = Stream.Bytes();
  std::string Text = ObjectBinaryToText(Bytes);
  EXPECT_EQ(ObjectTextToBinary(Text), Bytes);
  Form.reset();
  auto Copy = LoadForm(ObjectTextToBinary(Text));
  TTestObject* C = Copy->Object1;
  ASSERT_NE(C, nullptr);
  EXPECT_EQ(C->Int(), -180);
  EXPECT_EQ(C->Ratio(), 51.3176422f);
  EXPECT_EQ(C->Precise(), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(C->Big(), INT64_MIN);
  EXPECT_EQ(C->Text(), "tab\there \xE2\x82\xAC");
  EXPECT_EQ(C->Letter(), u'\'');
  EXPECT_EQ(C->Color(), 0x80FF0000u);
  EXPECT_EQ(C->Options(), TTestOptions{toThird});
  EXPECT_EQ(C->Position()->Y(), -1.48959637f);
  EXPECT_EQ(C->Extra, 99);
  EXPECT_EQ(C->Note, std::string(300, 'n'));
  C->OnClick()(nullptr);
  EXPECT_EQ(Copy->Clicks, 1);
}

TEST(TextForm, ErrorsNameTheLine) {
  const std::vector<std::pair<std::string, std::string>> Cases = {
      {"", "'object' expected on line 1"},
      {"thing X: T\nend\n", "'object' expected on line 1"},
      {"object X: T\n  A 1\nend\n", "'=' expected on line 2"},
      {"object X: T\n  A = 'open\nend\n", "Unterminated string on line 2"},
      {"object X: T\n  A = 1\n", "'end' expected on line 3"},
      {"object X: T\n  object Y: T\n  end\n  A = 1\nend\n", "Properties must come before child objects on line 4"},
      {"object X: T\n\n  A = 1.2.3\nend\n", "Invalid number 1.2.3 on line 3"},
      {"object X: T\n  A = 99999999999999999999\nend\n", "Invalid integer 99999999999999999999 on line 2"},
      {"object X: T\n  A = int8(200)\nend\n", "200 out of range for int8 on line 2"},
      {"object X: T\n  A = {0G}\nend\n", "Hexadecimal digit expected in binary value on line 2"},
      {"object X: T\n  A = {012}\nend\n", "Odd number of hexadecimal digits in binary value on line 2"},
      {"object X: T\n  A = [a, ]\nend\n", "Set element expected on line 2"},
      {"object X: T\n  A = <\n    thing\n  >\nend\n", "'item' or '>' expected on line 3"},
      {"object X: T\n  A = ansi(#300)\nend\n", "Character code above 255 in a byte string on line 2"},
      {"object X: T\n  A = extended($12)\nend\n", "20 hexadecimal digits expected on line 2"},
      {"object X: T\n  A = ;\nend\n", "Unexpected character ';' on line 2"},
      {"object X: T [1] prefix($F0)\nend\n", "'=' expected on line 1"},
      {"object prefix($F0) X: T [1]\nend\n", "Child position does not match the prefix on line 1"},
      {"object X: T\nend\nobject Y: T\nend\n", "End of text expected after the root object on line 3"},
      // Null's tag ends a list, so inside one it would cut the list short (found by fuzzing).
      {"object X: T\n  A = (\n    1\n    Null [x]\n  )\nend\n", "Null cannot be a list's item on line 4"},
      {"object X: T\n  A = ((null))\nend\n", "Null cannot be a list's item on line 2"},
      // The reader takes a length byte of $F0 or more for a prefix (found by fuzzing).
      {"object X:\n  T" + std::string(239, 'L') + "\nend\n", "Class name longer than 239 bytes on line 1"},
  };
  for (auto& [Text, Message] : Cases) {
    try {
      ObjectTextToBinary(Text);
      ADD_FAILURE() << "no error for: " << Text;
    } catch (const EParserError& E) {
      EXPECT_EQ(E.Message(), Message) << Text;
    }
  }
}

TEST(TextForm, BinaryThatCannotBeConvertedIsRefusedLikeTheReader) {
  EXPECT_THROW(ObjectBinaryToText({'T', 'P', 'F'}), EReadError);
  B Truncated;
  Truncated.Sig().Object("T", "X").Prop("A").Raw({vaLString, 0xFF, 0xFF, 0xFF, 0x7F, 'a'});
  try {
    ObjectBinaryToText(Truncated.Bytes);
    ADD_FAILURE();
  } catch (const EReadError& E) {
    EXPECT_EQ(E.Message(), "Stream read error");
  }
  B BadTag;
  BadTag.Sig().Object("T", "X").Prop("A").Byte(99).End().End();
  try {
    ObjectBinaryToText(BadTag.Bytes);
    ADD_FAILURE();
  } catch (const EReadError& E) {
    EXPECT_EQ(E.Message(), "Invalid property value");
  }
}

}  // namespace

namespace {
TEST(TextForm, NamesThatAreNoDottedIdentifiersAreQuoted) {
  for (const char* Name : {"Fill.1ind", "a..b", "1x", ".a", "a.", "Fill.Kind_2"}) {
    B S;
    S.Sig().Object("T", "X").Prop(Name).Int8(1).End().End();
    std::string Text = ObjectBinaryToText(S.Bytes);
    bool Quoted = Text.find(std::string("'") + Name + "' = 1") != std::string::npos;
    EXPECT_EQ(Quoted, std::string(Name) != "Fill.Kind_2") << Text;
    EXPECT_EQ(ObjectTextToBinary(Text), S.Bytes) << Name;
  }
}
}  // namespace
