#pragma once
// TWindowHandle: what a form holds of its native window. Each platform back end derives its
// own window object from it; the form only passes it back to the window service.

class TWindowHandle {
 public:
  virtual ~TWindowHandle() = default;
};
