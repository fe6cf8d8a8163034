// The 2D shell's per-event work: relaying out the game's form on a resize, a slider value
// change with its notifications, and finding the control under the mouse.
#include <benchmark/benchmark.h>

#include "shell/controls/Button.h"
#include "shell/controls/InputDispatcher.h"
#include "shell/controls/Panel.h"
#include "shell/controls/TrackBar.h"

namespace {

// The form's stand-in: a root that lays out and dispatches like the form does.
class TBenchRoot : public TTreeObject, public IRoot, public IAlignRoot {
 public:
  TBenchRoot() : TTreeObject(nullptr), Input(this) {}
  TInputDispatcher Input;
  TSizeF Client{634, 480};
  float LastW = 0, LastH = 0;
  bool Disable = false;

  TTreeObject* GetRootObject() override { return this; }
  TCanvas* GetCanvas() override { return nullptr; }
  float GetSceneScale() override { return 1; }
  void AddUpdateRect(const TRectF&) override {}
  TControl* GetFocused() override { return Input.Focused(); }
  void SetFocused(TControl* V) override { Input.SetFocused(V); }
  TControl* GetCaptured() override { return Input.Captured(); }
  void SetCaptured(TControl* V) override { Input.SetCaptured(V); }
  bool ReleaseEndsCapture(TMouseButton B, TShiftState S) override { return Input.ReleaseEndsCapture(B, S); }
  TControl* GetHovered() override { return Input.Hovered(); }
  TPointF GetMousePos() override { return Input.MousePos(); }
  void ControlRemoved(TControl* C) override { Input.ControlRemoved(C); }
  void Realign() override { AlignObjects(this, nullptr, Client.Width, Client.Height, LastW, LastH, Disable); }
  void ChildrenAlignChanged() override {}
  TSizeF GetAlignParentSize() const override { return Client; }
};

struct TGameForm {
  TBenchRoot* Root = new TBenchRoot();
  TTrackBar* Track;
  TGameForm() {
    auto* Viewport = new TControl(Root);
    Viewport->SetParent(Root);
    Viewport->SetAlign(TAlignLayout::Client);
    auto* Panel = new TPanel(Root);
    Panel->SetParent(Root);
    Panel->SetHeight(40);
    Panel->SetAlign(TAlignLayout::Bottom);
    Track = new TTrackBar(Root);
    Track->SetParent(Panel);
    Track->SetAlign(TAlignLayout::Client);
    Track->SetMin(-180);
    Track->SetMax(180);
    auto* Button = new TButton(Root);
    Button->SetParent(Panel);
    Button->SetWidth(80);
    Button->SetAlign(TAlignLayout::Left);
    Root->Realign();
  }
  ~TGameForm() { Root->Free(); }
};

void BM_GameFormResize(benchmark::State& State) {
  TGameForm Form;
  float H = 480;
  for (auto _ : State) {
    H = H == 480 ? 481 : 480;
    Form.Root->Client = TSizeF(634, H);
    Form.Root->Realign();
  }
}
BENCHMARK(BM_GameFormResize);

void BM_SliderValueChange(benchmark::State& State) {
  TGameForm Form;
  float V = 0;
  for (auto _ : State) {
    V = V == 0 ? 1 : 0;
    Form.Track->SetValue(V);
  }
}
BENCHMARK(BM_SliderValueChange);

void BM_ControlUnderTheMouse(benchmark::State& State) {
  TGameForm Form;
  for (auto _ : State) benchmark::DoNotOptimize(Form.Root->Input.ObjectAtPoint(TPointF(300, 450)));
}
BENCHMARK(BM_ControlUnderTheMouse);

}  // namespace

BENCHMARK_MAIN();
