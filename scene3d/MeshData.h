#pragma once
#include "shell/core/Export.h"
#include "scene3d/context/Buffers.h"

/// An axis-aligned box, Min to Max.
struct KELVANE_API TBoundingBox {
  TPoint3D Min, Max;
  /// A maximum below its minimum on any axis.
  bool IsEmpty() const { return Max.X < Min.X || Max.Y < Min.Y || Max.Z < Min.Z; }
};

/// TMeshData: a mesh as plain data: vertex and index buffers and a cached bounding box.
class KELVANE_API TMeshData {
 public:
  TVertexBuffer& VertexBuffer() { return FVertices; }
  const TVertexBuffer& VertexBuffer() const { return FVertices; }
  TIndexBuffer& IndexBuffer() { return FIndices; }
  const TIndexBuffer& IndexBuffer() const { return FIndices; }
  /// Computed from the vertex positions on first request after a change.
  const TBoundingBox& BoundingBox();
  /// Call after the vertices changed, so that the box is computed again.
  void BoundingBoxNeedsUpdate() { FBoxValid = false; }

 private:
  TVertexBuffer FVertices;
  TIndexBuffer FIndices;
  TBoundingBox FBox;
  bool FBoxValid = false;
};
