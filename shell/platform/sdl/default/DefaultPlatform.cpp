// In libkelvane, so in every program on it: the platform is in place, with the application
// object, before the main block runs. Its command line chooses it: --headless-script FILE runs the program on the
// headless back end under the script FILE; otherwise the SDL platform, where --record FILE
// records the run (see TRecorder) and --play FILE [--exit] plays a script in the window (see
// shell/script/Player.h).
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "shell/platform/Recorder.h"
#include "shell/platform/headless/HeadlessPlatform.h"
#include "shell/platform/sdl/SdlPlatform.h"
#include "shell/script/Player.h"

namespace {
std::vector<std::string> CommandLine() {
  std::ifstream In("/proc/self/cmdline", std::ios::binary);
  std::vector<std::string> Args;
  for (std::string A; std::getline(In, A, '\0');) Args.push_back(A);
  return Args;
}

// The value of the switch Name (Name VALUE or Name=VALUE); Given tells whether it was there. A
// switch without its value ends the program.
std::string SwitchValue(const std::vector<std::string>& Args, const std::string& Name, bool& Given) {
  Given = false;
  std::string Value;
  for (size_t I = 1; I < Args.size(); ++I) {
    if (Args[I] == Name && I + 1 < Args.size()) {
      Value = Args[++I];
      Given = true;
    } else if (Args[I].rfind(Name + "=", 0) == 0) {
      Value = Args[I].substr(Name.size() + 1);
      Given = true;
    } else if (Args[I] == Name) {
      std::cerr << Name << " needs a file name\n";
      std::exit(2);
    }
  }
  return Value;
}

bool InstallFromCommandLine() {
  const std::vector<std::string> Args = CommandLine();
  bool Headless = false, Play = false, Exit = false;
  const std::string Script = SwitchValue(Args, "--headless-script", Headless);
  if (Headless) {
    StartHeadlessScript(InstallHeadlessPlatform(), Script);
    return true;
  }
  InstallSdlPlatform();
  StartRecordingFromCommandLine();
  const std::string Played = SwitchValue(Args, "--play", Play);
  for (size_t I = 1; I < Args.size(); ++I) Exit = Exit || Args[I] == "--exit";
  if (Play) StartPlaying(Played, Exit);
  return true;
}

// Runs when libkelvane is loaded, before any other of its units is initialised: <iostream>
// above makes the standard streams ready first, for the messages of a bad switch or --record.
const bool Installed = InstallFromCommandLine();
}  // namespace
