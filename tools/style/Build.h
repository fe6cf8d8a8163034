#pragma once
// The commands with which the build makes the built-in styles:
//   art STYLE OUTDIR              draws STYLE's images (win10, win8, win7) at the scales 1.0, 1.5
//                                 and 2.0: OUTDIR/STYLE-style-S.png and, where the style has
//                                 one, STYLE-rings-S.png
//   pack SOURCE.txt OUT IMAGEDIR  packs a style source into the indexed style format
//                                 ("KLV_STYLE 2.5") and checks the result
//   rects STYLE                   prints STYLE's source rectangles at every scale
#include <string>
#include <vector>

// Runs the command Args names; its exit status, or -1 when Args is none of these commands.
int RunStyleBuildCommand(const std::vector<std::string>& Args);

// The usage lines of these commands, for PROGRAM.
std::string StyleBuildUsage(const std::string& Program);
