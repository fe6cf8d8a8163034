// The slider: value range normalisation and notifications, loading, tracking, thumb geometry,
// paging with its timer, dragging the thumb and keys.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "shell/controls/Panel.h"
#include "shell/controls/TrackBar.h"
#include "tests/controls/TestRoot.h"

namespace {

// Records OnChange and OnTracking with the value at the moment of the call.
struct TRecorder : TObject {
  TCustomTrack* Track = nullptr;
  std::vector<float> Changes, Trackings;
  void Change(TObject* Sender) {
    EXPECT_EQ(Sender, Track);
    Changes.push_back(Track->Value());
  }
  void Tracking(TObject*) { Trackings.push_back(Track->Value()); }
  void Attach(TCustomTrack* T) {
    Track = T;
    T->OnChange = TNotifyEvent(this, &TRecorder::Change);
    T->OnTracking = TNotifyEvent(this, &TRecorder::Tracking);
  }
};

struct Slider : ::testing::Test {
  TFakeTimers Timers;
  TRootPtr Root{new TTestRoot(634, 480)};
  TTrackBar* Track = new TTrackBar(Root.get());
  TRecorder Rec;

  void SetUp() override {
    Track->SetParent(Root.get());
    Track->SetMin(-180);
    Track->SetMax(180);
    Rec.Attach(Track);
  }
  // Places the slider as the game does: 554 × 19 at (80, 440).
  void PlaceAsInGame(bool Styled) {
    if (Styled) {
      TTrackStyleScope Style;
      Track->ApplyStyleLookup();
    }
    Track->SetBounds(80, 440, 554, 19);
  }
};

TEST(ValueRange, NormalisationCases) {
  struct Case {
    const char* What;
    double Min, Max, Value, Viewport, Frequency;
    double WantMin, WantMax, WantValue;
  };
  const Case Cases[] = {
      {"value clamped above", 0, 100, 150, 0, 0, 0, 100, 100},
      {"value clamped below", 0, 100, -1, 0, 0, 0, 100, 0},
      {"viewport takes room at the top", 0, 100, 95, 10, 0, 0, 100, 90},
      {"frequency rounds half to even", 0, 100, 25, 0, 10, 0, 100, 20},
      {"frequency rounds to the nearer step", 0, 100, 26, 0, 10, 0, 100, 30},
      {"frequency does not move the ends", 0, 99, 99, 0, 10, 0, 99, 99},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    TCustomValueRange R(nullptr);
    R.BeginUpdate();
    R.SetMin(C.Min);
    R.SetMax(C.Max);
    R.SetViewportSize(C.Viewport);
    R.SetFrequency(C.Frequency);
    R.SetValue(C.Value);
    R.EndUpdate();
    EXPECT_DOUBLE_EQ(R.Min(), C.WantMin);
    EXPECT_DOUBLE_EQ(R.Max(), C.WantMax);
    EXPECT_DOUBLE_EQ(R.Value(), C.WantValue);
  }
}

TEST(ValueRange, NewMinAboveMaxWithMaxUnchangedLowersMin) {
  TCustomValueRange R(nullptr);
  R.SetMin(150);  // Max stays 100: the new Min is cut to it
  EXPECT_DOUBLE_EQ(R.Min(), 100);
  EXPECT_DOUBLE_EQ(R.Max(), 100);
  TCustomValueRange Q(nullptr);
  Q.BeginUpdate();
  Q.SetMin(150);
  Q.SetMax(120);  // both change: Max is raised to Min
  Q.EndUpdate();
  EXPECT_DOUBLE_EQ(Q.Min(), 150);
  EXPECT_DOUBLE_EQ(Q.Max(), 150);
  EXPECT_DOUBLE_EQ(Q.RelativeValue(), 1);
  EXPECT_DOUBLE_EQ(Q.Value(), 150);
}

TEST_F(Slider, OnChangeOnlyForRealChangesOfValue) {
  Track->SetValue(0);
  EXPECT_TRUE(Rec.Changes.empty());
  Track->SetValue(200);
  EXPECT_EQ(Rec.Changes, std::vector<float>{180});
  EXPECT_FLOAT_EQ(Track->Value(), 180);
  Track->SetValue(200);  // normalises to the same 180: nothing
  Track->SetValue(180);
  EXPECT_EQ(Rec.Changes.size(), 1u);
  // Min and Max changes that leave Value alone fire nothing; one that moves it fires.
  Track->SetMin(-200);
  EXPECT_EQ(Rec.Changes.size(), 1u);
  Track->SetMax(90);
  EXPECT_EQ(Rec.Changes, (std::vector<float>{180, 90}));
  // OnTracking came with every change of the range.
  EXPECT_EQ(Rec.Trackings, (std::vector<float>{180, 180, 90}));
}

TEST_F(Slider, ValuesNearZeroAreValuesOfTheirOwn) {
  // Equality is relative: a value however close to zero differs from zero.
  for (float V : {1e-13f, -1e-13f, 1e-30f, 0.f}) {
    SCOPED_TRACE(V);
    Track->SetValue(V);
    EXPECT_EQ(Track->Value(), V);
  }
  EXPECT_EQ(Rec.Changes, (std::vector<float>{1e-13f, -1e-13f, 1e-30f, 0.f}));
  EXPECT_TRUE(SameValue(180, 180 + 1e-10));
  EXPECT_FALSE(SameValue(180, 180 + 1e-9));
  EXPECT_FALSE(SameValue(0, 1e-300));
  EXPECT_TRUE(SameValue(0, 0));
}

TEST_F(Slider, NothingFiresWhileLoadingAndLoadedNormalisesSilently) {
  TTrackBar* Loading = new TTrackBar(Root.get());
  TRecorder R;
  R.Attach(Loading);
  Loading->IncludeState(csLoading);
  Loading->SetParent(Root.get());
  Loading->SetMax(180);
  Loading->SetMin(-180);
  Loading->SetValue(500);
  EXPECT_FLOAT_EQ(Loading->Max(), 100);  // still pending
  EXPECT_TRUE(Loading->ValueRange()->Changing());
  Loading->Loaded();
  EXPECT_FALSE(Loading->IsLoading());
  EXPECT_FLOAT_EQ(Loading->Min(), -180);
  EXPECT_FLOAT_EQ(Loading->Max(), 180);
  EXPECT_FLOAT_EQ(Loading->Value(), 180);
  EXPECT_TRUE(R.Changes.empty());
  EXPECT_TRUE(R.Trackings.empty());
  Loading->SetValue(10);
  EXPECT_EQ(R.Changes, std::vector<float>{10});
}

TEST_F(Slider, TrackingOffHoldsOnChangeUntilSwitchedOn) {
  TCustomValueRange* Range = Track->ValueRange();
  Range->SetTracking(false);
  Track->SetValue(10);
  Track->SetValue(20);
  EXPECT_TRUE(Rec.Changes.empty());
  EXPECT_EQ(Rec.Trackings.size(), 2u);
  Range->SetTracking(true);
  EXPECT_EQ(Rec.Changes, std::vector<float>{20});
  // Back where it was at switch-off: no change to report.
  Range->SetTracking(false);
  Track->SetValue(30);
  Track->SetValue(20);
  Range->SetTracking(true);
  EXPECT_EQ(Rec.Changes.size(), 1u);
}

TEST(TrackBarSize, DefaultSizeFollowsTheDeviceAndTheVersion) {
  struct TCase {
    const char* What;
    bool Known;
    TOSPlatform Device;
    int Major, Minor;
    float Height;
  };
  const TCase Cases[] = {
      {"Windows 10", true, TOSPlatform::Windows, 10, 0, 19}, {"Windows 8.1", true, TOSPlatform::Windows, 6, 3, 19},
      {"Windows 8", true, TOSPlatform::Windows, 6, 2, 19},   {"Windows 7", true, TOSPlatform::Windows, 6, 1, 20},
      {"Vista", true, TOSPlatform::Windows, 6, 0, 20},       {"Linux", true, TOSPlatform::Linux, 6, 1, 19},
      {"a phone", true, TOSPlatform::Android, 14, 0, 20},    {"no device information", false, TOSPlatform::Windows, 10, 0, 20},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.What);
    TSizeF S = TTrackBar::DefaultSizeFor(C.Known ? &C.Device : nullptr, C.Major, C.Minor);
    EXPECT_EQ(S.Width, 100);
    EXPECT_EQ(S.Height, C.Height);
  }
}

TEST_F(Slider, DefaultsAndStyleless) {
  TTrackBar* Fresh = new TTrackBar(Root.get());
  EXPECT_FLOAT_EQ(Fresh->Width(), 100);
  // The controls' tests register no device information.
  EXPECT_FLOAT_EQ(Fresh->Height(), 20);
  EXPECT_TRUE(Fresh->Size()->PlatformDefault());
  EXPECT_TRUE(Fresh->CanFocus());
  EXPECT_TRUE(Fresh->CanParentFocus());
  EXPECT_FLOAT_EQ(Fresh->Max(), 100);
  EXPECT_FLOAT_EQ(Fresh->StyleThumbSize(), 0);
  EXPECT_EQ(Fresh->AdjustType(), TAdjustType::None);
  EXPECT_EQ(Fresh->GetDefaultStyleLookupName(), "TrackBarstyle");
  // "TCustomTrack" loses "TCustom" and then its leading "T" as well.
  EXPECT_EQ(Fresh->GetParentClassStyleLookupName(), "rackstyle");
  EXPECT_EQ(TStyledControl::GenerateStyleName("TButton"), "Buttonstyle");
  EXPECT_EQ(TStyledControl::GenerateStyleName("TPanel"), "Panelstyle");
  EXPECT_EQ(TStyledControl::GenerateStyleName("T"), "Tstyle");
}

TEST_F(Slider, ThumbGeometryOfTheGame) {
  Track->SetBounds(80, 440, 554, 19);
  Track->SetStyleThumbSize(8);
  // Round(Max(8, 9.5, 5)) = Round(9.5) = 10.
  EXPECT_FLOAT_EQ(Track->GetThumbSize(), 10);
  EXPECT_FALSE(Track->IgnoreViewportSize());
  EXPECT_FLOAT_EQ(Track->ValueToPos(), 277);
  Track->SetValue(-180);
  EXPECT_FLOAT_EQ(Track->ValueToPos(), 5);
  Track->SetValue(180);
  EXPECT_FLOAT_EQ(Track->ValueToPos(), 549);
  EXPECT_DOUBLE_EQ(Track->PosToValue(277, 10, 554), 0);
  EXPECT_DOUBLE_EQ(Track->PosToValue(-50, 10, 554), -180);
  EXPECT_DOUBLE_EQ(Track->PosToValue(9999, 10, 554), 180);
  EXPECT_DOUBLE_EQ(Track->PosToValue(3, 10, 10), -180);
}

TEST_F(Slider, ThumbSizeRules) {
  struct Case {
    float W, H, Style, Viewport;
    float Want;
  };
  const Case Cases[] = {
      {554, 19, 0, 0, 19},     // no style size: the height
      {554, 19, 8, 0, 10},     // half the height wins over the style's 8
      {554, 40, 30, 0, 30},    // the style's size
      {554, 4, 0, 0, 5},       // the minimum size
      {3, 19, 8, 0, 0},        // the width cuts it below the minimum: none
      {360, 19, 8, 36, 36},    // from the viewport: 360 * 36 / 360
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(::testing::Message() << C.W << "x" << C.H << " style " << C.Style << " viewport " << C.Viewport);
    Track->SetBounds(0, 0, C.W, C.H);
    Track->SetStyleThumbSize(C.Style);
    Track->SetViewportSize(C.Viewport);
    EXPECT_FLOAT_EQ(Track->GetThumbSize(), C.Want);
  }
}

TEST_F(Slider, StyledThumbIsPlacedWithItsMargins) {
  PlaceAsInGame(true);
  ASSERT_NE(Track->Thumb(), nullptr);
  EXPECT_FLOAT_EQ(Track->StyleThumbSize(), 8);
  EXPECT_FLOAT_EQ(Track->Height(), 19);
  TThumb* Thumb = Track->Thumb();
  EXPECT_FLOAT_EQ(Thumb->Position()->X(), 270);
  EXPECT_FLOAT_EQ(Thumb->Position()->Y(), -2);
  EXPECT_FLOAT_EQ(Thumb->Width(), 14);
  EXPECT_FLOAT_EQ(Thumb->Height(), 23);
  Track->SetValue(180);
  EXPECT_FLOAT_EQ(Thumb->Position()->X(), 542);
  // The track part is centred vertically: 11 high in 19.
  EXPECT_FLOAT_EQ(Track->TrackObject()->Position()->Y(), 4);
}

TEST_F(Slider, PagingStepsWithTheTimer) {
  PlaceAsInGame(true);
  // Right of the thumb, at 90 degrees: position 5 + 544 * 270 / 360 = 413 in the track.
  Root->Input().MouseDown(mbLeft, {ssLeft}, 80 + 413, 445);
  EXPECT_TRUE(Track->Paging());
  EXPECT_EQ(Root->GetCaptured(), Track);
  EXPECT_EQ(Root->GetFocused(), Track);
  Timers.Advance(9);
  EXPECT_TRUE(Rec.Changes.empty());
  Timers.Advance(1);
  EXPECT_EQ(Rec.Changes, std::vector<float>{5});
  Timers.Advance(499);
  EXPECT_EQ(Rec.Changes.size(), 1u);
  Timers.Advance(1);
  EXPECT_EQ(Rec.Changes, (std::vector<float>{5, 10}));
  Timers.Advance(20);
  Timers.Advance(20);
  EXPECT_EQ(Rec.Changes, (std::vector<float>{5, 10, 15, 20}));
  // Up to the value at the mouse and no further.
  Timers.Advance(20 * 40);
  EXPECT_FLOAT_EQ(Track->Value(), 90);
  EXPECT_EQ(Rec.Changes.size(), 18u);
  Root->Input().MouseUp(mbLeft, {}, 80 + 413, 445);
  EXPECT_FALSE(Track->Paging());
  EXPECT_EQ(Timers.Count(), 0u);
}

TEST_F(Slider, PagingWaitsWhileTheMouseIsOutsideOrBehind) {
  PlaceAsInGame(true);
  Root->Input().MouseDown(mbLeft, {ssLeft}, 80 + 413, 445);
  Root->Input().MouseMove({ssLeft}, 80 + 413, 470);  // below the track
  Timers.Advance(10 + 500 + 100);
  EXPECT_TRUE(Rec.Changes.empty());
  Root->Input().MouseMove({ssLeft}, 80 + 100, 445);  // left of the value: wrong side
  Timers.Advance(100);
  EXPECT_TRUE(Rec.Changes.empty());
  Root->Input().MouseMove({ssLeft}, 80 + 413, 445);
  Timers.Advance(20);
  EXPECT_EQ(Rec.Changes, std::vector<float>{5});
}

TEST_F(Slider, ShiftOrTrackingOffJumpsAtOnce) {
  PlaceAsInGame(true);
  Root->Input().MouseDown(mbLeft, {ssLeft, ssShift}, 80 + 413, 445);
  Timers.Advance(10);
  EXPECT_EQ(Rec.Changes, std::vector<float>{90});
  EXPECT_FALSE(Track->Paging());
  Root->Input().MouseUp(mbLeft, {}, 80 + 413, 445);

  Track->SetTracking(false);
  Root->Input().MouseDown(mbLeft, {ssLeft}, 80 + 100, 445);
  Timers.Advance(10);
  ASSERT_EQ(Rec.Changes.size(), 2u);
  EXPECT_NEAR(Rec.Changes[1], -180 + 360 * 95.0 / 544, 1e-3);
}

TEST_F(Slider, PressAtTheCurrentValueStartsNothing) {
  PlaceAsInGame(false);
  Track->SetStyleThumbSize(8);
  Root->Input().MouseDown(mbLeft, {ssLeft}, 80 + 277, 445);
  EXPECT_FALSE(Track->Paging());
  EXPECT_EQ(Root->GetCaptured(), nullptr);
  EXPECT_EQ(Timers.Count(), 0u);
}

TEST_F(Slider, IncrementFollowsTheRange) {
  struct Case {
    float Min, Max, Frequency, Small;
    double Want;
  };
  const Case Cases[] = {
      {-180, 180, 0, 0, 5}, {0, 100, 0, 0, 1}, {0, 1000, 0, 0, 10},
      {0, 100, 3, 0, 3},    {-180, 180, 0, 7, 7}, {0, 0, 0, 0, 0},
  };
  for (const Case& C : Cases) {
    Track->SetMin(-1e6f);
    Track->SetMax(C.Max);
    Track->SetMin(C.Min);
    Track->SetFrequency(C.Frequency);
    Track->SetSmallChange(C.Small);
    EXPECT_DOUBLE_EQ(Track->GetIncrement(), C.Want) << C.Min << ".." << C.Max;
  }
}

TEST_F(Slider, DraggingTheThumbFollowsTheMouseAndClamps) {
  PlaceAsInGame(true);
  TThumb* Thumb = Track->Thumb();
  // Press the thumb 3 units right of its left edge (thumb at 270..284 in the track).
  Root->Input().MouseDown(mbLeft, {ssLeft}, 80 + 273, 445);
  EXPECT_TRUE(Thumb->IsPressed());
  EXPECT_EQ(Root->GetCaptured(), Thumb);
  EXPECT_EQ(Root->GetFocused(), Track);
  EXPECT_FALSE(Track->Paging());
  // 36 units right: the thumb's centre goes to 313; with the thumb control's own width 14 the
  // travel is 554 - 14, so the value is -180 + 360 * (313 - 7) / 540 = 24.
  Root->Input().MouseMove({ssLeft}, 80 + 309, 445);
  ASSERT_EQ(Rec.Changes.size(), 1u);
  EXPECT_NEAR(Track->Value(), 24, 1e-4);
  Root->Input().MouseMove({ssLeft}, 2000, 445);
  EXPECT_FLOAT_EQ(Track->Value(), 180);
  Root->Input().MouseMove({ssLeft}, -2000, 445);
  EXPECT_FLOAT_EQ(Track->Value(), -180);
  Root->Input().MouseUp(mbLeft, {}, -2000, 445);
  EXPECT_FALSE(Thumb->IsPressed());
  EXPECT_EQ(Root->GetCaptured(), nullptr);
}

TEST_F(Slider, DraggingWithoutTrackingFiresOnceOnRelease) {
  PlaceAsInGame(true);
  Track->SetTracking(false);
  Root->Input().MouseDown(mbLeft, {ssLeft}, 80 + 273, 445);
  Root->Input().MouseMove({ssLeft}, 80 + 309, 445);
  Root->Input().MouseMove({ssLeft}, 80 + 400, 445);
  EXPECT_TRUE(Rec.Changes.empty());
  Root->Input().MouseUp(mbLeft, {}, 80 + 400, 445);
  ASSERT_EQ(Rec.Changes.size(), 1u);
  EXPECT_NEAR(Rec.Changes[0], -180 + 360 * (404 - 7) / 540.0, 1e-4);
  EXPECT_TRUE(Track->ValueRange()->Tracking());
}

TEST_F(Slider, HandlerExceptionDuringDragReleasesTheThumb) {
  PlaceAsInGame(true);
  struct TThrower : TObject {
    void Change(TObject*) { throw EInvalidOperation("handler failed"); }
  } Thrower;
  Track->OnChange = TNotifyEvent(&Thrower, &TThrower::Change);
  Root->Input().MouseDown(mbLeft, {ssLeft}, 80 + 273, 445);
  EXPECT_THROW(Root->Input().MouseMove({ssLeft}, 80 + 309, 445), EInvalidOperation);
  EXPECT_FALSE(Track->Thumb()->IsPressed());
}

TEST_F(Slider, KeysMoveTheFocusedSlider) {
  Track->SetBounds(0, 0, 554, 19);
  Root->Key(vkRight);
  EXPECT_FLOAT_EQ(Track->Value(), 0);  // not focused yet
  Track->SetFocus();
  struct Case {
    uint16_t Key;
    float Want;
  };
  for (Case C : {Case{vkRight, 1}, Case{vkDown, 2}, Case{vkLeft, 1}, Case{vkUp, 0}, Case{vkHome, -180},
                 Case{vkLeft, -180}, Case{vkEnd, 180}, Case{vkRight, 180}}) {
    uint16_t Key = C.Key;
    char32_t Char = 0;
    Root->Input().KeyDown(Key, Char, {});
    EXPECT_FLOAT_EQ(Track->Value(), C.Want) << C.Key;
    EXPECT_EQ(Key, 0);
  }
  EXPECT_EQ(Rec.Changes, (std::vector<float>{1, 2, 1, 0, -180, 180}));
  Track->SetFrequency(10);
  Root->Key(vkLeft);
  EXPECT_FLOAT_EQ(Track->Value(), 170);
  uint16_t Other = 'A';
  char32_t Char = 'a';
  Root->Input().KeyDown(Other, Char, {});
  EXPECT_EQ(Other, 'A');
}

TEST_F(Slider, VerticalTrackSwapsTheFixedSize) {
  TTrackStyleScope Style;
  Track->SetOrientation(TOrientation::Vertical);
  Track->SetBounds(0, 0, 30, 200);
  Track->ApplyStyleLookup();
  EXPECT_EQ(Track->AdjustType(), TAdjustType::FixedWidth);
  EXPECT_FLOAT_EQ(Track->Width(), 19);
  EXPECT_FLOAT_EQ(Track->Height(), 200);
  // The style has no vertical parts here: no thumb for a vertical track.
  EXPECT_EQ(Track->Thumb(), nullptr);
}

}  // namespace
