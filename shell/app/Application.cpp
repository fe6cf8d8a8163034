#include "shell/app/Application.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <exception>

#include "shell/app/ApplicationMessages.h"
#include "shell/core/Messaging.h"
#include "shell/core/PlatformServices.h"

TApplication* Application = nullptr;

namespace {
std::function<void()>& InitProc() {
  static std::function<void()> Proc;
  return Proc;
}

IApplicationService* AppService() { return TPlatformServices::Current().Find<IApplicationService>(); }

// The message of the innermost exception nested in E (std::throw_with_nested) that is one of
// ours; E's own message when that one has none.
std::string BaseExceptionMessage(const Exception& E) {
  const Exception* Base = &E;
  std::exception_ptr Keep;  // keeps the nested exception object alive while Base points to it
  for (;;) {
    auto* Nested = dynamic_cast<const std::nested_exception*>(Base);
    if (!Nested || !Nested->nested_ptr()) break;
    std::exception_ptr Inner = Nested->nested_ptr();
    const Exception* Next = nullptr;
    try {
      std::rethrow_exception(Inner);
    } catch (const Exception& X) {
      Next = &X;
    } catch (...) {
    }
    if (!Next) break;
    Keep = Inner;
    Base = Next;
  }
  return Base->Message().empty() ? E.Message() : Base->Message();
}

void WriteToStandardError(const std::string& Text) {
  std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, Text.c_str());
  std::fflush(stderr);
}

// A message that no box can show (no display, or the system refused the box) goes to standard
// error rather than nowhere.
void ShowErrorBox(const std::string& Text) {
  auto* Dialogs = TPlatformServices::Current().Find<IDialogService>();
  if (!Dialogs || !Dialogs->ShowErrorBox(Text)) WriteToStandardError(Text);
}

// The innermost message with a full stop after characters above ".".
std::string MessageText(const Exception& E) {
  std::string Text = BaseExceptionMessage(E);
  if (!Text.empty() && static_cast<unsigned char>(Text.back()) > '.') Text += '.';
  return Text;
}

// The text an error box shows for an exception: the message rules for ours, the bare message
// for others.
std::string ExceptionText(const std::exception_ptr& Current) {
  try {
    std::rethrow_exception(Current);
  } catch (const Exception& E) {
    return MessageText(E);
  } catch (const std::exception& E) {
    return E.what();
  } catch (...) {
    return "Unknown exception";
  }
}
}  // namespace

const TMetaClass& TApplication::StaticClass() {
  return ClassRecord<TApplication>("TApplication", &TComponent::StaticClass(), [](auto&) {});
}

TApplication::TApplication(TComponent* AOwner)
    : TComponent(AOwner), FFormFactor(std::make_unique<TApplicationFormFactor>()) {
  TScreen::Current().SetApplication(this);
}

TApplication::~TApplication() {
  StopActionTimer();
  if (TScreen::Current().Application() == this) TScreen::Current().SetApplication(nullptr);
}

void TApplication::SetInitProc(std::function<void()> Proc) { InitProc() = std::move(Proc); }

void TApplication::Initialize() {
  if (InitProc()) InitProc()();
}

void TApplication::CreateForm(const TMetaClass& InstanceClass, std::function<void(TComponent*)> SetReference) {
  if (!FRealCreateFormsDone) {
    FCreateForms.push_back({&InstanceClass, std::move(SetReference)});
    return;
  }
  CreateFormNow(InstanceClass, SetReference);
}

TComponent* TApplication::CreateFormNow(const TMetaClass& InstanceClass,
                                        const std::function<void(TComponent*)>& SetReference) {
  TComponent* Instance = nullptr;
  try {
    Instance = InstanceClass.Create(this);
    // The variable refers to the form while its description is read and OnCreate runs.
    SetReference(Instance);
    if (auto* Form = dynamic_cast<TCommonCustomForm*>(Instance)) Form->AfterConstruction();
  } catch (...) {
    SetReference(nullptr);
    if (Instance) Instance->Free();
    throw;
  }
  return Instance;
}

void TApplication::RealCreateForms() {
  if (auto* Screen = TPlatformServices::Current().Find<IScreenService>()) {
    TSizeF Size = Screen->GetScreenSize();
    FFormFactor->SetWidth(static_cast<int32_t>(std::nearbyint(Size.Width)));
    FFormFactor->SetHeight(static_cast<int32_t>(std::nearbyint(Size.Height)));
  }
  if (!FRealCreateFormsDone) {
    FRealCreateFormsDone = true;
    for (TFormRegistration& R : FCreateForms) R.Instance = CreateFormNow(*R.InstanceClass, R.SetReference);
  }
  if (!FMainForm) {
    for (const TFormRegistration& R : FCreateForms)
      if (auto* Form = dynamic_cast<TCommonCustomForm*>(R.Instance)) {
        FMainForm = Form;
        break;
      }
    if (FMainForm) {
      TMessageManager::DefaultManager().SendMessage(this, TMainCaptionChangedMessage(FMainForm));
      FMainForm->SetVisible(true);
      TMessageManager::DefaultManager().SendMessage(this, TMainFormChangedMessage(FMainForm));
    }
  }
  TMessageManager::DefaultManager().SendMessage(this, TFormsCreatedMessage());
}

void TApplication::SetMainForm(TCommonCustomForm* Value) {
  if (Value && Value->Owner() != this) throw EInvalidOperation("The main form must be owned by the application");
  if (Value == FMainForm) return;
  FMainForm = Value;
  TMessageManager::DefaultManager().SendMessage(this, TMainFormChangedMessage(FMainForm));
  TMessageManager::DefaultManager().SendMessage(this, TMainCaptionChangedMessage(FMainForm));
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FMainForm) {
    FMainForm = nullptr;
    if (!IsDestroying()) TMessageManager::DefaultManager().SendMessage(this, TMainFormChangedMessage(nullptr));
  }
  for (TFormRegistration& R : FCreateForms)
    if (R.Instance == AComponent) R.Instance = nullptr;
}

void TApplication::Run() {
  IApplicationService& Service = TPlatformServices::Current().Get<IApplicationService>();
  FRunning = true;
  try {
    Service.Run();
  } catch (...) {
    FRunning = false;
    DoneApplication();
    throw;
  }
  FRunning = false;
  DoneApplication();
}

void TApplication::DoneApplication() {
  StopActionTimer();
  TScreen::Current().SetActiveForm(nullptr);
  FMainForm = nullptr;
  DestroyComponents();
  CheckSynchronize();
}

void TApplication::HandleMessage() {
  IApplicationService& Service = TPlatformServices::Current().Get<IApplicationService>();
  if (!Service.HandleMessage()) Idle();
}

void TApplication::Idle() {
  bool Done = true;
  try {
    DoIdle(Done);
  } catch (...) {
    HandleException(this);
  }
  if (CheckSynchronize()) Done = false;
  if (Done) TPlatformServices::Current().Get<IApplicationService>().WaitMessage();
}

void TApplication::DoIdle(bool& Done) {
  Done = true;
  if (OnIdle) OnIdle(this, Done);
  FIdleDone = Done;
  TMessageManager::DefaultManager().SendMessage(this, TIdleMessage());
  // There are no action lists to update, so a zero delay has nothing to do at once; the
  // timer below still marks the idle passes.
  UpdateActionTimer();
}

void TApplication::UpdateActionTimer() {
  if (FIdleDone && FActionUpdateDelay >= 1) {
    if (FActionTimer != 0 && FActionTimerInterval == FActionUpdateDelay) return;
    StopActionTimer();
    if (auto* Timers = TPlatformServices::Current().Find<ITimerService>()) {
      FActionTimer = Timers->CreateTimer(FActionUpdateDelay, TTimerProc(this, &TApplication::ActionUpdateTick));
      FActionTimerInterval = FActionUpdateDelay;
    }
  } else {
    StopActionTimer();
  }
}

void TApplication::StopActionTimer() {
  if (FActionTimer == 0) return;
  if (auto* Timers = TPlatformServices::Current().Find<ITimerService>()) Timers->DestroyTimer(FActionTimer);
  FActionTimer = 0;
}

void TApplication::ActionUpdateTick() {
  // Forms would update their actions here after a completed idle pass; the tick ends that
  // pass so that the next idle step starts a new one.
  if (FIdleDone) FIdleDone = false;
}

bool TApplication::Terminate() {
  IApplicationService* Service = AppService();
  if (!Service) return false;
  if (!Service->Terminating()) {
    for (const auto& Proc : FTerminateProcs)
      if (!Proc()) return false;
    StopActionTimer();
    Service->Terminate();
  }
  return Service->Terminating();
}

void TApplication::HandleException(TObject* Sender) {
  std::exception_ptr Current = std::current_exception();
  if (!Current) {
    try {
      throw EArgumentNilException("Handled null exception");
    } catch (...) {
      HandleException(Sender);
    }
    return;
  }
  try {
    std::rethrow_exception(Current);
  } catch (const EAbort&) {
    // Dropped silently: it only unwinds.
  } catch (const Exception& E) {
    if (OnException)
      OnException(Sender, E);
    else
      ShowException(E);
  } catch (const std::exception& E) {
    // Not one of ours: shown as it is, without the message rules.
    ShowErrorBox(E.what());
  } catch (...) {
    ShowErrorBox("Unknown exception");
  }
}

void TApplication::ShowException(const Exception& E) { ShowErrorBox(MessageText(E)); }

void TApplication::ReportStartupException() {
  const std::exception_ptr Current = std::current_exception();
  const std::string Text = Current ? ExceptionText(Current) : "Unknown exception";
  // Standard error always (a terminal or a session log keeps it); the box as well when a
  // display can show it, for a player who started the game from a menu.
  WriteToStandardError(Text);
  if (auto* Dialogs = TPlatformServices::Current().Find<IDialogService>()) Dialogs->ShowErrorBox(Text);
}

void TApplication::Queue(std::function<void()> Proc) {
  {
    std::lock_guard<std::mutex> Lock(FSyncLock);
    FSyncQueue.push_back(std::move(Proc));
  }
  if (IApplicationService* Service = AppService()) Service->WakeMainThread();
}

bool TApplication::CheckSynchronize() {
  std::vector<std::function<void()>> Calls;
  {
    std::lock_guard<std::mutex> Lock(FSyncLock);
    Calls.swap(FSyncQueue);
  }
  for (auto& Call : Calls) Call();
  return !Calls.empty();
}
