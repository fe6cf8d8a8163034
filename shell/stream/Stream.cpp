#include "shell/stream/Stream.h"

#include <algorithm>
#include <cstring>

#include "shell/core/Exceptions.h"

namespace {
// The new position for a seek, kept within [0, Limit]: a stream never points outside its data.
size_t SeekTarget(size_t Current, size_t Size, int64_t Offset, TStream::TSeekOrigin Origin, size_t Limit) {
  int64_t Base = Origin == TStream::soBeginning ? 0 : Origin == TStream::soCurrent ? static_cast<int64_t>(Current)
                                                                                   : static_cast<int64_t>(Size);
  int64_t Target = Base + Offset;
  if (Target < 0) Target = 0;
  if (static_cast<uint64_t>(Target) > Limit) Target = static_cast<int64_t>(Limit);
  return static_cast<size_t>(Target);
}
}  // namespace

void TStream::ReadBuffer(void* Buffer, size_t Count) {
  if (Count != 0 && Read(Buffer, Count) != Count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, size_t Count) {
  if (Count != 0 && Write(Buffer, Count) != Count) throw EWriteError("Stream write error");
}

size_t TBufferStream::Read(void* Buffer, size_t Count) {
  size_t N = std::min(Count, FSize - FPosition);
  if (N) std::memcpy(Buffer, FData + FPosition, N);
  FPosition += N;
  return N;
}

int64_t TBufferStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  FPosition = SeekTarget(FPosition, FSize, Offset, Origin, FSize);
  return static_cast<int64_t>(FPosition);
}

size_t TBytesStream::Read(void* Buffer, size_t Count) {
  size_t N = FPosition < FBytes.size() ? std::min(Count, FBytes.size() - FPosition) : 0;
  if (N) std::memcpy(Buffer, FBytes.data() + FPosition, N);
  FPosition += N;
  return N;
}

size_t TBytesStream::Write(const void* Buffer, size_t Count) {
  if (Count == 0) return 0;
  if (FPosition + Count > FBytes.size()) FBytes.resize(FPosition + Count);
  std::memcpy(FBytes.data() + FPosition, Buffer, Count);
  FPosition += Count;
  return Count;
}

int64_t TBytesStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  FPosition = SeekTarget(FPosition, FBytes.size(), Offset, Origin, FBytes.size());
  return static_cast<int64_t>(FPosition);
}
