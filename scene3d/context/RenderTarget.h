#pragma once
// TRenderTarget: the size and sample count a context renders with. A view of any size shows
// its scene: when the device cannot hold the target the view asks for (a side beyond its
// largest texture, renderbuffer or viewport, more samples than the budget allows, or an
// allocation that fails), the context first renders with fewer samples, then into a smaller
// target of the same shape, which the viewport's bitmap draw scales up to the view.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "scene3d/context/Context3D.h"

struct TRenderTarget {
  int Width = 0;
  int Height = 0;
  int Samples = 1;
  bool operator==(const TRenderTarget&) const = default;
};

struct TRenderTargetLimits {
  // The largest side of a texture, a renderbuffer and a viewport, whichever is smallest.
  int MaxSize = 0;
  // Sample counts the device supports for the target's formats, 1 included.
  std::vector<int> SampleCounts{1};
  // Width × height × samples of one target at most: bounds the memory of the multisampled
  // colour and depth buffers, so that what a view costs stays in proportion to a screen's.
  int64_t MaxSampleTotal = int64_t{64} << 20;
};

// The first target that Make accepts for a texture of Width × Height pixels: the requested
// sample count (as ChooseSampleCount picks it) and each supported lower count at the largest
// size the limits allow, then, with one sample, smaller sizes — scaled to the budget, and
// halved after each failed allocation — down to one pixel. Make builds the target and says
// whether the device could; nothing is tried that breaks the limits. None when even the
// smallest target fails, or the texture is empty.
std::optional<TRenderTarget> ChooseRenderTarget(int Width, int Height, TMultisample Requested,
                                                const TRenderTargetLimits& Limits,
                                                const std::function<bool(const TRenderTarget&)>& Make);
