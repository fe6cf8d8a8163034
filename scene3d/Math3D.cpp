#include "scene3d/Math3D.h"

#include <cassert>
#include <cmath>

namespace {

using Ext = long double;

inline float Single(Ext V) { return static_cast<float>(V); }

// The sixteen elements in storage order, so that M(Row, Col) needs no pointer arithmetic
// across separate members.
constexpr float TMatrix3D::*cCells[16] = {
    &TMatrix3D::m11, &TMatrix3D::m12, &TMatrix3D::m13, &TMatrix3D::m14,
    &TMatrix3D::m21, &TMatrix3D::m22, &TMatrix3D::m23, &TMatrix3D::m24,
    &TMatrix3D::m31, &TMatrix3D::m32, &TMatrix3D::m33, &TMatrix3D::m34,
    &TMatrix3D::m41, &TMatrix3D::m42, &TMatrix3D::m43, &TMatrix3D::m44};

struct TGrid {
  Ext A[4][4];
};

TGrid ToGrid(const TMatrix3D& M) {
  TGrid G;
  for (int R = 0; R < 4; ++R)
    for (int C = 0; C < 4; ++C) G.A[R][C] = M.M(R, C);
  return G;
}

// Determinant of the 3 × 3 matrix left when row SkipRow and column SkipCol are struck out.
Ext Minor(const TGrid& G, int SkipRow, int SkipCol) {
  int Rows[3], Cols[3];
  for (int I = 0, R = 0; I < 4; ++I)
    if (I != SkipRow) Rows[R++] = I;
  for (int I = 0, C = 0; I < 4; ++I)
    if (I != SkipCol) Cols[C++] = I;
  auto E = [&](int R, int C) { return G.A[Rows[R]][Cols[C]]; };
  return E(0, 0) * (E(1, 1) * E(2, 2) - E(1, 2) * E(2, 1)) -
         E(0, 1) * (E(1, 0) * E(2, 2) - E(1, 2) * E(2, 0)) +
         E(0, 2) * (E(1, 0) * E(2, 1) - E(1, 1) * E(2, 0));
}

Ext Cofactor(const TGrid& G, int Row, int Col) {
  Ext V = Minor(G, Row, Col);
  return ((Row + Col) % 2 == 0) ? V : -V;
}

Ext DeterminantExt(const TGrid& G) {
  Ext D = 0;
  for (int C = 0; C < 4; ++C) D += G.A[0][C] * Cofactor(G, 0, C);
  return D;
}

// The single nearest to 1e-40 (9.99995e-41, a subnormal): below it a matrix counts as singular.
const float cSingularDeterminant = Single(1e-40L);

}  // namespace

// ---- TPoint3D ----

TPoint3D TPoint3D::operator+(const TPoint3D& P) const { return {X + P.X, Y + P.Y, Z + P.Z}; }
TPoint3D TPoint3D::operator-(const TPoint3D& P) const { return {X - P.X, Y - P.Y, Z - P.Z}; }
TPoint3D TPoint3D::operator-() const { return {-X, -Y, -Z}; }
TPoint3D TPoint3D::operator*(float Factor) const { return {X * Factor, Y * Factor, Z * Factor}; }

bool TPoint3D::operator==(const TPoint3D& P) const { return X == P.X && Y == P.Y && Z == P.Z; }

float TPoint3D::Length() const {
  const float SumOfSquares = Single(Ext(X) * X + Ext(Y) * Y + Ext(Z) * Z);
  return std::sqrt(SumOfSquares);
}

TPoint3D TPoint3D::Normalize() const {
  const float L = Length();
  if (L == 0) return {};
  return {X / L, Y / L, Z / L};
}

TPoint3D TPoint3D::CrossProduct(const TPoint3D& P) const {
  return {Single(Ext(Y) * P.Z - Ext(Z) * P.Y), Single(Ext(Z) * P.X - Ext(X) * P.Z),
          Single(Ext(X) * P.Y - Ext(Y) * P.X)};
}

float TPoint3D::DotProduct(const TPoint3D& P) const {
  return Single(Ext(X) * P.X + Ext(Y) * P.Y + Ext(Z) * P.Z);
}

// ---- TVector3D ----

TPoint3D TVector3D::ToPoint3D() const { return {X, Y, Z}; }

bool TVector3D::operator==(const TVector3D& V) const {
  return X == V.X && Y == V.Y && Z == V.Z && W == V.W;
}

// ---- TMatrix3D ----

float TMatrix3D::M(int Row, int Col) const {
  assert(Row >= 0 && Row < 4 && Col >= 0 && Col < 4);
  return this->*cCells[Row * 4 + Col];
}

float& TMatrix3D::M(int Row, int Col) {
  assert(Row >= 0 && Row < 4 && Col >= 0 && Col < 4);
  return this->*cCells[Row * 4 + Col];
}

TMatrix3D TMatrix3D::Identity() {
  TMatrix3D R;
  R.m11 = R.m22 = R.m33 = R.m44 = 1;
  return R;
}

TMatrix3D TMatrix3D::Zero() { return TMatrix3D{}; }

TMatrix3D TMatrix3D::CreateScaling(const TPoint3D& S) {
  TMatrix3D R;
  R.m11 = S.X;
  R.m22 = S.Y;
  R.m33 = S.Z;
  R.m44 = 1;
  return R;
}

TMatrix3D TMatrix3D::CreateTranslation(const TPoint3D& T) {
  TMatrix3D R = Identity();
  R.m41 = T.X;
  R.m42 = T.Y;
  R.m43 = T.Z;
  return R;
}

TMatrix3D TMatrix3D::CreateLookAtDirRH(const TPoint3D& Source, const TPoint3D& Direction,
                                       const TPoint3D& Ceiling) {
  const TPoint3D ZAxis = Direction.Normalize();
  const TPoint3D XAxis = Ceiling.CrossProduct(ZAxis).Normalize();
  const TPoint3D YAxis = ZAxis.CrossProduct(XAxis);
  TMatrix3D R = Identity();
  R.m11 = XAxis.X;
  R.m21 = XAxis.Y;
  R.m31 = XAxis.Z;
  R.m12 = YAxis.X;
  R.m22 = YAxis.Y;
  R.m32 = YAxis.Z;
  R.m13 = ZAxis.X;
  R.m23 = ZAxis.Y;
  R.m33 = ZAxis.Z;
  R.m41 = -XAxis.DotProduct(Source);
  R.m42 = -YAxis.DotProduct(Source);
  R.m43 = -ZAxis.DotProduct(Source);
  return R;
}

TMatrix3D TMatrix3D::CreatePerspectiveFovRH(float Fov, float Aspect, float ZNear, float ZFar) {
  // The tangent is taken in long double and its reciprocal rounded once, so ys is the single
  // nearest 1 / tan(Fov / 2) of the single Fov.
  const float YScale = Single(1.0L / std::tan(Ext(Fov) / 2));
  const float XScale = YScale / Aspect;
  TMatrix3D R;
  R.m11 = XScale;
  R.m22 = YScale;
  R.m33 = Single(Ext(ZFar) / (Ext(ZNear) - ZFar));
  R.m34 = -1;
  R.m43 = Single(Ext(ZNear) * ZFar / (Ext(ZNear) - ZFar));
  return R;
}

TMatrix3D TMatrix3D::operator*(const TMatrix3D& B) const {
  TMatrix3D R;
  for (int I = 0; I < 4; ++I)
    for (int J = 0; J < 4; ++J) {
      Ext Sum = 0;
      for (int K = 0; K < 4; ++K) Sum += Ext(M(I, K)) * B.M(K, J);
      R.M(I, J) = Single(Sum);
    }
  return R;
}

float TMatrix3D::Determinant() const { return Single(DeterminantExt(ToGrid(*this))); }

TMatrix3D TMatrix3D::Inverse() const {
  const TGrid G = ToGrid(*this);
  const float Det = Single(DeterminantExt(G));
  if (std::fabs(Det) < cSingularDeterminant) return Identity();
  // Each adjoint element is a sum of products and so is stored as single before the division.
  TMatrix3D R;
  for (int I = 0; I < 4; ++I)
    for (int J = 0; J < 4; ++J) R.M(I, J) = Single(Cofactor(G, J, I)) / Det;
  return R;
}

TMatrix3D TMatrix3D::Transpose() const {
  TMatrix3D R;
  for (int I = 0; I < 4; ++I)
    for (int J = 0; J < 4; ++J) R.M(I, J) = M(J, I);
  return R;
}

bool TMatrix3D::operator==(const TMatrix3D& B) const {
  for (int I = 0; I < 16; ++I)
    if (this->*cCells[I] != B.*cCells[I]) return false;
  return true;
}

TVector3D TMatrix3D::Row(int Index) const {
  assert(Index >= 0 && Index < 4);
  return {M(Index, 0), M(Index, 1), M(Index, 2), M(Index, 3)};
}

TPoint3D operator*(const TPoint3D& P, const TMatrix3D& M) {
  return {Single(Ext(P.X) * M.m11 + Ext(P.Y) * M.m21 + Ext(P.Z) * M.m31 + M.m41),
          Single(Ext(P.X) * M.m12 + Ext(P.Y) * M.m22 + Ext(P.Z) * M.m32 + M.m42),
          Single(Ext(P.X) * M.m13 + Ext(P.Y) * M.m23 + Ext(P.Z) * M.m33 + M.m43)};
}

TVector3D operator*(const TVector3D& V, const TMatrix3D& M) {
  return {Single(Ext(V.X) * M.m11 + Ext(V.Y) * M.m21 + Ext(V.Z) * M.m31 + Ext(V.W) * M.m41),
          Single(Ext(V.X) * M.m12 + Ext(V.Y) * M.m22 + Ext(V.Z) * M.m32 + Ext(V.W) * M.m42),
          Single(Ext(V.X) * M.m13 + Ext(V.Y) * M.m23 + Ext(V.Z) * M.m33 + Ext(V.W) * M.m43),
          Single(Ext(V.X) * M.m14 + Ext(V.Y) * M.m24 + Ext(V.Z) * M.m34 + Ext(V.W) * M.m44)};
}

// ---- TQuaternion3D ----

TQuaternion3D TQuaternion3D::Identity() { return TQuaternion3D{}; }

TQuaternion3D TQuaternion3D::Create(const TPoint3D& Axis, float AngleRadians) {
  const float L = Axis.Length();
  if (!(L > 0)) return Identity();
  // Sine and cosine of the half angle are taken in long double and each part is rounded to
  // single once, so a quarter turn gives exactly the single nearest √½ in both parts.
  const Ext Half = Ext(AngleRadians) / 2;
  const Ext Factor = std::sin(Half) / L;
  TQuaternion3D Q;
  Q.RealPart = Single(std::cos(Half));
  Q.ImagPart = {Single(Axis.X * Factor), Single(Axis.Y * Factor), Single(Axis.Z * Factor)};
  return Q;
}

TQuaternion3D TQuaternion3D::operator*(const TQuaternion3D& Q) const {
  const Ext W1 = RealPart, X1 = ImagPart.X, Y1 = ImagPart.Y, Z1 = ImagPart.Z;
  const Ext W2 = Q.RealPart, X2 = Q.ImagPart.X, Y2 = Q.ImagPart.Y, Z2 = Q.ImagPart.Z;
  TQuaternion3D R;
  R.RealPart = Single(W1 * W2 - X1 * X2 - Y1 * Y2 - Z1 * Z2);
  R.ImagPart.X = Single(W1 * X2 + W2 * X1 + Y1 * Z2 - Z1 * Y2);
  R.ImagPart.Y = Single(W1 * Y2 + W2 * Y1 + Z1 * X2 - X1 * Z2);
  R.ImagPart.Z = Single(W1 * Z2 + W2 * Z1 + X1 * Y2 - Y1 * X2);
  return R;
}

TMatrix3D TQuaternion3D::ToMatrix() const {
  float W = RealPart, X = ImagPart.X, Y = ImagPart.Y, Z = ImagPart.Z;
  // The length is a sum of squares stored as single, like TPoint3D::Length.
  const float Len = std::sqrt(Single(Ext(W) * W + Ext(X) * X + Ext(Y) * Y + Ext(Z) * Z));
  if (Len > 1e-30f) {
    W /= Len;
    X /= Len;
    Y /= Len;
    Z /= Len;
  } else {
    W = 1;
    X = Y = Z = 0;
  }
  // Every square and product is a single before the sums, which are formed in long double.
  auto P = [](float A, float B) -> Ext { return Single(Ext(A) * B); };
  const Ext XX = P(X, X), YY = P(Y, Y), ZZ = P(Z, Z);
  const Ext XY = P(X, Y), XZ = P(X, Z), YZ = P(Y, Z);
  const Ext XW = P(X, W), YW = P(Y, W), ZW = P(Z, W);
  TMatrix3D R;
  R.m11 = Single(1 - 2 * (YY + ZZ));
  R.m12 = Single(2 * (XY + ZW));
  R.m13 = Single(2 * (XZ - YW));
  R.m21 = Single(2 * (XY - ZW));
  R.m22 = Single(1 - 2 * (XX + ZZ));
  R.m23 = Single(2 * (YZ + XW));
  R.m31 = Single(2 * (XZ + YW));
  R.m32 = Single(2 * (YZ - XW));
  R.m33 = Single(1 - 2 * (XX + YY));
  R.m44 = 1;
  return R;
}

bool TQuaternion3D::operator==(const TQuaternion3D& Q) const {
  return ImagPart == Q.ImagPart && RealPart == Q.RealPart;
}

// ---- Angles ----

float DegToRad(float Degrees) { return Single(Degrees * cPIdiv180); }

float WrapAngle(float Angle) {
  // k is deliberately 1/360 rounded to single, which lies slightly above 1/360; the product
  // a·k is exact in long double, so only k's own rounding shifts where Int cuts.
  const Ext K = static_cast<float>(1.0L / 360.0L);
  Ext R = Angle - std::trunc(Angle * K) * 360;
  if (R < 0) R += 360;
  // Beyond about 1.5e10 degrees k's excess carries the product over more than one turn and the
  // rule leaves an angle outside [0, 360), which a stored form then keeps unwrapped and changes
  // on its next read; such an angle takes the exact remainder (every float that large is whole).
  if (R < 0 || R >= 360) {
    R = std::fmod(static_cast<Ext>(Angle), Ext(360));
    if (R < 0) R += 360;
  }
  return Single(R);
}
