#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "CanvasTestUtil.h"

namespace {
using namespace canvastest;

// A bitmap whose every pixel differs from its neighbours.
void Pattern(TBitmap& Bmp) {
  TBitmapData D;
  ASSERT_TRUE(Bmp.Map(TMapAccess::Write, D));
  for (int Y = 0; Y < D.Height; ++Y)
    for (int X = 0; X < D.Width; ++X)
      D.SetPixel(X, Y, 0xFF000000u | static_cast<uint32_t>((X * 7 + Y * 13) & 0xFF) << 16 |
                           static_cast<uint32_t>((X * 31) & 0xFF) << 8 | static_cast<uint32_t>((Y * 17) & 0xFF));
  Bmp.Unmap(D);
}

TEST(Bitmap, StartsEmptyAndResizesToTransparentPixels) {
  TBitmap B;
  EXPECT_TRUE(B.IsEmpty());
  TBitmapData D;
  EXPECT_FALSE(B.Map(TMapAccess::Read, D));
  B.SetSize(3, 2);
  EXPECT_EQ(B.Width(), 3);
  EXPECT_EQ(B.Height(), 2);
  EXPECT_EQ(B.Pixel(2, 1), 0u);
  EXPECT_EQ(B.BitmapScale(), 1.0f);
  B.SetSize(0, 5);
  EXPECT_TRUE(B.IsEmpty());
  EXPECT_EQ(B.Width(), 0);
}

TEST(Bitmap, PixelsArePremultipliedInsideAndPlainOutside) {
  TBitmap B(2, 1);
  TBitmapData D;
  ASSERT_TRUE(B.Map(TMapAccess::Write, D));
  D.SetPixel(0, 0, 0xFF102030);
  D.SetPixel(1, 0, 0x80FF0000);
  EXPECT_EQ(D.Scanline(0)[0], 0xFF102030u) << "opaque colours are kept exactly";
  EXPECT_EQ(D.Scanline(0)[1], 0x80800000u) << "stored premultiplied: Cairo's ARGB32";
  B.Unmap(D);
  EXPECT_EQ(B.Pixel(1, 0), 0x80FF0000u);
}

TEST(Bitmap, WritingThroughAMapReportsAChange) {
  TBitmap B(1, 1);
  const uint64_t Stamp = B.ChangeStamp();
  TBitmapData D;
  B.Map(TMapAccess::Read, D);
  B.Unmap(D);
  EXPECT_EQ(B.ChangeStamp(), Stamp);
  B.Map(TMapAccess::Write, D);
  B.Unmap(D);
  EXPECT_EQ(B.ChangeStamp(), Stamp + 1);
}

TEST(Bitmap, PngRoundTripKeepsOpaquePixels) {
  TBitmap B(17, 9);
  Pattern(B);
  const std::vector<uint8_t> Png = B.SaveToPNG();
  ASSERT_GT(Png.size(), 8u);
  EXPECT_EQ(Png[1], 'P');
  TBitmap Back;
  Back.LoadFromPNG(Png.data(), Png.size());
  EXPECT_TRUE(Back.EqualsBitmap(B));

  const std::string File = testing::TempDir() + "canvas_bitmap_test.png";
  B.SaveToFile(File);
  TBitmap FromFile;
  FromFile.LoadFromFile(File);
  EXPECT_TRUE(FromFile.EqualsBitmap(B));
  std::remove(File.c_str());
}

TEST(Bitmap, BadPngBytesRaiseTheLoadingError) {
  const uint8_t Junk[] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  TBitmap B(2, 2);
  try {
    B.LoadFromPNG(Junk, sizeof Junk);
    FAIL() << "no exception";
  } catch (const EBitmapLoadingFailed& E) {
    EXPECT_EQ(E.Message().rfind("Loading bitmap failed (", 0), 0u) << E.Message();
  }
  EXPECT_EQ(B.Width(), 2) << "a failed load leaves the bitmap as it was";
  TBitmap Empty;
  EXPECT_THROW(Empty.SaveToPNG(), EBitmapSavingFailed);
}

TEST(Bitmap, SizesBeyondTheLimitsAreRefusedBeforeAllocating) {
  struct TCase {
    int Width, Height;
    bool Fits;
  };
  for (const TCase& C : {TCase{TBitmap::MaxSide, 2048, true}, TCase{TBitmap::MaxSide, 2049, false}, TCase{1, TBitmap::MaxSide, true},
                         TCase{TBitmap::MaxSide + 1, 1, false}, TCase{1, TBitmap::MaxSide + 1, false},
                         TCase{5793, 5793, false}, TCase{INT32_MAX, INT32_MAX, false}, TCase{-5, INT32_MAX, true}}) {
    TBitmap B(3, 2);
    B.Clear(0xFF112233);
    if (C.Fits) {
      EXPECT_NO_THROW(B.SetSize(C.Width, C.Height)) << C.Width << " x " << C.Height;
      continue;
    }
    try {
      B.SetSize(C.Width, C.Height);
      ADD_FAILURE() << C.Width << " x " << C.Height << " accepted";
    } catch (const EBitmapSizeTooBig& E) {
      EXPECT_EQ(E.Message(), "Bitmap size too big");
    }
    EXPECT_EQ(B.Width(), 3) << "a refused size leaves the bitmap as it was";
    EXPECT_EQ(B.Pixel(2, 1), 0xFF112233u);
  }
}

TEST(Bitmap, APngTooBigIsRefusedFromItsHeader) {
  TBitmap Small(4, 3);
  Pattern(Small);
  std::vector<uint8_t> Png = Small.SaveToPNG();
  // The header's width and height (big-endian, after the signature and the chunk's length and
  // type) claim 30000 x 30000; the decoder would allocate 3.6 GB for that before finding the
  // data short.
  for (size_t At : {16u, 20u}) {
    Png[At] = 0, Png[At + 1] = 0, Png[At + 2] = 0x75, Png[At + 3] = 0x30;
  }
  TBitmap B(2, 2);
  try {
    B.LoadFromPNG(Png.data(), Png.size());
    FAIL() << "no exception";
  } catch (const EBitmapLoadingFailed& E) {
    EXPECT_EQ(E.Message(), "Loading bitmap failed (image of 30000 x 30000 pixels is too big)");
  }
  EXPECT_EQ(B.Width(), 2);

  const std::string File = testing::TempDir() + "canvas_bitmap_too_big.png";
  FILE* F = std::fopen(File.c_str(), "wb");
  ASSERT_NE(F, nullptr);
  std::fwrite(Png.data(), 1, Png.size(), F);
  std::fclose(F);
  try {
    B.LoadFromFile(File);
    ADD_FAILURE() << "no exception";
  } catch (const EBitmapLoadingFailed& E) {
    EXPECT_EQ(E.Message(), "Loading bitmap failed (" + File + ": image of 30000 x 30000 pixels is too big)");
  }
  std::remove(File.c_str());
}

TEST(Bitmap, AssignCopiesSizeScaleAndPixels) {
  TBitmap A(5, 4);
  Pattern(A);
  A.SetBitmapScale(2);
  TBitmap B;
  B.Assign(&A);
  EXPECT_TRUE(B.EqualsBitmap(A));
  EXPECT_EQ(B.BitmapScale(), 2.0f);
  B.Clear(0);
  EXPECT_FALSE(B.EqualsBitmap(A)) << "a copy, not shared pixels";
}

TEST(DrawBitmap, HighSpeedTakesTheNearestPixel) {
  TBitmap Checker(2, 2);
  TBitmapData D;
  Checker.Map(TMapAccess::Write, D);
  D.SetPixel(0, 0, 0xFF000000);
  D.SetPixel(1, 0, 0xFFFFFFFF);
  D.SetPixel(0, 1, 0xFFFFFFFF);
  D.SetPixel(1, 1, 0xFF000000);
  Checker.Unmap(D);

  TTarget Fast(8, 8), Smooth(8, 8);
  for (auto [T, HighSpeed] : {std::pair{&Fast, true}, std::pair{&Smooth, false}}) {
    ASSERT_TRUE(T->Canvas->BeginScene());
    T->Canvas->DrawBitmap(Checker, Checker.Bounds(), TRectF(0, 0, 8, 8), 1, HighSpeed);
    T->Canvas->EndScene();
  }
  int FastGreys = 0, SmoothGreys = 0;
  for (int Y = 0; Y < 8; ++Y)
    for (int X = 0; X < 8; ++X) {
      const int F = R(Fast.At(X, Y)), S = R(Smooth.At(X, Y));
      FastGreys += F != 0 && F != 255;
      SmoothGreys += S != 0 && S != 255;
      // Nearest: the source pixel under the target pixel's centre.
      const bool White = (X / 4) != (Y / 4);
      EXPECT_EQ(Fast.At(X, Y), White ? 0xFFFFFFFFu : 0xFF000000u) << X << "," << Y;
    }
  EXPECT_EQ(FastGreys, 0);
  EXPECT_GT(SmoothGreys, 0) << "linear interpolation blends neighbouring source pixels";
  // Near the middle of the smooth picture the four source pixels mix to mid grey.
  EXPECT_NEAR(R(Smooth.At(3, 3)), 255 * 0.375, 24);
}

TEST(DrawBitmap, OneToOneAtAnyScaleCopiesPixelsExactly) {
  TBitmap Frame(63, 44);
  Pattern(Frame);
  for (float Scale : {1.0f, 2.0f}) {
    TTarget T(63, 44, Scale);
    ASSERT_TRUE(T.Canvas->BeginScene());
    // The viewport draws its frame over its logical rectangle: pixels land one to one.
    T.Canvas->DrawBitmap(Frame, Frame.Bounds(), TRectF(0, 0, 63 / Scale, 44 / Scale), 1, true);
    T.Canvas->EndScene();
    EXPECT_TRUE(T.Bitmap.EqualsBitmap(Frame)) << "scale " << Scale;
  }
}

TEST(DrawBitmap, SourceRectangleOpacityAndEmptyBitmaps) {
  TBitmap Src(4, 1);
  TBitmapData D;
  Src.Map(TMapAccess::Write, D);
  for (int X = 0; X < 4; ++X) D.SetPixel(X, 0, X < 2 ? 0xFFFF0000 : 0xFF0000FF);
  Src.Unmap(D);
  TTarget T(2, 1);
  ASSERT_TRUE(T.Canvas->BeginScene());
  T.Canvas->DrawBitmap(Src, TRectF(2, 0, 4, 1), TRectF(0, 0, 2, 1), 0.5f, true);
  TBitmap Empty;
  T.Canvas->DrawBitmap(Empty, TRectF(0, 0, 1, 1), TRectF(0, 0, 2, 1), 1, true);
  T.Canvas->EndScene();
  EXPECT_NEAR(A(T.At(0, 0)), 128, 1);
  EXPECT_EQ(B(T.At(1, 0)), 255);
  EXPECT_EQ(R(T.At(1, 0)), 0) << "only the source rectangle's blue half";
}

// A bitmap known to be opaque is copied where that gives the pixels blending gives; drawn in
// every other way it blends. Each placement draws the same opaque pattern, once known opaque
// and once not, over the same translucent background: the pictures must be identical.
TEST(DrawBitmap, AKnownOpaqueBitmapDrawsWhatBlendingDraws) {
  struct TCase {
    const char* Name;
    TMatrix Matrix;
    TRectF Dst;
    float Opacity;
    bool HighSpeed;
    bool Clipped;
  };
  TMatrix Turned;  // about 30 degrees
  Turned.m11 = 0.866f, Turned.m12 = 0.5f, Turned.m21 = -0.5f, Turned.m22 = 0.866f, Turned.m31 = 12;
  const TCase Cases[] = {
      {"one to one", TMatrix::Identity(), TRectF(0, 0, 23, 17), 1, true, false},
      {"between pixels", TMatrix::Identity(), TRectF(2.3f, 1.6f, 25.3f, 18.6f), 1, true, false},
      {"scaled", TMatrix::CreateScaling(1.7f, 1.3f), TRectF(0.5f, 0, 23.5f, 17), 1, true, false},
      {"turned", Turned, TRectF(0, 0, 23, 17), 1, true, false},
      {"clipped", TMatrix::Identity(), TRectF(0, 0, 23, 17), 1, true, true},
      {"translucent", TMatrix::Identity(), TRectF(0, 0, 23, 17), 0.5f, true, false},
      {"smoothed", TMatrix::CreateScaling(1.7f, 1.3f), TRectF(0.5f, 0.25f, 23.5f, 17), 1, false, false},
  };
  for (const TCase& C : Cases) {
    TBitmap Blended, Known;
    for (TBitmap* Target : {&Blended, &Known}) {
      TBitmap Src(23, 17);
      Pattern(Src);
      if (Target == &Known) Src.MarkKnownOpaque();
      ASSERT_EQ(Src.KnownOpaque(), Target == &Known);
      Target->SetSize(40, 30);
      Target->Clear(0x80204060);
      const TClipRects Clip = {TRectF(3, 2, 11, 9), TRectF(14, 10, 40, 30)};
      ASSERT_TRUE(Target->Canvas()->BeginScene(C.Clipped ? &Clip : nullptr));
      Target->Canvas()->SetMatrix(C.Matrix);
      Target->Canvas()->DrawBitmap(Src, Src.Bounds(), C.Dst, C.Opacity, C.HighSpeed);
      Target->Canvas()->EndScene();
    }
    EXPECT_TRUE(Known.EqualsBitmap(Blended)) << C.Name;
    int Drawn = 0;
    for (int Y = 0; Y < 30; ++Y)
      for (int X = 0; X < 40; ++X) Drawn += Blended.Pixel(X, Y) != 0x80204060u;
    EXPECT_GT(Drawn, 50) << C.Name << ": the bitmap was drawn";
  }
}

// Whatever writes into a bitmap known to be opaque, other than the writer that said so, makes
// it be blended again: a translucent pixel left by the write must show what lies beneath.
TEST(DrawBitmap, EveryOtherWriteForgetsThatABitmapWasOpaque) {
  constexpr TAlphaColor HalfRed = 0x80FF0000;
  auto SetHalfRed = [](TBitmap& B, TMapAccess Access) {
    TBitmapData D;
    ASSERT_TRUE(B.Map(Access, D));
    D.SetPixel(0, 0, HalfRed);
    B.Unmap(D);
  };
  TBitmap HalfRedImage(4, 3);
  HalfRedImage.Clear(HalfRed);
  const std::vector<uint8_t> HalfRedPng = HalfRedImage.SaveToPNG();
  // Half red over opaque blue; the transparent pixels of a new size leave the blue.
  constexpr TAlphaColor OverBlue = 0xFF80007F, Blue = 0xFF0000FF;
  const struct {
    const char* Name;
    std::function<void(TBitmap&)> Write;
    TAlphaColor Want = OverBlue;
  } Writes[] = {
      {"a mapping for writing", [&](TBitmap& B) { SetHalfRed(B, TMapAccess::Write); }},
      {"a mapping for reading and writing", [&](TBitmap& B) { SetHalfRed(B, TMapAccess::ReadWrite); }},
      {"a mapping still open", [](TBitmap& B) {
         TBitmapData D;
         ASSERT_TRUE(B.Map(TMapAccess::Write, D));
         D.SetPixel(0, 0, HalfRed);
       }},
      {"its canvas", [](TBitmap& B) {
         ASSERT_TRUE(B.Canvas()->BeginScene());
         B.Canvas()->Clear(HalfRed);
         B.Canvas()->EndScene();
       }},
      {"its canvas, still drawing", [](TBitmap& B) {
         // The scene is open when the pixels are looked at: nothing has been finished yet.
         ASSERT_TRUE(B.Canvas()->BeginScene());
         B.Canvas()->Clear(HalfRed);
         B.Canvas()->Flush();
       }},
      {"Clear", [](TBitmap& B) { B.Clear(HalfRed); }},
      {"a new size", [](TBitmap& B) { B.SetSize(5, 3); }, Blue},
      {"Assign", [&](TBitmap& B) { B.Assign(&HalfRedImage); }},
      {"a loaded image", [&](TBitmap& B) { B.LoadFromPNG(HalfRedPng.data(), HalfRedPng.size()); }},
  };
  for (const auto& W : Writes) {
    TBitmap Src(4, 3);
    Pattern(Src);
    Src.MarkKnownOpaque();
    W.Write(Src);
    const bool SceneOpen = Src.Canvas()->BeginSceneCount() > 0;
    EXPECT_FALSE(Src.KnownOpaque()) << W.Name;
    TTarget T(4, 3);
    T.Bitmap.Clear(Blue);
    ASSERT_TRUE(T.Canvas->BeginScene());
    T.Canvas->DrawBitmap(Src, TRectF(0, 0, 1, 1), TRectF(0, 0, 1, 1), 1, true);
    T.Canvas->EndScene();
    if (SceneOpen) Src.Canvas()->EndScene();
    EXPECT_LE(ChannelDistance(T.At(0, 0), W.Want), 1) << W.Name << ": " << std::hex << T.At(0, 0);
  }
}

TEST(DrawBitmap, ReadingKeepsWhatIsKnownAndTheWriterMustWaitForAnOpenScene) {
  TBitmap Src(4, 3);
  Pattern(Src);
  Src.MarkKnownOpaque();
  TBitmapData D;
  ASSERT_TRUE(Src.Map(TMapAccess::Read, D));
  Src.Unmap(D);
  Src.Pixel(1, 1);
  TTarget T(4, 3);
  ASSERT_TRUE(T.Canvas->BeginScene());
  T.Canvas->DrawBitmap(Src, Src.Bounds(), TRectF(0, 0, 4, 3), 1, true);
  T.Canvas->EndScene();
  EXPECT_TRUE(Src.KnownOpaque()) << "reading and drawing from the bitmap write nothing into it";
  EXPECT_TRUE(T.Bitmap.EqualsBitmap(Src));

  // A canvas drawing into the bitmap may still change it after the writer's check.
  ASSERT_TRUE(Src.Canvas()->BeginScene());
  Src.MarkKnownOpaque();
  EXPECT_FALSE(Src.KnownOpaque());
  Src.Canvas()->EndScene();
  Src.MarkKnownOpaque();
  EXPECT_TRUE(Src.KnownOpaque());
  TBitmap Empty;
  Empty.MarkKnownOpaque();
  EXPECT_FALSE(Empty.KnownOpaque()) << "no pixels to be opaque";
}

}  // namespace
