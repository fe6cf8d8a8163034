// The game's frames: a steady-state paint of the view (scene, readback, canvas), the first
// frame after the form is created (the sea's surface painted, uploaded and its mip levels
// made), and start-up to the first frame.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <vector>

#include "game/Register.h"
#include "game/Unit1.h"
#include "scene3d/Cylinder.h"
#include "scene3d/Viewport3D.h"
#include "shell/app/Timer.h"
#include "shell/canvas/Bitmap.h"
#include "shell/canvas/Canvas.h"
#include "shell/platform/headless/HeadlessPlatform.h"

namespace {

void Setup() {
  static const bool Done = [] {
    InstallHeadlessPlatform();
    RegisterGameClasses();
    return true;
  }();
  (void)Done;
}

double ProcessCpuMs() {
  timespec T{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &T);
  return static_cast<double>(T.tv_sec) * 1e3 + static_cast<double>(T.tv_nsec) / 1e6;
}

// The view as the form's paint draws it: one frame, then the bitmap onto a canvas.
void PaintView(TViewport3D& View, TCanvas& Canvas) {
  View.RenderFrame();
  Canvas.BeginScene();
  Canvas.DrawBitmap(*View.Bitmap(), View.Bitmap()->Bounds(), View.LocalRect(), 1, true);
  Canvas.EndScene();
}

// The steady game frame at a window size: arguments are the multisample setting (2 is the
// game's four samples, 0 one sample) and the client width and height. Besides the mean it
// reports the median frame and the view's size, for comparing with the hand-written GL frame
// of the same size (bench/compare-frames).
void BM_SteadyFrame(benchmark::State& State) {
  Setup();
  TForm1* Form = NewForm<TForm1>(nullptr);
  const int Width = static_cast<int>(State.range(1)), Height = static_cast<int>(State.range(2));
  Form->SetClientWidth(Width);
  Form->SetClientHeight(Height);
  TViewport3D& View = *Form->Viewport3D1;
  View.SetMultisample(static_cast<TMultisample>(State.range(0)));
  // The whole view every frame, as the hand-written frame draws it (BM_Tick has the ticks).
  View.SetRepaintDamageOnly(false);
  TBitmap Window(Width, Height);
  PaintView(View, *Window.Canvas());  // the sea's surface is painted on the first frame
  std::vector<double> Times, CpuTimes;
  for (auto _ : State) {
    const auto Start = std::chrono::steady_clock::now();
    const double CpuStart = ProcessCpuMs();
    Form->Timer2->Timer();  // the ship moves, as between two paints of the game
    PaintView(View, *Window.Canvas());
    CpuTimes.push_back(ProcessCpuMs() - CpuStart);
    Times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - Start).count());
  }
  std::sort(Times.begin(), Times.end());
  std::sort(CpuTimes.begin(), CpuTimes.end());
  if (!Times.empty()) State.counters["median_ms"] = Times[Times.size() / 2];
  // CPU time of every thread, the renderer's included: what the frame costs whatever the load.
  if (!CpuTimes.empty()) State.counters["median_cpu_ms"] = CpuTimes[CpuTimes.size() / 2];
  State.counters["view_w"] = View.Bitmap() ? View.Bitmap()->Width() : 0;
  State.counters["view_h"] = View.Bitmap() ? View.Bitmap()->Height() : 0;
  Form->Free();
}
BENCHMARK(BM_SteadyFrame)
    ->ArgsProduct({{2, 0}, {634}, {480}})
    ->Args({2, 951, 720})
    ->Args({0, 951, 720})
    ->Args({2, 1268, 960})
    ->Args({0, 1268, 960})
    ->Args({2, 1902, 1440})
    ->Args({0, 1902, 1440})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// One tick and the paint that shows it, as the game's window gets it: the frame repaints what
// changed, and only that part of the bitmap is drawn on the window's canvas.
enum TTickKind { tkShip, tkTorpedo, tkBoth, tkWholeFrame };

__attribute__((noinline)) void TickAndPaint(TForm1& Form, TTickKind Kind, int& Ticks, TCanvas& Canvas) {
  if (Kind != tkTorpedo) Form.Timer2->Timer();
  if (Kind == tkTorpedo || Kind == tkBoth) {
    // Fired again every ten ticks, so that the torpedo stays in view.
    if (++Ticks % 10 == 0)
      Form.Button1Click(&Form);
    else
      Form.Timer1->Timer();
  }
  TViewport3D& View = *Form.Viewport3D1;
  View.RenderFrame();
  const TTargetRect& R = View.LastRepaint();
  if (R.IsEmpty()) return;
  // At scale 1 the bitmap's pixels are the view's logical pixels.
  const TClipRects Clip{TRectF(static_cast<float>(R.Left), static_cast<float>(R.Top), static_cast<float>(R.Right),
                               static_cast<float>(R.Bottom))};
  Canvas.BeginScene(&Clip);
  Canvas.DrawBitmap(*View.Bitmap(), View.Bitmap()->Bounds(), View.LocalRect(), 1, true);
  Canvas.EndScene();
}

// Arguments: the kind of tick (ship, torpedo, both, or the ship's with the whole view repainted
// as every frame was before), the client width and height; four samples, as the game.
void BM_Tick(benchmark::State& State) {
  Setup();
  TForm1* Form = NewForm<TForm1>(nullptr);
  const auto Kind = static_cast<TTickKind>(State.range(0));
  const int Width = static_cast<int>(State.range(1)), Height = static_cast<int>(State.range(2));
  Form->SetClientWidth(Width);
  Form->SetClientHeight(Height);
  TViewport3D& View = *Form->Viewport3D1;
  View.SetRepaintDamageOnly(Kind != tkWholeFrame);
  Form->Button1Click(Form);
  TBitmap Window(Width, Height);
  PaintView(View, *Window.Canvas());  // the sea's surface is painted on the first frame
  int Ticks = 0;
  std::vector<double> Times, CpuTimes;
  double Pixels = 0;
  for (auto _ : State) {
    const auto Start = std::chrono::steady_clock::now();
    const double CpuStart = ProcessCpuMs();
    TickAndPaint(*Form, Kind, Ticks, *Window.Canvas());
    CpuTimes.push_back(ProcessCpuMs() - CpuStart);
    Times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - Start).count());
    Pixels += static_cast<double>(View.LastRepaint().Width()) * View.LastRepaint().Height();
  }
  std::sort(Times.begin(), Times.end());
  std::sort(CpuTimes.begin(), CpuTimes.end());
  if (!Times.empty()) State.counters["median_ms"] = Times[Times.size() / 2];
  if (!CpuTimes.empty()) State.counters["median_cpu_ms"] = CpuTimes[CpuTimes.size() / 2];
  // The share of the view's pixels a tick repainted, on average.
  if (!Times.empty() && View.Bitmap())
    State.counters["repainted"] = Pixels / static_cast<double>(Times.size()) /
                                  (static_cast<double>(View.Bitmap()->Width()) * View.Bitmap()->Height());
  State.counters["view_w"] = View.Bitmap() ? View.Bitmap()->Width() : 0;
  State.counters["view_h"] = View.Bitmap() ? View.Bitmap()->Height() : 0;
  Form->Free();
}
BENCHMARK(BM_Tick)
    ->ArgsProduct({{tkShip, tkTorpedo, tkBoth, tkWholeFrame}, {634}, {480}})
    ->ArgsProduct({{tkShip, tkTorpedo, tkBoth, tkWholeFrame}, {1902}, {1440}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_FirstFrame(benchmark::State& State) {
  Setup();
  TBitmap Window(634, 480);
  {
    // Warm the shader cache and the device once, as a running program has them.
    TForm1* Warm = NewForm<TForm1>(nullptr);
    PaintView(*Warm->Viewport3D1, *Window.Canvas());
    Warm->Free();
  }
  for (auto _ : State) {
    State.PauseTiming();
    TForm1* Form = NewForm<TForm1>(nullptr);
    State.ResumeTiming();
    PaintView(*Form->Viewport3D1, *Window.Canvas());
    State.PauseTiming();
    Form->Free();
    State.ResumeTiming();
  }
}
BENCHMARK(BM_FirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_StartUpToFirstFrame(benchmark::State& State) {
  Setup();
  TBitmap Window(634, 480);
  for (auto _ : State) {
    TForm1* Form = NewForm<TForm1>(nullptr);
    PaintView(*Form->Viewport3D1, *Window.Canvas());
    State.PauseTiming();
    Form->Free();
    State.ResumeTiming();
  }
}
BENCHMARK(BM_StartUpToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
