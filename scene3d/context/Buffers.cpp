#include "scene3d/context/Buffers.h"

#include "shell/core/Exceptions.h"

namespace {
[[noreturn]] void OutOfRange() { throw EArgumentOutOfRangeException("Argument out of range"); }
}  // namespace

TMeshVertex& TVertexBuffer::Vertex(int Index) {
  if (Index < 0 || Index >= Length()) OutOfRange();
  return FVertices[static_cast<size_t>(Index)];
}

const TMeshVertex& TVertexBuffer::Vertex(int Index) const {
  if (Index < 0 || Index >= Length()) OutOfRange();
  return FVertices[static_cast<size_t>(Index)];
}

uint32_t& TIndexBuffer::Index(int Position) {
  if (Position < 0 || Position >= Length()) OutOfRange();
  return FIndices[static_cast<size_t>(Position)];
}

uint32_t TIndexBuffer::Index(int Position) const {
  if (Position < 0 || Position >= Length()) OutOfRange();
  return FIndices[static_cast<size_t>(Position)];
}
