// kelvane-style-build: the style commands that the build runs to make the built-in styles
// (tools/style/Build.h); kelvane-style without the built-in styles, which it makes.
#include <iostream>
#include <string>
#include <vector>

#include "tools/ToolOutput.h"
#include "tools/style/Build.h"

int main(int argc, char** argv) {
  const int Status = RunStyleBuildCommand({argv + 1, argv + argc});
  if (Status >= 0) return FinishStandardOutput("kelvane-style-build", Status);
  std::cerr << "usage:\n" << StyleBuildUsage("kelvane-style-build");
  return 2;
}
