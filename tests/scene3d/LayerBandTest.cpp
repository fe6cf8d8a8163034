// A layer drawn by a device that keeps texture pixels paints its surface in bands straight into
// the texture: the texture must hold what a bitmap of the whole surface would, repaint only
// what is marked, take all of the surface again when the device holds none of it, and give a
// bitmap of the surface when one is asked for.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "scene3d/Layer3D.h"
#include "scene3d/Viewport3D.h"
#include "scene3d/context/GLDevice.h"
#include "scene3d/context/Texture.h"
#include "scene3d/context/detail/GLHeaders.h"
#include "shell/canvas/Bitmap.h"
#include "shell/canvas/Canvas.h"
#include "shell/controls/Control.h"
#include "shell/controls/Root.h"
#include "shell/core/TreeObject.h"
#include "tests/scene3d/SceneTestSupport.h"

namespace {

class TBandLayer : public TLayer3D {
 public:
  using TLayer3D::TLayer3D;
  using TLayer3D::LayerTexture;
  // The frame's step that repaints the surface, without a frame.
  void PaintMarked() { BeforeRender(); }
};

// A control drawing a diagonal line across its bounds (across every band when it covers the
// surface); it may ask its layer for the bitmap while it paints.
class TDiagonal : public TControl {
 public:
  using TControl::TControl;
  TBandLayer* AskForBufferOf = nullptr;

 protected:
  void Paint() override {
    const TRectF R = LocalRect();
    if (TCanvas* C = Canvas()) C->DrawLine(R.TopLeft(), TPointF(R.Right, R.Bottom), 1, TStrokeBrush(TBrushKind::Solid, 0xFF20A040));
    if (AskForBufferOf) AskForBufferOf->Buffer();
  }
};

// Counts the layer's paint handler calls and the rectangles given.
class TPaintCalls : public TObject {
 public:
  std::vector<TRectF> Rects;
  void Paint(TObject*, TCanvas* C, const TRectF& R) {
    Rects.push_back(R);
    C->DrawLine(R.TopLeft(), TPointF(R.Right, R.Bottom), 1, TStrokeBrush(TBrushKind::Solid, 0xFF20A040));
  }
};

// A gradient layer of 2048 x 640 logical pixels (several bands at any scale) with a diagonal
// line across all of it.
TBandLayer* NewBandLayer(TComponent* Owner) {
  auto* Layer = new TBandLayer(Owner);
  Layer->SetResolution(256);
  Layer->SetWidth(8);
  Layer->SetHeight(2.5f);
  Layer->Fill()->SetKind(TBrushKind::Gradient);  // black at the top row to white at the bottom
  auto* Line = new TDiagonal(Owner);
  Line->SetBounds(0, 0, 2048, 640);
  Line->SetParent(Layer);
  return Layer;
}

// A device object that a new device no longer holds.
class TLostResource : public ITextureResource {
 public:
  bool IsCurrent() const override { return false; }
};

// Level 0 of the layer's texture, as the device holds it, in the bitmap's pixel order.
std::vector<uint32_t> TexturePixels(TBandLayer& Layer) {
  TGLDevice* D = TGLDevice::Instance();
  D->MakeCurrent();
  TTexture& T = *Layer.BufferTexture();
  const unsigned Name = D->PrepareTexture(T);
  std::vector<uint32_t> Pixels(static_cast<size_t>(T.Width()) * T.Height());
  glBindTexture(GL_TEXTURE_2D, Name);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, Pixels.data());
  return Pixels;
}

std::vector<uint32_t> BitmapPixels(TBitmap& B) {
  std::vector<uint32_t> Pixels;
  TBitmapData D;
  EXPECT_TRUE(B.Map(TMapAccess::Read, D));
  for (int Y = 0; Y < B.Height(); ++Y) Pixels.insert(Pixels.end(), D.Scanline(Y), D.Scanline(Y) + B.Width());
  B.Unmap(D);
  return Pixels;
}

// Writes one pixel of the texture behind the layer's back, to see whether a paint covers it.
void Poke(TBandLayer& Layer, int X, int Y, uint32_t Pixel) {
  TGLDevice* D = TGLDevice::Instance();
  D->MakeCurrent();
  glBindTexture(GL_TEXTURE_2D, D->PrepareTexture(*Layer.BufferTexture()));
  glTexSubImage2D(GL_TEXTURE_2D, 0, X, Y, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, &Pixel);
}

constexpr uint32_t Marker = 0xFFFF00FF;  // premultiplied opaque magenta

class LayerBandTest : public ::testing::TestWithParam<float> {
 protected:
  void SetUp() override {
    Root = new TScaledRoot(nullptr);
    Root->Scale = GetParam();
    View = new TViewport3D(Root);
    View->SetParent(Root);
    View->SetBounds(0, 0, 64, 48);
    if (!View->GetContext() || !View->GetContext()->HoldsTexturePixels() || !TGLDevice::Instance())
      GTEST_SKIP() << "no device that keeps texture pixels on this machine";
    Layer = NewBandLayer(Root);
    Layer->SetParent(View);
    // Across the boundary between the first two bands.
    Swatch = new TSwatch(Layer, 0xFFC03020);
    Swatch->SetBounds(300.5f, TCustomLayer3D::BandRows(Layer->BufferWidth()) / GetParam() - 20, 400, 41);
    Swatch->SetParent(Layer);
  }
  void TearDown() override {
    if (Root) Root->Free();
  }
  TScaledRoot* Root = nullptr;
  TViewport3D* View = nullptr;
  TBandLayer* Layer = nullptr;
  TSwatch* Swatch = nullptr;
};

TEST_P(LayerBandTest, TheBandsGiveTheTextureThePixelsOfAWholeBitmap) {
  View->RenderFrame();
  EXPECT_FALSE(Layer->HasBuffer()) << "no bitmap of the whole surface while nobody asks for one";
  EXPECT_EQ(Layer->PaintCount(), 1);
  const std::vector<uint32_t> Texture = TexturePixels(*Layer);
  ASSERT_EQ(Texture.size(), static_cast<size_t>(Layer->BufferWidth()) * Layer->BufferHeight());
  // Asked for, the bitmap is made and painted whole: the picture the bands gave, pixel for pixel.
  TBitmap* B = Layer->Buffer();
  ASSERT_EQ(B->Width(), Layer->BufferWidth());
  EXPECT_TRUE(Texture == BitmapPixels(*B));
  EXPECT_EQ(B->Pixel(B->Width() - 5, 0), 0xFF000000u);
  EXPECT_EQ(Layer->PaintCount(), 1) << "copying the picture into the bitmap is not a frame's paint";
  // From then on the layer paints into its bitmap, and the texture follows it.
  Swatch->Color = 0xFF2040C0;
  Swatch->Repaint();
  View->RenderFrame();
  EXPECT_TRUE(TexturePixels(*Layer) == BitmapPixels(*B));
  const float S = Layer->BufferScale();
  EXPECT_EQ(B->Pixel(static_cast<int>((Swatch->Position()->X() + 10) * S),
                     static_cast<int>((Swatch->Position()->Y() + 2) * S)),
            0xFF2040C0u);
}

TEST_P(LayerBandTest, AMarkedPartAloneIsPaintedAgain) {
  View->RenderFrame();
  const float S = Layer->BufferScale();
  const int Top = static_cast<int>(Swatch->Position()->Y() * S) + 1, Left = static_cast<int>(Swatch->Position()->X() * S) + 1;
  // Beside the swatch in its own rows (the band holds them too), and far from it.
  Poke(*Layer, Left - 10, Top + 5, Marker);
  Poke(*Layer, 1900, 600, Marker);
  Swatch->Color = 0xFF2040C0;
  Swatch->Repaint();
  View->RenderFrame();
  EXPECT_EQ(Layer->PaintCount(), 2);
  const std::vector<uint32_t> Texture = TexturePixels(*Layer);
  const auto At = [&](int X, int Y) { return Texture[static_cast<size_t>(Y) * Layer->BufferWidth() + X]; };
  EXPECT_EQ(At(Left + 5, Top + 5), 0xFF2040C0u);
  EXPECT_EQ(At(Left - 10, Top + 5), Marker);
  EXPECT_EQ(At(1900, 600), Marker);
  // A frame with nothing marked paints nothing.
  View->RenderFrame();
  EXPECT_EQ(Layer->PaintCount(), 2);
}

// The band is one bitmap for every band: a marked part painted in it must not show what the
// band held for another band or an earlier paint, which a translucent fill would blend with.
TEST_P(LayerBandTest, MarkedPartsOfATranslucentSurfaceShowWhatAWholePaintShows) {
  Layer->Fill()->SetKind(TBrushKind::Solid);
  Layer->Fill()->SetColor(0x80FF0000);
  // One control in the first band, one in the second, in the same columns.
  const float BandHeight = TCustomLayer3D::BandRows(Layer->BufferWidth()) / GetParam();
  auto* First = new TSwatch(Layer, 0x802040C0);
  First->SetBounds(100, 10, 200, 30);
  First->SetParent(Layer);
  auto* Second = new TSwatch(Layer, 0x802040C0);
  Second->SetBounds(100, BandHeight + 5, 200, 30);
  Second->SetParent(Layer);
  View->RenderFrame();
  for (TSwatch* S : {First, Second, Second}) {
    S->Color = 0x80C04020;
    S->Repaint();
    View->RenderFrame();
  }
  const std::vector<uint32_t> Texture = TexturePixels(*Layer);
  // Asked for, the bitmap is painted whole: the picture the marked parts must have kept. Where
  // the diagonal line crosses a marked part's edge, its anti-aliasing cut by the clip may
  // differ by a few levels; a fill blended twice differs by a quarter of the range.
  const std::vector<uint32_t> Whole = BitmapPixels(*Layer->Buffer());
  int FarApart = 0;
  for (size_t I = 0; I < Texture.size(); ++I)
    for (int Shift = 0; Shift < 32; Shift += 8)
      if (std::abs(static_cast<int>((Texture[I] >> Shift) & 0xFF) - static_cast<int>((Whole[I] >> Shift) & 0xFF)) > 8) {
        if (++FarApart <= 5) ADD_FAILURE() << "pixel (" << I % Layer->BufferWidth() << ", " << I / Layer->BufferWidth() << ")";
        break;
      }
  EXPECT_EQ(FarApart, 0);
}

TEST_P(LayerBandTest, ADeviceHoldingNoneOfTheSurfaceGetsAllOfItAgain) {
  View->RenderFrame();
  const std::vector<uint32_t> First = TexturePixels(*Layer);
  Layer->LayerTexture().SetResource(std::make_unique<TLostResource>());
  ASSERT_TRUE(Layer->UpdateRects().empty());
  View->RenderFrame();
  EXPECT_EQ(Layer->PaintCount(), 2);
  EXPECT_TRUE(TexturePixels(*Layer) == First);
}

TEST_P(LayerBandTest, ABitmapAskedForWhilePaintingGetsTheWholePicture) {
  auto* Asker = new TDiagonal(Root);
  Asker->AskForBufferOf = Layer;
  Asker->SetBounds(0, 0, 10, 10);
  Asker->SetParent(Layer);
  View->RenderFrame();
  ASSERT_TRUE(Layer->HasBuffer());
  Asker->AskForBufferOf = nullptr;
  const std::vector<uint32_t> Bitmap = BitmapPixels(*Layer->Buffer());
  EXPECT_EQ(Layer->Buffer()->Pixel(5, Layer->BufferHeight() - 1), 0xFFFFFFFFu);
  // The next frame shows the bitmap; it holds what the bands gave.
  View->RenderFrame();
  EXPECT_TRUE(TexturePixels(*Layer) == Bitmap);
}

// A paint handler is the user's code: it is called once a paint with the whole surface, as
// without bands, so the layer paints a bitmap of the whole surface for it.
TEST_P(LayerBandTest, ALayerWithAPaintHandlerCallsItOnceAPaintOnAWholeBitmap) {
  TPaintCalls Calls;
  Layer->OnPaint = TLayerPaintEvent(&Calls, &TPaintCalls::Paint);
  View->RenderFrame();
  ASSERT_EQ(Calls.Rects.size(), 1u);
  EXPECT_EQ(Calls.Rects[0], TRectF(0, 0, 2048, 640));
  EXPECT_TRUE(Layer->HasBuffer());
  Swatch->Repaint();
  View->RenderFrame();
  EXPECT_EQ(Calls.Rects.size(), 2u);
  EXPECT_TRUE(Layer->HasBuffer()) << "the bitmap stays while the handler is set";
  // Without the handler the layer goes back to bands: the bitmap goes to the texture and is let go.
  Layer->OnPaint = nullptr;
  Swatch->Repaint();
  View->RenderFrame();
  EXPECT_FALSE(Layer->HasBuffer());
  EXPECT_EQ(Calls.Rects.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Scales, LayerBandTest, ::testing::Values(1.0f, 1.5f));

// A surface painted while no device could take it (the device still being made) is painted
// into the bitmap; once a device can, the bitmap goes to the texture and is let go.
TEST(LayerBandHandOff, ABitmapPaintedBeforeTheDeviceGoesToTheTextureAndIsLetGo) {
  auto* Root = new TScaledRoot(nullptr);
  auto* View = new TViewport3D(Root);
  View->SetParent(Root);
  View->SetBounds(0, 0, 64, 48);
  if (!View->GetContext() || !View->GetContext()->HoldsTexturePixels() || !TGLDevice::Instance()) {
    Root->Free();
    GTEST_SKIP() << "no device that keeps texture pixels on this machine";
  }
  auto* Layer = NewBandLayer(Root);
  Layer->PaintMarked();
  EXPECT_TRUE(Layer->HasBuffer());
  EXPECT_EQ(Layer->PaintCount(), 1);
  Layer->SetParent(View);
  View->RenderFrame();
  EXPECT_FALSE(Layer->HasBuffer());
  EXPECT_EQ(Layer->PaintCount(), 1) << "handed over, not painted again";
  const std::vector<uint32_t> Texture = TexturePixels(*Layer);
  EXPECT_TRUE(Texture == BitmapPixels(*Layer->Buffer()));
  EXPECT_EQ(Texture[5], 0xFF000000u);
  Root->Free();
}

}  // namespace
