// Fuzz target for input: the bytes are read as what a player and the system do to a form's
// window, one event at a time (the mouse's buttons, moves, double clicks and wheel, keys with
// modifiers, typed text, the mouse leaving, resizes down to nothing and up to huge sizes, scale
// changes, time passing, the window closed and the form made again), delivered through the
// platform's window procedure as the headless driver's commands deliver them, to the game's form
// or to a form of resources/examples/ (headless back end, null device). The loop runs as the
// application's loop runs it; after each event, once the loop has handled all it caused, the
// rules that hold whatever the player does are checked and the first broken one stops the run,
// saying which.
//
// The first byte chooses the form; then each event is one byte of kind and the bytes of its
// arguments (missing bytes read as 0).
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <sanitizer/allocator_interface.h>

#include "game/Register.h"
#include "game/Unit1.h"
#include "scene3d/Cylinder.h"
#include "scene3d/Layer3D.h"
#include "scene3d/Math3D.h"
#include "scene3d/context/ContextManager.h"
#include "scene3d/context/GLDevice.h"
#include "shell/app/Application.h"
#include "shell/canvas/PixelBudget.h"
#include "shell/controls/Button.h"
#include "shell/controls/TrackBar.h"
#include "shell/core/Exceptions.h"
#include "shell/core/HandlerTrace.h"
#include "shell/core/LiveCount.h"
#include "shell/platform/Platform.h"
#include "shell/platform/headless/HeadlessPlatform.h"
#include "shell/stream/Resources.h"
#include "tools/form/FormFile.h"

namespace {
// Stops the run, saying why: the found input alone does not tell which rule broke.
void Require(bool Condition, const std::string& Why) {
  if (Condition) return;
  std::fprintf(stderr, "broken: %s\n", Why.c_str());
  std::abort();
}

std::string Str(double V) {
  char Text[64];
  std::snprintf(Text, sizeof Text, "%.9g", V);
  return Text;
}

// KELVANE_INPUT_TRACE set: each event and the state after it on standard error, to read what a
// found input does.
const bool Trace = std::getenv("KELVANE_INPUT_TRACE") != nullptr;

// The forms the target drives: the game's and the examples, read once.
struct TFormChoice {
  std::string Name;
  TFormFile File;  // empty for the game's form, which is built in
};
std::vector<TFormChoice> Forms;

// What stays when a form is gone: what the process had before the form was made.
struct TCounts {
  int64_t Components = 0;
  size_t Timers = 0;  // the application's own idle timer comes and goes and is not counted
  size_t Windows = 0;
  int GLObjects = 0;
  int64_t Pixels = 0;  // bytes of the pixel budget in use: a share never given back would, over a
                       // long session, leave too little for a form to load

  bool operator==(const TCounts&) const = default;
  std::string Text() const {
    return Str(static_cast<double>(Components)) + " components, " + Str(static_cast<double>(Timers)) + " timers, " +
           Str(static_cast<double>(Windows)) + " windows, " + Str(GLObjects) + " GL objects, " +
           Str(static_cast<double>(Pixels)) + " bytes of pixels";
  }
};

TCounts Count() {
  TCounts C;
  C.Components = LiveComponentCount();
  for (const TWin32TimerInfo& R : TPlatform::Current()->TimerData())
    if (R.TimerFunc.Data() != Application) ++C.Timers;
  C.Windows = TPlatform::Current()->Windows().size();
  C.GLObjects = TGLDevice::Instance() ? TGLDevice::Instance()->LiveObjectCount() : 0;
  C.Pixels = TPixelBudget::InUse();
  return C;
}

// The keys an event may press, with the character a keyboard gives with them unshifted.
struct TKey {
  uint16_t Key;
  char32_t Char;
};
constexpr uint16_t vkDelete = 46, vkF1 = 112;
const TKey Keys[] = {{vkReturn, 0}, {vkEscape, 0}, {vkTab, 0},   {vkSpace, U' '}, {vkBack, 0},    {vkDelete, 0},
                     {vkLeft, 0},   {vkRight, 0},  {vkUp, 0},    {vkDown, 0},     {vkHome, 0},    {vkEnd, 0},
                     {vkPrior, 0},  {vkNext, 0},   {'S', U's'},  {'A', U'a'},     {'1', U'1'},    {vkF1, 0}};
// Typed characters beyond ASCII: accented, outside the basic plane, the replacement character.
const char32_t Typed[] = {U'\u00e9', U'\u20ac', U'\U0001F600', U'\uFFFD', U'\t', U'\r', 0x7F};
// Physical client sizes: nothing, slivers, the game's own, large and the largest a window takes.
const int32_t Sizes[] = {0, 1, 2, 7, 40, 80, 120, 320, 480, 634, 1000, 1920, 4000, TPlatformWindow::MaxPosition};
const float Scales[] = {0.25f, 0.5f, 1, 1.25f, 1.5f, 2, 3, 4};
// Virtual time: nothing, around the slider's paging steps (10, 500, 20 ms), a frame, seconds.
const double Steps[] = {0, 1, 9, 10, 11, 16, 20, 21, 100, 490, 500, 510, 1000, 2000, 3000};

const char* const EventNames[] = {"move", "button", "double click", "wheel", "key down", "key up", "text", "leave",
                                  "resize", "scale", "advance", "close", "failing handlers"};

template <class T, size_t N>
const T& Pick(const T (&Table)[N], uint8_t Byte) {
  return Table[Byte % N];
}

enum TEventKind : uint8_t {
  evMove, evButton, evDoubleClick, evWheel, evKeyDown, evKeyUp, evType, evLeave, evResize, evScale, evAdvance,
  evClose, evFailHandlers, evKindCount
};

class TInputRun {
 public:
  // A warm-up run makes what the process keeps and does not count.
  TInputRun(THeadlessBackend& Backend, const uint8_t* Data, size_t Size, bool WarmUp = false)
      : FBackend(Backend), FData(Data), FSize(Size), FWarmUp(WarmUp) {}

  void Run() {
    FChoice = &Forms[Next() % Forms.size()];
    FBaseline = Count();
    Open();
    FBackend.SetDriver([this] { Step(); });
    // The application's loop, as the platform runs it: every exception that escapes a message
    // goes to the application's handler, which shows it in an error box.
    while (!FFinished) {
      Require(!Application->Terminated(), "the application ended");
      try {
        Application->HandleMessage();
      } catch (...) {
        Application->HandleException(Application);
      }
    }
    FBackend.SetDriver(nullptr);
    CloseForm();
  }

 private:
  uint8_t Next() { return FPos < FSize ? FData[FPos++] : 0; }

  void Open() {
    try {
      if (FChoice->File.Class) {
        StoreFormDescription(FChoice->File);
        // Kept only while the form is made: a stored description of TForm would be read as the
        // ancestor of every form class after it.
        struct TForget {
          const TMetaClass& Class;
          ~TForget() { RemoveResource(Class.Name(), RT_RCDATA); }
        } Forget{*FChoice->File.Class};
        TComponent* Made = FChoice->File.Class->Create(nullptr);
        FForm = dynamic_cast<TCommonCustomForm*>(Made);
        Require(FForm != nullptr, FChoice->Name + " is not a form");
        try {
          FForm->AfterConstruction();
        } catch (...) {
          FForm->Free();
          FForm = nullptr;
          throw;
        }
      } else {
        FForm = NewForm<TForm1>(nullptr);
      }
    } catch (const Exception& E) {
      // A form made again while handlers fail: its FormCreate fails, and the form's construction
      // with it, which frees the form and everything it had made by then (its window, Timer2,
      // its scene). The user starts the game again, with handlers that work.
      Require(FInjected && FFailHandlers, FChoice->Name + " does not load: " + E.Message());
      FForm = nullptr;
      const TCounts After = Count();
      Require(After == FBaseline, "after " + FChoice->Name + " failed to load: " + After.Text() +
                                      ", before it was made: " + FBaseline.Text());
      FInjected = false;
      FFailHandlers = false;
      Open();
      return;
    }
    FGame = dynamic_cast<TForm1*>(FForm);
    FHeadingKnown = true;
    FForm->Show();
  }

  // The form freed, as the application frees it at exit: nothing it made may stay behind.
  void CloseForm() {
    FForm->Free();
    FForm = nullptr;
    FGame = nullptr;
    const TCounts After = Count();
    Require(FWarmUp || After == FBaseline, "after " + FChoice->Name + " was freed: " + After.Text() + ", before it was made: " +
                                    FBaseline.Text());
  }

  TPlatformWindow& Window() {
    TPlatformWindow* W = TPlatform::Current()->FindWindow(FForm);
    Require(W != nullptr, "the form has no window");
    return *W;
  }

  // Called by the loop whenever it would wait: the last event and all it caused are handled.
  void Step() {
    if (Trace) {
      const TSizeF Client = Window().LogicalClientSize();
      std::fprintf(stderr, "after %s: client %gx%g, mouse (%g, %g), held %d%d%d, capture %s, timers", FEventName.c_str(),
                   Client.Width, Client.Height, FMouse.X, FMouse.Y, FHeld[0], FHeld[1], FHeld[2],
                   FForm->GetCaptured() ? FForm->GetCaptured()->Name().c_str() : "none");
      for (const TWin32TimerInfo& R : TPlatform::Current()->TimerData())
        if (auto* C = dynamic_cast<TComponent*>(R.TimerFunc.Data())) std::fprintf(stderr, " %s", C->Name().c_str());
      std::fprintf(stderr, "\n");
    }
    Check();
    FInjected = false;
    if (FReopen) {
      FReopen = false;
      CloseForm();
      Open();
      return;
    }
    if (FPos >= FSize) {
      FFinished = true;
      return;
    }
    Deliver(static_cast<TEventKind>(Next() % evKindCount));
  }

  TShiftState Modifiers(uint8_t Byte) const {
    TShiftState S;
    if (Byte & 1) S.Include(ssShift);
    if (Byte & 2) S.Include(ssCtrl);
    if (Byte & 4) S.Include(ssAlt);
    return S;
  }
  // The modifiers with the buttons held now, as SDL reports them.
  TShiftState WithButtons(TShiftState S) const {
    if (FHeld[mbLeft]) S.Include(ssLeft);
    if (FHeld[mbRight]) S.Include(ssRight);
    if (FHeld[mbMiddle]) S.Include(ssMiddle);
    return S;
  }
  // A point of the client area or a little beyond its edges, in logical pixels.
  TPointF Point() {
    const TSizeF Client = Window().LogicalClientSize();
    const float X = Next() / 255.0f, Y = Next() / 255.0f;
    return {X * (Client.Width + 20) - 10, Y * (Client.Height + 20) - 10};
  }

  void Post(std::function<void(TPlatform&, TPlatformWindow&)> Proc) {
    TPlatform& P = *TPlatform::Current();
    P.PostWindowMessage(Window(), [&P, Proc = std::move(Proc)](TPlatformWindow& W) { Proc(P, W); });
  }
  void MoveTo(const TPointF& P, TShiftState Shift) {
    if (FMouseKnown && FMouse == P) return;
    FMouse = P;
    FMouseKnown = true;
    const float S = Window().Scale();
    Shift = WithButtons(Shift);
    Post([Shift, X = P.X * S, Y = P.Y * S](TPlatform& Pl, TPlatformWindow& W) { Pl.WindowMouseMove(W, Shift, X, Y); });
  }
  // A press or a release of Button at P, after a move there, as the window procedure gets them.
  void SetButton(TMouseButton Button, bool Down, TShiftState Shift, const TPointF& P) {
    MoveTo(P, Shift);
    FHeld[Button] = Down;
    Shift = WithButtons(Shift);
    const float S = Window().Scale();
    Post([Button, Down, Shift, X = P.X * S, Y = P.Y * S](TPlatform& Pl, TPlatformWindow& W) {
      if (Down)
        Pl.WindowMouseDown(W, Button, Shift, X, Y);
      else
        Pl.WindowMouseUp(W, Button, Shift, X, Y);
    });
  }
  void Press(TMouseButton Button, TShiftState Shift, const TPointF& P) { SetButton(Button, true, Shift, P); }
  void Release(TMouseButton Button, TShiftState Shift, const TPointF& P) { SetButton(Button, false, Shift, P); }

  void Deliver(TEventKind Kind) {
    // The button clicks on a release of the left button, on the second press of a double click
    // of any button (a control's double click runs whichever button gives it), and on keys; its
    // repeat timer (which the game's button does not have) never runs.
    FClickMayCome = Kind == evKeyDown;
    FEventName = EventNames[Kind];
    switch (Kind) {
      case evMove: {
        const TShiftState Shift = Modifiers(Next());
        MoveTo(Point(), Shift);
        break;
      }
      case evButton: {
        // A button that is up goes down, one that is held comes up: a mouse has no other order.
        const uint8_t B = Next();
        const auto Button = static_cast<TMouseButton>(B % 3);
        const TShiftState Shift = Modifiers(B / 3);
        const TPointF P = Point();
        FClickMayCome = Button == mbLeft && FHeld[Button];
        FEventName = FHeld[Button] ? "release of button " + Str(Button) : "press of button " + Str(Button);
        if (FHeld[Button])
          Release(Button, Shift, P);
        else
          Press(Button, Shift, P);
        break;
      }
      case evDoubleClick: {
        // The second press of a double click, where the mouse is.
        const uint8_t B = Next();
        const auto Button = static_cast<TMouseButton>(B % 3);
        if (FHeld[Button] || !FMouseKnown) break;
        FClickMayCome = true;
        Press(Button, Modifiers(B / 3) + TShiftState{ssDouble}, FMouse);
        break;
      }
      case evWheel: {
        const int Delta = static_cast<int8_t>(Next()) * 30;
        const TShiftState Shift = WithButtons(Modifiers(Next()));
        Post([Shift, Delta](TPlatform& Pl, TPlatformWindow& W) { Pl.WindowMouseWheel(W, Shift, Delta); });
        break;
      }
      case evKeyDown:
      case evKeyUp: {
        const TKey& K = Pick(Keys, Next());
        const TShiftState Shift = Modifiers(Next());
        char32_t Char = Shift.Contains(ssCtrl) ? 0 : K.Char;
        if (Char >= U'a' && Char <= U'z' && Shift.Contains(ssShift)) Char = Char - U'a' + U'A';
        if (Kind == evKeyDown)
          Post([Key = K.Key, Char, Shift](TPlatform& Pl, TPlatformWindow& W) { Pl.WindowKeyDown(W, Key, Char, Shift); });
        else
          Post([Key = K.Key, Shift](TPlatform& Pl, TPlatformWindow& W) { Pl.WindowKeyUp(W, Key, 0, Shift); });
        break;
      }
      case evType: {
        // A character without a key, as SDL's text input delivers it.
        const uint8_t B = Next();
        const char32_t C = B >= 32 && B < 127 ? B : Pick(Typed, B);
        Post([C](TPlatform& Pl, TPlatformWindow& W) { Pl.WindowKeyDown(W, 0, C, {}); });
        break;
      }
      case evLeave:
        FMouseKnown = false;
        Post([](TPlatform& Pl, TPlatformWindow& W) { Pl.WindowMouseLeave(W); });
        break;
      case evResize: {
        const int32_t Width = Pick(Sizes, Next()), Height = Pick(Sizes, Next());
        FBackend.Resize(Window(), Width, Height);
        break;
      }
      case evScale:
        FBackend.ChangeScale(Window(), Pick(Scales, Next()));
        break;
      case evAdvance:
        FBackend.Advance(Pick(Steps, Next()));
        break;
      case evClose:
        // The user closes the window; once that is handled the form is freed and made again.
        FBackend.Close(Window());
        FReopen = true;
        break;
      case evFailHandlers:
        FFailHandlers = !FFailHandlers;
        break;
      case evKindCount:
        break;
    }
  }

  // Calls Proc for every control of the form's own (not the controls of styles).
  template <class F>
  void ForEachControl(F Proc) {
    for (int I = 0; I < FForm->ComponentCount(); ++I)
      if (auto* C = dynamic_cast<TControl*>(FForm->Components(I))) Proc(*C);
  }

  void Check() {
    const std::vector<std::string>& Boxes = FBackend.ErrorBoxes();
    Require(Boxes.empty() || FInjected, "an error box with no handler failing: " + (Boxes.empty() ? "" : Boxes.front()));
    FBackend.ClearErrorBoxes();
    const bool AnyHeld = FHeld[0] || FHeld[1] || FHeld[2];
    if (!AnyHeld) {
      if (TControl* Captured = FForm->GetCaptured())
        Require(false, "no button is held, and " + Captured->Name() + " " + Captured->ClassName() + " has the capture");
      for (int I = 0; I < FForm->ComponentCount(); ++I)
        if (auto* L = dynamic_cast<TCustomLayer3D*>(FForm->Components(I)))
          Require(L->GetCaptured() == nullptr, "no button is held, and a control of " + L->Name() + " has the capture");
      for (const TWin32TimerInfo& R : TPlatform::Current()->TimerData())
        if (auto* C = dynamic_cast<TControl*>(R.TimerFunc.Data()))
          Require(false, "no button is held, and " + C->Name() + " " + C->ClassName() + " runs a timer");
    }
    ForEachControl([&](TControl& C) {
      if (auto* Track = dynamic_cast<TCustomTrack*>(&C)) {
        const float V = Track->Value();
        Require(std::isfinite(V) && std::isfinite(Track->Min()) && std::isfinite(Track->Max()) && V >= Track->Min() &&
                    V <= Track->Max(),
                C.Name() + ".Value " + Str(V) + " outside " + Str(Track->Min()) + " .. " + Str(Track->Max()));
        if (!AnyHeld) {
          Require(!Track->Paging(), C.Name() + " pages with no button held");
          Require(!Track->Thumb() || !Track->Thumb()->IsPressed(), C.Name() + "'s thumb is pressed with no button held");
        }
      }
      if (auto* Button = dynamic_cast<TCustomButton*>(&C)) {
        Require(!Button->IsPressed() || Button->StaysPressed() || FHeld[mbLeft],
                C.Name() + " is drawn pressed with the left button up");
        Require(!Button->Pressing() || FHeld[mbLeft], C.Name() + " is pressing with the left button up");
      }
      if (C.Align() != TAlignLayout::None && C.ParentedVisible()) CheckInsideParent(C);
    });
    if (TControl* Focused = FForm->GetFocused())
      Require(Focused->ParentedVisible() && Focused->AbsoluteEnabled(),
              Focused->Name() + " has the focus but is hidden or disabled");
    if (FGame && FGame->TrackBar1 && FGame->Cylinder1 && FHeadingKnown) {
      // A rotation angle is wrapped into [0, 360) when it turns the object (-1 degree is held as
      // 359); a write that does not turn it (-180 after 180) is kept as written.
      const float Value = FGame->TrackBar1->Value(), Heading = FGame->Cylinder1->RotationAngle()->Y();
      Require(Heading == WrapAngle(Value) || Heading == Value,
              "the slider is at " + Str(Value) + ", the torpedo's heading " + Str(Heading));
    }
  }

  // An aligned child lies within its parent's area (a control's size, the form's client area)
  // whenever the area can hold what its edge-aligned children keep as their own sides: a panel
  // 40 high at the bottom of a form 2 high stands out by 38, as the layout rules place it.
  // Centred and scaled children may be larger than their parent and are not checked.
  void CheckInsideParent(TControl& C) {
    using A = TAlignLayout;
    const A Align = C.Align();
    if (Align == A::Center || Align == A::VertCenter || Align == A::HorzCenter || Align == A::Scale) return;
    TRectF Area;
    TTreeObject* Parent = C.Parent();
    if (TControl* P = C.ParentControl())
      Area = P->LocalRect();
    else if (Parent == FForm)
      Area = TRectF(0, 0, static_cast<float>(FForm->ClientWidth()), static_cast<float>(FForm->ClientHeight()));
    else
      return;  // laid out by a layer in 3D, on its own surface
    // An area of no size lays nothing out: the children keep their last places, as in a
    // minimised window.
    if (!(Area.Width() > 0 && Area.Height() > 0)) return;
    double Rows = 0, Columns = 0;
    for (TTreeObject* Child : Parent->ChildList()) {
      auto* S = dynamic_cast<TControl*>(Child);
      if (!S || !S->Visible() || S->IsStyleResource()) continue;
      const A Edge = S->Align();
      if (Edge == A::Top || Edge == A::Bottom || Edge == A::MostTop || Edge == A::MostBottom)
        Rows += S->Margins()->Top() + S->Height() + S->Margins()->Bottom();
      if (Edge == A::Left || Edge == A::Right || Edge == A::MostLeft || Edge == A::MostRight)
        Columns += S->Margins()->Left() + S->Width() + S->Margins()->Right();
    }
    if (Rows > Area.Height() || Columns > Area.Width()) return;
    const TRectF R = C.BoundsRect();
    constexpr float Slack = 0.01f;
    Require(std::isfinite(R.Left) && std::isfinite(R.Top) && std::isfinite(R.Right) && std::isfinite(R.Bottom) &&
                R.Left >= Area.Left - Slack && R.Top >= Area.Top - Slack && R.Right <= Area.Right + Slack &&
                R.Bottom <= Area.Bottom + Slack,
            C.Name() + " at (" + Str(R.Left) + ", " + Str(R.Top) + ", " + Str(R.Right) + ", " + Str(R.Bottom) +
                ") outside its parent's (" + Str(Area.Left) + ", " + Str(Area.Top) + ", " + Str(Area.Right) + ", " +
                Str(Area.Bottom) + ")");
  }

 public:
  // Told the name of each handler of the game's form as it starts: while handlers fail, each
  // raises as a handler of the user's would, before it does anything.
  void HandlerStarts(const char* Handler) {
    const std::string Name = Handler;
    Require(Name != "Button1Click" || FClickMayCome,
            "Button1Click ran on an event that clicks nothing: " + FEventName);
    if (!FFailHandlers) return;
    FInjected = true;
    if (Name == "TrackBar1Change") FHeadingKnown = false;
    throw EInvalidOperation(Name + " failed");
  }

 private:
  THeadlessBackend& FBackend;
  const uint8_t* FData;
  size_t FSize;
  bool FWarmUp;
  size_t FPos = 0;
  const TFormChoice* FChoice = nullptr;
  TCounts FBaseline;
  TCommonCustomForm* FForm = nullptr;
  TForm1* FGame = nullptr;
  bool FFinished = false;
  bool FReopen = false;
  bool FFailHandlers = false;
  bool FInjected = false;       // a handler failed on purpose during the current event
  bool FHeadingKnown = true;    // no failed TrackBar1Change left the heading behind the slider
  bool FClickMayCome = false;  // the event being handled may click the button
  std::string FEventName;
  bool FHeld[3] = {false, false, false};
  bool FMouseKnown = false;
  TPointF FMouse;
};

TInputRun* Current = nullptr;

// KELVANE_INPUT_SOAK set (fuzz/soak, which replays the kept inputs round after round): the heap
// in use after an input's runs of a round may not grow past what it was after its runs of the
// second round (the first fills what the process keeps: caches of glyphs, styles, shaders) by
// more than SoakSlack. A session that keeps something of every form it drives grows round after
// round. A round of an input is its runs in a row (libFuzzer runs a file given to it twice).
const bool Soak = std::getenv("KELVANE_INPUT_SOAK") != nullptr;
constexpr size_t SoakSlack = 64 * 1024;
struct TSoakRecord {
  int Rounds = 0;
  size_t Settled = 0;  // the heap in use after the second round's runs
};
std::map<std::string, TSoakRecord> SoakRecords;
const std::string* SoakLastInput = nullptr;
size_t SoakRuns = 0, SoakFirstSettled = 0, SoakLast = 0;

void SoakCheck(const uint8_t* Data, size_t Size) {
  const size_t Heap = __sanitizer_get_current_allocated_bytes();
  const auto Record = SoakRecords.try_emplace(std::string(reinterpret_cast<const char*>(Data), Size)).first;
  TSoakRecord& R = Record->second;
  if (SoakLastInput != &Record->first) ++R.Rounds;
  SoakLastInput = &Record->first;
  ++SoakRuns;
  SoakLast = Heap;
  if (R.Rounds == 2) {
    R.Settled = Heap;
    if (!SoakFirstSettled) SoakFirstSettled = Heap;
  } else if (R.Rounds > 2) {
    Require(Heap <= R.Settled + SoakSlack, "the heap grows: " + Str(static_cast<double>(Heap)) +
                                               " bytes in use after round " + Str(R.Rounds) + " of an input, " +
                                               Str(static_cast<double>(R.Settled)) + " after its second");
  }
}

void SoakReport() {
  std::fprintf(stderr, "soak: %zu runs of %zu inputs; heap in use %zu bytes after the second round of the first, %zu at the end\n",
               SoakRuns, SoakRecords.size(), SoakFirstSettled, SoakLast);
}

THeadlessBackend& SetUp() {
  THeadlessOptions Options;
  Options.PrintErrorBoxes = false;
  THeadlessBackend& Backend = InstallHeadlessPlatform(Options);
  TContextManager::SetDeviceChoice(TDeviceChoice::Null);
  RegisterGameClasses();
  SetHandlerTrace([](const char* Handler) {
    if (Current) Current->HandlerStarts(Handler);
  });
  Forms.push_back({"the game's form", {}});
  std::vector<std::string> Paths;
  // fuzz/check names the folder relative to its staging folder, so that the paths the process
  // holds are the same from every clone.
  const char* Examples = std::getenv("KELVANE_EXAMPLES");
  for (const auto& Entry : std::filesystem::directory_iterator(Examples ? Examples : KELVANE_EXAMPLES_DIR))
    if (Entry.path().extension() == ".txt") Paths.push_back(Entry.path().string());
  std::sort(Paths.begin(), Paths.end());
  for (const std::string& Path : Paths) Forms.push_back({Path, ReadFormFile(Path)});
  // What a process makes once and keeps (styles, fonts, the device) is made before the first
  // count: each form made and freed once.
  for (size_t I = 0; I < Forms.size(); ++I) {
    const uint8_t Choice = static_cast<uint8_t>(I);
    TInputRun(Backend, &Choice, 1, true).Run();
  }
  if (Soak) std::atexit(SoakReport);
  return Backend;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static THeadlessBackend& Backend = SetUp();
  if (Size == 0) return 0;
  TInputRun Run(Backend, Data, Size);
  Current = &Run;
  Run.Run();
  Current = nullptr;
  if (Soak) SoakCheck(Data, Size);
  return 0;
}
