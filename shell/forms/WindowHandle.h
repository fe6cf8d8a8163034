#pragma once
#include "shell/core/Export.h"
#include "shell/canvas/Canvas.h"

/// TWindowHandle: what a form holds of its native window. Each platform back end derives its
/// own window object from it; the form passes it back to the window service, and takes from it
/// the pixels that its canvas draws on.
class KELVANE_API TWindowHandle {
 public:
  virtual ~TWindowHandle() = default;
  /// The client area's pixels at the window's current size and scale, valid until the next
  /// change of either; a buffer without data when the window cannot be drawn on.
  virtual TWindowBuffer Buffer() { return {}; }
};
