// kelvane-rc: compile reports a text form that does not compile as FILE:LINE: MESSAGE on
// standard error, as every tool reports a place in a text; resources, which
// kelvane_add_resources runs, compiles text forms (comments before the root object too),
// checks binary forms and embeds other files as they are; whatever cannot be embedded fails
// with the file named, a broken text form with its line.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/tools/ToolRun.h"

namespace {

TEST(ResourceCompilerTest, ATextThatDoesNotCompileIsNamedWithItsLine) {
  TTempFolder Temp;
  const std::string Good = Temp.Write("good.txt", "object F: TForm\n  Caption = 'x'\nend\n");
  const TToolRun Ok = RunToolSplit(KELVANE_RC_TOOL, "compile " + Good + " " + Temp.Path() + "/good.bin");
  EXPECT_EQ(Ok.Status, 0);
  EXPECT_EQ(Ok.Errors, "");
  const std::string Bad = Temp.Write("bad.txt", "object F: TForm\n  Caption 'x'\nend\n");
  const TToolRun R = RunToolSplit(KELVANE_RC_TOOL, "compile " + Bad + " " + Temp.Path() + "/bad.bin");
  EXPECT_EQ(R.Status, 1);
  EXPECT_EQ(R.Output, "");
  EXPECT_EQ(R.Errors, Bad + ":2: '=' expected\n");
}

std::string ReadText(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

// The bytes of a resource as the generated source spells them: " 84, 80, 70, 48," for "TPF0".
std::string Spelled(const std::string& Bytes) {
  std::string Out;
  for (unsigned char C : Bytes) {
    Out += ' ';
    Out += std::to_string(C);
    Out += ',';
  }
  return Out;
}

TEST(ResourceCompilerTest, EmbedsFormsAndFilesUnderTheirNames) {
  TTempFolder Temp;
  const std::string Text = Temp.Write("Hello.txt", "// The form.\n\nobject Hello: THello\n  Caption = 'x'\nend\n");
  ASSERT_EQ(RunTool(KELVANE_RC_TOOL, "compile " + Text + " " + Temp.Path() + "/Hello.bin").Status, 0);
  const std::string Binary = ReadText(Temp.Path() + "/Hello.bin");
  ASSERT_EQ(Binary.substr(0, 4), "TPF0");
  const std::string Raw = Temp.Write("data.txt", "objects are not forms\n");
  const std::string Out = Temp.Path() + "/Resources.cpp";

  const TToolRun R = RunTool(KELVANE_RC_TOOL, "resources " + Out + " THELLO " + Text + " COPY " + Temp.Path() +
                                                  "/Hello.bin DATA " + Raw);
  ASSERT_EQ(R.Status, 0) << R.Output;
  const std::string Source = ReadText(Out);
  EXPECT_NE(Source.find("RegisterResource(\"THELLO\", \"RCDATA\", Resource0, " + std::to_string(Binary.size()) + ");"),
            std::string::npos);
  EXPECT_NE(Source.find("RegisterResource(\"COPY\", \"RCDATA\", Resource1, " + std::to_string(Binary.size()) + ");"),
            std::string::npos);
  EXPECT_NE(Source.find("RegisterResource(\"DATA\", \"RCDATA\", Resource2, 22);"), std::string::npos);
  // The text form went in compiled, the raw file as it is.
  EXPECT_NE(Source.find(Spelled(Binary.substr(0, 20))), std::string::npos);
  EXPECT_NE(Source.find(Spelled("objects are not form")), std::string::npos);
}

TEST(ResourceCompilerTest, WhatCannotBeEmbeddedFailsNamingTheFile) {
  TTempFolder Temp;
  const std::string Broken = Temp.Write("Broken.txt", "object F: TForm\n  Left = 0\n  Top =\n  Width = 3\nend\n");
  const std::string Open = Temp.Write("Open.txt", "object F: TForm\n  Left = 0\n");
  const std::string Cut = Temp.Write("Cut.bin", std::string("TPF0\x05TForm", 10));
  const std::string Good = Temp.Write("Good.txt", "object F: TForm\nend\n");
  const std::string Missing = Temp.Path() + "/Missing.txt";
  const std::string Out = Temp.Path() + "/Resources.cpp";
  struct TCase {
    std::string Arguments;
    std::string Error;
  };
  const TCase Cases[] = {
      {"F " + Broken, Broken + ":4: Property name expected"},
      {"F " + Open, Open + ":3: 'end' expected"},
      {"F " + Cut, Cut + ": Stream read error"},
      {"F " + Missing, Missing + ": cannot read"},
      {"2F " + Good, Good + ": 2F is not a valid resource name"},
      {"F " + Good + " f " + Good, Good + ": a resource f of type RCDATA exists already"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Arguments);
    const TToolRun R = RunTool(KELVANE_RC_TOOL, "resources " + Out + " " + C.Arguments);
    EXPECT_EQ(R.Status, 1);
    EXPECT_EQ(R.Output, C.Error + "\n");
  }
  // NAME FILE pairs, at least one.
  EXPECT_EQ(RunTool(KELVANE_RC_TOOL, "resources " + Out).Status, 2);
  EXPECT_EQ(RunTool(KELVANE_RC_TOOL, "resources " + Out + " F").Status, 2);
}

}  // namespace
