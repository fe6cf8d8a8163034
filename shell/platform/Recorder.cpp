#include "shell/platform/Recorder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "shell/app/Application.h"
#include "shell/controls/KeyNames.h"
#include "shell/core/Component.h"
#include "shell/core/Exceptions.h"
#include "shell/core/MetaClass.h"
#include "shell/core/PropertyText.h"
#include "shell/platform/Platform.h"

namespace {
std::string Modifiers(TShiftState Shift) {
  std::string S;
  if (Shift.Contains(ssShift)) S += " shift";
  if (Shift.Contains(ssCtrl)) S += " ctrl";
  if (Shift.Contains(ssAlt)) S += " alt";
  return S;
}

const char* ButtonName(TMouseButton Button) {
  switch (Button) {
    case mbRight: return "right";
    case mbMiddle: return "middle";
    default: return "left";
  }
}

// A logical side L such that the headless resize, Ceil(L × Scale), gives Physical back.
float LogicalSide(int32_t Physical, float Scale) {
  float L = static_cast<float>(static_cast<double>(Physical) / static_cast<double>(Scale));
  auto Back = [Scale](float V) { return std::ceil(static_cast<double>(V) * static_cast<double>(Scale)); };
  for (int I = 0; I < 8 && Back(L) > Physical; ++I) L = std::nextafter(L, 0.0f);
  for (int I = 0; I < 8 && Back(L) < Physical; ++I) L = std::nextafter(L, 1e30f);
  return L;
}

// The program file's name (a program that starts itself anew keeps it, not argv[0]).
std::string ProgramName() {
  std::error_code Error;
  const std::string Name = std::filesystem::read_symlink("/proc/self/exe", Error).filename().string();
  return Name.empty() ? "program" : Name;
}

void CollectValues(TObject* Object, const std::string& Prefix, int Depth, std::map<std::string, std::string>& Out) {
  for (const TPropInfo* P : Object->ClassType().AllProperties()) {
    try {
      if (std::optional<std::string> Text = FormatPlainProperty(Object, *P)) {
        Out[Prefix + "." + P->Name] = *Text;
      } else if (P->Kind() == TTypeKind::Class && Depth < 3 && P->GetObj) {
        // The persistent objects a component holds (a position, a font); components it only
        // refers to have values of their own.
        TObject* Held = P->GetObj(Object);
        if (Held && !dynamic_cast<TComponent*>(Held)) CollectValues(Held, Prefix + "." + P->Name, Depth + 1, Out);
      }
    } catch (const std::exception&) {
      // A value that cannot be read now is no check.
    }
  }
}
}  // namespace

std::map<std::string, std::string> PublishedValues(TComponent* Root) {
  std::map<std::string, std::string> Values;
  if (!Root) return Values;
  CollectValues(Root, Root->Name(), 0, Values);
  for (const char* Placement : {".Left", ".Top", ".Width", ".Height"}) Values.erase(Root->Name() + Placement);
  for (int I = 0; I < Root->ComponentCount(); ++I) {
    TComponent* C = Root->Components(I);
    if (!C->Name().empty()) CollectValues(C, C->Name(), 0, Values);
  }
  return Values;
}

TRecorder::TRecorder(const std::string& FileName) : FFileName(FileName) {
  FFile = ::open(FileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (FFile < 0) throw Exception(Format("Cannot write the recording %s: %s", {FileName, std::strerror(errno)}));
}

TRecorder::~TRecorder() {
  if (FFile >= 0) ::close(FFile);
}

void TRecorder::Line(const std::string& Text) {
  if (FFile < 0) return;
  // One write a line: a process killed at any moment leaves whole lines only.
  const std::string Whole = Text + "\n";
  size_t Done = 0;
  while (Done < Whole.size()) {
    const ssize_t N = ::write(FFile, Whole.data() + Done, Whole.size() - Done);
    if (N < 0 && errno == EINTR) continue;
    if (N <= 0) {
      std::cerr << "Recording to " << FFileName << " stopped: " << std::strerror(errno) << "\n";
      ::close(FFile);
      FFile = -1;
      return;
    }
    Done += static_cast<size_t>(N);
  }
}

void TRecorder::InputLine(const std::string& Text) {
  FlushTicks(false);
  Line(Text);
  FChecked = false;
}

void TRecorder::FlushTicks(bool Always) {
  // The platform's clock: the wall clock in a window, the virtual one headless.
  const double Now = TPlatform::Current() ? TPlatform::Current()->Backend().Now() : FLast;
  const long long Ms = std::llround(Now - FLast);
  // Time alone is written where it is long enough to matter to a replay at the recorded pace.
  if (FTicks.empty() && !(Always && Ms > 0) && Ms < 50) return;
  std::string S = "ticks " + std::to_string(Ms);
  for (const auto& [Name, Count] : FTicks) {
    S += ' ';
    S += Name;
    if (Count > 1) {
      S += '*';
      S += std::to_string(Count);
    }
  }
  Line(S);
  FTicks.clear();
  FLast = Now;
}

std::string TRecorder::Point(const TPlatformWindow& Window, float X, float Y) const {
  return FormatSingleText(X / Window.Scale()) + " " + FormatSingleText(Y / Window.Scale());
}

void TRecorder::Begin(TPlatform&) {
  if (FBegun) return;
  FBegun = true;
  TCommonCustomForm* Main = Application ? Application->MainForm() : nullptr;
  TPlatformWindow* Window = Main && TPlatform::Current() ? TPlatform::Current()->FindWindow(Main) : nullptr;
  FWindow = Window;
  char Date[32] = "?";
  const std::time_t T = std::time(nullptr);
  std::tm Utc{};
  if (gmtime_r(&T, &Utc)) std::strftime(Date, sizeof Date, "%Y-%m-%dT%H:%M:%SZ", &Utc);
  const std::string Program = ProgramName();
  const std::string Form = Main ? Main->ClassName() : "none";
  Line("# A run of " + Program + " " KELVANE_RECORDER_VERSION ", recorded " + Date +
       "; replay it with kelvane-headless FILE or watch it with kelvane --play FILE.");
  if (Window) {
    FScale = Window->Scale();
    FWidth = Window->ClientWidth();
    FHeight = Window->ClientHeight();
    Line("# Window: scale " + FormatSingleText(FScale) + ", client area " + std::to_string(FWidth) + " x " +
         std::to_string(FHeight) + " pixels.");
  }
  Line("recorded " + Program + " " KELVANE_RECORDER_VERSION " " + Form);
  if (Window) {
    Line("scale " + FormatSingleText(FScale));
    Line("resize " + FormatSingleText(LogicalSide(FWidth, FScale)) + " " + FormatSingleText(LogicalSide(FHeight, FScale)));
  }
  FStartValues = PublishedValues(Main);
  FLast = TPlatform::Current() ? TPlatform::Current()->Backend().Now() : 0;
}

bool TRecorder::Records(const TPlatformWindow& Window) const { return FBegun && !FEnded && &Window == FWindow; }

void TRecorder::MouseMove(TPlatformWindow& Window, TShiftState Shift, float X, float Y) {
  if (!Records(Window)) return;
  FMouseX = X;
  FMouseY = Y;
  InputLine("mousemove " + Point(Window, X, Y) + Modifiers(Shift));
}

void TRecorder::MouseDown(TPlatformWindow& Window, TMouseButton Button, TShiftState Shift, float X, float Y) {
  if (!Records(Window)) return;
  FMouseX = X;
  FMouseY = Y;
  InputLine("mousedown " + Point(Window, X, Y) + " " + ButtonName(Button) + Modifiers(Shift) +
            (Shift.Contains(ssDouble) ? " double" : ""));
}

void TRecorder::MouseUp(TPlatformWindow& Window, TMouseButton Button, TShiftState Shift, float X, float Y) {
  if (!Records(Window)) return;
  FMouseX = X;
  FMouseY = Y;
  InputLine("mouseup " + Point(Window, X, Y) + " " + ButtonName(Button) + Modifiers(Shift));
}

void TRecorder::MouseWheel(TPlatformWindow& Window, TShiftState Shift, int WheelDelta) {
  if (!Records(Window)) return;
  InputLine("wheel " + Point(Window, FMouseX, FMouseY) + " " + std::to_string(WheelDelta) + Modifiers(Shift));
}

void TRecorder::MouseLeave(TPlatformWindow& Window) {
  if (!Records(Window)) return;
  InputLine("mouseleave");
}

void TRecorder::KeyDown(TPlatformWindow& Window, uint16_t Key, char32_t KeyChar, TShiftState Shift) {
  if (!Records(Window)) return;
  char Char[16] = "-";
  if (KeyChar) std::snprintf(Char, sizeof Char, "U+%04X", static_cast<unsigned>(KeyChar));
  InputLine("keydown " + KeyName(Key) + " " + Char + Modifiers(Shift));
}

void TRecorder::KeyUp(TPlatformWindow& Window, uint16_t Key, TShiftState Shift) {
  if (!Records(Window)) return;
  InputLine("keyup " + KeyName(Key) + Modifiers(Shift));
}

void TRecorder::Activated(TPlatformWindow& Window, bool Active) {
  if (!Records(Window)) return;
  InputLine(Active ? "activate" : "deactivate");
}

void TRecorder::SizeChanged(TPlatformWindow& Window) {
  if (!Records(Window) || (Window.ClientWidth() == FWidth && Window.ClientHeight() == FHeight)) return;
  FWidth = Window.ClientWidth();
  FHeight = Window.ClientHeight();
  InputLine("resize " + FormatSingleText(LogicalSide(FWidth, FScale)) + " " +
            FormatSingleText(LogicalSide(FHeight, FScale)));
}

void TRecorder::ScaleChanged(TPlatformWindow& Window) {
  if (!Records(Window) || Window.Scale() == FScale) return;
  FScale = Window.Scale();
  InputLine("scale " + FormatSingleText(FScale));
  // The physical size that follows from the scale is the replay's too.
  FWidth = Window.ClientWidth();
  FHeight = Window.ClientHeight();
}

void TRecorder::Tick(const std::string& Name) {
  if (!FBegun || FEnded) return;
  if (!FTicks.empty() && FTicks.back().first == Name)
    ++FTicks.back().second;
  else
    FTicks.emplace_back(Name, 1);
  FChecked = false;
}

void TRecorder::Checks(TPlatform& Platform) {
  if (FChecked) return;
  FlushTicks(true);
  TCommonCustomForm* Main = Application ? Application->MainForm() : nullptr;
  if (Main && FWindow && Platform.FindWindow(Main) == FWindow) {
    // The state already changed where the window shows an older picture: the checks show the
    // new one, which a screenshot taken just before may not.
    if (FWindow->OnScreen() && FWindow->NeedsPaint())
      Line("# A paint was waiting at the end: the frame checked is the one it painted.");
    const std::string Frame = Platform.PresentedFingerprint(*Platform.FindWindow(Main));
    if (!Frame.empty()) Line("expect-frame " + Frame);
  }
  for (const auto& [Path, Value] : PublishedValues(Main)) {
    auto Start = FStartValues.find(Path);
    if (Start == FStartValues.end() || Start->second != Value) Line("expect " + Path + " " + Value);
  }
  FChecked = true;
}

void TRecorder::Close(TPlatform& Platform, TPlatformWindow& Window) {
  if (!Records(Window)) return;
  Checks(Platform);
  Line("close");
  // A close that ends the program ends the script too; a refused one goes on recording, and
  // whatever comes next clears FChecked.
}

void TRecorder::End(TPlatform& Platform) {
  if (!FBegun || FEnded) return;
  // Checks written last (before a close that ends the program) are the last word.
  if (!FChecked) {
    Checks(Platform);
    Line("quit");
  }
  FEnded = true;
}

void StartRecordingFromCommandLine() {
  std::ifstream In("/proc/self/cmdline", std::ios::binary);
  std::vector<std::string> Args;
  for (std::string A; std::getline(In, A, '\0');) Args.push_back(A);
  std::string File;
  bool Asked = false;
  for (size_t I = 1; I < Args.size(); ++I) {
    if (Args[I] == "--record" && I + 1 < Args.size()) {
      File = Args[++I];
      Asked = true;
    } else if (Args[I].rfind("--record=", 0) == 0) {
      File = Args[I].substr(9);
      Asked = true;
    } else if (Args[I] == "--record") {
      std::cerr << ProgramName() << ": --record needs a file name\n";
      std::exit(2);
    }
  }
  if (!Asked) return;
  try {
    TPlatform::Current()->SetRecorder(std::make_unique<TRecorder>(File));
  } catch (const Exception& E) {
    std::cerr << ProgramName() << ": " << E.Message() << "\n";
    std::exit(2);
  }
}
