// game_soak: the game left running for a long stretch of virtual time on the headless back
// end, with a player who fires and aims now and then. It prints resident memory, the heap in
// use, the live components, the device's GL objects and the timer records after the first minute
// and at the end, and fails when the counts differ: whatever the game does per tick must not
// accumulate.
//
//   game_soak [--device null|software|gpu] [--minutes M]
#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>

#include "game/MainBlock.h"
#include "game/Register.h"
#include "game/Unit1.h"
#include "scene3d/context/ContextManager.h"
#include "scene3d/context/GLDevice.h"
#include "shell/app/Application.h"
#include "shell/controls/TrackBar.h"
#include "shell/core/LiveCount.h"
#include "shell/platform/headless/HeadlessPlatform.h"

namespace {
std::atomic<uint64_t> GAllocations{0};

void* Allocate(std::size_t Size) {
  GAllocations.fetch_add(1, std::memory_order_relaxed);
  if (void* P = std::malloc(Size ? Size : 1)) return P;
  throw std::bad_alloc();
}
}  // namespace

// Every allocation of C++ code is counted, so that the run shows how many the steady state
// makes (the C libraries below allocate with malloc and are not counted).
void* operator new(std::size_t Size) { return Allocate(Size); }
void* operator new[](std::size_t Size) { return Allocate(Size); }
void operator delete(void* P) noexcept { std::free(P); }
void operator delete[](void* P) noexcept { std::free(P); }
void operator delete(void* P, std::size_t) noexcept { std::free(P); }
void operator delete[](void* P, std::size_t) noexcept { std::free(P); }

namespace {
struct TFigures {
  long ResidentKB = 0;
  size_t HeapInUse = 0;
  int64_t Objects = 0;
  int GLObjects = 0;
  size_t TimerRecords = 0;
  uint64_t Allocations = 0;
};

long ResidentKB() {
  std::ifstream Statm("/proc/self/statm");
  long Size = 0, Resident = 0;
  Statm >> Size >> Resident;
  return Resident * (sysconf(_SC_PAGESIZE) / 1024);
}

TFigures Measure() {
  TFigures F;
  F.ResidentKB = ResidentKB();
  const struct mallinfo2 M = mallinfo2();
  F.HeapInUse = M.uordblks + M.hblkhd;
  F.Objects = LiveComponentCount();
  F.GLObjects = TGLDevice::Instance() ? TGLDevice::Instance()->LiveObjectCount() : 0;
  F.TimerRecords = TPlatform::Current()->TimerData().size();
  F.Allocations = GAllocations.load();
  return F;
}

void Print(const char* When, double Minutes, const TFigures& F) {
  std::printf("%-12s %10.0f min  resident %7ld kB  heap %9zu B  components %6lld  GL objects %4d  timer records %zu\n",
              When, Minutes, F.ResidentKB, F.HeapInUse, static_cast<long long>(F.Objects), F.GLObjects,
              F.TimerRecords);
  std::fflush(stdout);
}

int Usage() {
  std::fprintf(stderr, "usage: game_soak [--device null|software|gpu] [--minutes M]\n");
  return 2;
}
}  // namespace

int main(int argc, char** argv) {
  double Minutes = 60;
  TDeviceChoice Device = TDeviceChoice::Null;
  for (int I = 1; I < argc; ++I) {
    const std::string Arg = argv[I];
    if (Arg == "--device" && I + 1 < argc) {
      if (!TContextManager::ParseDeviceChoice(argv[++I], Device)) return Usage();
    } else if (Arg == "--minutes" && I + 1 < argc) {
      Minutes = std::atof(argv[++I]);
      if (!(Minutes >= 2)) return Usage();
    } else {
      return Usage();
    }
  }
  TContextManager::SetDeviceChoice(Device);
  THeadlessBackend& Backend = InstallHeadlessPlatform({});
  RegisterGameClasses();

  // The player fires every ten seconds and turns the slider a little each time; the run is
  // cut into ten-second steps so that the first minute and the end fall between two of them.
  constexpr double Step = 10000;
  const long Steps = static_cast<long>(Minutes * 60000 / Step);
  long Done = 0;
  TFigures First;
  bool Ok = true;
  Backend.SetDriver([&] {
    if (Done == 6) {
      First = Measure();
      Print("first minute", 1, First);
    }
    if (Done == Steps) {
      const TFigures End = Measure();
      Print("end", static_cast<double>(Steps) * Step / 60000, End);
      std::printf("C++ allocations after the first minute: %llu (%.2f per virtual second)\n",
                  static_cast<unsigned long long>(End.Allocations - First.Allocations),
                  static_cast<double>(End.Allocations - First.Allocations) /
                      (static_cast<double>(Steps - 6) * Step / 1000));
      Ok = End.Objects == First.Objects && End.GLObjects == First.GLObjects && End.TimerRecords == First.TimerRecords;
      if (!Ok) std::printf("FAILED: the counts at the end differ from those after the first minute\n");
      Application->Terminate();
      return;
    }
    Form1->TrackBar1->SetValue(static_cast<float>((Done * 7) % 61 - 30));
    Form1->Button1Click(Form1);
    ++Done;
    Backend.Advance(Step);
  });
  try {
    MainBlock();
  } catch (const std::exception& E) {
    std::fprintf(stderr, "game_soak: %s\n", E.what());
    return 1;
  }
  std::printf("device: %s\n", TContextManager::DefaultContextClass().c_str());
  return Ok ? 0 : 1;
}
