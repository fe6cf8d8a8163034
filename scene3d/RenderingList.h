#pragma once
// The drawing order of 3D siblings: grouped by material (none first), translucent last, and
// farther from the camera first.
#include "shell/core/Export.h"
#include <vector>

class TControl3D;

/// The order in which 3D siblings are drawn: grouped by material (none first), translucent last,
/// farther from the camera first.
class TRenderingCompare {
 public:
  /// Negative: L before R; positive: L after R; 0: no preference.
  static int Compare(TControl3D* L, TControl3D* R);
};

/// Sorts List with TRenderingCompare by the classic (unstable) quicksort, as the drawing order
/// requires: items that compare equal are swapped exactly as the partition steps say.
void SortRenderingList(std::vector<TControl3D*>& List);
