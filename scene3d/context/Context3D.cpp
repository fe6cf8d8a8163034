#include "scene3d/context/Context3D.h"

#include <algorithm>
#include <cmath>

#include "scene3d/Material.h"
#include "scene3d/context/FrameRecord.h"
#include "scene3d/context/Texture.h"
#include "shell/canvas/Bitmap.h"
#include "shell/canvas/Canvas.h"
#include "shell/core/ScopeExit.h"

namespace {
// One flag per state, shared by every context of the process.
bool GStates[csAllFace + 1] = {};

// The first and last state of the exclusive group State belongs to.
void GroupOf(TContextState State, int& First, int& Last) {
  switch (State) {
    case cs2DScene: case cs3DScene: First = cs2DScene; Last = cs3DScene; break;
    case csZTestOn: case csZTestOff: First = csZTestOn; Last = csZTestOff; break;
    case csZWriteOn: case csZWriteOff: First = csZWriteOn; Last = csZWriteOff; break;
    case csAlphaBlendOn: case csAlphaBlendOff: First = csAlphaBlendOn; Last = csAlphaBlendOff; break;
    case csStencilOn: case csStencilOff: First = csStencilOn; Last = csStencilOff; break;
    case csColorWriteOn: case csColorWriteOff: First = csColorWriteOn; Last = csColorWriteOff; break;
    case csScissorOn: case csScissorOff: First = csScissorOn; Last = csScissorOff; break;
    default: First = csFrontFace; Last = csAllFace; break;
  }
}
}  // namespace

TContext3D::TContext3D(TTexture* Texture, int Width, int Height, float Scale, TMultisample Multisample, bool DepthStencil)
    : FTexture(Texture),
      FWidth(Width),
      FHeight(Height),
      FScale(Scale),
      FMultisample(Multisample),
      FDepthStencil(DepthStencil),
      // π/4 as a single, turned back into degrees: what the device starts with.
      FAngleOfView(static_cast<float>(static_cast<double>(static_cast<float>(M_PI / 4)) * 57.29577951308232)),
      FRecord(std::make_unique<TFrameRecord>()),
      FLastFrame(std::make_unique<TFrameRecord>()) {}

TContext3D::~TContext3D() = default;

bool TContext3D::BeginScene() {
  TCanvas::Lock();
  if (FBeginSceneCount > 0) {
    ++FBeginSceneCount;
    return true;
  }
  bool Ok = false;
  try {
    Ok = DoBeginScene();
  } catch (...) {
    TCanvas::Unlock();
    throw;
  }
  if (!Ok) {
    TCanvas::Unlock();
    return false;
  }
  FProjectionStale = true;
  FCurrentMatrix = TMatrix3D::Identity();
  FRecord->Reset();
  ++FBeginSceneCount;
  return true;
}

void TContext3D::EndScene() {
  if (FBeginSceneCount <= 0) return;
  TScopeExit Unlock([] { TCanvas::Unlock(); });
  if (FBeginSceneCount > 1) {
    --FBeginSceneCount;
    return;
  }
  // The recorded scene reaches the device while the scene is still open.
  try {
    FinishScene();
  } catch (...) {
    FBeginSceneCount = 0;
    FLastFrameKept = false;
    FRecord->Reset();
    DoEndScene();
    throw;
  }
  FBeginSceneCount = 0;
  DoEndScene();
}

void TContext3D::FinishScene() {
  TFrameRecord& Scene = *FRecord;
  Scene.Camera = FCameraMatrix;
  Scene.AngleOfView = FAngleOfView;
  Scene.Lights = FLights;
  const TTargetRect Whole{0, 0, std::max(FWidth, 0), std::max(FHeight, 0)};
  FLastDamage = FLastFrameKept ? TFrameRecord::Damage(*FLastFrame, Scene, FWidth, FHeight) : Whole;
  FLastRepaint = FRepaintDamageOnly ? FLastDamage : Whole;
  // Until every command has reached the device, the target holds no known frame.
  FLastFrameKept = false;
  DoBeginRepaint(FLastRepaint);
  // With nothing to repaint the clears and draws are left out; the states, programs and
  // variables still go, so that the device stays as the flags say.
  const bool Paints = !FLastRepaint.IsEmpty();
  for (const TFrameRecord::TCommand& C : Scene.Commands()) {
    switch (C.Kind) {
      case TFrameRecord::TKind::State: DoSetContextState(C.State); break;
      case TFrameRecord::TKind::Shaders: DoSetShaders(C.VertexShader, C.PixelShader); break;
      case TFrameRecord::TKind::Variable: DoSetShaderVariable(C.Name, C.Value); break;
      case TFrameRecord::TKind::Clear:
        if (Paints) {
          const TFrameRecord::TClear& K = Scene.Clears()[C.Index];
          DoClear(K.Targets, K.Color, K.Depth, K.Stencil);
        }
        break;
      case TFrameRecord::TKind::Draw:
        if (Paints) DoDrawTriangles(Scene.Draws()[C.Index].Vertices, Scene.Draws()[C.Index].Indices);
        break;
    }
  }
  if (Paints && FTexture) FTexture->PixelsChanged();
  Scene.MoveFrameTo(*FLastFrame);
  FLastFrameKept = true;
}

void TContext3D::Clear(TClearTargets Targets, TAlphaColor Color, float Depth, uint32_t Stencil) {
  if (!FDepthStencil) {
    Targets.Exclude(TClearTarget::Depth);
    Targets.Exclude(TClearTarget::Stencil);
  }
  if (FBeginSceneCount > 0)
    FRecord->AddClear(Targets, Color, Depth, Stencil);
  else
    DoClear(Targets, Color, Depth, Stencil);
}

void TContext3D::SetCameraMatrix(const TMatrix3D& M) {
  FCameraMatrix = M;
  FCameraInvMatrix = M.Inverse();
}

void TContext3D::SetCameraAngleOfView(float Degrees) {
  // Within a scene the projection is rebuilt at most once; outside one a new angle counts.
  if (FAngleOfView != Degrees && FBeginSceneCount == 0) FProjectionStale = true;
  FAngleOfView = Degrees;
}

const TMatrix3D& TContext3D::GetProjectionMatrix() {
  if (FProjectionStale) {
    const float Fov = DegToRad(FAngleOfView);
    float Aspect = 1;
    if (std::fabs(static_cast<float>(FHeight)) > 1e-40f)
      Aspect = static_cast<float>(static_cast<long double>(FWidth) / static_cast<long double>(FHeight));
    FProjection = TMatrix3D::CreatePerspectiveFovRH(Fov, Aspect, 1, 1000);
    FInvProjection = FProjection.Inverse();
    FProjectionStale = false;
  }
  return FProjection;
}

const TMatrix3D& TContext3D::GetInvProjectionMatrix() {
  GetProjectionMatrix();
  return FInvProjection;
}

TMatrix3D TContext3D::CurrentModelViewProjectionMatrix() {
  return FCurrentMatrix * FCameraMatrix * GetProjectionMatrix();
}

void TContext3D::SetContextState(TContextState State) {
  if (GStates[State]) return;
  int First, Last;
  GroupOf(State, First, Last);
  for (int S = First; S <= Last; ++S) GStates[S] = false;
  GStates[State] = true;
  if (FBeginSceneCount > 0)
    FRecord->AddState(State);
  else
    DoSetContextState(State);
}

bool TContext3D::IsStateCurrent(TContextState State) { return GStates[State]; }

void TContext3D::ResetContextStates() {
  for (bool& S : GStates) S = false;
}

TColorMaterial& TContext3D::DefaultMaterial() {
  if (!FDefaultMaterial) FDefaultMaterial = std::make_unique<TColorMaterial>();
  return *FDefaultMaterial;
}

void TContext3D::DrawTriangles(const TVertexBuffer& Vertices, const TIndexBuffer& Indices, TMaterial* Material,
                               float Opacity) {
  FCurrentOpacity = Opacity;
  TMaterial* Used = Material;
  if (!Used) {
    // Derived from the constant every time, never from the previous colour.
    DefaultMaterial().SetColor(MakeColor(TAlphaColors::Red, Opacity));
    Used = &DefaultMaterial();
  }
  const bool Projected = ApplyMaterial(*Used);
  if (FBeginSceneCount > 0) {
    TRecordedDraw Draw;
    Draw.Vertices = Vertices;
    Draw.Indices = Indices;
    Draw.Projected = Projected;
    if (Projected) Draw.MVP = CurrentModelViewProjectionMatrix();
    FRecord->AddDraw(std::move(Draw));
  } else {
    DoDrawTriangles(Vertices, Indices);
  }
  Used->Reset(*this);
}

bool TContext3D::ApplyMaterial(TMaterial& Material) {
  Material.Apply(*this);
  const std::string MVP = Material.GetMaterialProperty(TMaterialProperty::ModelViewProjection);
  if (!MVP.empty()) SetShaderVariable(MVP, CurrentModelViewProjectionMatrix());
  const std::string MV = Material.GetMaterialProperty(TMaterialProperty::ModelView);
  if (!MV.empty()) SetShaderVariable(MV, FCurrentMatrix);
  const std::string MVIT = Material.GetMaterialProperty(TMaterialProperty::ModelViewInverseTranspose);
  if (!MVIT.empty()) SetShaderVariable(MVIT, FCurrentMatrix.Inverse().Transpose());
  return !MVP.empty();
}

void TContext3D::SetShaders(TContextShader* VertexShader, TContextShader* PixelShader) {
  if (!VertexShader || !PixelShader) return;
  if (FBeginSceneCount > 0)
    FRecord->AddShaders(VertexShader, PixelShader);
  else
    DoSetShaders(VertexShader, PixelShader);
}

void TContext3D::SendVariable(const std::string& Name, const TShaderValue& Value) {
  if (FBeginSceneCount > 0)
    FRecord->AddVariable(Name, Value);
  else
    DoSetShaderVariable(Name, Value);
}

void TContext3D::SetShaderVariable(const std::string& Name, const TMatrix3D& Value) {
  TShaderValue V;
  V.Kind = TShaderValue::TKind::Matrix;
  V.Matrix = Value;
  SendVariable(Name, V);
}

void TContext3D::SetShaderVariable(const std::string& Name, const std::vector<TVector3D>& Value) {
  TShaderValue V;
  V.Kind = TShaderValue::TKind::Vectors;
  V.Vectors = Value;
  SendVariable(Name, V);
}

void TContext3D::SetShaderVariable(const std::string& Name, TAlphaColor Value) {
  // Straight (R, G, B, A) / 255, not premultiplied.
  SetShaderVariable(Name, std::vector<TVector3D>{TVector3D(((Value >> 16) & 0xFF) / 255.0f, ((Value >> 8) & 0xFF) / 255.0f,
                                                           (Value & 0xFF) / 255.0f, ((Value >> 24) & 0xFF) / 255.0f)});
}

void TContext3D::SetShaderVariable(const std::string& Name, TTexture* Value) {
  TShaderValue V;
  V.Kind = TShaderValue::TKind::Texture;
  V.Texture = Value;
  SendVariable(Name, V);
}

void TContext3D::CopyToBitmap(TBitmap& Bitmap) { CopyToBitmap(Bitmap, TTargetRect{0, 0, FWidth, FHeight}); }

void TContext3D::CopyToBitmap(TBitmap& Bitmap, const TTargetRect& Rect) {
  const TTargetRect Part =
      TTargetRect::Intersect(Rect, TTargetRect{0, 0, std::min(FWidth, Bitmap.Width()), std::min(FHeight, Bitmap.Height())});
  if (!Part.IsEmpty()) DoCopyToBitmap(Bitmap, Part);
}

bool TContext3D::UpdateTexture(TTexture& Texture, int X, int Y, int Width, int Height, const uint8_t* Data,
                               int Pitch) {
  if (!HoldsTexturePixels() || !Data || Width <= 0 || Height <= 0 || X < 0 || Y < 0 ||
      X > Texture.Width() - Width || Y > Texture.Height() - Height || Pitch < Width * 4 || Pitch % 4 != 0)
    return false;
  DoUpdateTexture(Texture, X, Y, Width, Height, Data, Pitch);
  Texture.PixelsChanged();
  return true;
}
