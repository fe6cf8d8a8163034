// kelvane-form check: a file is taken for a binary stream or a text form by what its bytes can
// be, so that each fault gets its own message, and every error names the file.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/tools/ToolRun.h"

namespace {

TToolRun RunForm(const std::string& Arguments) { return RunTool(KELVANE_FORM_TOOL, Arguments); }

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
    const char* Output;  // after "FILE: ", or "ok"
  };
  const TCase Cases[] = {
      {"text", Text, nullptr},
      {"stream", Stream, nullptr},
      // A damaged signature is a damaged stream, not a text without 'object'.
      {"tpf1", "TPF1" + Stream.substr(4), "Invalid stream format"},
      {"tpf-only", "TPF", "Invalid stream format"},
      // Bytes that no text holds: a stream whose signature is gone altogether.
      {"no-signature", "XXXX" + Stream.substr(4), "Invalid stream format"},
      {"nul", std::string("object F: TForm\0end\n", 20), "Invalid stream format"},
      // Texts, also with tabs and CR LF line ends, keep the text compiler's messages.
      {"text-error", "object F: TForm\r\n\tCaption 'x'\r\nend\r\n", "'=' expected on line 2"},
      {"empty", "", "'object' expected on line 1"},
      {"words", "TForm F\n", "'object' expected on line 1"},
      {"load-error", "object F: TForm\n  OnCreate = FormCreate\nend\n",
       "Error reading F.OnCreate: Invalid property value"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    const std::string Path = Temp.Write(std::string(C.Name) + ".form", C.Bytes);
    const TToolRun R = RunForm("check " + Path);
    if (!C.Output) {
      EXPECT_EQ(R.Status, 0);
      EXPECT_EQ(R.Output, "ok\n");
    } else {
      EXPECT_EQ(R.Status, 1);
      EXPECT_EQ(R.Output, Path + ": " + C.Output + "\n");
    }
  }
  const TToolRun Missing = RunForm("check " + Temp.Path() + "/none.txt");
  EXPECT_EQ(Missing.Status, 1);
  EXPECT_EQ(Missing.Output, Temp.Path() + "/none.txt: Cannot read " + Temp.Path() + "/none.txt\n");
}

}  // namespace
