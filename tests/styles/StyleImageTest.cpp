// Drawing style images: the parts a rectangle of the artwork is cut into (cap insets with
// Stretch and Tile, the wrap modes), the choice of image variant and link for a scale, the
// alignment to device pixels, and the pixels drawn, read back from a bitmap.
#include <gtest/gtest.h>

#include <memory>

#include "shell/canvas/Bitmap.h"
#include "shell/canvas/Canvas.h"
#include "shell/styles/Image.h"
#include "shell/styles/StyleContainer.h"
#include "shell/styles/StyleObject.h"
#include "shell/styles/StyleImage.h"

namespace {

// --- Geometry --------------------------------------------------------------------------------

TEST(StyleImageLayout, NinePartsCornersAtOwnSizeEdgesAndCentreStretched) {
  // A 9 x 9 source with insets of 3, into 30 x 20 at (5, 5).
  auto Parts = LayoutStyleImage(TRectF(0, 0, 9, 9), TRectF(3, 3, 3, 3), 1, TRectF(5, 5, 35, 25), TCapWrapMode::Stretch,
                                TImageWrapMode::Stretch);
  const std::vector<TImagePart> Expected = {
      {{0, 0, 3, 3}, {5, 5, 8, 8}},   {{3, 0, 6, 3}, {8, 5, 32, 8}},   {{6, 0, 9, 3}, {32, 5, 35, 8}},
      {{0, 3, 3, 6}, {5, 8, 8, 22}},  {{3, 3, 6, 6}, {8, 8, 32, 22}},  {{6, 3, 9, 6}, {32, 8, 35, 22}},
      {{0, 6, 3, 9}, {5, 22, 8, 25}}, {{3, 6, 6, 9}, {8, 22, 32, 25}}, {{6, 6, 9, 9}, {32, 22, 35, 25}},
  };
  EXPECT_EQ(Parts, Expected);
}

TEST(StyleImageLayout, InsetsOnTwoSidesOnlyGiveThreeParts) {
  // The slider's track: 58 x 11 with insets of 2 left and right, over 554 x 11.
  auto Parts = LayoutStyleImage(TRectF(225, 177, 283, 188), TRectF(2, 0, 2, 0), 1, TRectF(0, 0, 554, 11),
                                TCapWrapMode::Stretch, TImageWrapMode::Stretch);
  const std::vector<TImagePart> Expected = {
      {{225, 177, 227, 188}, {0, 0, 2, 11}},
      {{227, 177, 281, 188}, {2, 0, 552, 11}},
      {{281, 177, 283, 188}, {552, 0, 554, 11}},
  };
  EXPECT_EQ(Parts, Expected);
}

TEST(StyleImageLayout, ImagePixelsAreDividedByTheVariantsScale) {
  // The button's 2.0 rectangle (insets 6) over a button of 80 x 40 logical units.
  auto Parts = LayoutStyleImage(TRectF(8, 336, 168, 394), TRectF(6, 6, 6, 6), 2, TRectF(0, 0, 80, 40),
                                TCapWrapMode::Stretch, TImageWrapMode::Stretch);
  ASSERT_EQ(Parts.size(), 9u);
  EXPECT_EQ(Parts[0], (TImagePart{{8, 336, 14, 342}, {0, 0, 3, 3}}));
  EXPECT_EQ(Parts[4], (TImagePart{{14, 342, 162, 388}, {3, 3, 77, 37}}));
  EXPECT_EQ(Parts[8], (TImagePart{{162, 388, 168, 394}, {77, 37, 80, 40}}));
}

TEST(StyleImageLayout, ATargetSmallerThanTheInsetsIsWidenedThenCut) {
  // 4 wide for insets of 3 + 3: drawn 6 wide, cut at 4: the right corner shows its first column.
  auto Parts = LayoutStyleImage(TRectF(0, 0, 9, 9), TRectF(3, 3, 3, 3), 1, TRectF(0, 0, 4, 9), TCapWrapMode::Stretch,
                                TImageWrapMode::Stretch);
  const std::vector<TImagePart> Expected = {
      {{0, 0, 3, 3}, {0, 0, 3, 3}}, {{6, 0, 7, 3}, {3, 0, 4, 3}}, {{0, 3, 3, 6}, {0, 3, 3, 6}},
      {{6, 3, 7, 6}, {3, 3, 4, 6}}, {{0, 6, 3, 9}, {0, 6, 3, 9}}, {{6, 6, 7, 9}, {3, 6, 4, 9}},
  };
  EXPECT_EQ(Parts, Expected);
}

TEST(StyleImageLayout, TileCoversEdgesAndCentreWithWholeCopiesTheLastOneCut) {
  // Insets of 2 on top and bottom (the vertical track) over 11 x 10: the 2 middle rows of the
  // source are repeated over the 6 rows between the caps.
  auto Parts = LayoutStyleImage(TRectF(0, 0, 11, 6), TRectF(0, 2, 0, 2), 1, TRectF(0, 0, 11, 10), TCapWrapMode::Tile,
                                TImageWrapMode::Stretch);
  EXPECT_EQ(Parts, (std::vector<TImagePart>{{{0, 0, 11, 2}, {0, 0, 11, 2}},
                                            {{0, 2, 11, 4}, {0, 2, 11, 4}},
                                            {{0, 2, 11, 4}, {0, 4, 11, 6}},
                                            {{0, 2, 11, 4}, {0, 6, 11, 8}},
                                            {{0, 4, 11, 6}, {0, 8, 11, 10}}}));
  // With 5 rows between the caps the third copy is cut to one row, its source with it.
  Parts = LayoutStyleImage(TRectF(0, 0, 11, 6), TRectF(0, 2, 0, 2), 1, TRectF(0, 0, 11, 9), TCapWrapMode::Tile,
                           TImageWrapMode::Stretch);
  ASSERT_EQ(Parts.size(), 5u);
  EXPECT_EQ(Parts[3], (TImagePart{{0, 2, 11, 3}, {0, 6, 11, 7}}));
  EXPECT_EQ(Parts[4], (TImagePart{{0, 4, 11, 6}, {0, 7, 11, 9}}));
}

TEST(StyleImageLayout, WrapModesWithoutInsets) {
  const TRectF Thumb(247, 191, 255, 210);  // 8 x 19
  const TRectF Target(0, 0, 14, 23);
  struct TCase {
    TImageWrapMode Mode;
    std::vector<TImagePart> Parts;
  };
  const TCase Cases[] = {
      {TImageWrapMode::Center, {{Thumb, {3, 2, 11, 21}}}},
      {TImageWrapMode::Stretch, {{Thumb, Target}}},
      {TImageWrapMode::Original, {{Thumb, {0, 0, 8, 19}}}},
      // Fit: 19 high into 23 gives a factor of 23 / 19, centred across.
      {TImageWrapMode::Fit, {{Thumb, {7 - 4 * 23.f / 19, 0, 7 + 4 * 23.f / 19, 23}}}},
      {TImageWrapMode::Place, {{Thumb, {3, 2, 11, 21}}}},
  };
  for (const TCase& C : Cases) {
    auto Parts = LayoutStyleImage(Thumb, TRectF(), 1, Target, TCapWrapMode::Stretch, C.Mode);
    ASSERT_EQ(Parts.size(), C.Parts.size()) << static_cast<int>(C.Mode);
    EXPECT_FLOAT_EQ(Parts[0].Target.Left, C.Parts[0].Target.Left) << static_cast<int>(C.Mode);
    EXPECT_FLOAT_EQ(Parts[0].Target.Right, C.Parts[0].Target.Right) << static_cast<int>(C.Mode);
    EXPECT_FLOAT_EQ(Parts[0].Target.Top, C.Parts[0].Target.Top) << static_cast<int>(C.Mode);
    EXPECT_FLOAT_EQ(Parts[0].Target.Bottom, C.Parts[0].Target.Bottom) << static_cast<int>(C.Mode);
  }
  // Original is cut to a smaller target, Tile repeats and cuts the last copies.
  auto Cut = LayoutStyleImage(Thumb, TRectF(), 1, TRectF(0, 0, 5, 10), TCapWrapMode::Stretch, TImageWrapMode::Original);
  EXPECT_EQ(Cut, (std::vector<TImagePart>{{{247, 191, 252, 201}, {0, 0, 5, 10}}}));
  auto Tiles = LayoutStyleImage(Thumb, TRectF(), 1, TRectF(0, 0, 20, 19), TCapWrapMode::Stretch, TImageWrapMode::Tile);
  EXPECT_EQ(Tiles, (std::vector<TImagePart>{{Thumb, {0, 0, 8, 19}},
                                            {Thumb, {8, 0, 16, 19}},
                                            {{247, 191, 251, 210}, {16, 0, 20, 19}}}));
}

TEST(StyleImageLayout, NothingForAnEmptySourceOrTarget) {
  EXPECT_TRUE(LayoutStyleImage(TRectF(5, 5, 5, 9), TRectF(), 1, TRectF(0, 0, 9, 9), TCapWrapMode::Stretch,
                               TImageWrapMode::Stretch)
                  .empty());
  EXPECT_TRUE(LayoutStyleImage(TRectF(0, 0, 9, 9), TRectF(), 1, TRectF(0, 0, 0, 9), TCapWrapMode::Stretch,
                               TImageWrapMode::Stretch)
                  .empty());
}

TEST(StyleImageLayout, LinksAreChosenByScaleSmallerOnesCountingFarther) {
  TBitmapLinks Links;
  for (float S : {1.0f, 1.5f, 2.0f}) Links.Add()->SetScale(S);
  struct TCase {
    float Wanted, Chosen;
  };
  for (const TCase& C : {TCase{1, 1}, TCase{1.25f, 1.5f}, TCase{1.75f, 2}, TCase{3, 2}, TCase{0.5f, 1}, TCase{1.5f, 1.5f}})
    EXPECT_FLOAT_EQ(Links.LinkByScale(C.Wanted)->Scale(), C.Chosen) << C.Wanted;
  // Of two links of one scale, the earlier.
  TBitmapLinks Twins;
  TBitmapLink* First = Twins.Add();
  Twins.Add();
  EXPECT_EQ(Twins.LinkByScale(1), First);
  EXPECT_EQ(TBitmapLinks().LinkByScale(1), nullptr);
}

TEST(StyleImageLayout, VariantsAreChosenByTheNearestScale) {
  TFixedMultiResBitmap Variants;
  for (float S : {2.0f, 1.5f, 1.0f}) Variants.Add()->SetScale(S);
  struct TCase {
    float Wanted, Chosen;
  };
  for (const TCase& C : {TCase{1, 1}, TCase{1.25f, 1.5f}, TCase{1.75f, 2}, TCase{3, 2}, TCase{1.2f, 1}})
    EXPECT_FLOAT_EQ(Variants.ItemByScale(C.Wanted)->Scale(), C.Chosen) << C.Wanted;
}

TEST(StyleImageLayout, DevicePixelsAndSmoothing) {
  const TRectF R = AlignToDevicePixels(TRectF(0.3f, 0.3f, 10.1f, 10.5f), TMatrix::Identity(), 1.5f);
  EXPECT_FLOAT_EQ(R.Left, 0);
  EXPECT_FLOAT_EQ(R.Top, 0);
  EXPECT_FLOAT_EQ(R.Right, 10);                       // 15.15 device pixels round to 15
  EXPECT_FLOAT_EQ(R.Bottom, 16 / 1.5f);               // 15.75 round to 16
  const TRectF Moved = AlignToDevicePixels(TRectF(0, 0, 10, 10), TMatrix::CreateTranslation(0.5f, 0), 1.5f);
  EXPECT_FLOAT_EQ(Moved.Left, 0.5f / 3);              // 0.75 device pixels round to 1
  EXPECT_TRUE(CanDrawHighSpeed(TMatrix::Identity(), 1));
  EXPECT_TRUE(CanDrawHighSpeed(TMatrix::CreateTranslation(80, 440), 2));
  EXPECT_TRUE(CanDrawHighSpeed(TMatrix::CreateTranslation(0.5f, 0), 2));
  EXPECT_FALSE(CanDrawHighSpeed(TMatrix::Identity(), 1.5f));
  EXPECT_FALSE(CanDrawHighSpeed(TMatrix::CreateTranslation(0.5f, 0), 1));
}

// --- Pixels ----------------------------------------------------------------------------------

// A 9 x 9 artwork of nine 3 x 3 blocks, each its own colour, in a style with one style object.
struct NinePatch : ::testing::Test {
  static constexpr TAlphaColor Colors[9] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFF00, 0xFF00FFFF,
                                            0xFFFF00FF, 0xFF800000, 0xFF008000, 0xFF000080};
  std::unique_ptr<TStyleContainer, TComponentDeleter> Style{new TStyleContainer(nullptr)};
  TStyleObject* Object = nullptr;
  TBitmap Target{40, 30};

  void SetUp() override {
    auto* Image = new TImage(nullptr);
    Image->SetStyleName("art.png");
    TBitmap Art(9, 9);
    TBitmapData D;
    ASSERT_TRUE(Art.Map(TMapAccess::Write, D));
    for (int Y = 0; Y < 9; ++Y)
      for (int X = 0; X < 9; ++X) D.SetPixel(X, Y, Colors[(Y / 3) * 3 + X / 3]);
    Art.Unmap(D);
    Image->MultiResBitmap()->Add()->SetBitmap(&Art);
    Style->AddItem(Image);
    Object = new TStyleObject(nullptr);
    Object->SetSourceLookup("art.png");
    TBitmapLink* L = Object->SourceLink()->Add();
    L->SourceRect()->SetRect(TRectF(0, 0, 9, 9));
    L->CapInsets()->SetRect(TRectF(3, 3, 3, 3));
    Style->AddItem(Object);
  }

  void Draw(const TRectF& R, float Opacity = 1) {
    Target.Clear(0xFFFFFFFF);
    TCanvas* C = Target.Canvas();
    ASSERT_TRUE(C->BeginScene());
    Object->DrawStyleImage(*C, R, Opacity);
    C->EndScene();
  }
};

TEST_F(NinePatch, CornersEdgesAndCentreLandWhereTheyBelong) {
  Draw(TRectF(5, 5, 35, 25));
  struct TProbe {
    int X, Y, Part;
  };
  const TProbe Probes[] = {
      {5, 5, 0},   {7, 7, 0},   {8, 5, 1},   {31, 7, 1},  {32, 5, 2},  {34, 7, 2},    // top
      {5, 8, 3},   {7, 21, 3},  {8, 8, 4},   {20, 15, 4}, {31, 21, 4}, {34, 15, 5},   // middle
      {5, 22, 6},  {7, 24, 6},  {20, 23, 7}, {32, 22, 8}, {34, 24, 8},                // bottom
  };
  for (const TProbe& P : Probes) EXPECT_EQ(Target.Pixel(P.X, P.Y), Colors[P.Part]) << P.X << "," << P.Y;
  // Nothing outside the target.
  EXPECT_EQ(Target.Pixel(4, 4), 0xFFFFFFFFu);
  EXPECT_EQ(Target.Pixel(35, 25), 0xFFFFFFFFu);
}

TEST_F(NinePatch, TileRepeatsTheMiddleOfAnEdge) {
  // A 2-column middle that alternates, tiled along a 9-unit edge.
  TBitmapLink* L = Object->SourceLink()->Items(0);
  L->SourceRect()->SetRect(TRectF(2, 0, 7, 9));     // columns 2 | 3 4 5 | 6: red | green... | blue
  L->CapInsets()->SetRect(TRectF(1, 3, 1, 3));
  Object->SetCapMode(TCapWrapMode::Tile);
  Draw(TRectF(0, 0, 11, 9));
  // Columns 1 to 9 repeat source columns 3, 4, 5 (green, green, green) and the centre below
  // them cyan; the pattern is whole copies: column 1 = source 3, column 4 = source 3 again.
  for (int X : {1, 4, 7}) EXPECT_EQ(Target.Pixel(X, 0), Colors[1]) << X;
  for (int X : {1, 4, 7}) EXPECT_EQ(Target.Pixel(X, 4), Colors[4]) << X;
  EXPECT_EQ(Target.Pixel(0, 0), Colors[0]);
  EXPECT_EQ(Target.Pixel(10, 0), Colors[2]);
  EXPECT_EQ(Target.Pixel(11, 0), 0xFFFFFFFFu);
}

TEST_F(NinePatch, NothingIsDrawnWithoutImageLinkOrRectangle) {
  Object->SetSourceLookup("missing.png");
  Draw(TRectF(0, 0, 30, 20));
  EXPECT_EQ(Target.Pixel(10, 10), 0xFFFFFFFFu);
  Object->SetSourceLookup("art.png");
  Object->SourceLink()->Items(0)->SourceRect()->SetRect(TRectF(4, 4, 4, 9));
  Draw(TRectF(0, 0, 30, 20));
  EXPECT_EQ(Target.Pixel(10, 10), 0xFFFFFFFFu);
  Object->SourceLink()->Clear();
  Draw(TRectF(0, 0, 30, 20));
  EXPECT_EQ(Target.Pixel(10, 10), 0xFFFFFFFFu);
}

TEST_F(NinePatch, AnOpaqueObjectReplacesThePixelsBeneath) {
  // Half-transparent red artwork over white: blended it is pink, opaque it keeps its alpha.
  TBitmap Art(9, 9);
  Art.Clear(0x80FF0000);
  auto* Image = dynamic_cast<TImage*>(Style->FindStyleResource("art.png"));
  Image->MultiResBitmap()->Items(0)->SetBitmap(&Art);
  Object->SourceLink()->Items(0)->CapInsets()->SetRect(TRectF());
  Draw(TRectF(0, 0, 9, 9));
  const TAlphaColor Blended = Target.Pixel(4, 4);
  EXPECT_EQ(Blended >> 24, 0xFFu);
  Object->SetOpaque(true);
  Draw(TRectF(0, 0, 9, 9));
  EXPECT_EQ(Target.Pixel(4, 4) >> 24, 0x80u);
  EXPECT_EQ(Target.Pixel(4, 4) & 0x00FF0000u, 0x00FF0000u);
  EXPECT_TRUE(Target.Canvas()->Blending()) << "switched on again after drawing";
  // Below full opacity it blends after all.
  Draw(TRectF(0, 0, 9, 9), 0.99f);
  EXPECT_EQ(Target.Pixel(4, 4) >> 24, 0xFFu);
}

TEST_F(NinePatch, TheVariantForTheCanvassScaleIsDrawnWithItsLink) {
  // A 2.0 variant that is all black, with its own link: at scale 2 it is the one drawn.
  auto* Image = dynamic_cast<TImage*>(Style->FindStyleResource("art.png"));
  TBitmap Black(18, 18);
  Black.Clear(0xFF000000);
  TFixedBitmapItem* Big = Image->MultiResBitmap()->Add();
  Big->SetScale(2);
  Big->SetBitmap(&Black);
  TBitmapLink* L = Object->SourceLink()->Add();
  L->SetScale(2);
  L->SourceRect()->SetRect(TRectF(0, 0, 18, 18));
  L->CapInsets()->SetRect(TRectF(6, 6, 6, 6));
  TBitmap Scaled(80, 60);
  Scaled.SetBitmapScale(2);
  Scaled.Clear(0xFFFFFFFF);
  TCanvas* C = Scaled.Canvas();
  ASSERT_TRUE(C->BeginScene());
  Object->DrawStyleImage(*C, TRectF(5, 5, 35, 25), 1);
  C->EndScene();
  EXPECT_EQ(Scaled.Pixel(10, 10), 0xFF000000u);
  EXPECT_EQ(Scaled.Pixel(69, 49), 0xFF000000u);
  EXPECT_EQ(Scaled.Pixel(70, 50), 0xFFFFFFFFu);
  EXPECT_EQ(Scaled.Pixel(9, 9), 0xFFFFFFFFu);
}

}  // namespace
