#include "shell/controls/TrackBar.h"

#include <algorithm>
#include <cmath>

#include "shell/core/PlatformServices.h"

namespace TypeInfos {
const TTypeInfo& Orientation() {
  static const TTypeInfo T = MakeNamedType("TOrientation", TTypeKind::Enumeration, {"Horizontal", "Vertical"});
  return T;
}
}  // namespace TypeInfos

namespace {
int Sign(double V) { return V > 0 ? 1 : V < 0 ? -1 : 0; }
}  // namespace

// --- TValueRangeTrack ---

const TMetaClass& TValueRangeTrack::StaticClass() {
  return ClassRecord<TValueRangeTrack>("TValueRangeTrack", &TCustomValueRange::StaticClass(), [](auto&) {});
}

TValueRangeTrack::TValueRangeTrack(TCustomTrack* ATrack) : TCustomValueRange(ATrack), FTrack(ATrack) {}

void TValueRangeTrack::DoBeforeChange() { FValueChanged = !SameValue(New().Value, Current().Value); }

void TValueRangeTrack::DoChanged() {
  FTrack->Realign();
  if (!FTrack->IsLoading()) FTrack->DoTracking();
  FTrack->UpdateHighlight();
}

void TValueRangeTrack::DoAfterChange() {
  if (!FValueChanged) return;
  FValueChanged = false;
  if (!FTrack->IsLoading()) FTrack->DoChanged();
  FTrack->UpdateHighlight();
}

// --- TThumb ---

const TMetaClass& TThumb::StaticClass() {
  return ClassRecord<TThumb>("TThumb", &TStyledControl::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("CanParentFocus", &TThumb::CanParentFocus, &TThumb::SetCanParentFocus).Default(true);
  });
}

TThumb::TThumb(TComponent* AOwner) : TStyledControl(AOwner) {
  SetCanFocus(false);
  SetCanParentFocus(true);
  SetAutoCapture(true);
}

double TThumb::ValueAt(float X, float Y) const {
  // The thumb's own place in the track, then the mouse relative to where it went down.
  TPointF Corner = FTrack->AbsoluteToLocal(LocalToAbsolute(TPointF()));
  if (FTrack->Orientation() == TOrientation::Horizontal)
    return FTrack->PosToValue(Corner.X + X - FDownOffset.X + Width() / 2, Width(), FTrack->Width());
  return FTrack->PosToValue(Corner.Y + Y - FDownOffset.Y + Height() / 2, Height(), FTrack->Height());
}

void TThumb::MouseDown(TMouseButton Button, TShiftState Shift, float X, float Y) {
  TStyledControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled() || !FTrack) return;
  FThumbPressed = true;
  FDownOffset = TPointF(X, Y);
  FTrack->SetFocus();
  FTrack->ValueRange()->SetTracking(FTrack->Tracking());
  ApplyTriggerEffect("IsPressed");
}

void TThumb::MouseMove(TShiftState Shift, float X, float Y) {
  TStyledControl::MouseMove(Shift, X, Y);
  if (!FThumbPressed || !FTrack) return;
  try {
    FTrack->SetNewValue(ValueAt(X, Y));
  } catch (...) {
    FThumbPressed = false;
    throw;
  }
}

void TThumb::MouseUp(TMouseButton Button, TShiftState Shift, float X, float Y) {
  // Another button's release while the left one drags leaves the drag going.
  if (FTrack && ReleaseEndsPress(Button, Shift)) {
    double V = ValueAt(X, Y);
    if (FThumbPressed) {
      FThumbPressed = false;
      if (!FTrack->ValueRange()->Tracking()) {
        FTrack->SetNewValue(V);
        FTrack->ValueRange()->SetTracking(true);
      }
    }
    ApplyTriggerEffect("IsPressed");
  }
  TStyledControl::MouseUp(Button, Shift, X, Y);
}

void TThumb::DoCaptureLost() {
  if (FThumbPressed) EndDrag();
  TStyledControl::DoCaptureLost();
}

void TThumb::ResetState() {
  TStyledControl::ResetState();
  FThumbPressed = false;
}

void TThumb::EndDrag() {
  FThumbPressed = false;
  ApplyTriggerEffect("IsPressed");
  if (FTrack && !FTrack->ValueRange()->Tracking()) FTrack->ValueRange()->SetTracking(true);
}

bool TThumb::GetTriggerState(const std::string& Name, bool& Value) const {
  if (!SameText(Name, "IsPressed")) return TStyledControl::GetTriggerState(Name, Value);
  Value = FThumbPressed;
  return true;
}

void TThumb::Click() {
  TStyledControl::Click();
  if (FTrack) FTrack->DoThumbClick();
}

void TThumb::DblClick() {
  TStyledControl::DblClick();
  if (FTrack) FTrack->DoThumbDblClick();
}

// --- TCustomTrack ---

const TMetaClass& TCustomTrack::StaticClass() {
  return ClassRecord<TCustomTrack>("TCustomTrack", &TPresentedControl::StaticClass(), [](auto& B) {
    B.Property("CanParentFocus", &TCustomTrack::CanParentFocus, &TCustomTrack::SetCanParentFocus).Default(true);
  });
}

TCustomTrack::TCustomTrack(TComponent* AOwner) : TPresentedControl(AOwner) {
  FValueRange = CreateValueRangeTrack();
  SetCanParentFocus(true);
}

TCustomTrack::~TCustomTrack() = default;

std::unique_ptr<TCustomValueRange> TCustomTrack::CreateValueRangeTrack() {
  return std::make_unique<TValueRangeTrack>(this);
}

void TCustomTrack::BeforeDestruction() {
  FTimer.Stop();
  TPresentedControl::BeforeDestruction();
}

void TCustomTrack::SetNewValue(double V) {
  if (SameValue(V, FValueRange->Value())) return;
  FValueRange->SetValue(V);
}

void TCustomTrack::SetOrientation(TOrientation Value) {
  if (Value == FOrientation) return;
  FOrientation = Value;
  // The other orientation takes other style parts and a swapped fixed size.
  NeedStyleLookup();
  if (!IsLoading() && Root()) ApplyStyleLookup();
  Realign();
}

void TCustomTrack::SetStyleThumbSize(float Value) {
  if (Value == FThumbSize) return;
  FThumbSize = Value;
  Realign();
}

void TCustomTrack::Loaded() {
  // The stored range arrives piecemeal while loading; normalise it once, still loading, so
  // that no event fires.
  if (FValueRange->Changing()) FValueRange->ApplyChanges();
  TPresentedControl::Loaded();
}

float TCustomTrack::GetThumbSize() {
  bool Horizontal = FOrientation == TOrientation::Horizontal;
  float W = Horizontal ? Width() : Height();
  float H = Horizontal ? Height() : Width();
  double Range = FValueRange->Max() - FValueRange->Min();
  float S;
  if (FValueRange->ViewportSize() > 0)
    S = static_cast<float>(W * FValueRange->ViewportSize() / Range);
  else if (FThumbSize != 0)
    S = FThumbSize;
  else
    S = H;
  float T = std::max({S, H / 2, FMinThumbSize});
  float Size = RoundHalfEven(std::min(T, W));
  if (Size < FMinThumbSize) Size = 0;
  FIgnoreViewportSize = S - 1 >= Size;
  return Size;
}

float TCustomTrack::ValueToPos() {
  float Size = GetThumbSize();
  float W = TrackLength();
  double V = (FIgnoreViewportSize || FValueRange->ViewportSize() < 0) ? 0 : FValueRange->ViewportSize();
  double Span = FValueRange->Max() - FValueRange->Min() - V;
  if (Span <= 0) return Size / 2;
  return static_cast<float>(Size / 2 + (W - Size) * (FValueRange->Value() - FValueRange->Min()) / Span);
}

double TCustomTrack::PosToValue(float Position, float Z, float L) {
  if (L - Z <= 0) return FValueRange->Min();
  double T = std::clamp((static_cast<double>(Position) - Z / 2.0) / (L - Z), 0.0, 1.0);
  double V = (FIgnoreViewportSize || FValueRange->ViewportSize() < 0) ? 0 : FValueRange->ViewportSize();
  return FValueRange->Min() + (FValueRange->Max() - FValueRange->Min() - V) * T;
}

TRectF TCustomTrack::GetThumbRect() {
  float Centre = ValueToPos();
  float Half = GetThumbSize() / 2;
  TRectF R = FOrientation == TOrientation::Horizontal ? TRectF(Centre - Half, 0, Centre + Half, Height())
                                                       : TRectF(0, Centre - Half, Width(), Centre + Half);
  if (!FThumb) return R;
  TRectF M = FThumb->Margins()->Rect();
  TRectF P;
  if (auto* Holder = dynamic_cast<TControl*>(FThumb->Parent())) P = Holder->Padding()->Rect();
  if (M.Left + P.Left + P.Right - M.Right < R.Width()) {
    R.Left = RoundHalfEven(P.Left + R.Left + M.Left);
    R.Right = RoundHalfEven(R.Right - P.Right - M.Right);
  }
  R.Top = RoundHalfEven(P.Top + R.Top + M.Top);
  R.Bottom = RoundHalfEven(R.Bottom - P.Bottom - M.Bottom);
  return R;
}

void TCustomTrack::DoRealign() {
  TPresentedControl::DoRealign();
  if (!FThumb) return;
  TRectF R = GetThumbRect();
  FThumb->SetBounds(R.Left, R.Top, R.Width(), R.Height());
  FThumb->SetVisible(!R.IsEmpty());
}

void TCustomTrack::UpdateHighlight() {
  if (!FHighlight) return;
  float Centre = ValueToPos();
  if (FOrientation == TOrientation::Horizontal)
    FHighlight->SetBounds(FHighlight->Position()->X(), FHighlight->Position()->Y(), std::max(0.f, Centre), FHighlight->Height());
  else
    FHighlight->SetBounds(FHighlight->Position()->X(), FHighlight->Position()->Y(), FHighlight->Width(), std::max(0.f, Centre));
}

void TCustomTrack::ApplyStyle() {
  TPresentedControl::ApplyStyle();
  bool Horizontal = FOrientation == TOrientation::Horizontal;
  auto Pick = [&](const char* H, const char* V, const char* Either) -> TControl* {
    TControl* HObj = FindStyleResource(H);
    TControl* VObj = FindStyleResource(V);
    if (HObj) HObj->SetVisible(Horizontal);
    if (VObj) VObj->SetVisible(!Horizontal);
    TControl* Chosen = Horizontal ? HObj : VObj;
    return Chosen ? Chosen : FindStyleResource(Either);
  };
  FThumb = dynamic_cast<TThumb*>(Pick("hthumb", "vthumb", "thumb"));
  if (FThumb) FThumb->SetTrack(this);
  FTrackObject = Pick("htrack", "vtrack", "track");
  FHighlight = FTrackObject ? nullptr : FindStyleResource("highlight");
  if (FTrackObject) {
    for (TTreeObject* Child : FTrackObject->ChildList()) {
      auto* C = dynamic_cast<TControl*>(Child);
      if (C && SameText(C->StyleName(), "highlight")) FHighlight = C;
    }
  }
  if (TControl* Size = FindStyleResource("thumbsize")) {
    // A fractional size in TagFloat wins over the whole one in Tag.
    if (Size->Tag() > 0) FThumbSize = static_cast<float>(Size->Tag());
    if (Size->TagFloat() > 0) FThumbSize = Size->TagFloat();
  }
  Realign();
}

void TCustomTrack::FreeStyle() {
  if (FThumb) FThumb->SetTrack(nullptr);
  FThumb = nullptr;
  FTrackObject = nullptr;
  FHighlight = nullptr;
  FThumbSize = 0;
  TPresentedControl::FreeStyle();
}

TAdjustType TCustomTrack::ChooseAdjustType(TSizeF& FixedSize) {
  if (FixedSize.Height == 0) return TAdjustType::None;
  if (FOrientation == TOrientation::Horizontal) return TAdjustType::FixedHeight;
  FixedSize = TSizeF(FixedSize.Height, FixedSize.Width);
  return TAdjustType::FixedWidth;
}

double TCustomTrack::GetIncrement() const {
  if (FSmallChange > 0) return FSmallChange;
  double R = FValueRange->Max() - FValueRange->Min();
  if (R <= 0) return 0;
  double Step = std::pow(10.0, std::nearbyint(std::log10(R) - 1.66));
  if (R / Step < 50) Step /= 2;
  double F = FValueRange->Frequency();
  if (F > 0) Step = F * std::nearbyint(std::max(Step / F, 1.0));
  return Step;
}

void TCustomTrack::MouseDown(TMouseButton Button, TShiftState Shift, float X, float Y) {
  TPresentedControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FTimer.Stop();
  FPushedValue = PosToValue(AlongTrack(TPointF(X, Y)), GetThumbSize(), TrackLength());
  FPushedSign = Sign(FPushedValue - FValueRange->Value());
  FPushedShift = Shift;
  if (SameValue(FPushedValue, FValueRange->Value())) return;
  Capture();
  FTimer.Start(10, TTimerProc(this, &TCustomTrack::PagingTick));
}

void TCustomTrack::PagingTick() {
  if (!FPushedShift.Contains(ssShift) && FTracking) {
    FTimer.SetInterval(FTimer.Interval() == 10 ? 500 : 20);
    if (!Root()) return;
    TPointF Mouse = AbsoluteToLocal(Root()->GetMousePos());
    if (!LocalRect().Contains(Mouse)) return;
    double Target = PosToValue(AlongTrack(Mouse), GetThumbSize(), TrackLength());
    if (Sign(Target - FValueRange->Value()) != FPushedSign) return;
    DoSmallChange(Target, FPushedSign);
  } else {
    FTimer.Stop();
    SetNewValue(FPushedValue);
  }
}

void TCustomTrack::DoSmallChange(double Target, int Direction) {
  double V = FValueRange->Value();
  if (!((Direction < 0 && V > Target) || (Direction > 0 && V < Target))) return;
  double Step = GetIncrement();
  if (Step == 0) return;
  double Delta = Sign(Direction * Step) * std::min(std::fabs(Target - V), std::fabs(Direction * Step));
  if (Delta == 0) return;
  SetNewValue(V + Delta);
}

void TCustomTrack::MouseUp(TMouseButton Button, TShiftState Shift, float X, float Y) {
  if (ReleaseEndsPress(Button, Shift)) FTimer.Stop();
  DoMouseUp();
  TPresentedControl::MouseUp(Button, Shift, X, Y);
}

void TCustomTrack::DoCaptureLost() {
  FTimer.Stop();
  TPresentedControl::DoCaptureLost();
}

void TCustomTrack::KeyDown(uint16_t& Key, char32_t& KeyChar, TShiftState Shift) {
  TPresentedControl::KeyDown(Key, KeyChar, Shift);
  double Step = FValueRange->Frequency() != 0 ? FValueRange->Frequency() : 1;
  double V = FValueRange->Value();
  double NewValue;
  switch (Key) {
    case vkEnd:
      NewValue = FValueRange->Max();
      break;
    case vkHome:
      NewValue = FValueRange->Min();
      break;
    case vkLeft:
    case vkUp:
      NewValue = V - Step;
      break;
    case vkRight:
    case vkDown:
      NewValue = V + Step;
      break;
    default:
      return;
  }
  Key = 0;
  KeyChar = 0;
  SetNewValue(NewValue);
}

// --- TTrackBar ---

const TMetaClass& TTrackBar::StaticClass() {
  return ClassRecord<TTrackBar>("TTrackBar", &TCustomTrack::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("CanFocus", &TTrackBar::CanFocus, &TTrackBar::SetCanFocus).Default(true);
    B.Property("Frequency", &TTrackBar::Frequency, &TTrackBar::SetFrequency).Default(0.f);
    B.Property("Max", &TTrackBar::Max, &TTrackBar::SetMax).Default(100.f);
    B.Property("Min", &TTrackBar::Min, &TTrackBar::SetMin).Default(0.f);
    B.Property("Orientation", &TTrackBar::Orientation, &TTrackBar::SetOrientation, &TypeInfos::Orientation())
        .Default(TOrientation::Horizontal);
    B.Property("Tracking", &TTrackBar::Tracking, &TTrackBar::SetTracking).Default(true);
    B.Property("Value", &TTrackBar::Value, &TTrackBar::SetValue).Default(0.f);
    B.Event("OnChange", &TTrackBar::OnChange);
    B.Event("OnTracking", &TTrackBar::OnTracking);
  });
}

TSizeF TTrackBar::DefaultSizeFor(const TOSPlatform* Device, int Major, int Minor) {
  if (!Device) return {100, 20};
  switch (*Device) {
    case TOSPlatform::Windows:
      return {100, Major > 6 || (Major == 6 && Minor >= 2) ? 19.f : 20.f};
    case TOSPlatform::Linux:
      return {100, 19};
    default:
      return {100, 20};
  }
}

TSizeF TTrackBar::GetDefaultSize() const {
  auto* Behavior = TPlatformServices::Current().Find<IDeviceBehavior>();
  if (!Behavior) return DefaultSizeFor(nullptr, 0, 0);
  const TOSPlatform Device = Behavior->GetOSPlatform(nullptr);
  const TOSVersion V = TOSVersion::Current();
  return DefaultSizeFor(&Device, V.Major, V.Minor);
}

TTrackBar::TTrackBar(TComponent* AOwner) : TCustomTrack(AOwner) {
  ResetDefaultSize();
  SetCanFocus(true);
}
