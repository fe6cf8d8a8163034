// The drawing context without a device: render-state groups, the null context, the device
// choice, the sample-count rule and the texture's data.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "scene3d/context/Context3D.h"
#include "scene3d/context/ContextManager.h"
#include "scene3d/context/GLDevice.h"
#include "scene3d/context/NullContext.h"
#include "scene3d/context/Texture.h"
#include "shell/canvas/Bitmap.h"
#include "shell/canvas/Canvas.h"
#include "tests/canvas/CanvasTestUtil.h"

namespace {
// Records what reaches the device.
class TSpyContext : public TContext3D {
 public:
  TSpyContext() : TContext3D(nullptr, 8, 8, 1, TMultisample::None, true) {}
  std::string DeviceName() const override { return "spy"; }
  std::vector<TContextState> Sent;

 protected:
  bool DoBeginScene() override { return true; }
  void DoEndScene() override {}
  void DoClear(TClearTargets, TAlphaColor, float, uint32_t) override {}
  void DoSetContextState(TContextState State) override { Sent.push_back(State); }
  void DoSetShaders(TContextShader*, TContextShader*) override {}
  void DoSetShaderVariable(const std::string&, const TShaderValue&) override {}
  void DoDrawTriangles(const TVertexBuffer&, const TIndexBuffer&) override {}
  void DoCopyToBitmap(TBitmap&, const TTargetRect&) override {}
};

class RenderStateTest : public ::testing::Test {
 protected:
  void SetUp() override { TContext3D::ResetContextStates(); }
  void TearDown() override { TContext3D::ResetContextStates(); }
};

}  // namespace

TEST_F(RenderStateTest, EachGroupKeepsExactlyOneStateCurrent) {
  struct TGroup {
    std::vector<TContextState> States;
  };
  const TGroup Groups[] = {{{cs2DScene, cs3DScene}},
                           {{csZTestOn, csZTestOff}},
                           {{csZWriteOn, csZWriteOff}},
                           {{csAlphaBlendOn, csAlphaBlendOff}},
                           {{csStencilOn, csStencilOff}},
                           {{csColorWriteOn, csColorWriteOff}},
                           {{csScissorOn, csScissorOff}},
                           {{csFrontFace, csBackFace, csAllFace}}};
  TSpyContext C;
  for (const TGroup& G : Groups)
    for (TContextState S : G.States) {
      C.SetContextState(S);
      for (TContextState Other : G.States) EXPECT_EQ(TContext3D::IsStateCurrent(Other), Other == S) << S << " " << Other;
    }
  // Groups do not disturb each other: the last state of every group is still current.
  for (const TGroup& G : Groups) EXPECT_TRUE(TContext3D::IsStateCurrent(G.States.back())) << G.States.back();
}

TEST_F(RenderStateTest, OnlyChangesReachTheDeviceAndFlagsAreSharedByContexts) {
  TSpyContext A, B;
  A.SetContextState(csZTestOn);
  A.SetContextState(csZTestOn);
  B.SetContextState(csZTestOn);  // current for the whole process already
  B.SetContextState(csZTestOff);
  A.SetContextState(csZTestOn);
  EXPECT_EQ(A.Sent, (std::vector<TContextState>{csZTestOn, csZTestOn}));
  EXPECT_EQ(B.Sent, (std::vector<TContextState>{csZTestOff}));
}

TEST_F(RenderStateTest, AfterAResetTheFirstRequestOfAnyStateReachesTheDevice) {
  TSpyContext C;
  C.SetContextState(csAllFace);
  TContext3D::ResetContextStates();
  EXPECT_FALSE(TContext3D::IsStateCurrent(csAllFace));
  C.SetContextState(csAllFace);
  EXPECT_EQ(C.Sent, (std::vector<TContextState>{csAllFace, csAllFace}));
}

TEST(NullContextTest, DrawsNothingAndItsSceneFailsWithoutHoldingTheLock) {
  TTexture T;
  T.SetStyle(TTextureStyle::RenderTarget);
  T.SetSize(40, 30);
  T.SetTextureScale(1.5f);
  TNullContext C(&T, TMultisample::FourSamples, true);
  EXPECT_EQ(C.Width(), 40);
  EXPECT_EQ(C.Height(), 30);
  EXPECT_EQ(C.Scale(), 1.5f);
  EXPECT_EQ(C.DeviceName(), "TNullContext");
  EXPECT_FALSE(C.BeginScene());
  EXPECT_EQ(C.BeginSceneCount(), 0);
  EXPECT_TRUE(canvastest::LockFreeForOtherThreads());
  // A stray EndScene after the failure must not release a lock the scene never held.
  C.EndScene();
  TCanvas::Lock();
  C.EndScene();
  EXPECT_FALSE(canvastest::LockFreeForOtherThreads());
  TCanvas::Unlock();

  TBitmap Bitmap(40, 30);
  Bitmap.Clear(0xFF102030);
  TVertexBuffer V;
  TIndexBuffer I;
  C.DrawTriangles(V, I, nullptr, 1);
  C.CopyToBitmap(Bitmap);
  EXPECT_EQ(Bitmap.Pixel(5, 5), 0xFF102030u);
}

TEST(ContextManagerTest, DeviceOrderFollowsChoiceAndSwitches) {
  using K = TGLDeviceKind;
  struct TCase {
    TDeviceChoice Choice;
    bool UseGPU, UseSoftware;
    std::vector<TGLDeviceKind> Order;
  };
  const TCase Cases[] = {
      {TDeviceChoice::Auto, true, false, {K::Hardware, K::Software, K::Surfaceless}},
      {TDeviceChoice::Auto, true, true, {K::Software, K::Surfaceless}},
      {TDeviceChoice::Auto, false, false, {}},
      {TDeviceChoice::Auto, false, true, {}},
      {TDeviceChoice::GPU, true, true, {K::Hardware}},
      {TDeviceChoice::GPU, false, false, {K::Hardware}},
      {TDeviceChoice::Software, true, false, {K::Software}},
      {TDeviceChoice::Null, true, false, {}},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(TContextManager::DeviceOrder(C.Choice, C.UseGPU, C.UseSoftware), C.Order)
        << static_cast<int>(C.Choice) << " " << C.UseGPU << " " << C.UseSoftware;
}

TEST(ContextManagerTest, ParsesTheDeviceOptionNames) {
  struct TCase {
    const char* Name;
    bool Ok;
    TDeviceChoice Choice;
  };
  const TCase Cases[] = {{"gpu", true, TDeviceChoice::GPU},        {"GPU", true, TDeviceChoice::GPU},
                         {"software", true, TDeviceChoice::Software}, {"null", true, TDeviceChoice::Null},
                         {"auto", true, TDeviceChoice::Auto},      {"hardware", false, TDeviceChoice::Auto},
                         {"", false, TDeviceChoice::Auto}};
  for (const TCase& C : Cases) {
    TDeviceChoice Choice = TDeviceChoice::Auto;
    EXPECT_EQ(TContextManager::ParseDeviceChoice(C.Name, Choice), C.Ok) << C.Name;
    EXPECT_EQ(Choice, C.Choice) << C.Name;
  }
}

TEST(ContextManagerTest, ForcedNullGivesNullContexts) {
  TContextManager::SetDeviceChoice(TDeviceChoice::Null);
  TTexture T;
  T.SetSize(10, 10);
  auto C = TContextManager::CreateContextFromTexture(&T, TMultisample::FourSamples, true);
  EXPECT_EQ(TContextManager::DefaultContextClass(), "TNullContext");
  EXPECT_EQ(TContextManager::DeviceRenderer(), "");
  EXPECT_NE(dynamic_cast<TNullContext*>(C.get()), nullptr);
  EXPECT_FALSE(C->BeginScene());
  TContextManager::SetDeviceChoice(TDeviceChoice::Auto);
}

TEST(ContextManagerTest, WithoutGPUTheAutomaticChoiceIsNull) {
  GlobalUseGPU = false;
  TContextManager::SetDeviceChoice(TDeviceChoice::Auto);
  EXPECT_EQ(TContextManager::DefaultContextClass(), "TNullContext");
  GlobalUseGPU = true;
  TContextManager::SetDeviceChoice(TDeviceChoice::Auto);
}

TEST(SampleCountTest, TriesFourThreeTwoThenFallsBackToOne) {
  struct TCase {
    TMultisample Requested;
    std::vector<int> Supported;
    int Expected;
  };
  const TCase Cases[] = {
      {TMultisample::FourSamples, {1, 2, 4, 8}, 4}, {TMultisample::FourSamples, {1, 8, 3, 2}, 3},
      {TMultisample::FourSamples, {1, 2}, 2},       {TMultisample::FourSamples, {1, 8}, 1},
      {TMultisample::FourSamples, {1}, 1},          {TMultisample::TwoSamples, {1, 2, 4}, 2},
      {TMultisample::TwoSamples, {1, 4}, 1},        {TMultisample::None, {1, 2, 4}, 1},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(ChooseSampleCount(C.Requested, C.Supported), C.Expected) << static_cast<int>(C.Requested);
}

TEST(TextureTest, DefaultsAndLevels) {
  TTexture T;
  EXPECT_TRUE(T.IsEmpty());
  EXPECT_EQ(T.TextureScale(), 1.0f);
  EXPECT_EQ(T.PixelFormat(), TPixelFormat::None);
  EXPECT_EQ(T.MipLevels(), 1);
  T.SetSize(100, 37);
  EXPECT_EQ(T.MipLevels(), 7);  // 100, 50, 25, 12, 6, 3, 1
  T.SetStyle(TTextureStyle::RenderTarget);
  EXPECT_TRUE(T.IsRenderTarget());
  EXPECT_EQ(T.MipLevels(), 1);
  T.SetStyle(TTextureStyles{});
  EXPECT_EQ(T.MipLevels(), 1);
  T.SetSize(-3, 5);
  EXPECT_EQ(T.Width(), 0);
  EXPECT_TRUE(T.IsEmpty());
}

// The pixels waiting for the device, as the device would take them.
std::vector<uint32_t> Taken(TTexture& T) {
  std::vector<uint32_t> Pixels;
  T.TakePixels([&](const uint8_t* Data, int Pitch) {
    for (int Y = 0; Y < T.Height(); ++Y) {
      const auto* Row = reinterpret_cast<const uint32_t*>(Data + static_cast<ptrdiff_t>(Y) * Pitch);
      Pixels.insert(Pixels.end(), Row, Row + T.Width());
    }
  });
  return Pixels;
}

TEST(TextureTest, TakesABitmapOnceUntilItChanges) {
  TBitmap B(3, 2);
  B.Clear(0xFF0000FF);
  TTexture T;
  EXPECT_TRUE(T.LoadFromBitmap(B));
  EXPECT_EQ(T.Width(), 3);
  EXPECT_EQ(T.Height(), 2);
  EXPECT_EQ(T.PixelFormat(), TPixelFormat::BGRA);
  EXPECT_TRUE(T.HasPendingPixels());
  const uint64_t Stamp = T.ContentStamp();
  EXPECT_FALSE(T.LoadFromBitmap(B));
  EXPECT_EQ(T.ContentStamp(), Stamp);
  std::vector<uint32_t> P = Taken(T);
  ASSERT_EQ(P.size(), 6u);
  EXPECT_EQ(P[5], 0xFF0000FFu);
  // Taken once: nothing waits any more.
  EXPECT_FALSE(T.HasPendingPixels());
  EXPECT_TRUE(Taken(T).empty());

  TBitmapData D;
  ASSERT_TRUE(B.Map(TMapAccess::Write, D));
  D.SetPixel(2, 1, 0xFF00FF00);
  B.Unmap(D);
  EXPECT_TRUE(T.LoadFromBitmap(B));
  EXPECT_NE(T.ContentStamp(), Stamp);
  P = Taken(T);
  EXPECT_EQ(P[5], 0xFF00FF00u);
  EXPECT_EQ(P[0], 0xFF0000FFu);

  // Another bitmap with the same pixels is still another source.
  TBitmap Other(3, 2);
  Other.Clear(0xFF0000FF);
  EXPECT_TRUE(T.LoadFromBitmap(Other));
  // Semi-transparent pixels stay premultiplied, as the blend equation expects them.
  Other.Clear(0x80FF0000);
  EXPECT_TRUE(T.LoadFromBitmap(Other));
  P = Taken(T);
  EXPECT_EQ(P[0] >> 24, 0x80u);
  EXPECT_EQ((P[0] >> 16) & 0xFF, 0x80u);
}

// A device object that no longer holds its pixels, as after the device was made anew.
struct TLostResource : ITextureResource {
  bool IsCurrent() const override { return false; }
};

TEST(TextureTest, AnUnchangedBitmapIsTakenAgainWhenTheDeviceLostItsPixels) {
  TBitmap B(2, 2);
  B.Clear(0xFF00FF00);
  TTexture T;
  ASSERT_TRUE(T.LoadFromBitmap(B));
  Taken(T);
  T.SetResource(std::make_unique<ITextureResource>());
  EXPECT_FALSE(T.LoadFromBitmap(B));
  T.SetResource(std::make_unique<TLostResource>());
  EXPECT_TRUE(T.LoadFromBitmap(B));
  EXPECT_EQ(Taken(T).size(), 4u);
  // A bitmap resized after it was loaded gives nothing of the wrong size.
  ASSERT_TRUE(T.LoadFromBitmap(B));
  B.SetSize(3, 3);
  EXPECT_TRUE(Taken(T).empty());
}
