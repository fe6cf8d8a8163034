// The canvas work of a game frame: painting the sea's gradient into its 2566 × 2428 surface
// (once after loading) and drawing the viewport's 634 × 440 frame onto the window (every frame).
#include <benchmark/benchmark.h>

#include "shell/canvas/Bitmap.h"
#include "shell/canvas/CanvasManager.h"

namespace {

void BM_SeaGradientFill(benchmark::State& State) {
  TBitmap Sea(2566, 2428);
  TCanvas& C = *Sea.Canvas();
  TBrush Fill(TBrushKind::None, 0xFFFFFFFF);
  Fill.SetKind(TBrushKind::Gradient);
  for (auto _ : State) {
    C.BeginScene();
    C.FillRect(Sea.Bounds(), 0, 0, {}, 1, Fill);
    C.EndScene();
    benchmark::DoNotOptimize(Sea.Surface());
  }
  State.SetItemsProcessed(State.iterations() * 2566 * 2428);
}
BENCHMARK(BM_SeaGradientFill)->Unit(benchmark::kMillisecond);

// Argument 1: the frame is known opaque, as the 3D readback marks an opaque frame, and is
// copied; 0: blended, the baseline in the same run.
void BM_FrameDrawBitmapHighSpeed(benchmark::State& State) {
  TBitmap Frame(634, 440);
  Frame.Clear(0xFF808080);
  if (State.range(0)) Frame.MarkKnownOpaque();
  TBitmap Window(634, 480);
  TCanvas& C = *Window.Canvas();
  const TRectF Dst(0, 0, 634, 440);
  for (auto _ : State) {
    C.BeginScene();
    C.DrawBitmap(Frame, Frame.Bounds(), Dst, 1, true);
    C.EndScene();
    benchmark::DoNotOptimize(Window.Surface());
  }
  State.SetItemsProcessed(State.iterations() * 634 * 440);
}
BENCHMARK(BM_FrameDrawBitmapHighSpeed)->ArgName("KnownOpaque")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
