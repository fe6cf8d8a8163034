// kelvane-form: checks, converts and previews form streams.
//   kelvane-form check [--strict] FILE
//                                  constructs the form class that the stream's root names,
//                                  with FILE as that class's stored description, as start-up
//                                  does; prints "ok", or FILE[:LINE]: the error on standard
//                                  error and exits 1; warns of what loads but is not what
//                                  was meant (a reference to nothing, an object its parent
//                                  does not draw), which --strict makes errors
//   kelvane-form text FILE         prints a binary stream as text
//   kelvane-form binary FILE OUT   compiles a text form to a binary stream
//   kelvane-form show [--watch] [--record REC] FILE
//                                  opens the form of FILE (binary or text) in a window, as
//                                  start-up creates it; with --watch, makes it anew whenever
//                                  FILE changes and shows load errors in the window's title;
//                                  with --record, records the run into REC as a script
//   kelvane-form frame FILE OUT.png [--scale S] [--device gpu|software|null]
//                                  writes the form's first painted frame, headless
//   kelvane-form classes           lists the classes a form may hold
//   kelvane-form describe CLASS    lists a class's properties: type, default, accepted values
//   kelvane-form colours           lists the colour names
#include <iostream>
#include <string>
#include <vector>

#include "game/Register.h"
#include "scene3d/context/ContextManager.h"
#include "shell/app/Application.h"
#include "shell/core/Exceptions.h"
#include "shell/core/FileOutput.h"
#include "shell/forms/Form.h"
#include "shell/platform/Recorder.h"
#include "shell/platform/headless/HeadlessPlatform.h"
#include "shell/platform/sdl/SdlPlatform.h"
#include "shell/stream/ObjectText.h"
#include "tools/ToolOutput.h"
#include "tools/form/FormFile.h"
#include "tools/form/FormWarnings.h"
#include "tools/form/Preview.h"
#include "tools/form/Reference.h"
#include "shell/script/WindowFrame.h"

namespace {
void PrintUsage(std::ostream& Out) {
  Out << "usage: kelvane-form check [--strict] FILE\n"
         "       kelvane-form text FILE\n"
         "       kelvane-form binary FILE OUT\n"
         "       kelvane-form show [--watch] [--record REC] FILE\n"
         "       kelvane-form frame FILE OUT.png [--scale S] [--device gpu|software|null]\n"
         "       kelvane-form classes\n"
         "       kelvane-form describe CLASS\n"
         "       kelvane-form colours\n";
}

int Usage() {
  PrintUsage(std::cerr);
  return 2;
}

std::string MessageOf(const std::exception& E) {
  if (auto* Ex = dynamic_cast<const Exception*>(&E)) return Ex->Message();
  return E.what();
}

int Check(const std::string& Path, bool Strict) {
  THeadlessBackend& Backend = InstallHeadlessPlatform();
  RegisterGameClasses();
  std::vector<std::string> Warnings;
  try {
    TFormPreview Preview(Path);
    Preview.Register();
    Backend.SetDriver([&] {
      // The form as start-up made it, before it goes.
      if (TCommonCustomForm* Form = Application->MainForm()) {
        const std::vector<uint8_t> Bytes = ReadFileBytes(Path);
        const std::string Text = IsBinaryFormStream(Bytes) ? ObjectBinaryToText(Bytes) : std::string(Bytes.begin(), Bytes.end());
        Warnings = FormWarnings(Path, Text, Form);
      }
      Application->Terminate();
    });
    Application->Initialize();
    Application->Run();
  } catch (const std::exception& E) {
    std::cerr << FileErrorMessage(Path, E) << "\n";
    return 1;
  }
  for (const std::string& W : Warnings) std::cerr << W << "\n";
  if (Strict && !Warnings.empty()) return 1;
  std::cout << "ok\n";
  return 0;
}

int Show(const std::string& Path, bool Watch) {
  InstallSdlPlatform();
  // --record, where the framework's start-up finds it.
  StartRecordingFromCommandLine();
  RegisterGameClasses();
  try {
    TFormPreview Preview(Path);
    Application->Initialize();
    if (Watch)
      Preview.Watch();
    else
      Preview.Register();
    Application->Run();
  } catch (const std::exception& E) {
    std::cerr << FileErrorMessage(Path, E) << "\n";
    return 1;
  }
  return 0;
}

int Frame(const std::vector<std::string>& Args) {
  THeadlessOptions Options;
  Options.PrintErrorBoxes = false;
  std::vector<std::string> Files;
  for (size_t I = 0; I < Args.size(); ++I) {
    if (Args[I] == "--scale" && I + 1 < Args.size()) {
      try {
        Options.Scale = std::stof(Args[++I]);
      } catch (...) {
        return Usage();
      }
      if (!(Options.Scale > 0)) return Usage();
    } else if (Args[I] == "--device" && I + 1 < Args.size()) {
      TDeviceChoice Choice;
      if (!TContextManager::ParseDeviceChoice(Args[++I], Choice)) return Usage();
      TContextManager::SetDeviceChoice(Choice);
    } else if (!Args[I].empty() && Args[I][0] == '-') {
      return Usage();
    } else {
      Files.push_back(Args[I]);
    }
  }
  if (Files.size() != 2) return Usage();
  const std::string& Path = Files[0];
  const std::string& Out = Files[1];

  THeadlessBackend& Backend = InstallHeadlessPlatform(Options);
  RegisterGameClasses();
  std::string Failure;
  bool LoadFailed = false;
  try {
    TFormPreview Preview(Path);
    Preview.Register();
    // The loop asks the driver first when the start-up's messages, the first paint among
    // them, have all been handled.
    Backend.SetDriver([&] {
      try {
        TCommonCustomForm* Form = Application->MainForm();
        TPlatformWindow* Window = Form ? TPlatform::Current()->FindWindow(Form) : nullptr;
        if (!Window || !Backend.Surface(*Window)) throw Exception("The form was not painted");
        SaveWindowFrame(Backend, *Window, Out);
      } catch (const std::exception& E) {
        Failure = MessageOf(E);
      }
      Application->Terminate();
    });
    Application->Initialize();
    Application->Run();
  } catch (const std::exception& E) {
    Failure = FileErrorMessage(Path, E);
    LoadFailed = true;
  }
  for (const std::string& Box : Backend.ErrorBoxes()) std::cerr << Path << ": " << Box << "\n";
  if (!Failure.empty()) std::cerr << (LoadFailed ? "" : Path + ": ") << Failure << "\n";
  return Failure.empty() && Backend.ErrorBoxes().empty() ? 0 : 1;
}

int Run(std::vector<std::string> Args) {
  if (Args.empty()) return Usage();
  if (Args.size() == 1 && (Args[0] == "--help" || Args[0] == "-h")) {
    PrintUsage(std::cout);
    return 0;
  }
  const std::string Command = Args[0];
  Args.erase(Args.begin());
  if (Command == "show") {
    bool Watch = false;
    std::vector<std::string> Files;
    for (size_t I = 0; I < Args.size(); ++I) {
      if (Args[I] == "--watch")
        Watch = true;
      else if (Args[I] == "--record" && I + 1 < Args.size())
        ++I;
      else if (Args[I].rfind("--record=", 0) == 0)
        continue;
      else if (!Args[I].empty() && Args[I][0] == '-')
        return Usage();
      else
        Files.push_back(Args[I]);
    }
    Args = Files;
    if (Args.size() != 1) return Usage();
    return Show(Args[0], Watch);
  }
  if (Command == "frame") return Frame(Args);
  if (Command == "classes" && Args.empty()) {
    RegisterGameClasses();
    PrintClasses(std::cout);
    return 0;
  }
  if (Command == "colours" && Args.empty()) {
    PrintColours(std::cout);
    return 0;
  }
  if (Command == "describe" && Args.size() == 1) {
    RegisterGameClasses();
    try {
      DescribeClass(std::cout, Args[0]);
    } catch (const std::exception& E) {
      std::cerr << "kelvane-form: " << MessageOf(E) << "\n";
      return 1;
    }
    return 0;
  }
  if (Args.empty()) return Usage();
  if (Command == "check" && Args.size() == 1) return Check(Args[0], false);
  if (Command == "check" && Args.size() == 2 && Args[0] == "--strict") return Check(Args[1], true);
  std::vector<uint8_t> Input;
  try {
    Input = ReadFileBytes(Args[0]);
  } catch (const std::exception&) {
    std::cerr << "kelvane-form: cannot read " << Args[0] << "\n";
    return 2;
  }
  if (Command == "text" && Args.size() == 1) {
    try {
      std::cout << ObjectBinaryToText(Input);
    } catch (const std::exception& E) {
      std::cerr << FileErrorMessage(Args[0], E) << "\n";
      return 1;
    }
    return 0;
  }
  if (Command == "binary" && Args.size() == 2) {
    std::vector<uint8_t> Bytes;
    try {
      Bytes = ObjectTextToBinary(std::string(Input.begin(), Input.end()));
    } catch (const std::exception& E) {
      std::cerr << FileErrorMessage(Args[0], E) << "\n";
      return 1;
    }
    try {
      WriteFileBytes(Args[1], Bytes.data(), Bytes.size());
    } catch (const std::exception& E) {
      std::cerr << "kelvane-form: " << MessageOf(E) << "\n";
      return 1;
    }
    return 0;
  }
  return Usage();
}
}  // namespace

int main(int argc, char** argv) {
  return FinishStandardOutput("kelvane-form", Run({argv + 1, argv + argc}));
}
