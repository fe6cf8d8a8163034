#include "shell/platform/Platform.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <utility>

#include "shell/app/Application.h"
#include "shell/app/ApplicationMessages.h"
#include "shell/core/Messaging.h"
#include "shell/core/Exceptions.h"
#include "shell/core/PlatformServices.h"
#include "shell/core/ScopeExit.h"
#include "shell/forms/Form.h"
#include "shell/platform/Fingerprint.h"
#include "shell/platform/Recorder.h"

namespace {
TPlatform* GCurrent = nullptr;

template <typename I>
void Register(I* Service) {
  TPlatformServices::Current().AddPlatformService(I::ServiceName(), Service);
}
template <typename I>
void Unregister() {
  TPlatformServices::Current().RemovePlatformService(I::ServiceName());
}
}  // namespace

TPlatform* TPlatform::Current() { return GCurrent; }

TPlatform::TPlatform(std::unique_ptr<TPlatformBackend> ABackend) : FBackend(std::move(ABackend)) {
  GCurrent = this;
  FBackend->Attach(*this);
  Register<IApplicationService>(this);
  Register<ITimerService>(this);
  Register<IWindowService>(this);
  Register<IScreenService>(this);
  Register<IDialogService>(this);
  FMainCaptionChangedId = TMessageManager::DefaultManager().SubscribeToMessage<TMainCaptionChangedMessage>(
      [this](TObject*, const TMessageBase&) { UpdateAppTitle(); });
  if (!Application) {
    Application = new TApplication(nullptr);
    FOwnsApplication = true;
  }
}

TPlatform::~TPlatform() {
  TMessageManager::DefaultManager().Unsubscribe<TMainCaptionChangedMessage>(FMainCaptionChangedId);
  if (FOwnsApplication && Application) {
    Application->Free();
    Application = nullptr;
  }
  Unregister<IDialogService>();
  Unregister<IScreenService>();
  Unregister<IWindowService>();
  Unregister<ITimerService>();
  Unregister<IApplicationService>();
  if (GCurrent == this) GCurrent = nullptr;
}

// ---------------------------------------------------------------------------------------------
// The loop

void TPlatform::Run() {
  FRunning = true;
  Application->RealCreateForms();
  UpdateAppTitle();
  if (FRecorder) FRecorder->Begin(*this);
  while (!Application->Terminated()) {
    try {
      Application->HandleMessage();
    } catch (...) {
      Application->HandleException(this);
    }
  }
  FRunning = false;
}

bool TPlatform::HandleMessage() {
  FBackend->Poll();
  CheckTimers();
  TMessage Message;
  bool Quit = false;
  TPlatformWindow* Paint = nullptr;
  uintptr_t Tick = 0;
  if (!PeekMessage(Message, Quit, Paint, Tick)) return false;
  if (Quit) {
    if (Application) Application->SetTerminated(true);
    return true;
  }
  ++FDispatching;
  TScopeExit EndDispatch([this] {
    --FDispatching;
    // A termination asked for during the dispatch ends the loop after it.
    if (FIsPostQuitMessage) FQuitPosted = true;
  });
  if (Paint)
    DispatchPaint(*Paint);
  else if (Tick) {
    if (FRecorder) FRecorder->Tick(TimerName(Tick));
    TimerCallBackProc(Tick);
  }
  else
    Dispatch(Message);
  return true;
}

bool TPlatform::PeekMessage(TMessage& Message, bool& Quit, TPlatformWindow*& Paint, uintptr_t& Tick) {
  if (!FPosted.empty()) {
    Message = std::move(FPosted.front());
    FPosted.pop_front();
    return true;
  }
  if (FQuitPosted) {
    FQuitPosted = false;
    Quit = true;
    return true;
  }
  for (const auto& W : FWindows)
    if (W->OnScreen() && W->NeedsPaint()) {
      Paint = W.get();
      return true;
    }
  if (FTicksByRequest) {
    while (!FRequested.empty()) {
      const std::string Name = std::move(FRequested.front());
      FRequested.pop_front();
      for (const TWin32TimerInfo& R : FTimerData)
        if (auto It = FPeriodic.find(R.TimerID); It != FPeriodic.end() && TimerName(R.TimerID) == Name) {
          // The timer keeps the phase it would have by the clock.
          It->second.NextDue += It->second.Interval;
          Tick = R.TimerID;
          return true;
        }
      if (FTickError.empty()) FTickError = Format("The recording has a tick of %s, which does not run", {Name});
    }
    return false;
  }
  TPeriodic* First = nullptr;
  for (auto& [ID, T] : FPeriodic)
    if (T.Pending && (!First || T.FellDue < First->FellDue)) {
      First = &T;
      Tick = ID;
    }
  if (!First) return false;
  First->Pending = false;
  return true;
}

bool TPlatform::HasMessage() {
  CheckTimers();
  if (!FPosted.empty() || FQuitPosted) return true;
  for (const auto& W : FWindows)
    if (W->OnScreen() && W->NeedsPaint()) return true;
  if (FTicksByRequest) return !FRequested.empty();
  for (const auto& [ID, T] : FPeriodic)
    if (T.Pending) return true;
  return false;
}

void TPlatform::WaitMessage() {
  if (HasMessage()) return;
  double Due = NextTimerDue();
  if (FIdleDriver) {
    // The driver may post, ask for ticks or end the program: the loop handles that first.
    const double Want = FIdleDriver();
    if (HasMessage() || Want <= FBackend->Now()) return;
    Due = std::min(Due, Want);
  }
  FBackend->Wait(Due);
}

void TPlatform::PostMessage(TMessage Message) { FPosted.push_back(std::move(Message)); }

void TPlatform::Dispatch(const TMessage& Message) {
  switch (Message.Kind) {
    case TMessageKind::Call:
      if (Message.Proc) Message.Proc();
      break;
    case TMessageKind::Close:
      if (Message.Window && FRecorder) FRecorder->Close(*this, *Message.Window);
      if (Message.Window) Message.Window->Form()->Close();
      break;
  }
}

void TPlatform::DispatchPaint(TPlatformWindow& Window) {
  // Frames asked for are drawn first: what they mark joins the parts waiting.
  if (Window.TakeFrameRequest()) Window.Form()->PrepareFrames();
  const std::vector<TRectF>& Rects = Window.TakeInvalid();
  if (Rects.empty()) return;
  std::vector<TRectF>& During = Window.InPaintUpdateRects();
  Window.SetPainting(true);
  TScopeExit EndPaint([&Window] {
    Window.SetPainting(false);
    // What was invalidated during the second pass waits for the next paint message.
    for (const TRectF& R : Window.InPaintUpdateRects()) Window.Invalidate(R);
    Window.InPaintUpdateRects().clear();
  });
  Window.Form()->PaintRects(Rects);
  if (!During.empty()) {
    std::vector<TRectF> More;
    More.swap(During);
    Window.Form()->PaintRects(More);
  }
}

void TPlatform::Terminate() {
  // The recording ends with the checks of the state the program ends in.
  if (FRecorder) {
    try {
      FRecorder->End(*this);
    } catch (const std::exception&) {
    }
  }
  FRunning = false;
  FTerminating = true;
  StopAllTimers();
  FIsPostQuitMessage = true;
  // Outside a dispatch nothing else would post the quit message.
  if (FDispatching == 0) FQuitPosted = true;
}

// ---------------------------------------------------------------------------------------------
// Timers

uintptr_t TPlatform::CreateTimer(int32_t Interval, TTimerProc TimerFunc) {
  if (FTerminating || Interval <= 0 || !TimerFunc.Assigned()) return 0;
  // The system refuses timers beyond its limit.
  if (FPeriodic.size() >= FBackend->TimerLimit()) return 0;
  uintptr_t TimerID = FNextTimerID++;
  FPeriodic[TimerID] = TPeriodic{Interval, FBackend->Now() + Interval};
  auto Handle = static_cast<uintptr_t>(static_cast<uint32_t>(FHandleCounter.fetch_add(16) + 16));
  FTimerData.push_back({TimerID, Handle, TimerFunc});
  return Handle;
}

bool TPlatform::DestroyTimer(uintptr_t Timer) {
  bool Result = false;
  for (size_t I = FTimerData.size(); I-- > 0;)
    if (FTimerData[I].TimerHandle == Timer) {
      Result = FPeriodic.erase(FTimerData[I].TimerID) > 0;
      FTimerData.erase(FTimerData.begin() + static_cast<std::ptrdiff_t>(I));
    }
  return Result;
}

void TPlatform::StopAllTimers() {
  std::vector<uintptr_t> Handles;
  for (const TWin32TimerInfo& R : FTimerData)
    if (R.TimerHandle != 0) Handles.push_back(R.TimerHandle);
  for (size_t I = Handles.size(); I-- > 0;) DestroyTimer(Handles[I]);
}

void TPlatform::CheckTimers() {
  if (FTicksByRequest) return;
  double Now = FBackend->Now();
  for (auto& [ID, T] : FPeriodic) {
    if (T.NextDue > Now) continue;
    if (!T.Pending) {
      T.Pending = true;
      T.FellDue = T.NextDue;
    }
    // Periods that passed while the tick waited are dropped; the timer keeps its phase.
    T.NextDue += (std::floor((Now - T.NextDue) / T.Interval) + 1) * T.Interval;
  }
}

double TPlatform::NextTimerDue() const {
  double Due = TPlatformBackend::NoDeadline;
  if (FTicksByRequest) return Due;
  for (const auto& [ID, T] : FPeriodic) Due = std::min(Due, T.NextDue);
  return Due;
}

int32_t TPlatform::TimerInterval(uintptr_t TimerID) const {
  auto It = FPeriodic.find(TimerID);
  return It == FPeriodic.end() ? 0 : It->second.Interval;
}

void TPlatform::TimerCallBackProc(uintptr_t TimerID) {
  for (size_t I = FTimerData.size(); I-- > 0;) {
    if (FTimerData[I].TimerID != TimerID) continue;
    // A copy: the handler may destroy its own record.
    TTimerProc Func = FTimerData[I].TimerFunc;
    try {
      Func();
    } catch (const Exception&) {
      if (!Application) throw;
      Application->HandleException(nullptr);
    }
    return;
  }
}

std::string TPlatform::TimerName(uintptr_t TimerID) const {
  std::map<std::string, int> Seen;
  for (const TWin32TimerInfo& R : FTimerData) {
    TObject* Owner = R.TimerFunc.Data();
    std::string Name = "?";
    if (Owner && Owner == Application)
      Name = "Application";
    else if (auto* C = dynamic_cast<TComponent*>(Owner))
      Name = C->Name().empty() ? C->ClassName() : C->Name();
    const int N = ++Seen[Name];
    if (R.TimerID == TimerID) return N > 1 ? Name + "#" + std::to_string(N) : Name;
  }
  return {};
}

void TPlatform::RequestTick(const std::string& Name) {
  FTicksByRequest = true;
  FRequested.push_back(Name);
}

void TPlatform::StopTicksByRequest() {
  if (!FTicksByRequest) return;
  FTicksByRequest = false;
  FRequested.clear();
  // The clock takes over from now: each timer's next period starts now.
  const double Now = FBackend->Now();
  for (auto& [ID, T] : FPeriodic) {
    T.NextDue = Now + T.Interval;
    T.Pending = false;
  }
}

std::string TPlatform::TakeTickError() { return std::exchange(FTickError, {}); }

void TPlatform::SetRecorder(std::unique_ptr<TRecorder> Recorder) { FRecorder = std::move(Recorder); }

std::string TPlatform::PresentedFingerprint(TPlatformWindow& Window) {
  // The checks stand for the state now: a picture of an older one waits for its paint.
  if (Window.OnScreen() && Window.NeedsPaint() && !Window.Painting()) DispatchPaint(Window);
  TPlatformBackend::TPresentedPixels Pixels;
  if (!FBackend->PresentedPixels(Window, Pixels) || !Pixels.Data) return {};
  return FrameFingerprint(Pixels.Data, Pixels.Width, Pixels.Height, Pixels.Stride);
}

// ---------------------------------------------------------------------------------------------
// Windows

TPlatformWindow* TPlatform::FindWindow(TCommonCustomForm* AForm) const {
  for (const auto& W : FWindows)
    if (W->Form() == AForm) return W.get();
  return nullptr;
}

TPlatformWindow& TPlatform::WindowOf(TCommonCustomForm* AForm) const {
  TPlatformWindow* W = FindWindow(AForm);
  if (!W) throw EInvalidOperation("Form has no window");
  return *W;
}

TWindowHandle* TPlatform::CreateWindow(TCommonCustomForm* AForm) {
  auto W = std::make_unique<TPlatformWindow>(AForm, FBackend.get());
  W->SetCaption(AForm->Caption());
  FBackend->CreateNativeWindow(*W);
  FWindows.push_back(std::move(W));
  return FWindows.back().get();
}

void TPlatform::DestroyWindow(TCommonCustomForm* AForm) {
  auto It = std::find_if(FWindows.begin(), FWindows.end(), [&](const auto& W) { return W->Form() == AForm; });
  if (It == FWindows.end()) return;
  TPlatformWindow* Window = It->get();
  // What the system still had to say about the window goes with it.
  FPosted.erase(std::remove_if(FPosted.begin(), FPosted.end(), [Window](const TMessage& M) { return M.Window == Window; }),
                FPosted.end());
  FBackend->DestroyNativeWindow(*Window);
  FWindows.erase(It);
}

void TPlatform::ShowWindow(TCommonCustomForm* AForm) {
  TPlatformWindow& W = WindowOf(AForm);
  if (W.Visible()) return;
  W.SetVisible(true);
  FBackend->ShowNativeWindow(W);
  // A window that appears needs all of its client area painted.
  TSizeF Client = W.LogicalClientSize();
  W.Invalidate(TRectF(0, 0, Client.Width, Client.Height));
}

void TPlatform::HideWindow(TCommonCustomForm* AForm) {
  TPlatformWindow& W = WindowOf(AForm);
  if (!W.Visible()) return;
  W.SetVisible(false);
  FBackend->HideNativeWindow(W);
}

void TPlatform::SetWindowCaption(TCommonCustomForm* AForm, const std::string& ACaption) {
  TPlatformWindow& W = WindowOf(AForm);
  W.SetCaption(ACaption);
  FBackend->SetNativeCaption(W);
  if (Application && Application->MainForm() == AForm)
    TMessageManager::DefaultManager().SendMessage(Application, TMainCaptionChangedMessage(AForm));
}

TRectF TPlatform::GetWindowRect(TCommonCustomForm* AForm) { return WindowOf(AForm).LogicalBounds(); }

void TPlatform::SetWindowRect(TCommonCustomForm* AForm, const TRectF& ARect) {
  TPlatformWindow& W = WindowOf(AForm);
  TPhysicalRect Old = W.Bounds();
  W.SetLogicalBounds(ARect);
  if (W.Bounds() == Old) return;
  FBackend->SetNativeBounds(W);
  if (W.Bounds().Width() != Old.Width() || W.Bounds().Height() != Old.Height()) {
    TSizeF Client = W.LogicalClientSize();
    W.Invalidate(TRectF(0, 0, Client.Width, Client.Height));
  }
}

TSizeF TPlatform::GetClientSize(TCommonCustomForm* AForm) { return WindowOf(AForm).LogicalClientSize(); }

void TPlatform::SetClientSize(TCommonCustomForm* AForm, const TSizeF& ASize) {
  TPlatformWindow& W = WindowOf(AForm);
  TPhysicalRect Old = W.Bounds();
  W.SetLogicalClientSize(ASize);
  if (W.Bounds() == Old) return;
  FBackend->SetNativeBounds(W);
  TSizeF Client = W.LogicalClientSize();
  W.Invalidate(TRectF(0, 0, Client.Width, Client.Height));
}

float TPlatform::GetWindowScale(TCommonCustomForm* AForm) { return WindowOf(AForm).Scale(); }

void TPlatform::InvalidateWindowRect(TCommonCustomForm* AForm, const TRectF& ARect) {
  WindowOf(AForm).Invalidate(ARect);
}

bool TPlatform::RequestFramePaint(TCommonCustomForm* AForm) {
  WindowOf(AForm).RequestFrames();
  return true;
}

// ---------------------------------------------------------------------------------------------
// The window procedure

void TPlatform::PostWindowMessage(TPlatformWindow& Window, std::function<void(TPlatformWindow&)> Proc) {
  TPlatformWindow* W = &Window;
  PostMessage({TMessageKind::Call, W, [W, Proc = std::move(Proc)] { Proc(*W); }});
}

void TPlatform::WindowPosChanged(TPlatformWindow& Window, const TPhysicalRect& Bounds, TWindowState State) {
  const bool Sized = Bounds.Width() != Window.Bounds().Width() || Bounds.Height() != Window.Bounds().Height();
  const bool Restored = Window.Minimized() && State != wsMinimized;
  Window.SetBounds(Bounds);
  Window.SetMinimized(State == wsMinimized);
  Window.Form()->HandleWindowPosChanged(State);
  // The window is drawn anew whenever its size changes, not only where the controls moved, and
  // when it comes back from the taskbar.
  if (Sized || Restored) Window.Invalidate(Window.LogicalClientRect());
  if (FRecorder) FRecorder->SizeChanged(Window);
}

void TPlatform::WindowScaleChanged(TPlatformWindow& Window, float Scale) {
  if (!(Scale > 0) || std::fabs(Scale - Window.Scale()) <= 0.0001f) return;
  // The logical client size stays the one asked for; only the physical one is made anew.
  Window.ChangeScale(Scale);
  FBackend->SetNativeBounds(Window);
  Window.Form()->HandleScaleChanged();
  Window.Invalidate(Window.LogicalClientRect());
  if (FRecorder) FRecorder->ScaleChanged(Window);
}

void TPlatform::WindowActivated(TPlatformWindow& Window, bool Active) {
  if (FRecorder) FRecorder->Activated(Window, Active);
  if (Active)
    Window.Form()->Activate();
  else
    Window.Form()->Deactivate();
}

void TPlatform::WindowMapped(TPlatformWindow& Window, bool Mapped) {
  Window.SetUnmapped(!Mapped);
  // What the screen showed of the window is gone; the paint waits until it is back.
  if (Mapped) Window.Invalidate(Window.LogicalClientRect());
}

void TPlatform::WindowExposed(TPlatformWindow& Window) { Window.Invalidate(Window.LogicalClientRect()); }

void TPlatform::WindowMouseMove(TPlatformWindow& Window, TShiftState Shift, float X, float Y) {
  if (FRecorder) FRecorder->MouseMove(Window, Shift, X, Y);
  Window.Form()->Input().MouseMove(Shift, X / Window.Scale(), Y / Window.Scale());
}

void TPlatform::WindowMouseDown(TPlatformWindow& Window, TMouseButton Button, TShiftState Shift, float X, float Y) {
  if (FRecorder) FRecorder->MouseDown(Window, Button, Shift, X, Y);
  Window.Form()->Input().MouseDown(Button, Shift, X / Window.Scale(), Y / Window.Scale());
}

void TPlatform::WindowMouseUp(TPlatformWindow& Window, TMouseButton Button, TShiftState Shift, float X, float Y) {
  if (FRecorder) FRecorder->MouseUp(Window, Button, Shift, X, Y);
  Window.Form()->Input().MouseUp(Button, Shift, X / Window.Scale(), Y / Window.Scale());
}

void TPlatform::WindowMouseWheel(TPlatformWindow& Window, TShiftState Shift, int WheelDelta) {
  if (FRecorder) FRecorder->MouseWheel(Window, Shift, WheelDelta);
  bool Handled = false;
  Window.Form()->Input().MouseWheel(Shift, WheelDelta, Handled);
}

void TPlatform::WindowMouseLeave(TPlatformWindow& Window) {
  if (FRecorder) FRecorder->MouseLeave(Window);
  Window.Form()->Input().MouseLeave();
}

void TPlatform::WindowKeyDown(TPlatformWindow& Window, uint16_t Key, char32_t KeyChar, TShiftState Shift) {
  if (FRecorder) FRecorder->KeyDown(Window, Key, KeyChar, Shift);
  Window.Form()->Input().KeyDown(Key, KeyChar, Shift);
}

void TPlatform::WindowKeyUp(TPlatformWindow& Window, uint16_t Key, char32_t KeyChar, TShiftState Shift) {
  if (FRecorder) FRecorder->KeyUp(Window, Key, Shift);
  Window.Form()->Input().KeyUp(Key, KeyChar, Shift);
}

// ---------------------------------------------------------------------------------------------
// The application's title

std::string TPlatform::DefaultTitle() {
  std::string Name = program_invocation_short_name;
  Name = Name.substr(0, Name.find('.'));
  for (size_t I = 1; I < Name.size(); ++I)
    Name[I] = static_cast<char>(std::tolower(static_cast<unsigned char>(Name[I])));
  return Name;
}

void TPlatform::SetTitle(const std::string& Value) {
  if (Value == FTitle) return;
  FTitle = Value;
  UpdateAppTitle();
}

void TPlatform::UpdateAppTitle() {
  TCommonCustomForm* MainForm = Application ? Application->MainForm() : nullptr;
  const std::string Default = DefaultTitle();
  if (MainForm && (FTitle == "application" || FTitle == Default))
    FAppTitle = MainForm->Caption();
  else
    FAppTitle = FTitle.empty() ? Default : FTitle;
  FBackend->SetNativeAppTitle(FAppTitle);
}
