// kelvane-style: looks into styles, and makes the built-in ones.
//   kelvane-style list FILE|RESOURCE          prints the style's description (title, platform
//                                             target, version) and one line per item: name,
//                                             size in bytes, class of its root object
//   kelvane-style show FILE|RESOURCE NAME     prints the item NAME in the text form
//   kelvane-style frame FILE|RESOURCE NAME OUT.png [--size W H] [--scale S]
//                                             paints the style object NAME as a control that
//                                             takes it, in each of its looks (StyleFrame.h)
//   kelvane-style art|pack|rects ...          the build's commands (tools/style/Build.h)
// RESOURCE is a built-in style resource: "WIN10STYLE", "WIN8STYLE" or "WIN7STYLE".
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "shell/core/Exceptions.h"
#include "shell/stream/ObjectText.h"
#include "tools/ToolOutput.h"
#include "tools/style/Build.h"
#include "tools/style/StyleItems.h"
#include "tools/style/StyleFrame.h"

namespace {
void PrintUsage(std::ostream& Out) {
  Out << "usage: kelvane-style list FILE|RESOURCE\n"
         "       kelvane-style show FILE|RESOURCE NAME\n"
         "       kelvane-style frame FILE|RESOURCE NAME OUT.png [--size W H] [--scale S]\n"
      << StyleBuildUsage("kelvane-style");
}

int Usage() {
  PrintUsage(std::cerr);
  return 2;
}

// A style in the text form that does not compile: FILE:LINE: MESSAGE.
int ParserError(const std::string& Source, const EParserError& E) {
  std::cerr << Source << ":";
  if (E.Line > 0) std::cerr << E.Line << ":";
  std::cerr << " " << E.What << "\n";
  return 1;
}

int Frame(const std::vector<std::string>& Args) {
  std::vector<std::string> Plain;
  TStyleFrameOptions Options;
  try {
    for (size_t I = 0; I < Args.size(); ++I) {
      if (Args[I] == "--size" && I + 2 < Args.size()) {
        Options.Width = std::stoi(Args[++I]);
        Options.Height = std::stoi(Args[++I]);
        if (Options.Width <= 0 || Options.Height <= 0) return Usage();
      } else if (Args[I] == "--scale" && I + 1 < Args.size()) {
        Options.Scale = std::stof(Args[++I]);
        if (!(Options.Scale > 0)) return Usage();
      } else if (!Args[I].empty() && Args[I][0] == '-') {
        return Usage();
      } else {
        Plain.push_back(Args[I]);
      }
    }
  } catch (const std::logic_error&) {
    return Usage();
  }
  if (Plain.size() != 3) return Usage();
  try {
    PaintStyleFrame(ReadStyleSource(Plain[0]), Plain[1], Plain[2], Options);
  } catch (const EParserError& E) {
    return ParserError(Plain[0], E);
  }
  return 0;
}

int Run(const std::vector<std::string>& Args) {
  if (Args.size() == 1 && (Args[0] == "--help" || Args[0] == "-h")) {
    PrintUsage(std::cout);
    return 0;
  }
  try {
    if (Args.size() == 2 && Args[0] == "list") {
      ListStyle(ReadStyleSource(Args[1]), std::cout);
      return 0;
    }
    if (Args.size() == 3 && Args[0] == "show") {
      ShowStyleItem(ReadStyleSource(Args[1]), Args[2], std::cout);
      return 0;
    }
    if (!Args.empty() && Args[0] == "frame") return Frame({Args.begin() + 1, Args.end()});
  } catch (const EParserError& E) {
    return ParserError(Args[1], E);
  } catch (const std::exception& E) {
    std::cerr << "kelvane-style: " << E.what() << "\n";
    return 1;
  }
  const int Status = RunStyleBuildCommand(Args);
  return Status >= 0 ? Status : Usage();
}
}  // namespace

int main(int argc, char** argv) { return FinishStandardOutput("kelvane-style", Run({argv + 1, argv + argc})); }
