#include "scene3d/context/RenderTarget.h"

#include <algorithm>
#include <cmath>

#include "scene3d/context/GLDevice.h"

namespace {
// Width × Height scaled by Factor, each side at least one pixel.
TRenderTarget Scaled(int Width, int Height, long double Factor) {
  TRenderTarget T;
  T.Width = std::max(1, static_cast<int>(std::floor(Width * Factor)));
  T.Height = std::max(1, static_cast<int>(std::floor(Height * Factor)));
  return T;
}

int64_t SampleTotal(const TRenderTarget& T) {
  return static_cast<int64_t>(T.Width) * static_cast<int64_t>(T.Height) * T.Samples;
}
}  // namespace

std::optional<TRenderTarget> ChooseRenderTarget(int Width, int Height, TMultisample Requested,
                                                const TRenderTargetLimits& Limits,
                                                const std::function<bool(const TRenderTarget&)>& Make) {
  if (Width <= 0 || Height <= 0 || Limits.MaxSize <= 0 || Limits.MaxSampleTotal <= 0) return std::nullopt;
  // The largest target of the view's shape whose sides the device can hold.
  const int64_t Longest = std::max(Width, Height);
  TRenderTarget Size{Width, Height, 1};
  if (Longest > Limits.MaxSize) {
    Size.Width = std::max<int>(1, static_cast<int>(Width * int64_t{Limits.MaxSize} / Longest));
    Size.Height = std::max<int>(1, static_cast<int>(Height * int64_t{Limits.MaxSize} / Longest));
  }

  // Fewer samples first: the requested count, then every supported lower one, then one.
  std::vector<int> Counts{ChooseSampleCount(Requested, Limits.SampleCounts)};
  std::vector<int> Lower = Limits.SampleCounts;
  std::sort(Lower.rbegin(), Lower.rend());
  for (int C : Lower)
    if (C > 1 && C < Counts.front() && std::find(Counts.begin(), Counts.end(), C) == Counts.end()) Counts.push_back(C);
  if (Counts.back() != 1) Counts.push_back(1);
  for (int Samples : Counts) {
    TRenderTarget T = Size;
    T.Samples = Samples;
    if (SampleTotal(T) > Limits.MaxSampleTotal) continue;
    if (Make(T)) return T;
  }

  // Then smaller targets of the same shape, with one sample.
  TRenderTarget T = Size;
  for (;;) {
    if (SampleTotal(T) > Limits.MaxSampleTotal) {
      const long double Factor = std::sqrt(static_cast<long double>(Limits.MaxSampleTotal) / SampleTotal(T));
      T = Scaled(T.Width, T.Height, Factor);
      // Rounding up to one pixel a side can leave a thin target over the budget.
      while (SampleTotal(T) > Limits.MaxSampleTotal) T = Scaled(T.Width, T.Height, 0.5L);
    } else {
      if (T.Width == 1 && T.Height == 1) return std::nullopt;
      T = Scaled(T.Width, T.Height, 0.5L);
    }
    if (Make(T)) return T;
  }
}
