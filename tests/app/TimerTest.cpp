#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/app/Application.h"
#include "shell/app/Register.h"
#include "shell/app/Timer.h"
#include "shell/core/PlatformServices.h"
#include "shell/platform/Platform.h"
#include "shell/platform/headless/HeadlessPlatform.h"

namespace {

// Receives the ticks: logs "name@time" for each call.
struct TSink : TComponent {
  using TComponent::TComponent;
  THeadlessBackend* Headless = nullptr;
  std::vector<std::string> Log;
  std::function<void(TObject*)> Then;
  void OnTick(TObject* Sender) {
    auto* C = dynamic_cast<TComponent*>(Sender);
    Log.push_back((C ? C->Name() : std::string("?")) + "@" + std::to_string(static_cast<int>(Headless->VirtualTime())));
    if (Then) Then(Sender);
  }
  void Throw(TObject*) { throw EInvalidOperation("Tick failed"); }
};

class TimerTest : public ::testing::Test {
 protected:
  explicit TimerTest(size_t TimerLimit = 10000) {
    THeadlessOptions O;
    O.PrintErrorBoxes = false;
    O.TimerLimit = TimerLimit;
    auto B = std::make_unique<THeadlessBackend>(O);
    Headless = B.get();
    Platform = std::make_unique<TPlatform>(std::move(B));
    Sink = new TSink(nullptr);
    Sink->Headless = Headless;
  }
  ~TimerTest() override { Sink->Free(); }

  TTimer* NewTimer(const std::string& Name) {
    auto* T = new TTimer(Sink);
    T->SetName(Name);
    return T;
  }
  TNotifyEvent Tick() { return TNotifyEvent(Sink, &TSink::OnTick); }
  size_t Records() const { return Platform->TimerData().size(); }
  // Runs the loop without the application's idle step, so that only the test's timers run.
  void RunFor(double Ms) {
    double End = Headless->VirtualTime() + Ms;
    for (;;) {
      while (Platform->HandleMessage()) {
      }
      double Next = std::min(Platform->NextTimerDue(), End);
      if (Next <= Headless->VirtualTime()) break;
      Headless->Spend(Next - Headless->VirtualTime());
    }
  }

  THeadlessBackend* Headless;
  std::unique_ptr<TPlatform> Platform;
  TSink* Sink;
};

using Log = std::vector<std::string>;

TEST_F(TimerTest, StartsWithTheDefaultsAndWithoutAPlatformTimer) {
  TTimer* T = NewTimer("T");
  EXPECT_TRUE(T->Enabled());
  EXPECT_EQ(T->Interval(), 1000u);
  EXPECT_FALSE(T->OnTimer().Assigned());
  EXPECT_EQ(T->TimerHandle(), cIdNoTimer);
  EXPECT_EQ(Records(), 0u);

  RegisterAppClasses();
  const TMetaClass* Class = GetClass("ttimer");
  ASSERT_EQ(Class, &TTimer::StaticClass());
  EXPECT_EQ(Class->FindProperty("Enabled")->OrdDefault, 1);
  EXPECT_EQ(Class->FindProperty("Interval")->OrdDefault, 1000);
  EXPECT_EQ(Class->FindProperty("OnTimer")->Kind(), TTypeKind::Method);
}

TEST_F(TimerTest, AHandlerStartsItAndTicksComeEveryInterval) {
  TTimer* T = NewTimer("T");
  T->SetOnTimer(Tick());
  EXPECT_EQ(T->TimerHandle(), 144u);
  RunFor(3000);
  EXPECT_EQ(Sink->Log, (Log{"T@1000", "T@2000", "T@3000"}));
}

TEST_F(TimerTest, AssigningTheCurrentValuesLeavesThePlatformTimerAndItsPhase) {
  TTimer* T = NewTimer("T");
  T->SetOnTimer(Tick());
  RunFor(600);
  T->SetEnabled(true);
  T->SetInterval(1000);
  T->SetOnTimer(Tick());
  EXPECT_EQ(T->TimerHandle(), 144u);
  RunFor(1000);
  EXPECT_EQ(Sink->Log, (Log{"T@1000"}));
}

TEST_F(TimerTest, ChangingTheIntervalStartsANewPhase) {
  TTimer* T = NewTimer("T");
  T->SetOnTimer(Tick());
  RunFor(600);
  T->SetInterval(500);
  EXPECT_EQ(T->TimerHandle(), 160u);
  EXPECT_EQ(Records(), 1u);
  RunFor(1000);
  EXPECT_EQ(Sink->Log, (Log{"T@1100", "T@1600"}));
}

TEST_F(TimerTest, IntervalZeroStopsItWhileEnabledStaysAndAPositiveOneStartsIt) {
  TTimer* T = NewTimer("T");
  T->SetOnTimer(Tick());
  T->SetInterval(0);
  EXPECT_TRUE(T->Enabled());
  EXPECT_EQ(T->TimerHandle(), cIdNoTimer);
  EXPECT_EQ(Records(), 0u);
  RunFor(2000);
  EXPECT_TRUE(Sink->Log.empty());
  T->SetInterval(300);
  RunFor(600);
  EXPECT_EQ(Sink->Log, (Log{"T@2300", "T@2600"}));
}

TEST_F(TimerTest, ClearingTheHandlerStopsItAndANewBindingStartsANewTimer) {
  TTimer* T = NewTimer("T");
  T->SetOnTimer(Tick());
  RunFor(400);
  T->SetOnTimer(nullptr);
  EXPECT_EQ(Records(), 0u);
  EXPECT_EQ(T->TimerHandle(), cIdNoTimer);
  RunFor(1000);
  T->SetOnTimer(Tick());
  EXPECT_EQ(T->TimerHandle(), 160u);
  RunFor(1000);
  EXPECT_EQ(Sink->Log, (Log{"T@2400"}));
}

TEST_F(TimerTest, DisablingStopsItAndEnablingStartsIt) {
  TTimer* T = NewTimer("T");
  T->SetEnabled(false);
  T->SetOnTimer(Tick());
  EXPECT_EQ(Records(), 0u);
  RunFor(500);
  T->SetEnabled(true);
  RunFor(1000);
  T->SetEnabled(false);
  RunFor(2000);
  EXPECT_EQ(Sink->Log, (Log{"T@1500"}));
}

TEST_F(TimerTest, ARefusedTimerSwitchesEnabledOffSilently) {
  TTimer* T = NewTimer("T");
  // Above the signed range the interval arrives negative and is refused.
  T->SetInterval(0x80000000u);
  T->SetOnTimer(Tick());
  EXPECT_FALSE(T->Enabled());
  EXPECT_EQ(T->TimerHandle(), 0u);
  EXPECT_EQ(Records(), 0u);
  // Once the service refuses because it is terminating, the same happens.
  T->SetInterval(1000);
  Platform->Terminate();
  T->SetEnabled(true);
  EXPECT_FALSE(T->Enabled());
}

class FullTimerService : public TimerTest {
 protected:
  FullTimerService() : TimerTest(0) {}
};

TEST_F(FullTimerService, ARefusalOfThePlatformSwitchesEnabledOff) {
  TTimer* T = NewTimer("T");
  T->SetOnTimer(Tick());
  EXPECT_FALSE(T->Enabled());
  EXPECT_EQ(T->TimerHandle(), 0u);
}

TEST_F(TimerTest, WhileLoadingNothingStartsUntilLoaded) {
  TTimer* Running = NewTimer("Running");
  TTimer* Disabled = NewTimer("Disabled");
  for (TTimer* T : {Running, Disabled}) {
    T->IncludeState(csLoading);
    T->SetOnTimer(Tick());
    T->SetInterval(500);
  }
  Disabled->SetEnabled(false);
  EXPECT_EQ(Records(), 0u);
  Running->Loaded();
  Disabled->Loaded();
  EXPECT_FALSE(Running->IsLoading());
  ASSERT_EQ(Records(), 1u);
  EXPECT_EQ(Platform->TimerData()[0].TimerHandle, Running->TimerHandle());
  RunFor(500);
  EXPECT_EQ(Sink->Log, (Log{"Running@500"}));
}

TEST_F(TimerTest, ADesignedTimerNeverRuns) {
  TTimer* T = NewTimer("T");
  T->IncludeState(csDesigning);
  T->SetOnTimer(Tick());
  EXPECT_EQ(Records(), 0u);
}

TEST_F(TimerTest, ATickReachingADisabledOrZeroIntervalTimerCallsNothing) {
  TTimer* T = NewTimer("T");
  T->SetOnTimer(Tick());
  T->Timer();
  EXPECT_EQ(Sink->Log.size(), 1u);
  T->SetEnabled(false);
  T->Timer();
  T->SetEnabled(true);
  T->SetInterval(0);
  T->Timer();
  EXPECT_EQ(Sink->Log.size(), 1u);
}

TEST_F(TimerTest, FreeingStopsItAndItsWaitingTickCallsNothing) {
  TTimer* First = NewTimer("First");
  TTimer* Second = NewTimer("Second");
  First->SetOnTimer(Tick());
  Second->SetOnTimer(Tick());
  // Both fall due together; the first one's handler frees the second.
  Sink->Then = [&](TObject* Sender) {
    if (Sender == First && Second) {
      Second->Free();
      Second = nullptr;
    }
  };
  RunFor(2000);
  EXPECT_EQ(Sink->Log, (Log{"First@1000", "First@2000"}));
  EXPECT_EQ(Records(), 1u);
  First->Free();
  EXPECT_EQ(Records(), 0u);
}

TEST_F(TimerTest, AnExceptionInTheHandlerReachesTheErrorBoxAndTheTimerGoesOn) {
  TTimer* T = NewTimer("T");
  T->SetOnTimer(TNotifyEvent(Sink, &TSink::Throw));
  RunFor(2000);
  EXPECT_EQ(Headless->ErrorBoxes(), (Log{"Tick failed.", "Tick failed."}));
  EXPECT_TRUE(T->Enabled());
  EXPECT_EQ(T->TimerHandle(), 144u);
}

TEST(TimerWithoutService, ConstructionFailsWithTheServiceName) {
  ASSERT_EQ(TPlatformServices::Current().Find<ITimerService>(), nullptr);
  auto* Owner = new TComponent(nullptr);
  try {
    new TTimer(Owner);
    FAIL();
  } catch (const EUnsupportedPlatformService& E) {
    EXPECT_EQ(E.Message(), "Unsupported platform service: ITimerService");
  }
  EXPECT_EQ(Owner->ComponentCount(), 0);
  Owner->Free();
}

}  // namespace
