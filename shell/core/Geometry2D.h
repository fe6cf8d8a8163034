#pragma once
// Plain 2D value types in logical pixels (singles), shared by the canvas, layout and controls.
#include "shell/core/Export.h"
#include <algorithm>
#include <cmath>

/// A point in logical pixels.
struct KELVANE_API TPointF {
  float X = 0, Y = 0;
  constexpr TPointF() = default;
  constexpr TPointF(float AX, float AY) : X(AX), Y(AY) {}
  constexpr TPointF operator+(const TPointF& O) const { return {X + O.X, Y + O.Y}; }
  constexpr TPointF operator-(const TPointF& O) const { return {X - O.X, Y - O.Y}; }
  constexpr bool operator==(const TPointF&) const = default;
};

/// A width and height in logical pixels.
struct KELVANE_API TSizeF {
  float Width = 0, Height = 0;
  constexpr TSizeF() = default;
  constexpr TSizeF(float W, float H) : Width(W), Height(H) {}
  constexpr bool operator==(const TSizeF&) const = default;
};

/// A rectangle in logical pixels, Left and Top inside, Right and Bottom just outside.
struct KELVANE_API TRectF {
  float Left = 0, Top = 0, Right = 0, Bottom = 0;
  constexpr TRectF() = default;
  constexpr TRectF(float L, float T, float R, float B) : Left(L), Top(T), Right(R), Bottom(B) {}
  static constexpr TRectF FromSize(const TPointF& P, const TSizeF& S) {
    return {P.X, P.Y, P.X + S.Width, P.Y + S.Height};
  }
  constexpr float Width() const { return Right - Left; }
  constexpr float Height() const { return Bottom - Top; }
  constexpr TPointF TopLeft() const { return {Left, Top}; }
  constexpr bool IsEmpty() const { return !(Right > Left && Bottom > Top); }
  constexpr bool Contains(const TPointF& P) const { return P.X >= Left && P.X < Right && P.Y >= Top && P.Y < Bottom; }
  constexpr bool IntersectsWith(const TRectF& O) const {
    return Left < O.Right && O.Left < Right && Top < O.Bottom && O.Top < Bottom;
  }
  constexpr TRectF Offset(float DX, float DY) const { return {Left + DX, Top + DY, Right + DX, Bottom + DY}; }
  /// The smallest rectangle holding both; an empty side does not count.
  static constexpr TRectF Union(const TRectF& A, const TRectF& B) {
    if (A.IsEmpty()) return B;
    if (B.IsEmpty()) return A;
    return {std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right), std::max(A.Bottom, B.Bottom)};
  }
  static constexpr TRectF Intersect(const TRectF& A, const TRectF& B) {
    TRectF R{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right), std::min(A.Bottom, B.Bottom)};
    return R.IsEmpty() ? TRectF{} : R;
  }
  constexpr bool operator==(const TRectF&) const = default;
};

/// 2D affine transform in row-vector form: (x, y, 1) × M.
struct KELVANE_API TMatrix {
  float m11 = 1, m12 = 0, m13 = 0;
  float m21 = 0, m22 = 1, m23 = 0;
  float m31 = 0, m32 = 0, m33 = 1;
  static constexpr TMatrix Identity() { return {}; }
  static constexpr TMatrix CreateTranslation(float DX, float DY) {
    TMatrix M;
    M.m31 = DX;
    M.m32 = DY;
    return M;
  }
  static constexpr TMatrix CreateScaling(float SX, float SY) {
    TMatrix M;
    M.m11 = SX;
    M.m22 = SY;
    return M;
  }
  constexpr TMatrix operator*(const TMatrix& B) const {
    TMatrix R;
    R.m11 = m11 * B.m11 + m12 * B.m21 + m13 * B.m31;
    R.m12 = m11 * B.m12 + m12 * B.m22 + m13 * B.m32;
    R.m13 = m11 * B.m13 + m12 * B.m23 + m13 * B.m33;
    R.m21 = m21 * B.m11 + m22 * B.m21 + m23 * B.m31;
    R.m22 = m21 * B.m12 + m22 * B.m22 + m23 * B.m32;
    R.m23 = m21 * B.m13 + m22 * B.m23 + m23 * B.m33;
    R.m31 = m31 * B.m11 + m32 * B.m21 + m33 * B.m31;
    R.m32 = m31 * B.m12 + m32 * B.m22 + m33 * B.m32;
    R.m33 = m31 * B.m13 + m32 * B.m23 + m33 * B.m33;
    return R;
  }
  constexpr TPointF Transform(const TPointF& P) const {
    return {P.X * m11 + P.Y * m21 + m31, P.X * m12 + P.Y * m22 + m32};
  }
  constexpr bool operator==(const TMatrix&) const = default;
};
