// The styles: loading the platform style (once per program, at the first paint), handing a
// control its style copy (read afresh from the item, against a clone), applying the slider's
// style, and painting the styled control panel at 100 % and 150 %.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "shell/canvas/Bitmap.h"
#include "shell/canvas/Canvas.h"
#include "shell/controls/Button.h"
#include "shell/controls/Panel.h"
#include "shell/controls/TrackBar.h"
#include "shell/stream/Resources.h"
#include "shell/styles/Register.h"
#include "shell/styles/StyleContainer.h"
#include "shell/styles/StyleCopy.h"
#include "shell/styles/StyleManager.h"
#include "shell/styles/StyleStreaming.h"

namespace {

// A root that lays out its controls and paints them into a bitmap, as a form does its window.
class TBenchRoot : public TTreeObject, public IRoot, public IAlignRoot {
 public:
  TBenchRoot(float W, float H, float Scale) : TTreeObject(nullptr), Client(W, H) {
    Surface.SetSize(static_cast<int>(std::ceil(W * Scale)), static_cast<int>(std::ceil(H * Scale)));
    Surface.SetBitmapScale(Scale);
  }
  TBitmap Surface;
  TSizeF Client;
  float LastW = 0, LastH = 0;
  bool Disable = false, Painting = false;

  void Paint() {
    for (TTreeObject* Child : ChildList()) static_cast<TControl*>(Child)->PrepareForPaint();
    TCanvas* C = Surface.Canvas();
    if (!C->BeginScene()) return;
    Painting = true;
    C->Clear(0xFFFFFFFF);
    for (TTreeObject* Child : ChildList()) static_cast<TControl*>(Child)->PaintInternal();
    Painting = false;
    C->EndScene();
  }

  TTreeObject* GetRootObject() override { return this; }
  TCanvas* GetCanvas() override { return Painting ? Surface.Canvas() : nullptr; }
  float GetSceneScale() override { return Surface.BitmapScale(); }
  void AddUpdateRect(const TRectF&) override {}
  TControl* GetFocused() override { return nullptr; }
  void SetFocused(TControl*) override {}
  TControl* GetCaptured() override { return nullptr; }
  void SetCaptured(TControl*) override {}
  TControl* GetHovered() override { return nullptr; }
  TPointF GetMousePos() override { return {}; }
  void ControlRemoved(TControl*) override {}
  void Realign() override { AlignObjects(this, nullptr, Client.Width, Client.Height, LastW, LastH, Disable); }
  void ChildrenAlignChanged() override {}
  TSizeF GetAlignParentSize() const override { return Client; }
};

// The game's control panel, 634 x 40: the button and the slider.
struct TPanelForm {
  std::unique_ptr<TBenchRoot, TComponentDeleter> Root;
  TTrackBar* Track;
  explicit TPanelForm(float Scale) : Root(new TBenchRoot(634, 40, Scale)) {
    InitializeStyles();
    auto* Panel = new TPanel(Root.get());
    Panel->SetParent(Root.get());
    Panel->SetAlign(TAlignLayout::Client);
    Track = new TTrackBar(Root.get());
    Track->SetParent(Panel);
    Track->SetAlign(TAlignLayout::Client);
    Track->SetMin(-180);
    Track->SetMax(180);
    auto* Button = new TButton(Root.get());
    Button->SetParent(Panel);
    Button->SetAlign(TAlignLayout::Left);
    Button->Size()->SetSize(TSizeF(80, 40));
    Button->SetText("Start");
    Root->Realign();
    Root->Paint();
  }
};

void BM_LoadPlatformStyle(benchmark::State& State) {
  RegisterStyleClasses();
  for (auto _ : State) {
    TStyleContainer* Style = TStyleStreaming::LoadFromResource(0, "WIN10STYLE", RT_RCDATA);
    benchmark::DoNotOptimize(Style);
    Style->Free();
  }
}
BENCHMARK(BM_LoadPlatformStyle)->Unit(benchmark::kMicrosecond);

// Argument 0: read afresh from the item's stream (what a control gets); 1: cloned.
void BM_StyleCopy(benchmark::State& State) {
  InitializeStyles();
  TStyleContainer* Style = TStyleManager::GetStyleResource("win10style");
  TTreeObject* Item = Style->FindStyleResource("trackbarstyle");
  for (auto _ : State) {
    TComponent* Copy = State.range(0) == 0 ? Style->CreateCopy(*Item) : CloneStyleObject(*Item);
    benchmark::DoNotOptimize(Copy);
    Copy->Free();
  }
}
BENCHMARK(BM_StyleCopy)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_ApplyTrackBarStyle(benchmark::State& State) {
  TPanelForm Form(1);
  for (auto _ : State) {
    Form.Track->NeedStyleLookup();
    Form.Track->ApplyStyleLookup();
    benchmark::DoNotOptimize(Form.Track->ResourceLink());
  }
}
BENCHMARK(BM_ApplyTrackBarStyle)->Unit(benchmark::kMicrosecond);

// Argument: the scale in percent.
void BM_PaintControlPanel(benchmark::State& State) {
  TPanelForm Form(static_cast<float>(State.range(0)) / 100);
  for (auto _ : State) Form.Root->Paint();
}
BENCHMARK(BM_PaintControlPanel)->Arg(100)->Arg(150)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
