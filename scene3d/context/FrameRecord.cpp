#include "scene3d/context/FrameRecord.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "scene3d/context/Texture.h"

namespace {
bool SameBytes(const void* A, const void* B, size_t Size) { return Size == 0 || std::memcmp(A, B, Size) == 0; }

bool SameMatrix(const TMatrix3D& A, const TMatrix3D& B) { return SameBytes(&A, &B, sizeof(TMatrix3D)); }

bool SameLights(const std::vector<TLightDescription>& A, const std::vector<TLightDescription>& B) {
  if (A.size() != B.size()) return false;
  for (size_t I = 0; I < A.size(); ++I) {
    const TLightDescription &L = A[I], &R = B[I];
    if (L.Enabled != R.Enabled || L.Color != R.Color || L.LightType != R.LightType ||
        !SameBytes(&L.SpotCutOff, &R.SpotCutOff, sizeof(float)) ||
        !SameBytes(&L.SpotExponent, &R.SpotExponent, sizeof(float)) ||
        !SameBytes(&L.Position, &R.Position, sizeof(TPoint3D)) || !SameBytes(&L.Direction, &R.Direction, sizeof(TPoint3D)))
      return false;
  }
  return true;
}

// A vertex in clip space, kept wide so that cutting and projecting add no error of their own.
struct TClipVertex {
  long double X, Y, Z, W;
};

// Cuts Polygon at the plane where Distance is 0, keeping the side where it is not negative.
template <typename TDistance>
int CutPolygon(const TClipVertex* In, int Count, TClipVertex* Out, TDistance Distance) {
  int N = 0;
  for (int I = 0; I < Count; ++I) {
    const TClipVertex& A = In[I];
    const TClipVertex& B = In[(I + 1) % Count];
    const long double DA = Distance(A), DB = Distance(B);
    if (DA >= 0) Out[N++] = A;
    if ((DA >= 0) != (DB >= 0)) {
      const long double T = DA / (DA - DB);
      Out[N++] = {A.X + (B.X - A.X) * T, A.Y + (B.Y - A.Y) * T, A.Z + (B.Z - A.Z) * T, A.W + (B.W - A.W) * T};
    }
  }
  return N;
}
}  // namespace

TTargetRect TTargetRect::Union(const TTargetRect& A, const TTargetRect& B) {
  if (A.IsEmpty()) return B.IsEmpty() ? TTargetRect{} : B;
  if (B.IsEmpty()) return A;
  return {std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right), std::max(A.Bottom, B.Bottom)};
}

TTargetRect TTargetRect::Intersect(const TTargetRect& A, const TTargetRect& B) {
  const TTargetRect R{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right),
                     std::min(A.Bottom, B.Bottom)};
  return R.IsEmpty() ? TTargetRect{} : R;
}

bool TRecordedValue::operator==(const TRecordedValue& Other) const {
  const TShaderValue &A = Value, &B = Other.Value;
  if (A.Kind != B.Kind) return false;
  switch (A.Kind) {
    case TShaderValue::TKind::Matrix: return SameMatrix(A.Matrix, B.Matrix);
    case TShaderValue::TKind::Vectors:
      return A.Vectors.size() == B.Vectors.size() &&
             SameBytes(A.Vectors.data(), B.Vectors.data(), A.Vectors.size() * sizeof(TVector3D));
    case TShaderValue::TKind::Texture: return A.Texture == B.Texture && TextureStamp == Other.TextureStamp;
  }
  return false;
}

bool TRecordedDraw::SamePixels(const TRecordedDraw& Other) const {
  return States == Other.States && VertexShader == Other.VertexShader && PixelShader == Other.PixelShader &&
         Variables == Other.Variables && Projected == Other.Projected && SameMatrix(MVP, Other.MVP) &&
         Vertices.Length() == Other.Vertices.Length() && Indices.Length() == Other.Indices.Length() &&
         SameBytes(Vertices.Data(), Other.Vertices.Data(), sizeof(TMeshVertex) * static_cast<size_t>(Vertices.Length())) &&
         SameBytes(Indices.Data(), Other.Indices.Data(), sizeof(uint32_t) * static_cast<size_t>(Indices.Length()));
}

TTargetRect TRecordedDraw::Bounds(int Width, int Height) const {
  const TTargetRect Whole{0, 0, std::max(Width, 0), std::max(Height, 0)};
  if (!Projected) return Whole;
  const int VertexCount = Vertices.Length();
  const TMatrix3D& M = MVP;
  auto ToClip = [&M](const TPoint3D& P) {
    const long double X = P.X, Y = P.Y, Z = P.Z;
    return TClipVertex{X * M.m11 + Y * M.m21 + Z * M.m31 + M.m41, X * M.m12 + Y * M.m22 + Z * M.m32 + M.m42,
                       X * M.m13 + Y * M.m23 + Z * M.m33 + M.m43, X * M.m14 + Y * M.m24 + Z * M.m34 + M.m44};
  };
  long double MinX = INFINITY, MinY = INFINITY, MaxX = -INFINITY, MaxY = -INFINITY;
  for (int T = 0; T + 2 < Indices.Length(); T += 3) {
    TClipVertex Polygon[3], Near[4], Cut[5];
    for (int K = 0; K < 3; ++K) {
      const uint32_t I = Indices.Data()[T + K];
      if (I >= static_cast<uint32_t>(VertexCount)) return Whole;
      Polygon[K] = ToClip(Vertices.Data()[I].Position);
    }
    // Nothing in front of the near plane (depth 0) is drawn; W stays positive behind it.
    const int N1 = CutPolygon(Polygon, 3, Near, [](const TClipVertex& V) { return V.Z; });
    const int N2 = CutPolygon(Near, N1, Cut, [](const TClipVertex& V) { return V.W - 1e-6L; });
    for (int K = 0; K < N2; ++K) {
      const long double X = (Cut[K].X / Cut[K].W + 1) / 2 * Width, Y = (1 - Cut[K].Y / Cut[K].W) / 2 * Height;
      if (!std::isfinite(X) || !std::isfinite(Y)) return Whole;
      MinX = std::min(MinX, X);
      MaxX = std::max(MaxX, X);
      MinY = std::min(MinY, Y);
      MaxY = std::max(MaxY, Y);
    }
  }
  if (!(MinX <= MaxX && MinY <= MaxY)) return {};
  auto Side = [](long double V, int Limit) {
    return static_cast<int>(std::clamp(V, -1.0L, static_cast<long double>(Limit) + 1));
  };
  const TTargetRect R{Side(std::floor(MinX) - Margin, Width), Side(std::floor(MinY) - Margin, Height),
                     Side(std::ceil(MaxX) + Margin, Width), Side(std::ceil(MaxY) + Margin, Height)};
  return TTargetRect::Intersect(R, Whole);
}

bool TFrameRecord::TClear::operator==(const TClear& Other) const {
  return Targets == Other.Targets && Color == Other.Color && SameBytes(&Depth, &Other.Depth, sizeof(float)) &&
         Stencil == Other.Stencil && DrawsBefore == Other.DrawsBefore;
}

void TFrameRecord::Reset() {
  FCommands.clear();
  FDraws.clear();
  FClears.clear();
  Lights.clear();
}

void TFrameRecord::AddState(TContextState State) {
  TCommand C;
  C.Kind = TKind::State;
  C.State = State;
  FCommands.push_back(std::move(C));
}

void TFrameRecord::AddClear(TClearTargets Targets, TAlphaColor Color, float Depth, uint32_t Stencil) {
  FClears.push_back({Targets, Color, Depth, Stencil, FDraws.size()});
  TCommand C;
  C.Kind = TKind::Clear;
  C.Index = FClears.size() - 1;
  FCommands.push_back(std::move(C));
}

void TFrameRecord::AddShaders(TContextShader* VertexShader, TContextShader* PixelShader) {
  FProgram = {VertexShader, PixelShader};
  TCommand C;
  C.Kind = TKind::Shaders;
  C.VertexShader = VertexShader;
  C.PixelShader = PixelShader;
  FCommands.push_back(std::move(C));
}

void TFrameRecord::AddVariable(const std::string& Name, const TShaderValue& Value) {
  TRecordedValue Recorded{Value, Value.Kind == TShaderValue::TKind::Texture && Value.Texture ? Value.Texture->ContentStamp() : 0};
  auto Program = std::find_if(FProgramVariables.begin(), FProgramVariables.end(),
                              [this](const auto& P) { return P.first == FProgram; });
  if (Program == FProgramVariables.end()) {
    FProgramVariables.push_back({FProgram, {}});
    Program = FProgramVariables.end() - 1;
  }
  auto& Variables = Program->second;
  auto It = std::lower_bound(Variables.begin(), Variables.end(), Name,
                             [](const auto& V, const std::string& N) { return V.first < N; });
  if (It != Variables.end() && It->first == Name)
    It->second = std::move(Recorded);
  else
    Variables.insert(It, {Name, std::move(Recorded)});
  TCommand C;
  C.Kind = TKind::Variable;
  C.Name = Name;
  C.Value = Value;
  FCommands.push_back(std::move(C));
}

void TFrameRecord::AddDraw(TRecordedDraw Draw) {
  for (int S = cs2DScene; S <= csAllFace; ++S)
    if (TContext3D::IsStateCurrent(static_cast<TContextState>(S))) Draw.States |= 1u << S;
  Draw.VertexShader = FProgram.first;
  Draw.PixelShader = FProgram.second;
  for (const auto& [Key, Variables] : FProgramVariables)
    if (Key == FProgram) Draw.Variables = Variables;
  FDraws.push_back(std::move(Draw));
  TCommand C;
  C.Kind = TKind::Draw;
  C.Index = FDraws.size() - 1;
  FCommands.push_back(std::move(C));
}

void TFrameRecord::MoveFrameTo(TFrameRecord& Target) {
  Target.FCommands.swap(FCommands);
  Target.FDraws.swap(FDraws);
  Target.FClears.swap(FClears);
  Target.Camera = Camera;
  Target.AngleOfView = AngleOfView;
  Target.Lights.swap(Lights);
  Reset();
}

TTargetRect TFrameRecord::Damage(const TFrameRecord& Before, const TFrameRecord& After, int Width, int Height) {
  const TTargetRect Whole{0, 0, std::max(Width, 0), std::max(Height, 0)};
  if (Before.FClears != After.FClears || !SameMatrix(Before.Camera, After.Camera) ||
      !SameBytes(&Before.AngleOfView, &After.AngleOfView, sizeof(float)) || !SameLights(Before.Lights, After.Lights))
    return Whole;
  TTargetRect R;
  const size_t Count = std::max(Before.FDraws.size(), After.FDraws.size());
  for (size_t I = 0; I < Count && R != Whole; ++I) {
    const TRecordedDraw* Old = I < Before.FDraws.size() ? &Before.FDraws[I] : nullptr;
    const TRecordedDraw* New = I < After.FDraws.size() ? &After.FDraws[I] : nullptr;
    if (Old && New && Old->SamePixels(*New)) continue;
    if (Old) R = TTargetRect::Union(R, Old->Bounds(Width, Height));
    if (New) R = TTargetRect::Union(R, New->Bounds(Width, Height));
  }
  return R;
}
