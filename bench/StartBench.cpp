// Start-up and memory of the real programs, each beside its floor in the same run:
// - exec to the first presented frame of `kelvane` and of an empty SDL window of the same
//   size (a preloaded library notes the first present; needs an X server, e.g. xvfb-run);
// - peak resident memory of `kelvane-headless` after its first frame, with the software 3D
//   device and with the null one.
// Every start is a fresh process; the first start of each program is not counted, so that
// Mesa's shader cache and the file cache are warm, as for a user's second start.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <set>
#include <string>
#include <vector>

namespace {

long long NowNs() {
  timespec T{};
  clock_gettime(CLOCK_MONOTONIC, &T);
  return static_cast<long long>(T.tv_sec) * 1000000000LL + T.tv_nsec;
}

struct TRunResult {
  bool Ok = false;
  double Milliseconds = 0;  // exec to the first present, when one was noted
  double PeakRssMB = 0;
};

// Starts Program with Args; with the preload, waits until it presents (it then ends itself).
// Input, when given, is the program's standard input.
TRunResult RunOnce(const std::vector<std::string>& Command, bool NotePresent, const std::string& Input = "") {
  int Present[2], Feed[2];
  if (pipe(Present) != 0 || pipe(Feed) != 0) return {};
  const pid_t Child = fork();
  if (Child < 0) return {};
  if (Child == 0) {
    close(Present[0]);
    close(Feed[1]);
    dup2(Feed[0], 0);
    const int Null = open("/dev/null", O_WRONLY);
    dup2(Null, 1);
    if (NotePresent) {
      setenv("LD_PRELOAD", KELVANE_FIRST_PRESENT_LIB, 1);
      setenv("KELVANE_PRESENT_FD", std::to_string(Present[1]).c_str(), 1);
      setenv("KELVANE_PRESENT_EXIT", "1", 1);
    }
    std::vector<char*> Argv;
    for (const std::string& A : Command) Argv.push_back(const_cast<char*>(A.c_str()));
    Argv.push_back(nullptr);
    setenv("KELVANE_EXEC_NS", std::to_string(NowNs()).c_str(), 1);
    execv(Argv[0], Argv.data());
    _exit(127);
  }
  close(Present[1]);
  close(Feed[0]);
  if (!Input.empty() && write(Feed[1], Input.data(), Input.size()) != static_cast<ssize_t>(Input.size())) return {};
  close(Feed[1]);
  std::string Line;
  char Buffer[64];
  for (ssize_t N; (N = read(Present[0], Buffer, sizeof Buffer)) > 0;) Line.append(Buffer, static_cast<size_t>(N));
  close(Present[0]);
  int Status = 0;
  rusage Usage{};
  wait4(Child, &Status, 0, &Usage);
  TRunResult R;
  R.Ok = WIFEXITED(Status) && WEXITSTATUS(Status) == 0 && (!NotePresent || !Line.empty());
  if (!Line.empty()) R.Milliseconds = std::atof(Line.c_str());
  R.PeakRssMB = static_cast<double>(Usage.ru_maxrss) / 1024.0;
  return R;
}

void WarmOnce(const std::vector<std::string>& Command, bool NotePresent, const std::string& Input = "") {
  static std::set<std::vector<std::string>> Warmed;
  if (Warmed.insert(Command).second) RunOnce(Command, NotePresent, Input);
}

void FirstPresent(benchmark::State& State, const std::vector<std::string>& Command) {
  if (!std::getenv("DISPLAY")) {
    State.SkipWithError("no X server: run under xvfb-run");
    return;
  }
  WarmOnce(Command, true);
  double Rss = 0;
  for (auto _ : State) {
    const TRunResult R = RunOnce(Command, true);
    if (!R.Ok) {
      State.SkipWithError("the program did not present a frame");
      return;
    }
    State.SetIterationTime(R.Milliseconds / 1000.0);
    Rss = R.PeakRssMB;
  }
  State.counters["peak_rss_MB"] = Rss;
}

void BM_FirstPresentGame(benchmark::State& State) { FirstPresent(State, {KELVANE_GAME}); }
void BM_FirstPresentEmptyWindow(benchmark::State& State) { FirstPresent(State, {KELVANE_EMPTY_WINDOW}); }
// One start per repetition: the median of the repetitions is the figure to read.
BENCHMARK(BM_FirstPresentGame)->Iterations(1)->Repetitions(10)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstPresentEmptyWindow)->Iterations(1)->Repetitions(10)->UseManualTime()->Unit(benchmark::kMillisecond);
// KELVANE_GAME_BEFORE=PROGRAM starts another build of the game too (the tree before a change),
// in the same run, so that the two compare under the same load.
const bool BeforeRegistered = [] {
  if (const char* Before = std::getenv("KELVANE_GAME_BEFORE"))
    benchmark::RegisterBenchmark("BM_FirstPresentGameBefore",
                                 [Path = std::string(Before)](benchmark::State& State) { FirstPresent(State, {Path}); })
        ->Iterations(1)
        ->Repetitions(10)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  return true;
}();

// Peak resident memory of the headless game after one painted frame (the paint happens in the
// first step of virtual time), with the device the argument names.
void BM_PeakMemoryAfterFirstFrame(benchmark::State& State, const char* Device) {
  const std::vector<std::string> Command{KELVANE_HEADLESS, "--device", Device};
  const std::string Script = "advance 1\ndevice\nquit\n";
  WarmOnce(Command, false, Script);
  double Rss = 0;
  for (auto _ : State) {
    const TRunResult R = RunOnce(Command, false, Script);
    if (!R.Ok) {
      State.SkipWithError("kelvane-headless failed");
      return;
    }
    Rss = R.PeakRssMB;
  }
  State.counters["peak_rss_MB"] = Rss;
}
BENCHMARK_CAPTURE(BM_PeakMemoryAfterFirstFrame, software, "software")->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PeakMemoryAfterFirstFrame, null, "null")->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
