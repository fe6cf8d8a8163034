#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "scene3d/Position3D.h"

namespace {

// Records which events fired, in order.
struct TRecorder : TObject {
  std::string Log;
  void Any(TObject*) { Log += "C"; }
  void X(TObject*) { Log += "x"; }
  void Y(TObject*) { Log += "y"; }
};

TEST(Position3D, ComponentWriteFiresItsOwnEventElseOnChangeAtMostOnce) {
  TPosition3D P;
  TRecorder R;
  P.OnChange = TNotifyEvent(&R, &TRecorder::Any);
  P.OnChangeX = TNotifyEvent(&R, &TRecorder::X);
  P.SetX(1);  // own event only
  P.SetZ(2);  // no own event: OnChange
  EXPECT_EQ(R.Log, "xC");
  EXPECT_EQ(P.Point(), TPoint3D(1, 0, 2));
}

TEST(Position3D, WritingTheCurrentValueOrNaNDoesNothing) {
  TPosition3D P(TPoint3D(1, 2, 3));
  TRecorder R;
  P.OnChange = TNotifyEvent(&R, &TRecorder::Any);
  P.SetX(1);
  P.SetY(std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(R.Log, "");
  EXPECT_EQ(P.Y(), 2);
}

TEST(Position3D, PointStoresWithoutComparisonAndFiresOnlyOnChange) {
  TPosition3D P;
  TRecorder R;
  P.OnChange = TNotifyEvent(&R, &TRecorder::Any);
  P.OnChangeX = TNotifyEvent(&R, &TRecorder::X);
  P.SetPoint(TPoint3D(0, 0, 0));  // same value: still fires
  EXPECT_EQ(R.Log, "C");
  P.SetPoint3DNoChange(TPoint3D(4, 5, 6));
  EXPECT_EQ(R.Log, "C");
  EXPECT_EQ(P.Vector(), TVector3D(4, 5, 6, 1));
}

TEST(Position3D, AssignCopiesThePointThroughOnChange) {
  TPosition3D A(TPoint3D(7, 8, 9)), B;
  TRecorder R;
  B.OnChange = TNotifyEvent(&R, &TRecorder::Any);
  B.Assign(&A);
  EXPECT_EQ(B.Point(), TPoint3D(7, 8, 9));
  EXPECT_EQ(R.Log, "C");
}

TEST(Position3D, ComponentsAreStoredOnlyWhenTheyDifferFromTheDefault) {
  TPosition3D P(TPoint3D(0, 0, -5));
  const TMetaClass& C = TPosition3D::StaticClass();
  EXPECT_FALSE(C.FindProperty("z")->ShouldStore(&P));
  P.SetZ(-10);
  EXPECT_TRUE(C.FindProperty("Z")->ShouldStore(&P));
  EXPECT_FALSE(C.FindProperty("X")->ShouldStore(&P));
}

TEST(ParseFloatTuple, SplitsAtCommasAndParenthesesAndStopsAtTheFirstBadToken) {
  struct TCase {
    const char* Text;
    int Expected;
    float First;
  };
  for (const TCase& T : {TCase{"(0.70710676908493,0,0,0.70710676908493)", 4, 0.70710676908493f},
                         TCase{"(1,x,3)", 1, 1}, TCase{"(,2)", 0, 0}, TCase{"", 0, 0},
                         TCase{"(1e2,2,3)", 3, 100}}) {
    float V[4] = {0, 0, 0, 0};
    EXPECT_EQ(ParseFloatTuple(T.Text, V, 4), T.Expected) << T.Text;
    EXPECT_EQ(V[0], T.First) << T.Text;
  }
}

}  // namespace
