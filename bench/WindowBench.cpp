// The window's paint cycle: one paint message of a form with a background and a row of
// controls, for a small invalid rectangle and for the whole client area; and, on the SDL back
// end, presenting the painted rectangles of a real window (needs an X server: run under
// xvfb-run when there is none).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

#include "shell/controls/Control.h"
#include "shell/forms/Form.h"
#include "shell/platform/Platform.h"
#include "shell/platform/headless/HeadlessPlatform.h"
#include "shell/platform/sdl/SdlPlatform.h"

namespace {

// A control that fills its area with one colour.
class TBlock : public TControl {
 public:
  explicit TBlock(TComponent* AOwner) : TControl(AOwner) {}
  TAlphaColor Color = 0xFF3060A0;

 protected:
  void Paint() override {
    TBrush B(TBrushKind::Solid, Color);
    Canvas()->FillRect(LocalRect(), 0, 0, AllCorners, 1, B);
  }
};

// A 634 × 480 form with a solid background and 8 × 6 blocks of 60 × 60.
TForm* MakeForm() {
  auto* F = new TForm(nullptr, TCreateNew{});
  F->AfterConstruction();
  F->SetClientHeight(480);
  F->SetClientWidth(634);
  F->Fill()->SetKind(TBrushKind::Solid);
  F->Fill()->SetColor(0xFFFFFFFF);
  for (int Row = 0; Row < 6; ++Row)
    for (int Col = 0; Col < 8; ++Col) {
      auto* B = new TBlock(F);
      B->SetParent(F);
      B->SetBounds(static_cast<float>(Col * 78 + 10), static_cast<float>(Row * 78 + 10), 60, 60);
    }
  F->Show();
  return F;
}

// Range 0: the area of one block invalidated; 1: the whole client area.
TRectF Area(int64_t Which) { return Which == 0 ? TRectF(10, 10, 70, 70) : TRectF(0, 0, 634, 480); }

void BM_PaintMessage(benchmark::State& State) {
  THeadlessOptions O;
  O.PrintErrorBoxes = false;
  O.Scale = static_cast<float>(State.range(1)) / 100;
  TPlatform Platform(std::make_unique<THeadlessBackend>(O));
  TForm* F = MakeForm();
  while (Platform.HandleMessage()) {
  }
  const TRectF R = Area(State.range(0));
  for (auto _ : State) {
    F->InvalidateRect(R);
    Platform.HandleMessage();
  }
  F->Free();
}
// Small or whole, at 100 % and 150 %.
BENCHMARK(BM_PaintMessage)->Args({0, 100})->Args({1, 100})->Args({0, 150})->Args({1, 150})->Unit(benchmark::kMicrosecond);

void BM_SdlPaintAndPresent(benchmark::State& State) {
  if (!std::getenv("DISPLAY")) {
    State.SkipWithError("no X server");
    return;
  }
  TPlatform Platform(std::make_unique<TSdlBackend>());
  auto& Sdl = static_cast<TSdlBackend&>(Platform.Backend());
  TForm* F = MakeForm();
  while (Platform.HandleMessage()) {
  }
  const TRectF R = Area(State.range(0));
  for (auto _ : State) {
    F->InvalidateRect(R);
    while (Platform.HandleMessage()) {
    }
  }
  if (!Sdl.DrawsIntoWindowSurface(*Platform.FindWindow(F))) State.SetLabel("through a copy");
  F->Free();
}
BENCHMARK(BM_SdlPaintAndPresent)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
