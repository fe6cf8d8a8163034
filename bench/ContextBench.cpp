// One whole viewport frame on the GL device: clear, a textured sea quad and three cylinders
// of a few hundred triangles through the design camera, resolve, readback into the
// viewport's bitmap and the high-speed copy of that bitmap onto the form's canvas.
#include <benchmark/benchmark.h>

#include <memory>

#include "scene3d/Cylinder.h"
#include "scene3d/Material.h"
#include "scene3d/MeshData.h"
#include "scene3d/context/ContextManager.h"
#include "scene3d/context/GLContext.h"
#include "scene3d/context/Texture.h"
#include "shell/canvas/Bitmap.h"
#include "shell/canvas/Canvas.h"

namespace {
struct TScene {
  TMeshData Cylinder;
  TVertexBuffer SeaVertices;
  TIndexBuffer SeaIndices;
  TBitmap SeaSurface{256, 256};
  TTexture SeaTexture;
  TTextureMaterial Sea;
  TColorMaterial Yellow;

  TScene() {
    TCylinder::RebuildMesh(Cylinder, 64, 1, 1);
    SeaVertices.SetLength(4);
    const float X[] = {-25, 25, 25, -25}, Z[] = {25, 25, -10, -10}, U[] = {0, 1, 1, 0}, V[] = {0, 0, 1, 1};
    for (int I = 0; I < 4; ++I) {
      SeaVertices.Vertex(I).Position = {X[I], 0, Z[I]};
      SeaVertices.Vertex(I).U = U[I];
      SeaVertices.Vertex(I).V = V[I];
    }
    SeaIndices.SetLength(6);
    const uint32_t Ix[] = {0, 1, 2, 0, 2, 3};
    for (int I = 0; I < 6; ++I) SeaIndices.Index(I) = Ix[I];
    TBitmapData D;
    if (SeaSurface.Map(TMapAccess::Write, D)) {
      for (int Y = 0; Y < 256; ++Y)
        for (int Xp = 0; Xp < 256; ++Xp) D.SetPixel(Xp, Y, 0xFF000000u | static_cast<uint32_t>(Y) * 0x010101u);
      SeaSurface.Unmap(D);
    }
    SeaTexture.LoadFromBitmap(SeaSurface);
    Sea.SetTexture(&SeaTexture);
    Yellow.SetColor(TAlphaColors::Yellow);
  }

  int Triangles() const { return 2 + 3 * Cylinder.IndexBuffer().Length() / 3; }

  void Draw(TContext3D& C, int Parts = 3) {
    for (TContextState S : {cs3DScene, csZTestOn, csZWriteOn, csAlphaBlendOn, csFrontFace}) C.SetContextState(S);
    C.SetMatrix(TMatrix3D::Identity());
    C.SetContextState(csAllFace);
    if (Parts & 1) C.DrawTriangles(SeaVertices, SeaIndices, &Sea, 1);
    C.SetContextState(csFrontFace);
    const struct {
      TPoint3D Scale, At;
      TMaterial* Material;
    } Objects[] = {{{0.5f, 4, 0.5f}, {0, -2, -10}, &Yellow},
                   {{4, 0.5f, 4}, {0, -0.25f, 20}, nullptr},
                   {{0.5f, 2, 0.5f}, {0, -1.5f, 20}, nullptr}};
    for (const auto& O : Objects) {
      if (!(Parts & 2)) break;
      C.SetMatrix(TMatrix3D::CreateScaling(O.Scale) * TMatrix3D::CreateTranslation(O.At));
      C.DrawTriangles(Cylinder.VertexBuffer(), Cylinder.IndexBuffer(), O.Material, 1);
    }
  }
};

// Args: width, height, requested samples (1, 2 or 4).
void BM_WholeFrame(benchmark::State& State) {
  const int W = static_cast<int>(State.range(0)), H = static_cast<int>(State.range(1));
  const TMultisample Multisample = State.range(2) == 4   ? TMultisample::FourSamples
                                   : State.range(2) == 2 ? TMultisample::TwoSamples
                                                         : TMultisample::None;
  if (TContextManager::DefaultContextClass() != TGLContext::ClassName()) {
    State.SkipWithError("no GL device");
    return;
  }
  TScene Scene;
  TTexture Target;
  Target.SetStyle(TTextureStyle::RenderTarget);
  Target.SetSize(W, H);
  auto Context = TContextManager::CreateContextFromTexture(&Target, Multisample, true);
  TBitmap Frame(W, H);
  // The form: the viewport's rectangle plus the control panel below it.
  TBitmap Form(W, H + H / 11);
  const TMatrix3D View = TMatrix3D::CreateLookAtDirRH({0, -6.8404f, -18.7939f}, {0, -0.3420f, -0.9397f},
                                                      {0, -0.9397f, 0.3420f});
  for (auto _ : State) {
    if (!Context->BeginScene()) {
      State.SkipWithError("BeginScene failed");
      return;
    }
    Context->SetContextState(csScissorOff);
    Context->Clear(TClearTargets{TClearTarget::Color, TClearTarget::Depth}, TAlphaColors::White, 1, 0);
    Context->SetCameraMatrix(View);
    Context->SetCameraAngleOfView(45);
    Scene.Draw(*Context);
    Context->EndScene();
    Context->CopyToBitmap(Frame);
    TCanvas* Canvas = Form.Canvas();
    if (Canvas->BeginScene()) {
      Canvas->DrawBitmap(Frame, Frame.Bounds(), TRectF{0, 0, static_cast<float>(W), static_cast<float>(H)}, 1, true);
      Canvas->EndScene();
    }
  }
  State.counters["triangles"] = Scene.Triangles();
  State.counters["samples"] = static_cast<double>(dynamic_cast<TGLContext&>(*Context).SampleCount());
}

// Where a frame's time goes: the GL part alone (render, resolve, readback; no canvas copy).
// Args: width, height, samples (1 or 4), readback (0 or 1), what is drawn after the clear
// (0 nothing, 1 the sea quad, 2 the cylinders, 3 both).
void BM_RenderAndReadback(benchmark::State& State) {
  const int W = static_cast<int>(State.range(0)), H = static_cast<int>(State.range(1));
  const TMultisample Multisample = State.range(2) == 4 ? TMultisample::FourSamples : TMultisample::None;
  if (TContextManager::DefaultContextClass() != TGLContext::ClassName()) {
    State.SkipWithError("no GL device");
    return;
  }
  TScene Scene;
  TTexture Target;
  Target.SetStyle(TTextureStyle::RenderTarget);
  Target.SetSize(W, H);
  auto Context = TContextManager::CreateContextFromTexture(&Target, Multisample, true);
  TBitmap Frame(W, H);
  const TMatrix3D View = TMatrix3D::CreateLookAtDirRH({0, -6.8404f, -18.7939f}, {0, -0.3420f, -0.9397f},
                                                      {0, -0.9397f, 0.3420f});
  const bool Readback = State.range(3) != 0;
  for (auto _ : State) {
    Context->BeginScene();
    Context->SetContextState(csScissorOff);
    Context->Clear(TClearTargets{TClearTarget::Color, TClearTarget::Depth}, TAlphaColors::White, 1, 0);
    Context->SetCameraMatrix(View);
    Scene.Draw(*Context, static_cast<int>(State.range(4)));
    Context->EndScene();
    if (Readback) Context->CopyToBitmap(Frame);
  }
}
}  // namespace

// The renderer works on threads of its own, so the CPU column counts the whole process.
BENCHMARK(BM_WholeFrame)
    ->Args({634, 440, 4})
    ->Args({951, 660, 4})
    ->Args({634, 440, 1})
    ->Args({951, 660, 1})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RenderAndReadback)
    ->Args({634, 440, 4, 1, 0})
    ->Args({634, 440, 4, 1, 1})
    ->Args({634, 440, 4, 1, 2})
    ->Args({634, 440, 4, 1, 3})
    ->Args({634, 440, 1, 1, 0})
    ->Args({634, 440, 1, 1, 3})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
