// The process's pixel budget: shares taken and given back, refusals that keep what was held,
// and bitmaps that take their pixels from it.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "shell/canvas/Bitmap.h"
#include "shell/canvas/PixelBudget.h"

namespace {

// The budget set to what is in use now plus Room bytes, and the machine's total again after.
class PixelBudget : public ::testing::Test {
 protected:
  void Allow(int64_t Room) { TPixelBudget::SetTotal(TPixelBudget::InUse() + Room); }
  void TearDown() override { TPixelBudget::SetTotal(0); }
  static constexpr int64_t MB = int64_t(1) << 20;
};

TEST_F(PixelBudget, TheMachinesTotalIsAQuarterOfItsMemoryAndAtLeastTheFloor) {
  EXPECT_GE(TPixelBudget::Total(), TPixelBudget::Floor);
  TPixelBudget::SetTotal(5 * MB);
  EXPECT_EQ(TPixelBudget::Total(), 5 * MB);
  TPixelBudget::SetTotal(0);
  EXPECT_GE(TPixelBudget::Total(), TPixelBudget::Floor);
}

TEST_F(PixelBudget, AChargeTakesWhatFitsAndKeepsItsShareWhenRefused) {
  const int64_t Start = TPixelBudget::InUse();
  Allow(4 * MB);
  TPixelCharge Charge;
  struct TStep {
    int64_t Width, Height;
    bool Fits;
    int64_t Held;  // bytes held after the step
  };
  for (const TStep& S : {TStep{512, 512, true, 1 * MB}, TStep{1024, 1024, true, 4 * MB}, TStep{1025, 1024, false, 4 * MB},
                         TStep{2048, 2048, false, 4 * MB}, TStep{256, 256, true, MB / 4}, TStep{0, 100, true, 0},
                         TStep{-5, 100, true, 0}}) {
    if (S.Fits) {
      EXPECT_NO_THROW(Charge.Set(S.Width, S.Height)) << S.Width << " x " << S.Height;
    } else {
      EXPECT_THROW(Charge.Set(S.Width, S.Height), EPixelBudget) << S.Width << " x " << S.Height;
    }
    EXPECT_EQ(Charge.Bytes(), S.Held) << S.Width << " x " << S.Height;
    EXPECT_EQ(TPixelBudget::InUse(), Start + S.Held);
  }
  Charge.Set(1024, 1024);
  {
    TPixelCharge Other;
    try {
      Other.Set(1, 1);
      ADD_FAILURE() << "a pixel beyond the total was taken";
    } catch (const EPixelBudget& E) {
      char Total[32];
      std::snprintf(Total, sizeof Total, "%.1f", static_cast<double>(Start + 4 * MB) / MB);
      EXPECT_EQ(E.Message(),
                std::string("Out of pixel memory: 1 x 1 pixels need 0.0 MB, 0.0 MB of the process's ") + Total + " MB are left");
    }
  }
  Charge.Clear();
  EXPECT_EQ(TPixelBudget::InUse(), Start);
}

TEST_F(PixelBudget, BitmapsTakeTheirPixelsFromItAndGiveThemBack) {
  const int64_t Start = TPixelBudget::InUse();
  Allow(4 * MB);
  auto A = std::make_unique<TBitmap>();
  A->SetSize(1024, 512);
  EXPECT_EQ(TPixelBudget::InUse(), Start + 2 * MB);
  TBitmap B;
  B.SetSize(1024, 512);
  // Nothing is left: a new bitmap is refused, and one that would grow keeps its pixels.
  EXPECT_THROW(TBitmap(1, 1), EPixelBudget);
  B.Clear(0xFF123456);
  EXPECT_THROW(B.SetSize(1024, 513), EPixelBudget);
  EXPECT_EQ(B.Width(), 1024);
  EXPECT_EQ(B.Height(), 512);
  EXPECT_EQ(B.Pixel(3, 3), 0xFF123456u);
  // A bitmap may grow into what it gives back itself, and no further.
  A->SetSize(512, 512);
  EXPECT_EQ(TPixelBudget::InUse(), Start + 3 * MB);
  EXPECT_THROW(A->SetSize(1024, 1024), EPixelBudget);
  A->SetSize(1024, 512);
  EXPECT_EQ(TPixelBudget::InUse(), Start + 4 * MB);
  A->Assign(&B);
  EXPECT_TRUE(A->EqualsBitmap(B));
  EXPECT_EQ(TPixelBudget::InUse(), Start + 4 * MB);
  A.reset();
  B.SetSize(0, 0);
  EXPECT_EQ(TPixelBudget::InUse(), Start);
}

}  // namespace
