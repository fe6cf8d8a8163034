#include "shell/script/Script.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <istream>
#include <ostream>
#include <sstream>

#include "scene3d/Camera.h"
#include "scene3d/Control3D.h"
#include "scene3d/Position3D.h"
#include "scene3d/Viewport3D.h"
#include "scene3d/context/ContextManager.h"
#include "shell/app/Application.h"
#include "shell/app/Timer.h"
#include "shell/canvas/Bitmap.h"
#include "shell/canvas/PixelBudget.h"
#include "shell/core/Exceptions.h"
#include "shell/core/HandlerTrace.h"
#include "shell/core/MetaClass.h"
#include "shell/platform/headless/HeadlessPlatform.h"
#include "shell/script/PropertyPath.h"
#include "shell/script/WindowFrame.h"

namespace {
std::string Trim(const std::string& S) {
  size_t B = S.find_first_not_of(" \t\r");
  if (B == std::string::npos) return "";
  size_t E = S.find_last_not_of(" \t\r");
  return S.substr(B, E - B + 1);
}

// The first word of Line and the rest after it.
void SplitCommand(const std::string& Line, std::string& Command, std::string& Rest) {
  const size_t Space = Line.find_first_of(" \t");
  Command = Line.substr(0, Space);
  Rest = Space == std::string::npos ? "" : Trim(Line.substr(Space));
}

double ParseMilliseconds(const std::string& Text) {
  size_t Used = 0;
  double V = 0;
  try {
    V = std::stod(Text, &Used);
  } catch (...) {
    Used = 0;
  }
  if (Text.empty() || Used != Text.size() || !std::isfinite(V) || V < 0)
    throw Exception(Format("Invalid time: %s", {Text}));
  return V;
}
}  // namespace

THeadlessScript::THeadlessScript(std::istream& Input, std::string Name, std::ostream& Output, std::ostream& Errors,
                                 THeadlessBackend& Backend, bool KeepGoing)
    : THeadlessScript(Input, std::move(Name), Output, Errors, std::make_unique<THeadlessHost>(Backend), KeepGoing) {}

THeadlessScript::THeadlessScript(std::istream& Input, std::string Name, std::ostream& Output, std::ostream& Errors,
                                 std::unique_ptr<TScriptHost> Host, bool KeepGoing)
    : FInput(Input),
      FName(std::move(Name)),
      FOutput(Output),
      FErrors(Errors),
      FKeepGoing(KeepGoing),
      FHostOwned(std::move(Host)),
      FHost(*FHostOwned),
      FOnEnd([] { Application->Terminate(); }) {}

void THeadlessScript::Fail(int Line, const std::string& Message) {
  // What the commands before printed comes first.
  FOutput.flush();
  FErrors << FName << ":" << Line << ": " << Message << std::endl;
  FAnyFailed = true;
  if (FKeepGoing || FFinished) return;
  FFinished = true;
  FOnEnd();
}

std::string THeadlessScript::Project(const TPoint3D& P) const {
  TViewport3D* Viewport = nullptr;
  for (int I = 0; I < Form()->ComponentCount() && !Viewport; ++I)
    Viewport = dynamic_cast<TViewport3D*>(Form()->Components(I));
  if (!Viewport || !Viewport->GetContext()) throw Exception("The viewport has no drawing context");
  const TPoint3D Pixel = Viewport->ProjectToFrame(P);
  return "pixel = (" + FormatSingle(Pixel.X) + ", " + FormatSingle(Pixel.Y) + ") depth " + FormatSingle(Pixel.Z);
}

TComponent* THeadlessScript::Form() const {
  // The game's form, or the stored form run instead of it.
  TComponent* Main = Application ? Application->MainForm() : nullptr;
  if (!Main) throw Exception("The form does not exist");
  return Main;
}

TPlatformWindow& THeadlessScript::Window() const {
  TCommonCustomForm* Main = Application ? Application->MainForm() : nullptr;
  TPlatformWindow* W = TPlatform::Current() && Main ? TPlatform::Current()->FindWindow(Main) : nullptr;
  if (!W) throw Exception("The form has no window");
  return *W;
}

void THeadlessScript::Step() {
  // The last advance ended early: its own timers made it too long to run.
  if (const std::string Cut = FHost.TakeStepError(); !Cut.empty()) {
    Fail(FAdvanceLine, Cut);
    if (FFinished) return;
  }
  // A replayed recording asked for a tick of a timer that did not run.
  if (const std::string Missing = TPlatform::Current()->TakeTickError(); !Missing.empty()) {
    FOutput << "error: " << Missing << std::endl;
    FAnyFailed = true;
  }
  std::string Line;
  while (!FFinished) {
    if (!std::getline(FInput, Line)) {
      FFinished = true;
      FOnEnd();
      return;
    }
    ++FLine;
    // A recording is written a whole line at a time: a last line without its newline is what a
    // killed recorder left of one, and the replay ends before it. A script written by hand
    // runs its last line whether it ends with a newline or not.
    if (FInput.eof() && FRecording) {
      FFinished = true;
      FOnEnd();
      return;
    }
    const std::string Trimmed = Trim(Line);
    if (Trimmed.empty() || Trimmed[0] == '#') continue;
    Execute(Trimmed);
    return;
  }
}

bool THeadlessScript::Execute(const std::string& Line) {
  std::string Command, Rest;
  SplitCommand(Line, Command, Rest);
  try {
    Run(Command, Rest);
    FOutput.flush();
    return true;
  } catch (const std::exception& E) {
    Fail(FLine, E.what());
    return false;
  }
}

void THeadlessScript::Run(const std::string& Command, const std::string& Rest) {
  if (Command == "get") {
    const TPropertyTarget Target = ResolvePropertyPath(Form(), Rest);
    FOutput << Rest << " = " << FormatPropertyValue(Form(), Target) << "\n";
  } else if (Command == "set") {
    std::string Path, Value;
    SplitCommand(Rest, Path, Value);
    const TPropertyTarget Target = ResolvePropertyPath(Form(), Path);
    ParsePropertyValue(Form(), Target, Value);
  } else if (Command == "call") {
    const TMethodInfo* Method = Form()->ClassType().FindMethod(Rest);
    if (!Method) throw Exception(Format("Method %s not found", {Rest}));
    TNotifyEvent::FromMethod(TMethod{Method->Code, Form()})(Form());
  } else if (Command == "matrix") {
    auto* Object = dynamic_cast<TControl3D*>(FindNamedComponent(Form(), Rest));
    if (!Object) throw Exception(Format("%s is not a 3D object", {Rest}));
    const TMatrix3D& M = Object->AbsoluteMatrix();
    FOutput << Rest << " =";
    for (int Row = 0; Row < 4; ++Row)
      for (int Col = 0; Col < 4; ++Col) FOutput << " " << FormatSingle(M.M(Row, Col));
    FOutput << "\n";
  } else if (Command == "advance") {
    FAdvanceLine = FLine;
    FHost.Advance(ParseMilliseconds(Rest));
  } else if (Command == "log") {
    if (Rest == "on")
      SetHandlerTrace([this](const char* Handler) { FOutput << "> " << Handler << "\n"; });
    else if (Rest == "off")
      SetHandlerTrace(nullptr);
    else
      throw Exception("log takes on or off");
  } else if (Command == "timers") {
    TPlatform& P = *TPlatform::Current();
    for (const TWin32TimerInfo& R : P.TimerData()) {
      TObject* Object = R.TimerFunc.Data();
      std::string Owner = "?";
      if (Object == Application)
        Owner = "Application";
      else if (auto* C = dynamic_cast<TComponent*>(Object))
        Owner = C->Name();
      FOutput << R.TimerHandle << " " << P.TimerInterval(R.TimerID) << " " << Owner << "\n";
    }
  } else if (Command == "project") {
    float P[3];
    if (ParseFloatTuple("(" + Rest, P, 3) != 3) {
      // Also accepts "X Y Z" separated by blanks.
      std::istringstream In(Rest);
      if (!(In >> P[0] >> P[1] >> P[2])) throw Exception("project takes X Y Z");
    }
    FOutput << Project(TPoint3D(P[0], P[1], P[2])) << "\n";
  } else if (Command == "frame") {
    // The loop has run every paint of the current moment before it asked for this command.
    if (Rest.empty()) throw Exception("frame takes a file name");
    SaveWindowFrame(TPlatform::Current()->Backend(), Window(), Rest);
  } else if (Command == "resize") {
    std::istringstream In(Rest);
    float Width = 0, Height = 0;
    std::string Extra;
    if (!(In >> Width >> Height) || (In >> Extra)) throw Exception("resize takes a width and a height");
    if (!(Width > 0) || !(Height > 0)) throw Exception("resize takes a width and a height above 0");
    TPlatformWindow& W = Window();
    auto Physical = [&W](float Logical) {
      return static_cast<int32_t>(std::ceil(static_cast<double>(Logical) * static_cast<double>(W.Scale())));
    };
    FHost.Resize(W, Physical(Width), Physical(Height));
  } else if (Command == "scale") {
    std::istringstream In(Rest);
    float Scale = 0;
    std::string Extra;
    if (!(In >> Scale) || (In >> Extra) || !(Scale > 0)) throw Exception("scale takes a positive number");
    FHost.ChangeScale(Window(), Scale);
  } else if (Command == "close") {
    FHost.Close(Window());
  } else if (Command == "size") {
    TPlatformWindow& W = Window();
    const TSizeF Client = W.LogicalClientSize();
    FOutput << "client = " << FormatSingle(Client.Width) << " x " << FormatSingle(Client.Height) << " logical, "
            << W.ClientWidth() << " x " << W.ClientHeight() << " physical\n";
  } else if (Command == "device") {
    const std::string Class = TContextManager::DefaultContextClass();
    if (Class == "TNullContext")
      FOutput << "null\n";
    else
      FOutput << Class << " " << TContextManager::DeviceRenderer() << "\n";
  } else if (Command == "pixels") {
    if (!Rest.empty()) throw Exception("pixels takes nothing");
    auto Mb = [](int64_t Bytes) {
      char Text[32];
      std::snprintf(Text, sizeof Text, "%.1f", static_cast<double>(Bytes) / (1 << 20));
      return std::string(Text);
    };
    FOutput << "pixels = " << Mb(TPixelBudget::InUse()) << " MB of " << Mb(TPixelBudget::Total()) << " MB\n";
  } else if (Command == "focus") {
    if (!Rest.empty()) throw Exception("focus takes nothing");
    auto* F = dynamic_cast<TCommonCustomForm*>(Form());
    TControl* Focused = F ? F->GetFocused() : nullptr;
    FOutput << "focus = " << (!Focused ? "nil" : Focused->Name().empty() ? Focused->ClassName() : Focused->Name())
            << "\n";
  } else if (Command == "bounds") {
    if (Rest.empty()) throw Exception("bounds takes a control's name");
    auto* C = dynamic_cast<TControl*>(FindNamedComponent(Form(), Rest));
    if (!C) throw Exception(Format("%s is not a control", {Rest}));
    FOutput << Rest << " = (" << FormatSingle(C->Position()->X()) << ", " << FormatSingle(C->Position()->Y()) << ", "
            << FormatSingle(C->Width()) << ", " << FormatSingle(C->Height()) << ")\n";
  } else if (THeadlessInput::IsCommand(Command)) {
    // Posted: the loop delivers it before the next command.
    FInputCommands.Run(Window(), Command, Rest);
  } else if (THeadlessReplay::IsCommand(Command)) {
    auto* Main = dynamic_cast<TCommonCustomForm*>(Form());
    if (!Main) throw Exception("The form does not exist");
    FReplayCommands.Run(Command, Rest, *Main, Window(), FHost);
    if (Command == "recorded") FRecording = true;
  } else if (Command == "quit") {
    FFinished = true;
    FOnEnd();
  } else {
    throw Exception(Format("Unknown command: %s", {Command}));
  }
}
