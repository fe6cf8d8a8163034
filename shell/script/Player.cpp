#include "shell/script/Player.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <iostream>
#include <memory>
#include <unistd.h>

#include "shell/app/Application.h"
#include "shell/platform/Backend.h"
#include "shell/platform/Platform.h"
#include "shell/platform/headless/HeadlessPlatform.h"
#include "shell/script/Script.h"

namespace {
// The script, its file and its host live as long as the process: the loop calls them until it
// ends, and the forms are freed after main.
struct TScriptRun {
  std::ifstream File;
  std::unique_ptr<THeadlessScript> Script;
};

TScriptRun& Run() {
  static TScriptRun* R = new TScriptRun;
  return *R;
}

// A script that failed makes the program's exit status 1, whatever its main returns. Called
// by exit after the program's own handlers and the destructors of what it made later.
void ExitStatusOfScript() {
  if (Run().Script && Run().Script->AnyFailed()) {
    std::fflush(nullptr);
    ::_exit(1);
  }
}

void OpenScript(const std::string& FileName) {
  TScriptRun& R = Run();
  if (FileName != "-") {
    R.File.open(FileName);
    if (!R.File) {
      std::cerr << "cannot open the script " << FileName << "\n";
      std::exit(2);
    }
  }
  std::atexit(ExitStatusOfScript);
}

std::istream& ScriptInput(const std::string& FileName) {
  return FileName == "-" ? static_cast<std::istream&>(std::cin) : Run().File;
}

// A script played in a real window: commands wait on the wall clock as long as the script's
// time says, and a recording's timer messages are spread over its ticks lines' time.
class TPlayHost : public TScriptHost {
 public:
  TPlayHost(std::string FileName, bool ExitAtEnd) : FFileName(std::move(FileName)), FExitAtEnd(ExitAtEnd) {}

  void Advance(double Ms) override { FDue = Now() + Ms; }

  void Ticks(double Ms, const std::vector<std::string>& Names) override {
    TPlatform::Current()->StartTicksByRequest();
    const double Start = Now();
    for (size_t K = 0; K < Names.size(); ++K)
      FScheduled.emplace_back(Start + Ms * static_cast<double>(K + 1) / static_cast<double>(Names.size()), Names[K]);
    FDue = Start + Ms;
  }

  void Resize(TPlatformWindow& Window, int32_t Width, int32_t Height) override {
    TPlatform::Current()->PostWindowMessage(Window, [Width, Height](TPlatformWindow& W) {
      TPlatform::Current()->SetClientSize(W.Form(), TSizeF(static_cast<float>(Width) / W.Scale(),
                                                            static_cast<float>(Height) / W.Scale()));
    });
  }

  void ChangeScale(TPlatformWindow& Window, float Scale) override {
    TPlatform::Current()->PostWindowMessage(
        Window, [Scale](TPlatformWindow& W) { TPlatform::Current()->WindowScaleChanged(W, Scale); });
  }

  void Close(TPlatformWindow& Window) override {
    // Without --exit the window stays the player's.
    if (FExitAtEnd)
      TPlatform::Current()->PostCloseMessage(Window);
    else
      FHandOver = true;
  }

  // The end of the script: the program ends, or the player takes over.
  void End() {
    if (FExitAtEnd) {
      FDone = true;
      Application->Terminate();
    } else {
      FHandOver = true;
    }
  }

  // The loop would wait: the timer messages whose time has come, else the next command once its
  // time has come. Returns when to be called again.
  double Idle(THeadlessScript& Script) {
    if (FDone) return TPlatformBackend::NoDeadline;
    const double T = Now();
    if (!FScheduled.empty()) {
      if (FScheduled.front().first > T) return FScheduled.front().first;
      TPlatform::Current()->RequestTick(FScheduled.front().second);
      FScheduled.pop_front();
      return T;
    }
    if (T < FDue) return FDue;
    if (FHandOver) {
      FDone = true;
      TPlatform::Current()->StopTicksByRequest();
      // Whoever watches knows that what happens now is theirs.
      std::cerr << "The script " << FFileName << " has been played: the window is yours." << std::endl;
      return TPlatformBackend::NoDeadline;
    }
    Script.Step();
    return T;
  }

 private:
  static double Now() { return TPlatform::Current()->Backend().Now(); }

  std::string FFileName;
  bool FExitAtEnd;
  bool FHandOver = false;
  bool FDone = false;
  double FDue = 0;
  std::deque<std::pair<double, std::string>> FScheduled;
};
}  // namespace

void StartHeadlessScript(THeadlessBackend& Backend, const std::string& FileName) {
  OpenScript(FileName);
  TScriptRun& R = Run();
  R.Script = std::make_unique<THeadlessScript>(ScriptInput(FileName), FileName == "-" ? "<stdin>" : FileName,
                                               std::cout, std::cerr, Backend);
  Backend.SetDriver([&R] { R.Script->Step(); });
}

void StartPlaying(const std::string& FileName, bool ExitAtEnd) {
  OpenScript(FileName);
  TScriptRun& R = Run();
  auto Host = std::make_unique<TPlayHost>(FileName, ExitAtEnd);
  TPlayHost* Player = Host.get();
  R.Script = std::make_unique<THeadlessScript>(ScriptInput(FileName), FileName == "-" ? "<stdin>" : FileName,
                                               std::cout, std::cerr, std::move(Host));
  R.Script->SetOnEnd([Player] { Player->End(); });
  TPlatform::Current()->SetIdleDriver([&R, Player] { return Player->Idle(*R.Script); });
  // A recording's timers fire only as its ticks lines say, from the start: the window takes
  // longer to open than a timer's period, and ticks by the clock before its first line would
  // not be the run's.
  if (FileName != "-") {
    for (std::string Line; std::getline(R.File, Line);) {
      const size_t First = Line.find_first_not_of(" \t\r");
      if (First == std::string::npos || Line[First] == '#') continue;
      if (Line.compare(First, 9, "recorded ") == 0) TPlatform::Current()->StartTicksByRequest();
      break;
    }
    R.File.clear();
    R.File.seekg(0);
  }
}
