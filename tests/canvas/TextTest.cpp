#include <gtest/gtest.h>

#include "CanvasTestUtil.h"

namespace {
using namespace canvastest;

// The bounding box of pixels that differ from Background.
TRectF InkBounds(TTarget& T, TAlphaColor Background) {
  int L = T.Bitmap.Width(), Tp = T.Bitmap.Height(), Rt = -1, Bt = -1;
  for (int Y = 0; Y < T.Bitmap.Height(); ++Y)
    for (int X = 0; X < T.Bitmap.Width(); ++X)
      if (T.At(X, Y) != Background) {
        L = std::min(L, X);
        Tp = std::min(Tp, Y);
        Rt = std::max(Rt, X + 1);
        Bt = std::max(Bt, Y + 1);
      }
  return Rt < 0 ? TRectF() : TRectF(L, Tp, Rt, Bt);
}

TEST(CanvasText, ACentredCaptionSitsInTheMiddleOfItsRectangle) {
  TTarget T(200, 60);
  T.Bitmap.Clear(0xFFFFFFFF);
  TCanvas& C = *T.Canvas;
  ASSERT_TRUE(C.BeginScene());
  C.Fill()->SetColor(0xFF000000);
  C.Font()->SetSize(20);
  C.FillText(TRectF(0, 0, 200, 60), "Start", false, 1, {}, TTextAlign::Center, TTextAlign::Center);
  C.EndScene();
  const TRectF Ink = InkBounds(T, 0xFFFFFFFF);
  ASSERT_FALSE(Ink.IsEmpty()) << "text was drawn";
  EXPECT_NEAR((Ink.Left + Ink.Right) / 2, 100, 2);
  // The line box includes the descent, which "Start" leaves empty: its ink sits a little high.
  EXPECT_NEAR((Ink.Top + Ink.Bottom) / 2, 30, 5);
  EXPECT_GT(Ink.Height(), 8);

  TRectF Measured(0, 0, 200, 60);
  C.MeasureText(Measured, "Start", false, {}, TTextAlign::Center, TTextAlign::Center);
  EXPECT_NEAR(Measured.Left + Measured.Width() / 2, 100, 0.01);
  EXPECT_LE(Measured.Left, Ink.Left + 1);
  EXPECT_GE(Measured.Right, Ink.Right - 1);
  EXPECT_LE(Measured.Top, Ink.Top);
  EXPECT_GE(Measured.Bottom, Ink.Bottom);
}

TEST(CanvasText, AlignmentsAndMeasuring) {
  TTarget T(10, 10);
  TCanvas& C = *T.Canvas;
  C.Font()->SetSize(16);
  const float W = C.TextWidth("Kelvane"), H = C.TextHeight("Kelvane");
  EXPECT_GT(W, 20);
  EXPECT_GT(H, 12);
  TRectF Lead(10, 10, 300, 100), Trail = Lead, Wrapped(0, 0, W * 0.6f, 1000);
  C.MeasureText(Lead, "Kelvane", false, {}, TTextAlign::Leading, TTextAlign::Leading);
  C.MeasureText(Trail, "Kelvane", false, {}, TTextAlign::Trailing, TTextAlign::Trailing);
  EXPECT_FLOAT_EQ(Lead.Left, 10);
  EXPECT_FLOAT_EQ(Lead.Top, 10);
  EXPECT_FLOAT_EQ(Trail.Right, 300);
  EXPECT_FLOAT_EQ(Trail.Bottom, 100);
  EXPECT_NEAR(Lead.Width(), W, 0.01);
  C.MeasureText(Wrapped, "Kel vane Kel vane", true, {}, TTextAlign::Leading, TTextAlign::Leading);
  EXPECT_GT(Wrapped.Height(), 1.5f * H) << "wrapped onto more lines";
  // Doubling the font doubles the width: metrics are unhinted.
  C.Font()->SetSize(32);
  EXPECT_NEAR(C.TextWidth("Kelvane"), 2 * W, 0.05 * W);
}

TEST(CanvasText, TextAtScaleTwoCoversTwiceThePixels) {
  TTarget One(200, 60, 1), Two(400, 120, 2);
  for (TTarget* T : {&One, &Two}) {
    T->Bitmap.Clear(0xFFFFFFFF);
    ASSERT_TRUE(T->Canvas->BeginScene());
    T->Canvas->Font()->SetSize(20);
    T->Canvas->FillText(TRectF(0, 0, 200, 60), "Start", false, 1, {}, TTextAlign::Center, TTextAlign::Center);
    T->Canvas->EndScene();
  }
  const TRectF A1 = InkBounds(One, 0xFFFFFFFF), A2 = InkBounds(Two, 0xFFFFFFFF);
  EXPECT_NEAR(A2.Width(), 2 * A1.Width(), 3);
  EXPECT_NEAR(A2.Left, 2 * A1.Left, 3);
}

}  // namespace
