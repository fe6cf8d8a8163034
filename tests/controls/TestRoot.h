#pragma once
// Test stand-ins for the form and the platform: a root that owns an input dispatcher and
// lays out its children like a form, a virtual-time timer service, and a slider style.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "shell/app/Services.h"
#include "shell/controls/InputRoot.h"
#include "shell/controls/StyledControl.h"
#include "shell/controls/TrackBar.h"
#include "shell/core/PlatformServices.h"

// Plays the form: the top of the tree, client size, layout and input.
class TTestRoot : public TTreeObject, public TInputRoot, public IAlignRoot {
 public:
  explicit TTestRoot(float W = 634, float H = 480) : TTreeObject(nullptr), TInputRoot(this), FClient(W, H) {}

  TBounds RootPadding;
  std::vector<TRectF> Updates;
  int ModalResult = 0;

  void SetClientSize(float W, float H) {
    FClient = TSizeF(W, H);
    Realign();
  }

  // IRoot
  TTreeObject* GetRootObject() override { return this; }
  TCanvas* GetCanvas() override { return nullptr; }
  float GetSceneScale() override { return 1; }
  void AddUpdateRect(const TRectF& R) override { Updates.push_back(R); }
  void SetModalResult(int Value) override { ModalResult = Value; }

  // IAlignRoot
  void Realign() override {
    AlignObjects(this, &RootPadding, FClient.Width, FClient.Height, FLastWidth, FLastHeight, FDisableAlign);
  }
  void ChildrenAlignChanged() override {}
  TSizeF GetAlignParentSize() const override { return FClient; }

  // Mouse helpers in client coordinates.
  void Click(float X, float Y, TShiftState Shift = {}) {
    FInput.MouseDown(mbLeft, Shift + TShiftState{ssLeft}, X, Y);
    FInput.MouseUp(mbLeft, Shift, X, Y);
  }
  void Key(uint16_t Key, char32_t Char = 0, TShiftState Shift = {}) { FInput.KeyDown(Key, Char, Shift); }

 private:
  TSizeF FClient;
  float FLastWidth = 0, FLastHeight = 0;
  bool FDisableAlign = false;
};

using TRootPtr = std::unique_ptr<TTestRoot, TComponentDeleter>;

// Virtual time: timers tick when the test advances the clock.
class TFakeTimers : public ITimerService {
 public:
  TFakeTimers() { TPlatformServices::Current().AddPlatformService("ITimerService", static_cast<ITimerService*>(this)); }
  ~TFakeTimers() override { TPlatformServices::Current().RemovePlatformService("ITimerService"); }

  uintptr_t CreateTimer(int32_t Interval, TTimerProc Proc) override {
    FTimers.push_back({FNext, Interval, FNow + Interval, Proc});
    return FNext++;
  }
  bool DestroyTimer(uintptr_t Timer) override {
    auto It = std::find_if(FTimers.begin(), FTimers.end(), [&](const TTimer& T) { return T.Id == Timer; });
    if (It == FTimers.end()) return false;
    FTimers.erase(It);
    return true;
  }
  double GetTick() override { return FNow / 1000; }

  size_t Count() const { return FTimers.size(); }
  double Now() const { return FNow; }

  // Runs every tick due within the next Ms milliseconds, in time order.
  void Advance(double Ms) {
    double End = FNow + Ms;
    for (;;) {
      auto It = std::min_element(FTimers.begin(), FTimers.end(),
                                 [](const TTimer& A, const TTimer& B) { return A.Due < B.Due; });
      if (It == FTimers.end() || It->Due > End) break;
      FNow = It->Due;
      It->Due = FNow + It->Interval;
      TTimerProc Proc = It->Proc;
      Proc();
    }
    FNow = End;
  }

 private:
  struct TTimer {
    uintptr_t Id;
    int32_t Interval;
    double Due;
    TTimerProc Proc;
  };
  std::vector<TTimer> FTimers;
  double FNow = 0;
  uintptr_t FNext = 1;
};

// A slider style shaped like the desktop one: fixed height 19, thumb size tag 8, a track
// object centred vertically, and the thumb with margins of -2.
inline TControl* MakeTrackBarStyle(TComponent* Owner, int FixedHeight = 19, int ThumbSize = 8) {
  auto* Root = new TControl(Owner);
  Root->SetHitTest(false);
  Root->SetFixedHeight(FixedHeight);
  Root->Size()->SetSize(TSizeF(100, static_cast<float>(FixedHeight)));
  auto* Tag = new TControl(Owner);
  Tag->SetStyleName("ThumbSize");
  Tag->SetTag(ThumbSize);
  Tag->SetHitTest(false);
  Tag->SetVisible(false);
  Tag->SetParent(Root);
  auto* Track = new TControl(Owner);
  Track->SetStyleName("htrack");
  Track->SetHitTest(false);
  Track->Size()->SetSize(TSizeF(50, 11));
  Track->SetAlign(TAlignLayout::VertCenter);
  Track->SetParent(Root);
  auto* Thumb = new TThumb(Owner);
  Thumb->SetStyleName("hthumb");
  Thumb->Margins()->SetRect(TRectF(-2, -2, -2, -2));
  Thumb->SetParent(Root);
  return Root;
}

// Installs a style lookup for the test's lifetime: the slider gets MakeTrackBarStyle.
struct TTrackStyleScope {
  explicit TTrackStyleScope(int FixedHeight = 19, int ThumbSize = 8) {
    TStyledControl::SetStyleLookupProc([=](TStyledControl& C) -> TControl* {
      if (SameText(C.GetDefaultStyleLookupName(), "trackbarstyle")) return MakeTrackBarStyle(&C, FixedHeight, ThumbSize);
      return nullptr;
    });
  }
  ~TTrackStyleScope() { TStyledControl::SetStyleLookupProc(nullptr); }
};
