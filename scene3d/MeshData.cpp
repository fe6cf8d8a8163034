#include "scene3d/MeshData.h"

#include <algorithm>
#include <limits>

const TBoundingBox& TMeshData::BoundingBox() {
  if (!FBoxValid) {
    constexpr float Inf = std::numeric_limits<float>::infinity();
    FBox.Min = TPoint3D(Inf, Inf, Inf);
    FBox.Max = TPoint3D(-Inf, -Inf, -Inf);
    for (int I = 0; I < FVertices.Length(); ++I) {
      const TPoint3D& P = FVertices.Vertex(I).Position;
      FBox.Min = TPoint3D(std::min(FBox.Min.X, P.X), std::min(FBox.Min.Y, P.Y), std::min(FBox.Min.Z, P.Z));
      FBox.Max = TPoint3D(std::max(FBox.Max.X, P.X), std::max(FBox.Max.Y, P.Y), std::max(FBox.Max.Z, P.Z));
    }
    FBoxValid = true;
  }
  return FBox;
}
