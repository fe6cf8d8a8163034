#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "shell/app/Application.h"
#include "shell/core/Exceptions.h"
#include "shell/core/PlatformServices.h"
#include "shell/forms/Form.h"
#include "shell/platform/Platform.h"
#include "shell/platform/headless/HeadlessPlatform.h"

namespace {

// A headless platform of its own for each test, with a log of what ran and when.
class Loop : public ::testing::Test {
 protected:
  explicit Loop(THeadlessOptions Options = Quiet()) {
    auto B = std::make_unique<THeadlessBackend>(Options);
    Headless = B.get();
    Platform = std::make_unique<TPlatform>(std::move(B));
  }
  static THeadlessOptions Quiet() {
    THeadlessOptions O;
    O.PrintErrorBoxes = false;
    return O;
  }

  // Something a timer can call: logs its name and the virtual time.
  struct TProbe : TObject {
    Loop* Owner = nullptr;
    std::string Name;
    std::function<void()> Then;
    void Tick() {
      Owner->Log.push_back(Name + "@" + std::to_string(static_cast<int>(Owner->Headless->VirtualTime())));
      if (Then) Then();
    }
  };
  TProbe& Probe(const std::string& Name) {
    Probes.push_back(std::make_unique<TProbe>());
    Probes.back()->Owner = this;
    Probes.back()->Name = Name;
    return *Probes.back();
  }
  uintptr_t Start(TProbe& P, int32_t Interval) { return Platform->CreateTimer(Interval, TTimerProc(&P, &TProbe::Tick)); }
  void Post(const std::string& Name) {
    Platform->PostMessage({TMessageKind::Call, nullptr, [this, Name] { Log.push_back(Name); }});
  }
  // Handles every message of the current moment, without moving the clock.
  void Drain() {
    while (Platform->HandleMessage()) {
    }
  }

  THeadlessBackend* Headless = nullptr;
  std::unique_ptr<TPlatform> Platform;
  std::vector<std::unique_ptr<TProbe>> Probes;
  std::vector<std::string> Log;
};

TEST_F(Loop, HandlesStartAt144AndGrowBy16) {
  TProbe& P = Probe("p");
  EXPECT_EQ(Start(P, 1000), 144u);
  EXPECT_EQ(Start(P, 1000), 160u);
  uintptr_t Third = Start(P, 50);
  EXPECT_EQ(Third, 176u);
  ASSERT_EQ(Platform->TimerData().size(), 3u);
  EXPECT_EQ(Platform->TimerData()[2].TimerHandle, 176u);
  EXPECT_EQ(Platform->TimerInterval(Platform->TimerData()[2].TimerID), 50);
  // Destroying does not give a handle back.
  EXPECT_TRUE(Platform->DestroyTimer(Third));
  EXPECT_EQ(Start(P, 10), 192u);
}

TEST_F(Loop, RefusedTimersGiveZeroAndLeaveNoRecord) {
  TProbe& P = Probe("p");
  EXPECT_EQ(Platform->CreateTimer(0, TTimerProc(&P, &TProbe::Tick)), 0u);
  EXPECT_EQ(Platform->CreateTimer(-5, TTimerProc(&P, &TProbe::Tick)), 0u);
  EXPECT_EQ(Platform->CreateTimer(100, TTimerProc()), 0u);
  EXPECT_TRUE(Platform->TimerData().empty());
  // A refusal draws no handle.
  EXPECT_EQ(Start(P, 100), 144u);
}

TEST(LoopLimit, TheSystemRefusesTimersBeyondItsLimit) {
  THeadlessOptions O;
  O.TimerLimit = 1;
  TPlatform Platform(std::make_unique<THeadlessBackend>(O));
  struct TNop : TObject {
    void Tick() {}
  } Nop;
  TTimerProc Proc(&Nop, &TNop::Tick);
  EXPECT_EQ(Platform.CreateTimer(10, Proc), 144u);
  EXPECT_EQ(Platform.CreateTimer(10, Proc), 0u);
  EXPECT_EQ(Platform.TimerData().size(), 1u);
}

TEST_F(Loop, DestroyTimerReportsWhetherItStoppedOne) {
  TProbe& P = Probe("p");
  uintptr_t H = Start(P, 100);
  EXPECT_FALSE(Platform->DestroyTimer(H + 16));
  EXPECT_TRUE(Platform->DestroyTimer(H));
  EXPECT_FALSE(Platform->DestroyTimer(H));
  EXPECT_TRUE(Platform->TimerData().empty());
  Headless->Advance(500);
  EXPECT_TRUE(Log.empty());
}

TEST_F(Loop, TicksComeAtTheirPeriodsOnTheVirtualClock) {
  TProbe& A = Probe("a");
  TProbe& B = Probe("b");
  Start(A, 1000);
  Headless->Advance(300);
  Start(B, 400);
  Headless->Advance(2000);
  EXPECT_EQ(Log, (std::vector<std::string>{"b@700", "a@1000", "b@1100", "b@1500", "b@1900", "a@2000", "b@2300"}));
  EXPECT_EQ(Headless->VirtualTime(), 2300);
}

TEST_F(Loop, PostedMessagesComeBeforePaintsAndPaintsBeforeTicks) {
  struct TPaintForm : TForm {
    using TForm::TForm;
    std::vector<std::string>* Log = nullptr;
    void PaintRects(const std::vector<TRectF>& Rects) override {
      Log->push_back("paint" + std::to_string(Rects.size()));
    }
  };
  auto* Form = NewForm<TPaintForm>(nullptr, TCreateNew{});
  Form->Log = &Log;
  Platform->ShowWindow(Form);
  Drain();  // the first paint of the window
  Log.clear();
  TProbe& T = Probe("tick");
  T.Then = [&] { Post("after-tick"); };
  Start(T, 100);
  Headless->Spend(100);  // the tick is now due
  Form->InvalidateRect(TRectF(5, 5, 6, 6));
  Post("first");
  Post("second");
  Drain();
  EXPECT_EQ(Log, (std::vector<std::string>{"first", "second", "paint1", "tick@100", "after-tick"}));
  Form->Free();
}

TEST_F(Loop, AWindowNeedsPaintOnceShownAndPaintsAgainWhatWasInvalidatedDuringAPaint) {
  struct TPaintForm : TForm {
    using TForm::TForm;
    std::vector<std::vector<TRectF>> Passes;
    void PaintRects(const std::vector<TRectF>& Rects) override {
      Passes.push_back(Rects);
      if (Passes.size() == 1) InvalidateRect(TRectF(1, 2, 3, 4));
    }
  };
  auto* Form = NewForm<TPaintForm>(nullptr, TCreateNew{});
  Form->InvalidateRect(TRectF(0, 0, 5, 5));
  Drain();
  EXPECT_TRUE(Form->Passes.empty()) << "a hidden window is not painted";
  Form->Show();
  Drain();
  ASSERT_EQ(Form->Passes.size(), 2u) << "one paint message, two passes";
  EXPECT_EQ(Form->Passes[1], std::vector<TRectF>{TRectF(1, 2, 3, 4)});
  EXPECT_FALSE(Platform->HasMessage());
  Form->Free();
}

TEST_F(Loop, ABusyThreadGetsOneWaitingTickAndTheTimerKeepsItsPhase) {
  TProbe& T = Probe("t");
  Start(T, 100);
  Platform->PostMessage({TMessageKind::Call, nullptr, [this] { Headless->Spend(350); }});
  Drain();  // the busy handler, then the one tick that waited since 100
  EXPECT_EQ(Log, (std::vector<std::string>{"t@350"}));
  Headless->Advance(100);
  EXPECT_EQ(Log, (std::vector<std::string>{"t@350", "t@400"}));
}

TEST_F(Loop, TicksThatFellDueTogetherGoOutInCreationOrder) {
  TProbe& A = Probe("a");
  TProbe& B = Probe("b");
  TProbe& C = Probe("c");
  Start(C, 200);
  Start(A, 100);
  Start(B, 100);
  Headless->Spend(250);  // all three wait; c fell due last
  Drain();
  EXPECT_EQ(Log, (std::vector<std::string>{"a@250", "b@250", "c@250"}));
}

TEST_F(Loop, ATickOfATimerDestroyedMeanwhileCallsNothing) {
  TProbe& A = Probe("a");
  TProbe& B = Probe("b");
  Start(A, 100);
  uintptr_t HB = Start(B, 100);
  A.Then = [&] { Platform->DestroyTimer(HB); };
  Headless->Advance(300);
  EXPECT_EQ(Log, (std::vector<std::string>{"a@100", "a@200", "a@300"}));
  // The callback with an identifier that has no record calls nothing either.
  Platform->TimerCallBackProc(9999);
  EXPECT_EQ(Log.size(), 3u);
}

TEST_F(Loop, TerminationStopsEveryTimerAndPostsTheQuitMessage) {
  TProbe& A = Probe("a");
  TProbe& B = Probe("b");
  Start(A, 100);
  Start(B, 150);
  Headless->Advance(100);
  Post("pending");
  Platform->Terminate();
  EXPECT_TRUE(Platform->Terminating());
  EXPECT_FALSE(Platform->Running());
  EXPECT_TRUE(Platform->TimerData().empty());
  EXPECT_EQ(Start(A, 100), 0u) << "no timer after termination";
  // The posted message still comes first, then the quit message ends the loop.
  EXPECT_TRUE(Platform->HandleMessage());
  EXPECT_FALSE(Application->Terminated());
  EXPECT_TRUE(Platform->HandleMessage());
  EXPECT_TRUE(Application->Terminated());
  Headless->Spend(1000);
  EXPECT_FALSE(Platform->HandleMessage());
  EXPECT_EQ(Log, (std::vector<std::string>{"a@100", "pending"}));
}

TEST_F(Loop, TerminateDuringADispatchPostsTheQuitAfterIt) {
  Platform->PostMessage({TMessageKind::Call, nullptr, [this] { Platform->Terminate(); }});
  Post("queued-before-quit");
  EXPECT_TRUE(Platform->HandleMessage());
  EXPECT_TRUE(Platform->HandleMessage());
  EXPECT_FALSE(Application->Terminated());
  EXPECT_TRUE(Platform->HandleMessage());
  EXPECT_TRUE(Application->Terminated());
}

TEST_F(Loop, TheQuitMessageComesBeforePaintsAndTicks) {
  TProbe& T = Probe("t");
  Start(T, 10);
  Headless->Spend(10);
  Platform->PostQuitMessage();
  EXPECT_TRUE(Platform->HandleMessage());
  EXPECT_TRUE(Application->Terminated());
  EXPECT_TRUE(Log.empty());
}

TEST_F(Loop, NextTimerDueTellsTheWait) {
  EXPECT_EQ(Platform->NextTimerDue(), TPlatformBackend::NoDeadline);
  TProbe& T = Probe("t");
  Start(T, 250);
  Start(T, 100);
  EXPECT_EQ(Platform->NextTimerDue(), 100);
  Headless->Advance(100);
  EXPECT_EQ(Platform->NextTimerDue(), 200);
}

// A step of virtual time is a finite length, not negative, and one that the timers could not
// run through in any reasonable time is refused at once: nothing runs and the clock stays.
TEST_F(Loop, AStepThatCannotBeRunIsRefusedAndTheClockStays) {
  TProbe& P = Probe("p");
  Start(P, 100);
  Headless->Advance(250);
  struct TCase {
    double Ms;
    const char* Message;
  };
  const TCase Cases[] = {
      {std::nan(""), "Invalid time: nan"},
      {INFINITY, "Invalid time: inf"},
      {-INFINITY, "Invalid time: -inf"},
      {-1, "Invalid time: -1"},
      // 1e10 ticks of the 100 ms timer; the limit is the options' 1e7.
      {1e12, "Time step too long: in 1e+12 ms the timers would fall due more than 10000000 times"},
      {1e9 + 100, "Time step too long: in 1000000100 ms the timers would fall due more than 10000000 times"},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Message);
    try {
      Headless->Advance(C.Ms);
      ADD_FAILURE() << "no error";
    } catch (const Exception& E) {
      EXPECT_EQ(E.Message(), C.Message);
    }
    EXPECT_EQ(Headless->VirtualTime(), 250);
    EXPECT_EQ(Log, (std::vector<std::string>{"p@100", "p@200"}));
  }
  // The clock was not stopped by any of them; a step at the limit runs.
  Headless->Advance(150);
  EXPECT_EQ(Headless->VirtualTime(), 400);
  EXPECT_EQ(Log.back(), "p@400");
}

// Timers that the step's own handlers start can take it past the limit: it ends there, with
// the error, instead of running on.
TEST(LoopStepLimit, AStepThatItsHandlersMakeTooLongEndsWithTheError) {
  THeadlessOptions O;
  O.PrintErrorBoxes = false;
  O.StepTickLimit = 50;
  auto B = std::make_unique<THeadlessBackend>(O);
  THeadlessBackend& Headless = *B;
  TPlatform Platform(std::move(B));
  struct TRec : TObject {
    TPlatform* P;
    int Ticks = 0;
    void Tick() { ++Ticks; }
    void StartFast() {
      if (Ticks++ == 0) P->CreateTimer(1, TTimerProc(this, &TRec::Tick));
    }
  } Slow, Fast;
  Slow.P = &Platform;
  Fast.P = &Platform;
  Platform.CreateTimer(100, TTimerProc(&Slow, &TRec::StartFast));
  // 10 ticks of the 100 ms timer foreseen; the 1 ms timer it starts at 100 would add 900.
  try {
    Headless.Advance(1000);
    ADD_FAILURE() << "no error";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "Time step too long: in 1000 ms the timers would fall due more than 50 times");
  }
  EXPECT_LT(Headless.VirtualTime(), 200);
  EXPECT_TRUE(Headless.TakeStepError().empty());
  // The next step starts from where that one ended.
  const double Now = Headless.VirtualTime();
  Platform.DestroyTimer(Platform.TimerData().back().TimerHandle);
  Headless.Advance(100);
  EXPECT_EQ(Headless.VirtualTime(), Now + 100);
}

// The same script gives the same run, tick for tick.
TEST(HeadlessDeterminism, TheSameScriptGivesTheSameLog) {
  auto RunScript = [] {
    THeadlessOptions O;
    O.PrintErrorBoxes = false;
    auto B = std::make_unique<THeadlessBackend>(O);
    THeadlessBackend& Headless = *B;
    TPlatform Platform(std::move(B));
    std::vector<std::string> Log;
    struct TRec : TObject {
      std::vector<std::string>* Log;
      THeadlessBackend* H;
      std::string Name;
      void Tick() { Log->push_back(Name + std::to_string(static_cast<long>(H->VirtualTime()))); }
    };
    TRec A, B2;
    A.Log = B2.Log = &Log;
    A.H = B2.H = &Headless;
    A.Name = "a";
    B2.Name = "b";
    Platform.CreateTimer(1000, TTimerProc(&A, &TRec::Tick));
    Headless.Advance(333);
    Platform.CreateTimer(1000, TTimerProc(&B2, &TRec::Tick));
    Headless.Advance(1000);
    Platform.PostMessage({TMessageKind::Call, nullptr, [&] { Headless.Spend(1500); }});
    Headless.Advance(3000);
    return Log;
  };
  std::vector<std::string> First = RunScript();
  EXPECT_EQ(First, RunScript());
  EXPECT_EQ(First, (std::vector<std::string>{"a1000", "b1333", "a2833", "b2833", "a3000", "b3333", "a4000", "b4333"}));
}

// The driver runs one command each time the loop would wait, inside Application.Run.
TEST(HeadlessDriver, RunsCommandsBetweenPassesAndEndsWithTerminate) {
  THeadlessOptions O;
  O.PrintErrorBoxes = false;
  auto Backend = std::make_unique<THeadlessBackend>(O);
  THeadlessBackend& Headless = *Backend;
  TPlatform Platform(std::move(Backend));
  std::vector<std::string> Log;
  struct TRec : TObject {
    std::vector<std::string>* Log;
    THeadlessBackend* H;
    void Tick() { Log->push_back("tick" + std::to_string(static_cast<long>(H->VirtualTime()))); }
  } Rec;
  Rec.Log = &Log;
  Rec.H = &Headless;
  int Step = 0;
  Headless.SetDriver([&] {
    switch (Step++) {
      case 0:
        Platform.CreateTimer(400, TTimerProc(&Rec, &TRec::Tick));
        break;
      case 1:
        Headless.Advance(1000);
        break;
      case 2:
        Log.push_back("records" + std::to_string(Headless.TimerRecords().size()));
        break;
      default:
        Application->Terminate();
    }
  });
  Application->Run();
  // The action-update timer of the idle step runs beside the test's timer.
  EXPECT_EQ(Log, (std::vector<std::string>{"tick400", "tick800", "records2"}));
  EXPECT_EQ(Headless.VirtualTime(), 1000);
  EXPECT_TRUE(Platform.TimerData().empty());
}

TEST(HeadlessErrorBox, PrintsOneLine) {
  TPlatform Platform(std::make_unique<THeadlessBackend>());
  auto& Headless = static_cast<THeadlessBackend&>(Platform.Backend());
  testing::internal::CaptureStdout();
  Platform.ShowErrorBox("Boom.");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "error box: Boom.\n");
  EXPECT_EQ(Headless.ErrorBoxes(), std::vector<std::string>{"Boom."});
}

TEST(PlatformServices, ThePlatformServesEveryInterfaceWhileItLives) {
  {
    TPlatform Platform(std::make_unique<THeadlessBackend>());
    auto& S = TPlatformServices::Current();
    EXPECT_EQ(S.Find<ITimerService>(), static_cast<ITimerService*>(&Platform));
    EXPECT_EQ(S.Find<IApplicationService>(), static_cast<IApplicationService*>(&Platform));
    EXPECT_EQ(S.Find<IWindowService>(), static_cast<IWindowService*>(&Platform));
    EXPECT_NE(Application, nullptr);
  }
  EXPECT_EQ(TPlatformServices::Current().Find<ITimerService>(), nullptr);
  EXPECT_EQ(Application, nullptr);
  try {
    TPlatformServices::Current().Get<ITimerService>();
    FAIL();
  } catch (const EUnsupportedPlatformService& E) {
    EXPECT_EQ(E.Message(), "Unsupported platform service: ITimerService");
  }
}

}  // namespace
