// kelvane-headless: the game (or, with --form FILE, any stored form) on the headless back end,
// driven by a script of commands from the file named as the argument, or from standard input.
#include <fstream>
#include <iostream>
#include <string>

#include "game/MainBlock.h"
#include "game/Register.h"
#include "scene3d/context/ContextManager.h"
#include "shell/app/Application.h"
#include "shell/core/Exceptions.h"
#include "shell/platform/Recorder.h"
#include "shell/platform/headless/HeadlessPlatform.h"
#include "tools/ToolOutput.h"
#include "tools/form/FormFile.h"
#include "tools/form/Preview.h"
#include "shell/script/Script.h"

namespace {
void PrintUsage(std::ostream& Out) {
  Out << "usage: kelvane-headless [--scale S] [--device gpu|software|null] [--form FILE] [--keep-going] [--record FILE]"
         " [SCRIPT]\n";
}

int Usage() {
  PrintUsage(std::cerr);
  return 2;
}
}  // namespace

int main(int argc, char** argv) {
  THeadlessOptions Options;
  std::string ScriptFile, FormFile, RecordFile;
  bool KeepGoing = false;
  for (int I = 1; I < argc; ++I) {
    const std::string Arg = argv[I];
    if (Arg == "--help" || Arg == "-h") {
      PrintUsage(std::cout);
      return FinishStandardOutput("kelvane-headless", 0);
    }
    if (Arg == "--scale" && I + 1 < argc) {
      try {
        Options.Scale = std::stof(argv[++I]);
      } catch (...) {
        return Usage();
      }
      if (!(Options.Scale > 0)) return Usage();
    } else if (Arg == "--device" && I + 1 < argc) {
      TDeviceChoice Choice;
      if (!TContextManager::ParseDeviceChoice(argv[++I], Choice)) return Usage();
      TContextManager::SetDeviceChoice(Choice);
    } else if (Arg == "--form" && I + 1 < argc) {
      FormFile = argv[++I];
    } else if (Arg == "--keep-going") {
      KeepGoing = true;
    } else if (Arg == "--record" && I + 1 < argc) {
      RecordFile = argv[++I];
    } else if (!Arg.empty() && Arg[0] == '-') {
      return Usage();
    } else if (ScriptFile.empty()) {
      ScriptFile = Arg;
    } else {
      return Usage();
    }
  }
  std::ifstream File;
  if (!ScriptFile.empty()) {
    File.open(ScriptFile);
    if (!File) {
      std::cerr << "kelvane-headless: cannot open " << ScriptFile << "\n";
      return 2;
    }
  }
  std::istream& Input = ScriptFile.empty() ? std::cin : File;

  THeadlessBackend& Backend = InstallHeadlessPlatform(Options);
  // A headless run recorded as a real one is: on the virtual clock, the same every time.
  if (!RecordFile.empty()) {
    try {
      TPlatform::Current()->SetRecorder(std::make_unique<TRecorder>(RecordFile));
    } catch (const Exception& E) {
      std::cerr << "kelvane-headless: " << E.Message() << "\n";
      return 2;
    }
  }
  RegisterGameClasses();
  TContextManager::PrepareDeviceInBackground();
  THeadlessScript Script(Input, ScriptFile.empty() ? "<stdin>" : ScriptFile, std::cout, std::cerr, Backend, KeepGoing);
  Backend.SetDriver([&Script] { Script.Step(); });
  int Status = 0;
  try {
    if (FormFile.empty()) {
      MainBlock();
    } else {
      // The stored form instead of the game's, created by the same start-up.
      TFormPreview Preview(FormFile);
      Application->Initialize();
      Preview.Register();
      Application->Run();
    }
  } catch (const std::exception& E) {
    std::cout.flush();
    if (FormFile.empty())
      std::cerr << "kelvane-headless: " << E.what() << "\n";
    else
      std::cerr << FileErrorMessage(FormFile, E) << "\n";
    Status = 1;
  }
  // Before the libraries the worker may still be in are torn down.
  TContextManager::EndDevicePreparation();
  return FinishStandardOutput("kelvane-headless", Status ? Status : Script.AnyFailed() ? 1 : 0);
}
