// The event loop: what one timer tick costs to dispatch, and what an idle program costs per
// second on the SDL back end (needs an X server: run under xvfb-run when there is none).
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>

#include "shell/app/Application.h"
#include "shell/platform/Platform.h"
#include "shell/platform/headless/HeadlessPlatform.h"
#include "shell/platform/sdl/SdlPlatform.h"

namespace {

struct TCounter : TObject {
  int64_t Ticks = 0;
  void Tick() { ++Ticks; }
};

// One due tick taken from the queue and dispatched, with Others more timers running (their
// records are walked from the last to the first to find the one that ticked).
void BM_TickDispatch(benchmark::State& State) {
  THeadlessOptions O;
  O.PrintErrorBoxes = false;
  auto B = std::make_unique<THeadlessBackend>(O);
  THeadlessBackend& Headless = *B;
  TPlatform Platform(std::move(B));
  TCounter Target, Others;
  Platform.CreateTimer(1, TTimerProc(&Target, &TCounter::Tick));
  for (int64_t I = 0; I < State.range(0); ++I) Platform.CreateTimer(0x7FFFFFFF, TTimerProc(&Others, &TCounter::Tick));
  for (auto _ : State) {
    Headless.Spend(1);
    Platform.HandleMessage();
  }
  if (Target.Ticks != static_cast<int64_t>(State.iterations())) State.SkipWithError("a tick was lost");
  State.SetItemsProcessed(Target.Ticks);
}
BENCHMARK(BM_TickDispatch)->Arg(0)->Arg(2)->Arg(16)->Arg(256);

double CpuMs() {
  rusage U{};
  getrusage(RUSAGE_SELF, &U);
  auto ToMs = [](const timeval& T) { return static_cast<double>(T.tv_sec) * 1000.0 + static_cast<double>(T.tv_usec) / 1000.0; };
  return ToMs(U.ru_utime) + ToMs(U.ru_stime);
}

// One second of an idle program on SDL: the loop waits, and the application's 100 ms
// action-update timer wakes it ten times. Reports the processor time used per second.
void BM_SdlIdleSecond(benchmark::State& State) {
  if (!std::getenv("DISPLAY")) {
    State.SkipWithError("no X server (run under xvfb-run)");
    return;
  }
  auto B = std::make_unique<TSdlBackend>();
  TSdlBackend& Sdl = *B;
  TPlatform Platform(std::move(B));
  Sdl.Poll();
  double Cpu = 0;
  int64_t Wakeups = 0;
  struct TIdleCount : TObject {
    int64_t* Count;
    void OnIdle(TObject*, bool&) { ++*Count; }
  } Idle;
  Idle.Count = &Wakeups;
  Application->OnIdle = TIdleEvent(&Idle, &TIdleCount::OnIdle);
  for (auto _ : State) {
    double Start = CpuMs();
    auto End = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (std::chrono::steady_clock::now() < End) Application->HandleMessage();
    Cpu += CpuMs() - Start;
  }
  Application->OnIdle = nullptr;
  auto Seconds = static_cast<double>(State.iterations());
  State.counters["cpu_ms_per_s"] = Cpu / Seconds;
  State.counters["idle_passes_per_s"] = static_cast<double>(Wakeups) / Seconds;
}
BENCHMARK(BM_SdlIdleSecond)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
