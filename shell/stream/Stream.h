#pragma once
// Byte streams for the filer: a growable stream that owns its bytes and a read-only stream over
// a buffer that someone else keeps (a resource). Reads never go outside the bytes that exist.
#include "shell/core/Export.h"
#include <cstddef>
#include <cstdint>
#include <vector>

/// A positioned sequence of bytes.
class KELVANE_API TStream {
 public:
  enum TSeekOrigin { soBeginning, soCurrent, soEnd };

  virtual ~TStream() = default;
  /// Copies up to Count bytes from the position on; returns how many there were.
  virtual size_t Read(void* Buffer, size_t Count) = 0;
  /// Writes Count bytes at the position; returns how many were written.
  virtual size_t Write(const void* Buffer, size_t Count) = 0;
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;
  virtual int64_t Size() const = 0;

  int64_t Position() { return Seek(0, soCurrent); }
  void SetPosition(int64_t Value) { Seek(Value, soBeginning); }
  /// Reads exactly Count bytes or raises EReadError "Stream read error".
  void ReadBuffer(void* Buffer, size_t Count);
  /// Writes exactly Count bytes or raises EWriteError "Stream write error".
  void WriteBuffer(const void* Buffer, size_t Count);
};

/// Reads a buffer that outlives the stream; writing is refused.
class KELVANE_API TBufferStream : public TStream {
 public:
  TBufferStream(const void* Data, size_t Size) : FData(static_cast<const uint8_t*>(Data)), FSize(Size) {}
  size_t Read(void* Buffer, size_t Count) override;
  size_t Write(const void*, size_t) override { return 0; }
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() const override { return static_cast<int64_t>(FSize); }

 private:
  const uint8_t* FData;
  size_t FSize;
  size_t FPosition = 0;
};

/// Owns its bytes; grows on writes past the end.
class KELVANE_API TBytesStream : public TStream {
 public:
  TBytesStream() = default;
  explicit TBytesStream(std::vector<uint8_t> Bytes) : FBytes(std::move(Bytes)) {}
  size_t Read(void* Buffer, size_t Count) override;
  size_t Write(const void* Buffer, size_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() const override { return static_cast<int64_t>(FBytes.size()); }

  const std::vector<uint8_t>& Bytes() const { return FBytes; }
  std::vector<uint8_t> TakeBytes() { return std::move(FBytes); }

 private:
  std::vector<uint8_t> FBytes;
  size_t FPosition = 0;
};
