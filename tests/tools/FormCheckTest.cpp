// kelvane-form check: a file is taken for a binary stream or a text form by what its bytes can
// be, so that each fault gets its own message, and every error names the file, and the line of
// a text form where one is known, on standard error.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/tools/ToolRun.h"

namespace {

TToolRun RunForm(const std::string& Arguments) { return RunToolSplit(KELVANE_FORM_TOOL, Arguments); }

std::string ReadAll(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), {}};
}

TEST(FormCheckTest, StreamsAndTextsGetTheirOwnMessagesAfterTheFileName) {
  TTempFolder Temp;
  const std::string Text = "object F: TForm\n  Caption = 'x'\nend\n";
  const std::string TextPath = Temp.Write("good.txt", Text);
  const std::string BinaryPath = Temp.Path() + "/good.bin";
  ASSERT_EQ(RunForm("binary " + TextPath + " " + BinaryPath).Status, 0);
  const std::string Stream = ReadAll(BinaryPath);
  ASSERT_EQ(Stream.substr(0, 4), "TPF0");

  struct TCase {
    const char* Name;
    std::string Bytes;
    const char* Error;  // after "FILE", or none for "ok"
  };
  const TCase Cases[] = {
      {"text", Text, nullptr},
      {"stream", Stream, nullptr},
      // A damaged signature is a damaged stream, not a text without 'object'.
      {"tpf1", "TPF1" + Stream.substr(4), ": Invalid stream format"},
      {"tpf-only", "TPF", ": Invalid stream format"},
      // Bytes that no text holds: a stream whose signature is gone altogether.
      {"no-signature", "XXXX" + Stream.substr(4), ": Invalid stream format"},
      {"nul", std::string("object F: TForm\0end\n", 20), ": Invalid stream format"},
      // Texts, also with tabs and CR LF line ends, keep the text compiler's messages, after
      // the line they name.
      {"text-error", "object F: TForm\r\n\tCaption 'x'\r\nend\r\n", ":2: '=' expected"},
      {"empty", "", ":1: 'object' expected"},
      {"words", "TForm F\n", ":1: 'object' expected"},
      // A text form that does not load: the line of the property the loader names, in the
      // object it names (not the first of that name elsewhere), or of the object.
      {"load-error", "object F: TForm\n  Caption = 'x'\n  OnCreate = FormCreate\nend\n",
       ":3: Error reading F.OnCreate: Invalid property value: FormCreate (TForm publishes no handler for it)"},
      {"nested-load-error",
       "object F: TForm\n  object P: TPanel\n    Width = 1\n    object Q: TPanel\n      Width = x\n    end\n  end\nend\n",
       ":5: Error reading Q.Width: Invalid property value"},
      {"no-such-property", "object F: TForm\n  object P: TPanel\n    Colour = 1\n  end\nend\n",
       ":3: Error reading P.Colour: Property Colour does not exist"},
      {"class", "object F: TForm\n  object P: TNoSuchPanel\n  end\nend\n", ": Class TNoSuchPanel not found"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    const std::string Path = Temp.Write(std::string(C.Name) + ".form", C.Bytes);
    const TToolRun R = RunForm("check " + Path);
    if (!C.Error) {
      EXPECT_EQ(R.Status, 0);
      EXPECT_EQ(R.Output, "ok\n");
      EXPECT_EQ(R.Errors, "");
    } else {
      EXPECT_EQ(R.Status, 1);
      EXPECT_EQ(R.Output, "");
      EXPECT_EQ(R.Errors, Path + C.Error + "\n");
    }
  }
  const TToolRun Missing = RunForm("check " + Temp.Path() + "/none.txt");
  EXPECT_EQ(Missing.Status, 1);
  EXPECT_EQ(Missing.Errors, Temp.Path() + "/none.txt: Cannot read " + Temp.Path() + "/none.txt\n");
}

TEST(FormCheckTest, AHandlerTheFormDoesNotPublishStopsTheLoadAtItsLineNamingTheHandlersOffered) {
  // The game's form with a misspelt handler: loading fails as at start-up (an error, not a
  // warning), at the line of the event, and the message lists what the class publishes.
  const std::string Game = ReadAll(std::string(KELVANE_SOURCE_DIR) + "/resources/Form1.txt");
  const size_t At = Game.find("OnClick = Button1Click");
  ASSERT_NE(At, std::string::npos);
  const int Line = 1 + static_cast<int>(std::count(Game.begin(), Game.begin() + static_cast<long>(At), '\n'));
  std::string Misspelt = Game;
  Misspelt.replace(At, 22, "OnClick = Button1Clik");
  TTempFolder Temp;
  const std::string Path = Temp.Write("Form1.txt", Misspelt);
  for (const char* Switch : {"", "--strict "}) {
    SCOPED_TRACE(Switch);
    const TToolRun R = RunForm(std::string("check ") + Switch + Path);
    EXPECT_EQ(R.Status, 1);
    EXPECT_EQ(R.Output, "");
    EXPECT_EQ(R.Errors, Path + ":" + std::to_string(Line) +
                            ": Error reading Button1.OnClick: Invalid property value: Button1Clik (TForm1 publishes "
                            "TrackBar1Change, Button1Click, Timer1Timer, Timer2Timer, FormCreate)\n");
  }
}

TEST(FormCheckTest, WhatLoadsButIsNotDrawnOrNotFoundIsAWarningThatStrictMakesAnError) {
  TTempFolder Temp;
  // A view with a material source and a layer: the sound parts every case shares.
  auto Form = [](const std::string& Inside) {
    return "object F: TForm\n"
           "  object V: TViewport3D\n"
           "    object Source: TColorMaterialSource\n"
           "    end\n"
           "    object L: TLayer3D\n"
           "      object B: TButton\n"
           "      end\n"
           "    end\n" +
           Inside + "  end\nend\n";
  };
  struct TCase {
    const char* Name;
    std::string Text;
    const char* Warning;  // after "FILE", or none
  };
  const TCase Cases[] = {
      {"sound", Form("    object C: TCylinder\n      MaterialSource = Source\n    end\n"), nullptr},
      {"misspelt reference", Form("    object C: TCylinder\n      MaterialSource = Sourse\n    end\n"),
       ":10: warning: C.MaterialSource names Sourse, which the form does not hold: it is nil"},
      {"3D object in a panel",
       "object F: TForm\n  object P: TPanel\n    object C: TCylinder\n    end\n  end\nend\n",
       ":3: warning: the 3D object C is in P, which draws no 3D objects: it is not drawn (3D objects go in a "
       "TViewport3D or another 3D object)"},
      {"control under a dummy", Form("    object D: TDummy\n      object B2: TButton\n      end\n    end\n"),
       ":10: warning: the control B2 is in the 3D object D, which draws no controls: it is not drawn (controls on a "
       "3D scene go on a TLayer3D)"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    std::string File = C.Name;
    std::replace(File.begin(), File.end(), ' ', '-');
    const std::string Path = Temp.Write(File + ".txt", C.Text);
    const TToolRun R = RunForm("check " + Path);
    EXPECT_EQ(R.Status, 0);
    EXPECT_EQ(R.Output, "ok\n");
    EXPECT_EQ(R.Errors, C.Warning ? Path + C.Warning + "\n" : "");
    const TToolRun Strict = RunForm("check --strict " + Path);
    EXPECT_EQ(Strict.Status, C.Warning ? 1 : 0);
    EXPECT_EQ(Strict.Output, C.Warning ? "" : "ok\n");
    EXPECT_EQ(Strict.Errors, R.Errors);
  }
}

}  // namespace
