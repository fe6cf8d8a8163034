#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "shell/app/Application.h"
#include "shell/app/ApplicationMessages.h"
#include "shell/app/Timer.h"
#include "shell/forms/Form.h"
#include "shell/forms/FormMessages.h"
#include "shell/platform/Platform.h"
#include "shell/platform/headless/HeadlessPlatform.h"
#include "shell/stream/ObjectText.h"
#include "tests/forms/NoStreamForm.h"
#include "shell/stream/Resources.h"

namespace {

using Log = std::vector<std::string>;

Log* GLog = nullptr;

// The start-up test form: logs what happens to it, in order.
class TStartForm : public TForm {
  KLV_CLASS(TStartForm)
 public:
  explicit TStartForm(TComponent* AOwner) : TForm(AOwner) {}
  TTimer* Timer1 = nullptr;
  bool ThrowInCreate = false;

  void FormCreate(TObject*);
  void Timer1Timer(TObject*) { GLog->push_back("Timer1Timer"); }
  void Loaded() override {
    TForm::Loaded();
    GLog->push_back("Loaded");
  }
  void Realign() override { GLog->push_back("Realign"); }
  ~TStartForm() override { GLog->push_back("destroyed"); }
};
TStartForm* Form1 = nullptr;

void TStartForm::FormCreate(TObject*) {
  GLog->push_back(std::string("FormCreate visible=") + (Visible() ? "1" : "0") +
                  " timer=" + (Timer1 && Timer1->TimerHandle() != cIdNoTimer ? "running" : "stopped") +
                  " Form1=" + (Form1 == this ? "set" : "unset"));
  if (ThrowInCreate) throw EInvalidOperation("Create failed");
}

const TMetaClass& TStartForm::StaticClass() {
  return ClassRecord<TStartForm>("TStartForm", &TForm::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Field("Timer1", &TStartForm::Timer1);
    B.Method("FormCreate", &TStartForm::FormCreate);
    B.Method("Timer1Timer", &TStartForm::Timer1Timer);
  });
}

// The same form whose OnCreate fails.
class TFailingForm : public TStartForm {
  KLV_CLASS(TFailingForm)
 public:
  explicit TFailingForm(TComponent* AOwner) : TStartForm(AOwner) { ThrowInCreate = true; }
};
const TMetaClass& TFailingForm::StaticClass() {
  return ClassRecord<TFailingForm>("TFailingForm", &TStartForm::StaticClass(), [](auto& B) { B.Creatable(); });
}

std::vector<uint8_t> StartFormStream() {
  return ObjectTextToBinary(
      "object Form1: TStartForm\n"
      "  Caption = 'Form1'\n"
      "  ClientHeight = 480\n"
      "  ClientWidth = 634\n"
      "  OnCreate = FormCreate\n"
      "  object Timer1: TTimer\n"
      "    OnTimer = Timer1Timer\n"
      "  end\n"
      "end\n");
}

class ApplicationTest : public ::testing::Test {
 protected:
  ApplicationTest() {
    GLog = &Events;
    Form1 = nullptr;
    THeadlessOptions O;
    O.PrintErrorBoxes = false;
    auto B = std::make_unique<THeadlessBackend>(O);
    Headless = B.get();
    Platform = std::make_unique<TPlatform>(std::move(B));
    SetResource("TSTARTFORM", RT_RCDATA, StartFormStream());
  }
  ~ApplicationTest() override {
    Platform.reset();
    RemoveResource("TSTARTFORM", RT_RCDATA);
    GLog = nullptr;
  }

  // Runs Script's steps, one each time the loop waits; then terminates.
  void RunWith(std::vector<std::function<void()>> Script) {
    size_t Step = 0;
    Headless->SetDriver([this, Script, Step]() mutable {
      if (Step < Script.size())
        Script[Step++]();
      else
        Application->Terminate();
    });
    Application->Run();
  }

  Log Events;
  THeadlessBackend* Headless;
  std::unique_ptr<TPlatform> Platform;
};

TEST_F(ApplicationTest, TheFormIsCreatedByRunNotByCreateForm) {
  Application->CreateForm(Form1);
  EXPECT_EQ(Form1, nullptr);
  EXPECT_TRUE(Events.empty());
  RunWith({[&] { Events.push_back("first wait"); }});
  EXPECT_EQ(Events, (Log{"Loaded", "Realign", "FormCreate visible=0 timer=running Form1=set", "first wait", "destroyed"}));
}

TEST_F(ApplicationTest, TheMainFormIsShownAndTicksComeOnceTheLoopRuns) {
  Application->CreateForm(Form1);
  RunWith({[&] {
             ASSERT_NE(Form1, nullptr);
             EXPECT_EQ(Application->MainForm(), Form1);
             EXPECT_TRUE(Form1->Visible());
             EXPECT_EQ(Form1->Caption(), "Form1");
             EXPECT_EQ(Form1->ClientWidth(), 634);
             EXPECT_EQ(Form1->ClientHeight(), 480);
             EXPECT_EQ(Headless->VirtualTime(), 0);
             Events.clear();
           },
           [&] { Headless->Advance(2500); },
           [&] { Events.push_back("at " + std::to_string(static_cast<int>(Headless->VirtualTime()))); }});
  EXPECT_EQ(Events, (Log{"Timer1Timer", "Timer1Timer", "at 2500", "destroyed"}));
}

// Logs each notification of start-up and of the loop as it is sent, with what it can see.
class TNotificationLog {
 public:
  explicit TNotificationLog(Log& ALog) : FLog(ALog) {
    Listen<TMainCaptionChangedMessage>([this](TObject*, const TMessageBase& M) {
      auto* Form = static_cast<const TMainCaptionChangedMessage&>(M).Form;
      FLog.push_back("main caption " + (Form ? Form->Caption() : std::string("none")));
    });
    Listen<TFormBeforeShownMessage>([this](TObject* Sender, const TMessageBase&) {
      auto* Form = dynamic_cast<TCommonCustomForm*>(Sender);
      FLog.push_back(std::string("before shown visible=") + (Form && Form->Visible() ? "1" : "0"));
    });
    Listen<TMainFormChangedMessage>([this](TObject*, const TMessageBase& M) {
      auto* Form = static_cast<const TMainFormChangedMessage&>(M).Form;
      FLog.push_back(std::string("main form ") + (Form ? "set" : "none") + " main=" +
                     (Application->MainForm() == Form ? "1" : "0"));
    });
    Listen<TFormsCreatedMessage>([this](TObject*, const TMessageBase&) { FLog.push_back("forms created"); });
    Listen<TIdleMessage>([this](TObject* Sender, const TMessageBase&) {
      FLog.push_back(Sender == Application ? "idle" : "idle from elsewhere");
    });
  }
  ~TNotificationLog() {
    for (auto& Stop : FStops) Stop();
  }

 private:
  template <typename M>
  void Listen(TMessageListener L) {
    int64_t Id = TMessageManager::DefaultManager().SubscribeToMessage<M>(std::move(L));
    FStops.push_back([Id] { TMessageManager::DefaultManager().Unsubscribe<M>(Id); });
  }
  Log& FLog;
  std::vector<std::function<void()>> FStops;
};

TEST_F(ApplicationTest, StartUpAndTheLoopSendTheirNotifications) {
  TNotificationLog Notifications(Events);
  Application->CreateForm(Form1);
  RunWith({[&] {
             Events.push_back("first wait");
             Form1->SetCaption("Renamed");
             Events.push_back("title " + Platform->AppTitle());
           },
           [&] { Events.push_back("second wait"); }});
  EXPECT_EQ(Events, (Log{"Loaded", "Realign", "FormCreate visible=0 timer=running Form1=set", "main caption Form1",
                         "before shown visible=0", "main form set main=1", "forms created", "idle", "first wait",
                         "main caption Renamed", "title Renamed", "idle", "second wait", "idle", "destroyed"}));
}

TEST_F(ApplicationTest, ANewMainFormIsAnnounced) {
  TNotificationLog Notifications(Events);
  auto* Other = NewForm<TForm>(Application, TCreateNew{});
  Other->SetCaption("Other");
  Application->SetMainForm(Other);
  Application->SetMainForm(Other);  // the same form again: nothing
  EXPECT_EQ(Events, (Log{"main form set main=1", "main caption Other"}));
  Events.clear();
  Other->Free();
  EXPECT_EQ(Application->MainForm(), nullptr);
  EXPECT_EQ(Events, (Log{"main form none main=1"}));
}

TEST_F(ApplicationTest, TheActionUpdateTimerWakesTheLoopTenTimesASecond) {
  int IdlePasses = 0;
  struct TIdle : TObject {
    int* Count;
    void OnIdle(TObject*, bool&) { ++*Count; }
  } Idle;
  Idle.Count = &IdlePasses;
  Application->OnIdle = TIdleEvent(&Idle, &TIdle::OnIdle);
  Application->CreateForm(Form1);
  std::vector<TTimerRecordInfo> Records;
  uintptr_t ActionTimer = 0;
  RunWith({[&] {
             Records = Headless->TimerRecords();
             ActionTimer = Application->ActionUpdateTimer();
           },
           [&] {
             IdlePasses = 0;
             Headless->Advance(1000);
           },
           // One pass before the first tick, then one after each of the ten ticks.
           [&] { EXPECT_EQ(IdlePasses, 1 + 10); }});
  // Timer1 started while loading; the application's timer at the first idle pass.
  ASSERT_EQ(Records.size(), 2u);
  EXPECT_EQ(Records[0].Handle, 144u);
  EXPECT_EQ(Records[0].Interval, 1000);
  EXPECT_EQ(Records[1].Interval, 100);
  EXPECT_EQ(Records[1].Owner, static_cast<TObject*>(Application));
  EXPECT_EQ(ActionTimer, Records[1].Handle);
  EXPECT_EQ(Application->ActionUpdateTimer(), 0u) << "stopped at the end of Run";
}

TEST_F(ApplicationTest, ClosingTheMainFormEndsTheProgramAndFreesTheForm) {
  Application->CreateForm(Form1);
  bool Stopped = false;
  Headless->SetDriver([&] {
    if (Form1 && !Stopped) {
      Stopped = true;
      Platform->PostMessage({TMessageKind::Close, Platform->FindWindow(Form1), nullptr});
      return;
    }
    ADD_FAILURE() << "the loop should have ended";
    Application->Terminate();
  });
  Application->Run();
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(Application->ComponentCount(), 0);
  EXPECT_EQ(Events.back(), "destroyed");
  EXPECT_TRUE(Platform->TimerData().empty());
}

TEST_F(ApplicationTest, AnExceptionDuringStartUpEndsRun) {
  // The class inherits its parent class's stored description.
  TFailingForm* Failing = nullptr;
  Application->CreateForm(Failing);
  try {
    RunWith({});
    FAIL();
  } catch (const EInvalidOperation& E) {
    EXPECT_EQ(E.Message(), "Create failed");
  }
  EXPECT_EQ(Failing, nullptr);
  EXPECT_EQ(Application->ComponentCount(), 0);
  EXPECT_EQ(Events.back(), "destroyed");
  EXPECT_TRUE(Platform->TimerData().empty()) << "the loaded timer was freed with its form";
}

TEST_F(ApplicationTest, AFormWithoutStoredDescriptionEndsRun) {
  TNoStreamForm* Form = nullptr;
  Application->CreateForm(Form);
  try {
    RunWith({});
    FAIL();
  } catch (const EResNotFound& E) {
    EXPECT_EQ(E.Message(), "Resource TNoStreamForm not found");
  }
  EXPECT_EQ(Form, nullptr);
}

TEST_F(ApplicationTest, CreateFormAfterStartUpCreatesAtOnceAndClearsTheVariableOnFailure) {
  Application->CreateForm(Form1);
  std::vector<TComponent*> Assigned;
  RunWith({[&] {
    try {
      Application->CreateForm(TNoStreamForm::StaticClass(), [&](TComponent* C) { Assigned.push_back(C); });
      ADD_FAILURE();
    } catch (const EResNotFound&) {
    }
  }});
  ASSERT_EQ(Assigned.size(), 2u);
  EXPECT_NE(Assigned[0], nullptr) << "set before the description is read";
  EXPECT_EQ(Assigned[1], nullptr);
}

TEST_F(ApplicationTest, AnExceptionEscapingAMessageGoesToTheErrorBoxAndTheLoopGoesOn) {
  RunWith({[&] {
             Platform->PostMessage({TMessageKind::Call, nullptr, [] { throw EConvertError("Bad value"); }});
           },
           [&] { Events.push_back("still running"); }});
  EXPECT_EQ(Headless->ErrorBoxes(), (Log{"Bad value."}));
  EXPECT_EQ(Events, (Log{"still running"}));
}

// The text shown for an exception: the innermost message, a full stop after characters above
// ".", nothing for EAbort.
TEST_F(ApplicationTest, HandleExceptionMessageRules) {
  struct TCase {
    std::function<void()> Raise;
    const char* Shown;  // null: no box
  };
  auto Nested = [](const char* Outer, const char* Inner) {
    return [=] {
      try {
        throw EConvertError(Inner);
      } catch (...) {
        std::throw_with_nested(EReadError(Outer));
      }
    };
  };
  const TCase Cases[] = {
      {[] { throw Exception("Plain"); }, "Plain."},
      {[] { throw Exception("Ends with stop."); }, "Ends with stop."},
      {[] { throw Exception("Exclaims!"); }, "Exclaims!"},
      {[] { throw Exception("Closes)"); }, "Closes)"},
      {[] { throw Exception("Slash/"); }, "Slash/."},
      {[] { throw Exception("Colon:"); }, "Colon:."},
      {[] { throw Exception(""); }, ""},
      {Nested("Outer", "Inner"), "Inner."},
      {Nested("Outer", ""), "Outer."},
      {[] { throw std::runtime_error("not ours"); }, "not ours"},
      {[] { throw EAbort("quiet"); }, nullptr},
  };
  for (const TCase& C : Cases) {
    Headless->ClearErrorBoxes();
    try {
      C.Raise();
    } catch (...) {
      Application->HandleException(nullptr);
    }
    if (C.Shown)
      EXPECT_EQ(Headless->ErrorBoxes(), Log{C.Shown});
    else
      EXPECT_TRUE(Headless->ErrorBoxes().empty());
  }
}

TEST_F(ApplicationTest, HandleExceptionWithoutAnExceptionReportsANullOne) {
  Application->HandleException(nullptr);
  EXPECT_EQ(Headless->ErrorBoxes(), Log{"Handled null exception."});
}

TEST_F(ApplicationTest, OnExceptionReplacesTheErrorBox) {
  struct THandler : TObject {
    TObject* Sender = nullptr;
    std::string Message;
    void Handle(TObject* S, const Exception& E) {
      Sender = S;
      Message = E.Message();
    }
  } Handler;
  Application->OnException = TExceptionEvent(&Handler, &THandler::Handle);
  try {
    throw EListError("List index out of bounds (5)");
  } catch (...) {
    Application->HandleException(Platform.get());
  }
  EXPECT_EQ(Handler.Sender, Platform.get());
  EXPECT_EQ(Handler.Message, "List index out of bounds (5)");
  EXPECT_TRUE(Headless->ErrorBoxes().empty());
  try {
    throw EAbort("");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  EXPECT_EQ(Handler.Message, "List index out of bounds (5)") << "EAbort is dropped before OnException";
}

TEST_F(ApplicationTest, TerminateProcsCanRefuseAndTerminateIsAskedOnce) {
  bool Agree = false;
  Application->AddTerminateProc([&] { return Agree; });
  EXPECT_FALSE(Application->Terminate());
  EXPECT_FALSE(Platform->Terminating());
  Agree = true;
  EXPECT_TRUE(Application->Terminate());
  EXPECT_TRUE(Platform->Terminating());
  Agree = false;
  EXPECT_TRUE(Application->Terminate()) << "already terminating";
}

TEST_F(ApplicationTest, CallsQueuedByOtherThreadsRunInTheIdleStep) {
  std::thread Worker([] { Application->Queue([] { GLog->push_back("synchronised"); }); });
  Worker.join();
  EXPECT_TRUE(Events.empty());
  Application->Idle();
  EXPECT_EQ(Events, Log{"synchronised"});
}

TEST_F(ApplicationTest, InitializeRunsTheRegisteredProcedureAndOrientationsAreKept) {
  int Calls = 0;
  TApplication::SetInitProc([&] { ++Calls; });
  Application->Initialize();
  TApplication::SetInitProc(nullptr);
  EXPECT_EQ(Calls, 1);
  EXPECT_EQ(Application->FormFactor()->Orientations(),
            (TScreenOrientations{TScreenOrientation::Portrait, TScreenOrientation::Landscape}));
  Application->FormFactor()->SetOrientations({TScreenOrientation::Landscape});
  EXPECT_EQ(Application->FormFactor()->Orientations(), TScreenOrientations{TScreenOrientation::Landscape});
  EXPECT_EQ(Application->ActionUpdateDelay(), 100);
  EXPECT_TRUE(Application->ShowHint());
}

}  // namespace

// Where an error goes when no box can be shown, and where a start-up error goes.
class ErrorReportTest : public ::testing::TestWithParam<bool> {
 protected:
  ErrorReportTest() {
    THeadlessOptions O;
    O.PrintErrorBoxes = false;
    O.ErrorBoxesShown = GetParam();
    auto B = std::make_unique<THeadlessBackend>(O);
    Headless = B.get();
    Platform = std::make_unique<TPlatform>(std::move(B));
  }
  THeadlessBackend* Headless = nullptr;
  std::unique_ptr<TPlatform> Platform;
};

TEST_P(ErrorReportTest, AMessageThatNoBoxCanShowGoesToStandardError) {
  testing::internal::CaptureStderr();
  try {
    throw EConvertError("Bad value");
  } catch (...) {
    Application->HandleException(nullptr);
  }
  const std::string Written = testing::internal::GetCapturedStderr();
  if (GetParam()) {
    EXPECT_EQ(Headless->ErrorBoxes(), Log{"Bad value."});
    EXPECT_EQ(Written, "");
  } else {
    EXPECT_TRUE(Headless->ErrorBoxes().empty());
    EXPECT_EQ(Written, std::string(program_invocation_short_name) + ": Bad value.\n");
  }
}

TEST_P(ErrorReportTest, AStartupErrorIsWrittenToStandardErrorAndShownWhenABoxCanBe) {
  struct TCase {
    std::function<void()> Raise;
    const char* Text;
  };
  const TCase Cases[] = {{[] { throw EResNotFound("Resource TFORM1 not found"); }, "Resource TFORM1 not found."},
                         {[] { throw std::runtime_error("out of memory"); }, "out of memory"}};
  for (const TCase& C : Cases) {
    Headless->ClearErrorBoxes();
    testing::internal::CaptureStderr();
    try {
      C.Raise();
    } catch (...) {
      Application->ReportStartupException();
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(program_invocation_short_name) + ": " + C.Text + "\n");
    if (GetParam())
      EXPECT_EQ(Headless->ErrorBoxes(), Log{C.Text});
    else
      EXPECT_TRUE(Headless->ErrorBoxes().empty());
  }
}

INSTANTIATE_TEST_SUITE_P(BoxShown, ErrorReportTest, ::testing::Values(true, false),
                         [](const auto& Info) { return Info.param ? "WithABox" : "WithoutABox"; });
