#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>

#include "shell/stream/ObjectText.h"
#include "shell/stream/Reader.h"

namespace {

// The repository's resources/ folder: from the test environment, else next to this file.
std::string ResourcePath(const std::string& File) {
  if (const char* Root = std::getenv("KELVANE_SOURCE_DIR")) return std::string(Root) + "/resources/" + File;
  std::string Here = __FILE__;
  return Here.substr(0, Here.rfind("/tests/stream/")) + "/resources/" + File;
}

std::string ReadText(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

// One object of the stream as read: its class, its records by name and its children.
struct TStored {
  std::string Class, Name;
  std::vector<std::pair<std::string, std::string>> Records;  // name, value as text
  std::vector<TStored> Children;
};

std::string ValueText(TReader& R) {
  switch (R.NextValue()) {
    case vaExtended: {
      char Buf[64];
      std::snprintf(Buf, sizeof Buf, "%.9Lg", R.ReadFloat());
      return Buf;
    }
    case vaInt8:
    case vaInt16:
    case vaInt32: return std::to_string(R.ReadInteger());
    case vaString: {
      std::string Quoted = "'";
      Quoted += R.ReadString();
      Quoted += '\'';
      return Quoted;
    }
    case vaIdent:
    case vaFalse:
    case vaTrue: return R.ReadIdent();
    default: R.SkipValue(); return "...";
  }
}

TStored ReadObject(TReader& R) {
  TStored O;
  TFilerFlags Flags;
  int Pos;
  R.ReadPrefix(Flags, Pos);
  O.Class = R.ReadStr();
  O.Name = R.ReadStr();
  while (!R.EndOfList()) {
    std::string Name = R.ReadStr();
    O.Records.emplace_back(Name, ValueText(R));
  }
  R.ReadValue();
  while (!R.EndOfList()) O.Children.push_back(ReadObject(R));
  R.ReadValue();
  return O;
}

std::string Value(const TStored& O, const std::string& Name) {
  for (auto& [N, V] : O.Records)
    if (N == Name) return V;
  return "(none)";
}

TEST(Form1Resource, CompilesAndSurvivesTheTextForm) {
  std::string Text = ReadText(ResourcePath("Form1.txt"));
  ASSERT_FALSE(Text.empty());
  std::vector<uint8_t> Bytes = ObjectTextToBinary(Text);
  EXPECT_EQ(ObjectTextToBinary(ObjectBinaryToText(Bytes)), Bytes);
}

TEST(Form1Resource, HoldsTheGamesTreeAndValues) {
  std::vector<uint8_t> Bytes = ObjectTextToBinary(ReadText(ResourcePath("Form1.txt")));
  TBufferStream Stream(Bytes.data(), Bytes.size());
  TReader R(Stream);
  R.ReadSignature();
  TStored Form = ReadObject(R);
  EXPECT_EQ(Form.Class, "TForm1");
  EXPECT_EQ(Form.Name, "Form1");
  EXPECT_EQ(Value(Form, "OnCreate"), "FormCreate");
  EXPECT_EQ(Value(Form, "DesignerMasterStyle"), "0");
  EXPECT_EQ(Value(Form, "Caption"), "'Form1'");

  // Class and name of every object in stored order, depth first.
  std::vector<std::string> Order;
  std::map<std::string, const TStored*> ByName;
  std::function<void(const TStored&, int)> Walk = [&](const TStored& O, int Depth) {
    Order.push_back(std::string(static_cast<size_t>(Depth) * 2, ' ') + O.Name + ":" + O.Class);
    ByName[O.Name] = &O;
    for (const TStored& C : O.Children) Walk(C, Depth + 1);
  };
  Walk(Form, 0);
  EXPECT_EQ(Order, (std::vector<std::string>{
                       "Form1:TForm1", "  Viewport3D1:TViewport3D", "    Cylinder1:TCylinder",
                       "    Layer3D1:TLayer3D", "    Cylinder2:TCylinder", "      Cylinder3:TCylinder",
                       "  Panel1:TPanel", "    TrackBar1:TTrackBar", "    Button1:TButton", "  Timer1:TTimer",
                       "  Timer2:TTimer", "  ColorMaterialSource1:TColorMaterialSource"}));

  const TStored& Layer = *ByName["Layer3D1"];
  EXPECT_EQ(Value(Layer, "Height"), "48.5665627");
  EXPECT_EQ(Value(Layer, "Width"), "51.3176422");
  EXPECT_EQ(Value(Layer, "Quanternion"), "'(0.70710676908493,0,0,0.70710676908493)'");
  // The quaternion is stored after the rotation that it replaces.
  EXPECT_EQ(Layer.Records.back().first, "Quanternion");
  EXPECT_EQ(Value(*ByName["Cylinder3"], "Position.X"), "-0.0788380727");
  EXPECT_EQ(Value(*ByName["Cylinder3"], "Position.Y"), "-1.48959637");
  EXPECT_EQ(Value(*ByName["Cylinder1"], "MaterialSource"), "ColorMaterialSource1");
  EXPECT_EQ(Value(*ByName["Timer1"], "Enabled"), "False");
  EXPECT_EQ(Value(*ByName["Timer2"], "Enabled"), "(none)");
  EXPECT_EQ(Value(*ByName["Timer2"], "Left"), "528");
  EXPECT_EQ(Value(*ByName["ColorMaterialSource1"], "Color"), "claYellow");
  EXPECT_EQ(Value(*ByName["TrackBar1"], "Min"), "-180");
  EXPECT_EQ(Value(*ByName["Button1"], "Text"), "'Start'");
}

}  // namespace
