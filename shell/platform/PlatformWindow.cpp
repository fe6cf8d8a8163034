#include "shell/platform/PlatformWindow.h"

#include <algorithm>
#include <cmath>

#include "shell/canvas/Bitmap.h"
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
  auto Whole = [this](float V) { return std::nearbyint(static_cast<double>(V) * FScale); };
  // A side that is the current one as the form counts it (in whole logical pixels) keeps its
  // physical length: at a fractional scale the round trip would move it by a pixel, and a
  // form that only moves its window would shrink it.
  const TRectF Now = LogicalBounds();
  const double Width = std::nearbyint(Now.Width()) == R.Width() ? FBounds.Width() : Whole(R.Width());
  const double Height = std::nearbyint(Now.Height()) == R.Height() ? FBounds.Height() : Whole(R.Height());
  Place(Whole(R.Left), Whole(R.Top), Width - FFrame.Left - FFrame.Right, Height - FFrame.Top - FFrame.Bottom);
  FollowPhysicalClientSize();
}

void TPlatformWindow::SetBounds(const TPhysicalRect& R) {
  const double Width = static_cast<double>(R.Right) - R.Left, Height = static_cast<double>(R.Bottom) - R.Top;
  Place(R.Left, R.Top, Width - FFrame.Left - FFrame.Right, Height - FFrame.Top - FFrame.Bottom);
  FollowPhysicalClientSize();
}

namespace {
// NaN counts as the low end; every value is brought into range before it becomes an integer.
double Within(double V, double Low, double High) { return V >= Low ? std::min(V, High) : Low; }

// A client area that a bitmap can hold: the width, then the most height that fits.
void CorrectClientSize(double ClientWidth, double ClientHeight, int32_t& W, int32_t& H) {
  W = static_cast<int32_t>(Within(ClientWidth, 0, TBitmap::MaxSide));
  H = static_cast<int32_t>(Within(ClientHeight, 0, TBitmap::MaxSide));
  if (W > 0 && static_cast<int64_t>(W) * H > TBitmap::MaxPixels) H = static_cast<int32_t>(TBitmap::MaxPixels / W);
}
}  // namespace

void TPlatformWindow::Place(double Left, double Top, double ClientWidth, double ClientHeight) {
  const auto L = static_cast<int32_t>(Within(Left, -MaxPosition, MaxPosition));
  const auto T = static_cast<int32_t>(Within(Top, -MaxPosition, MaxPosition));
  int32_t W = 0, H = 0;
  CorrectClientSize(ClientWidth, ClientHeight, W, H);
  FBounds = {L, T, L + FFrame.Left + W + FFrame.Right, T + FFrame.Top + H + FFrame.Bottom};
}

void TPlatformWindow::PhysicalClientSize(const TSizeF& Logical, int32_t& Width, int32_t& Height) const {
  // A logical size that came from a physical one (physical / scale) must give that physical
  // size back: the product may land a rounding error above the whole number, which Ceil would
  // turn into one more pixel.
  auto Up = [this](float V) { return std::ceil(static_cast<double>(V) * static_cast<double>(FScale) - 1e-4); };
  CorrectClientSize(Up(Logical.Width), Up(Logical.Height), Width, Height);
}

void TPlatformWindow::FollowPhysicalClientSize() {
  int32_t W = 0, H = 0;
  PhysicalClientSize(FClientSize, W, H);
  if (ClientWidth() != W) FClientSize.Width = static_cast<float>(ClientWidth()) / FScale;
  if (ClientHeight() != H) FClientSize.Height = static_cast<float>(ClientHeight()) / FScale;
}

TSizeF TPlatformWindow::LogicalClientSize() const {
  return {static_cast<float>(ClientWidth()) / FScale, static_cast<float>(ClientHeight()) / FScale};
}

void TPlatformWindow::SetLogicalClientSize(const TSizeF& S) {
  const TSizeF Now = LogicalClientSize();
  if (S.Width != Now.Width) FClientSize.Width = S.Width;
  if (S.Height != Now.Height) FClientSize.Height = S.Height;
  int32_t W = 0, H = 0;
  PhysicalClientSize(FClientSize, W, H);
  Place(FBounds.Left, FBounds.Top, W, H);
}

void TPlatformWindow::ChangeScale(float Value) {
  FScale = Value;
  int32_t W = 0, H = 0;
  PhysicalClientSize(FClientSize, W, H);
  Place(FBounds.Left, FBounds.Top, W, H);
}

void TPlatformWindow::Invalidate(const TRectF& R) {
  if (R.IsEmpty()) return;
  AddRect(FPainting ? FInPaintUpdateRects : FInvalid, R);
}

const std::vector<TRectF>& TPlatformWindow::TakeInvalid() {
  // The window may have shrunk since: what lies outside its client area is not painted.
  const TRectF Client = LogicalClientRect();
  FTaken.clear();
  for (const TRectF& R : FInvalid) {
    const TRectF Part = TRectF::Intersect(R, Client);
    if (!Part.IsEmpty()) AddRect(FTaken, Part);
  }
  FInvalid.clear();
  return FTaken;
}
