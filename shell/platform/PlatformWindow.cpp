#include "shell/platform/PlatformWindow.h"

#include <algorithm>
#include <cmath>

#include "shell/platform/Backend.h"

TWindowBuffer TPlatformWindow::Buffer() { return FBackend ? FBackend->WindowBuffer(*this) : TWindowBuffer{}; }

namespace {
bool Inside(const TRectF& Inner, const TRectF& Outer) {
  return Inner.Left >= Outer.Left && Inner.Top >= Outer.Top && Inner.Right <= Outer.Right &&
         Inner.Bottom <= Outer.Bottom;
}

// Adds R to a list of waiting rectangles without keeping what it covers or what covers it.
void AddRect(std::vector<TRectF>& List, const TRectF& R) {
  for (const TRectF& Old : List)
    if (Inside(R, Old)) return;
  List.erase(std::remove_if(List.begin(), List.end(), [&R](const TRectF& Old) { return Inside(Old, R); }),
             List.end());
  List.push_back(R);
}
}  // namespace

TRectF TPlatformWindow::LogicalBounds() const {
  return {static_cast<float>(FBounds.Left) / FScale, static_cast<float>(FBounds.Top) / FScale,
          static_cast<float>(FBounds.Right) / FScale, static_cast<float>(FBounds.Bottom) / FScale};
}

void TPlatformWindow::SetLogicalBounds(const TRectF& R) {
  auto Whole = [](float V) { return static_cast<int32_t>(std::nearbyint(V)); };
  // A side that is the current one as the form counts it (in whole logical pixels) keeps its
  // physical length: at a fractional scale the round trip would move it by a pixel, and a
  // form that only moves its window would shrink it.
  const TRectF Now = LogicalBounds();
  const int32_t Width = std::nearbyint(Now.Width()) == R.Width() ? FBounds.Width() : Whole(R.Width() * FScale);
  const int32_t Height = std::nearbyint(Now.Height()) == R.Height() ? FBounds.Height() : Whole(R.Height() * FScale);
  const int32_t Left = Whole(R.Left * FScale), Top = Whole(R.Top * FScale);
  FBounds = {Left, Top, Left + Width, Top + Height};
}

TSizeF TPlatformWindow::LogicalClientSize() const {
  return {static_cast<float>(ClientWidth()) / FScale, static_cast<float>(ClientHeight()) / FScale};
}

void TPlatformWindow::SetLogicalClientSize(const TSizeF& S) {
  // A logical size that came from a physical one (physical / scale) must give that physical
  // size back: the product may land a rounding error above the whole number, which Ceil would
  // turn into one more pixel every time one side of the client area is set.
  auto Up = [this](float V) {
    return static_cast<int32_t>(std::ceil(static_cast<double>(V) * static_cast<double>(FScale) - 1e-4));
  };
  FBounds.Right = FBounds.Left + Up(S.Width) + FFrame.Left + FFrame.Right;
  FBounds.Bottom = FBounds.Top + Up(S.Height) + FFrame.Top + FFrame.Bottom;
}

void TPlatformWindow::Invalidate(const TRectF& R) {
  if (R.IsEmpty()) return;
  AddRect(FPainting ? FInPaintUpdateRects : FInvalid, R);
}

std::vector<TRectF> TPlatformWindow::TakeInvalid() {
  // The window may have shrunk since: what lies outside its client area is not painted.
  const TRectF Client = LogicalClientRect();
  std::vector<TRectF> Rects;
  for (const TRectF& R : FInvalid) {
    const TRectF Part = TRectF::Intersect(R, Client);
    if (!Part.IsEmpty()) AddRect(Rects, Part);
  }
  FInvalid.clear();
  return Rects;
}
