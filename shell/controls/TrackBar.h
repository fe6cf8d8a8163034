#pragma once
// The slider: TCustomTrack with its value range (TValueRangeTrack), TTrackBar, and TThumb, the
// movable part that the track finds in its style.
#include <memory>

#include "shell/core/Export.h"
#include "shell/controls/ControlTimer.h"
#include "shell/controls/PresentedControl.h"
#include "shell/controls/ValueRange.h"
#include "shell/core/DeviceBehavior.h"

enum class TOrientation { Horizontal, Vertical };

namespace TypeInfos {
KELVANE_API const TTypeInfo& Orientation();
}

class TCustomTrack;

/// The track's range: its notifications move the thumb and fire OnTracking and OnChange.
class KELVANE_API TValueRangeTrack : public TCustomValueRange {
  KLV_CLASS(TValueRangeTrack)
 public:
  explicit TValueRangeTrack(TCustomTrack* ATrack);

 protected:
  void DoBeforeChange() override;
  void DoChanged() override;
  void DoAfterChange() override;

 private:
  TCustomTrack* FTrack;
  bool FValueChanged = false;
};

/// The thumb of a track: dragging it sets the track's value.
class KELVANE_API TThumb : public TStyledControl {
  KLV_CLASS(TThumb)
 public:
  explicit TThumb(TComponent* AOwner);

  TCustomTrack* Track() const { return FTrack; }
  void SetTrack(TCustomTrack* Value) { FTrack = Value; }
  bool IsPressed() const { return FThumbPressed; }
  const TPointF& DownOffset() const { return FDownOffset; }

  void MouseDown(TMouseButton Button, TShiftState Shift, float X, float Y) override;
  void MouseMove(TShiftState Shift, float X, float Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, float X, float Y) override;
  /// The drag ends where it is, as a release would, without a value from the mouse.
  void DoCaptureLost() override;
  void ResetState() override;
  void Click() override;
  void DblClick() override;
  /// "IsPressed" is the thumb's pressed state.
  bool GetTriggerState(const std::string& Name, bool& Value) const override;

 private:
  /// The track's value for the mouse at local (X, Y).
  double ValueAt(float X, float Y) const;
  /// The drag is over: a range held back from tracking catches up (one OnChange).
  void EndDrag();

  TCustomTrack* FTrack = nullptr;
  bool FThumbPressed = false;
  TPointF FDownOffset;
};

/// A slider: a thumb moved along a track by the mouse, the keyboard or the wheel, between Min and
/// Max; OnTracking while it moves, OnChange when the value has changed.
class KELVANE_API TCustomTrack : public TPresentedControl {
  KLV_CLASS(TCustomTrack)
 public:
  explicit TCustomTrack(TComponent* AOwner);
  ~TCustomTrack() override;

  float Min() const { return static_cast<float>(FValueRange->Min()); }
  float Max() const { return static_cast<float>(FValueRange->Max()); }
  float Value() const { return static_cast<float>(FValueRange->Value()); }
  float Frequency() const { return static_cast<float>(FValueRange->Frequency()); }
  float ViewportSize() const { return static_cast<float>(FValueRange->ViewportSize()); }
  void SetMin(float V) { FValueRange->SetMin(V); }
  void SetMax(float V) { FValueRange->SetMax(V); }
  void SetValue(float V) { FValueRange->SetValue(V); }
  void SetFrequency(float V) { FValueRange->SetFrequency(V); }
  void SetViewportSize(float V) { FValueRange->SetViewportSize(V); }
  /// The path of every user change: nothing when V is the current value.
  void SetNewValue(double V);
  TCustomValueRange* ValueRange() const { return FValueRange.get(); }

  TOrientation Orientation() const { return FOrientation; }
  virtual void SetOrientation(TOrientation Value);
  bool Tracking() const { return FTracking; }
  void SetTracking(bool Value) { FTracking = Value; }
  /// 0: the increment follows from the range.
  float SmallChange() const { return FSmallChange; }
  void SetSmallChange(float Value) { FSmallChange = Value; }

  /// The thumb size that the style gives (0 without a style).
  float StyleThumbSize() const { return FThumbSize; }
  void SetStyleThumbSize(float Value);
  float MinThumbSize() const { return FMinThumbSize; }
  bool IgnoreViewportSize() const { return FIgnoreViewportSize; }
  virtual float GetThumbSize();
  /// Centre of the thumb for the current value along the track.
  float ValueToPos();
  /// Value for a position along a track of length L with a thumb of size Z.
  double PosToValue(float Position, float Z, float L);
  virtual TRectF GetThumbRect();
  /// Step of paging and the increment used by it.
  double GetIncrement() const;

  TThumb* Thumb() const { return FThumb; }
  TControl* TrackObject() const { return FTrackObject; }
  TControl* Highlight() const { return FHighlight; }
  bool Paging() const { return FTimer.Enabled(); }
  int32_t PagingInterval() const { return FTimer.Interval(); }
  double PushedValue() const { return FPushedValue; }

  void MouseDown(TMouseButton Button, TShiftState Shift, float X, float Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, float X, float Y) override;
  /// Paging lasts as long as the capture its press took.
  void DoCaptureLost() override;
  void KeyDown(uint16_t& Key, char32_t& KeyChar, TShiftState Shift) override;
  void Loaded() override;

  TNotifyEvent OnChange, OnTracking;

 protected:
  friend class TValueRangeTrack;
  friend class TThumb;
  virtual void DoMouseUp() {}
  virtual void DoThumbClick() {}
  virtual void DoThumbDblClick() {}
  virtual void DoChanged() { OnChange(this); }
  virtual void DoTracking() { OnTracking(this); }
  virtual std::unique_ptr<TCustomValueRange> CreateValueRangeTrack();
  void DoRealign() override;
  void ApplyStyle() override;
  void FreeStyle() override;
  TAdjustType ChooseAdjustType(TSizeF& FixedSize) override;
  void BeforeDestruction() override;
  void UpdateHighlight();

 private:
  void PagingTick();
  void DoSmallChange(double Target, int Direction);
  /// Position along the track of a local point.
  float AlongTrack(const TPointF& P) const { return FOrientation == TOrientation::Horizontal ? P.X : P.Y; }
  float TrackLength() const { return FOrientation == TOrientation::Horizontal ? Width() : Height(); }

  std::unique_ptr<TCustomValueRange> FValueRange;
  TOrientation FOrientation = TOrientation::Horizontal;
  bool FTracking = true;
  float FSmallChange = 0;
  float FThumbSize = 0;
  float FMinThumbSize = 5;
  bool FIgnoreViewportSize = false;
  TThumb* FThumb = nullptr;
  TControl* FTrackObject = nullptr;
  TControl* FHighlight = nullptr;

  double FPushedValue = 0;
  int FPushedSign = 0;
  TShiftState FPushedShift;
  TControlTimer FTimer;
};

/// The slider as a form stores it (Min, Max, Value, Frequency, Orientation, OnChange, OnTracking).
class KELVANE_API TTrackBar : public TCustomTrack {
  KLV_CLASS(TTrackBar)
 public:
  explicit TTrackBar(TComponent* AOwner);

  /// The slider's size at creation: 100 wide; on a desktop 19 high from Windows 8 on (and on
  /// Linux, which takes that style) and 20 before; 20 without device information (Device
  /// none) and on other devices.
  static TSizeF DefaultSizeFor(const TOSPlatform* Device, int Major, int Minor);

 protected:
  TSizeF GetDefaultSize() const override;
};
