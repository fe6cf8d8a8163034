#pragma once
// The vocabulary of the binary form stream: value tags, filer flags, the signature, and the
// 80-bit float that the vaExtended tag carries.
#include <cstdint>
#include <cstring>
#include <limits>

#include "shell/core/Object.h"

enum TValueType : uint8_t {
  vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue,
  vaBinary, vaSet, vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString,
  vaInt64, vaUTF8String, vaDouble
};
constexpr uint8_t vaLast = vaDouble;

enum TFilerFlag { ffInherited, ffChildPos, ffInline };
using TFilerFlags = TSet<TFilerFlag>;

/// "TPF0".
constexpr uint8_t FilerSignature[4] = {0x54, 0x50, 0x46, 0x30};

/// A prefix byte is recognised by its high nibble being F; the low nibble holds the flags.
constexpr uint8_t FilerPrefixMask = 0xF0;

constexpr uint8_t FilerPrefixByte(TFilerFlags Flags) { return static_cast<uint8_t>(FilerPrefixMask | (Flags.Bits() & 0x0Fu)); }
constexpr TFilerFlags FilerFlagsOf(uint8_t Prefix) { return TFilerFlags::FromBits(Prefix & 0x0Fu); }

/// An unsigned integer of Size bytes (1 to 8) as the stream stores it, least significant first.
inline uint64_t LittleEndianValue(const uint8_t* Bytes, int Size) {
  uint64_t Value = 0;
  for (int I = Size - 1; I >= 0; --I) Value = (Value << 8) | Bytes[I];
  return Value;
}

/// Deeper nesting of objects or values than this is refused as a malformed stream: no stored
/// form comes near it, and it keeps a hostile stream from exhausting the stack.
constexpr int MaxStreamNesting = 200;

/// The stream's vaExtended payload is the x87 80-bit format, which long double is on x86-64.
static_assert(std::numeric_limits<long double>::digits == 64 && sizeof(long double) >= 10,
              "long double must be the 80-bit extended type");

inline long double ExtendedFromBytes(const uint8_t* Bytes) {
  long double Value = 0;
  std::memcpy(&Value, Bytes, 10);
  return Value;
}

inline void ExtendedToBytes(long double Value, uint8_t* Bytes) { std::memcpy(Bytes, &Value, 10); }
