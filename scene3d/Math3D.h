#pragma once
// Single-precision 3D math records of the scene: points, vectors, matrices and quaternions.
// Points are row vectors multiplied from the left (p' = p × M); the frame is right-handed with
// +X right, +Y down and +Z away from an unturned camera. Every sum of products is formed in
// long double and rounded to single once, so results do not depend on the compiler's choice
// of intermediate precision.
#include "shell/core/Export.h"

/// A point or a direction.
struct KELVANE_API TPoint3D {
  float X = 0, Y = 0, Z = 0;

  constexpr TPoint3D() = default;
  constexpr TPoint3D(float AX, float AY, float AZ) : X(AX), Y(AY), Z(AZ) {}

  TPoint3D operator+(const TPoint3D& P) const;
  TPoint3D operator-(const TPoint3D& P) const;
  TPoint3D operator-() const;
  TPoint3D operator*(float Factor) const;
  /// Exact comparison of the three components.
  bool operator==(const TPoint3D& P) const;

  /// The sum of squares rounded to single, then its square root rounded to single.
  float Length() const;
  /// Each component divided by Length; a vector of length 0 stays (0, 0, 0).
  TPoint3D Normalize() const;
  TPoint3D CrossProduct(const TPoint3D& P) const;
  float DotProduct(const TPoint3D& P) const;
};

/// A homogeneous point (W = 1) or direction (W = 0).
struct KELVANE_API TVector3D {
  float X = 0, Y = 0, Z = 0, W = 1;

  constexpr TVector3D() = default;
  constexpr TVector3D(float AX, float AY, float AZ, float AW = 1) : X(AX), Y(AY), Z(AZ), W(AW) {}
  constexpr explicit TVector3D(const TPoint3D& P, float AW = 1) : X(P.X), Y(P.Y), Z(P.Z), W(AW) {}

  /// X, Y and Z as they stand; W is dropped, not divided by.
  TPoint3D ToPoint3D() const;
  bool operator==(const TVector3D& V) const;
};

/// A 4 × 4 matrix, row-major in the order m11, m12, m13, m14, m21, ..., m44. Translation lives
/// in m41, m42, m43. A default-constructed matrix is all zero; use Identity() for "no change".
struct KELVANE_API TMatrix3D {
  float m11 = 0, m12 = 0, m13 = 0, m14 = 0;
  float m21 = 0, m22 = 0, m23 = 0, m24 = 0;
  float m31 = 0, m32 = 0, m33 = 0, m34 = 0;
  float m41 = 0, m42 = 0, m43 = 0, m44 = 0;

  /// Element at 0-based Row and Col.
  float M(int Row, int Col) const;
  float& M(int Row, int Col);

  static TMatrix3D Identity();
  static TMatrix3D Zero();
  static TMatrix3D CreateScaling(const TPoint3D& S);
  static TMatrix3D CreateTranslation(const TPoint3D& T);
  /// View matrix of a camera at Source whose view direction is -Direction and whose up is
  /// Ceiling: the columns hold the camera's axes, row 4 moves Source to the origin.
  static TMatrix3D CreateLookAtDirRH(const TPoint3D& Source, const TPoint3D& Direction,
                                     const TPoint3D& Ceiling);
  /// Right-handed perspective looking along -Z; Fov is the full vertical angle in radians.
  /// Depth runs from 0 at ZNear to 1 at ZFar.
  static TMatrix3D CreatePerspectiveFovRH(float Fov, float Aspect, float ZNear, float ZFar);

  /// A × B: with row vectors, A acts first.
  TMatrix3D operator*(const TMatrix3D& B) const;
  float Determinant() const;
  /// The adjoint divided by the determinant; Identity when |det| is below 1e-40 (as a single).
  TMatrix3D Inverse() const;
  TMatrix3D Transpose() const;
  /// Exact comparison of all sixteen elements.
  bool operator==(const TMatrix3D& B) const;

  /// Row 0..3 as a vector: (mi1, mi2, mi3, mi4). Row 3 is the translation with W = m44.
  TVector3D Row(int Index) const;
};

/// The point with an implied w of 1, without division by the resulting w.
KELVANE_API TPoint3D operator*(const TPoint3D& P, const TMatrix3D& M);
/// All four components, w included.
KELVANE_API TVector3D operator*(const TVector3D& V, const TMatrix3D& M);

/// A rotation as a unit quaternion; Identity is ImagPart (0, 0, 0), RealPart 1.
struct KELVANE_API TQuaternion3D {
  TPoint3D ImagPart;
  float RealPart = 1;

  static TQuaternion3D Identity();
  /// Rotation by AngleRadians about Axis (right-hand rule); Identity when Axis has length 0.
  static TQuaternion3D Create(const TPoint3D& Axis, float AngleRadians);

  /// Hamilton product; as matrices, Q1 × Q2 applies Q2's rotation first, then Q1's.
  TQuaternion3D operator*(const TQuaternion3D& Q) const;
  /// The rotation matrix of the normalised quaternion (Identity when its length is ~0).
  TMatrix3D ToMatrix() const;
  bool operator==(const TQuaternion3D& Q) const;
};

/// π/180 at extended precision.
constexpr long double cPIdiv180 = 0.017453292519943295769L;

/// Degrees × π/180 formed at extended precision, rounded to single.
KELVANE_API float DegToRad(float Degrees);
/// Angle wrapped into [0, 360) with k = 1/360 rounded to single: r = a − Int(a·k)·360, plus 360
/// when negative. Because k lies slightly above 1/360, angles beyond about ±3e10 may come out
/// of range; the scene's angles never get near that.
KELVANE_API float WrapAngle(float Angle);
