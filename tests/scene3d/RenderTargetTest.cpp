// The choice of a context's render target when the device cannot hold what the view asks
// for: fewer samples first, then smaller targets of the view's shape, never one beyond the
// limits, and an end when not even one pixel can be made.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

#include "scene3d/context/RenderTarget.h"

namespace {
using TTargets = std::vector<TRenderTarget>;

struct TCase {
  const char* Name;
  int Width, Height;
  TMultisample Requested;
  TRenderTargetLimits Limits;
  // What the device accepts.
  std::function<bool(const TRenderTarget&)> Accepts;
  // The targets tried, in order; the last is chosen unless Chosen says none.
  TTargets Tried;
  bool Chosen = true;
};

bool Any(const TRenderTarget&) { return true; }
bool OneSample(const TRenderTarget& T) { return T.Samples == 1; }
bool AtMost100000Pixels(const TRenderTarget& T) { return int64_t{T.Width} * T.Height <= 100000; }

TRenderTargetLimits Limits(int MaxSize, std::vector<int> Counts, int64_t MaxSampleTotal = int64_t{1} << 40) {
  TRenderTargetLimits L;
  L.MaxSize = MaxSize;
  L.SampleCounts = std::move(Counts);
  L.MaxSampleTotal = MaxSampleTotal;
  return L;
}

const TCase Cases[] = {
    {"WhatTheViewAsksForWhenTheDeviceHasIt", 640, 480, TMultisample::FourSamples, Limits(4096, {1, 2, 4}), Any,
     {{640, 480, 4}}},
    {"NoSamplesAskedNoneTried", 640, 480, TMultisample::None, Limits(4096, {1, 2, 4}), Any, {{640, 480, 1}}},
    {"FewerSamplesWhenTheMultisampledBuffersFail", 640, 480, TMultisample::FourSamples, Limits(4096, {1, 2, 4}),
     OneSample, {{640, 480, 4}, {640, 480, 2}, {640, 480, 1}}},
    {"OnlyTheSupportedCountsAreTried", 640, 480, TMultisample::FourSamples, Limits(4096, {1, 2}), OneSample,
     {{640, 480, 2}, {640, 480, 1}}},
    {"ASideBeyondTheDeviceScalesTheShapeDown", 3000, 1500, TMultisample::FourSamples, Limits(1000, {1, 4}), Any,
     {{1000, 500, 4}}},
    {"ATallViewKeepsItsShape", 10, 5000, TMultisample::None, Limits(1000, {1}), Any, {{2, 1000, 1}}},
    {"SamplesBeyondTheBudgetAreNotTried", 640, 480, TMultisample::FourSamples,
     Limits(4096, {1, 2, 4}, 640 * 480 * 2), Any, {{640, 480, 2}}},
    {"ABudgetBelowOneSampleScalesToTheBudget", 640, 480, TMultisample::FourSamples, Limits(4096, {1, 2, 4}, 100000),
     Any, {{365, 273, 1}}},
    {"FailedAllocationsHalveTheTarget", 640, 480, TMultisample::TwoSamples, Limits(4096, {1, 2}),
     AtMost100000Pixels, {{640, 480, 2}, {640, 480, 1}, {320, 240, 1}}},
    {"AnEmptyTextureHasNoTarget", 0, 480, TMultisample::FourSamples, Limits(4096, {1, 4}), Any, {}, false},
};

class RenderTargetChoice : public ::testing::TestWithParam<TCase> {};

TEST_P(RenderTargetChoice, TriesInOrderAndTakesTheFirstAccepted) {
  const TCase& C = GetParam();
  TTargets Tried;
  const std::optional<TRenderTarget> Chosen =
      ChooseRenderTarget(C.Width, C.Height, C.Requested, C.Limits, [&](const TRenderTarget& T) {
        Tried.push_back(T);
        return C.Accepts(T);
      });
  EXPECT_EQ(Tried, C.Tried);
  ASSERT_EQ(Chosen.has_value(), C.Chosen);
  if (Chosen) {
    EXPECT_EQ(*Chosen, C.Tried.back());
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, RenderTargetChoice, ::testing::ValuesIn(Cases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST(RenderTargetChoice, ADeviceThatRefusesEverythingEndsAtOnePixelWithinTheLimits) {
  const TRenderTargetLimits L = Limits(16384, {1, 2, 4}, int64_t{64} << 20);
  TTargets Tried;
  const auto Chosen = ChooseRenderTarget(20000, 20000, TMultisample::FourSamples, L, [&](const TRenderTarget& T) {
    Tried.push_back(T);
    return false;
  });
  EXPECT_FALSE(Chosen);
  ASSERT_FALSE(Tried.empty());
  EXPECT_EQ(Tried.back(), (TRenderTarget{1, 1, 1}));
  EXPECT_LT(Tried.size(), 40u);
  for (const TRenderTarget& T : Tried) {
    EXPECT_LE(T.Width, L.MaxSize);
    EXPECT_LE(T.Height, L.MaxSize);
    EXPECT_LE(int64_t{T.Width} * T.Height * T.Samples, L.MaxSampleTotal);
    EXPECT_EQ(T.Width, T.Height) << "a square view stays square";
  }
}
}  // namespace
