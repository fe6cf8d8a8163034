#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "shell/core/Export.h"
#include "shell/app/Services.h"
#include "shell/core/Component.h"
#include "shell/core/Exceptions.h"
#include "shell/forms/Form.h"
#include "shell/forms/FormFactor.h"
#include "shell/forms/Screen.h"

using TIdleEvent = TEvent<TObject*, bool&>;
using TExceptionEvent = TEvent<TObject*, const Exception&>;

/// TApplication: the one application object (the global Application): the forms to create,
/// the main form, the event loop's idle step, termination and the reporting of exceptions
/// that escape the handling of a message.
class KELVANE_API TApplication : public TComponent, public IFormApplication {
  KLV_CLASS(TApplication)
 public:
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  /// Runs the initialisation procedure registered with SetInitProc, if any.
  void Initialize();
  static void SetInitProc(std::function<void()> Proc);

  /// Registers a form to be created by Run; after the registered forms have been created, it
  /// creates at once. SetReference receives the instance before the stored description is read
  /// and OnCreate runs, and none again if the construction fails.
  void CreateForm(const TMetaClass& InstanceClass, std::function<void(TComponent*)> SetReference);
  template <typename T>
  void CreateForm(T*& Reference) {
    CreateForm(T::StaticClass(), [&Reference](TComponent* Instance) { Reference = static_cast<T*>(Instance); });
  }
  /// Creates the registered forms (once), chooses and shows the main form.
  void RealCreateForms();

  /// Runs the program until it terminates; an exception during start-up ends it and passes on.
  void Run();
  /// Processes one message; runs the idle step when there was none.
  void HandleMessage();
  void Idle();
  /// Asks the platform to end the loop; whether the platform is terminating.
  bool Terminate() override;
  /// Reports the exception being handled (see the rules in the .cpp).
  void HandleException(TObject* Sender);
  /// Shows E's message in the platform's error box (on standard error when no box can be shown).
  void ShowException(const Exception& E);
  /// The exception being handled ended start-up: its message goes to standard error, and to the
  /// error box as well when one can be shown.
  void ReportStartupException();
  /// The procedures consulted by Terminate; all must agree.
  void AddTerminateProc(std::function<bool()> Proc) { FTerminateProcs.push_back(std::move(Proc)); }

  /// Queues Proc for the main thread; safe from any thread. The idle step runs queued calls.
  void Queue(std::function<void()> Proc);
  /// Runs the queued calls; whether any ran.
  bool CheckSynchronize();

  TCommonCustomForm* MainForm() const { return FMainForm; }
  /// Makes Value (a form the application owns, or none) the main form: the form whose closing
  /// ends the program. A tool that replaces its form does so; the form is not shown by this.
  void SetMainForm(TCommonCustomForm* Value);
  TCommonCustomForm* GetMainForm() const override { return FMainForm; }
  bool Terminated() const { return FTerminated; }
  void SetTerminated(bool Value) { FTerminated = Value; }
  bool Running() const { return FRunning; }
  TApplicationFormFactor* FormFactor() const { return FFormFactor.get(); }
  int32_t ActionUpdateDelay() const { return FActionUpdateDelay; }
  void SetActionUpdateDelay(int32_t Value) { FActionUpdateDelay = Value; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value) { FShowHint = Value; }
  bool HintShortCuts() const { return FHintShortCuts; }
  void SetHintShortCuts(bool Value) { FHintShortCuts = Value; }
  /// The handle of the action-update timer on the timer service, 0 when none runs.
  uintptr_t ActionUpdateTimer() const { return FActionTimer; }

  TIdleEvent OnIdle;
  TExceptionEvent OnException;

 protected:
  virtual void DoIdle(bool& Done);
  /// A freed form is no longer the main form nor a created form.
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  struct TFormRegistration {
    const TMetaClass* InstanceClass;
    std::function<void(TComponent*)> SetReference;
    TComponent* Instance = nullptr;
  };

  TComponent* CreateFormNow(const TMetaClass& InstanceClass, const std::function<void(TComponent*)>& SetReference);
  void UpdateActionTimer();
  void StopActionTimer();
  void ActionUpdateTick();
  /// The exit procedure: frees the forms and everything else the application owns.
  void DoneApplication();

  TCommonCustomForm* FMainForm = nullptr;
  std::vector<TFormRegistration> FCreateForms;
  bool FRealCreateFormsDone = false;
  bool FTerminated = false;
  bool FRunning = false;
  bool FIdleDone = false;
  std::unique_ptr<TApplicationFormFactor> FFormFactor;
  int32_t FActionUpdateDelay = 100;
  uintptr_t FActionTimer = 0;
  int32_t FActionTimerInterval = 0;
  bool FShowHint = true;
  bool FHintShortCuts = true;
  std::vector<std::function<bool()>> FTerminateProcs;
  std::mutex FSyncLock;
  std::vector<std::function<void()>> FSyncQueue;
};

/// The application object; created with the platform object before the main block runs.
extern KELVANE_API TApplication* Application;
