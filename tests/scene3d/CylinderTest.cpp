#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "scene3d/Cylinder.h"
#include "scene3d/MaterialSource.h"
#include "shell/core/Exceptions.h"

namespace {

class CylinderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Owner = new TComponent(nullptr);
    Cylinder = new TCylinder(Owner);
  }
  void TearDown() override { Owner->Free(); }
  TComponent* Owner = nullptr;
  TCylinder* Cylinder = nullptr;
};

TEST_F(CylinderTest, MeshSizesFollowTheCounts) {
  struct TCase {
    int Axes, Cap, Height, Vertices, Triangles;
  };
  for (const TCase& C : {TCase{12, 1, 1, 54, 48}, TCase{3, 1, 1, 18, 12}, TCase{12, 2, 3, 106, 144},
                         TCase{2, 0, 0, 18, 12}}) {
    Cylinder->SetSubdivisionsAxes(C.Axes);
    Cylinder->SetSubdivisionsCap(C.Cap);
    Cylinder->SetSubdivisionsHeight(C.Height);
    EXPECT_EQ(Cylinder->Data().VertexBuffer().Length(), C.Vertices) << C.Axes << "/" << C.Cap << "/" << C.Height;
    EXPECT_EQ(Cylinder->Data().IndexBuffer().Length(), C.Triangles * 3);
  }
  EXPECT_EQ(Cylinder->SubdivisionsAxes(), 3);
  EXPECT_EQ(Cylinder->SubdivisionsCap(), 1);
  EXPECT_EQ(Cylinder->SubdivisionsHeight(), 1);
}

TEST_F(CylinderTest, CountsWhoseMeshExceedsTheLimitAreRefusedAndChangeNothing) {
  // 4·(A + 1) + 2 vertices with one ring and one row: 262142 axes are the most that fit.
  Cylinder->SetSubdivisionsAxes(262142);
  EXPECT_EQ(Cylinder->Data().VertexBuffer().Length(), 1048574);
  Cylinder->SetSubdivisionsAxes(12);
  enum class TCount { Axes, Cap, Height };
  struct TCase {
    TCount Count;
    int Value;
  };
  for (const TCase& C : {TCase{TCount::Axes, 262143}, TCase{TCount::Axes, 50000000}, TCase{TCount::Cap, 50000},
                         TCase{TCount::Height, 100000}, TCase{TCount::Height, INT32_MAX}}) {
    try {
      if (C.Count == TCount::Axes) Cylinder->SetSubdivisionsAxes(C.Value);
      if (C.Count == TCount::Cap) Cylinder->SetSubdivisionsCap(C.Value);
      if (C.Count == TCount::Height) Cylinder->SetSubdivisionsHeight(C.Value);
      ADD_FAILURE() << C.Value << " accepted";
    } catch (const EArgumentOutOfRangeException& E) {
      EXPECT_EQ(E.Message().rfind("Cylinder mesh too large: SubdivisionsAxes ", 0), 0u) << E.Message();
      EXPECT_NE(E.Message().find(" need more than 1048576 vertices"), std::string::npos) << E.Message();
    }
    EXPECT_EQ(Cylinder->SubdivisionsAxes(), 12);
    EXPECT_EQ(Cylinder->SubdivisionsCap(), 1);
    EXPECT_EQ(Cylinder->SubdivisionsHeight(), 1);
    EXPECT_EQ(Cylinder->Data().VertexBuffer().Length(), 54) << "the old mesh stays";
  }
  // The limit holds for the three counts together, whatever order they come in.
  Cylinder->SetSubdivisionsCap(500);
  EXPECT_THROW(Cylinder->SetSubdivisionsAxes(2000), EArgumentOutOfRangeException);
  EXPECT_GT(TCylinder::MeshVertexCount(INT32_MAX, INT32_MAX, INT32_MAX), TCylinder::MaxMeshVertices);
}

TEST_F(CylinderTest, DefaultMeshHasExactExtremesAndClosedCaps) {
  TMeshData& Data = Cylinder->Data();
  const TBoundingBox& Box = Data.BoundingBox();
  EXPECT_EQ(Box.Min, TPoint3D(-0.5f, -0.5f, -0.5f));
  EXPECT_EQ(Box.Max, TPoint3D(0.5f, 0.5f, 0.5f));
  const TVertexBuffer& VB = Data.VertexBuffer();
  EXPECT_EQ(VB.Vertex(52).Position, TPoint3D(0, -0.5f, 0));  // second to last: centre of the −0.5 cap
  EXPECT_EQ(VB.Vertex(53).Position, TPoint3D(0, 0.5f, 0));
  EXPECT_EQ(VB.Vertex(12).Position, VB.Vertex(0).Position);  // seam copy
  EXPECT_EQ(VB.Vertex(26 + 12).U, 1.0f);  // side seam runs to u = 1
  EXPECT_EQ(Data.IndexBuffer().Index(0), 0u);
  EXPECT_EQ(Data.IndexBuffer().Index(2), 53u);
  EXPECT_THROW(VB.Vertex(54), EArgumentOutOfRangeException);
}

TEST_F(CylinderTest, EveryTriangleWindsInwardAgainstItsNormals) {
  TMeshData& Data = Cylinder->Data();
  const TVertexBuffer& VB = Data.VertexBuffer();
  const TIndexBuffer& IB = Data.IndexBuffer();
  for (int T = 0; T < IB.Length(); T += 3) {
    const TMeshVertex& A = VB.Vertex(static_cast<int>(IB.Index(T)));
    const TMeshVertex& B = VB.Vertex(static_cast<int>(IB.Index(T + 1)));
    const TMeshVertex& C = VB.Vertex(static_cast<int>(IB.Index(T + 2)));
    const TPoint3D N = (B.Position - A.Position).CrossProduct(C.Position - A.Position);
    EXPECT_LT(N.DotProduct(A.Normal + B.Normal + C.Normal), 0) << "triangle " << T / 3;
  }
}

TEST_F(CylinderTest, MeshMatrixStretchesTheUnitMeshToTheBox) {
  Cylinder->SetWidth(1);
  Cylinder->SetHeight(1);
  Cylinder->SetDepth(3);
  const TMatrix3D M = Cylinder->GetMeshMatrix();
  EXPECT_EQ(TPoint3D(0.5f, 0.5f, 0.5f) * M, TPoint3D(0.5f, 0.5f, 1.5f));
  EXPECT_EQ(TPoint3D(-0.5f, -0.5f, -0.5f) * M, TPoint3D(-0.5f, -0.5f, -1.5f));
  Cylinder->SetWidth(0);  // collapses without error
  EXPECT_EQ((TPoint3D(0.5f, 0, 0) * Cylinder->GetMeshMatrix()).X, 0);
}

TEST_F(CylinderTest, AFreedSourceLeavesTheShapeWithoutMaterial) {
  auto* Source = new TColorMaterialSource(Owner);
  EXPECT_EQ(Source->Color(), 0xFFFF0000u);  // never set: red
  Cylinder->SetMaterialSource(Source);
  EXPECT_EQ(Cylinder->GetMaterialForSorting(), Source->Material());
  Source->Free();
  EXPECT_EQ(Cylinder->MaterialSource(), nullptr);
  EXPECT_EQ(Cylinder->GetMaterialForSorting(), nullptr);
}

}  // namespace
