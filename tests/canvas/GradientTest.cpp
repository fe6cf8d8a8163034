#include <gtest/gtest.h>

#include "shell/canvas/Gradient.h"
#include "tests/canvas/CanvasTestUtil.h"

namespace {

using canvastest::SetPoints;

struct TCounter : TObject {
  int Count = 0;
  void Hit(TObject*) { ++Count; }
};

TEST(Gradient, DefaultsAreBlackToWhiteTopToBottom) {
  TGradient G;
  ASSERT_EQ(G.Points()->Count(), 2);
  EXPECT_EQ(G.Points()->Points(0)->Color(), 0xFF000000u);
  EXPECT_EQ(G.Points()->Points(0)->Offset(), 0.0f);
  EXPECT_EQ(G.Points()->Points(1)->Color(), 0xFFFFFFFFu);
  EXPECT_EQ(G.Points()->Points(1)->Offset(), 1.0f);
  EXPECT_EQ(G.Style(), TGradientStyle::Linear);
  EXPECT_EQ(G.StartPosition()->Point(), TPointF(0, 0));
  EXPECT_EQ(G.StopPosition()->Point(), TPointF(0, 1));
}

TEST(Gradient, ColorAndColor1SetTheFirstAndSecondPointOnlyWhenTheyChange) {
  TGradient G;
  TCounter C;
  G.OnChanged = TNotifyEvent(&C, &TCounter::Hit);
  G.SetColor(0xFF112233);
  G.SetColor1(0xFF445566);
  EXPECT_EQ(G.Points()->Points(0)->Color(), 0xFF112233u);
  EXPECT_EQ(G.Points()->Points(1)->Color(), 0xFF445566u);
  EXPECT_EQ(C.Count, 2);
  G.SetColor(0xFF112233);  // unchanged: no event
  EXPECT_EQ(C.Count, 2);

  SetPoints(G, {{0xFF000000, 0}});
  C.Count = 0;
  G.SetColor1(0xFFABCDEF);  // no second point: nothing happens
  EXPECT_EQ(G.Points()->Count(), 1);
  EXPECT_EQ(C.Count, 0);
  G.Points()->Clear();
  G.SetColor(0xFFABCDEF);
  EXPECT_EQ(G.Points()->Count(), 0);
}

TEST(Gradient, EveryKindOfChangeFiresOnChanged) {
  TGradient G;
  TCounter C;
  G.OnChanged = TNotifyEvent(&C, &TCounter::Hit);
  G.Points()->Points(1)->SetOffset(0.5f);
  EXPECT_EQ(C.Count, 1);
  G.Points()->AddPoint();
  EXPECT_EQ(C.Count, 2);
  G.SetStyle(TGradientStyle::Radial);
  EXPECT_EQ(C.Count, 3);
  G.SetStyle(TGradientStyle::Radial);
  EXPECT_EQ(C.Count, 3);
  G.StartPosition()->SetX(0.25f);
  EXPECT_EQ(C.Count, 4);
  G.StopPosition()->SetY(1);  // already 1
  EXPECT_EQ(C.Count, 4);
}

TEST(Gradient, ApplyOpacityTruncatesEachAlphaBelowOne) {
  TGradient G;
  SetPoints(G, {{0xFF102030, 0}, {0x80405060, 1}});
  G.ApplyOpacity(1);
  EXPECT_EQ(G.Color(), 0xFF102030u);
  G.ApplyOpacity(0.5f);
  EXPECT_EQ(G.Color(), 0x7F102030u);   // Trunc(0.5 × 255) = 127
  EXPECT_EQ(G.Color1(), 0x40405060u);  // Trunc(0.5 × 128) = 64
}

TEST(Gradient, AssignCopiesEverythingWithOneEvent) {
  TGradient Src, Dst;
  SetPoints(Src, {{0xFFFF0000, 0.25f}, {0xFF0000FF, 0.75f}, {0xFF00FF00, 0.9f}});
  Src.SetStyle(TGradientStyle::Radial);
  Src.StopPosition()->SetPoint({1, 1});
  TCounter C;
  Dst.OnChanged = TNotifyEvent(&C, &TCounter::Hit);
  Dst.Assign(&Src);
  EXPECT_TRUE(Dst.Equal(Src));
  EXPECT_EQ(C.Count, 1);
  Dst.Assign(&Src);  // nothing differs
  EXPECT_EQ(C.Count, 1);
}

struct TStopsCase {
  const char* Name;
  std::vector<TGradientStop> Points;
  float Opacity;
  std::vector<TGradientStop> Expected;
};

TEST(GradientDeviceStops, FollowTheStopRules) {
  const std::vector<TStopsCase> Cases = {
      {"defaults unchanged", {{0xFF000000, 0}, {0xFFFFFFFF, 1}}, 1, {{0xFF000000, 0}, {0xFFFFFFFF, 1}}},
      {"inner points get end stops",
       {{0xFFFF0000, 0.25f}, {0xFF0000FF, 0.75f}},
       1,
       {{0xFFFF0000, 0}, {0xFFFF0000, 0.25f}, {0xFF0000FF, 0.75f}, {0xFF0000FF, 1}}},
      {"opacity through MakeColor", {{0xFFFF0000, 0}, {0x80FFFFFF, 1}}, 0.5f, {{0x7FFF0000, 0}, {0x40FFFFFF, 1}}},
      {"collection order, first and last by position",
       {{0xFF0000FF, 0.6f}, {0xFFFF0000, 0.2f}},
       1,
       {{0xFF0000FF, 0}, {0xFF0000FF, 0.6f}, {0xFFFF0000, 0.2f}, {0xFFFF0000, 1}}},
      {"one point: nothing", {{0xFFFF0000, 0.5f}}, 1, {}},
      {"no points: nothing", {}, 1, {}},
  };
  for (const TStopsCase& Case : Cases) {
    TGradient G;
    G.Points()->Clear();
    for (const TGradientStop& S : Case.Points) {
      TGradientPoint* P = G.Points()->AddPoint();
      P->SetColor(S.Color);
      P->SetOffset(S.Offset);
    }
    EXPECT_EQ(G.DeviceStops(Case.Opacity), Case.Expected) << Case.Name;
  }
}

TEST(GradientDeviceStops, InterpolationIsPerChannelInStoredValuesAndClamped) {
  const std::vector<TGradientStop> Stops = {{0x00FF0000, 0.25f}, {0xFF0000FF, 0.75f}};
  EXPECT_EQ(TGradient::InterpolateStops(Stops, 0), 0x00FF0000u);
  EXPECT_EQ(TGradient::InterpolateStops(Stops, 0.25f), 0x00FF0000u);
  EXPECT_EQ(TGradient::InterpolateStops(Stops, 1), 0xFF0000FFu);
  // Halfway: every channel halfway, red included, although the first stop is transparent.
  EXPECT_EQ(TGradient::InterpolateStops(Stops, 0.5f), 0x80800080u);
}

}  // namespace
