// The GL back end on a real EGL device (Mesa's software device where there is no GPU): what
// the render states, materials, resolve and readback do to actual pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <memory>
#include <vector>

#include "scene3d/Material.h"
#include "scene3d/context/ContextManager.h"
#include "scene3d/context/GLContext.h"
#include "scene3d/context/GLDevice.h"
#include "scene3d/context/Texture.h"
#include "scene3d/context/detail/GLHeaders.h"
#include "shell/canvas/Bitmap.h"

namespace {
struct TRGBA {
  int R, G, B, A;
};

// The stored (premultiplied) bytes of one pixel.
TRGBA Raw(TBitmap& Bitmap, int X, int Y) {
  TBitmapData D;
  EXPECT_TRUE(Bitmap.Map(TMapAccess::Read, D));
  const uint32_t P = D.Scanline(Y)[X];
  Bitmap.Unmap(D);
  return {static_cast<int>((P >> 16) & 0xFF), static_cast<int>((P >> 8) & 0xFF), static_cast<int>(P & 0xFF),
          static_cast<int>(P >> 24)};
}

TRGBA Raw(const std::unique_ptr<TBitmap>& Bitmap, int X, int Y) { return Raw(*Bitmap, X, Y); }

::testing::AssertionResult Near(const TRGBA& Got, const TRGBA& Want, int Tolerance) {
  if (std::abs(Got.R - Want.R) <= Tolerance && std::abs(Got.G - Want.G) <= Tolerance &&
      std::abs(Got.B - Want.B) <= Tolerance && std::abs(Got.A - Want.A) <= Tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got (" << Got.R << ", " << Got.G << ", " << Got.B << ", " << Got.A
                                       << "), want (" << Want.R << ", " << Want.G << ", " << Want.B << ", " << Want.A
                                       << ") within " << Tolerance;
}

// The device every test here draws on: the one the process has, else the first that the
// automatic order can make.
TGLDevice* Device() {
  if (TGLDevice* Made = TGLDevice::Instance()) return Made;
  for (TGLDeviceKind Kind : TContextManager::DeviceOrder(TDeviceChoice::Auto, true, false))
    if (TGLDevice* Made = TGLDevice::TryCreate(Kind)) return Made;
  return nullptr;
}

class GLContextTest : public ::testing::Test {
 protected:
  static constexpr int W = 64, H = 48;

  void SetUp() override {
    if (!Device()) GTEST_SKIP() << "no EGL device can be made on this machine";
    TContext3D::ResetContextStates();
  }

  // A render-target texture and a context on it; both live until the test ends.
  TGLContext& Make(int Width = W, int Height = H, TMultisample Multisample = TMultisample::None) {
    auto T = std::make_unique<TTexture>();
    T->SetStyle(TTextureStyle::RenderTarget);
    T->SetSize(Width, Height);
    FContexts.push_back(std::make_unique<TGLContext>(*Device(), T.get(), Multisample, true));
    FTextures.push_back(std::move(T));
    return *FContexts.back();
  }

  // Opens a scene cleared to Background with every group in a known state: a test may leave
  // the shared device in any state.
  static void Begin(TContext3D& C, TAlphaColor Background = TAlphaColors::White) {
    ASSERT_TRUE(C.BeginScene());
    for (TContextState S : {cs3DScene, csZTestOff, csZWriteOn, csAlphaBlendOn, csStencilOff, csColorWriteOn,
                            csScissorOff, csAllFace})
      C.SetContextState(S);
    C.Clear(TClearTargets{TClearTarget::Color, TClearTarget::Depth, TClearTarget::Stencil}, Background, 1, 0);
    // World = inverse projection with the identity camera: vertices are given in clip space.
    C.SetMatrix(C.GetInvProjectionMatrix());
  }

  // Clip-space position of pixel corner (PX, PY) at depth Z (0 near, 1 far).
  static TPoint3D At(const TContext3D& C, float PX, float PY, float Z) {
    return {2 * PX / C.Width() - 1, 1 - 2 * PY / C.Height(), Z};
  }

  // A rectangle of pixels as two triangles that run clockwise on the screen, or
  // counter-clockwise when Reversed; U, V run from 0 at the top left to 1 at the bottom right.
  static void Quad(TContext3D& C, float X0, float Y0, float X1, float Y1, float Z, TMaterial* M, float Opacity,
                   bool Reversed = false) {
    TVertexBuffer V;
    V.SetLength(4);
    const float Xs[] = {X0, X1, X1, X0}, Ys[] = {Y0, Y0, Y1, Y1}, Us[] = {0, 1, 1, 0}, Vs[] = {0, 0, 1, 1};
    for (int I = 0; I < 4; ++I) {
      V.Vertex(I).Position = At(C, Xs[I], Ys[I], Z);
      V.Vertex(I).U = Us[I];
      V.Vertex(I).V = Vs[I];
    }
    TIndexBuffer Ix;
    Ix.SetLength(6);
    const uint32_t Cw[] = {0, 1, 2, 0, 2, 3}, Ccw[] = {0, 2, 1, 0, 3, 2};
    for (int I = 0; I < 6; ++I) Ix.Index(I) = Reversed ? Ccw[I] : Cw[I];
    C.DrawTriangles(V, Ix, M, Opacity);
  }

  static std::unique_ptr<TBitmap> Finish(TContext3D& C) {
    C.EndScene();
    auto B = std::make_unique<TBitmap>(C.Width(), C.Height());
    C.CopyToBitmap(*B);
    return B;
  }

  std::vector<std::unique_ptr<TTexture>> FTextures;
  std::vector<std::unique_ptr<TGLContext>> FContexts;
};
}  // namespace

// The test list runs these tests again on a device without clip control (Mesa told to hide
// it); this says which path drew, so that such a run cannot pass on the other one unnoticed.
TEST_F(GLContextTest, TheDeviceSetsTheClipSpaceAsExpected) {
  const char* Expected = std::getenv("KELVANE_EXPECT_CLIP_CONTROL");
  if (!Expected) GTEST_SKIP() << "KELVANE_EXPECT_CLIP_CONTROL names the device expected";
  EXPECT_EQ(Device()->ClipControl(), std::string(Expected) == "1");
}

TEST_F(GLContextTest, ClearFillsTheWholeTargetWithTheStraightColour) {
  TGLContext& C = Make();
  Begin(C, 0xFF336699);
  auto B = Finish(C);
  for (auto [X, Y] : {std::pair{0, 0}, {W - 1, 0}, {0, H - 1}, {W - 1, H - 1}, {W / 2, H / 2}})
    EXPECT_TRUE(Near(Raw(B, X, Y), {0x33, 0x66, 0x99, 0xFF}, 0)) << X << "," << Y;
}

TEST_F(GLContextTest, ClearReachesTargetsThatTheMasksProtectFromDrawing) {
  TGLContext& C = Make();
  TColorMaterial Yellow;
  Yellow.SetColor(TAlphaColors::Yellow);
  Begin(C);
  C.SetContextState(csZTestOn);
  Quad(C, 0, 0, W, H, 0.5f, &Yellow, 1);
  C.SetContextState(csColorWriteOff);
  C.SetContextState(csZWriteOff);
  C.Clear(TClearTargets{TClearTarget::Color, TClearTarget::Depth}, TAlphaColors::White, 1, 0);
  C.SetContextState(csColorWriteOn);
  C.SetContextState(csZWriteOn);
  // Behind the cleared quad's depth: drawn only if the depth clear took place.
  TColorMaterial Blue;
  Blue.SetColor(TAlphaColors::Blue);
  Quad(C, 0, 0, W / 2.0f, H, 0.7f, &Blue, 1);
  auto B = Finish(C);
  EXPECT_TRUE(Near(Raw(B, 5, 5), {0, 0, 255, 255}, 0));
  EXPECT_TRUE(Near(Raw(B, W - 5, 5), {255, 255, 255, 255}, 0));
}

TEST_F(GLContextTest, ClearingTheDepthKeepsTheStencilValue) {
  // One sample, so the depth-stencil buffer hangs on the framebuffer the scene binds for reading.
  TGLContext& C = Make();
  const auto Stencil = [] {
    GLubyte Value = 0xAB;
    glReadPixels(5, 5, 1, 1, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, &Value);
    return static_cast<int>(Value);
  };
  using T = TClearTarget;
  ASSERT_TRUE(C.BeginScene());
  EXPECT_EQ(Stencil(), 0) << "a new buffer";
  C.EndScene();
  const struct {
    TClearTargets Targets;
    uint32_t Value;
    int Want;
  } Cases[] = {
      {TClearTargets{T::Color, T::Depth, T::Stencil}, 7, 7},
      {TClearTargets{T::Color, T::Depth}, 3, 7},
      {TClearTargets{T::Depth}, 9, 7},
      {TClearTargets{T::Stencil}, 2, 2},
      {TClearTargets{T::Color}, 5, 2},
  };
  // A scene's clears reach the device when it ends; the next scene reads what they left.
  for (const auto& Case : Cases) {
    ASSERT_TRUE(C.BeginScene());
    C.Clear(Case.Targets, TAlphaColors::White, 1, Case.Value);
    C.EndScene();
    ASSERT_TRUE(C.BeginScene());
    EXPECT_EQ(Stencil(), Case.Want) << "after a clear with value " << Case.Value;
    C.EndScene();
  }
}

TEST_F(GLContextTest, MaterialColoursAndOpacityOverWhite) {
  struct TCase {
    const char* Name;
    TAlphaColor Color;  // 0: no material, the default red
    float Opacity;
    TRGBA Want;
    int Tolerance;
  };
  // Half values (127.5) may round either way on the device, hence a tolerance of 1 there.
  const TCase Cases[] = {
      {"yellow", TAlphaColors::Yellow, 1, {255, 255, 0, 255}, 0},
      {"default red", 0, 1, {255, 0, 0, 255}, 0},
      {"yellow at half", TAlphaColors::Yellow, 0.5f, {255, 255, 128, 255}, 1},
      {"red material at half", TAlphaColors::Red, 0.5f, {255, 128, 128, 255}, 1},
      // src = (0.5, 0, 0, 0.5 × 127/255): the default material's alpha is halved twice.
      {"default red at half", 0, 0.5f, {255, 191, 191, 255}, 1},
  };
  for (const TCase& K : Cases) {
    TGLContext& C = Make();
    TColorMaterial M;
    M.SetColor(K.Color);
    Begin(C);
    Quad(C, 8, 8, 40, 40, 0.5f, K.Color ? &M : nullptr, K.Opacity);
    auto B = Finish(C);
    EXPECT_TRUE(Near(Raw(B, 20, 20), K.Want, K.Tolerance)) << K.Name;
    EXPECT_TRUE(Near(Raw(B, 50, 20), {255, 255, 255, 255}, 0)) << K.Name;
  }
}

TEST_F(GLContextTest, DefaultRedAtHalfIsPalerThanARedMaterial) {
  TGLContext& C = Make();
  TColorMaterial Red;
  Begin(C);
  Quad(C, 0, 0, 32, H, 0.5f, nullptr, 0.5f);
  Quad(C, 32, 0, W, H, 0.5f, &Red, 0.5f);
  auto B = Finish(C);
  const TRGBA Default = Raw(B, 10, 10), Material = Raw(B, 50, 10);
  EXPECT_GT(Default.G, Material.G + 50);
  EXPECT_NEAR(Default.G / 255.0, 0.751, 0.004);
}

TEST_F(GLContextTest, BlendingOffStoresTheSourceAndColourWriteOffStoresNothing) {
  TGLContext& C = Make();
  TColorMaterial Yellow;
  Yellow.SetColor(TAlphaColors::Yellow);
  Begin(C);
  C.SetContextState(csAlphaBlendOff);
  Quad(C, 0, 0, 32, H, 0.5f, &Yellow, 0.5f);
  C.SetContextState(csAlphaBlendOn);
  C.SetContextState(csColorWriteOff);
  Quad(C, 32, 0, W, H, 0.5f, &Yellow, 1);
  C.SetContextState(csColorWriteOn);
  auto B = Finish(C);
  EXPECT_TRUE(Near(Raw(B, 10, 10), {128, 128, 0, 128}, 1));
  EXPECT_TRUE(Near(Raw(B, 50, 10), {255, 255, 255, 255}, 0));
}

TEST_F(GLContextTest, ReadbackKeepsChannelsWithinAlpha) {
  // On a transparent background the default red at half leaves red 0.5 over alpha 0.249,
  // which a premultiplied bitmap cannot hold; the readback limits red to alpha.
  TGLContext& C = Make();
  Begin(C, TAlphaColors::Null);
  Quad(C, 0, 0, W, H, 0.5f, nullptr, 0.5f);
  auto B = Finish(C);
  const TRGBA P = Raw(B, 10, 10);
  EXPECT_NEAR(P.A, 64, 1);
  EXPECT_EQ(P.R, P.A);
  EXPECT_EQ(P.G, 0);
  EXPECT_EQ(B->Pixel(10, 10) & 0x00FFFFFF, 0x00FF0000u);
}

TEST_F(GLContextTest, ReadbackLimitsEveryPixelOfARowWhateverItsWidth) {
  // Widths that leave 0 to 3 pixels after the groups of four the readback works in; the left
  // part holds invalid premultiplied pixels (limited), the right part opaque yellow (kept).
  for (int Width : {64, 65, 66, 67}) {
    TGLContext& C = Make(Width, 8);
    TColorMaterial Yellow;
    Yellow.SetColor(TAlphaColors::Yellow);
    Begin(C, TAlphaColors::Null);
    Quad(C, 0, 0, 33, 8, 0.5f, nullptr, 0.5f);
    Quad(C, 33, 0, static_cast<float>(Width), 8, 0.5f, &Yellow, 1);
    auto B = Finish(C);
    for (int X = 0; X < Width; ++X) {
      const TRGBA P = Raw(B, X, 3);
      if (X < 33) {
        EXPECT_NEAR(P.A, 64, 1) << Width << ": " << X;
        EXPECT_EQ(P.R, P.A) << Width << ": " << X;
        EXPECT_EQ(P.G, 0) << Width << ": " << X;
      } else {
        EXPECT_TRUE(Near(P, {255, 255, 0, 255}, 0)) << Width << ": " << X;
      }
    }
  }
}

// The target keeps the bitmap's order of channels, with one sample and through a resolve: a
// colour whose red, green and blue all differ comes back exactly.
TEST_F(GLContextTest, ReadbackKeepsEveryChannelInPlaceWithAndWithoutAResolve) {
  for (TMultisample Samples : {TMultisample::None, TMultisample::FourSamples}) {
    TGLContext& C = Make(W, H, Samples);
    TColorMaterial Ochre;
    Ochre.SetColor(0xFFC08040);
    Begin(C, 0xFF102030);
    Quad(C, 0, 0, 32, H, 0.5f, &Ochre, 1);
    auto B = Finish(C);
    EXPECT_EQ(B->Pixel(10, 10), 0xFFC08040u) << C.SampleCount() << " samples";
    EXPECT_EQ(B->Pixel(50, 10), 0xFF102030u) << C.SampleCount() << " samples";
  }
}

// A frame is known opaque only when every pixel read back is: one transparent pixel anywhere
// in a row (at its start, inside the groups the check reads at once, last in the tail after
// them) is found.
TEST_F(GLContextTest, AFrameIsKnownOpaqueOnlyWhenEveryPixelIs) {
  constexpr int Rows = 6, HoleRow = 3;
  TColorMaterial Grey;
  Grey.SetColor(0xFF808080);
  for (int Width : {64, 67, 71})
    for (int Hole : {-1, 0, 5, Width - 1}) {
      TGLContext& C = Make(Width, Rows);
      Begin(C, TAlphaColors::Null);
      if (Hole < 0) {
        Quad(C, 0, 0, static_cast<float>(Width), Rows, 0.5f, &Grey, 1);
      } else {
        Quad(C, 0, 0, static_cast<float>(Width), HoleRow, 0.5f, &Grey, 1);
        Quad(C, 0, HoleRow + 1, static_cast<float>(Width), Rows, 0.5f, &Grey, 1);
        Quad(C, 0, HoleRow, static_cast<float>(Hole), HoleRow + 1, 0.5f, &Grey, 1);
        Quad(C, static_cast<float>(Hole + 1), HoleRow, static_cast<float>(Width), HoleRow + 1, 0.5f, &Grey, 1);
      }
      auto B = Finish(C);
      EXPECT_EQ(B->KnownOpaque(), Hole < 0) << Width << " wide, hole at " << Hole;
      if (Hole >= 0) {
        EXPECT_EQ(B->Pixel(Hole, HoleRow), 0u) << Width << " wide, hole at " << Hole;
        EXPECT_EQ(B->Pixel(Hole == 0 ? 1 : Hole - 1, HoleRow), 0xFF808080u) << Width << " wide, hole at " << Hole;
      }
    }
  // A bitmap larger than the frame keeps pixels the frame did not reach.
  TGLContext& C = Make();
  Begin(C);
  C.EndScene();
  TBitmap Same(W, H), Larger(W + 3, H);
  C.CopyToBitmap(Same);
  C.CopyToBitmap(Larger);
  EXPECT_TRUE(Same.KnownOpaque());
  EXPECT_FALSE(Larger.KnownOpaque());
}

TEST_F(GLContextTest, DepthTestIsLessOrEqualAndTransparentObjectsStillWriteDepth) {
  TGLContext& C = Make();
  TColorMaterial Yellow, Blue;
  Yellow.SetColor(TAlphaColors::Yellow);
  Blue.SetColor(TAlphaColors::Blue);
  Begin(C);
  C.SetContextState(csZTestOn);
  C.SetContextState(csZWriteOn);
  // Left half: an invisible object in front hides the yellow one drawn after it behind it.
  Quad(C, 0, 0, 32, H, 0.2f, &Blue, 0);
  Quad(C, 0, 0, W, H, 0.6f, &Yellow, 1);
  // Right half: equal depth passes.
  Quad(C, 32, 0, W, H, 0.6f, &Blue, 1);
  auto B = Finish(C);
  EXPECT_TRUE(Near(Raw(B, 10, 10), {255, 255, 255, 255}, 0));
  EXPECT_TRUE(Near(Raw(B, 50, 10), {0, 0, 255, 255}, 0));

  // Without the depth test the later, farther object covers the nearer one.
  TGLContext& D = Make();
  Begin(D);
  D.SetContextState(csZTestOff);
  Quad(D, 0, 0, W, H, 0.2f, &Blue, 1);
  Quad(D, 0, 0, W, H, 0.6f, &Yellow, 1);
  auto E = Finish(D);
  EXPECT_TRUE(Near(Raw(E, 10, 10), {255, 255, 0, 255}, 0));
}

TEST_F(GLContextTest, FaceStatesCullByScreenWinding) {
  struct TCase {
    TContextState State;
    bool Clockwise, CounterClockwise;
  };
  const TCase Cases[] = {{csFrontFace, true, false}, {csBackFace, false, true}, {csAllFace, true, true}};
  TColorMaterial Yellow;
  Yellow.SetColor(TAlphaColors::Yellow);
  for (const TCase& K : Cases) {
    TGLContext& C = Make();
    Begin(C);
    C.SetContextState(K.State);
    Quad(C, 0, 0, 32, H, 0.5f, &Yellow, 1, false);
    Quad(C, 32, 0, W, H, 0.5f, &Yellow, 1, true);
    auto B = Finish(C);
    EXPECT_EQ(Raw(B, 10, 10).B == 0, K.Clockwise) << K.State;
    EXPECT_EQ(Raw(B, 50, 10).B == 0, K.CounterClockwise) << K.State;
  }
}

TEST_F(GLContextTest, FrontFacesThroughTheSceneCameraAndProjection) {
  // The design camera's view, as the viewport sets it, and triangles lying on the sea plane:
  // whether each one runs clockwise on the screen is worked out from the context's own
  // projection, and only those are drawn with csFrontFace.
  const TMatrix3D View = TMatrix3D::CreateLookAtDirRH({0, -6.8404f, -18.7939f}, {0, -0.3420f, -0.9397f},
                                                      {0, -0.9397f, 0.3420f});
  TColorMaterial Yellow;
  Yellow.SetColor(TAlphaColors::Yellow);
  for (bool Flip : {false, true}) {
    TGLContext& C = Make(160, 120);
    ASSERT_TRUE(C.BeginScene());
    for (TContextState S : {cs3DScene, csZTestOff, csAlphaBlendOn, csColorWriteOn, csScissorOff, csFrontFace})
      C.SetContextState(S);
    C.Clear(TClearTargets{TClearTarget::Color, TClearTarget::Depth}, TAlphaColors::White, 1, 0);
    C.SetCameraMatrix(View);
    TVertexBuffer V;
    V.SetLength(3);
    V.Vertex(0).Position = {-3, 0, -2};
    V.Vertex(1).Position = {3, 0, -2};
    V.Vertex(2).Position = {0, 0, 4};
    TIndexBuffer I;
    I.SetLength(3);
    I.Index(0) = 0;
    I.Index(1) = Flip ? 2 : 1;
    I.Index(2) = Flip ? 1 : 2;
    // Screen positions with Y down, from the model-view-projection the material receives.
    const TMatrix3D MVP = C.CurrentModelViewProjectionMatrix();
    float SX[3], SY[3];
    for (int K = 0; K < 3; ++K) {
      const TVector3D P = TVector3D(V.Vertex(static_cast<int>(I.Index(K))).Position) * MVP;
      SX[K] = (P.X / P.W + 1) / 2 * C.Width();
      SY[K] = (1 - P.Y / P.W) / 2 * C.Height();
    }
    // With Y down a positive cross product turns clockwise.
    const float Cross = (SX[1] - SX[0]) * (SY[2] - SY[0]) - (SY[1] - SY[0]) * (SX[2] - SX[0]);
    C.DrawTriangles(V, I, &Yellow, 1);
    auto B = Finish(C);
    const int CX = static_cast<int>((SX[0] + SX[1] + SX[2]) / 3), CY = static_cast<int>((SY[0] + SY[1] + SY[2]) / 3);
    EXPECT_EQ(Raw(B, CX, CY).B == 0, Cross > 0) << "flip " << Flip << " cross " << Cross;
  }
}

TEST_F(GLContextTest, ReadbackPutsTheTopRowFirst) {
  TGLContext& C = Make();
  TColorMaterial Yellow;
  Yellow.SetColor(TAlphaColors::Yellow);
  Begin(C);
  Quad(C, 0, 0, 16, 4, 0.5f, &Yellow, 1);  // top left corner only
  auto B = Finish(C);
  EXPECT_TRUE(Near(Raw(B, 0, 0), {255, 255, 0, 255}, 0));
  EXPECT_TRUE(Near(Raw(B, 15, 3), {255, 255, 0, 255}, 0));
  EXPECT_TRUE(Near(Raw(B, 16, 0), {255, 255, 255, 255}, 0));
  EXPECT_TRUE(Near(Raw(B, 0, 4), {255, 255, 255, 255}, 0));
  EXPECT_TRUE(Near(Raw(B, 0, H - 1), {255, 255, 255, 255}, 0));
}

TEST_F(GLContextTest, CopyToABitmapOfAnotherSizeCopiesTheCommonPart) {
  TGLContext& C = Make();
  Begin(C, 0xFF102030);
  C.EndScene();
  TBitmap Small(10, 5), Large(W + 10, H + 10);
  Large.Clear(TAlphaColors::Black);
  C.CopyToBitmap(Small);
  C.CopyToBitmap(Large);
  EXPECT_EQ(Small.Pixel(9, 4), 0xFF102030u);
  EXPECT_EQ(Large.Pixel(W - 1, H - 1), 0xFF102030u);
  EXPECT_EQ(Large.Pixel(W, H), TAlphaColors::Black);
}

TEST_F(GLContextTest, TextureMaterialSamplesLinearlyAndClampsToTheEdge) {
  // Two texels across, drawn over 64 pixels: pixels 0-15 lie before the first texel's centre
  // and must show it pure (a wrapping sampler would mix in the right texel), the middle is an
  // even mix, and the top row of the bitmap is at V = 0.
  TBitmap Source(2, 2);
  TBitmapData D;
  ASSERT_TRUE(Source.Map(TMapAccess::Write, D));
  D.SetPixel(0, 0, 0xFFFF0000);
  D.SetPixel(1, 0, 0xFF0000FF);
  D.SetPixel(0, 1, 0xFF00FF00);
  D.SetPixel(1, 1, 0xFFFFFFFF);
  Source.Unmap(D);
  TTexture Texture;
  Texture.SetStyle(TTextureStyles{});
  Texture.LoadFromBitmap(Source);
  TTextureMaterial M;
  M.SetTexture(&Texture);

  TGLContext& C = Make(64, 64);
  Begin(C);
  Quad(C, 0, 0, 64, 64, 0.5f, &M, 1);
  auto B = Finish(C);
  EXPECT_TRUE(Near(Raw(B, 0, 0), {255, 0, 0, 255}, 0));
  EXPECT_TRUE(Near(Raw(B, 15, 15), {255, 0, 0, 255}, 0));
  EXPECT_TRUE(Near(Raw(B, 63, 0), {0, 0, 255, 255}, 0));
  EXPECT_TRUE(Near(Raw(B, 0, 63), {0, 255, 0, 255}, 0));
  EXPECT_TRUE(Near(Raw(B, 63, 63), {255, 255, 255, 255}, 0));
  // Pixel 31 samples 31.5 / 64 of the way across: 48.4 % of the way from the red texel's
  // centre to the blue one's.
  EXPECT_TRUE(Near(Raw(B, 31, 0), {132, 0, 123, 255}, 3));
}

TEST_F(GLContextTest, TextureOpacityScalesTheTexel) {
  TBitmap Source(1, 1);
  Source.Clear(0xFF0000FF);
  TTexture Texture;
  Texture.LoadFromBitmap(Source);
  TTextureMaterial M;
  M.SetTexture(&Texture);
  TGLContext& C = Make();
  Begin(C);
  Quad(C, 0, 0, W, H, 0.5f, &M, 0.5f);
  auto B = Finish(C);
  EXPECT_TRUE(Near(Raw(B, 10, 10), {128, 128, 255, 255}, 1));
}

TEST_F(GLContextTest, MipLevelsAverageAMinifiedTexture) {
  // Stripes two texels wide, offset by one, so that the two texels nearest to each sample
  // point are white while the area a pixel covers is half black: without mip levels a pixel
  // shows white, with them grey.
  TBitmap Source(64, 64);
  TBitmapData D;
  ASSERT_TRUE(Source.Map(TMapAccess::Write, D));
  for (int Y = 0; Y < 64; ++Y)
    for (int X = 0; X < 64; ++X) D.SetPixel(X, Y, ((X + 1) / 2) % 2 == 0 ? 0xFFFFFFFF : 0xFF000000);
  Source.Unmap(D);
  for (bool Mip : {false, true}) {
    TTexture Texture;
    Texture.SetStyle(Mip ? TTextureStyles{TTextureStyle::MipMaps} : TTextureStyles{});
    Texture.LoadFromBitmap(Source);
    TTextureMaterial M;
    M.SetTexture(&Texture);
    TGLContext& C = Make(8, 8);
    Begin(C, TAlphaColors::Black);
    Quad(C, 0, 0, 8, 8, 0.5f, &M, 1);
    auto B = Finish(C);
    const int G = Raw(B, 3, 3).G;
    if (Mip) {
      EXPECT_NEAR(G, 128, 8);
    } else {
      EXPECT_EQ(G, 255);
    }
  }
}

TEST_F(GLContextTest, AnUnchangedBitmapIsUploadedOnce) {
  TBitmap Source(4, 4);
  Source.Clear(0xFF00FF00);
  TTexture Texture;
  TTextureMaterial M;
  M.SetTexture(&Texture);
  TGLContext& C = Make();
  const uint64_t Before = Device()->TextureUploads();
  for (int Frame = 0; Frame < 3; ++Frame) {
    Texture.LoadFromBitmap(Source);
    Begin(C);
    Quad(C, 0, 0, W, H, 0.5f, &M, 1);
    Finish(C);
  }
  EXPECT_EQ(Device()->TextureUploads(), Before + 1);
  Source.Clear(0xFFFF0000);
  Texture.LoadFromBitmap(Source);
  Begin(C);
  Quad(C, 0, 0, W, H, 0.5f, &M, 1);
  auto B = Finish(C);
  EXPECT_EQ(Device()->TextureUploads(), Before + 2);
  EXPECT_TRUE(Near(Raw(B, 5, 5), {255, 0, 0, 255}, 0));
}

TEST_F(GLContextTest, MultisamplingUsesTheChosenCountAndSmoothsEdges) {
  const std::vector<int>& Supported = Device()->SupportedSampleCounts();
  for (TMultisample Requested : {TMultisample::None, TMultisample::TwoSamples, TMultisample::FourSamples}) {
    TGLContext& C = Make(W, H, Requested);
    const int Expected = ChooseSampleCount(Requested, Supported);
    EXPECT_EQ(C.SampleCount(), Expected);
    // A slanted edge: with several samples some pixels along it come out between the colours.
    TColorMaterial Black;
    Black.SetColor(TAlphaColors::Black);
    Begin(C);
    TVertexBuffer V;
    V.SetLength(3);
    V.Vertex(0).Position = GLContextTest::At(C, 0, 0, 0.5f);
    V.Vertex(1).Position = GLContextTest::At(C, W, 0, 0.5f);
    V.Vertex(2).Position = GLContextTest::At(C, 0, H * 0.77f, 0.5f);
    TIndexBuffer I;
    I.SetLength(3);
    for (int K = 0; K < 3; ++K) I.Index(K) = static_cast<uint32_t>(K);
    C.DrawTriangles(V, I, &Black, 1);
    auto B = Finish(C);
    int Between = 0;
    for (int Y = 0; Y < H; ++Y)
      for (int X = 0; X < W; ++X) {
        const int G = Raw(B, X, Y).G;
        if (G != 0 && G != 255) ++Between;
      }
    if (Expected > 1) {
      EXPECT_GT(Between, 10) << Expected;
    } else {
      EXPECT_EQ(Between, 0);
    }
  }
}

TEST_F(GLContextTest, AZeroSizedTargetNeverBeginsAScene) {
  TGLContext& C = Make(0, 10);
  EXPECT_FALSE(C.BeginScene());
  EXPECT_EQ(C.BeginSceneCount(), 0);
  TBitmap B(5, 5);
  B.Clear(TAlphaColors::Blue);
  C.CopyToBitmap(B);
  EXPECT_EQ(B.Pixel(1, 1), TAlphaColors::Blue);
}

TEST_F(GLContextTest, RebuildingContextsLeaksNoGLObjects) {
  // What a viewport does on every resize: free bitmap, texture and context, make new ones at
  // the new size, draw a frame.
  TColorMaterial Yellow;
  Yellow.SetColor(TAlphaColors::Yellow);
  TBitmap Surface(8, 8);
  Surface.Clear(TAlphaColors::Blue);
  TTexture Layer;
  Layer.LoadFromBitmap(Surface);
  TTextureMaterial LayerMaterial;
  LayerMaterial.SetTexture(&Layer);
  auto Frame = [&](int Size, TMultisample Multisample) {
    auto Texture = std::make_unique<TTexture>();
    Texture->SetStyle(TTextureStyle::RenderTarget);
    Texture->SetSize(Size, Size * 2 / 3);
    auto C = TContextManager::CreateContextFromTexture(Texture.get(), Multisample, true);
    auto Bitmap = std::make_unique<TBitmap>(C->Width(), C->Height());
    Begin(*C);
    Quad(*C, 0, 0, 10, 10, 0.5f, &Yellow, 1);
    Quad(*C, 10, 0, 20, 10, 0.5f, nullptr, 0.5f);
    Quad(*C, 0, 10, 20, 20, 0.5f, &LayerMaterial, 1);
    C->EndScene();
    C->CopyToBitmap(*Bitmap);
    EXPECT_EQ(Bitmap->Pixel(5, 5), TAlphaColors::Yellow);
    EXPECT_EQ(Bitmap->Pixel(5, 15), TAlphaColors::Blue);
    // The viewport's order: bitmap, texture, context.
    Bitmap.reset();
    Texture.reset();
    C.reset();
  };
  ASSERT_EQ(TContextManager::DefaultContextClass(), "TGLContext");
  Frame(40, TMultisample::FourSamples);
  const int Live = Device()->LiveObjectCount();
  const TMultisample Kinds[] = {TMultisample::None, TMultisample::TwoSamples, TMultisample::FourSamples};
  for (int I = 0; I < 150; ++I) Frame(40 + I, Kinds[I % 3]);
  EXPECT_EQ(Device()->LiveObjectCount(), Live);
}

TEST_F(GLContextTest, TheManagerNamesTheDeviceAndRefusesASecondKind) {
  TContextManager::SetDeviceChoice(TDeviceChoice::Auto);
  EXPECT_EQ(TContextManager::DefaultContextClass(), "TGLContext");
  EXPECT_EQ(TContextManager::DeviceRenderer(), Device()->Renderer());
  EXPECT_FALSE(Device()->Renderer().empty());
  TTexture T;
  T.SetSize(4, 4);
  auto C = TContextManager::CreateContextFromTexture(&T, TMultisample::None, true);
  EXPECT_EQ(C->DeviceName(), "TGLContext (" + Device()->Renderer() + ")");

  // One device serves the process: forcing the other kind cannot be honoured.
  const bool IsHardware = Device()->Kind() == TGLDeviceKind::Hardware;
  TContextManager::SetDeviceChoice(IsHardware ? TDeviceChoice::Software : TDeviceChoice::GPU);
  try {
    TContextManager::CreateContextFromTexture(&T, TMultisample::None, true);
    ADD_FAILURE() << "no error";
  } catch (const ECannotCreateD3DDevice& E) {
    EXPECT_STREQ(E.what(), "Cannot create Direct3D device for 'TGLContext'.");
  }
  // Forcing the kind in use works.
  TContextManager::SetDeviceChoice(IsHardware ? TDeviceChoice::GPU : TDeviceChoice::Software);
  if (Device()->Kind() != TGLDeviceKind::Surfaceless) {
    EXPECT_NE(dynamic_cast<TGLContext*>(TContextManager::CreateContextFromTexture(&T, TMultisample::None, true).get()),
              nullptr);
  }
  TContextManager::SetDeviceChoice(TDeviceChoice::Auto);
}

// A frame that relies on the device's initial settings of depth test, culling and blending:
// set Explicitly, or left as the device was made; a mip-mapped texture is drawn minified.
std::vector<uint32_t> FrameInInitialSettings(TGLDevice& D, bool Explicitly) {
  TContext3D::ResetContextStates();
  TTexture Target;
  Target.SetStyle(TTextureStyle::RenderTarget);
  Target.SetSize(32, 24);
  TGLContext C(D, &Target, TMultisample::FourSamples, true);
  TBitmap Stripes(16, 16);
  TBitmapData Data;
  EXPECT_TRUE(Stripes.Map(TMapAccess::Write, Data));
  for (int Y = 0; Y < 16; ++Y)
    for (int X = 0; X < 16; ++X) Data.SetPixel(X, Y, X % 2 ? 0xFF0000FF : 0xFFFFFF00);
  Stripes.Unmap(Data);
  TTexture Texture;
  Texture.LoadFromBitmap(Stripes);
  TTextureMaterial Textured;
  Textured.SetTexture(&Texture);
  TColorMaterial Green;
  Green.SetColor(0xFF00FF00);
  EXPECT_TRUE(C.BeginScene());
  C.Clear(TClearTargets{TClearTarget::Color, TClearTarget::Depth, TClearTarget::Stencil}, TAlphaColors::White, 1, 0);
  C.SetMatrix(C.GetInvProjectionMatrix());
  if (Explicitly)
    for (TContextState S : {csZTestOff, csZWriteOn, csAlphaBlendOn, csFrontFace}) C.SetContextState(S);
  auto Quad = [&](float X0, float X1, float Z, TMaterial* M, float Opacity, bool Reversed) {
    TVertexBuffer V;
    V.SetLength(4);
    const float Xs[] = {X0, X1, X1, X0}, Ys[] = {-0.9f, -0.9f, 0.9f, 0.9f};
    for (int I = 0; I < 4; ++I) {
      V.Vertex(I).Position = TPoint3D(Xs[I], Ys[I], Z);
      V.Vertex(I).U = I == 1 || I == 2 ? 1 : 0;
      V.Vertex(I).V = I >= 2 ? 1 : 0;
    }
    TIndexBuffer Ix;
    Ix.SetLength(6);
    // The corners go up the screen from the bottom left: 0, 2, 1 runs clockwise on it.
    const uint32_t Cw[] = {0, 2, 1, 0, 3, 2}, Ccw[] = {0, 1, 2, 0, 2, 3};
    for (int I = 0; I < 6; ++I) Ix.Index(I) = Reversed ? Ccw[I] : Cw[I];
    C.DrawTriangles(V, Ix, M, Opacity);
  };
  Quad(-0.9f, 0.5f, 0.2f, &Textured, 1, false);
  Quad(-0.5f, 0.9f, 0.8f, &Green, 0.5f, false);  // behind, but the depth test is off: drawn, blended
  Quad(-0.9f, 0.9f, 0.1f, &Green, 1, true);      // a back face: culled
  C.EndScene();
  TBitmap Out(32, 24);
  C.CopyToBitmap(Out);
  std::vector<uint32_t> Pixels;
  EXPECT_TRUE(Out.Map(TMapAccess::Read, Data));
  for (int Y = 0; Y < 24; ++Y) Pixels.insert(Pixels.end(), Data.Scanline(Y), Data.Scanline(Y) + 32);
  Out.Unmap(Data);
  return Pixels;
}

TEST(GLDeviceInBackground, ADeviceMadeOnAWorkerIsLeftInTheInitialSettings) {
  // In a process of its own (as the test runner starts each test) no device exists yet, so
  // the worker makes it; its warm-up must leave nothing of its own states behind.
  TGLDevice::OpenInBackground(TContextManager::DeviceOrder(TDeviceChoice::Auto, true, false));
  TGLDevice* D = Device();
  if (!D) GTEST_SKIP() << "no EGL device can be made on this machine";
  const std::vector<uint32_t> AsMade = FrameInInitialSettings(*D, false);
  // Half-opaque green over white, as the colour material blends it (see MaterialColoursAndOpacityOverWhite).
  EXPECT_EQ(AsMade[12 * 32 + 30], 0xFFBFFFBFu) << "the blended green alone on the right";
  EXPECT_NE(AsMade[12 * 32 + 2], 0xFF00FF00u) << "the back face in front is culled";
  EXPECT_EQ(AsMade, FrameInInitialSettings(*D, true));
  // The worker is done with the device: the main thread's requests get that same device.
  EXPECT_EQ(TGLDevice::TryCreate(D->Kind()), D);
}
