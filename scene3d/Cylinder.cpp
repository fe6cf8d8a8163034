#include "scene3d/Cylinder.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "shell/core/Exceptions.h"

const TTypeInfo& MeshWrapModeTypeInfo() {
  static const TTypeInfo T = MakeNamedType("TMeshWrapMode", TTypeKind::Enumeration, {"Original", "Fit", "Stretch", "Resize"});
  return T;
}

const TMetaClass& TShape3D::StaticClass() {
  return ClassRecord<TShape3D>("TShape3D", &TControl3D::StaticClass(), [](auto& B) {
    B.Property("MaterialSource", &TShape3D::MaterialSource, &TShape3D::SetMaterialSource);
    B.Property("WrapMode", &TShape3D::WrapMode, &TShape3D::SetWrapMode, &MeshWrapModeTypeInfo())
        .Default(TMeshWrapMode::Stretch);
  });
}

const TMetaClass& TCustomMesh::StaticClass() {
  return ClassRecord<TCustomMesh>("TCustomMesh", &TShape3D::StaticClass(), [](auto&) {});
}

const TMetaClass& TCylinder::StaticClass() {
  return ClassRecord<TCylinder>("TCylinder", &TCustomMesh::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("SubdivisionsAxes", &TCylinder::SubdivisionsAxes, &TCylinder::SetSubdivisionsAxes).Default(12);
    B.Property("SubdivisionsCap", &TCylinder::SubdivisionsCap, &TCylinder::SetSubdivisionsCap).Default(1);
    B.Property("SubdivisionsHeight", &TCylinder::SubdivisionsHeight, &TCylinder::SetSubdivisionsHeight).Default(1);
  });
}

// --- TShape3D ---

TShape3D::TShape3D(TComponent* AOwner) : TControl3D(AOwner) {}

void TShape3D::BeforeDestruction() {
  SetMaterialSource(nullptr);
  TControl3D::BeforeDestruction();
}

void TShape3D::SetMaterialSource(TMaterialSource* Value) {
  if (FMaterialSource == Value) return;
  if (FMaterialSource) {
    FMaterialSource->RemoveChangeNotifier(this);
    FMaterialSource->RemoveFreeNotification(this);
  }
  FMaterialSource = Value;
  if (FMaterialSource) {
    FMaterialSource->FreeNotification(this);
    FMaterialSource->AddChangeNotifier(this);
  }
}

void TShape3D::SetWrapMode(TMeshWrapMode Value) {
  if (FWrapMode == Value) return;
  FWrapMode = Value;
  Repaint();
}

void TShape3D::Notification(TComponent* AComponent, TOperation Operation) {
  TControl3D::Notification(AComponent, Operation);
  // A freed source leaves the shape with the default material.
  if (Operation == opRemove && AComponent == FMaterialSource) FMaterialSource = nullptr;
}

// --- TCustomMesh ---

TCustomMesh::TCustomMesh(TComponent* AOwner) : TShape3D(AOwner) {}

TMatrix3D TCustomMesh::GetMeshMatrix() {
  const TBoundingBox& Box = FData.BoundingBox();
  if (Box.IsEmpty()) return TMatrix3D::Identity();
  auto Factor = [](float Size, float Min, float Max) {
    const float Extent = Max - Min;
    return Extent <= 1e-4f ? 1.0f : Size / Extent;
  };
  const TPoint3D S(Factor(Width(), Box.Min.X, Box.Max.X), Factor(Height(), Box.Min.Y, Box.Max.Y),
                   Factor(Depth(), Box.Min.Z, Box.Max.Z));
  return TMatrix3D::CreateTranslation(-Box.Min) * TMatrix3D::CreateScaling(S) *
         TMatrix3D::CreateTranslation(TPoint3D(-Width() / 2, -Height() / 2, -Depth() / 2));
}

void TCustomMesh::Render() {
  TContext3D* Ctx = Context();
  if (!Ctx) return;
  Ctx->SetMatrix(GetMeshMatrix() * GetAbsoluteMatrix());
  Ctx->DrawTriangles(FData.VertexBuffer(), FData.IndexBuffer(), TMaterialSource::ValidMaterial(MaterialSource()),
                     GetAbsoluteOpacity());
}

// --- TCylinder ---

TCylinder::TCylinder(TComponent* AOwner) : TCustomMesh(AOwner) {
  RebuildMesh(Data(), FSubdivisionsAxes, FSubdivisionsCap, FSubdivisionsHeight);
}

void TCylinder::SetSubdivisionsAxes(int Value) {
  if (FSubdivisionsAxes == Value) return;
  SetCounts(Value < 3 ? 3 : Value, FSubdivisionsCap, FSubdivisionsHeight);
}

void TCylinder::SetSubdivisionsCap(int Value) {
  if (FSubdivisionsCap == Value) return;
  SetCounts(FSubdivisionsAxes, Value < 1 ? 1 : Value, FSubdivisionsHeight);
}

void TCylinder::SetSubdivisionsHeight(int Value) {
  if (FSubdivisionsHeight == Value) return;
  SetCounts(FSubdivisionsAxes, FSubdivisionsCap, Value < 1 ? 1 : Value);
}

void TCylinder::SetCounts(int Axes, int Cap, int Height) {
  // Built first, so that a refused count leaves both the counts and the mesh as they were.
  RebuildMesh(Data(), Axes, Cap, Height);
  FSubdivisionsAxes = Axes;
  FSubdivisionsCap = Cap;
  FSubdivisionsHeight = Height;
}

namespace {
// A count above the vertex limit makes every mesh too large on its own; capping it there keeps
// the products below within 64 bits.
int64_t Capped(int Count) { return std::min<int64_t>(Count, TCylinder::MaxMeshVertices + 1); }
}  // namespace

int64_t TCylinder::MeshVertexCount(int Axes, int Cap, int Height) {
  const int64_t A = Capped(std::max(Axes, 3)), C = Capped(std::max(Cap, 1)), H = Capped(std::max(Height, 1));
  const int64_t F = A + 1;
  return 2 * C * F + F * (H + 1) + 2;
}

int64_t TCylinder::MeshIndexCount(int Axes, int Cap, int Height) {
  const int64_t A = Capped(std::max(Axes, 3)), C = Capped(std::max(Cap, 1)), H = Capped(std::max(Height, 1));
  return 6 * (A * H + A + 2 * A * (C - 1));
}

void TCylinder::RebuildMesh(TMeshData& Data, int A, int C, int H) {
  A = std::max(A, 3);
  C = std::max(C, 1);
  H = std::max(H, 1);
  const int64_t Vertices = MeshVertexCount(A, C, H);
  if (Vertices > MaxMeshVertices)
    throw EArgumentOutOfRangeException(
        Format("Cylinder mesh too large: SubdivisionsAxes %d, SubdivisionsCap %d and SubdivisionsHeight %d "
               "need more than %d vertices",
               {std::to_string(A), std::to_string(C), std::to_string(H), std::to_string(MaxMeshVertices)}));
  const int F = A + 1;
  TVertexBuffer& VB = Data.VertexBuffer();
  TIndexBuffer& IB = Data.IndexBuffer();
  VB.SetLength(static_cast<int>(Vertices));
  IB.SetLength(static_cast<int>(MeshIndexCount(A, C, H)));
  const int Last = VB.Length() - 1;
  const int SecondLast = VB.Length() - 2;

  // The angles as a running single-precision sum of 2π (as a single) / A.
  const float Delta = static_cast<float>(6.2831855f / static_cast<float>(A));
  std::vector<double> Cos(static_cast<size_t>(A)), Sin(static_cast<size_t>(A));
  float Theta = 0;
  for (int K = 0; K < A; ++K) {
    Cos[static_cast<size_t>(K)] = std::cos(static_cast<double>(Theta));
    Sin[static_cast<size_t>(K)] = std::sin(static_cast<double>(Theta));
    Theta = Theta + Delta;
  }

  auto SetVertex = [&](int Index, TPoint3D Position, TPoint3D Normal, float U, float V) {
    TMeshVertex& Vertex = VB.Vertex(Index);
    Vertex.Position = Position;
    Vertex.Normal = Normal;
    Vertex.U = U;
    Vertex.V = V;
  };

  // End caps: C rings each, at Y = +0.5 then at Y = −0.5.
  for (int I = 0; I < C; ++I) {
    const double R = static_cast<double>(I + 1) / C * 0.5;
    for (int K = 0; K < A; ++K) {
      const double X = R * Cos[static_cast<size_t>(K)], Z = R * Sin[static_cast<size_t>(K)];
      const float U = static_cast<float>(0.5 + X), V = static_cast<float>(0.5 - Z);
      SetVertex(F * I + K, TPoint3D(float(X), 0.5f, float(Z)), TPoint3D(0, 1, 0), U, V);
      SetVertex(C * F + F * I + K, TPoint3D(float(X), -0.5f, float(Z)), TPoint3D(0, -1, 0), U, V);
    }
    VB.Vertex(F * I + A) = VB.Vertex(F * I);
    VB.Vertex(C * F + F * I + A) = VB.Vertex(C * F + F * I);
  }

  // The side: H + 1 rows from Y = +0.5 down to Y = −0.5.
  const int S = 2 * C * F;
  for (int J = 0; J <= H; ++J) {
    const float Y = static_cast<float>(0.5 - static_cast<double>(J) / H);
    const float V = static_cast<float>(1.0 - static_cast<double>(J) / H);
    for (int K = 0; K < A; ++K) {
      const double Cs = Cos[static_cast<size_t>(K)], Sn = Sin[static_cast<size_t>(K)];
      SetVertex(S + F * J + K, TPoint3D(float(0.5 * Cs), Y, float(0.5 * Sn)),
                TPoint3D(float(Cs), 0, float(Sn)).Normalize(), static_cast<float>(static_cast<double>(K) / A), V);
    }
    TMeshVertex& Seam = VB.Vertex(S + F * J + A);
    Seam = VB.Vertex(S + F * J);
    Seam.U = 1;
    Seam.V = V;
  }

  SetVertex(SecondLast, TPoint3D(0, -0.5f, 0), TPoint3D(0, -1, 0), 0.5f, 0.5f);
  SetVertex(Last, TPoint3D(0, 0.5f, 0), TPoint3D(0, 1, 0), 0.5f, 0.5f);

  int N = 0;
  auto Triangle = [&](int V0, int V1, int V2) {
    IB.Index(N++) = static_cast<uint32_t>(V0);
    IB.Index(N++) = static_cast<uint32_t>(V1);
    IB.Index(N++) = static_cast<uint32_t>(V2);
  };
  for (int I = 0; I < C; ++I)
    for (int K = 0; K < A; ++K) {
      const int V = F * I + K, W = C * F + F * I + K, P = F * (I - 1) + K, Q = C * F + F * (I - 1) + K;
      if (I == 0) {
        Triangle(V, V + 1, Last);
        Triangle(W, SecondLast, W + 1);
      } else {
        Triangle(V, P + 1, P);
        Triangle(V, V + 1, P + 1);
        Triangle(W, Q, Q + 1);
        Triangle(W, Q + 1, W + 1);
      }
    }
  for (int J = 0; J < H; ++J)
    for (int K = 0; K < A; ++K) {
      const int T = S + F * J + K, Next = T + F;
      Triangle(T, Next, Next + 1);
      Triangle(T, Next + 1, T + 1);
    }
  Data.BoundingBoxNeedsUpdate();
}
