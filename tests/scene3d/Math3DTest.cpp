#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <ostream>

#include "scene3d/Math3D.h"

// Readable failure output; static so that other test files may print these types too.
static void PrintTo(const TPoint3D& P, std::ostream* Os) {
  *Os << "(" << P.X << ", " << P.Y << ", " << P.Z << ")";
}
static void PrintTo(const TVector3D& V, std::ostream* Os) {
  *Os << "(" << V.X << ", " << V.Y << ", " << V.Z << ", " << V.W << ")";
}
static void PrintTo(const TQuaternion3D& Q, std::ostream* Os) {
  *Os << "(" << Q.ImagPart.X << ", " << Q.ImagPart.Y << ", " << Q.ImagPart.Z << ", " << Q.RealPart
      << ")";
}
static void PrintTo(const TMatrix3D& M, std::ostream* Os) {
  for (int R = 0; R < 4; ++R) PrintTo(M.Row(R), Os);
}

namespace {

constexpr float cTol = 1e-4f;

void ExpectNear(const TPoint3D& Actual, const TPoint3D& Expected, float Tol = cTol) {
  EXPECT_NEAR(Actual.X, Expected.X, Tol);
  EXPECT_NEAR(Actual.Y, Expected.Y, Tol);
  EXPECT_NEAR(Actual.Z, Expected.Z, Tol);
}

void ExpectNear(const TMatrix3D& Actual, const TMatrix3D& Expected, float Tol = cTol) {
  for (int R = 0; R < 4; ++R)
    for (int C = 0; C < 4; ++C)
      EXPECT_NEAR(Actual.M(R, C), Expected.M(R, C), Tol) << "row " << R << " col " << C;
}

TMatrix3D FromRows(std::initializer_list<std::initializer_list<float>> Rows) {
  TMatrix3D M;
  int R = 0;
  for (auto Row : Rows) {
    int C = 0;
    for (float V : Row) M.M(R, C++) = V;
    ++R;
  }
  return M;
}

// ---- Angles ----

TEST(Math3DAngles, WrapAngleFollowsTheRuleWithKRoundedToSingle) {
  struct Case {
    float In, Out;
  };
  const Case Cases[] = {
      {360, 0},     {-90, 270},  {-180, 180}, {180, 180}, {450, 90},
      {0, 0},       {0.5f, 0.5f}, {-0.5f, 359.5f}, {-360, 0}, {-720, 0}, {1080, 0},
      // With k = 1/360 held at extended precision, 360·k falls just short of 1 and 720 wraps
      // to 360; the single k lies above 1/360, so every multiple of 360 wraps to 0.
      {720, 0},
      // Just below a whole turn: k's excess is too small to carry the product over 1.
      {359.999969f, 359.999969f},
      {-359.999969f, 3.05175781e-05f},
      // Exact in extended precision; single arithmetic would give 256.
      {1e9f, 280},
      // 2^34 · k is exactly 47721860, two turns more than 2^34 holds: the rule would leave
      // −56, outside the range, so the exact remainder is taken.
      {17179869184.0f, 304}, {-17179869184.0f, 56},
      {5e10f, 16}, {1e20f, 272}, {-1e20f, 88}, {3e38f, 152},
      // A stored form's angle, a whole number of turns: the rule would leave −4907335168.
      {202661983231672320.0f, 0}, {std::numeric_limits<float>::max(), 0},
  };
  for (const Case& C : Cases) EXPECT_EQ(WrapAngle(C.In), C.Out) << C.In;
  EXPECT_TRUE(std::isnan(WrapAngle(std::numeric_limits<float>::quiet_NaN())));
}

TEST(Math3DAngles, DegToRadRoundsTheExtendedProductOnce) {
  EXPECT_EQ(DegToRad(0), 0.0f);
  EXPECT_EQ(DegToRad(90), 1.57079637f);
  EXPECT_EQ(DegToRad(45), 0.785398185f);
  EXPECT_EQ(DegToRad(180), 3.14159274f);
  // A single π/180 times −175 in single precision gives −3.05432606; the true value
  // −3.0543261910 rounds to −3.0543263.
  EXPECT_EQ(DegToRad(-175), -3.0543263f);
}

// ---- TPoint3D ----

TEST(Math3DPoint, ArithmeticAndExactEquality) {
  const TPoint3D A(1, 2, 3), B(0.5f, -1, 4);
  EXPECT_EQ(A + B, TPoint3D(1.5f, 1, 7));
  EXPECT_EQ(A - B, TPoint3D(0.5f, 3, -1));
  EXPECT_EQ(-A, TPoint3D(-1, -2, -3));
  EXPECT_EQ(A * 2, TPoint3D(2, 4, 6));
  EXPECT_FALSE(A == TPoint3D(1, 2, std::nextafter(3.0f, 4.0f)));
}

TEST(Math3DPoint, LengthAndNormalize) {
  EXPECT_EQ(TPoint3D(3, 4, 12).Length(), 13.0f);
  const TPoint3D N = TPoint3D(3, 0, -4).Normalize();
  EXPECT_EQ(N, TPoint3D(0.6f, 0, -0.8f));
  // A zero vector stays zero instead of turning into NaNs.
  EXPECT_EQ(TPoint3D().Normalize(), TPoint3D());
  // The sum of squares is stored as single: 1e-46 underflows to 0, so the vector counts as
  // having no length at all.
  const TPoint3D Tiny(1e-23f, 0, 0);
  EXPECT_EQ(Tiny.Length(), 0.0f);
  EXPECT_EQ(Tiny.Normalize(), TPoint3D());
}

TEST(Math3DPoint, CrossAndDotProducts) {
  const TPoint3D X(1, 0, 0), Y(0, 1, 0), Z(0, 0, 1);
  EXPECT_EQ(X.CrossProduct(Y), Z);
  EXPECT_EQ(Y.CrossProduct(Z), X);
  EXPECT_EQ(Z.CrossProduct(X), Y);
  EXPECT_EQ(Y.CrossProduct(X), -Z);
  EXPECT_EQ(TPoint3D(1, 2, 3).DotProduct(TPoint3D(4, -5, 6)), 12.0f);
  // 1e16 + 1 − 1e16: single sums would lose the 1.
  EXPECT_EQ(TPoint3D(1e8f, 1, -1e8f).DotProduct(TPoint3D(1e8f, 1, 1e8f)), 1.0f);
  // 1e16 − (1e16 + 8e8): single products would round both terms to multiples of 2^30.
  EXPECT_EQ(TPoint3D(1e8f, 1e8f + 8, 0).CrossProduct(TPoint3D(1e8f, 1e8f, 0)).Z, -8e8f);
}

// ---- TMatrix3D ----

TEST(Math3DMatrix, ElementAccessIsRowMajor) {
  TMatrix3D M = TMatrix3D::Zero();
  M.M(1, 2) = 5;
  M.M(3, 0) = 7;
  EXPECT_EQ(M.m23, 5.0f);
  EXPECT_EQ(M.m41, 7.0f);
  M.m14 = 9;
  EXPECT_EQ(M.M(0, 3), 9.0f);
  EXPECT_EQ(M.Row(3), TVector3D(7, 0, 0, 0));
  EXPECT_EQ(M.Row(0), TVector3D(0, 0, 0, 9));
  EXPECT_EQ(TMatrix3D(), TMatrix3D::Zero());
  const TMatrix3D I = TMatrix3D::Identity();
  for (int R = 0; R < 4; ++R)
    for (int C = 0; C < 4; ++C) EXPECT_EQ(I.M(R, C), R == C ? 1.0f : 0.0f);
}

TEST(Math3DMatrix, ScalingAndTranslationLayout) {
  const TMatrix3D S = TMatrix3D::CreateScaling({2, 3, 4});
  EXPECT_EQ(S, FromRows({{2, 0, 0, 0}, {0, 3, 0, 0}, {0, 0, 4, 0}, {0, 0, 0, 1}}));
  const TMatrix3D T = TMatrix3D::CreateTranslation({5, 6, 7});
  EXPECT_EQ(T, FromRows({{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {5, 6, 7, 1}}));
  EXPECT_EQ(T.Row(3), TVector3D(5, 6, 7, 1));
  EXPECT_EQ(T.Row(3).ToPoint3D(), TPoint3D(5, 6, 7));
}

TEST(Math3DMatrix, ProductLetsTheLeftFactorActFirst) {
  const TMatrix3D S = TMatrix3D::CreateScaling({2, 2, 2});
  const TMatrix3D T = TMatrix3D::CreateTranslation({1, 0, 0});
  EXPECT_EQ(TPoint3D(1, 0, 0) * (S * T), TPoint3D(3, 0, 0));
  EXPECT_EQ(TPoint3D(1, 0, 0) * (T * S), TPoint3D(4, 0, 0));

  const TMatrix3D A = FromRows({{1, 2, 3, 4}, {5, 6, 7, 8}, {9, 10, 11, 12}, {13, 14, 15, 16}});
  const TMatrix3D B = FromRows({{2, 0, 1, 0}, {0, 1, 0, 3}, {1, 0, 0, 1}, {0, 2, 1, 0}});
  EXPECT_EQ(A * B, FromRows({{5, 10, 5, 9}, {17, 22, 13, 25}, {29, 34, 21, 41}, {41, 46, 29, 57}}));
  EXPECT_EQ(A * TMatrix3D::Identity(), A);
  EXPECT_EQ(TMatrix3D::Identity() * A, A);

  // Each element is one extended sum: 1e16 + 1 − 1e16 keeps its 1.
  TMatrix3D L, R;
  L.m11 = 1e8f, L.m12 = 1, L.m13 = -1e8f;
  R.m11 = 1e8f, R.m21 = 1, R.m31 = 1e8f;
  EXPECT_EQ((L * R).m11, 1.0f);
}

TEST(Math3DMatrix, PointUsesImpliedWAndNoDivisionVectorUsesAllFour) {
  const TMatrix3D M = FromRows({{1, 0, 0, 2}, {0, 2, 0, 0}, {0, 0, 3, 0}, {10, 20, 30, 4}});
  EXPECT_EQ(TPoint3D(1, 1, 1) * M, TPoint3D(11, 22, 33));
  EXPECT_EQ(TVector3D(1, 1, 1, 1) * M, TVector3D(11, 22, 33, 6));
  // A direction (W = 0) is not translated.
  EXPECT_EQ(TVector3D(1, 1, 1, 0) * M, TVector3D(1, 2, 3, 2));
}

TEST(Math3DMatrix, DeterminantTransposeAndInverse) {
  const TMatrix3D A = FromRows({{2, 1, 0, 1}, {1, 1, 0, 0}, {0, 3, 1, 2}, {3, 4, 5, 1}});
  EXPECT_EQ(A.Determinant(), -23.0f);
  EXPECT_EQ(TMatrix3D::CreateScaling({2, 3, 4}).Determinant(), 24.0f);
  EXPECT_EQ(A.Transpose(),
            FromRows({{2, 1, 0, 3}, {1, 1, 3, 4}, {0, 0, 1, 5}, {1, 0, 2, 1}}));

  // Integer cofactors over the determinant −23.
  const int Adj[4][4] = {{9, 2, -5, 1}, {-9, 21, 5, -1}, {-1, -13, -2, 5}, {14, -25, 5, -1}};
  const TMatrix3D Inv = A.Inverse();
  for (int R = 0; R < 4; ++R)
    for (int C = 0; C < 4; ++C) EXPECT_EQ(Inv.M(R, C), Adj[R][C] / 23.0f) << R << "," << C;
  ExpectNear(A * Inv, TMatrix3D::Identity(), 1e-6f);

  EXPECT_EQ(TMatrix3D::CreateTranslation({5, -6, 7}).Inverse(),
            TMatrix3D::CreateTranslation({-5, 6, -7}));
}

TEST(Math3DMatrix, SingularMatricesInvertToIdentity) {
  const TMatrix3D Cases[] = {
      TMatrix3D::Zero(),
      TMatrix3D::CreateScaling({1, 0, 1}),
      FromRows({{1, 2, 3, 4}, {2, 4, 6, 8}, {0, 1, 0, 0}, {0, 0, 0, 1}}),
      // det = 5e-41: nonzero, but below the single nearest 1e-40.
      TMatrix3D::CreateScaling({5e-21f, 1e-20f, 1}),
  };
  for (const TMatrix3D& M : Cases) EXPECT_EQ(M.Inverse(), TMatrix3D::Identity());

  // det = 4e-40 lies above the limit and is inverted.
  const TMatrix3D Small = TMatrix3D::CreateScaling({2e-20f, 2e-20f, 1});
  const TMatrix3D Inv = Small.Inverse();
  EXPECT_NEAR(Inv.m11 / 5e19f, 1.0f, 1e-3f);
  EXPECT_NEAR(Inv.m22 / 5e19f, 1.0f, 1e-3f);
  EXPECT_EQ(Inv.m33, 1.0f);
}

// ---- TQuaternion3D ----

TPoint3D RotateByFormula(int Axis, const TPoint3D& P, float Degrees) {
  const double T = Degrees * std::numbers::pi / 180, C = std::cos(T), S = std::sin(T);
  switch (Axis) {
    case 0: return TPoint3D(P.X, float(P.Y * C - P.Z * S), float(P.Y * S + P.Z * C));
    case 1: return TPoint3D(float(P.X * C + P.Z * S), P.Y, float(-P.X * S + P.Z * C));
    default: return TPoint3D(float(P.X * C - P.Y * S), float(P.X * S + P.Y * C), P.Z);
  }
}

TEST(Math3DQuaternion, RotationsFollowTheRightHandRuleAboutEachAxis) {
  const TPoint3D Axes[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const TPoint3D Points[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, -2, 3}};
  for (int A = 0; A < 3; ++A)
    for (float Deg : {30.0f, 90.0f, 135.0f, 270.0f, -45.0f})
      for (const TPoint3D& P : Points) {
        SCOPED_TRACE(testing::Message() << "axis " << A << " angle " << Deg);
        const TMatrix3D M = TQuaternion3D::Create(Axes[A], DegToRad(Deg)).ToMatrix();
        ExpectNear(P * M, RotateByFormula(A, P, Deg));
      }

  const TMatrix3D Y90 = TQuaternion3D::Create({0, 1, 0}, DegToRad(90)).ToMatrix();
  ExpectNear(TPoint3D(0, 0, 1) * Y90, {1, 0, 0}, 1e-6f);
  const TMatrix3D X90 = TQuaternion3D::Create({1, 0, 0}, DegToRad(90)).ToMatrix();
  ExpectNear(TPoint3D(0, 1, 0) * X90, {0, 0, 1}, 1e-6f);
  ExpectNear(TPoint3D(0, 0, 1) * X90, {0, -1, 0}, 1e-6f);
  EXPECT_EQ(Y90.m44, 1.0f);
  EXPECT_EQ(Y90.Row(3), TVector3D(0, 0, 0, 1));
}

TEST(Math3DQuaternion, CreateScalesTheAxisAndFallsBackToIdentity) {
  // A quarter turn about X: both parts are the single nearest √½.
  const TQuaternion3D Q = TQuaternion3D::Create({1, 0, 0}, DegToRad(90));
  EXPECT_EQ(Q.ImagPart, TPoint3D(0.70710676908493f, 0, 0));
  EXPECT_EQ(Q.RealPart, 0.70710676908493f);
  // The axis is divided by its length.
  EXPECT_EQ(TQuaternion3D::Create({0, 3, 0}, DegToRad(90)),
            TQuaternion3D::Create({0, 1, 0}, DegToRad(90)));
  EXPECT_EQ(TQuaternion3D::Create({0, 0, 0}, 1.0f), TQuaternion3D::Identity());
  EXPECT_EQ(TQuaternion3D::Create({1e-23f, 0, 0}, 1.0f), TQuaternion3D::Identity());
  EXPECT_EQ(TQuaternion3D::Identity().ImagPart, TPoint3D());
  EXPECT_EQ(TQuaternion3D::Identity().RealPart, 1.0f);
  EXPECT_EQ(TQuaternion3D::Identity().ToMatrix(), TMatrix3D::Identity());
}

TEST(Math3DQuaternion, ProductAppliesTheRightFactorFirst) {
  const TQuaternion3D Y90 = TQuaternion3D::Create({0, 1, 0}, DegToRad(90));
  const TQuaternion3D X90 = TQuaternion3D::Create({1, 0, 0}, DegToRad(90));
  // X90 first turns +Y onto +Z, then Y90 turns +Z onto +X.
  ExpectNear(TPoint3D(0, 1, 0) * (Y90 * X90).ToMatrix(), {1, 0, 0});
  // The other order: Y90 leaves +Y alone, X90 then turns it onto +Z.
  ExpectNear(TPoint3D(0, 1, 0) * (X90 * Y90).ToMatrix(), {0, 0, 1});
  ExpectNear((Y90 * X90).ToMatrix(), X90.ToMatrix() * Y90.ToMatrix());

  // Turns about oblique axes, where every cross term of the product counts.
  const TQuaternion3D A = TQuaternion3D::Create({1, 2, 3}, DegToRad(50));
  const TQuaternion3D B = TQuaternion3D::Create({-2, 1, 0.5f}, DegToRad(70));
  ExpectNear((A * B).ToMatrix(), B.ToMatrix() * A.ToMatrix(), 1e-6f);
  ExpectNear((B * A).ToMatrix(), A.ToMatrix() * B.ToMatrix(), 1e-6f);

  // Hamilton product worked by hand on whole numbers.
  TQuaternion3D P, Q;
  P.ImagPart = {1, 2, 3};
  P.RealPart = 4;
  Q.ImagPart = {5, 6, 7};
  Q.RealPart = 8;
  TQuaternion3D PQ;
  PQ.ImagPart = {24, 48, 48};
  PQ.RealPart = -6;
  EXPECT_EQ(P * Q, PQ);

  EXPECT_EQ(Y90 * TQuaternion3D::Identity(), Y90);
  EXPECT_EQ(TQuaternion3D::Identity() * Y90, Y90);
}

TEST(Math3DQuaternion, IncrementsAboutOneAxisAddUp) {
  // −90 from 0, then −80: increments of 270 and 10 degrees about Y; +Z ends up along the
  // rotation by 280 degrees.
  TQuaternion3D Q = TQuaternion3D::Identity();
  Q = Q * TQuaternion3D::Create({0, 1, 0}, DegToRad(WrapAngle(-90 - 0.0f)));
  ExpectNear(Q.ToMatrix().Row(2).ToPoint3D(), {-1, 0, 0});
  Q = Q * TQuaternion3D::Create({0, 1, 0}, DegToRad(WrapAngle(-80 - (-90.0f))));
  ExpectNear(Q.ToMatrix().Row(2).ToPoint3D(), {-0.9848f, 0, 0.1736f});
}

TEST(Math3DQuaternion, ToMatrixNormalisesFirst) {
  const TQuaternion3D Q = TQuaternion3D::Create({1, 2, 3}, DegToRad(50));
  for (float Factor : {3.0f, 1e-10f, 1e10f}) {
    TQuaternion3D Scaled;
    Scaled.ImagPart = Q.ImagPart * Factor;
    Scaled.RealPart = Q.RealPart * Factor;
    ExpectNear(Scaled.ToMatrix(), Q.ToMatrix(), 1e-5f);
  }
  TQuaternion3D Zero;
  Zero.RealPart = 0;
  EXPECT_EQ(Zero.ToMatrix(), TMatrix3D::Identity());
}

TEST(Math3DQuaternion, ToMatrixRoundsEachSquareAndProductToSingle) {
  // Of unit length as a single; the expected elements were worked out independently at
  // 300 bits with each square and product rounded to 24 bits. Without that rounding m12
  // would come out as 0.0562775955.
  TQuaternion3D Q;
  Q.ImagPart = {0x1.31a2eap-7f, 0x1.31a2eap-6f, 0x1.ca746p-6f};
  Q.RealPart = 0x1.ffb028p-1f;
  const TMatrix3D M = Q.ToMatrix();
  const float Expected[3][3] = {{0.997738063f, 0.0562775992f, -0.0367644131f},
                                {-0.0555816106f, 0.998260021f, 0.0196871795f},
                                {0.0378083885f, -0.0175992213f, 0.999130011f}};
  for (int R = 0; R < 3; ++R)
    for (int C = 0; C < 3; ++C) EXPECT_EQ(M.M(R, C), Expected[R][C]) << R << "," << C;
  EXPECT_EQ(M.Row(3), TVector3D(0, 0, 0, 1));
  EXPECT_EQ(M.m14, 0.0f);
  EXPECT_EQ(M.m24, 0.0f);
  EXPECT_EQ(M.m34, 0.0f);
}

// ---- Camera and projection ----

// The design camera: Translation(0, 0, −20) under a dummy turned by −20 degrees about X.
TMatrix3D DesignCameraAbsolute() {
  const float Wrapped = WrapAngle(-20);
  const TMatrix3D Tilt = TQuaternion3D::Create({1, 0, 0}, DegToRad(Wrapped)).ToMatrix();
  return TMatrix3D::CreateTranslation({0, 0, -20}) * Tilt;
}

TMatrix3D DesignCameraView() {
  const TMatrix3D Abs = DesignCameraAbsolute();
  return TMatrix3D::CreateLookAtDirRH(Abs.Row(3).ToPoint3D(), -Abs.Row(2).ToPoint3D(),
                                      -Abs.Row(1).ToPoint3D());
}

TEST(Math3DCamera, DesignCameraStandsAboveAndInFront) {
  EXPECT_EQ(WrapAngle(-20), 340.0f);
  const TMatrix3D Abs = DesignCameraAbsolute();
  ExpectNear(Abs.Row(3).ToPoint3D(), {0, -6.8404f, -18.7939f});
  ExpectNear(Abs.Row(2).ToPoint3D(), {0, 0.3420f, 0.9397f});
  ExpectNear(Abs.Row(1).ToPoint3D(), {0, 0.9397f, -0.3420f});
}

TEST(Math3DCamera, LookAtMatrixOfTheDesignCamera) {
  const TMatrix3D V = DesignCameraView();
  // Columns hold the axes X = (1, 0, 0), Y = (0, −0.9397, 0.3420), Z = (0, −0.3420, −0.9397).
  ExpectNear(V, FromRows({{1, 0, 0, 0},
                          {0, -0.9397f, -0.3420f, 0},
                          {0, 0.3420f, -0.9397f, 0},
                          {0, 0, -20, 1}}));
  EXPECT_EQ(V.m14, 0.0f);
  EXPECT_EQ(V.m24, 0.0f);
  EXPECT_EQ(V.m34, 0.0f);
  EXPECT_EQ(V.m44, 1.0f);
}

TEST(Math3DCamera, LookAtNormalisesItsInputs) {
  const TMatrix3D A = TMatrix3D::CreateLookAtDirRH({1, 2, 3}, {0, 0, -5}, {0, -7, 0});
  const TMatrix3D B = TMatrix3D::CreateLookAtDirRH({1, 2, 3}, {0, 0, -1}, {0, -1, 0});
  EXPECT_EQ(A, B);
  // Axes X = (1, 0, 0), Y = (0, −1, 0), Z = (0, 0, −1); row 4 = −(X·S, Y·S, Z·S).
  EXPECT_EQ(A, FromRows({{1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, -1, 0}, {-1, 2, 3, 1}}));
}

TEST(Math3DCamera, PerspectiveFiguresForTheGameViewport) {
  const TMatrix3D P =
      TMatrix3D::CreatePerspectiveFovRH(DegToRad(45), 634.0f / 440.0f, 1, 1000);
  EXPECT_EQ(634.0f / 440.0f, 1.4409091f);
  EXPECT_EQ(P.m11, 1.6754793f);
  EXPECT_EQ(P.m22, 2.4142134f);
  EXPECT_EQ(P.m33, -1.001001f);
  EXPECT_EQ(P.m43, -1.001001f);
  EXPECT_EQ(P.m34, -1.0f);
  for (int R = 0; R < 4; ++R)
    for (int C = 0; C < 4; ++C) {
      const bool Set = (R == C && R < 3) || (R == 2 && C == 3) || (R == 3 && C == 2);
      if (!Set) {
        EXPECT_EQ(P.M(R, C), 0.0f) << R << "," << C;
      }
    }
}

TEST(Math3DCamera, ScenePointsLandOnTheExpectedPixels) {
  const float W = 634, H = 440;
  const TMatrix3D VP = DesignCameraView() * TMatrix3D::CreatePerspectiveFovRH(DegToRad(45), W / H, 1, 1000);
  struct Case {
    TPoint3D Scene;
    float PixelX, PixelY;
  };
  const Case Cases[] = {
      {{0, 0, 0}, 317, 220},
      {{0, 0, -10}, 317, 391.3f},
      {{0, 0, 20}, 317, 126.3f},
      {{25, 0, 20}, 659.3f, 126.3f},
      {{0, 0, 24.28f}, 317, 117},
  };
  for (const Case& C : Cases) {
    const TVector3D Clip = TVector3D(C.Scene) * VP;
    EXPECT_NEAR((Clip.X / Clip.W + 1) / 2 * W, C.PixelX, 0.1f) << C.Scene.Z;
    EXPECT_NEAR((1 - Clip.Y / Clip.W) / 2 * H, C.PixelY, 0.1f) << C.Scene.Z;
  }
  const TVector3D Origin = TVector3D(0, 0, 0) * VP;
  EXPECT_NEAR(Origin.Z / Origin.W, 0.951f, 0.001f);
  // Up is −Y: a point above the sea is drawn higher on the screen.
  const TVector3D Above = TVector3D(0, -1, 0) * VP;
  EXPECT_LT((1 - Above.Y / Above.W) / 2 * H, 220.0f);
}

}  // namespace
