// kelvane-rc compile: a text form that does not compile is reported as FILE:LINE: MESSAGE on
// standard error, as every tool reports a place in a text.
#include <gtest/gtest.h>

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

}  // namespace
