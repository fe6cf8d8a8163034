#include "shell/platform/PlatformWindow.h"

#include <cmath>

TRectF TPlatformWindow::LogicalBounds() const {
  return {static_cast<float>(FBounds.Left) / FScale, static_cast<float>(FBounds.Top) / FScale,
          static_cast<float>(FBounds.Right) / FScale, static_cast<float>(FBounds.Bottom) / FScale};
}

void TPlatformWindow::SetLogicalBounds(const TRectF& R) {
  auto Whole = [](float V) { return static_cast<int32_t>(std::nearbyint(V)); };
  int32_t Left = Whole(R.Left * FScale), Top = Whole(R.Top * FScale);
  FBounds = {Left, Top, Left + Whole(R.Width() * FScale), Top + Whole(R.Height() * FScale)};
}

TSizeF TPlatformWindow::LogicalClientSize() const {
  return {static_cast<float>(ClientWidth()) / FScale, static_cast<float>(ClientHeight()) / FScale};
}

void TPlatformWindow::SetLogicalClientSize(const TSizeF& S) {
  auto Up = [](float V) { return static_cast<int32_t>(std::ceil(V)); };
  FBounds.Right = FBounds.Left + Up(S.Width * FScale) + FFrame.Left + FFrame.Right;
  FBounds.Bottom = FBounds.Top + Up(S.Height * FScale) + FFrame.Top + FFrame.Bottom;
}

void TPlatformWindow::Invalidate(const TRectF& R) {
  if (R.IsEmpty()) return;
  if (FPainting)
    FInPaintUpdateRects.push_back(R);
  else
    FInvalid.push_back(R);
}

std::vector<TRectF> TPlatformWindow::TakeInvalid() {
  std::vector<TRectF> Rects;
  Rects.swap(FInvalid);
  return Rects;
}
