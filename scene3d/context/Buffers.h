#pragma once
// Vertex and index buffers: plain data with no device behind them; a context uploads them
// when it draws.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "shell/core/Export.h"
#include "scene3d/Math3D.h"

/// One vertex as meshes store it: position, normal, first texture coordinate, binormal, tangent.
struct KELVANE_API TMeshVertex {
  TPoint3D Position;
  TPoint3D Normal;
  float U = 0, V = 0;
  TPoint3D Binormal;
  TPoint3D Tangent;
};

/// The vertices of a mesh (position, normal, texture coordinates), as plain data.
class KELVANE_API TVertexBuffer {
 public:
  int Length() const { return static_cast<int>(FVertices.size()); }
  /// Keeps the old contents up to the smaller length.
  void SetLength(int Value) { FVertices.resize(static_cast<size_t>(Value < 0 ? 0 : Value)); }
  /// Raises EArgumentOutOfRangeException "Argument out of range" outside the buffer.
  TMeshVertex& Vertex(int Index);
  const TMeshVertex& Vertex(int Index) const;
  const TMeshVertex* Data() const { return FVertices.data(); }

 private:
  std::vector<TMeshVertex> FVertices;
};

/// The triangle list of a mesh: three vertex indices per triangle, as plain data.
class KELVANE_API TIndexBuffer {
 public:
  int Length() const { return static_cast<int>(FIndices.size()); }
  void SetLength(int Value) { FIndices.resize(static_cast<size_t>(Value < 0 ? 0 : Value)); }
  /// Raises EArgumentOutOfRangeException "Argument out of range" outside the buffer.
  uint32_t& Index(int Position);
  uint32_t Index(int Position) const;
  const uint32_t* Data() const { return FIndices.data(); }

 private:
  std::vector<uint32_t> FIndices;
};
