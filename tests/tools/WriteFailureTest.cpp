// Every tool that writes checks its writes and their close: a full disk (/dev/full, also
// reached through a link under the name a tool chooses) or a missing folder is an error that
// names the path and carries the system's message, never a silent success.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "tests/tools/ToolRun.h"

namespace {

// Runs Program with Arguments, its standard output going to StandardOutput; what comes back
// is its standard error.
TToolRun RunWithOutputTo(const std::string& Program, const std::string& Arguments, const std::string& StandardOutput) {
  return RunCommand(Program + " " + Arguments + " 2>&1 >" + StandardOutput);
}

TEST(WriteFailureTest, EveryToolReportsAWriteThatFailed) {
  TTempFolder Temp;
  const std::string Dir = Temp.Path();
  const std::string Form = Temp.Write("form.txt", "object F: TForm\n  Caption = 'x'\nend\n");
  const std::string Script = Temp.Write("script.txt", "get F.Caption\nframe /dev/full\n");
  ASSERT_EQ(RunTool(KELVANE_FORM_TOOL, "binary " + Form + " " + Dir + "/form.bin").Status, 0);
  // The style tool draws its artwork under names of its own: one of them leads to the full disk.
  ASSERT_EQ(symlink("/dev/full", (Dir + "/win7-style-1.5.png").c_str()), 0);
  // Artwork to pack.
  ASSERT_EQ(RunCommand("mkdir " + Dir + "/art").Status, 0);
  ASSERT_EQ(RunTool(KELVANE_STYLE_BUILD_TOOL, "art win7 " + Dir + "/art").Status, 0);

  const std::string Full = "Cannot write /dev/full: No space left on device";
  const std::string FullOutput = "Cannot write standard output: No space left on device";
  struct TCase {
    const char* Program;
    std::string Arguments;
    std::string StandardOutput;  // where it goes
    std::string Error;           // what the tool says on standard error
  };
  const TCase Cases[] = {
      {KELVANE_FORM_TOOL, "binary " + Form + " /dev/full", "/dev/null", "kelvane-form: " + Full},
      {KELVANE_FORM_TOOL, "binary " + Form + " " + Dir + "/none/form.bin", "/dev/null",
       "kelvane-form: Cannot write " + Dir + "/none/form.bin: No such file or directory"},
      {KELVANE_FORM_TOOL, "text " + Dir + "/form.bin", "/dev/full", "kelvane-form: " + FullOutput},
      {KELVANE_FORM_TOOL, "check " + Form, "/dev/full", "kelvane-form: " + FullOutput},
      {KELVANE_FORM_TOOL, "frame " + Form + " /dev/full --device null", "/dev/null",
       Form + ": Saving bitmap failed (" + Full + ")"},
      {KELVANE_STYLE_TOOL, "list WIN10STYLE", "/dev/full", "kelvane-style: " + FullOutput},
      {KELVANE_STYLE_TOOL, "show WIN10STYLE buttonstyle", "/dev/full", "kelvane-style: " + FullOutput},
      {KELVANE_STYLE_TOOL, "frame WIN10STYLE buttonstyle /dev/full", "/dev/null",
       "kelvane-style: Saving bitmap failed (" + Full + ")"},
      {KELVANE_STYLE_BUILD_TOOL, "art win7 " + Dir, "/dev/null",
       "kelvane-style: Saving bitmap failed (Cannot write " + Dir + "/win7-style-1.5.png: No space left on device)"},
      {KELVANE_STYLE_BUILD_TOOL, "pack " + std::string(KELVANE_SOURCE_DIR) + "/resources/styles/Win7.txt /dev/full " + Dir + "/art",
       "/dev/null", "kelvane-style: " + Full},
      {KELVANE_STYLE_BUILD_TOOL, "rects win7", "/dev/full", "kelvane-style-build: " + FullOutput},
      {KELVANE_RC_TOOL, "compile " + Form + " /dev/full", "/dev/null", "kelvane-rc: " + Full},
      {KELVANE_RC_TOOL, "embed /dev/full --form " + Dir + "/form.bin", "/dev/null", "kelvane-rc: " + Full},
      // The script's frame command fails as a command; its output that went nowhere fails the run.
      {KELVANE_HEADLESS_TOOL, "--device null --form " + Form + " " + Script, "/dev/full",
       Script + ":2: Saving bitmap failed (" + Full + ")\nkelvane-headless: " + FullOutput},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(std::string(C.Program) + " " + C.Arguments + " >" + C.StandardOutput);
    const TToolRun R = RunWithOutputTo(C.Program, C.Arguments, C.StandardOutput);
    EXPECT_EQ(R.Status, 1);
    EXPECT_EQ(R.Output, C.Error + "\n");
  }
  // The frame command's own failure, as the script reports it.
  const TToolRun Frame = RunTool(KELVANE_HEADLESS_TOOL, "--device null --form " + Form + " " + Script);
  EXPECT_EQ(Frame.Status, 1);
  EXPECT_EQ(Frame.Output, "F.Caption = \"x\"\n" + Script + ":2: Saving bitmap failed (" + Full + ")\n");
}

}  // namespace
