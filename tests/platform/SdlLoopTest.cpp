// The SDL back end's loop for real: under an X server (an Xvfb of the test's own when DISPLAY
// is unset), timers tick at their period and the loop sleeps between ticks.
#include <gtest/gtest.h>

#include <SDL.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "shell/app/Application.h"
#include "shell/platform/Platform.h"
#include "shell/platform/sdl/SdlPlatform.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration D) { return std::chrono::duration<double, std::milli>(D).count(); }

double CpuMs() {
  rusage U{};
  getrusage(RUSAGE_SELF, &U);
  auto ToMs = [](const timeval& T) { return T.tv_sec * 1000.0 + T.tv_usec / 1000.0; };
  return ToMs(U.ru_utime) + ToMs(U.ru_stime);
}

// Starts "Xvfb :N -noreset" for the suite when there is no display.
class XServer : public ::testing::Environment {
 public:
  void SetUp() override {
    if (std::getenv("DISPLAY")) return;
    for (int N = 91; N < 140; ++N) {
      std::string Socket = "/tmp/.X11-unix/X" + std::to_string(N);
      std::string Lock = "/tmp/.X" + std::to_string(N) + "-lock";
      struct stat S;
      if (stat(Socket.c_str(), &S) == 0 || stat(Lock.c_str(), &S) == 0) continue;
      std::string Display = std::to_string(N);
      Display.insert(Display.begin(), ':');
      const char* Args[] = {"Xvfb", Display.c_str(), "-noreset", "-nolisten", "tcp", nullptr};
      if (posix_spawnp(&FPid, "Xvfb", nullptr, nullptr, const_cast<char**>(Args), environ) != 0) return;
      // Another test process may take the same number between the check and the spawn: this
      // server then stops at once on the lock, and the next number is tried.
      bool Ours = false;
      for (int Try = 0; Try < 100; ++Try) {
        if (waitpid(FPid, nullptr, WNOHANG) == FPid) break;
        if (stat(Socket.c_str(), &S) == 0) {
          usleep(100000);
          Ours = waitpid(FPid, nullptr, WNOHANG) == 0;
          break;
        }
        usleep(50000);
      }
      if (!Ours) {
        if (kill(FPid, SIGTERM) == 0) waitpid(FPid, nullptr, 0);
        FPid = 0;
        continue;
      }
      setenv("DISPLAY", Display.c_str(), 1);
      // A private X server has no session bus; without this D-Bus would start one for SDL
      // (dbus-launch) and leave it running.
      setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 0);
      return;
    }
  }
  void TearDown() override {
    if (FPid <= 0) return;
    kill(FPid, SIGTERM);
    waitpid(FPid, nullptr, 0);
    unsetenv("DISPLAY");
  }

 private:
  pid_t FPid = 0;
};
const auto* const GXServer = ::testing::AddGlobalTestEnvironment(new XServer);

class SdlLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server (install xvfb)";
    auto B = std::make_unique<TSdlBackend>();
    Backend = B.get();
    Platform = std::make_unique<TPlatform>(std::move(B));
  }
  TSdlBackend* Backend = nullptr;
  std::unique_ptr<TPlatform> Platform;
};

struct TTickLog : TObject {
  std::vector<Clock::time_point> Times;
  void Tick() { Times.push_back(Clock::now()); }
};

TEST_F(SdlLoop, TimersTickNoSoonerThanTheirPeriodAndTheLoopSleepsBetweenTicks) {
  TTickLog Log;
  Backend->Poll();  // SDL is up before the clock starts
  Clock::time_point Start = Clock::now();
  Platform->CreateTimer(50, TTimerProc(&Log, &TTickLog::Tick));
  double Cpu = CpuMs();
  // A loaded machine may deliver ticks late, never early; the limit only stops a loop that never
  // ticks.
  while (Log.Times.size() < 10 && Clock::now() - Start < std::chrono::seconds(30))
    if (!Platform->HandleMessage()) Platform->WaitMessage();
  Cpu = CpuMs() - Cpu;

  ASSERT_EQ(Log.Times.size(), 10u);
  for (size_t K = 0; K < Log.Times.size(); ++K)
    EXPECT_GE(Ms(Log.Times[K] - Start), 50.0 * static_cast<double>(K + 1)) << "tick " << K + 1 << " came early";
  // Ten wake-ups cost a few milliseconds of processor time however long they take to come; a
  // loop that polled every millisecond would take about fifty, one that spun hundreds.
  EXPECT_LT(Cpu, 30) << "processor time in ms while waiting for ten ticks";
}

TEST_F(SdlLoop, ACallQueuedByAnotherThreadWakesTheWaitingLoop) {
  Application->SetActionUpdateDelay(0);  // no idle timer: only the wake can end the wait
  struct TNone : TObject {
    void Tick() {}
  } Safety;
  // Without the wake the loop would sleep until this timer; the margin is for a loaded machine.
  Platform->CreateTimer(20000, TTimerProc(&Safety, &TNone::Tick));
  Backend->Poll();
  bool Done = false;
  Clock::time_point Queued;
  std::thread Worker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Queued = Clock::now();
    Application->Queue([&] { Done = true; });
  });
  Clock::time_point Start = Clock::now();
  while (!Done && Clock::now() - Start < std::chrono::seconds(30)) Application->HandleMessage();
  Clock::time_point Ran = Clock::now();
  Worker.join();
  ASSERT_TRUE(Done);
  EXPECT_LT(Ms(Ran - Queued), 10000) << "the call waited for the timer, not for its wake";
}

TEST_F(SdlLoop, SdlsQuitEventEndsRun) {
  Backend->Poll();
  SDL_Event Quit{};
  Quit.type = SDL_QUIT;
  SDL_PushEvent(&Quit);
  Application->Run();
  EXPECT_TRUE(Application->Terminated());
  EXPECT_TRUE(Platform->Terminating());
}

}  // namespace
