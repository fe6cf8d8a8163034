#include "shell/styles/StyleImage.h"

#include <algorithm>
#include <cmath>

namespace {
bool IsWhole(double V) { return std::fabs(V - std::nearbyint(V)) < 1e-4; }

// The part cut to Clip, its source cut in proportion.
bool ClipPart(TImagePart& P, const TRectF& Clip) {
  const TRectF T = P.Target;
  TRectF C = TRectF::Intersect(T, Clip);
  if (C.IsEmpty()) return false;
  if (C == T) return true;
  const float SX = P.Source.Width() / T.Width(), SY = P.Source.Height() / T.Height();
  P.Source = TRectF(P.Source.Left + (C.Left - T.Left) * SX, P.Source.Top + (C.Top - T.Top) * SY,
                    P.Source.Right - (T.Right - C.Right) * SX, P.Source.Bottom - (T.Bottom - C.Bottom) * SY);
  P.Target = C;
  return true;
}

void Add(std::vector<TImagePart>& Parts, const TRectF& Source, const TRectF& Target, const TRectF& Clip) {
  if (Source.IsEmpty() || Target.IsEmpty()) return;
  TImagePart P{Source, Target};
  if (ClipPart(P, Clip)) Parts.push_back(P);
}

// Whole copies of Source at its own size (Size, logical) from Space's top-left corner, the last
// ones cut at Space's far edges.
void AddTiles(std::vector<TImagePart>& Parts, const TRectF& Source, const TSizeF& Size, const TRectF& Space,
              const TRectF& Clip) {
  if (Source.IsEmpty() || Space.IsEmpty() || !(Size.Width > 0) || !(Size.Height > 0)) return;
  const TRectF Bounded = TRectF::Intersect(Space, Clip);
  if (Bounded.IsEmpty()) return;
  for (float Y = Space.Top; Y < Space.Bottom - 1e-4f; Y += Size.Height)
    for (float X = Space.Left; X < Space.Right - 1e-4f; X += Size.Width)
      Add(Parts, Source, TRectF(X, Y, X + Size.Width, Y + Size.Height), Bounded);
}
}  // namespace

std::vector<TImagePart> LayoutStyleImage(const TRectF& Source, const TRectF& CapInsets, float ImageScale,
                                         const TRectF& Target, TCapWrapMode CapMode, TImageWrapMode WrapMode) {
  std::vector<TImagePart> Parts;
  if (Source.IsEmpty() || Target.IsEmpty() || !(ImageScale > 0)) return Parts;
  const TSizeF Own(Source.Width() / ImageScale, Source.Height() / ImageScale);
  const bool Capped = CapInsets.Left != 0 || CapInsets.Top != 0 || CapInsets.Right != 0 || CapInsets.Bottom != 0;

  if (Capped) {
    const float L = CapInsets.Left / ImageScale, T = CapInsets.Top / ImageScale;
    const float R = CapInsets.Right / ImageScale, B = CapInsets.Bottom / ImageScale;
    TRectF D = Target;
    if (D.Width() < L + R) D.Right = D.Left + L + R;
    if (D.Height() < T + B) D.Bottom = D.Top + T + B;
    const float X[4] = {D.Left, D.Left + L, D.Right - R, D.Right};
    const float Y[4] = {D.Top, D.Top + T, D.Bottom - B, D.Bottom};
    const float SX[4] = {Source.Left, Source.Left + CapInsets.Left, Source.Right - CapInsets.Right, Source.Right};
    const float SY[4] = {Source.Top, Source.Top + CapInsets.Top, Source.Bottom - CapInsets.Bottom, Source.Bottom};
    for (int Row = 0; Row < 3; ++Row)
      for (int Col = 0; Col < 3; ++Col) {
        const TRectF Src(SX[Col], SY[Row], SX[Col + 1], SY[Row + 1]);
        const TRectF Dst(X[Col], Y[Row], X[Col + 1], Y[Row + 1]);
        const bool Corner = Row != 1 && Col != 1;
        if (Corner || CapMode == TCapWrapMode::Stretch)
          Add(Parts, Src, Dst, Target);
        else
          AddTiles(Parts, Src, TSizeF(Src.Width() / ImageScale, Src.Height() / ImageScale), Dst, Target);
      }
    return Parts;
  }

  switch (WrapMode) {
    case TImageWrapMode::Original:
      Add(Parts, Source, TRectF::FromSize(Target.TopLeft(), Own), Target);
      break;
    case TImageWrapMode::Stretch:
      Add(Parts, Source, Target, Target);
      break;
    case TImageWrapMode::Center: {
      const TPointF P(Target.Left + (Target.Width() - Own.Width) / 2, Target.Top + (Target.Height() - Own.Height) / 2);
      const TRectF D = TRectF::FromSize(P, Own);
      Add(Parts, Source, D, D);
      break;
    }
    case TImageWrapMode::Fit:
    case TImageWrapMode::Place: {
      float K = std::min(Target.Width() / Own.Width, Target.Height() / Own.Height);
      // Place never enlarges; Fit scales to the largest size that fits.
      if (WrapMode == TImageWrapMode::Place) K = std::min(K, 1.0f);
      const TSizeF S(Own.Width * K, Own.Height * K);
      const TPointF P(Target.Left + (Target.Width() - S.Width) / 2, Target.Top + (Target.Height() - S.Height) / 2);
      const TRectF D = TRectF::FromSize(P, S);
      Add(Parts, Source, D, D);
      break;
    }
    case TImageWrapMode::Tile:
      AddTiles(Parts, Source, Own, Target, Target);
      break;
  }
  return Parts;
}

TRectF AlignToDevicePixels(const TRectF& R, const TMatrix& M, float Scale) {
  // The style images are placed by axis-aligned matrices (translation and scale).
  const double SX = static_cast<double>(M.m11) * Scale, SY = static_cast<double>(M.m22) * Scale;
  if (SX == 0 || SY == 0) return R;
  const double OX = static_cast<double>(M.m31) * Scale, OY = static_cast<double>(M.m32) * Scale;
  auto AlignX = [&](float V) { return static_cast<float>((std::nearbyint(V * SX + OX) - OX) / SX); };
  auto AlignY = [&](float V) { return static_cast<float>((std::nearbyint(V * SY + OY) - OY) / SY); };
  return {AlignX(R.Left), AlignY(R.Top), AlignX(R.Right), AlignY(R.Bottom)};
}

bool CanDrawHighSpeed(const TMatrix& M, float Scale) {
  return IsWhole(Scale) && IsWhole(static_cast<double>(M.m31) * Scale) && IsWhole(static_cast<double>(M.m32) * Scale);
}
