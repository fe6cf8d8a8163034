#pragma once
// What both directions of the text form agree on: which names stand bare, and which integer tag
// a value takes.
#include <cstdint>

#include "shell/stream/StreamFormat.h"

namespace TextRules {
inline bool IsIdentStart(char C) { return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || C == '_'; }
inline bool IsIdentChar(char C) { return IsIdentStart(C) || (C >= '0' && C <= '9'); }

inline TValueType SmallestIntTag(int64_t V) {
  if (V >= INT8_MIN && V <= INT8_MAX) return vaInt8;
  if (V >= INT16_MIN && V <= INT16_MAX) return vaInt16;
  if (V >= INT32_MIN && V <= INT32_MAX) return vaInt32;
  return vaInt64;
}

inline int IntTagSize(TValueType T) { return T == vaInt8 ? 1 : T == vaInt16 ? 2 : T == vaInt32 ? 4 : 8; }
}  // namespace TextRules
